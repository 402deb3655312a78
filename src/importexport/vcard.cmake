# vCard document model and codec, vCard import and export.
list(APPEND KIV_SOURCES
    src/importexport/vcardimport.cpp
)

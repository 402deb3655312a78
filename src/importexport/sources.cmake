# Import/export backend, file type detection, CSV and database import and export.
list(APPEND KIV_SOURCES
    src/importexport/contactsfileparser.h
    src/importexport/textdecoding.h
    src/importexport/textdecoding.cpp
)

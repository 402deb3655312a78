# vCard document model and codec, vCard import and export.
list(APPEND KIV_SOURCES
    src/importexport/vcardversion.h
    src/importexport/vcardtext.h
    src/importexport/vcardtext.cpp
    src/importexport/vcardparameter.h
    src/importexport/vcardparameter.cpp
    src/importexport/vcardproperty.h
    src/importexport/vcardproperty.cpp
    src/importexport/vcardreader.h
    src/importexport/vcardreader.cpp
    src/importexport/vcard.h
    src/importexport/vcard.cpp
    src/importexport/vcardimport.cpp
    src/importexport/contactvcard.cpp
    src/importexport/carddetails.h
    src/importexport/carddetails.cpp
    src/importexport/cardentries.h
    src/importexport/cardentries.cpp
    src/importexport/cardlinks.h
    src/importexport/cardpatch.h
    src/importexport/cardpatch.cpp
)

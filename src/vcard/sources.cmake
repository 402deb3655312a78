# The vCard codec (document model, reader, writer, text helpers) and the
# mapping between cards and records: written by the file import and export
# and by the sync alike.
list(APPEND KIV_SOURCES
    src/vcard/vcardversion.h
    src/vcard/vcardtext.h
    src/vcard/vcardtext.cpp
    src/vcard/textdecoding.h
    src/vcard/textdecoding.cpp
    src/vcard/vcardparameter.h
    src/vcard/vcardparameter.cpp
    src/vcard/vcardproperty.h
    src/vcard/vcardproperty.cpp
    src/vcard/vcardreader.h
    src/vcard/vcardreader.cpp
    src/vcard/vcard.h
    src/vcard/vcard.cpp
    src/vcard/cardlinks.h
    src/vcard/cardmapping.h
    src/vcard/cardmapping.cpp
    src/vcard/cardentries.h
    src/vcard/cardentries.cpp
    src/vcard/contactvcard.h
    src/vcard/contactvcard.cpp
    src/vcard/cardpatch.h
    src/vcard/cardpatch.cpp
    src/vcard/cardcombine.h
    src/vcard/cardcombine.cpp
    src/vcard/carddetails.h
    src/vcard/carddetails.cpp
    src/vcard/groupcard.h
    src/vcard/groupcard.cpp
)

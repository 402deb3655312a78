# The contact record: the bottom layer, used by the stores, the models and import/export.
list(APPEND KIV_SOURCES
    src/record/contact.h
    src/record/contact.cpp
    src/record/contactbook.h
    src/record/textlist.h
    src/record/textlist.cpp
    src/record/birthday.h
    src/record/birthday.cpp
    src/record/displayformat.h
    src/record/displayformat.cpp
    src/record/contactmerge.h
    src/record/contactmerge.cpp
    src/record/duplicatefinder.h
    src/record/duplicatefinder.cpp
    src/record/duplicatemerge.h
    src/record/duplicatemerge.cpp
    src/record/importedname.h
    src/record/importedname.cpp
    src/record/contactsearch.h
    src/record/contactsearch.cpp
    src/record/sortkeymaker.h
    src/record/sortkeymaker.cpp
    src/record/contactindex.h
    src/record/contactindex.cpp
    src/record/grouplabels.h
    src/record/grouplabels.cpp
)

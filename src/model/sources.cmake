# The list model and the sorted, filtered view.
list(APPEND KIV_SOURCES
    src/model/contactsmodel.h
    src/model/contactsmodel.cpp
    src/model/sortkeymaker.h
    src/model/sortkeymaker.cpp
    src/model/contactsfilter.h
    src/model/contactsfilter.cpp
    src/model/contactsproxymodel.h
    src/model/contactsproxymodel.cpp
    src/model/phonevalidator.h
    src/model/phonevalidator.cpp
    src/model/birthdayvalidator.h
    src/model/birthdayvalidator.cpp
)

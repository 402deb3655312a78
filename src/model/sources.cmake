# Contact record and the list models.
list(APPEND KIV_SOURCES
    src/model/contact.h
    src/model/contact.cpp
    src/model/contactsmodel.h
    src/model/contactsmodel.cpp
    src/model/contactsproxymodel.h
    src/model/contactsproxymodel.cpp
)

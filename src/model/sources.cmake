# The list model and the sorted, filtered view.
list(APPEND KIV_SOURCES
    src/model/contactsmodel.h
    src/model/contactsmodel.cpp
    src/model/contactsproxymodel.h
    src/model/contactsproxymodel.cpp
    src/model/duplicatesmodel.h
    src/model/duplicatesmodel.cpp
)

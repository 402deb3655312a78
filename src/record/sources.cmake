# The contact record: the bottom layer, used by the stores, the models and import/export.
list(APPEND KIV_SOURCES
    src/record/contact.h
    src/record/contact.cpp
)

# Contact record and the list models.
list(APPEND KIV_SOURCES
    src/model/contact.h
    src/model/contact.cpp
)

# Contact stores.
list(APPEND KIV_SOURCES
    src/storage/database.h
    src/storage/database.cpp
    src/storage/photoencoding.h
    src/storage/photoencoding.cpp
)

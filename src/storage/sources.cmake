# Contact stores.
list(APPEND KIV_SOURCES
    src/storage/database.h
    src/storage/database.cpp
    src/storage/defaultdatabase.h
    src/storage/defaultdatabase.cpp
    src/storage/photoencoding.h
    src/storage/photoencoding.cpp
    src/storage/sqlitedatabase.h
    src/storage/sqlitedatabase.cpp
)

# Contact stores.
list(APPEND KIV_SOURCES
    src/storage/cardschema.h
    src/storage/cardschema.cpp
    src/storage/cardtable.h
    src/storage/cardtable.cpp
    src/storage/contactrowreader.h
    src/storage/contactrowreader.cpp
    src/storage/groupschema.h
    src/storage/groupschema.cpp
    src/storage/database.h
    src/storage/database.cpp
    src/storage/listencoding.h
    src/storage/listencoding.cpp
    src/storage/defaultdatabase.h
    src/storage/defaultdatabase.cpp
    src/storage/photoencoding.h
    src/storage/photoencoding.cpp
    src/storage/sqlitedatabase.h
    src/storage/sqlitedatabase.cpp
    src/storage/sqlitestatement.h
    src/storage/sqlitestatement.cpp
)

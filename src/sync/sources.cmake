# CardDAV sync: the WebDAV client, discovery, the sync state and the two-way sync.
list(APPEND KIV_SOURCES
    src/sync/davclient.h
    src/sync/davclient.cpp
    src/sync/davorigin.h
    src/sync/davorigin.cpp
    src/sync/davmultistatus.h
    src/sync/davmultistatus.cpp
    src/sync/davdiscovery.h
    src/sync/davdiscovery.cpp
    src/sync/synccard.h
    src/sync/synccard.cpp
    src/sync/syncstatetable.h
    src/sync/syncstatetable.cpp
    src/sync/groupstatetable.h
    src/sync/groupstatetable.cpp
    src/sync/groupcardsync.h
    src/sync/groupcardsync.cpp
    src/sync/carddavsync.h
    src/sync/carddavsync.cpp
    src/sync/carddavaccount.h
    src/sync/carddavaccount.cpp
)

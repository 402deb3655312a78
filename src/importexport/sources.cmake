# Import/export backend, file type detection, CSV and database import and export.
list(APPEND KIV_SOURCES
    src/importexport/contactsfileparser.h
    src/importexport/contactsfileparser.cpp
    src/importexport/parsedfile.h
    src/importexport/databaseimport.h
    src/importexport/databaseimport.cpp
    src/importexport/importlimits.h
    src/importexport/eventloopturns.h
    src/importexport/eventloopturns.cpp
    src/importexport/filepieces.h
    src/importexport/filepieces.cpp
    src/importexport/photopreparation.h
    src/importexport/photopreparation.cpp
    src/importexport/csvtokenizer.h
    src/importexport/csvtokenizer.cpp
    src/importexport/csvcontactreader.h
    src/importexport/csvcontactreader.cpp
    src/importexport/googlecsv.h
    src/importexport/googlecsv.cpp
    src/importexport/existingcontacts.h
    src/importexport/existingcontacts.cpp
    src/importexport/importexport.h
    src/importexport/importexport.cpp
    src/importexport/vcardimport.cpp
    src/importexport/filegroups.h
    src/importexport/filegroups.cpp
)

#pragma once

#include <QList>
#include <QString>

class Contact;

// Reads the contacts of a database file of this program's own format for an
// import. The file is untrusted: it is opened read-only and never written
// (not even a journal is rolled back), only a real table named `contact` is
// read (a view could run an endless query) and only when none of its columns
// is computed as it is read, and rows, field sizes and the total amount of
// text are bounded. The window keeps repainting meanwhile.
class DatabaseImport
{
public:
    enum Result {
        Read,
        NoContacts,
        TooLarge,
        ComputedColumns,
    };

    static constexpr int MaxRows = 1000 * 1000;
    static constexpr int MaxFieldBytes = 1024 * 1024;
    // As many groups as a file of group cards may make.
    static constexpr int MaxGroups = 10000;

    // Appends the contacts of the file to contacts (the caller owns them);
    // on any result but Read nothing is appended.
    // The file's groups, also those without members, go to groups.
    static Result read(const QString &fileName, QList<Contact *> *contacts,
                       QStringList *groups = nullptr);
};

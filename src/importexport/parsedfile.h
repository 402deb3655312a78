#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class Contact;

// What reading an import file gives: new, unsaved records, which the caller
// owns, the encoding its text was read in, why it gave none when it could
// not be read, and the groups its group cards make.
struct ParsedFile
{
    QList<Contact *> contacts;
    // The encoding the text of a CSV or vCard file was read in (for a vCard:
    // its values without a CHARSET); empty for other files.
    QString usedCodec;
    // A file that is not a contact file, one too large to import, or one
    // that cannot be read (with the reason); empty when it was read.
    QString error;
    // What of the file could not be read, in words (a CSV quote never
    // closed, vCards without their END:VCARD); empty when all of it was.
    QString warning;
    // The groups that the file's group cards make, empty ones included.
    QStringList groups;
    // The members of those groups that are none of the contacts, by the
    // UID the group card names them with: the groups each one joins.
    QHash<QString, QStringList> groupsOfUids;
};

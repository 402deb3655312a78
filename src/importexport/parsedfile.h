#pragma once

#include <QList>
#include <QString>

class Contact;

// What reading an import file gives: new, unsaved records, which the caller
// owns, the encoding its text was read in, and why it gave none when it
// could not be read.
struct ParsedFile
{
    QList<Contact *> contacts;
    // The encoding the text of a CSV or vCard file was read in (for a vCard:
    // its values without a CHARSET); empty for other files.
    QString usedCodec;
    // A file that is not a contact file, one too large to import, or one
    // that cannot be read (with the reason); empty when it was read.
    QString error;
};

#pragma once

#include <QByteArray>

#include <memory>

class Contact;

// Writes a record back into the card it came from by patching the card, not
// by rebuilding it: each field of the record is linked to the property it
// came from (as the vCard import maps the card), and only the properties of
// fields that differ from what the card gives are replaced, removed or
// appended. The CATEGORIES are the record's groups and its star; texts that
// are neither (Google's myContacts) stay in them. Everything else (unknown
// properties and parameters, N's prefix and suffix, NICKNAME, TITLE, the
// other ORG units, the UID, the BDAY form, the line order, version 4.0)
// stays byte for byte. Cards of version 2.1 are written as 3.0, each
// property as this program writes it.
namespace CardPatch {

// The card's PHOTO: kept as it is, or replaced by the record's stored photo
// (PNG bytes; empty removes it).
struct Photo
{
    bool replace = false;
    QByteArray bytes;
};

enum class Version {
    // The card's own version, as a server keeps it.
    Own,
    // Version 3.0, as this program's vCard export writes.
    File
};

// The record the card gives; null when it is no card.
std::unique_ptr<Contact> read(const QByteArray &card);
// The card with the record's fields in it; the card itself when no field
// changed (and the version stays). A file's card without a UID gets the
// record's id as its UID.
QByteArray patch(const QByteArray &card, const Contact &record, const Photo &photo,
                 Version version = Version::Own);

} // namespace CardPatch

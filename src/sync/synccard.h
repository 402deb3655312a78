#pragma once

#include "storage/cardtable.h"

#include <QByteArray>
#include <QString>

#include <memory>

class Contact;

// One contact as one card on a CardDAV server, through the program's own
// vCard writer and reader, plus what a server needs beyond a file export: the
// card's own UID (RFC 6350 6.7.6) instead of the local id, CRLF line ends and
// folded lines (RFC 6350 3.2).
namespace SyncCard {

// The card of a contact with its stored photo (Base64 PNG text, may be
// empty): the card kept with the contact patched with its fields, else one
// written from them. A kept card keeps its own UID; one without gets uid.
QByteArray write(const Contact &contact, const QString &uid, const QByteArray &photo,
                 const CardTable::Card &kept = CardTable::Card());
// The contact of a card, its photo as Base64 text in photoData and its UID in
// *uid; null when the data holds no card with a name, or a text field longer
// than a file import takes (then *tooLarge is set).
std::unique_ptr<Contact> read(const QByteArray &card, QString *uid, bool *tooLarge = nullptr);
// Merges the edits made here (local) and on the server (remote) since the
// record both started from (base), field by field, into remote: false when
// one field was changed on both sides, to different values.
bool merge(const Contact &base, const Contact &local, Contact *remote);
// A digest of everything a card carries, over the fields as the store keeps
// them, so that a stored record and the record it was written from match.
QByteArray fingerprint(const Contact &contact, const QByteArray &photo);

} // namespace SyncCard

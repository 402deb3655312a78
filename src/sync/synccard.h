#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class Contact;

// One contact as one card on a CardDAV server, through the program's own
// vCard writer and reader, plus what a server needs beyond a file export: the
// card's own UID (RFC 6350 6.7.6) instead of the local id, CRLF line ends and
// folded lines (RFC 6350 3.2).
namespace SyncCard {

// The card of a contact with its stored photo (Base64 PNG text, may be empty).
QByteArray write(const Contact &contact, const QString &uid, const QByteArray &photo);
// The contact of a card, its photo as Base64 text in photoData and its UID in
// *uid; null when the data holds no card with a name, or a text field longer
// than a file import takes (then *tooLarge is set).
std::unique_ptr<Contact> read(const QByteArray &card, QString *uid, bool *tooLarge = nullptr);
// A digest of everything a card carries, over the fields as the store keeps
// them, so that a stored record and the record it was written from match.
QByteArray fingerprint(const Contact &contact, const QByteArray &photo);

} // namespace SyncCard

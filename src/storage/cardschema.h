#pragma once

#include <QByteArray>
#include <QHash>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class QSqlDatabase;

// The table `contact_card` beside `contact` that keeps each contact's card
// (see CardTable): how it is made and written, and what is kept beside a
// card. The store makes and fills it; the kept cards are read through
// CardTable.
namespace CardSchema {

// The statement that stores a card: ?1 the contact, ?2 the card, ?3 the
// photo's digest, ?4 the UID.
extern const char InsertStatement[];

// Makes the table where the file has none, with the trigger that removes a
// contact's card with the contact.
QSqlError create(const QSqlDatabase &db);
// Stores the card of the contact with the digest of its photo; an empty
// card removes the contact's card.
QSqlError store(const QSqlDatabase &db, qint64 contactId, const QByteArray &card,
                const QByteArray &photoDigest);

// The digest of a stored photo (Base64 text, may be empty).
QByteArray photoDigest(const QByteArray &photo);
// The card's UID, empty for none.
QString uidOf(const QByteArray &card);
// The contacts whose kept cards have these UIDs, by UID.
QHash<QString, qint64> contactsOfUids(const QSqlDatabase &db, const QStringList &uids);

} // namespace CardSchema

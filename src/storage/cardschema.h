#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class QSqlDatabase;

// The table `contact_card` beside `contact` that keeps each contact's card
// (see CardTable): how it is made and written, and what is kept beside a
// card. The store makes and fills it; the kept cards are read through
// CardTable.
namespace CardSchema {

// The statements that make the table; a trigger removes a contact's card
// with the contact.
extern const char *const CreateStatements[2];
// The statement that stores a card: ?1 the contact, ?2 the card, ?3 the
// photo's digest, ?4 the UID.
extern const char InsertStatement[];

// The digest of a stored photo (Base64 text, may be empty).
QByteArray photoDigest(const QByteArray &photo);
// The card's UID, empty for none.
QString uidOf(const QByteArray &card);
// The contacts whose kept cards have these UIDs, by UID.
QHash<QString, qint64> contactsOfUids(const QSqlDatabase &db, const QStringList &uids);

} // namespace CardSchema

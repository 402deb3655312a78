#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class SqliteDatabase;

// The card each contact came from (a sync download, a vCard import), kept
// whole in the table `contact_card` beside `contact`, so that what other
// programs wrote survives this program's edits: the record's fields are the
// editable view of the card, and a card is written back by patching it.
// A trigger removes a contact's card with the contact.
class CardTable
{
public:
    // The card's text, and the digest of the contact's stored photo at the
    // time the card was stored: while the photo has that digest it is the
    // card's own, and the card's PHOTO goes back unchanged.
    struct Card
    {
        QByteArray text;
        QByteArray photoDigest;
        bool isEmpty() const { return text.isEmpty(); }
    };

    explicit CardTable(SqliteDatabase *store);

    // Creates the table in the store's file; false when the store is closed.
    bool prepare();
    Card card(qint64 contactId) const;
    void setCard(qint64 contactId, const Card &card);
    void removeCard(qint64 contactId);

    // The contacts whose kept cards have these UIDs, by UID.
    QHash<QString, qint64> contactsOfUids(const QStringList &uids) const;

private:
    SqliteDatabase *m_store;
};

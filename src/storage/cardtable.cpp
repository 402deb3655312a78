#include "storage/cardtable.h"

#include "storage/cardschema.h"
#include "storage/sqlitedatabase.h"
#include "storage/sqlitestatement.h"

CardTable::CardTable(SqliteDatabase *store)
    : m_store(store)
{
}

bool CardTable::prepare()
{
    if (!m_store->connection().isOpen()) {
        return false;
    }
    m_store->writeTable(&CardSchema::create);
    return true;
}

CardTable::Card CardTable::card(qint64 contactId) const
{
    SqliteStatement query;
    if (!query.prepare(m_store->connection(),
                       QStringLiteral("select card, photoDigest from contact_card "
                                      "where contactId = ?1"))) {
        return Card();
    }
    query.bindInt64(1, contactId);
    return query.next() ? Card{query.bytes(0), query.bytes(1)} : Card();
}

void CardTable::setCard(qint64 contactId, const Card &card)
{
    m_store->writeTable([contactId, card](const QSqlDatabase &db) {
        return CardSchema::store(db, contactId, card.text, card.photoDigest);
    });
}

void CardTable::removeCard(qint64 contactId)
{
    setCard(contactId, Card());
}

QHash<QString, qint64> CardTable::contactsOfUids(const QStringList &uids) const
{
    return CardSchema::contactsOfUids(m_store->connection(), uids);
}

#include "storage/cardtable.h"

#include "storage/cardschema.h"
#include "storage/sqlitedatabase.h"
#include "storage/sqlitestatement.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

CardTable::CardTable(SqliteDatabase *store)
    : m_store(store)
{
}

bool CardTable::prepare()
{
    if (!m_store->connection().isOpen()) {
        return false;
    }
    m_store->writeTable([](const QSqlDatabase &db) {
        QSqlQuery query(db);
        for (const char *statement : CardSchema::CreateStatements) {
            if (!query.exec(QLatin1String(statement))) {
                return query.lastError();
            }
        }
        return QSqlError();
    });
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
        QSqlQuery query(db);
        query.prepare(QLatin1String(CardSchema::InsertStatement));
        query.addBindValue(contactId);
        query.addBindValue(card.text);
        query.addBindValue(card.photoDigest);
        query.addBindValue(CardSchema::uidOf(card.text));
        return query.exec() ? QSqlError() : query.lastError();
    });
}

void CardTable::removeCard(qint64 contactId)
{
    m_store->writeTable([contactId](const QSqlDatabase &db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("delete from contact_card where contactId = :id"));
        query.bindValue(QStringLiteral(":id"), contactId);
        return query.exec() ? QSqlError() : query.lastError();
    });
}

QHash<QString, qint64> CardTable::contactsOfUids(const QStringList &uids) const
{
    return CardSchema::contactsOfUids(m_store->connection(), uids);
}

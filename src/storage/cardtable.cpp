#include "storage/cardtable.h"

#include "storage/sqlitedatabase.h"
#include "storage/sqlitestatement.h"

#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

const char *const CardTable::CreateStatements[2] = {
        "create table if not exists contact_card (contactId bigint primary key, card blob not "
        "null, photoDigest blob)",
        "create trigger if not exists contact_card_gone after delete on contact begin "
        "delete from contact_card where contactId = old.id; end"};

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
        for (const char *statement : CreateStatements) {
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
        query.prepare(QStringLiteral("insert or replace into contact_card (contactId, card, "
                                     "photoDigest) values (:id, :card, :digest)"));
        query.bindValue(QStringLiteral(":id"), contactId);
        query.bindValue(QStringLiteral(":card"), card.text);
        query.bindValue(QStringLiteral(":digest"), card.photoDigest);
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

QByteArray CardTable::photoDigest(const QByteArray &photo)
{
    return QCryptographicHash::hash(photo, QCryptographicHash::Sha1).toHex();
}

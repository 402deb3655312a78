#include "sync/groupstatetable.h"

#include "storage/listencoding.h"
#include "storage/sqlitedatabase.h"
#include "storage/sqlitestatement.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

GroupStateTable::GroupStateTable(SqliteDatabase *store)
    : m_store(store)
{
}

bool GroupStateTable::prepare()
{
    if (!m_store->connection().isOpen()) {
        return false;
    }
    m_store->writeTable([](const QSqlDatabase &db) {
        QSqlQuery query(db);
        return query.exec(QStringLiteral(
                       "create table if not exists carddav_group (href text primary key, "
                       "uid text, etag text, name text, members text, card blob)"))
                       ? QSqlError()
                       : query.lastError();
    });
    return true;
}

QList<GroupCardState> GroupStateTable::states() const
{
    QList<GroupCardState> states;
    SqliteStatement query;
    if (!query.prepare(m_store->connection(),
                       QStringLiteral("select href, uid, etag, name, members, card from "
                                      "carddav_group order by href"))) {
        return states;
    }
    while (query.next()) {
        states.append({query.text(0), query.text(1), query.bytes(2), query.text(3),
                       ListEncoding::decode(query.text(4)), query.bytes(5)});
    }
    return states;
}

void GroupStateTable::put(const GroupCardState &state)
{
    m_store->writeTable([state](const QSqlDatabase &db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral(
                "insert or replace into carddav_group (href, uid, etag, name, members, card) "
                "values (:href, :uid, :etag, :name, :members, :card)"));
        query.bindValue(QStringLiteral(":href"), state.href);
        query.bindValue(QStringLiteral(":uid"), state.uid);
        query.bindValue(QStringLiteral(":etag"), QString::fromUtf8(state.etag));
        query.bindValue(QStringLiteral(":name"), state.name);
        query.bindValue(QStringLiteral(":members"), ListEncoding::encode(state.members));
        query.bindValue(QStringLiteral(":card"), state.card);
        return query.exec() ? QSqlError() : query.lastError();
    });
}

void GroupStateTable::remove(const QString &href)
{
    m_store->writeTable([href](const QSqlDatabase &db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("delete from carddav_group where href = :href"));
        query.bindValue(QStringLiteral(":href"), href);
        return query.exec() ? QSqlError() : query.lastError();
    });
}

void GroupStateTable::clear()
{
    m_store->writeTable([](const QSqlDatabase &db) {
        QSqlQuery query(db);
        return query.exec(QStringLiteral("delete from carddav_group")) ? QSqlError()
                                                                       : query.lastError();
    });
}

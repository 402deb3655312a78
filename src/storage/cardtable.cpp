#include "storage/cardtable.h"

#include "storage/sqlitedatabase.h"
#include "storage/sqlitestatement.h"

#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

const char *const CardTable::CreateStatements[3] = {
        "create table if not exists contact_card (contactId bigint primary key, card blob not "
        "null, photoDigest blob, uid text)",
        "create index if not exists contact_card_uid on contact_card (uid)",
        "create trigger if not exists contact_card_gone after delete on contact begin "
        "delete from contact_card where contactId = old.id; end"};

const char CardTable::InsertStatement[] =
        "insert or replace into contact_card (contactId, card, photoDigest, uid) values "
        "(?1, ?2, ?3, ?4)";

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
        query.prepare(QLatin1String(InsertStatement));
        query.addBindValue(contactId);
        query.addBindValue(card.text);
        query.addBindValue(card.photoDigest);
        query.addBindValue(uidOf(card.text));
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
    QHash<QString, qint64> found;
    SqliteStatement query;
    if (uids.isEmpty()
        || !query.prepare(m_store->connection(),
                          QStringLiteral("select contactId from contact_card where uid = ?1"))) {
        return found;
    }
    for (const QString &uid : uids) {
        query.bindText(1, uid);
        if (query.next()) {
            found.insert(uid, query.int64(0));
        }
        query.reset();
    }
    return found;
}

QString CardTable::uidOf(const QByteArray &card)
{
    for (const QByteArray &line : card.split('\n')) {
        const int dot = line.indexOf('.');
        const int colon = line.indexOf(':');
        const QByteArray head = line.left(colon).mid(dot >= 0 && dot < colon ? dot + 1 : 0);
        if (colon > 0
            && (head.compare("UID", Qt::CaseInsensitive) == 0
                || head.toUpper().startsWith("UID;"))) {
            return QString::fromUtf8(line.mid(colon + 1).trimmed());
        }
    }
    return QString();
}

QByteArray CardTable::photoDigest(const QByteArray &photo)
{
    return QCryptographicHash::hash(photo, QCryptographicHash::Sha1).toHex();
}

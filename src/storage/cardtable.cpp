#include "storage/cardtable.h"

#include "storage/sqlitedatabase.h"
#include "storage/sqlitestatement.h"

#include <QCryptographicHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

const char *const CardTable::CreateStatements[2] = {
        "create table if not exists contact_card (contactId bigint primary key, card blob not "
        "null, photoDigest blob, uid text)",
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

// One pass over the kept UIDs: an index of them made every insert of a
// large import slower than the whole lookup is.
QHash<QString, qint64> CardTable::contactsOfUids(const QStringList &uids) const
{
    QHash<QString, qint64> found;
    const QSet<QString> wanted(uids.cbegin(), uids.cend());
    SqliteStatement query;
    if (wanted.isEmpty()
        || !query.prepare(m_store->connection(),
                          QStringLiteral("select contactId, uid from contact_card "
                                         "where uid is not null and uid <> ''"))) {
        return found;
    }
    while (query.next()) {
        const QString uid = query.text(1);
        if (wanted.contains(uid)) {
            found.insert(uid, query.int64(0));
        }
    }
    return found;
}

QString CardTable::uidOf(const QByteArray &card)
{
    // A scan of the line starts, without taking the card apart: this runs
    // for every card an import stores.
    for (int start = 0; start >= 0 && start < card.size();) {
        const int end = card.indexOf('\n', start);
        const int length = (end < 0 ? card.size() : end) - start;
        if (length > 4 && qstrnicmp(card.constData() + start, "UID", 3) == 0
            && (card.at(start + 3) == ':' || card.at(start + 3) == ';')) {
            const QByteArray line = card.mid(start, length);
            return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
        }
        start = end < 0 ? -1 : end + 1;
    }
    return QString();
}

QByteArray CardTable::photoDigest(const QByteArray &photo)
{
    return QCryptographicHash::hash(photo, QCryptographicHash::Sha1).toHex();
}

#include "sync/syncstatetable.h"

#include "record/contact.h"
#include "storage/contactrowreader.h"
#include "storage/groupschema.h"
#include "storage/sqlitedatabase.h"
#include "storage/sqlitestatement.h"
#include "sync/synccard.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

QSqlError execute(QSqlQuery &query)
{
    return query.exec() ? QSqlError() : query.lastError();
}

QString selectWithPhoto()
{
    return SqliteDatabase::selectContacts().replace(QStringLiteral(" from contact"),
                                                    QStringLiteral(", photoData from contact"));
}

} // namespace

SyncStateTable::SyncStateTable(SqliteDatabase *store)
    : m_store(store)
{
}

bool SyncStateTable::prepare()
{
    if (!m_store->connection().isOpen()) {
        return false;
    }
    m_store->writeTable([](const QSqlDatabase &db) {
        QSqlQuery query(db);
        for (const char *statement :
             {"create table if not exists carddav_item (href text primary key, contactId bigint, "
              "uid text, etag text, syncedState text)",
              "create index if not exists carddav_item_contact on carddav_item (contactId)",
              "create table if not exists carddav_collection (url text, syncToken text)",
              "create table if not exists carddav_conflict (copyId bigint primary key, "
              "originalId bigint)"}) {
            if (!query.exec(QLatin1String(statement))) {
                return query.lastError();
            }
        }
        return QSqlError();
    });
    return true;
}

QString SyncStateTable::collectionUrl() const
{
    QSqlQuery query(m_store->connection());
    return query.exec(QStringLiteral("select url from carddav_collection")) && query.next()
                   ? query.value(0).toString()
                   : QString();
}

QString SyncStateTable::syncToken() const
{
    QSqlQuery query(m_store->connection());
    return query.exec(QStringLiteral("select syncToken from carddav_collection")) && query.next()
                   ? query.value(0).toString()
                   : QString();
}

void SyncStateTable::setCollection(const QString &url, const QString &syncToken)
{
    const bool sameBook = collectionUrl() == url;
    m_store->writeTable([url, syncToken, sameBook](const QSqlDatabase &db) {
        QSqlQuery query(db);
        if (!sameBook && !query.exec(QStringLiteral("delete from carddav_item"))) {
            return query.lastError();
        }
        if (!query.exec(QStringLiteral("delete from carddav_collection"))) {
            return query.lastError();
        }
        query.prepare(QStringLiteral(
                "insert into carddav_collection (url, syncToken) values (:url, :token)"));
        query.bindValue(QStringLiteral(":url"), url);
        query.bindValue(QStringLiteral(":token"), syncToken);
        return execute(query);
    });
}

QList<SyncItem> SyncStateTable::items(const QString &after, int limit) const
{
    QList<SyncItem> items;
    SqliteStatement query;
    if (!query.prepare(m_store->connection(),
                       QStringLiteral("select href, contactId, uid, etag, syncedState from "
                                      "carddav_item where href > ?1 order by href limit ?2"))) {
        return items;
    }
    query.bindText(1, after);
    query.bindInt64(2, limit);
    while (query.next()) {
        items.append(
                {query.text(0), query.int64(1), query.text(2), query.bytes(3), query.bytes(4)});
    }
    return items;
}

void SyncStateTable::putItem(const SyncItem &item)
{
    m_store->writeTable([item](const QSqlDatabase &db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral(
                "insert or replace into carddav_item (href, contactId, uid, etag, syncedState) "
                "values (:href, :contactId, :uid, :etag, :state)"));
        query.bindValue(QStringLiteral(":href"), item.href);
        query.bindValue(QStringLiteral(":contactId"), item.contactId);
        query.bindValue(QStringLiteral(":uid"), item.uid);
        query.bindValue(QStringLiteral(":etag"), QString::fromUtf8(item.etag));
        query.bindValue(QStringLiteral(":state"), QString::fromLatin1(item.state));
        return execute(query);
    });
}

void SyncStateTable::removeItem(const QString &href)
{
    m_store->writeTable([href](const QSqlDatabase &db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("delete from carddav_item where href = :href"));
        query.bindValue(QStringLiteral(":href"), href);
        return execute(query);
    });
}

void SyncStateTable::removeContact(const SyncItem &item)
{
    m_store->removeContacts({QString::number(item.contactId)});
    removeItem(item.href);
}

QHash<qint64, QStringList> SyncStateTable::memberships() const
{
    return GroupSchema::memberships(m_store->connection());
}

QList<QPair<qint64, QByteArray>>
SyncStateTable::localStates(qint64 after, int limit, const QHash<qint64, QStringList> &groups) const
{
    QList<QPair<qint64, QByteArray>> states;
    SqliteStatement query;
    if (!query.prepare(m_store->connection(),
                       selectWithPhoto() + QStringLiteral(" where id > ?1 order by id limit ?2"))) {
        return states;
    }
    query.bindInt64(1, after);
    query.bindInt64(2, limit);
    ContactRowReader reader;
    while (query.next()) {
        const std::unique_ptr<Contact> contact(reader.read(query));
        const qint64 id = query.int64(0);
        if (contact) {
            contact->groups = groups.value(id);
        }
        // A record without a name is never listed, so it is not synced.
        states.append(
                {id, contact ? SyncCard::fingerprint(*contact, query.bytes(15)) : QByteArray()});
    }
    return states;
}

QByteArray SyncStateTable::localState(qint64 id) const
{
    QByteArray photo;
    const std::unique_ptr<Contact> contact = loadContact(id, &photo);
    return contact ? SyncCard::fingerprint(*contact, photo) : QByteArray();
}

std::unique_ptr<Contact> SyncStateTable::loadContact(qint64 id, QByteArray *photo) const
{
    SqliteStatement query;
    if (!query.prepare(m_store->connection(),
                       selectWithPhoto() + QStringLiteral(" where id = ?1"))) {
        return nullptr;
    }
    query.bindInt64(1, id);
    if (!query.next()) {
        return nullptr;
    }
    std::unique_ptr<Contact> contact(ContactRowReader().read(query));
    if (photo) {
        *photo = query.bytes(15);
    }
    if (contact) {
        contact->groups = GroupSchema::groupsOf(m_store->connection(), id);
    }
    return contact;
}

// The insert does nothing for an existing id and the update nothing for a
// missing one, so together they store the record either way.
void SyncStateTable::storeContact(const Contact &contact, const QByteArray &photo)
{
    Contact record(&contact, nullptr);
    record.id = contact.id;
    m_store->insertContact(&record);
    m_store->updateContact(&record);
    const qint64 id = contact.id.toLongLong();
    m_store->writeTable([id, photo](const QSqlDatabase &db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("update contact set photoData = :photo where id = :id"));
        query.bindValue(QStringLiteral(":id"), id);
        query.bindValue(QStringLiteral(":photo"),
                        photo.isEmpty() ? QVariant(QVariant::ByteArray) : QVariant(photo));
        return execute(query);
    });
}

void SyncStateTable::putConflict(qint64 copyId, qint64 originalId)
{
    m_store->writeTable([copyId, originalId](const QSqlDatabase &db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("insert or replace into carddav_conflict (copyId, originalId) "
                                     "values (:copy, :original)"));
        query.bindValue(QStringLiteral(":copy"), copyId);
        query.bindValue(QStringLiteral(":original"), originalId);
        return execute(query);
    });
}

QList<QPair<qint64, qint64>> SyncStateTable::conflicts() const
{
    QList<QPair<qint64, qint64>> pairs;
    SqliteStatement query;
    if (!query.prepare(m_store->connection(),
                       QStringLiteral("select copyId, originalId from carddav_conflict where "
                                      "copyId in (select id from contact) and originalId in "
                                      "(select id from contact) order by copyId"))) {
        return pairs;
    }
    while (query.next()) {
        pairs.append({query.int64(0), query.int64(1)});
    }
    return pairs;
}

void SyncStateTable::dropSettledConflicts()
{
    m_store->writeTable([](const QSqlDatabase &db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("delete from carddav_conflict where copyId not in "
                                     "(select id from contact) or originalId not in "
                                     "(select id from contact)"));
        return execute(query);
    });
}

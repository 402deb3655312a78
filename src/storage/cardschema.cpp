#include "storage/cardschema.h"

#include "storage/sqlitestatement.h"

#include <QCryptographicHash>
#include <QSet>
#include <QSqlQuery>
#include <QVariant>

namespace {

const char *const CreateStatements[] = {
        "create table if not exists contact_card (contactId bigint primary key, card blob not "
        "null, photoDigest blob, uid text)",
        "create trigger if not exists contact_card_gone after delete on contact begin "
        "delete from contact_card where contactId = old.id; end"};

} // namespace

namespace CardSchema {

const char InsertStatement[] =
        "insert or replace into contact_card (contactId, card, photoDigest, uid) values "
        "(?1, ?2, ?3, ?4)";

QSqlError create(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    for (const char *statement : CreateStatements) {
        if (!query.exec(QLatin1String(statement))) {
            return query.lastError();
        }
    }
    return QSqlError();
}

QSqlError store(const QSqlDatabase &db, qint64 contactId, const QByteArray &card,
                const QByteArray &photoDigest)
{
    QSqlQuery query(db);
    if (card.isEmpty()) {
        query.prepare(QStringLiteral("delete from contact_card where contactId = ?"));
        query.addBindValue(contactId);
    } else {
        query.prepare(QLatin1String(InsertStatement));
        query.addBindValue(contactId);
        query.addBindValue(card);
        query.addBindValue(photoDigest);
        query.addBindValue(uidOf(card));
    }
    return query.exec() ? QSqlError() : query.lastError();
}

// One pass over the kept UIDs: an index of them made every insert of a
// large import slower than the whole lookup is.
QHash<QString, qint64> contactsOfUids(const QSqlDatabase &db, const QStringList &uids)
{
    QHash<QString, qint64> found;
    const QSet<QString> wanted(uids.cbegin(), uids.cend());
    SqliteStatement query;
    if (wanted.isEmpty()
        || !query.prepare(db,
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

QString uidOf(const QByteArray &card)
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

QByteArray photoDigest(const QByteArray &photo)
{
    return QCryptographicHash::hash(photo, QCryptographicHash::Sha1).toHex();
}

} // namespace CardSchema

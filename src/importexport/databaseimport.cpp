#include "importexport/databaseimport.h"

#include "importexport/eventloopturns.h"
#include "importexport/importlimits.h"
#include "record/contact.h"
#include "storage/contactrowreader.h"
#include "storage/groupschema.h"
#include "storage/sqlitedatabase.h"
#include "storage/sqlitestatement.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUuid>
#include <QVariant>

#include <sqlite3.h>

namespace {

// The URI of the file opened read-only and as immutable: SQLite then takes
// no lock and looks at no journal, so nothing is ever written beside it.
QString readOnlyUri(const QString &fileName)
{
    return QUrl::fromLocalFile(fileName).toString(QUrl::FullyEncoded)
           + QStringLiteral("?mode=ro&immutable=1");
}

// Every text or blob SQLite builds on this connection is at most the field
// limit (a longer value is an error), and so is the statement text.
void limitValueLength(const QSqlDatabase &db)
{
    if (sqlite3 *connection = SqliteStatement::handle(db)) {
        sqlite3_limit(connection, SQLITE_LIMIT_LENGTH, DatabaseImport::MaxFieldBytes);
    }
}

// Whether the file holds a real table of that name: not a view, whose
// query could run without end, and not a virtual table, whose module could
// do anything. SQLite begins the statement of every real table it creates
// with "CREATE TABLE"; a file whose statement begins otherwise (a virtual
// table behind a comment) is not read.
bool hasRealTable(const QSqlDatabase &db, const QString &name)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("select sql from sqlite_master where type = 'table' "
                                 "and name = :name"));
    query.bindValue(QStringLiteral(":name"), name);
    if (!query.exec() || !query.next()) {
        return false;
    }
    return query.value(0).toString().startsWith(QLatin1String("CREATE TABLE "));
}

// Whether a column of the table is generated (computed from an expression
// whenever it is read, which may cost any time or memory for every row) or
// hidden; pragma table_xinfo tells both by its "hidden" field.
bool hasComputedColumns(const QSqlDatabase &db, const QString &table)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("pragma table_xinfo(%1)").arg(table))) {
        return true;
    }
    const int hidden = query.record().indexOf(QStringLiteral("hidden"));
    while (query.next()) {
        if (hidden < 0 || query.value(hidden).toInt() != 0) {
            return true;
        }
    }
    return query.lastError().isValid();
}

// The bytes a record holds as text, to bound the whole import.
qint64 textSize(const Contact *contact)
{
    qint64 size = contact->name.size() + contact->surname.size() + contact->middlename.size()
                  + contact->organization.size() + contact->dateOfBirth.size()
                  + contact->comment.size();
    for (const QStringList &list : contact->lists()) {
        for (const QString &entry : list) {
            size += entry.size() + 8;
        }
    }
    return size * qint64(sizeof(QChar));
}

// The photos of the contacts read, by id, into their photoData (Base64 text
// as the stores keep it); a file of an older version without the column has
// none. held counts their bytes against the import's bound.
DatabaseImport::Result readPhotos(const QSqlDatabase &db, const QList<Contact *> &contacts,
                                  qint64 *held)
{
    QHash<QString, Contact *> byId;
    byId.reserve(contacts.size());
    for (Contact *contact : contacts) {
        byId.insert(contact->id, contact);
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral("select id, photoData from contact where photoData is not "
                                      "null and length(photoData) > 0 limit :rows"))) {
        return DatabaseImport::Read;
    }
    query.bindValue(QStringLiteral(":rows"), DatabaseImport::MaxRows);
    if (!query.exec()) {
        return DatabaseImport::Read;
    }
    EventLoopTurns turns(QEventLoop::ExcludeUserInputEvents);
    while (query.next()) {
        Contact *contact = byId.value(QString::number(query.value(0).toLongLong()));
        if (contact && contact->photoData.isEmpty()) {
            contact->photoData = query.value(1).toByteArray();
            *held += contact->photoData.size();
            if (*held > ImportLimits::MaxFileBytes) {
                return DatabaseImport::TooLarge;
            }
        }
        turns.maybeTurn();
    }
    return query.lastError().isValid() ? DatabaseImport::NoContacts : DatabaseImport::Read;
}

// The cards the contacts came from, by id, when the file keeps them (a file
// of an older version, or whose card table is no plain table, has none); a
// card over the field limit is left out, its contact still read.
void readCards(const QSqlDatabase &db, const QList<Contact *> &contacts, qint64 *held)
{
    if (!hasRealTable(db, QStringLiteral("contact_card"))
        || hasComputedColumns(db, QStringLiteral("contact_card"))) {
        return;
    }
    SqliteStatement query;
    if (!query.prepare(db, QStringLiteral("select card from contact_card where contactId = ?1"))) {
        return;
    }
    EventLoopTurns turns(QEventLoop::ExcludeUserInputEvents);
    for (Contact *contact : contacts) {
        query.bindInt64(1, contact->id.toLongLong());
        if (query.next()) {
            contact->card = query.bytes(0);
            *held += contact->card.size();
        }
        query.reset();
        if (*held > ImportLimits::MaxFileBytes) {
            return;
        }
        turns.maybeTurn();
    }
}

DatabaseImport::Result readRows(const QSqlDatabase &db, QList<Contact *> *contacts)
{
    if (!hasRealTable(db, QStringLiteral("contact"))) {
        return DatabaseImport::NoContacts;
    }
    if (hasComputedColumns(db, QStringLiteral("contact"))) {
        return DatabaseImport::ComputedColumns;
    }
    SqliteStatement query;
    if (!query.prepare(db, SqliteDatabase::selectContacts() + QStringLiteral(" limit ?1"))) {
        return DatabaseImport::NoContacts;
    }
    query.bindInt64(1, DatabaseImport::MaxRows);
    EventLoopTurns turns(QEventLoop::ExcludeUserInputEvents);
    ContactRowReader reader;
    qint64 held = 0;
    while (query.next()) {
        if (Contact *contact = reader.read(query)) {
            // The file's ids are this program's ids: an import of its own
            // export knows its contacts again by them.
            contact->uid = contact->id;
            contacts->append(contact);
            held += textSize(contact);
            if (held > ImportLimits::MaxFileBytes) {
                return DatabaseImport::TooLarge;
            }
        }
        turns.maybeTurn();
    }
    // A row that SQLite could not read (a damaged file, a field over the
    // limit) ends the loop like the last row; nothing of such a file is taken.
    if (query.error().isValid()) {
        return DatabaseImport::NoContacts;
    }
    query.finalize();
    const DatabaseImport::Result photos = readPhotos(db, *contacts, &held);
    if (photos == DatabaseImport::Read) {
        readCards(db, *contacts, &held);
        // The memberships are bounded as the rows are; a name is bounded by
        // the field limit.
        if (hasRealTable(db, QStringLiteral("contact_group_member"))
            && !hasComputedColumns(db, QStringLiteral("contact_group_member"))) {
            const QHash<qint64, QStringList> groups =
                    GroupSchema::memberships(db, DatabaseImport::MaxRows);
            for (Contact *contact : qAsConst(*contacts)) {
                contact->groups = groups.value(contact->id.toLongLong());
            }
        }
    }
    return photos;
}

} // namespace

DatabaseImport::Result DatabaseImport::read(const QString &fileName, QList<Contact *> *contacts,
                                            QStringList *groups)
{
    const QString connection =
            QStringLiteral("import_") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QList<Contact *> read;
    Result result = NoContacts;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        db.setDatabaseName(readOnlyUri(fileName));
        if (db.open()) {
            limitValueLength(db);
            result = readRows(db, &read);
            if (result == Read && groups && hasRealTable(db, QStringLiteral("contact_group"))
                && !hasComputedColumns(db, QStringLiteral("contact_group"))) {
                *groups = GroupSchema::groupNames(db, MaxGroups);
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    if (result == Read) {
        contacts->append(read);
    } else {
        qDeleteAll(read);
    }
    return result;
}

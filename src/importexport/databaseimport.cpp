#include "importexport/databaseimport.h"

#include "importexport/eventloopturns.h"
#include "importexport/importlimits.h"
#include "record/contact.h"
#include "storage/contactrowreader.h"
#include "storage/sqlitedatabase.h"
#include "storage/sqlitestatement.h"

#include <QSqlDatabase>
#include <QSqlQuery>
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

// Whether the file holds a real table named `contact`: not a view, whose
// query could run without end, and not a virtual table, whose module could
// do anything.
bool hasContactTable(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("select sql from sqlite_master where type = 'table' "
                                 "and name = 'contact'"));
    if (!query.exec() || !query.next()) {
        return false;
    }
    return !query.value(0).toString().simplified().startsWith(QLatin1String("create virtual"),
                                                              Qt::CaseInsensitive);
}

// The bytes a record holds as text, to bound the whole import.
qint64 textSize(const Contact *contact)
{
    qint64 size = contact->name.size() + contact->surname.size() + contact->middlename.size()
                  + contact->organization.size() + contact->dateOfBirth.size()
                  + contact->comment.size();
    for (const QStringList *list :
         {&contact->phoneList, &contact->phoneGroupList, &contact->emailList,
          &contact->emailGroupList, &contact->addressList, &contact->addressGroupList,
          &contact->linkList}) {
        for (const QString &entry : *list) {
            size += entry.size() + 8;
        }
    }
    return size * qint64(sizeof(QChar));
}

DatabaseImport::Result readRows(const QSqlDatabase &db, QList<Contact *> *contacts)
{
    if (!hasContactTable(db)) {
        return DatabaseImport::NoContacts;
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
    return query.error().isValid() ? DatabaseImport::NoContacts : DatabaseImport::Read;
}

} // namespace

DatabaseImport::Result DatabaseImport::read(const QString &fileName, QList<Contact *> *contacts)
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

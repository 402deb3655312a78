#include "storage/sqlitedatabase.h"

#include "record/contact.h"
#include "storage/photoencoding.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTimer>
#include <QVariant>

#include <atomic>

namespace {

const QString ListSeparator = QStringLiteral(";;;");

// The table of a new database file; the file format is also the exchange
// format of database import and export, so this text never changes.
const char CreateTable[] =
        "create table contact (id bigint primary key, name text, surname text, middlename text, "
        "isFavorite integer, organization text, dateOfBirth text, comment text, phoneList text, "
        "phoneGroupList text, emailList text, emailGroupList text, addressList text, "
        "addressGroupList text, linkList text, photoData text)";

// The key of a record: its id as a base-10 integer; text that is not a
// number is 0.
qint64 key(const QString &id)
{
    return id.toLongLong(nullptr, 10);
}

// Texts are bound as text even when empty, so that a column reads as the
// empty text and not as NULL.
QVariant text(const QString &value)
{
    return value.isNull() ? QVariant(QLatin1String("")) : QVariant(value);
}

// A connection name that no other store of this process uses: the
// millisecond of the open plus a sequence number for opens within one
// millisecond.
QString newConnectionName()
{
    static std::atomic<quint64> sequence{0};
    return QStringLiteral("sql_connection_%1_%2")
            .arg(QDateTime::currentMSecsSinceEpoch())
            .arg(++sequence);
}

// The stores of this process that hold an open transaction; all stores live
// on the GUI thread.
QList<SqliteDatabase *> &storesWithOpenTransaction()
{
    static QList<SqliteDatabase *> stores;
    return stores;
}

} // namespace

SqliteDatabase::SqliteDatabase(QObject *parent)
    : DataBase(parent)
{
}

SqliteDatabase::~SqliteDatabase()
{
    close();
}

QString SqliteDatabase::defaultPath()
{
    return QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/.config/kiv-phone.sqlite"));
}

QString SqliteDatabase::encodeList(const QStringList &list)
{
    return list.join(ListSeparator);
}

QStringList SqliteDatabase::decodeList(const QString &text)
{
    if (text.isEmpty()) {
        return QStringList();
    }
    return text.split(ListSeparator, Qt::KeepEmptyParts);
}

QString SqliteDatabase::connectionName() const
{
    return m_db.isValid() ? m_db.connectionName() : QString();
}

bool SqliteDatabase::isOpen() const
{
    return m_db.isValid() && m_db.isOpen();
}

void SqliteDatabase::commitOpenTransactions(const SqliteDatabase *except)
{
    const QList<SqliteDatabase *> stores = storesWithOpenTransaction();
    for (SqliteDatabase *store : stores) {
        if (store != except) {
            store->commit();
        }
    }
}

// Joins the open transaction, or opens one whose commit runs when the event
// loop next gets control.
void SqliteDatabase::beginWrite()
{
    commitOpenTransactions(this);
    if (m_transactionOpen || !m_db.transaction()) {
        return;
    }
    m_transactionOpen = true;
    storesWithOpenTransaction().append(this);
    QTimer::singleShot(0, this, &SqliteDatabase::commit);
}

void SqliteDatabase::commit()
{
    if (!m_transactionOpen) {
        return;
    }
    m_transactionOpen = false;
    storesWithOpenTransaction().removeOne(this);
    if (!m_db.commit()) {
        m_db.rollback();
    }
}

void SqliteDatabase::close()
{
    commit();
    if (!m_db.isValid()) {
        return;
    }
    const QString name = m_db.connectionName();
    m_insertQuery.reset();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

// Opens the file and checks with a query that it is an SQLite database. A
// database without any schema object (a new or empty file) gets the contact
// table; a database with other tables is left as it is and reads as empty.
// A file that is not a database is never written to.
bool SqliteDatabase::open(const QString &path)
{
    close();
    commitOpenTransactions(nullptr);

    const QString home = QDir::homePath();
    if (!QFileInfo(home + QStringLiteral("/.config")).isDir()) {
        QDir(home).mkdir(QStringLiteral(".config"));
    }

    QString file = path;
    if (path.trimmed().isEmpty()) {
        file = defaultPath();
        const QString oldFile =
                QDir::toNativeSeparators(home + QStringLiteral("/.config/kiv-contacts.sqlite"));
        if (!QFileInfo::exists(file) && QFileInfo::exists(oldFile)) {
            QFile::rename(oldFile, file);
        }
    }

    const bool existed = QFileInfo::exists(file);
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), newConnectionName());
    m_db.setDatabaseName(file);

    bool usable = m_db.open();
    if (usable) {
        QSqlQuery query(m_db);
        usable = query.exec(QStringLiteral("select count(*) from sqlite_master")) && query.next();
        if (usable && query.value(0).toLongLong() == 0) {
            query.finish();
            usable = query.exec(QLatin1String(CreateTable));
        }
    }
    if (!usable) {
        close();
        if (!existed) {
            QFile::remove(file);
        }
    }
    return usable;
}

void SqliteDatabase::bindFields(QSqlQuery &query, const Contact *contact) const
{
    query.bindValue(QStringLiteral(":id"), key(contact->id));
    query.bindValue(QStringLiteral(":name"), text(contact->name));
    query.bindValue(QStringLiteral(":surname"), text(contact->surname));
    query.bindValue(QStringLiteral(":middlename"), text(contact->middlename));
    query.bindValue(QStringLiteral(":isFavorite"), contact->isFavorite);
    query.bindValue(QStringLiteral(":organization"), text(contact->organization));
    query.bindValue(QStringLiteral(":dateOfBirth"), text(contact->dateOfBirth));
    query.bindValue(QStringLiteral(":comment"), text(contact->comment));
    query.bindValue(QStringLiteral(":phoneList"), text(encodeList(contact->phoneList)));
    query.bindValue(QStringLiteral(":phoneGroupList"), text(encodeList(contact->phoneGroupList)));
    query.bindValue(QStringLiteral(":emailList"), text(encodeList(contact->emailList)));
    query.bindValue(QStringLiteral(":emailGroupList"), text(encodeList(contact->emailGroupList)));
    query.bindValue(QStringLiteral(":addressList"), text(encodeList(contact->addressList)));
    query.bindValue(QStringLiteral(":addressGroupList"),
                    text(encodeList(contact->addressGroupList)));
    query.bindValue(QStringLiteral(":linkList"), text(encodeList(contact->linkList)));
}

QList<Contact *> SqliteDatabase::loadContacts()
{
    QList<Contact *> contacts;
    if (!isOpen()) {
        return contacts;
    }
    commitOpenTransactions(nullptr);
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral(
                "select id, name, surname, middlename, isFavorite, organization, dateOfBirth, "
                "comment, phoneList, phoneGroupList, emailList, emailGroupList, addressList, "
                "addressGroupList, linkList from contact"))) {
        return contacts;
    }
    while (query.next()) {
        const QString name = query.value(1).toString();
        const QString surname = query.value(2).toString();
        const QString middlename = query.value(3).toString();
        const QString fullname = Contact::composeFullName(surname, name, middlename);
        if (fullname.isEmpty()) {
            continue;
        }
        auto contact = new Contact(nullptr);
        contact->id = QString::number(query.value(0).toLongLong());
        contact->name = name;
        contact->surname = surname;
        contact->middlename = middlename;
        contact->isFavorite = query.value(4).toBool();
        contact->fullname = fullname;
        contact->organization = query.value(5).toString();
        contact->dateOfBirth = query.value(6).toString();
        contact->comment = query.value(7).toString();
        contact->phoneList = decodeList(query.value(8).toString());
        contact->phoneGroupList = decodeList(query.value(9).toString());
        contact->emailList = decodeList(query.value(10).toString());
        contact->emailGroupList = decodeList(query.value(11).toString());
        contact->addressList = decodeList(query.value(12).toString());
        contact->addressGroupList = decodeList(query.value(13).toString());
        contact->linkList = decodeList(query.value(14).toString());
        contacts.append(contact);
    }
    return contacts;
}

// One statement writes the record and its imported photo, so that a record
// whose id is already taken changes nothing at all. The photo is prepared as
// every stored photo is; a photo that is no image is dropped. The statement
// is prepared once per connection: an import runs it for every contact.
void SqliteDatabase::insertContact(Contact *contact)
{
    if (!contact || !isOpen()) {
        return;
    }
    beginWrite();
    if (!m_insertQuery) {
        m_insertQuery = std::make_unique<QSqlQuery>(m_db);
        if (!m_insertQuery->prepare(QStringLiteral(
                    "insert into contact (id, name, surname, middlename, isFavorite, "
                    "organization, dateOfBirth, comment, phoneList, phoneGroupList, emailList, "
                    "emailGroupList, addressList, addressGroupList, linkList, photoData) values "
                    "(:id, :name, :surname, :middlename, :isFavorite, :organization, "
                    ":dateOfBirth, :comment, :phoneList, :phoneGroupList, :emailList, "
                    ":emailGroupList, :addressList, :addressGroupList, :linkList, :photoData)"))) {
            m_insertQuery.reset();
            return;
        }
    }
    QSqlQuery &query = *m_insertQuery;
    bindFields(query, contact);
    const QByteArray photo = PhotoEncoding::normalizeBase64(contact->photoData);
    query.bindValue(QStringLiteral(":photoData"),
                    photo.isEmpty() ? QVariant(QVariant::ByteArray) : QVariant(photo));
    query.exec();
    query.finish();
}

// A bulk write (an export) is one transaction from its first insert to its
// end, not one per turn of the event loop that afterEach may run.
bool SqliteDatabase::insertContacts(const QList<Contact *> &contacts,
                                    const std::function<bool(int)> &afterEach)
{
    if (!isOpen()) {
        return false;
    }
    commitOpenTransactions(nullptr);
    if (!m_db.transaction()) {
        return false;
    }
    bool ok = true;
    for (int i = 0; ok && i < contacts.size(); ++i) {
        insertContact(contacts.at(i));
        ok = !afterEach || afterEach(i);
    }
    if (ok && m_db.commit()) {
        return true;
    }
    m_db.rollback();
    return false;
}

qint64 SqliteDatabase::contactCount()
{
    if (!isOpen()) {
        return -1;
    }
    commitOpenTransactions(nullptr);
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("select count(*) from contact")) || !query.next()) {
        return -1;
    }
    return query.value(0).toLongLong();
}

void SqliteDatabase::updateContact(Contact *contact)
{
    if (!contact || !isOpen()) {
        return;
    }
    beginWrite();
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral(
            "update contact set name = :name, surname = :surname, middlename = :middlename, "
            "isFavorite = :isFavorite, organization = :organization, dateOfBirth = :dateOfBirth, "
            "comment = :comment, phoneList = :phoneList, phoneGroupList = :phoneGroupList, "
            "emailList = :emailList, emailGroupList = :emailGroupList, "
            "addressList = :addressList, addressGroupList = :addressGroupList, "
            "linkList = :linkList where id = :id"));
    bindFields(query, contact);
    query.exec();
}

// The ids are bound one at a time to one prepared statement, all in one
// transaction, so that a long selection is removed at once or not at all.
void SqliteDatabase::removeContacts(const QStringList &ids)
{
    if (ids.isEmpty() || !isOpen()) {
        return;
    }
    beginWrite();
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("delete from contact where id = :id"));
    for (const QString &id : ids) {
        query.bindValue(QStringLiteral(":id"), key(id));
        query.exec();
    }
}

void SqliteDatabase::toggleFavorite(const QString &id)
{
    if (!isOpen()) {
        return;
    }
    beginWrite();
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("select isFavorite from contact where id = :id"));
    query.bindValue(QStringLiteral(":id"), key(id));
    if (!query.exec()) {
        return;
    }
    const bool favorite = query.next() && query.value(0).toBool();
    query.finish();
    query.prepare(QStringLiteral("update contact set isFavorite = :isFavorite where id = :id"));
    query.bindValue(QStringLiteral(":id"), key(id));
    query.bindValue(QStringLiteral(":isFavorite"), !favorite);
    query.exec();
}

QByteArray SqliteDatabase::loadPhoto(const QString &id)
{
    if (!isOpen()) {
        return QByteArray();
    }
    commitOpenTransactions(nullptr);
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("select photoData from contact where id = :id"));
    query.bindValue(QStringLiteral(":id"), key(id));
    if (!query.exec() || !query.next()) {
        return QByteArray();
    }
    return QByteArray::fromBase64(query.value(0).toByteArray());
}

void SqliteDatabase::savePhoto(const QString &id, const QString &imagePath)
{
    if (!isOpen()) {
        return;
    }
    const QByteArray photo = PhotoEncoding::encodeFile(imagePath);
    if (photo.isEmpty()) {
        return;
    }
    beginWrite();
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("update contact set photoData = :photoData where id = :id"));
    query.bindValue(QStringLiteral(":id"), key(id));
    query.bindValue(QStringLiteral(":photoData"), photo);
    query.exec();
}

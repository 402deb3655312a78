#include "storage/sqlitedatabase.h"

#include "record/contact.h"
#include "storage/cardschema.h"
#include "storage/contactrowreader.h"
#include "storage/groupschema.h"
#include "storage/listencoding.h"
#include "storage/photoencoding.h"
#include "storage/sqlitestatement.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSemaphore>
#include <QSet>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>
#include <QVariant>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <iterator>
#include <limits>
#include <memory>

namespace {

// The table of a new database file; the file format is also the exchange
// format of database import and export, so this text never changes.
const char CreateTable[] =
        "create table contact (id bigint primary key, name text, surname text, middlename text, "
        "isFavorite integer, organization text, dateOfBirth text, comment text, phoneList text, "
        "phoneGroupList text, emailList text, emailGroupList text, addressList text, "
        "addressGroupList text, linkList text, photoData text)";

// Every column of the table, in the order of the create statement.
const char *const Columns[] = {
        "id",           "name",           "surname",     "middlename",       "isFavorite",
        "organization", "dateOfBirth",    "comment",     "phoneList",        "phoneGroupList",
        "emailList",    "emailGroupList", "addressList", "addressGroupList", "linkList",
        "photoData"};

// How long one statement waits for a lock held by another program before it
// fails; the store then retries from the event loop, so the window never
// waits longer than this.
const char BusyTimeoutOption[] = "QSQLITE_BUSY_TIMEOUT=25";
// The pause before a failed transaction or a busy open is tried again.
constexpr int RetryIntervalMs = 300;

// SQLite's primary result codes that tell why a statement failed.
enum SqliteCode { Busy = 5, Locked = 6, ReadOnly = 8, Full = 13, Constraint = 19 };

QString inUseReason()
{
    return SqliteDatabase::tr("the address book is in use by another program");
}

int sqliteCode(const QSqlError &error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

bool isBusy(const QSqlError &error)
{
    const int code = sqliteCode(error);
    return code == Busy || code == Locked;
}

// The key of a record: its id as a base-10 integer; text that is not a
// number is 0.
qint64 key(const QString &id)
{
    return id.toLongLong(nullptr, 10);
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

// An address book is its owner's alone. A new file is created readable and
// writable by its owner only, before SQLite opens it: SQLite gives its
// journal the database file's mode, and the file is never open to others,
// not even for a moment.
void createForOwner(const QString &file)
{
    const int fd = ::open(QFile::encodeName(file).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd >= 0) {
        ::close(fd);
    }
}

// An address book that others may read or write (an earlier version created
// it so) is narrowed to its owner.
void narrowToOwner(const QString &file)
{
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                            | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                            | QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QFileDevice::Permissions permissions = QFile::permissions(file);
    if (permissions & others) {
        QFile::setPermissions(file, permissions & ~others);
    }
}

// The stores of this process that hold an open transaction; all stores live
// on the GUI thread.
QList<SqliteDatabase *> &storesWithOpenTransaction()
{
    static QList<SqliteDatabase *> stores;
    return stores;
}

} // namespace

// The stored fields of a record, for the journal until the write is
// committed: the texts and lists are shared with the record, not copied.
// They are bound as the parameters of the insert and update statements: ?1
// the key, ?2 to ?15 the columns from name to linkList; an insert binds the
// photo as ?16.
struct SqliteDatabase::StoredFields
{
    StoredFields() = default;
    explicit StoredFields(const Contact *contact, QByteArray photo = QByteArray())
        : id(key(contact->id)),
          isFavorite(contact->isFavorite),
          texts{contact->name,         contact->surname,     contact->middlename,
                contact->organization, contact->dateOfBirth, contact->comment},
          entries{contact->phoneList, contact->emailList, contact->addressList, contact->linkList},
          labels{contact->phoneGroupList, contact->emailGroupList, contact->addressGroupList},
          groups(contact->groups),
          photo(std::move(photo))
    {
    }
    StoredFields(const Contact *contact, QByteArray photo, QByteArray card)
        : StoredFields(contact, std::move(photo))
    {
        this->card = std::move(card);
    }

    void bind(SqliteStatement &statement) const
    {
        statement.bindInt64(1, id);
        statement.bindText(2, texts[0]);
        statement.bindText(3, texts[1]);
        statement.bindText(4, texts[2]);
        statement.bindInt64(5, isFavorite ? 1 : 0);
        for (int i = 3; i < int(std::size(texts)); ++i) {
            statement.bindText(i + 3, texts[i]);
        }
        // ?9 to ?15: phones, their labels, e-mails, their labels, addresses,
        // their labels, links.
        for (int i = 0; i < int(std::size(entries)); ++i) {
            statement.bindUtf8(9 + 2 * i, entries[i].joinedUtf8(ListEncoding::SeparatorUtf8));
        }
        for (int i = 0; i < int(std::size(labels)); ++i) {
            statement.bindText(10 + 2 * i, ListEncoding::encode(labels[i]));
        }
    }

    qint64 id = 0;
    bool isFavorite = false;
    // name, surname, middlename, organization, dateOfBirth, comment
    QString texts[6];
    // phoneList, emailList, addressList, linkList
    TextList entries[4];
    // phoneGroupList, emailGroupList, addressGroupList
    QStringList labels[3];
    // Kept in the group tables beside the record (see GroupSchema).
    QStringList groups;
    QByteArray photo;
    // The card the record came from, stored beside it by an insert.
    QByteArray card;
};

struct SqliteDatabase::JournalEntry
{
    StoredFields fields;
    Write write;
    // The contacts a write without fields changes (a removal, a favourite,
    // a photo), for what a quit would lose.
    QStringList ids;
    // The write stores the record of the fields.
    bool storesRecord = false;
};

SqliteDatabase::SqliteDatabase(QObject *parent)
    : DataBase(parent)
{
    m_retryTimer.setSingleShot(true);
    m_retryTimer.setInterval(RetryIntervalMs);
    connect(&m_retryTimer, &QTimer::timeout, this, [this] {
        if (m_waitingForFile) {
            waitForFile();
        } else {
            flush();
        }
    });
}

SqliteDatabase::~SqliteDatabase()
{
    close();
}

QString SqliteDatabase::defaultPath()
{
    return QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/.config/kiv-phone.sqlite"));
}

QString SqliteDatabase::connectionName() const
{
    return m_db.isValid() ? m_db.connectionName() : QString();
}

QSqlDatabase SqliteDatabase::connection() const
{
    return isOpen() ? m_db : QSqlDatabase();
}

void SqliteDatabase::writeTable(const std::function<QSqlError(const QSqlDatabase &)> &write)
{
    this->write([this, write](const StoredFields &) { return write(m_db); });
}

bool SqliteDatabase::isOpen() const
{
    return m_db.isValid() && m_db.isOpen() && !m_waitingForFile;
}

bool SqliteDatabase::isWaitingForFile() const
{
    return m_waitingForFile;
}

bool SqliteDatabase::hasUnsavedChanges() const
{
    return m_failed || m_waitingForFile;
}

// Each contact counts once, however many of its writes wait.
int SqliteDatabase::unsavedContactCount() const
{
    if (!hasUnsavedChanges()) {
        return 0;
    }
    QSet<qint64> contacts;
    for (const JournalEntry &entry : m_journal) {
        if (entry.storesRecord) {
            contacts.insert(entry.fields.id);
        }
        for (const QString &id : entry.ids) {
            contacts.insert(key(id));
        }
    }
    return int(contacts.size());
}

// A contact written several times is named as last written.
QStringList SqliteDatabase::unsavedContactNames(int limit) const
{
    QStringList names;
    if (!hasUnsavedChanges()) {
        return names;
    }
    QHash<qint64, int> named;
    for (const JournalEntry &entry : m_journal) {
        if (!entry.storesRecord) {
            continue;
        }
        const auto found = named.constFind(entry.fields.id);
        if (found == named.constEnd() && names.size() == limit) {
            continue;
        }
        const QString *texts = entry.fields.texts;
        const QString fullName = Contact::composeFullName(texts[1], texts[0], texts[2]);
        if (fullName.isEmpty()) {
            continue;
        }
        if (found != named.constEnd()) {
            names[found.value()] = fullName;
        } else {
            named.insert(entry.fields.id, names.size());
            names.append(fullName);
        }
    }
    return names;
}

QString SqliteDatabase::unsavedReason() const
{
    return hasUnsavedChanges() ? m_unsavedReason : QString();
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

QSqlError SqliteDatabase::run(QSqlQuery &query)
{
    if (query.exec()) {
        return QSqlError();
    }
    return constraintPasses(query.lastError());
}

QSqlError SqliteDatabase::run(SqliteStatement &statement)
{
    return constraintPasses(statement.exec());
}

QSqlError SqliteDatabase::constraintPasses(const QSqlError &error)
{
    return sqliteCode(error) == Constraint ? QSqlError() : error;
}

// Journals the write and runs it in the open transaction, or opens one whose
// commit runs when the event loop next gets control. After a failure the
// write only joins the journal, which is replayed whole by the next attempt.
void SqliteDatabase::write(Write write, StoredFields fields)
{
    this->write(JournalEntry{std::move(fields), std::move(write), QStringList(), true});
}

void SqliteDatabase::write(Write write, const QStringList &ids)
{
    this->write(JournalEntry{StoredFields(), std::move(write), ids});
}

void SqliteDatabase::write(JournalEntry added)
{
    if (!m_db.isValid() || !m_db.isOpen()) {
        return;
    }
    commitOpenTransactions(this);
    for (const QString &column : qAsConst(m_missingColumns)) {
        Write addColumn = [this, column](const StoredFields &) {
            QSqlQuery query(m_db);
            // The name is one of the fixed column names, never data.
            query.prepare(QStringLiteral("alter table contact add column %1 text").arg(column));
            return run(query);
        };
        m_journal.push_back({StoredFields(), std::move(addColumn), QStringList()});
    }
    m_missingColumns.clear();
    m_journal.push_back(std::move(added));
    if (m_waitingForFile) {
        return;
    }
    if (m_failed) {
        if (!m_retryTimer.isActive()) {
            m_retryTimer.start();
        }
        return;
    }
    if (m_transactionOpen) {
        const JournalEntry &entry = m_journal.back();
        const QSqlError error = entry.write(entry.fields);
        if (error.isValid()) {
            fail(error);
        }
        return;
    }
    if (!m_db.transaction()) {
        // A transaction of the caller's own is open on this connection: the
        // write is part of it.
        const JournalEntry entry = std::move(m_journal.back());
        m_journal.pop_back();
        entry.write(entry.fields);
        return;
    }
    m_transactionOpen = true;
    storesWithOpenTransaction().append(this);
    QTimer::singleShot(0, this, &SqliteDatabase::commit);
    const QSqlError error = replayJournal();
    if (error.isValid()) {
        fail(error);
    }
}

// Runs every journalled write in the open transaction; stops at the first
// failure.
QSqlError SqliteDatabase::replayJournal()
{
    for (const JournalEntry &entry : m_journal) {
        const QSqlError error = entry.write(entry.fields);
        if (error.isValid()) {
            return error;
        }
    }
    return QSqlError();
}

// Rolls the transaction back, keeps the journal and says why. A busy file
// is tried again from the event loop; any other failure on the next write or
// on retry().
void SqliteDatabase::fail(const QSqlError &error)
{
    // The tables may have been made in the transaction rolled back now.
    m_groupTablesMade = false;
    if (m_transactionOpen) {
        m_transactionOpen = false;
        storesWithOpenTransaction().removeOne(this);
    }
    m_db.rollback();
    // A rolled back schema change invalidates the prepared statements.
    finalizeStatements();
    m_failed = true;
    QString reason;
    switch (sqliteCode(error)) {
    case Busy:
    case Locked:
        reason = inUseReason();
        break;
    case Full:
        reason = tr("the disk is full");
        break;
    case ReadOnly:
        reason = tr("the file is read-only");
        break;
    default:
        reason = error.databaseText();
        break;
    }
    m_unsavedReason = reason;
    setStatusMessage(tr("Unable to save changes: ") + reason);
    if (isBusy(error)) {
        m_retryTimer.start();
    }
}

void SqliteDatabase::commit()
{
    if (!m_transactionOpen) {
        return;
    }
    // Run as a statement, so that a failure carries SQLite's own code.
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("commit"))) {
        fail(query.lastError());
        return;
    }
    m_transactionOpen = false;
    storesWithOpenTransaction().removeOne(this);
    // Its room goes too: a long wait for a locked file leaves the journal
    // of a whole import.
    m_journal = {};
    if (m_failed) {
        m_failed = false;
        setStatusMessage(QString());
    }
}

// Replays the journal of a failed attempt in a new transaction and commits
// it at once.
void SqliteDatabase::flush()
{
    if (m_waitingForFile || m_transactionOpen || m_journal.empty()) {
        commit();
        return;
    }
    if (!m_db.isValid() || !m_db.transaction()) {
        return;
    }
    m_transactionOpen = true;
    storesWithOpenTransaction().append(this);
    const QSqlError error = replayJournal();
    if (error.isValid()) {
        fail(error);
        return;
    }
    commit();
}

void SqliteDatabase::retry()
{
    if (m_waitingForFile) {
        waitForFile();
    } else {
        flush();
    }
}

void SqliteDatabase::finalizeStatements()
{
    m_insertStatement.finalize();
    m_cardStatement.finalize();
    m_loadCardStatement.finalize();
    m_loadPhotoStatement.finalize();
    m_memberships.finalize();
}

void SqliteDatabase::close()
{
    flush();
    m_retryTimer.stop();
    m_journal.clear();
    m_failed = false;
    m_waitingForFile = false;
    m_missingColumns.clear();
    if (!m_db.isValid()) {
        return;
    }
    const QString name = m_db.connectionName();
    // Every statement of SQLite's own must be gone before the connection
    // can close.
    finalizeStatements();
    m_db.close();
    m_db = QSqlDatabase();
    m_groupTablesMade = false;
    QSqlDatabase::removeDatabase(name);
}

// Checks with a query that the file is an SQLite database. A database
// without any schema object (a new or empty file) gets the contact table; a
// contact table of an older version gets its missing columns with the first
// write, so that a file that is only read is never changed; only its mode is
// narrowed to its owner once it proves a database, before anything is written.
SqliteDatabase::FileState SqliteDatabase::prepareFile()
{
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("select count(*) from sqlite_master")) || !query.next()) {
        return isBusy(query.lastError()) ? FileState::Busy : FileState::Unusable;
    }
    narrowToOwner(m_db.databaseName());
    const bool empty = query.value(0).toLongLong() == 0;
    query.finish();
    // A transaction that changes more pages than the page cache holds
    // (500 by default) writes them out before its commit, syncing the
    // rollback journal first. Up to 16 MiB of changed pages stay in memory
    // instead: bench_model's "removing 1,000 marked rows" at 100,000
    // contacts (target 100 ms) took 103-128 ms with the default and 75-82 ms
    // with this on a slow machine; with its reads in one transaction, 71-95
    // and 60-68 ms on a quicker one.
    query.exec(QStringLiteral("pragma cache_spill = 4000"));
    query.finish();
    if (empty) {
        if (!query.exec(QLatin1String(CreateTable))) {
            return isBusy(query.lastError()) ? FileState::Busy : FileState::Unusable;
        }
    }
    query.finish();
    QStringList present;
    if (!query.exec(QStringLiteral("pragma table_info(contact)"))) {
        return isBusy(query.lastError()) ? FileState::Busy : FileState::Unusable;
    }
    while (query.next()) {
        present.append(query.value(1).toString());
    }
    m_missingColumns.clear();
    if (!present.isEmpty()) {
        for (const char *column : Columns) {
            if (!present.contains(QLatin1String(column), Qt::CaseInsensitive)) {
                m_missingColumns.append(QLatin1String(column));
            }
        }
    }
    query.finish();
    if (query.exec(QStringLiteral("select max(id) from contact")) && query.next()) {
        Contact::noteIdInUse(query.value(0).toLongLong());
    }
    return FileState::Ready;
}

void SqliteDatabase::startWaiting()
{
    m_waitingForFile = true;
    m_unsavedReason = inUseReason();
    setStatusMessage(tr("The address book is in use by another program: waiting…"));
    m_retryTimer.start();
}

// Tries the locked file again; once it can be read, the writes made while
// waiting are saved and the contacts announced.
void SqliteDatabase::waitForFile()
{
    switch (prepareFile()) {
    case FileState::Busy:
        m_retryTimer.start();
        return;
    case FileState::Unusable:
        m_waitingForFile = false;
        m_failed = true;
        m_unsavedReason = m_db.lastError().text();
        setStatusMessage(tr("Unable to open the address book: ") + m_unsavedReason);
        return;
    case FileState::Ready:
        break;
    }
    m_waitingForFile = false;
    setStatusMessage(QString());
    flush();
    emit contactsAvailable();
}

// Opens the file and prepares it. A file that did not exist and cannot be
// used is removed again; an existing file that is not a database is never
// written to. An existing file locked by another program makes open return
// false with isWaitingForFile() true.
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
    if (!existed && file != QLatin1String(":memory:")) {
        createForOwner(file);
    }
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), newConnectionName());
    m_db.setDatabaseName(file);
    m_db.setConnectOptions(QLatin1String(BusyTimeoutOption));

    const FileState state = m_db.open() ? prepareFile() : FileState::Unusable;
    if (state == FileState::Ready) {
        return true;
    }
    if (state == FileState::Busy && existed) {
        startWaiting();
        return false;
    }
    close();
    if (!existed) {
        QFile::remove(file);
    }
    return false;
}

QString SqliteDatabase::selectContacts()
{
    return QStringLiteral("select id, name, surname, middlename, isFavorite, organization, "
                          "dateOfBirth, comment, phoneList, phoneGroupList, emailList, "
                          "emailGroupList, addressList, addressGroupList, linkList from contact");
}

namespace {

// From a table spanning this many row numbers on, a second thread reads the
// upper part of the rows on a connection of its own while the first reads the
// lower part: decoding the texts and making the records is most of the time
// a load takes. bench_largeimport's "start-up, sorted by en_US collation"
// row at 100,000 contacts (target 300 ms) needs it: on one thread the load
// takes about 200 ms of the start-up instead of about 140 ms.
constexpr qint64 ParallelLoadRows = 20000;

// Appends the records of the rows first to last to contacts, each with its
// groups; the failure of the read, or an invalid error when every row was
// read.
QSqlError readRows(const QSqlDatabase &db, qint64 first, qint64 last,
                   const QHash<qint64, QStringList> &groups, QList<Contact *> *contacts)
{
    SqliteStatement query;
    if (!query.prepare(db, SqliteDatabase::selectContacts()
                                   + QStringLiteral(" where rowid between ?1 and ?2"))) {
        return query.error();
    }
    query.bindInt64(1, first);
    query.bindInt64(2, last);
    ContactRowReader reader(groups.isEmpty() ? nullptr : &groups);
    while (query.next()) {
        if (Contact *contact = reader.read(query)) {
            contacts->append(contact);
        }
    }
    return query.error();
}

// The rows from first on, read on a read-only connection of the calling
// thread and handed to the owner thread; empty when they could not all be
// read (the owner then reads them itself). The rows are read before their
// groups are known: each record gets its groups once `read` says they are.
QList<Contact *> readRowsOnOwnConnection(const QString &path, qint64 first,
                                         const QHash<qint64, QStringList> &groups, QSemaphore &read,
                                         QThread *owner)
{
    QList<Contact *> contacts;
    bool complete = false;
    const QString name = newConnectionName();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;")
                             + QLatin1String(BusyTimeoutOption));
        if (db.open()) {
            complete = !readRows(db, first, std::numeric_limits<qint64>::max(), {}, &contacts)
                                .isValid();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    read.acquire();
    if (!complete) {
        qDeleteAll(contacts);
        return {};
    }
    for (Contact *contact : qAsConst(contacts)) {
        contact->groups = groups.value(contact->id.toLongLong());
        contact->moveToThread(owner);
    }
    return contacts;
}

} // namespace

// The first row number that a second thread reads, or 0 when the table is
// too small to be worth one. The second thread reads a little more than half
// the rows: the first also reads the memberships.
qint64 SqliteDatabase::parallelLoadSplit()
{
    if (QThread::idealThreadCount() < 2 || m_db.databaseName() == QLatin1String(":memory:")) {
        return 0;
    }
    // Each bound in a select of its own: SQLite finds a lone min() or max()
    // of the rowid at once, but both in one select read the whole table.
    SqliteStatement bounds;
    if (!bounds.prepare(m_db, QStringLiteral("select (select min(rowid) from contact), "
                                             "(select max(rowid) from contact)"))
        || !bounds.next()) {
        return 0;
    }
    const qint64 first = bounds.int64(0);
    const qint64 last = bounds.int64(1);
    if (last - first < ParallelLoadRows) {
        return 0;
    }
    return first + (last - first) * 47 / 100 + 1;
}

// Every record read straight from SQLite, in row order; texts that records
// repeat are shared (see ContactRowReader). The memberships are read in one
// pass over their table, and each thread gives the records it makes their
// groups. A large table is read by two threads, each on a part of the rows;
// the second starts at once and gives its records their groups once the
// first has read the memberships. Both read one state of the file:
// this connection's read transaction holds the file's shared lock until the
// second thread is done, so that no other program commits in between.
// SQLite's page cache is given back once the records are read: the list
// holds them from now on.
QList<Contact *> SqliteDatabase::loadContacts()
{
    QList<Contact *> contacts;
    if (!isOpen()) {
        return contacts;
    }
    commitOpenTransactions(nullptr);
    const bool reading = m_db.transaction();
    const qint64 split = reading ? parallelLoadSplit() : 0;
    QHash<qint64, QStringList> groups;
    QSemaphore membershipsRead;
    QList<Contact *> upper;
    std::unique_ptr<QThread> second;
    if (split != 0) {
        second.reset(QThread::create([&, path = m_db.databaseName(),
                                      owner = QThread::currentThread()] {
            upper = readRowsOnOwnConnection(path, split, groups, membershipsRead, owner);
        }));
        second->start();
    }
    groups = GroupSchema::memberships(m_db);
    membershipsRead.release();
    constexpr qint64 Last = std::numeric_limits<qint64>::max();
    const QSqlError error = readRows(m_db, std::numeric_limits<qint64>::min(),
                                     split != 0 ? split - 1 : Last, groups, &contacts);
    // Locked since the open (a lock is met before the first row, never
    // after): the contacts are announced once readable.
    if (contacts.isEmpty() && isBusy(error)) {
        startWaiting();
    }
    if (second) {
        second->wait();
        if (upper.isEmpty()) {
            readRows(m_db, split, Last, groups, &contacts);
        } else {
            contacts.append(upper);
        }
    }
    if (reading) {
        m_db.commit();
    }
    if (sqlite3 *connection = SqliteStatement::handle(m_db)) {
        sqlite3_db_release_memory(connection);
    }
    return contacts;
}

// One statement writes the record and its imported photo, so that a record
// whose id is already taken changes nothing at all. The photo is prepared as
// every stored photo is; a photo that is no image is dropped. The statement
// is prepared once per connection: an import runs it for every contact.
void SqliteDatabase::insertContact(Contact *contact)
{
    if (contact) {
        insertRecord(contact, contact->photoData, contact->card);
    }
}

void SqliteDatabase::insertRecord(const Contact *contact, const QByteArray &photoData,
                                  const QByteArray &card)
{
    Write insert = [this](const StoredFields &fields) {
        if (!m_insertStatement.isPrepared()
            && !m_insertStatement.prepare(
                    m_db,
                    QStringLiteral("insert into contact (id, name, surname, middlename, "
                                   "isFavorite, organization, dateOfBirth, comment, phoneList, "
                                   "phoneGroupList, emailList, emailGroupList, addressList, "
                                   "addressGroupList, linkList, photoData) values (?1, ?2, ?3, "
                                   "?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16)"))) {
            return m_insertStatement.error();
        }
        fields.bind(m_insertStatement);
        m_insertStatement.bindBlob(16, fields.photo.isEmpty() ? QByteArray() : fields.photo);
        QSqlError error = run(m_insertStatement);
        if (!error.isValid() && !fields.card.isEmpty()) {
            error = insertCard(fields.id, fields.card, fields.photo);
        }
        return error.isValid() ? error : writeGroups(fields, false);
    };
    write(std::move(insert),
          StoredFields(contact, PhotoEncoding::normalizeBase64(photoData), card));
}

// The table of cards is made with the first card written, so that a file
// that only holds records stays as it is.
QSqlError SqliteDatabase::insertCard(qint64 id, const QByteArray &card, const QByteArray &photo)
{
    if (!m_cardStatement.isPrepared()) {
        const QSqlError made = CardSchema::create(m_db);
        if (made.isValid()) {
            return made;
        }
        if (!m_cardStatement.prepare(m_db, QLatin1String(CardSchema::InsertStatement))) {
            return m_cardStatement.error();
        }
    }
    m_cardStatement.bindInt64(1, id);
    m_cardStatement.bindBlob(2, card);
    m_cardStatement.bindBlob(3, CardSchema::photoDigest(photo));
    m_cardStatement.bindText(4, CardSchema::uidOf(card));
    return run(m_cardStatement);
}

QHash<QString, QString> SqliteDatabase::contactsOfCardUids(const QStringList &uids)
{
    commitOpenTransactions(nullptr);
    QHash<QString, QString> ids;
    const QHash<QString, qint64> found = CardSchema::contactsOfUids(m_db, uids);
    for (auto it = found.cbegin(); it != found.cend(); ++it) {
        ids.insert(it.key(), QString::number(it.value()));
    }
    return ids;
}

void SqliteDatabase::saveCard(const QString &id, const QByteArray &card,
                              const QByteArray &photoDigest)
{
    if (!isOpen()) {
        return;
    }
    writeTable([contactId = key(id), card, photoDigest](const QSqlDatabase &db) {
        const QSqlError made = CardSchema::create(db);
        return made.isValid() ? made : CardSchema::store(db, contactId, card, photoDigest);
    });
}

QList<QPair<QString, QString>> SqliteDatabase::distinctPairs()
{
    commitOpenTransactions(nullptr);
    QList<QPair<QString, QString>> pairs;
    QSqlQuery query(m_db);
    // A file without the table has no pairs.
    if (!isOpen()
        || !query.exec(QStringLiteral("select firstId, secondId from contact_distinct"))) {
        return pairs;
    }
    while (query.next()) {
        pairs.append({query.value(0).toString(), query.value(1).toString()});
    }
    return pairs;
}

void SqliteDatabase::addDistinctPair(const QString &first, const QString &second)
{
    const bool inOrder = first < second;
    const qint64 a = key(inOrder ? first : second);
    const qint64 b = key(inOrder ? second : first);
    Write add = [this, a, b](const StoredFields &) {
        QSqlQuery query(m_db);
        if (!query.exec(QStringLiteral("create table if not exists contact_distinct (firstId "
                                       "bigint not null, secondId bigint not null, primary key "
                                       "(firstId, secondId))"))) {
            return query.lastError();
        }
        query.prepare(QStringLiteral("insert or ignore into contact_distinct (firstId, secondId) "
                                     "values (:first, :second)"));
        query.bindValue(QStringLiteral(":first"), a);
        query.bindValue(QStringLiteral(":second"), b);
        return run(query);
    };
    write(std::move(add));
}

// The group tables are made with the first group a record joins; until then
// a record without groups writes nothing there.
QSqlError SqliteDatabase::writeGroups(const StoredFields &fields, bool replace)
{
    if (fields.groups.isEmpty() && !m_groupTablesMade) {
        m_groupTablesMade = GroupSchema::exists(m_db);
        if (!m_groupTablesMade) {
            return QSqlError();
        }
    }
    const QSqlError error = makeGroupTables();
    return error.isValid() ? error
                           : m_memberships.write(m_db, fields.id, fields.groups, replace);
}

QSqlError SqliteDatabase::makeGroupTables()
{
    if (m_groupTablesMade) {
        return QSqlError();
    }
    const QSqlError error = GroupSchema::create(m_db);
    m_groupTablesMade = !error.isValid();
    return error;
}

QStringList SqliteDatabase::groupNames()
{
    commitOpenTransactions(nullptr);
    return isOpen() ? GroupSchema::groupNames(m_db) : QStringList();
}

void SqliteDatabase::changeGroups(const std::function<QSqlError()> &change)
{
    write([this, change](const StoredFields &) {
        const QSqlError error = makeGroupTables();
        return error.isValid() ? error : change();
    });
}

void SqliteDatabase::addGroup(const QString &name)
{
    changeGroups([this, name] { return GroupSchema::addGroup(m_db, name); });
}

void SqliteDatabase::renameGroup(const QString &from, const QString &to)
{
    changeGroups([this, from, to] { return GroupSchema::renameGroup(m_db, from, to); });
}

void SqliteDatabase::removeGroup(const QString &name)
{
    changeGroups([this, name] { return GroupSchema::removeGroup(m_db, name); });
}

// One statement serves every card read: an export asks for each contact's.
QByteArray SqliteDatabase::loadCard(const QString &id, QByteArray *photoDigest)
{
    commitOpenTransactions(nullptr);
    if (!m_loadCardStatement.isPrepared()
        && !m_loadCardStatement.prepare(m_db,
                                        QStringLiteral("select card, photoDigest from "
                                                       "contact_card where contactId = ?1"))) {
        return QByteArray();
    }
    m_loadCardStatement.bindInt64(1, key(id));
    QByteArray card;
    if (m_loadCardStatement.next()) {
        card = m_loadCardStatement.bytes(0);
        if (photoDigest) {
            *photoDigest = m_loadCardStatement.bytes(1);
        }
    }
    m_loadCardStatement.reset();
    return card;
}

// In one read transaction: each statement outside one takes the file's lock,
// reads its header and drops the lock again. Read one by one, the photos and
// cards took over a third of bench_model's "removing 1,000 marked rows" at
// 100,000 contacts, most of it in the locking.
QVector<QByteArray> SqliteDatabase::loadPhotosAndCards(const QVector<Contact *> &records)
{
    commitOpenTransactions(nullptr);
    const bool together = isOpen() && m_db.transaction();
    const QVector<QByteArray> digests = DataBase::loadPhotosAndCards(records);
    if (together) {
        m_db.commit();
    }
    return digests;
}

// A bulk write (an export) is one transaction from its first insert to its
// end, not one per turn of the event loop that afterEach may run.
bool SqliteDatabase::insertContacts(const QList<Contact *> &contacts,
                                    const std::function<bool(int)> &afterEach,
                                    const std::function<QByteArray(const Contact *)> &photoOf,
                                    const std::function<QByteArray(const Contact *)> &cardOf)
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
        if (const Contact *contact = contacts.at(i)) {
            insertRecord(contact, photoOf ? photoOf(contact) : contact->photoData,
                         cardOf ? cardOf(contact) : contact->card);
        }
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
    if (!contact) {
        return;
    }
    Write update = [this](const StoredFields &fields) {
        SqliteStatement statement;
        if (!statement.prepare(
                    m_db,
                    QStringLiteral("update contact set name = ?2, surname = ?3, middlename = ?4, "
                                   "isFavorite = ?5, organization = ?6, dateOfBirth = ?7, "
                                   "comment = ?8, phoneList = ?9, phoneGroupList = ?10, "
                                   "emailList = ?11, emailGroupList = ?12, addressList = ?13, "
                                   "addressGroupList = ?14, linkList = ?15 where id = ?1"))) {
            return constraintPasses(statement.error());
        }
        fields.bind(statement);
        const QSqlError error = run(statement);
        return error.isValid() ? error : writeGroups(fields, true);
    };
    write(std::move(update), StoredFields(contact));
}

// The ids are bound one at a time to one prepared statement, all in one
// transaction, so that a long selection is removed at once or not at all.
void SqliteDatabase::removeContacts(const QStringList &ids)
{
    if (ids.isEmpty()) {
        return;
    }
    Write remove = [this, ids](const StoredFields &) {
        QSqlQuery query(m_db);
        query.prepare(QStringLiteral("delete from contact where id = :id"));
        for (const QString &id : ids) {
            query.bindValue(QStringLiteral(":id"), key(id));
            const QSqlError error = run(query);
            if (error.isValid()) {
                return error;
            }
        }
        return QSqlError();
    };
    write(std::move(remove), ids);
}

void SqliteDatabase::toggleFavorite(const QString &id)
{
    Write toggle = [this, id](const StoredFields &) {
        QSqlQuery query(m_db);
        query.prepare(QStringLiteral("select isFavorite from contact where id = :id"));
        query.bindValue(QStringLiteral(":id"), key(id));
        QSqlError error = run(query);
        if (error.isValid()) {
            return error;
        }
        const bool favorite = query.next() && query.value(0).toBool();
        query.finish();
        query.prepare(QStringLiteral("update contact set isFavorite = :isFavorite where id = :id"));
        query.bindValue(QStringLiteral(":id"), key(id));
        query.bindValue(QStringLiteral(":isFavorite"), !favorite);
        return run(query);
    };
    write(std::move(toggle), {id});
}

QByteArray SqliteDatabase::loadPhoto(const QString &id)
{
    if (!isOpen()) {
        return QByteArray();
    }
    commitOpenTransactions(nullptr);
    // Prepared once: a removal reads the photo of each contact it takes.
    if (!m_loadPhotoStatement.isPrepared()
        && !m_loadPhotoStatement.prepare(
                m_db, QStringLiteral("select photoData from contact where id = ?1"))) {
        return QByteArray();
    }
    m_loadPhotoStatement.bindInt64(1, key(id));
    QByteArray photo;
    if (m_loadPhotoStatement.next()) {
        photo = QByteArray::fromBase64(m_loadPhotoStatement.bytes(0));
    }
    m_loadPhotoStatement.reset();
    return photo;
}

void SqliteDatabase::savePhoto(const QString &id, const QString &imagePath)
{
    if (!m_db.isValid()) {
        return;
    }
    writePhoto(id, PhotoEncoding::encodeFile(imagePath));
}

void SqliteDatabase::savePhotoData(const QString &id, const QByteArray &base64)
{
    if (m_db.isValid()) {
        writePhoto(id, PhotoEncoding::normalizeBase64(base64));
    }
}

void SqliteDatabase::writePhoto(const QString &id, const QByteArray &photo)
{
    if (photo.isEmpty()) {
        return;
    }
    Write store = [this, id, photo](const StoredFields &) {
        QSqlQuery query(m_db);
        query.prepare(QStringLiteral("update contact set photoData = :photoData where id = :id"));
        query.bindValue(QStringLiteral(":id"), key(id));
        query.bindValue(QStringLiteral(":photoData"), photo);
        return run(query);
    };
    write(std::move(store), {id});
}

#pragma once

#include "storage/database.h"
#include "storage/groupschema.h"
#include "storage/sqlitestatement.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

// The main contact store: the table `contact` in an SQLite database file.
// The same class reads and writes the database files of import and export.
//
// Writes are batched: the first write opens a transaction and posts its
// commit to the event loop, so that everything written until the event loop
// next runs (an import lets it run every few dozen milliseconds) is one
// transaction. Reads, open, close and destruction commit first, and so does
// any operation of another store of this process, so that within the process
// every store sees every write at once. A process killed half-way loses only
// the writes since the last turn of its event loop.
//
// No write is dropped: each one stays in a journal until its transaction is
// committed. A transaction that fails (the file locked by another program
// past a short busy timeout, a full disk, a read-only file) is rolled back,
// reported through the status message and replayed whole later: from the
// event loop while the file is busy, and on the next write or retry()
// otherwise. An existing file that is locked at open is waited for in the
// same way, without blocking the event loop.
class SqliteDatabase : public DataBase
{
    Q_OBJECT

public:
    explicit SqliteDatabase(QObject *parent = nullptr);
    ~SqliteDatabase() override;

    bool open(const QString &path) override;
    QList<Contact *> loadContacts() override;
    void insertContact(Contact *contact) override;
    void updateContact(Contact *contact) override;
    void removeContacts(const QStringList &ids) override;
    void toggleFavorite(const QString &id) override;
    QByteArray loadPhoto(const QString &id) override;
    void savePhoto(const QString &id, const QString &imagePath) override;
    void savePhotoData(const QString &id, const QByteArray &base64) override;
    QByteArray loadCard(const QString &id, QByteArray *photoDigest = nullptr) override;
    QVector<QByteArray> loadPhotosAndCards(const QVector<Contact *> &records) override;
    void saveCard(const QString &id, const QByteArray &card,
                  const QByteArray &photoDigest) override;
    QHash<QString, QString> contactsOfCardUids(const QStringList &uids) override;
    // Kept in the table contact_distinct beside contact.
    QList<QPair<QString, QString>> distinctPairs() override;
    void addDistinctPair(const QString &first, const QString &second) override;
    QStringList groupNames() override;
    void addGroup(const QString &name) override;
    void renameGroup(const QString &from, const QString &to) override;
    void removeGroup(const QString &name) override;
    bool hasUnsavedChanges() const override;
    void retry() override;
    int unsavedContactCount() const override;
    QStringList unsavedContactNames(int limit) const override;
    QString unsavedReason() const override;

    // True after an open or a read that found the existing file locked by another
    // program: the store then waits for it, and emits contactsAvailable()
    // once it can be read.
    bool isWaitingForFile() const;

    // Inserts the contacts in one transaction of their own, calling afterEach
    // with the index of each contact written; it stops when afterEach answers
    // false. photoOf, when given, gives each record's photo (Base64 text)
    // instead of its photoData, and cardOf its card instead of its card.
    // True when the transaction was committed.
    bool insertContacts(const QList<Contact *> &contacts,
                        const std::function<bool(int)> &afterEach = nullptr,
                        const std::function<QByteArray(const Contact *)> &photoOf = nullptr,
                        const std::function<QByteArray(const Contact *)> &cardOf = nullptr);
    // The number of records in the table, or -1 when it cannot be read.
    qint64 contactCount();

    // The file an empty path opens: ~/.config/kiv-phone.sqlite.
    static QString defaultPath();

    // The statement that reads every record, in the columns that
    // ContactRowReader reads; shared with the database import, which reads
    // other files of the same format.
    static QString selectContacts();

    // The name under which this store's connection is registered; empty
    // while the store has none.
    QString connectionName() const;

    // Other layers keep tables of their own in the same file (the sync
    // state). They read through the store's connection, which sees the
    // store's writes at once, and write through writeTable(): such a write
    // is journalled like the store's own and commits in the same
    // transaction as the contact writes made in the same turn of the event
    // loop, so that a crash keeps both or neither.
    QSqlDatabase connection() const;
    void writeTable(const std::function<QSqlError(const QSqlDatabase &)> &write);

private:
    // The fields of a record that an insert or an update stores.
    struct StoredFields;
    // One journalled write, called with the fields journalled beside it
    // (empty for a write that stores no record); answers the error that
    // made it fail (an invalid error when it was stored or was refused by a
    // constraint).
    using Write = std::function<QSqlError(const StoredFields &)>;
    struct JournalEntry;
    enum class FileState { Ready, Busy, Unusable };

    FileState prepareFile();
    void startWaiting();
    void waitForFile();
    // A write of a record's fields (an insert or an update).
    void write(Write write, StoredFields fields);
    // Any other write; ids are the contacts it changes (none for a change of
    // the table or of another layer's table).
    void write(Write write, const QStringList &ids = QStringList());
    void write(JournalEntry added);
    // Runs a statement of a write: a constraint refusal is no failure.
    static QSqlError run(QSqlQuery &query);
    static QSqlError run(SqliteStatement &statement);
    static QSqlError constraintPasses(const QSqlError &error);
    QSqlError replayJournal();
    void fail(const QSqlError &error);
    void commit();
    void flush();
    // Commits the open transactions of every store of this process except
    // `except` (none: all of them).
    static void commitOpenTransactions(const SqliteDatabase *except);
    void close();
    // The prepared statements of SQLite's own, which a rollback of a schema
    // change invalidates and which must be gone before the connection closes.
    void finalizeStatements();
    bool isOpen() const;
    qint64 parallelLoadSplit();
    void insertRecord(const Contact *contact, const QByteArray &photo, const QByteArray &card);
    QSqlError insertCard(qint64 id, const QByteArray &card, const QByteArray &photo);
    void writePhoto(const QString &id, const QByteArray &photo);
    QSqlError writeGroups(const StoredFields &fields, bool replace);
    QSqlError makeGroupTables();
    void changeGroups(const std::function<QSqlError()> &change);

    QSqlDatabase m_db;
    bool m_transactionOpen = false;
    // This connection's file has the group tables.
    bool m_groupTablesMade = false;
    // Writes not yet committed, in order. The fields of an import's
    // inserts lie in the entries themselves, one after the other, so that
    // a commit releases them in one sweep rather than as thousands of
    // blocks scattered over the heap.
    std::vector<JournalEntry> m_journal;
    // The last transaction failed; the journal waits for a retry.
    bool m_failed = false;
    bool m_waitingForFile = false;
    // Why the journal waits, in the words of the status message.
    QString m_unsavedReason;
    // Columns of the current table that a file of an older version lacks;
    // added by the first write.
    QStringList m_missingColumns;
    QTimer m_retryTimer;
    // The prepared insert statement of the current connection.
    SqliteStatement m_insertStatement;
    SqliteStatement m_cardStatement;
    SqliteStatement m_loadCardStatement;
    SqliteStatement m_loadPhotoStatement;
    GroupSchema::MembershipWriter m_memberships;
};

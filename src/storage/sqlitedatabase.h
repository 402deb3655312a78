#pragma once

#include "storage/database.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <functional>
#include <memory>

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

    // Inserts the contacts in one transaction of their own, calling afterEach
    // with the index of each contact written; it stops when afterEach answers
    // false. True when the transaction was committed.
    bool insertContacts(const QList<Contact *> &contacts,
                        const std::function<bool(int)> &afterEach = nullptr);
    // The number of records in the table, or -1 when it cannot be read.
    qint64 contactCount();

    // The file an empty path opens: ~/.config/kiv-phone.sqlite.
    static QString defaultPath();
    // The column text of a list: entries joined with ";;;".
    static QString encodeList(const QStringList &list);
    // The list of a column text; empty entries are kept so that paired
    // lists stay paired, and the empty text is the empty list.
    static QStringList decodeList(const QString &text);

    // The name under which this store's connection is registered; empty
    // while the store has none.
    QString connectionName() const;

private:
    void beginWrite();
    void commit();
    // Commits the open transactions of every store of this process except
    // `except` (none: all of them).
    static void commitOpenTransactions(const SqliteDatabase *except);
    void close();
    bool isOpen() const;
    void bindFields(QSqlQuery &query, const Contact *contact) const;

    QSqlDatabase m_db;
    bool m_transactionOpen = false;
    // The prepared insert statement of the current connection.
    std::unique_ptr<QSqlQuery> m_insertQuery;
};

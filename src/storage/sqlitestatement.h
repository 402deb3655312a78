#pragma once

#include <QByteArray>
#include <QSqlError>
#include <QString>

#include <string_view>
#include <vector>

class QSqlDatabase;
struct sqlite3;
struct sqlite3_stmt;

// One prepared statement on the SQLite connection of a QSqlDatabase, run
// through SQLite's own interface. Values are bound and read by column
// number, texts as UTF-8 (the encoding SQLite keeps them in), without the
// QVariant per value and the conversion to UTF-16 that Qt SQL makes: the
// statements that run once per record (loading, inserting, updating) use it.
// Failures come back as QSqlError with SQLite's result code as the native
// code, as Qt SQL reports them.
class SqliteStatement
{
public:
    SqliteStatement() = default;
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    // The SQLite connection of an open QSqlDatabase of the SQLite driver,
    // else null.
    static sqlite3 *handle(const QSqlDatabase &db);

    // Prepares the statement on the connection of db; on failure error()
    // says why.
    bool prepare(const QSqlDatabase &db, const QString &sql);
    bool isPrepared() const { return m_statement != nullptr; }
    // Releases the statement; it must be prepared again before use.
    void finalize();

    // Parameters count from 1. A null text is bound as the empty text, so
    // that the column reads as text and not as NULL.
    void bindText(int parameter, const QString &text);
    // Text given as its UTF-8 bytes.
    void bindUtf8(int parameter, QByteArray utf8);
    void bindInt64(int parameter, qint64 value);
    // A null array binds NULL.
    void bindBlob(int parameter, const QByteArray &bytes);

    // Steps to the next result row; false at the end or on a failure, which
    // error() then reports.
    bool next();
    // Runs the bound statement to its end and makes it ready for new
    // bindings; an invalid error when it went well.
    QSqlError exec();
    // Makes the statement ready to run again and clears its bindings.
    void reset();

    // Values of the current row, columns counted from 0.
    qint64 int64(int column) const;
    bool flag(int column) const;
    // True for a column that holds text (not NULL, a number or a blob).
    bool isText(int column) const;
    // The UTF-8 bytes of a text column, valid until the next step (empty
    // for NULL).
    std::string_view utf8(int column) const;
    // A text column as text: NULL is the null text, an empty text is empty.
    QString text(int column) const;
    // A blob column's bytes (a text column's UTF-8); NULL is the null array.
    QByteArray bytes(int column) const;

    // The failure of the last prepare or step; invalid when there was none.
    QSqlError error() const;

private:
    QSqlError makeError(int code) const;
    const QByteArray &held(int parameter, QByteArray bytes);

    // The bytes bound to each parameter, held until they are bound anew, so
    // that SQLite need not copy them.
    std::vector<QByteArray> m_bound;
    sqlite3 *m_connection = nullptr;
    sqlite3_stmt *m_statement = nullptr;
    int m_result = 0;
};

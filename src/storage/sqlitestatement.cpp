#include "storage/sqlitestatement.h"

#include <QLocale>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

#include <utility>

SqliteStatement::~SqliteStatement()
{
    finalize();
}

sqlite3 *SqliteStatement::handle(const QSqlDatabase &db)
{
    if (!db.isValid() || !db.isOpen()) {
        return nullptr;
    }
    const QVariant value = db.driver()->handle();
    if (!value.isValid() || qstrcmp(value.typeName(), "sqlite3*") != 0) {
        return nullptr;
    }
    return *static_cast<sqlite3 *const *>(value.constData());
}

bool SqliteStatement::prepare(const QSqlDatabase &db, const QString &sql)
{
    finalize();
    m_connection = handle(db);
    if (!m_connection) {
        m_result = SQLITE_MISUSE;
        return false;
    }
    const QByteArray text = sql.toUtf8();
    m_result =
            sqlite3_prepare_v2(m_connection, text.constData(), text.size(), &m_statement, nullptr);
    if (m_result != SQLITE_OK) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        return false;
    }
    return true;
}

void SqliteStatement::finalize()
{
    if (m_statement) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
    m_bound.clear();
}

// Keeps the bytes for the statement's next run; SQLite reads them in place.
const QByteArray &SqliteStatement::held(int parameter, QByteArray bytes)
{
    if (m_bound.size() <= size_t(parameter)) {
        m_bound.resize(size_t(parameter) + 1);
    }
    m_bound[size_t(parameter)] = std::move(bytes);
    return m_bound[size_t(parameter)];
}

void SqliteStatement::bindText(int parameter, const QString &text)
{
    bindUtf8(parameter, text.toUtf8());
}

void SqliteStatement::bindUtf8(int parameter, QByteArray utf8)
{
    const QByteArray &bytes = held(parameter, std::move(utf8));
    // A null pointer would bind NULL.
    sqlite3_bind_text(m_statement, parameter, bytes.isEmpty() ? "" : bytes.constData(),
                      bytes.size(), SQLITE_STATIC);
}

void SqliteStatement::bindInt64(int parameter, qint64 value)
{
    sqlite3_bind_int64(m_statement, parameter, value);
}

void SqliteStatement::bindBlob(int parameter, const QByteArray &bytes)
{
    if (bytes.isNull()) {
        sqlite3_bind_null(m_statement, parameter);
        return;
    }
    const QByteArray &blob = held(parameter, bytes);
    sqlite3_bind_blob(m_statement, parameter, blob.isEmpty() ? "" : blob.constData(), blob.size(),
                      SQLITE_STATIC);
}

bool SqliteStatement::next()
{
    if (!m_statement) {
        return false;
    }
    m_result = sqlite3_step(m_statement);
    return m_result == SQLITE_ROW;
}

QSqlError SqliteStatement::exec()
{
    if (!m_statement) {
        return makeError(SQLITE_MISUSE);
    }
    while (next()) { }
    const QSqlError failure = error();
    reset();
    return failure;
}

void SqliteStatement::reset()
{
    if (m_statement) {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
}

// Numbers and flags are read as Qt SQL's values convert: an integer as it
// is, a real rounded, a text by its digits (0 when it has none).
qint64 SqliteStatement::int64(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return sqlite3_column_int64(m_statement, column);
    case SQLITE_FLOAT:
        return qRound64(sqlite3_column_double(m_statement, column));
    case SQLITE_NULL:
        return 0;
    default:
        return text(column).toLongLong(nullptr, 10);
    }
}

bool SqliteStatement::flag(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return sqlite3_column_int64(m_statement, column) != 0;
    case SQLITE_FLOAT:
        return sqlite3_column_double(m_statement, column) != 0;
    case SQLITE_NULL:
        return false;
    default: {
        const QString value = text(column).toLower();
        return !(value.isEmpty() || value == QLatin1String("0") || value == QLatin1String("false"));
    }
    }
}

bool SqliteStatement::isText(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_TEXT;
}

std::string_view SqliteStatement::utf8(int column) const
{
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    if (!bytes) {
        return std::string_view();
    }
    return std::string_view(bytes, size_t(sqlite3_column_bytes(m_statement, column)));
}

QString SqliteStatement::text(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_NULL:
        return QString();
    case SQLITE_FLOAT:
        return QString::number(sqlite3_column_double(m_statement, column), 'g',
                               QLocale::FloatingPointShortest);
    default:
        break;
    }
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    if (!bytes) {
        return QString();
    }
    // The shared empty text: no allocation for the many empty columns.
    if (size == 0) {
        return QString(QLatin1String(""));
    }
    return QString::fromUtf8(bytes, size);
}

QByteArray SqliteStatement::bytes(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_NULL:
        return QByteArray();
    case SQLITE_FLOAT:
        return text(column).toUtf8();
    default:
        break;
    }
    const auto *data = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
    return QByteArray(data ? data : "", sqlite3_column_bytes(m_statement, column));
}

QSqlError SqliteStatement::error() const
{
    if (m_result == SQLITE_OK || m_result == SQLITE_ROW || m_result == SQLITE_DONE) {
        return QSqlError();
    }
    return makeError(m_result);
}

QSqlError SqliteStatement::makeError(int code) const
{
    const QString message = m_connection ? QString::fromUtf8(sqlite3_errmsg(m_connection))
                                         : QString::fromUtf8(sqlite3_errstr(code));
    return QSqlError(QStringLiteral("Unable to run statement"), message, QSqlError::StatementError,
                     QString::number(code));
}

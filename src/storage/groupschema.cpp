#include "storage/groupschema.h"

#include "storage/sqlitestatement.h"

#include <QHash>

#include <cstring>

namespace GroupSchema {

namespace {

// Runs the statement with the texts bound as ?1, ?2, ...; one prepared
// already is run as it is.
QSqlError exec(SqliteStatement &statement, const QSqlDatabase &db, const char *sql,
               const QStringList &texts)
{
    if (!statement.isPrepared() && !statement.prepare(db, QLatin1String(sql))) {
        return statement.error();
    }
    for (int i = 0; i < texts.size(); ++i) {
        statement.bindText(i + 1, texts.at(i));
    }
    return statement.exec();
}

QSqlError exec(const QSqlDatabase &db, const char *sql, const QStringList &texts = {})
{
    SqliteStatement statement;
    return exec(statement, db, sql, texts);
}

const char AddGroupStatement[] = "insert or ignore into contact_group (name) values (?1)";

// The names of a contact's joined bytes (see memberships()), each name
// made once for all lists.
QStringList namesOf(const QByteArray &joined, QHash<QByteArray, QString> &names)
{
    QStringList list;
    for (int at = 0; at < joined.size();) {
        int length = 0;
        std::memcpy(&length, joined.constData() + at, sizeof length);
        const QByteArray utf8 = joined.mid(at + int(sizeof length), length);
        auto name = names.constFind(utf8);
        if (name == names.cend()) {
            name = names.insert(utf8, QString::fromUtf8(utf8));
        }
        if (!name->isEmpty()) {
            list.append(*name);
        }
        at += int(sizeof length) + length;
    }
    return list;
}

// The UTF-8 of a stored group name; of one stored as a number (by other
// software) as text() reads it, kept in buffer.
std::string_view nameUtf8(const SqliteStatement &query, int column, QByteArray *buffer)
{
    if (query.isText(column)) {
        return query.utf8(column);
    }
    *buffer = query.text(column).toUtf8();
    return std::string_view(buffer->constData(), size_t(buffer->size()));
}

} // namespace

bool exists(const QSqlDatabase &db)
{
    SqliteStatement query;
    return query.prepare(db, QStringLiteral("select 1 from sqlite_master where type = 'table' "
                                            "and name = 'contact_group_member'"))
            && query.next();
}

QSqlError create(const QSqlDatabase &db)
{
    for (const char *statement :
         {"create table if not exists contact_group (name text primary key not null)",
          "create table if not exists contact_group_member (contactId bigint not null, "
          "groupName text not null, primary key (contactId, groupName))",
          "create trigger if not exists contact_group_member_gone after delete on contact "
          "begin delete from contact_group_member where contactId = old.id; end"}) {
        const QSqlError error = exec(db, statement);
        if (error.isValid()) {
            return error;
        }
    }
    return QSqlError();
}

QStringList groupNames(const QSqlDatabase &db, qint64 maxNames)
{
    QStringList names;
    SqliteStatement query;
    if (query.prepare(db, QStringLiteral("select name from contact_group order by rowid limit ?1"))) {
        query.bindInt64(1, maxNames);
        while (query.next()) {
            names.append(query.text(0));
        }
    }
    return names;
}

// Each name is made once and shared by every member's list, and equal lists
// are one list; a contact's groups come in the order of their names. A
// contact's rows are gathered as their bytes (each name after its length,
// so that no name can pass for two), and a list met before is found by
// those bytes: most contacts of a large book are in a list that others are
// in too, and neither their names nor their list is made again.
QHash<qint64, QStringList> memberships(const QSqlDatabase &db, qint64 maxRows)
{
    QHash<qint64, QStringList> groups;
    SqliteStatement query;
    if (!exists(db)
        || !query.prepare(db, QStringLiteral("select contactId, groupName from contact_group_member "
                                             "order by contactId, groupName limit ?1"))) {
        return groups;
    }
    query.bindInt64(1, maxRows);
    QHash<QByteArray, QString> names;
    QHash<QByteArray, QStringList> lists;
    QByteArray joined;
    joined.reserve(256);
    QByteArray number;
    qint64 contact = 0;
    // A contact's list is complete when the next contact's rows begin.
    const auto keep = [&] {
        if (joined.isEmpty()) {
            return;
        }
        auto list = lists.constFind(joined);
        if (list == lists.cend()) {
            list = lists.insert(QByteArray(joined.constData(), joined.size()),
                                namesOf(joined, names));
        }
        if (!list->isEmpty()) {
            groups.insert(contact, *list);
        }
        joined.resize(0);
    };
    while (query.next()) {
        const qint64 id = query.int64(0);
        const std::string_view utf8 = nameUtf8(query, 1, &number);
        if (id != contact) {
            keep();
            contact = id;
        }
        if (!utf8.empty()) {
            const int length = int(utf8.size());
            joined.append(reinterpret_cast<const char *>(&length), int(sizeof length));
            joined.append(utf8.data(), length);
        }
    }
    keep();
    return groups;
}

QStringList groupsOf(const QSqlDatabase &db, qint64 id)
{
    QStringList groups;
    SqliteStatement query;
    if (exists(db)
        && query.prepare(db, QStringLiteral("select groupName from contact_group_member where "
                                            "contactId = ?1 order by groupName"))) {
        query.bindInt64(1, id);
        while (query.next()) {
            groups.append(query.text(0));
        }
    }
    return groups;
}

QSqlError MembershipWriter::write(const QSqlDatabase &db, qint64 id, const QStringList &groups,
                                  bool replace)
{
    const QString key = QString::number(id);
    QSqlError error =
            replace ? exec(m_dropMembers, db,
                           "delete from contact_group_member where contactId = ?1", {key})
                    : QSqlError();
    for (int i = 0; !error.isValid() && i < groups.size(); ++i) {
        error = exec(m_addGroup, db, AddGroupStatement, {groups.at(i)});
        if (!error.isValid()) {
            error = exec(m_addMember, db,
                         "insert or ignore into contact_group_member (contactId, groupName) "
                         "values (?1, ?2)",
                         {key, groups.at(i)});
        }
    }
    return error;
}

void MembershipWriter::finalize()
{
    m_dropMembers.finalize();
    m_addGroup.finalize();
    m_addMember.finalize();
}

QSqlError addGroup(const QSqlDatabase &db, const QString &name)
{
    return exec(db, AddGroupStatement, {name});
}

QSqlError renameGroup(const QSqlDatabase &db, const QString &from, const QString &to)
{
    QSqlError error = addGroup(db, to);
    for (const char *statement :
         {"update or ignore contact_group_member set groupName = ?2 where groupName = ?1",
          "delete from contact_group_member where groupName = ?1",
          "delete from contact_group where name = ?1 and name <> ?2"}) {
        if (!error.isValid()) {
            error = exec(db, statement, {from, to});
        }
    }
    return error;
}

QSqlError removeGroup(const QSqlDatabase &db, const QString &name)
{
    QSqlError error = exec(db, "delete from contact_group_member where groupName = ?1", {name});
    return error.isValid() ? error : exec(db, "delete from contact_group where name = ?1", {name});
}

} // namespace GroupSchema

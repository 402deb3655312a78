#pragma once

#include "storage/sqlitestatement.h"

#include <QHash>
#include <QList>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class QSqlDatabase;

// The tables `contact_group` (every group by name, also those without
// members) and `contact_group_member` (which contact is in which group)
// beside `contact`. They are made with the first group written, so that a
// file without groups stays as it is; a trigger removes a contact's
// memberships with the contact. Names are stored in the spelling the book
// keeps (see ContactGroups), so that the statements compare them exactly.
namespace GroupSchema {

bool exists(const QSqlDatabase &db);
QSqlError create(const QSqlDatabase &db);
// Every group's name, in the order made; at most maxNames (-1: all).
QStringList groupNames(const QSqlDatabase &db, qint64 maxNames = -1);
// Every contact's groups by its id, from at most maxRows memberships (-1:
// all), each contact's in the order of their names; a file without the
// tables gives none. Contacts in the same groups share one list.
QHash<qint64, QStringList> memberships(const QSqlDatabase &db, qint64 maxRows = -1);
// The groups of one contact, in the order of their names.
QStringList groupsOf(const QSqlDatabase &db, qint64 id);
// Writes contacts' memberships with statements prepared once for the
// connection: an import writes every contact's, and preparing two
// statements anew for each membership cost more than the contact's own
// insert. finalize() must come before the connection closes.
class MembershipWriter
{
public:
    // Makes the contact's memberships these groups, making the groups that
    // do not exist yet; `replace` drops the memberships it had first.
    QSqlError write(const QSqlDatabase &db, qint64 id, const QStringList &groups, bool replace);
    void finalize();

private:
    SqliteStatement m_dropMembers;
    SqliteStatement m_addGroup;
    SqliteStatement m_addMember;
};

QSqlError addGroup(const QSqlDatabase &db, const QString &name);
// Renames the group for every member; members of both keep one membership.
QSqlError renameGroup(const QSqlDatabase &db, const QString &from, const QString &to);
// Removes the group and its memberships; the contacts stay.
QSqlError removeGroup(const QSqlDatabase &db, const QString &name);

} // namespace GroupSchema

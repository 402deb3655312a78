#include "record/contactgroups.h"

#include "record/contact.h"
#include "record/contactsearch.h"

#include <QCollator>

#include <algorithm>

namespace ContactGroups {

std::string key(const QString &name)
{
    return ContactSearch::folded(name.simplified());
}

QString cleaned(const QString &name)
{
    return name.simplified();
}

int indexIn(const QStringList &groups, const QString &name)
{
    const std::string wanted = key(name);
    for (int i = 0; i < groups.size(); ++i) {
        // Most lists are compared with the very names they hold.
        if (groups.at(i) == name || key(groups.at(i)) == wanted) {
            return i;
        }
    }
    return -1;
}

QString spellingIn(const QStringList &known, const QString &name)
{
    const int index = indexIn(known, name);
    return index < 0 ? cleaned(name) : known.at(index);
}

bool add(QStringList &groups, const QStringList &names, const QStringList &known)
{
    bool added = false;
    for (const QString &name : names) {
        const QString spelling = spellingIn(known, name);
        if (!spelling.isEmpty() && indexIn(groups, spelling) < 0) {
            groups.append(spelling);
            added = true;
        }
    }
    return added;
}

bool remove(QStringList &groups, const QString &name)
{
    const int index = indexIn(groups, name);
    if (index >= 0) {
        groups.removeAt(index);
    }
    return index >= 0;
}

bool rename(QStringList &groups, const QString &from, const QString &to)
{
    const int index = indexIn(groups, from);
    if (index < 0) {
        return false;
    }
    const int existing = indexIn(groups, to);
    if (existing >= 0 && existing != index) {
        groups.removeAt(index);
    } else {
        groups[index] = cleaned(to);
    }
    return true;
}

} // namespace ContactGroups

void GroupList::reset(const QStringList &stored, const QVector<Contact *> &contacts)
{
    m_names.clear();
    ContactGroups::add(m_names, stored);
    for (Contact *contact : contacts) {
        adopt(*contact);
    }
    sort();
}

bool GroupList::adopt(Contact &contact)
{
    QStringList groups;
    ContactGroups::add(groups, contact.groups, m_names);
    contact.groups = groups;
    if (!ContactGroups::add(m_names, groups)) {
        return false;
    }
    sort();
    return true;
}

bool GroupList::add(const QString &name)
{
    if (!ContactGroups::add(m_names, {name})) {
        return false;
    }
    sort();
    return true;
}

QVector<int> GroupList::change(const QVector<Contact *> &contacts, const QString &from,
                               const QString &to)
{
    // A new spelling of the same group is taken as typed; another group
    // that exists keeps its own.
    const QString target = ContactGroups::key(to) == ContactGroups::key(from)
            ? ContactGroups::cleaned(to)
            : ContactGroups::spellingIn(m_names, to);
    QVector<int> rows;
    for (int row = 0; row < contacts.size(); ++row) {
        QStringList &groups = contacts.at(row)->groups;
        if (target.isEmpty() ? ContactGroups::remove(groups, from)
                             : ContactGroups::rename(groups, from, target)) {
            rows.append(row);
        }
    }
    if (target.isEmpty()) {
        ContactGroups::remove(m_names, from);
    } else {
        ContactGroups::rename(m_names, from, target);
    }
    sort();
    return rows;
}

QHash<QString, int> GroupList::counts(const QVector<Contact *> &contacts)
{
    QHash<QString, int> counts;
    for (const Contact *contact : contacts) {
        for (const QString &group : contact->groups) {
            ++counts[group];
        }
    }
    return counts;
}

void GroupList::sort()
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(m_names.begin(), m_names.end(), collator);
}

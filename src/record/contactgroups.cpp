#include "record/contactgroups.h"

#include "record/contactsearch.h"

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

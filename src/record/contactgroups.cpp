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

// Control characters are no part of a name: a file or server that sends
// one in a group's name would make a group no one can type.
QString cleaned(const QString &name)
{
    // Most names are clean already: printable, with single spaces between
    // words. They are kept as they are, not copied twice.
    QChar previous = QLatin1Char(' ');
    const bool clean = std::all_of(name.cbegin(), name.cend(), [&previous](QChar c) {
        const bool printable = c.unicode() > 0x20 && c.unicode() != 0x7f && !c.isSpace();
        const bool fits = printable || (c == QLatin1Char(' ') && previous != QLatin1Char(' '));
        previous = c;
        return fits;
    });
    if (clean && previous != QLatin1Char(' ')) {
        return name;
    }
    QString text;
    text.reserve(name.size());
    for (const QChar c : name) {
        const ushort code = c.unicode();
        if ((code > 0x08 && code < 0x0e) || (code > 0x1f && code != 0x7f)) {
            text += c;
        }
    }
    return text.simplified();
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

void GroupList::reset(const QStringList &stored)
{
    m_names.clear();
    ContactGroups::add(m_names, stored);
    rebuild();
}

QString GroupList::spellingOf(const QString &name, bool *added)
{
    const auto known = m_spellingOfName.constFind(name);
    if (known != m_spellingOfName.cend()) {
        return *known;
    }
    const QString cleaned = ContactGroups::cleaned(name);
    QString &spelling = m_spellingOfKey[QByteArray::fromStdString(ContactGroups::key(cleaned))];
    if (spelling.isEmpty() && !cleaned.isEmpty()) {
        spelling = cleaned;
        m_names.append(cleaned);
        m_sorted = false;
        *added = true;
    }
    m_spellingOfName.insert(name, spelling);
    return spelling;
}

namespace {

// Lists of groups are short: each pair is compared.
bool hasRepeats(const QStringList &names)
{
    for (int i = 1; i < names.size(); ++i) {
        for (int j = 0; j < i; ++j) {
            if (names.at(i) == names.at(j)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

// A list already in the book's spellings, each once, stays as it is,
// shared: a load asks this of every contact.
bool GroupList::adopt(Contact &contact)
{
    const QStringList &current = contact.groups;
    const bool asKept = std::all_of(current.cbegin(), current.cend(), [this](const QString &name) {
        const auto known = m_spellingOfName.constFind(name);
        return known != m_spellingOfName.cend() && *known == name;
    });
    if (asKept && !hasRepeats(current)) {
        return false;
    }
    bool added = false;
    QStringList groups;
    for (const QString &name : current) {
        const QString spelling = spellingOf(name, &added);
        if (!spelling.isEmpty() && !groups.contains(spelling)) {
            groups.append(spelling);
        }
    }
    contact.groups = groups;
    return added;
}

QString GroupList::add(const QString &name)
{
    bool added = false;
    const QString spelling = spellingOf(name, &added);
    return added ? spelling : QString();
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
    rebuild();
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

// Sorted for the scenes, case aside.
const QStringList &GroupList::names() const
{
    if (!m_sorted) {
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::sort(m_names.begin(), m_names.end(), collator);
        m_sorted = true;
    }
    return m_names;
}

void GroupList::rebuild()
{
    m_sorted = false;
    m_spellingOfName.clear();
    m_spellingOfKey.clear();
    for (const QString &name : qAsConst(m_names)) {
        m_spellingOfName.insert(name, name);
        m_spellingOfKey.insert(QByteArray::fromStdString(ContactGroups::key(name)), name);
    }
}

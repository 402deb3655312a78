#include "record/importedgroups.h"

#include "record/contact.h"
#include "record/contactgroups.h"

#include <string>
#include <unordered_set>

namespace {

bool isWord(const QString &text, const char *word)
{
    return text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

} // namespace

namespace ImportedGroups {

Kind kindOf(const QString &name, QString *group)
{
    const QString text = ContactGroups::cleaned(name);
    if (isWord(text, "starred")) {
        return Kind::Favourite;
    }
    if (text.isEmpty() || isWord(text, "myContacts") || isWord(text, "My Contacts")) {
        return Kind::Dropped;
    }
    if (group) {
        *group = text;
    }
    return Kind::Group;
}

void add(Contact *contact, const QStringList &names, const QString &mark)
{
    std::unordered_set<std::string> known;
    for (const QString &group : qAsConst(contact->groups)) {
        known.insert(ContactGroups::key(group));
    }
    for (const QString &name : names) {
        QString group;
        if (!mark.isEmpty() && name.trimmed().compare(mark, Qt::CaseInsensitive) == 0) {
            contact->isFavorite = true;
            continue;
        }
        const Kind kind = kindOf(name, &group);
        if (kind == Kind::Favourite) {
            contact->isFavorite = true;
        } else if (kind == Kind::Group && group.size() <= MaxNameChars
                   && contact->groups.size() < MaxGroups
                   && known.insert(ContactGroups::key(group)).second) {
            contact->groups.append(group);
        }
    }
}

QStringList fromGoogle(const QStringList &names)
{
    QStringList result;
    for (const QString &name : names) {
        QString text = ContactGroups::cleaned(name);
        if (!text.startsWith(QLatin1String("* "))) {
            result << text;
            continue;
        }
        text = text.mid(2);
        if (isWord(text, "friends") || isWord(text, "family") || isWord(text, "coworkers")) {
            text = text.left(1).toUpper() + text.mid(1).toLower();
        }
        result << text;
    }
    return result;
}

} // namespace ImportedGroups

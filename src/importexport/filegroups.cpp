#include "importexport/filegroups.h"

#include "importexport/parsedfile.h"
#include "record/contact.h"
#include "record/contactgroups.h"

#include <QHash>

namespace {

// A UID as group cards name their members: without "urn:uuid:", and in
// lower case, since UUIDs are written in either (RFC 4122 3).
QString memberKey(const QString &uid)
{
    const QString trimmed = uid.trimmed();
    const bool urn = trimmed.startsWith(QLatin1String("urn:uuid:"), Qt::CaseInsensitive);
    return (urn ? trimmed.mid(9) : trimmed).toLower();
}

} // namespace

bool FileGroups::take(const vCard &card)
{
    if (!GroupCard::isGroupCard(card)) {
        return false;
    }
    // A group card without a name makes no group, and is no contact either.
    GroupCard::Group group = GroupCard::read(card);
    if (!ContactGroups::cleaned(group.name).isEmpty()) {
        m_groups.append(std::move(group));
    }
    return true;
}

void FileGroups::applyTo(ParsedFile *parsed) const
{
    if (m_groups.isEmpty()) {
        return;
    }
    QHash<QString, QList<Contact *>> contactsOfUid;
    for (Contact *contact : qAsConst(parsed->contacts)) {
        if (!contact->uid.isEmpty()) {
            contactsOfUid[memberKey(contact->uid)].append(contact);
        }
    }
    for (const GroupCard::Group &group : m_groups) {
        ContactGroups::add(parsed->groups, {group.name});
        const QStringList name{ContactGroups::spellingIn(parsed->groups, group.name)};
        for (const QString &member : group.members) {
            const auto found = contactsOfUid.constFind(memberKey(member));
            if (found == contactsOfUid.constEnd()) {
                ContactGroups::add(parsed->groupsOfUids[member], name);
                continue;
            }
            for (Contact *contact : found.value()) {
                ContactGroups::add(contact->groups, name);
            }
        }
    }
}

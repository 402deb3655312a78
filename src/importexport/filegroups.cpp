#include "importexport/filegroups.h"

#include "importexport/parsedfile.h"
#include "record/contact.h"
#include "record/contactgroups.h"
#include "record/importedgroups.h"

#include <QHash>

#include <string>
#include <unordered_map>

namespace {

// A UID as group cards name their members: without "urn:uuid:", and in
// lower case, since UUIDs are written in either (RFC 4122 3).
QString memberKey(const QString &uid)
{
    const QString trimmed = uid.trimmed();
    const bool urn = trimmed.startsWith(QLatin1String("urn:uuid:"), Qt::CaseInsensitive);
    return (urn ? trimmed.mid(9) : trimmed).toLower();
}

// Files are untrusted: the groups a file makes, the members it names that
// are none of its contacts (twice the largest address book the program is
// measured with) and the groups of one contact are bounded.
constexpr int MaxGroups = 10000;
constexpr int MaxOtherMembers = 200000;

// Adds the group unless the contact is in as many as one may be.
void join(QStringList &groups, const QString &name)
{
    if (groups.size() < ImportedGroups::MaxGroups) {
        ContactGroups::add(groups, {name});
    }
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
    // Each group in the spelling first met, by its key.
    std::unordered_map<std::string, QString> spellings;
    for (const GroupCard::Group &group : m_groups) {
        auto spelling = spellings.find(ContactGroups::key(group.name));
        if (spelling == spellings.end()) {
            if (int(spellings.size()) >= MaxGroups) {
                continue;
            }
            spelling = spellings
                               .emplace(ContactGroups::key(group.name),
                                        ContactGroups::cleaned(group.name))
                               .first;
            parsed->groups << spelling->second;
        }
        for (const QString &member : group.members) {
            const auto found = contactsOfUid.constFind(memberKey(member));
            if (found != contactsOfUid.constEnd()) {
                for (Contact *contact : found.value()) {
                    join(contact->groups, spelling->second);
                }
            } else if (parsed->groupsOfUids.size() < MaxOtherMembers
                       || parsed->groupsOfUids.contains(member)) {
                join(parsed->groupsOfUids[member], spelling->second);
            }
        }
    }
}

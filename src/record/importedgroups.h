#pragma once

#include <QString>
#include <QStringList>

class Contact;

// The group names that files and servers give a contact, as this program
// keeps them. Google's "myContacts" (every contact of the account, "My
// Contacts" in older files) says nothing and is dropped; "starred", which
// Google and Android write, is the favourite mark.
namespace ImportedGroups {

// Files are untrusted: a contact takes at most this many groups from one,
// and no name longer than MaxNameChars (the limits of the sync too).
constexpr int MaxGroups = 200;
constexpr int MaxNameChars = 1024;

enum class Kind {
    Group,
    Favourite,
    Dropped,
};

// What the name is; for a group, group is set to its name as it is kept.
Kind kindOf(const QString &name, QString *group = nullptr);
// Adds what the names say to the contact: the groups it is not in yet, up
// to MaxGroups, and the favourite mark. A name equal to mark (ignoring
// case), such as the translated "Marked" of Outlook, is the favourite mark
// too. Each name is compared once, however many the contact has.
void add(Contact *contact, const QStringList &names, const QString &mark = QString());
// The names of Google's CSV, which marks its system groups with "* ": the
// mark goes, and the system groups a person sees as groups are named as
// Google shows them ("* friends" is "Friends"; also "* family" and
// "* coworkers").
QStringList fromGoogle(const QStringList &names);

} // namespace ImportedGroups

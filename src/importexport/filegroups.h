#pragma once

#include "vcard/groupcard.h"

#include <QVector>

class vCard;
struct ParsedFile;

// The groups that the group cards of an import file make (Apple's and
// vCard 4.0's): each is a group of the address book, an empty one too; the
// contacts of the file whose UID it lists join it, and so do, by the UIDs
// of their kept cards, contacts already in the address book.
class FileGroups
{
public:
    // Takes the card when it is a group card, which is then no contact.
    bool take(const vCard &card);
    // Gives each contact of the file the groups that list its UID, and the
    // file the names of the groups and the members it does not hold.
    void applyTo(ParsedFile *parsed) const;

private:
    QVector<GroupCard::Group> m_groups;
};

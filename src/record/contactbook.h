#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class Contact;

// The address book as an import sees it: the contacts it holds, and the
// records that an import adds (queued, then listed in one step) or merges
// into a contact it holds. The list model is one; the import reaches it
// through this interface, so that "find callers" leads from a file to its row.
class ContactBook
{
public:
    virtual ~ContactBook() = default;

    // The contacts of the book, which stay the book's.
    virtual QList<Contact *> bookContacts() const = 0;
    // Stores a copy of the record at once; its row waits for
    // addQueuedContacts(), which lists every waiting row in one step, so
    // that a large import costs the views one change instead of one per
    // contact. Any other change of the rows lists them first.
    virtual void queueContact(Contact *contact) = 0;
    virtual void addQueuedContacts() = 0;
    // Adds to the contact with this id what the record has and it lacks
    // (phones, e-mails, addresses, links, empty texts, a missing photo);
    // nothing stored is replaced.
    virtual void mergeContact(const QString &id, Contact *imported) = 0;
    // Every group of the book, members or not.
    virtual QStringList groupNames() const = 0;
    // Makes these groups groups of the book, those without contacts too
    // (an imported file's group cards name them). A book that keeps no
    // groups apart from its contacts' takes nothing.
    virtual void addGroups(const QStringList &names) { Q_UNUSED(names) }
};

// A list of contacts in the order it shows them, as an export of the list
// writes them and an import ends in it. The sorted view is one.
class ContactList
{
public:
    virtual ~ContactList() = default;

    // The contacts, which stay the list's.
    virtual QList<Contact *> contactsInListOrder() const = 0;
    // An import's contacts were added to the book: the list offers the
    // labels they brought and takes its order again.
    virtual void importEnded(const QStringList &labels) = 0;
};

#define ContactBookInterfaceId "org.kivcontacts.ContactBook"
Q_DECLARE_INTERFACE(ContactBook, ContactBookInterfaceId)
#define ContactListInterfaceId "org.kivcontacts.ContactList"
Q_DECLARE_INTERFACE(ContactList, ContactListInterfaceId)

#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>

class Contact;

// The contacts of the address book, indexed so that an import can tell
// which parsed contacts are already there: one whose uid (a card's UID, a
// database row's id) is the id of a contact, or one with the same composed
// full name and at least one phone (by its digits) or e-mail address
// (ignoring letter case) of such a contact. A parsed contact without any
// phone or e-mail cannot share one: it is already there when a contact of
// the same full name holds everything it holds. Two people who merely share
// an e-mail address are different contacts. Building is linear in the
// address book and each look-up in the parsed contact's entries, so that an
// import stays linear whatever the size of the book.
class ExistingContacts
{
public:
    // The contacts are held by guarded pointers: one that goes away is no
    // longer found.
    void setContacts(const QList<Contact *> &contacts);
    void clear();
    // The contact that parsed already is, or null.
    Contact *find(const Contact &parsed) const;

private:
    // The hash of a full name together with one entry's key.
    static size_t keyOf(const QString &fullName, QChar kind, const QString &entryKey);
    static bool hasEntry(const Contact &contact, QChar kind, const QString &entryKey);
    // True when stored holds every text, address and link of parsed.
    static bool holdsAllOf(const Contact &stored, const Contact &parsed);

    QList<QPointer<Contact>> m_contacts;
    QHash<QString, int> m_byId;
    // Several contacts may share a key (or only its hash): each is checked.
    QMultiHash<size_t, int> m_byNameAndEntry;
    QMultiHash<size_t, int> m_byName;
};

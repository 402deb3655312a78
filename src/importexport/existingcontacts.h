#pragma once

#include <QHash>
#include <QList>

class Contact;

// Tells which parsed contacts are already in the address book: one whose uid
// (a card's UID, a database row's id) is the id of a contact, or one with
// the same composed full name and at least one phone (by its digits) or
// e-mail address (ignoring letter case) of such a contact. A parsed contact
// without any phone or e-mail cannot share one: it is already there when a
// contact of the same full name holds everything it holds. Two people who
// merely share an e-mail address are different contacts.
//
// When several contacts fit, the uid decides first, then the parsed
// contact's phones in their order, then its e-mail addresses; among equal
// fits the later contact of the book.
namespace ExistingContacts {

// Each parsed contact that is already in book, with the contact it is. The
// parsed contacts are indexed and the book is read once: only contacts whose
// full names agree are compared entry by entry, so that a phone's worth of
// contacts checked against an address book of 100,000 costs little more
// than reading the book's names.
QHash<Contact *, Contact *> find(const QList<Contact *> &book, const QList<Contact *> &parsed);

} // namespace ExistingContacts

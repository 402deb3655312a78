#pragma once

#include <QString>

class Contact;

// What an imported record brings to a stored record of the same person:
// the phones, e-mail addresses, addresses and links the stored one lacks
// (with their labels), the groups it is not in and the texts it leaves
// empty. Nothing stored is ever replaced. The keys say when two entries
// are the same.
namespace ContactMerge {

// A phone number by its digits; a number without digits by its text.
QString phoneKey(const QString &phone);
// An e-mail address in any letter case.
QString emailKey(const QString &email);
// An address whatever its letter case and its runs of white space.
QString addressKey(const QString &address);

// Adds to stored what imported has and stored lacks; true when anything
// was added. A name part filled in also composes the full name anew.
bool mergeInto(Contact *stored, const Contact &imported);
// True when mergeInto would add anything.
bool bringsNew(const Contact &stored, const Contact &imported);

} // namespace ContactMerge

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class Contact;

// The column layout of Google's contact export, as written by the CSV export.
namespace GoogleCsv {

// Numbers of e-mail, phone, address and website column groups: the largest
// list of each kind over the exported contacts.
struct Counts
{
    int emails = 0;
    int phones = 0;
    int addresses = 0;
    int links = 0;
};

// afterEach, when given, runs after each contact.
Counts countsOf(const QList<Contact *> &contacts, const std::function<void()> &afterEach = {});
// One line of the export, padded to the counts (each at least the contact's
// own list size) so that it has as many fields as the header; kept gives the
// columns that the contact's card keeps: name prefix, name suffix, nickname,
// job title and department.
QString line(const Contact &contact, const Counts &counts, const QStringList &kept = QStringList());
// The header line, without its line feed.
QString header(const Counts &counts);
// A value as an RFC 4180 field: enclosed in double quotes, inner quotes doubled.
QString quoted(const QString &value);
// The type column text of a phone, e-mail or address label, as Google writes
// it: this program's own labels (Mobile, Home, Work, Main, Home fax, Work
// fax, Pager, Other) as Google's words for them, any other label as it is.
QString typeOfLabel(const QString &label);
// The label of a type column text: Google's words for the labels above as
// those labels, any other text as it is.
QString labelOfType(const QString &type);

} // namespace GoogleCsv

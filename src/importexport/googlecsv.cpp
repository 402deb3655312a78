#include "importexport/googlecsv.h"

#include "record/birthday.h"
#include "record/contact.h"

#include <QCoreApplication>
#include <QDate>

namespace GoogleCsv {

namespace {

const char *const fixedColumns[] = {
        "Name",
        "Given Name",
        "Additional Name",
        "Family Name",
        "Yomi Name",
        "Given Name Yomi",
        "Additional Name Yomi",
        "Family Name Yomi",
        "Name Prefix",
        "Name Suffix",
        "Initials",
        "Nickname",
        "Short Name",
        "Maiden Name",
        "Birthday",
        "Gender",
        "Location",
        "Billing Information",
        "Directory Server",
        "Mileage",
        "Occupation",
        "Hobby",
        "Sensitivity",
        "Priority",
        "Subject",
        "Notes",
        "Group Membership",
};

const char *const addressColumns[] = {
        " - Type",        " - Formatted", " - Street",
        " - City",        " - PO Box",    " - Region",
        " - Postal Code", " - Country",   " - Extended Address",
};

const char *const organizationColumns[] = {
        "Organization 1 - Type",       "Organization 1 - Name",
        "Organization 1 - Yomi Name",  "Organization 1 - Title",
        "Organization 1 - Department", "Organization 1 - Symbol",
        "Organization 1 - Location",   "Organization 1 - Job Description",
};

// This program's labels and Google's type words for them.
const std::pair<const char *, const char *> knownLabels[] = {
        {QT_TRANSLATE_NOOP("QObject", "Mobile"), "Mobile"},
        {QT_TRANSLATE_NOOP("QObject", "Home"), "Home"},
        {QT_TRANSLATE_NOOP("QObject", "Work"), "Work"},
        {QT_TRANSLATE_NOOP("QObject", "Main"), "Main"},
        {QT_TRANSLATE_NOOP("QObject", "Home fax"), "Home Fax"},
        {QT_TRANSLATE_NOOP("QObject", "Work fax"), "Work Fax"},
        {QT_TRANSLATE_NOOP("QObject", "Pager"), "Pager"},
        {QT_TRANSLATE_NOOP("QObject", "Other"), "Other"},
};

// The Birthday column as Google writes it: yyyy-MM-dd, --MM-DD without a
// year (the editor's dd.MM.yyyy was read by Google as another date); any
// other text as it is stored.
QString birthdayColumn(const QString &dateOfBirth)
{
    const QDate date = QDate::fromString(dateOfBirth, QStringLiteral("dd.MM.yyyy"));
    if (date.isValid()) {
        return date.toString(Qt::ISODate);
    }
    int day = 0;
    int month = 0;
    if (Birthday::isWithoutYear(dateOfBirth, &day, &month)) {
        return QStringLiteral("--%1-%2")
                .arg(month, 2, 10, QLatin1Char('0'))
                .arg(day, 2, 10, QLatin1Char('0'));
    }
    return dateOfBirth;
}

// Appends count empty fields, each followed by a comma.
void appendEmpty(QString &line, int count)
{
    line.append(QString(count, QLatin1Char(',')));
}

void appendValue(QString &line, const QString &value)
{
    line.append(quoted(value));
    line.append(QLatin1Char(','));
}

// A column that is often empty: then without quotes, as the header's others.
void appendKept(QString &line, const QString &value)
{
    if (value.isEmpty()) {
        appendEmpty(line, 1);
    } else {
        appendValue(line, value);
    }
}

// Group Membership as Google writes it: the groups, then its system groups
// "* myContacts" (every contact) and "* starred" (a favourite), separated by
// " ::: ". A ":::" inside a name would split it: it is shortened to "::".
// A name starting with "* " would read as a system group: the star goes.
QString groupMembership(const Contact &contact)
{
    QStringList names;
    for (QString name : contact.groups) {
        while (name.contains(QLatin1String(":::"))) {
            name.replace(QLatin1String(":::"), QLatin1String("::"));
        }
        while (name.startsWith(QLatin1String("* "))) {
            name = name.mid(2).trimmed();
        }
        if (!name.isEmpty()) {
            names << name;
        }
    }
    names << QStringLiteral("* myContacts");
    if (contact.isFavorite) {
        names << QStringLiteral("* starred");
    }
    return names.join(QLatin1String(" ::: "));
}

// The columns from Name to Group Membership; kept gives name prefix, name
// suffix and nickname.
void appendNameColumns(QString &text, const Contact &contact, const QStringList &kept)
{
    appendValue(text, contact.fullname.isEmpty() ? contact.composedFullName() : contact.fullname);
    appendValue(text, contact.name);
    appendValue(text, contact.middlename);
    appendValue(text, contact.surname);
    appendEmpty(text, 4);
    appendKept(text, kept.value(0));
    appendKept(text, kept.value(1));
    appendEmpty(text, 1);
    appendKept(text, kept.value(2));
    appendEmpty(text, 2);
    appendValue(text, birthdayColumn(contact.dateOfBirth));
    appendEmpty(text, 10);
    appendValue(text, contact.comment);
    appendValue(text, groupMembership(contact));
}

// A type and a value column for each entry, then empty pairs up to count;
// an entry without a label gets unlabelled as its type.
void appendLabelledEntries(QString &text, const QStringList &entries, const QStringList &labels,
                           const QString &unlabelled, int count)
{
    for (int i = 0; i < entries.size(); ++i) {
        const QString label = labels.value(i);
        appendValue(text, label.isEmpty() ? unlabelled : typeOfLabel(label));
        appendValue(text, entries.at(i));
    }
    appendEmpty(text, 2 * (qMax(count, entries.size()) - entries.size()));
}

// Nine columns for each address (type, and the whole address as formatted
// text and as street), then empty ones up to count.
void appendAddresses(QString &text, const Contact &contact, int count)
{
    const QStringList addresses = contact.addressList.toList();
    for (int i = 0; i < addresses.size(); ++i) {
        const QString label = contact.addressGroupList.value(i);
        appendValue(text, label.isEmpty() ? QStringLiteral("Home") : typeOfLabel(label));
        appendValue(text, addresses.at(i));
        appendValue(text, addresses.at(i));
        appendEmpty(text, 6);
    }
    appendEmpty(text, 9 * (qMax(count, addresses.size()) - addresses.size()));
}

// The organization's columns; kept gives job title and department.
void appendOrganizationColumns(QString &text, const Contact &contact, const QStringList &kept)
{
    appendEmpty(text, 1);
    appendValue(text, contact.organization);
    appendEmpty(text, 1);
    appendKept(text, kept.value(3));
    appendKept(text, kept.value(4));
    appendEmpty(text, 3);
}

// A "Profile" type and a value column for each link, then empty pairs up to count.
void appendLinks(QString &text, const QStringList &links, int count)
{
    for (const QString &link : links) {
        appendValue(text, QStringLiteral("Profile"));
        appendValue(text, link);
    }
    appendEmpty(text, 2 * (qMax(count, links.size()) - links.size()));
}

} // namespace

Counts countsOf(const QList<Contact *> &contacts, const std::function<void()> &afterEach)
{
    Counts counts;
    for (const Contact *contact : contacts) {
        counts.emails = qMax(counts.emails, contact->emailList.size());
        counts.phones = qMax(counts.phones, contact->phoneList.size());
        counts.addresses = qMax(counts.addresses, contact->addressList.size());
        counts.links = qMax(counts.links, contact->linkList.size());
        if (afterEach) {
            afterEach();
        }
    }
    return counts;
}

QString header(const Counts &counts)
{
    QStringList cells;
    for (const char *column : fixedColumns) {
        cells.append(QLatin1String(column));
    }
    for (int n = 1; n <= counts.emails; ++n) {
        cells.append(QStringLiteral("E-mail %1 - Type").arg(n));
        cells.append(QStringLiteral("E-mail %1 - Value").arg(n));
    }
    for (int n = 1; n <= counts.phones; ++n) {
        cells.append(QStringLiteral("Phone %1 - Type").arg(n));
        cells.append(QStringLiteral("Phone %1 - Value").arg(n));
    }
    for (int n = 1; n <= counts.addresses; ++n) {
        for (const char *column : addressColumns) {
            cells.append(QStringLiteral("Address %1").arg(n) + QLatin1String(column));
        }
    }
    for (const char *column : organizationColumns) {
        cells.append(QLatin1String(column));
    }
    for (int n = 1; n <= counts.links; ++n) {
        cells.append(QStringLiteral("Website %1 - Type").arg(n));
        cells.append(QStringLiteral("Website %1 - Value").arg(n));
    }
    for (QString &cell : cells) {
        cell = quoted(cell);
    }
    return cells.join(QLatin1Char(','));
}

QString quoted(const QString &value)
{
    QString result;
    result.reserve(value.size() + 2);
    result.append(QLatin1Char('"'));
    for (const QChar ch : value) {
        result.append(ch);
        if (ch == QLatin1Char('"')) {
            result.append(ch);
        }
    }
    result.append(QLatin1Char('"'));
    return result;
}

QString typeOfLabel(const QString &label)
{
    for (const auto &known : knownLabels) {
        if (label == QCoreApplication::translate("QObject", known.first)) {
            return QLatin1String(known.second);
        }
    }
    return label;
}

QString labelOfType(const QString &type)
{
    for (const auto &known : knownLabels) {
        if (type == QLatin1String(known.second)) {
            return QCoreApplication::translate("QObject", known.first);
        }
    }
    return type;
}

// The type columns carry the labels (typeOfLabel); a phone without a label
// is written as "Mobile", an e-mail address without one as "*" and an
// address without one as "Home".
QString line(const Contact &contact, const Counts &counts, const QStringList &kept)
{
    QString text;
    appendNameColumns(text, contact, kept);
    appendLabelledEntries(text, contact.emailList.toList(), contact.emailGroupList,
                          QStringLiteral("*"), counts.emails);
    appendLabelledEntries(text, contact.phoneList.toList(), contact.phoneGroupList,
                          QStringLiteral("Mobile"), counts.phones);
    appendAddresses(text, contact, counts.addresses);
    appendOrganizationColumns(text, contact, kept);
    appendLinks(text, contact.linkList.toList(), counts.links);
    text.chop(1);
    return text;
}

} // namespace GoogleCsv

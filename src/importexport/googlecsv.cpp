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

} // namespace GoogleCsv

// One line of the Google CSV export, padded to the given group counts (each
// at least the contact's own list size) so that it has as many fields as the
// header. The type columns carry the labels (typeOfLabel); a phone without a
// label is written as "Mobile", an e-mail address without one as "*" and an
// address without one as "Home".
QString Contact::toGoogleCsvLine(int emails, int phones, int addresses, int links,
                                 const QStringList &kept) const
{
    using GoogleCsv::appendEmpty;
    using GoogleCsv::appendValue;

    QString line;
    appendValue(line, fullname.isEmpty() ? composedFullName() : fullname);
    appendValue(line, name);
    appendValue(line, middlename);
    appendValue(line, surname);
    appendEmpty(line, 4);
    GoogleCsv::appendKept(line, kept.value(0));
    GoogleCsv::appendKept(line, kept.value(1));
    appendEmpty(line, 1);
    GoogleCsv::appendKept(line, kept.value(2));
    appendEmpty(line, 2);
    appendValue(line, GoogleCsv::birthdayColumn(dateOfBirth));
    appendEmpty(line, 10);
    appendValue(line, comment);
    appendValue(line, isFavorite ? QStringLiteral("* My Contacts ::: * Starred")
                                 : QStringLiteral("* My Contacts"));

    // Each packed list decoded once for its columns.
    const QStringList emailEntries = emailList.toList();
    const QStringList phoneEntries = phoneList.toList();
    const QStringList addressEntries = addressList.toList();
    const QStringList linkEntries = linkList.toList();
    for (int i = 0; i < emailEntries.size(); ++i) {
        const QString label = emailGroupList.value(i);
        appendValue(line, label.isEmpty() ? QStringLiteral("*") : GoogleCsv::typeOfLabel(label));
        appendValue(line, emailEntries.at(i));
    }
    appendEmpty(line, 2 * (qMax(emails, emailEntries.size()) - emailEntries.size()));

    for (int i = 0; i < phoneEntries.size(); ++i) {
        const QString label = phoneGroupList.value(i);
        appendValue(line,
                    label.isEmpty() ? QStringLiteral("Mobile") : GoogleCsv::typeOfLabel(label));
        appendValue(line, phoneEntries.at(i));
    }
    appendEmpty(line, 2 * (qMax(phones, phoneEntries.size()) - phoneEntries.size()));

    for (int i = 0; i < addressEntries.size(); ++i) {
        const QString label = addressGroupList.value(i);
        appendValue(line, label.isEmpty() ? QStringLiteral("Home") : GoogleCsv::typeOfLabel(label));
        appendValue(line, addressEntries.at(i));
        appendValue(line, addressEntries.at(i));
        appendEmpty(line, 6);
    }
    appendEmpty(line, 9 * (qMax(addresses, addressEntries.size()) - addressEntries.size()));

    appendEmpty(line, 1);
    appendValue(line, organization);
    appendEmpty(line, 1);
    GoogleCsv::appendKept(line, kept.value(3));
    GoogleCsv::appendKept(line, kept.value(4));
    appendEmpty(line, 3);

    for (const QString &link : linkEntries) {
        appendValue(line, QStringLiteral("Profile"));
        appendValue(line, link);
    }
    appendEmpty(line, 2 * (qMax(links, linkEntries.size()) - linkEntries.size()));

    line.chop(1);
    return line;
}

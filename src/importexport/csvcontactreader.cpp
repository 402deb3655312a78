#include "importexport/csvcontactreader.h"

#include "importexport/importedname.h"
#include "record/contact.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

using Action = CsvContactReader::Action;

QString trQ(const char *text)
{
    return QCoreApplication::translate("QObject", text);
}

enum class Match { Exact, Pattern };

struct Entry
{
    Match match;
    const char *header;
    Action action;
    const char *text; // translated under "QObject" when the rule is resolved
};

// Rows are tried top to bottom; the first that matches a header wins. The
// block after the Google layout reads Google's current export, Thunderbird's
// export and Outlook's "Country/Region" columns.
const Entry table[] = {
        {Match::Exact, "First Name", Action::SetName, nullptr},
        {Match::Exact, "Given Name", Action::SetName, nullptr},
        {Match::Exact, "Middle Name", Action::PrependMiddleName, nullptr},
        {Match::Exact, "Additional Name", Action::PrependMiddleName, nullptr},
        {Match::Exact, "Last Name", Action::AppendSurname, nullptr},
        {Match::Exact, "Family Name", Action::AppendSurname, nullptr},
        {Match::Exact, "Title", Action::PrependSurnamePrefix, nullptr},
        {Match::Exact, "Suffix", Action::AppendMiddleNameSuffix, nullptr},
        // Outlook fills Initials from the name itself ("T.S."); appended to the
        // given name it would garble every imported name, so it becomes a line of
        // the comment instead.
        {Match::Exact, "Initials", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Initials: ")},
        {Match::Exact, "Web Page", Action::AppendLink, nullptr},
        {Match::Exact, "Gender", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Gender: ")},
        {Match::Exact, "Birthday", Action::SetBirthday, nullptr},
        {Match::Exact, "Anniversary", Action::DateCommentLine,
         QT_TRANSLATE_NOOP("QObject", "Anniversary: ")},
        {Match::Exact, "Location", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Location: ")},
        {Match::Exact, "Language", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Language: ")},
        {Match::Exact, "Internet Free Busy", Action::Ignore, nullptr},
        {Match::Exact, "Notes", Action::AppendNotes, nullptr},
        {Match::Pattern, "E-mail.+Address", Action::Email, QT_TRANSLATE_NOOP("QObject", "Home")},
        {Match::Exact, "Primary Phone", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Work")},
        {Match::Pattern, "Home Phone.*", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Home")},
        {Match::Exact, "Mobile Phone", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Mobile")},
        {Match::Exact, "Pager", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Pager: ")},
        {Match::Exact, "Home Fax", Action::HomeAppend, QT_TRANSLATE_NOOP("QObject", " Fax: ")},
        {Match::Exact, "Home Address", Action::HomePrepend, nullptr},
        {Match::Pattern, "Home Street.*", Action::HomeAppend,
         QT_TRANSLATE_NOOP("QObject", " Street: ")},
        {Match::Exact, "Home Address PO Box", Action::HomeAppend,
         QT_TRANSLATE_NOOP("QObject", " PO Box: ")},
        {Match::Exact, "Home City", Action::HomeAppend, QT_TRANSLATE_NOOP("QObject", " City: ")},
        {Match::Exact, "Home State", Action::HomeAppend, QT_TRANSLATE_NOOP("QObject", " State: ")},
        {Match::Exact, "Home Postal Code", Action::HomeAppend,
         QT_TRANSLATE_NOOP("QObject", " Postal: ")},
        {Match::Exact, "Home Country", Action::HomeCountry,
         QT_TRANSLATE_NOOP("QObject", "Country: ")},
        {Match::Exact, "Spouse", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Spouse: ")},
        {Match::Exact, "Children", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Children: ")},
        {Match::Exact, "Manager's Name", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Manager's Name: ")},
        {Match::Exact, "Assistant's Name", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Assistant's Name: ")},
        {Match::Exact, "Referred By", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Referred By: ")},
        {Match::Exact, "Company Main Phone", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Work")},
        {Match::Pattern, "Business Phone.*", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Work")},
        {Match::Exact, "Business Fax", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Business Fax: ")},
        {Match::Exact, "Assistant's Phone", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Work")},
        {Match::Exact, "Company", Action::SetOrganization, nullptr},
        {Match::Exact, "Job Title", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Job Title: ")},
        {Match::Exact, "Department", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Department: ")},
        {Match::Exact, "Office Location", Action::AddressNow, QT_TRANSLATE_NOOP("QObject", "Work")},
        {Match::Exact, "Organizational ID Number", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Organizational ID Number: ")},
        {Match::Exact, "Profession", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Profession: ")},
        {Match::Exact, "Account", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Account: ")},
        {Match::Exact, "Business Address", Action::WorkPrepend, nullptr},
        {Match::Pattern, "Business Street.*", Action::WorkAppend,
         QT_TRANSLATE_NOOP("QObject", " Street: ")},
        {Match::Exact, "Business Address PO Box", Action::WorkAppend,
         QT_TRANSLATE_NOOP("QObject", " PO Box: ")},
        {Match::Exact, "Business City", Action::WorkAppend,
         QT_TRANSLATE_NOOP("QObject", " City: ")},
        {Match::Exact, "Business State", Action::WorkAppend,
         QT_TRANSLATE_NOOP("QObject", " State: ")},
        {Match::Exact, "Business Postal Code", Action::WorkAppend,
         QT_TRANSLATE_NOOP("QObject", " Postal: ")},
        {Match::Exact, "Business Country", Action::WorkCountry,
         QT_TRANSLATE_NOOP("QObject", "Country: ")},
        {Match::Exact, "Other Phone", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Home")},
        {Match::Exact, "Other Fax", Action::Ignore, nullptr},
        {Match::Exact, "Other Address", Action::Ignore, nullptr},
        {Match::Pattern, "Other Street.+", Action::Ignore, nullptr},
        {Match::Exact, "Other Address PO Box", Action::Ignore, nullptr},
        {Match::Exact, "Other City", Action::Ignore, nullptr},
        {Match::Exact, "Other State", Action::Ignore, nullptr},
        {Match::Exact, "Other Postal Code", Action::Ignore, nullptr},
        {Match::Exact, "Other Country", Action::Ignore, nullptr},
        // Google's display name: only used when the row gives no name part.
        {Match::Exact, "Name", Action::DisplayName, nullptr},
        {Match::Exact, "Callback", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Callback: ")},
        {Match::Exact, "Car Phone", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Home")},
        {Match::Exact, "ISDN", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "ISDN: ")},
        {Match::Exact, "Radio Phone", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Radio Phone: ")},
        {Match::Exact, "TTY/TDD Phone", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "TTY/TDD Phone: ")},
        {Match::Exact, "Telex", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Telex: ")},
        {Match::Pattern, "User \\d*", Action::Ignore, nullptr},
        {Match::Exact, "Keywords", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Keywords: ")},
        {Match::Exact, "Mileage", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Mileage: ")},
        {Match::Exact, "Hobby", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Hobby: ")},
        {Match::Exact, "Billing Information", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Billing Information: ")},
        {Match::Exact, "Directory Server", Action::Ignore, nullptr},
        {Match::Exact, "Sensitivity", Action::Ignore, nullptr},
        {Match::Exact, "Priority", Action::Ignore, nullptr},
        {Match::Exact, "Private", Action::Ignore, nullptr},
        {Match::Exact, "Categories", Action::CategoriesMarked,
         QT_TRANSLATE_NOOP("QObject", "Marked")},
        {Match::Exact, "Yomi Name", Action::Ignore, nullptr},
        {Match::Exact, "Given Name Yomi", Action::Ignore, nullptr},
        {Match::Exact, "Additional Name Yomi", Action::Ignore, nullptr},
        {Match::Exact, "Family Name Yomi", Action::Ignore, nullptr},
        {Match::Exact, "Name Prefix", Action::PrependSurnamePrefix, nullptr},
        {Match::Exact, "Name Suffix", Action::AppendMiddleNameSuffix, nullptr},
        {Match::Exact, "Nickname", Action::AppendNickname, nullptr},
        {Match::Exact, "Short Name", Action::AppendNickname, nullptr},
        {Match::Exact, "Maiden Name", Action::AppendNickname, nullptr},
        {Match::Exact, "Occupation", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Occupation: ")},
        {Match::Exact, "Subject", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Subject: ")},
        {Match::Exact, "Group Membership", Action::Starred, nullptr},
        {Match::Pattern, "E-mail \\d* - Type", Action::Ignore, nullptr},
        {Match::Pattern, "E-mail \\d* - Value", Action::SplitEmails,
         QT_TRANSLATE_NOOP("QObject", "Home")},
        {Match::Pattern, "Phone \\d* - Type", Action::TypeLabel, nullptr},
        {Match::Pattern, "Phone \\d* - Value", Action::SplitPhones, nullptr},
        {Match::Pattern, "Address \\d* - Type", Action::TypeLabel, nullptr},
        {Match::Pattern, "Address \\d* - Formatted", Action::SplitAddresses, nullptr},
        {Match::Pattern, "Address \\d* - Street", Action::Ignore, nullptr},
        {Match::Pattern, "Address \\d* - City", Action::Ignore, nullptr},
        {Match::Pattern, "Address \\d* - PO Box", Action::Ignore, nullptr},
        {Match::Pattern, "Address \\d* - Region", Action::Ignore, nullptr},
        {Match::Pattern, "Address \\d* - Postal Code", Action::Ignore, nullptr},
        {Match::Pattern, "Address \\d* - Country", Action::Ignore, nullptr},
        {Match::Pattern, "Address \\d* - Extended Address", Action::Ignore, nullptr},
        {Match::Pattern, "Organization \\d* - Type", Action::Ignore, nullptr},
        {Match::Pattern, "Organization \\d* - Name", Action::AppendOrganization, nullptr},
        {Match::Pattern, "Organization \\d* - Yomi Name", Action::Ignore, nullptr},
        {Match::Pattern, "Organization \\d* - Title", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Organization Title: ")},
        {Match::Pattern, "Organization \\d* - Department", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Organization Department: ")},
        {Match::Pattern, "Organization \\d* - Symbol", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Organization Symbol: ")},
        {Match::Pattern, "Organization \\d* - Location", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Organization Location: ")},
        {Match::Pattern, "Organization \\d* - Job Description", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Job Description: ")},
        {Match::Pattern, "Website \\d* - Type", Action::Ignore, nullptr},
        {Match::Pattern, "Website \\d* - Value", Action::SplitLinks, nullptr},

        // Google Contacts, current layout.
        {Match::Pattern, "Phone \\d* - Label", Action::PrefixedTypeLabel, nullptr},
        {Match::Pattern, "Address \\d* - Label", Action::PrefixedTypeLabel, nullptr},
        {Match::Pattern, "E-mail \\d* - Label", Action::Ignore, nullptr},
        {Match::Exact, "Organization Name", Action::SetOrganization, nullptr},
        {Match::Exact, "Organization Title", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Organization Title: ")},
        {Match::Exact, "Organization Department", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Organization Department: ")},
        {Match::Exact, "Labels", Action::Starred, nullptr},
        {Match::Exact, "File As", Action::DisplayName, nullptr},

        // Thunderbird.
        {Match::Exact, "Display Name", Action::DisplayName, nullptr},
        {Match::Exact, "Primary Email", Action::Email, QT_TRANSLATE_NOOP("QObject", "Home")},
        {Match::Exact, "Secondary Email", Action::Email, QT_TRANSLATE_NOOP("QObject", "Home")},
        {Match::Exact, "Work Phone", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Work")},
        {Match::Exact, "Mobile Number", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Mobile")},
        {Match::Exact, "Fax Number", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Fax: ")},
        {Match::Exact, "Pager Number", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Pager: ")},
        {Match::Exact, "Home Address 2", Action::HomeAppend,
         QT_TRANSLATE_NOOP("QObject", " Street: ")},
        {Match::Exact, "Home ZipCode", Action::HomeAppend,
         QT_TRANSLATE_NOOP("QObject", " Postal: ")},
        {Match::Exact, "Work Address", Action::WorkPrepend, nullptr},
        {Match::Exact, "Work Address 2", Action::WorkAppend,
         QT_TRANSLATE_NOOP("QObject", " Street: ")},
        {Match::Exact, "Work City", Action::WorkAppend, QT_TRANSLATE_NOOP("QObject", " City: ")},
        {Match::Exact, "Work State", Action::WorkAppend, QT_TRANSLATE_NOOP("QObject", " State: ")},
        {Match::Exact, "Work ZipCode", Action::WorkAppend,
         QT_TRANSLATE_NOOP("QObject", " Postal: ")},
        {Match::Exact, "Work Country", Action::WorkCountry,
         QT_TRANSLATE_NOOP("QObject", "Country: ")},
        {Match::Exact, "Organization", Action::SetOrganization, nullptr},
        {Match::Exact, "Web Page 1", Action::AppendLink, nullptr},
        {Match::Exact, "Web Page 2", Action::AppendLink, nullptr},
        {Match::Exact, "Birth Day", Action::BirthDay, nullptr},
        {Match::Exact, "Birth Month", Action::BirthMonth, nullptr},
        {Match::Exact, "Birth Year", Action::BirthYear, nullptr},

        // Outlook writes these country columns with a "/Region" suffix.
        {Match::Exact, "Home Country/Region", Action::HomeCountry,
         QT_TRANSLATE_NOOP("QObject", "Country: ")},
        {Match::Exact, "Business Country/Region", Action::WorkCountry,
         QT_TRANSLATE_NOOP("QObject", "Country: ")},

        // Single e-mail columns of simple spreadsheet exports.
        {Match::Exact, "E-mail", Action::Email, QT_TRANSLATE_NOOP("QObject", "Home")},
        {Match::Exact, "E-Mail", Action::Email, QT_TRANSLATE_NOOP("QObject", "Home")},
        {Match::Exact, "Email", Action::Email, QT_TRANSLATE_NOOP("QObject", "Home")},

        // Outlook with German column names, mapped like their English originals.
        {Match::Exact, "Anrede", Action::PrependSurnamePrefix, nullptr},
        {Match::Exact, "Vorname", Action::SetName, nullptr},
        {Match::Exact, "Weitere Vornamen", Action::PrependMiddleName, nullptr},
        {Match::Exact, "Nachname", Action::AppendSurname, nullptr},
        {Match::Exact, "Firma", Action::SetOrganization, nullptr},
        {Match::Exact, "Abteilung", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Department: ")},
        {Match::Exact, "Position", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Job Title: ")},
        {Match::Pattern, "^Stra\u00dfe gesch\u00e4ftlich", Action::WorkAppend,
         QT_TRANSLATE_NOOP("QObject", " Street: ")},
        {Match::Exact, "Postfach gesch\u00e4ftlich", Action::WorkAppend,
         QT_TRANSLATE_NOOP("QObject", " PO Box: ")},
        {Match::Exact, "Ort gesch\u00e4ftlich", Action::WorkAppend,
         QT_TRANSLATE_NOOP("QObject", " City: ")},
        {Match::Exact, "Region gesch\u00e4ftlich", Action::WorkAppend,
         QT_TRANSLATE_NOOP("QObject", " State: ")},
        {Match::Exact, "Postleitzahl gesch\u00e4ftlich", Action::WorkAppend,
         QT_TRANSLATE_NOOP("QObject", " Postal: ")},
        {Match::Exact, "Land/Region gesch\u00e4ftlich", Action::WorkCountry,
         QT_TRANSLATE_NOOP("QObject", "Country: ")},
        {Match::Pattern, "^Stra\u00dfe privat", Action::HomeAppend,
         QT_TRANSLATE_NOOP("QObject", " Street: ")},
        {Match::Exact, "Postfach privat", Action::HomeAppend,
         QT_TRANSLATE_NOOP("QObject", " PO Box: ")},
        {Match::Exact, "Ort privat", Action::HomeAppend, QT_TRANSLATE_NOOP("QObject", " City: ")},
        {Match::Exact, "Bundesland/Kanton privat", Action::HomeAppend,
         QT_TRANSLATE_NOOP("QObject", " State: ")},
        {Match::Exact, "Postleitzahl privat", Action::HomeAppend,
         QT_TRANSLATE_NOOP("QObject", " Postal: ")},
        {Match::Exact, "Land/Region privat", Action::HomeCountry,
         QT_TRANSLATE_NOOP("QObject", "Country: ")},
        {Match::Exact, "Fax privat", Action::HomeAppend, QT_TRANSLATE_NOOP("QObject", " Fax: ")},
        {Match::Exact, "Fax gesch\u00e4ftlich", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Business Fax: ")},
        {Match::Exact, "Haupttelefon", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Work")},
        {Match::Pattern, "^Telefon \\(privat", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Home")},
        {Match::Exact, "Weiteres Telefon", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Home")},
        {Match::Exact, "Autotelefon", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Home")},
        {Match::Pattern, "^Mobiltelefon", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Mobile")},
        {Match::Pattern, "^Telefon gesch\u00e4ftlich", Action::Phone,
         QT_TRANSLATE_NOOP("QObject", "Work")},
        {Match::Exact, "Telefon Firma", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Work")},
        {Match::Exact, "Telefon Assistent", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Work")},
        {Match::Exact, "E-Mail-Adresse", Action::Email, QT_TRANSLATE_NOOP("QObject", "Home")},
        {Match::Pattern, "^E-Mail \\d+: Adresse$", Action::Email,
         QT_TRANSLATE_NOOP("QObject", "Home")},
        {Match::Exact, "Geburtstag", Action::SetBirthday, nullptr},
        {Match::Exact, "Jahrestag", Action::DateCommentLine,
         QT_TRANSLATE_NOOP("QObject", "Anniversary: ")},
        {Match::Exact, "Notizen", Action::AppendNotes, nullptr},
        {Match::Exact, "Webseite", Action::AppendLink, nullptr},
        {Match::Exact, "Initialen", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Initials: ")},
};

bool isBlank(const QString &value)
{
    for (const QChar ch : value) {
        if (!ch.isSpace()) {
            return false;
        }
    }
    return true;
}

// Outlook writes "0.0.00" or "0/0/00" for a birthday that is not set.
bool isEmptyDatePlaceholder(const QString &value)
{
    bool zero = false;
    for (const QChar ch : value) {
        if (ch == QLatin1Char('0')) {
            zero = true;
        } else if (ch != QLatin1Char('.') && ch != QLatin1Char('/') && ch != QLatin1Char('-')
                   && !ch.isSpace()) {
            return false;
        }
    }
    return zero;
}

// Google joins several values of one column with ":::"; each part is trimmed.
QStringList splitValues(const QString &value)
{
    QStringList parts = value.split(QStringLiteral(":::"));
    for (QString &part : parts) {
        part = part.trimmed();
    }
    return parts;
}

QString typeLabel(const QString &value)
{
    static const QString star = QStringLiteral("*");
    if (value == QLatin1String("Home")) {
        return trQ("Home");
    }
    if (value == QLatin1String("Mobile")) {
        return trQ("Mobile");
    }
    if (value == QLatin1String("Work")) {
        return trQ("Work");
    }
    if (value == star) {
        return trQ("Mobile");
    }
    return value;
}

bool hasData(const Contact *c)
{
    return !c->name.trimmed().isEmpty() || !c->surname.trimmed().isEmpty()
           || !c->middlename.trimmed().isEmpty() || !c->organization.isEmpty()
           || !c->dateOfBirth.isEmpty() || !c->comment.isEmpty() || !c->phoneList.isEmpty()
           || !c->emailList.isEmpty() || !c->addressList.isEmpty() || !c->linkList.isEmpty();
}

bool isNumber(const QString &text)
{
    bool ok = false;
    text.trimmed().toUInt(&ok);
    return ok;
}

} // namespace

CsvContactReader::Rule CsvContactReader::ruleFor(const QString &header)
{
    struct Compiled
    {
        const Entry *entry;
        QString header;
        QRegularExpression pattern;
    };
    // Compiled once: a file is resolved column by column against every row.
    static const QVector<Compiled> compiled = [] {
        QVector<Compiled> result;
        for (const Entry &entry : table) {
            const QString text = QString::fromUtf8(entry.header);
            result.append({&entry, text,
                           entry.match == Match::Pattern ? QRegularExpression(text)
                                                         : QRegularExpression()});
        }
        return result;
    }();

    for (const Compiled &candidate : compiled) {
        const bool matches = candidate.entry->match == Match::Exact
                                     ? header == candidate.header
                                     : candidate.pattern.match(header).hasMatch();
        if (matches) {
            Rule rule;
            rule.action = candidate.entry->action;
            if (candidate.entry->text) {
                rule.text = trQ(candidate.entry->text);
            }
            return rule;
        }
    }
    return Rule();
}

CsvContactReader::CsvContactReader(const QStringList &header)
{
    m_rules.reserve(header.size());
    for (const QString &text : header) {
        m_rules.append(ruleFor(text));
    }
}

Contact *CsvContactReader::readRow(const QStringList &row, int rowNumber, qint64 stamp) const
{
    const int columns = qMin(row.size(), m_rules.size());
    bool empty = true;
    for (int j = 0; j < columns && empty; ++j) {
        empty = isBlank(row.at(j));
    }
    if (empty) {
        return nullptr;
    }

    auto *contact = new Contact;
    contact->id = QString::number(stamp) + QString::number(rowNumber);

    QString home;
    QString work;
    QString label;
    QString displayName;
    QString birthDay;
    QString birthMonth;
    QString birthYear;

    auto addPhone = [contact](const QString &value, const QString &group) {
        contact->phoneList.append(value);
        contact->phoneGroupList.append(group);
    };
    auto addEmail = [contact](const QString &value, const QString &group) {
        contact->emailList.append(value);
        contact->emailGroupList.append(group);
    };
    auto addAddress = [contact](const QString &value, const QString &group) {
        contact->addressList.append(value);
        contact->addressGroupList.append(group);
    };

    for (int j = 0; j < columns; ++j) {
        const QString &value = row.at(j);
        const Rule &rule = m_rules.at(j);
        if (rule.action == Action::Ignore || isBlank(value)) {
            continue;
        }
        switch (rule.action) {
        case Action::Ignore:
            break;
        case Action::SetName:
            contact->name = value;
            break;
        case Action::PrependMiddleName:
            contact->middlename.prepend(value);
            break;
        case Action::AppendSurname:
            contact->surname.append(value);
            break;
        case Action::PrependSurnamePrefix:
            contact->surname.prepend(value + QStringLiteral(", "));
            break;
        case Action::AppendMiddleNameSuffix:
            contact->middlename.append(QStringLiteral(", ") + value);
            break;
        case Action::AppendNickname:
            contact->name.append(QLatin1Char(' ') + value);
            break;
        case Action::AppendLink:
            contact->linkList.append(value);
            break;
        case Action::SplitLinks:
            contact->linkList.append(splitValues(value));
            break;
        case Action::CommentLine:
            contact->comment.append(rule.text + value + QLatin1Char('\n'));
            break;
        case Action::DateCommentLine:
            if (!isEmptyDatePlaceholder(value)) {
                contact->comment.append(rule.text + value + QLatin1Char('\n'));
            }
            break;
        case Action::AppendNotes:
            contact->comment.append(value + QLatin1Char('\n'));
            break;
        case Action::SetBirthday:
            if (!isEmptyDatePlaceholder(value)) {
                contact->dateOfBirth = value;
            }
            break;
        case Action::BirthDay:
            birthDay = value;
            break;
        case Action::BirthMonth:
            birthMonth = value;
            break;
        case Action::BirthYear:
            birthYear = value;
            break;
        case Action::Email:
            addEmail(value, rule.text);
            break;
        case Action::SplitEmails:
            for (const QString &part : splitValues(value)) {
                addEmail(part, rule.text);
            }
            break;
        case Action::Phone:
            addPhone(value, rule.text);
            break;
        case Action::SplitPhones:
            for (const QString &part : splitValues(value)) {
                addPhone(part, label);
            }
            break;
        case Action::AddressNow:
            addAddress(value, rule.text);
            break;
        case Action::SplitAddresses:
            for (const QString &part : splitValues(value)) {
                addAddress(part, label);
            }
            break;
        case Action::HomeAppend:
            home.append(rule.text + value);
            break;
        case Action::HomePrepend:
            home.prepend(value);
            break;
        case Action::HomeCountry:
            home.prepend(rule.text + value + QLatin1Char(' '));
            break;
        case Action::WorkAppend:
            work.append(rule.text + value);
            break;
        case Action::WorkPrepend:
            work.prepend(value);
            break;
        case Action::WorkCountry:
            work.prepend(rule.text + value + QLatin1Char(' '));
            break;
        case Action::SetOrganization:
            contact->organization = value;
            break;
        case Action::AppendOrganization:
            if (!contact->organization.isEmpty()) {
                contact->organization.append(QStringLiteral(", "));
            }
            contact->organization.append(value);
            break;
        case Action::CategoriesMarked:
            if (value.contains(rule.text, Qt::CaseInsensitive)) {
                contact->isFavorite = true;
            }
            break;
        case Action::Starred:
            if (value.contains(QLatin1String("Starred"), Qt::CaseInsensitive)) {
                contact->isFavorite = true;
            }
            break;
        case Action::TypeLabel:
            label = typeLabel(value);
            break;
        case Action::PrefixedTypeLabel:
            label = typeLabel(value.startsWith(QLatin1String("* ")) ? value.mid(2) : value);
            break;
        case Action::DisplayName:
            if (displayName.isEmpty()) {
                displayName = value.trimmed();
            }
            break;
        }
    }

    if (!home.isEmpty()) {
        addAddress(home, trQ("Home"));
    }
    if (!work.isEmpty()) {
        addAddress(work, trQ("Work"));
    }
    if (isNumber(birthDay) && isNumber(birthMonth) && isNumber(birthYear)) {
        contact->dateOfBirth = QStringLiteral("%1.%2.%3")
                                       .arg(birthDay.trimmed().toUInt(), 2, 10, QLatin1Char('0'))
                                       .arg(birthMonth.trimmed().toUInt(), 2, 10, QLatin1Char('0'))
                                       .arg(birthYear.trimmed().toUInt(), 4, 10, QLatin1Char('0'));
    }

    ImportedName::nameIfNameless(contact, displayName);
    if (!hasData(contact) && !contact->isFavorite) {
        delete contact;
        return nullptr;
    }
    return contact;
}

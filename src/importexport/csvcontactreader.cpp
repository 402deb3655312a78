#include "importexport/csvcontactreader.h"

#include "importexport/googlecsv.h"
#include "record/birthday.h"
#include "record/contact.h"
#include "record/importedgroups.h"
#include "record/importedname.h"
#include "vcard/vcardtext.h"

#include <QCoreApplication>
#include <QDate>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringBuilder>

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
        {Match::Exact, "Title", Action::KeepInCard, "prefix"},
        {Match::Exact, "Suffix", Action::KeepInCard, "suffix"},
        // Outlook fills Initials from the name itself ("T.S."); appended to the
        // given name it would garble every imported name, so it becomes a line of
        // the comment instead.
        {Match::Exact, "Initials", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Initials: ")},
        {Match::Exact, "Web Page", Action::AppendLink, nullptr},
        {Match::Exact, "Gender", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Gender: ")},
        {Match::Exact, "Birthday", Action::SetBirthday, nullptr},
        {Match::Exact, "Anniversary", Action::KeepInCard, "anniversary"},
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
        {Match::Exact, "Job Title", Action::KeepInCard, "title"},
        {Match::Exact, "Department", Action::KeepInCard, "department"},
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
        {Match::Exact, "Categories", Action::Categories, QT_TRANSLATE_NOOP("QObject", "Marked")},
        {Match::Exact, "Yomi Name", Action::Ignore, nullptr},
        {Match::Exact, "Given Name Yomi", Action::Ignore, nullptr},
        {Match::Exact, "Additional Name Yomi", Action::Ignore, nullptr},
        {Match::Exact, "Family Name Yomi", Action::Ignore, nullptr},
        {Match::Exact, "Name Prefix", Action::KeepInCard, "prefix"},
        {Match::Exact, "Name Suffix", Action::KeepInCard, "suffix"},
        {Match::Exact, "Nickname", Action::KeepInCard, "nickname"},
        {Match::Exact, "Short Name", Action::AppendNickname, nullptr},
        {Match::Exact, "Maiden Name", Action::AppendNickname, nullptr},
        {Match::Exact, "Occupation", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Occupation: ")},
        {Match::Exact, "Subject", Action::CommentLine, QT_TRANSLATE_NOOP("QObject", "Subject: ")},
        {Match::Exact, "Group Membership", Action::GroupMembership, nullptr},
        {Match::Pattern, "E-mail \\d* - Type", Action::EmailTypeLabel, nullptr},
        {Match::Pattern, "E-mail \\d* - Value", Action::SplitEmails,
         QT_TRANSLATE_NOOP("QObject", "Home")},
        {Match::Pattern, "Phone \\d* - Type", Action::PhoneTypeLabel, nullptr},
        {Match::Pattern, "Phone \\d* - Value", Action::SplitPhones, nullptr},
        {Match::Pattern, "Address \\d* - Type", Action::AddressTypeLabel, nullptr},
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
        {Match::Pattern, "Organization \\d* - Title", Action::KeepInCard, "title"},
        {Match::Pattern, "Organization \\d* - Department", Action::KeepInCard, "department"},
        {Match::Pattern, "Organization \\d* - Symbol", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Organization Symbol: ")},
        {Match::Pattern, "Organization \\d* - Location", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Organization Location: ")},
        {Match::Pattern, "Organization \\d* - Job Description", Action::CommentLine,
         QT_TRANSLATE_NOOP("QObject", "Job Description: ")},
        {Match::Pattern, "Website \\d* - Type", Action::Ignore, nullptr},
        {Match::Pattern, "Website \\d* - Value", Action::SplitLinks, nullptr},

        // Google Contacts, current layout.
        {Match::Pattern, "Phone \\d* - Label", Action::PrefixedPhoneTypeLabel, nullptr},
        {Match::Pattern, "Address \\d* - Label", Action::PrefixedAddressTypeLabel, nullptr},
        {Match::Pattern, "E-mail \\d* - Label", Action::EmailTypeLabel, nullptr},
        {Match::Exact, "Organization Name", Action::SetOrganization, nullptr},
        {Match::Exact, "Organization Title", Action::KeepInCard, "title"},
        {Match::Exact, "Organization Department", Action::KeepInCard, "department"},
        {Match::Exact, "Labels", Action::GroupMembership, nullptr},
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
        {Match::Exact, "Anrede", Action::KeepInCard, "prefix"},
        {Match::Exact, "Vorname", Action::SetName, nullptr},
        {Match::Exact, "Weitere Vornamen", Action::PrependMiddleName, nullptr},
        {Match::Exact, "Nachname", Action::AppendSurname, nullptr},
        {Match::Exact, "Firma", Action::SetOrganization, nullptr},
        {Match::Exact, "Abteilung", Action::KeepInCard, "department"},
        {Match::Exact, "Position", Action::KeepInCard, "title"},
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
        {Match::Pattern, "^Telefon privat", Action::Phone, QT_TRANSLATE_NOOP("QObject", "Home")},
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
        {Match::Exact, "Jahrestag", Action::KeepInCard, "anniversary"},
        {Match::Exact, "Notizen", Action::AppendNotes, nullptr},
        {Match::Exact, "Kategorien", Action::Categories, QT_TRANSLATE_NOOP("QObject", "Marked")},
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
template<typename Visit>
void forEachValue(const QString &value, Visit visit)
{
    // Most values are one: a character search finds that sooner.
    if (!value.contains(QLatin1Char(':'))) {
        visit(value.trimmed());
        return;
    }
    for (const QString &part : value.split(QStringLiteral(":::"))) {
        visit(part.trimmed());
    }
}

QStringList splitValues(const QString &value)
{
    QStringList parts;
    forEachValue(value, [&parts](const QString &part) { parts.append(part); });
    return parts;
}

// Google's current layout marks the primary entry's label with "* ".
QString unprefixed(const QString &value)
{
    return value.startsWith(QLatin1String("* ")) ? value.mid(2) : value;
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
    // Google's other words (Main, Home Fax, ...) name this program's labels;
    // any other text is a label of its own.
    return GoogleCsv::labelOfType(value);
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

// The rules of the table, ready for lookup. An exact rule is found by a
// hash lookup of the header text. A pattern rule matches wherever its
// expression is found in the header; whether it does depends on the header
// only up to the length of its digit runs (digits occur in the patterns only
// as \d* and \d+), so the pattern answer of a header is kept under its
// normalised name, every digit run collapsed to one "0". The expressions are
// compiled once, and tried one by one only when their union matches. A name
// with letters outside ASCII is also known with U+FFFD in their place, as
// files that went through a lossy conversion carry it.
class HeaderRules
{
public:
    static const HeaderRules &instance()
    {
        static const HeaderRules rules;
        return rules;
    }

    // The table row of the first rule that matches header, or -1; patterns
    // caches the pattern answers of normalised names.
    int entryFor(const QString &header, QHash<QString, int> *patterns) const
    {
        const int exact = m_exact.value(header, -1);
        const QString normalised = normalisedName(header);
        auto cached = patterns->constFind(normalised);
        if (cached == patterns->constEnd()) {
            cached = patterns->insert(normalised, firstPattern(normalised));
        }
        const int pattern = cached.value();
        if (exact < 0 || (pattern >= 0 && pattern < exact)) {
            return pattern;
        }
        return exact;
    }

private:
    struct Pattern
    {
        int entry;
        QRegularExpression expression;
    };

    HeaderRules()
    {
        QStringList alternatives;
        const int entries = int(sizeof(table) / sizeof(table[0]));
        for (int i = 0; i < entries; ++i) {
            const QString text = QString::fromUtf8(table[i].header);
            const QString damaged = withReplacementCharacters(text);
            for (const QString &variant :
                 damaged == text ? QStringList{text} : QStringList{text, damaged}) {
                if (table[i].match == Match::Exact) {
                    if (!m_exact.contains(variant)) {
                        m_exact.insert(variant, i);
                    }
                    continue;
                }
                m_patterns.append({i, QRegularExpression(variant)});
                m_patterns.last().expression.optimize();
                alternatives.append(QStringLiteral("(?:%1)").arg(variant));
            }
        }
        m_anyPattern.setPattern(alternatives.join(QLatin1Char('|')));
        m_anyPattern.optimize();
    }

    // The header as a lossy conversion leaves it: each letter outside ASCII
    // replaced by U+FFFD ("Telefon gesch\uFFFDftlich").
    static QString withReplacementCharacters(QString text)
    {
        for (QChar &ch : text) {
            if (ch.unicode() > 0x7f) {
                ch = QChar::ReplacementCharacter;
            }
        }
        return text;
    }

    static QString normalisedName(const QString &header)
    {
        QString name;
        name.reserve(header.size());
        bool inDigits = false;
        for (const QChar ch : header) {
            const bool digit = ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
            if (!digit) {
                name += ch;
            } else if (!inDigits) {
                name += QLatin1Char('0');
            }
            inDigits = digit;
        }
        return name;
    }

    int firstPattern(const QString &name) const
    {
        if (!m_anyPattern.match(name).hasMatch()) {
            return -1;
        }
        for (const Pattern &pattern : m_patterns) {
            if (pattern.expression.match(name).hasMatch()) {
                return pattern.entry;
            }
        }
        return -1;
    }

    QHash<QString, int> m_exact;
    QVector<Pattern> m_patterns;
    QRegularExpression m_anyPattern;
};

CsvContactReader::Rule ruleOfEntry(int entry)
{
    CsvContactReader::Rule rule;
    if (entry >= 0) {
        rule.action = table[entry].action;
        if (table[entry].text) {
            rule.text = trQ(table[entry].text);
        }
    }
    return rule;
}

// A text built by prepending and appending pieces in any order, joined once
// at the end, so that many pieces cost linear time.
class PieceText
{
public:
    void prepend(const QString &piece) { m_front.append(piece); }
    void append(const QString &piece) { m_back.append(piece); }
    bool isEmpty() const { return m_front.isEmpty() && m_back.isEmpty(); }

    QString text() const
    {
        QString result;
        for (auto it = m_front.crbegin(); it != m_front.crend(); ++it) {
            result += *it;
        }
        for (const QString &piece : m_back) {
            result += piece;
        }
        return result;
    }

private:
    QStringList m_front;
    QStringList m_back;
};

// One data row on its way to a contact: applies the rules of its columns,
// then finishes the texts that several columns build.
class RowReader
{
public:
    explicit RowReader(Contact *contact)
        : m_contact(contact)
    {
    }

    void apply(const CsvContactReader::Rule &rule, const QString &value)
    {
        applyName(rule, value) || applyList(rule, value) || applyAddress(rule, value)
                || applyOther(rule, value);
    }

    void finish()
    {
        m_contact->surname = m_surname.text();
        m_contact->middlename = m_middlename.text();
        addAddressTexts();
        m_contact->phoneList = m_phones;
        m_contact->emailList = m_emails;
        m_contact->addressList = m_addresses;
        m_contact->linkList = m_links;
        setBirthdayFromParts();
        // Each comment line ends with a line feed while the row is read; the
        // last one would otherwise grow the note by a line on every round trip.
        if (m_contact->comment.endsWith(QLatin1Char('\n'))) {
            m_contact->comment.chop(1);
        }
        ImportedName::nameIfNameless(m_contact, m_displayName);
        if (!m_kept.isEmpty()) {
            m_contact->card = keptCard();
        }
    }

private:
    bool applyName(const CsvContactReader::Rule &rule, const QString &value);
    bool applyList(const CsvContactReader::Rule &rule, const QString &value);
    bool applyAddress(const CsvContactReader::Rule &rule, const QString &value);
    bool applyOther(const CsvContactReader::Rule &rule, const QString &value);
    void addAddressTexts();
    void setBirthdayFromParts();
    QByteArray keptCard() const;

    void addPhone(const QString &value, const QString &group)
    {
        m_phones.append(value);
        m_contact->phoneGroupList.append(group);
    }
    void addEmail(const QString &value, const QString &group)
    {
        m_emails.append(value);
        m_contact->emailGroupList.append(group);
    }
    void addAddress(const QString &value, const QString &group)
    {
        m_addresses.append(value);
        m_contact->addressGroupList.append(group);
    }

    Contact *m_contact;
    // The lists of the row, given to the contact when it is finished.
    QStringList m_phones;
    QStringList m_emails;
    QStringList m_addresses;
    QStringList m_links;
    PieceText m_surname;
    PieceText m_middlename;
    PieceText m_home;
    PieceText m_work;
    // Phones and addresses each keep their own current type label, so that an
    // address without a type column is never labelled like the phone before it.
    QString m_phoneLabel;
    QString m_addressLabel;
    // The label of the next e-mail group; empty gives the column's own.
    QString m_emailLabel;
    QString m_displayName;
    QString m_birthDay;
    QString m_birthMonth;
    QString m_birthYear;
    // The columns kept in the contact's card, by what they are.
    QHash<QString, QString> m_kept;
};

// A card of this program's own with what the row held beyond the record: N
// with its prefix and suffix, FN, ORG with the department, NICKNAME, TITLE
// and the anniversary as Apple writes dates. The record's other fields are
// not in it: the patch adds them when the card is written. It has no UID,
// which the record's id gives then.
QByteArray RowReader::keptCard() const
{
    const auto text = [this](const QString &kept) {
        return vCardText::escape(m_kept.value(kept));
    };
    const QString department = QStringLiteral("department");
    QString card = QLatin1String("BEGIN:VCARD\r\nVERSION:3.0\r\nN:")
                   % vCardText::escape(m_contact->surname) % QLatin1Char(';')
                   % vCardText::escape(m_contact->name) % QLatin1Char(';')
                   % vCardText::escape(m_contact->middlename) % QLatin1Char(';')
                   % text(QStringLiteral("prefix")) % QLatin1Char(';')
                   % text(QStringLiteral("suffix")) % QLatin1String("\r\nFN:")
                   % vCardText::escape(m_contact->composedFullName()) % QLatin1String("\r\n");
    if (!m_contact->organization.isEmpty() || m_kept.contains(department)) {
        card += QLatin1String("ORG:") % vCardText::escape(m_contact->organization)
                % (m_kept.contains(department) ? QLatin1Char(';') + text(department) : QString())
                % QLatin1String("\r\n");
    }
    for (const QString &kept : {QStringLiteral("nickname"), QStringLiteral("title")}) {
        if (m_kept.contains(kept)) {
            card += kept.toUpper() % QLatin1Char(':') % text(kept) % QLatin1String("\r\n");
        }
    }
    const auto anniversary = m_kept.constFind(QStringLiteral("anniversary"));
    if (anniversary != m_kept.constEnd()) {
        const QDate day = QDate::fromString(*anniversary, QStringLiteral("dd.MM.yyyy"));
        card += QLatin1String("item1.X-ABDATE:")
                % vCardText::escape(day.isValid() ? day.toString(Qt::ISODate) : *anniversary)
                % QLatin1String("\r\nitem1.X-ABLabel:_$!<Anniversary>!$_\r\n");
    }
    card += QLatin1String("END:VCARD\r\n");
    // Encoding leaves room for three bytes a character; the card is kept
    // with its contact, so it keeps only what it holds.
    QByteArray bytes = card.toUtf8();
    bytes.squeeze();
    return bytes;
}

bool RowReader::applyName(const CsvContactReader::Rule &rule, const QString &value)
{
    switch (rule.action) {
    case Action::SetName:
        m_contact->name = value;
        return true;
    case Action::PrependMiddleName:
        m_middlename.prepend(value);
        return true;
    case Action::AppendSurname:
        m_surname.append(value);
        return true;
    case Action::AppendNickname:
        m_contact->name.append(QLatin1Char(' ') + value);
        return true;
    case Action::DisplayName:
        if (m_displayName.isEmpty()) {
            m_displayName = value.trimmed();
        }
        return true;
    default:
        return false;
    }
}

// Phones, e-mail addresses, whole addresses and links, and the type label
// that the following phone or address column of Google's layout takes.
bool RowReader::applyList(const CsvContactReader::Rule &rule, const QString &value)
{
    switch (rule.action) {
    case Action::AppendLink:
        m_links.append(value);
        return true;
    case Action::SplitLinks:
        m_links.append(splitValues(value));
        return true;
    case Action::Email:
        addEmail(value, rule.text);
        return true;
    case Action::SplitEmails:
        forEachValue(value, [&](const QString &part) {
            addEmail(part, m_emailLabel.isEmpty() ? rule.text : m_emailLabel);
        });
        // A type column labels the addresses of its own group only.
        m_emailLabel.clear();
        return true;
    case Action::EmailTypeLabel: {
        const QString type = unprefixed(value.trimmed()).trimmed();
        m_emailLabel = type == QLatin1String("*") ? QString() : typeLabel(type);
        return true;
    }
    case Action::Phone:
        addPhone(value, rule.text);
        return true;
    case Action::SplitPhones:
        forEachValue(value, [this](const QString &part) { addPhone(part, m_phoneLabel); });
        return true;
    case Action::AddressNow:
        addAddress(value, rule.text);
        return true;
    case Action::SplitAddresses:
        forEachValue(value, [this](const QString &part) { addAddress(part, m_addressLabel); });
        return true;
    case Action::PhoneTypeLabel:
        m_phoneLabel = typeLabel(value);
        return true;
    case Action::AddressTypeLabel:
        m_addressLabel = typeLabel(value);
        return true;
    case Action::PrefixedPhoneTypeLabel:
        m_phoneLabel = typeLabel(unprefixed(value));
        return true;
    case Action::PrefixedAddressTypeLabel:
        m_addressLabel = typeLabel(unprefixed(value));
        return true;
    default:
        return false;
    }
}

// The parts of the home and work address texts.
bool RowReader::applyAddress(const CsvContactReader::Rule &rule, const QString &value)
{
    switch (rule.action) {
    case Action::HomeAppend:
        m_home.append(rule.text + value);
        return true;
    case Action::HomePrepend:
        m_home.prepend(value);
        return true;
    case Action::HomeCountry:
        m_home.prepend(rule.text + value + QLatin1Char(' '));
        return true;
    case Action::WorkAppend:
        m_work.append(rule.text + value);
        return true;
    case Action::WorkPrepend:
        m_work.prepend(value);
        return true;
    case Action::WorkCountry:
        m_work.prepend(rule.text + value + QLatin1Char(' '));
        return true;
    default:
        return false;
    }
}

// Comment lines, dates, the organisation, the groups and the favourite mark.
bool RowReader::applyOther(const CsvContactReader::Rule &rule, const QString &value)
{
    switch (rule.action) {
    case Action::CommentLine:
        m_contact->comment.append(rule.text + value + QLatin1Char('\n'));
        return true;
    case Action::KeepInCard:
        // Outlook writes an empty date as a placeholder.
        if (!m_kept.contains(rule.text)
            && !(rule.text == QLatin1String("anniversary") && isEmptyDatePlaceholder(value))) {
            m_kept.insert(rule.text, value.trimmed());
        }
        return true;
    case Action::AppendNotes:
        m_contact->comment.append(value + QLatin1Char('\n'));
        return true;
    case Action::SetBirthday:
        // Google writes yyyy-MM-dd, and --MM-DD for a birthday without a
        // year: they are kept in the editor's forms.
        if (!isEmptyDatePlaceholder(value)) {
            const QString date = Birthday::fromIso(value);
            m_contact->dateOfBirth = date.isEmpty() ? value : date;
        }
        return true;
    case Action::BirthDay:
        m_birthDay = value;
        return true;
    case Action::BirthMonth:
        m_birthMonth = value;
        return true;
    case Action::BirthYear:
        m_birthYear = value;
        return true;
    case Action::SetOrganization:
        m_contact->organization = value;
        return true;
    case Action::AppendOrganization:
        if (!m_contact->organization.isEmpty()) {
            m_contact->organization.append(QStringLiteral(", "));
        }
        m_contact->organization.append(value);
        return true;
    case Action::Categories: {
        // Outlook separates categories with the list separator of its
        // locale; neither separator can be part of a category's name.
        static const QRegularExpression separators(QStringLiteral("[;,]"));
        ImportedGroups::add(m_contact, value.split(separators), rule.text);
        return true;
    }
    case Action::GroupMembership:
        ImportedGroups::add(m_contact, ImportedGroups::fromGoogle(splitValues(value)));
        return true;
    default:
        return false;
    }
}

// The home and work texts come after the addresses that columns added whole.
void RowReader::addAddressTexts()
{
    if (!m_home.isEmpty()) {
        addAddress(m_home.text(), trQ("Home"));
    }
    if (!m_work.isEmpty()) {
        addAddress(m_work.text(), trQ("Work"));
    }
}

// Thunderbird's separate day, month and year columns.
void RowReader::setBirthdayFromParts()
{
    if (isNumber(m_birthDay) && isNumber(m_birthMonth) && isNumber(m_birthYear)) {
        m_contact->dateOfBirth =
                QStringLiteral("%1.%2.%3")
                        .arg(m_birthDay.trimmed().toUInt(), 2, 10, QLatin1Char('0'))
                        .arg(m_birthMonth.trimmed().toUInt(), 2, 10, QLatin1Char('0'))
                        .arg(m_birthYear.trimmed().toUInt(), 4, 10, QLatin1Char('0'));
    }
}

} // namespace

CsvContactReader::Rule CsvContactReader::ruleFor(const QString &header)
{
    QHash<QString, int> patterns;
    return ruleOfEntry(HeaderRules::instance().entryFor(header, &patterns));
}

bool CsvContactReader::isContactsHeader(const QStringList &header)
{
    if (header.size() < 2) {
        return false;
    }
    const HeaderRules &rules = HeaderRules::instance();
    QHash<QString, int> patterns;
    const int needed = qMin(3, header.size());
    // Each distinct name counts once: a row of empty cells is no header.
    QSet<QString> seen;
    int known = 0;
    for (const QString &text : header) {
        const QString name = text.trimmed();
        if (seen.contains(name)) {
            continue;
        }
        seen.insert(name);
        if (rules.entryFor(name, &patterns) >= 0 && ++known >= needed) {
            return true;
        }
    }
    return false;
}

// Files repeat header texts (an export with hundreds of empty columns, the
// same column many times): each distinct text is looked up once.
CsvContactReader::CsvContactReader(const QStringList &header)
{
    const HeaderRules &rules = HeaderRules::instance();
    QHash<QString, int> patterns;
    QHash<int, Rule> ruleOf;
    QHash<QString, Rule> known;
    m_rules.reserve(header.size());
    for (const QString &text : header) {
        auto found = known.constFind(text);
        if (found == known.constEnd()) {
            const int entry = rules.entryFor(text, &patterns);
            auto rule = ruleOf.constFind(entry);
            if (rule == ruleOf.constEnd()) {
                rule = ruleOf.insert(entry, ruleOfEntry(entry));
            }
            found = known.insert(text, rule.value());
        }
        m_rules.append(found.value());
    }
}

bool CsvContactReader::hasValuesBeyondHeader(const QStringList &row) const
{
    for (int j = m_rules.size(); j < row.size(); ++j) {
        if (!isBlank(row.at(j))) {
            return true;
        }
    }
    return false;
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
    RowReader reader(contact);
    for (int j = 0; j < columns; ++j) {
        const Rule &rule = m_rules.at(j);
        if (rule.action != Action::Ignore && !isBlank(row.at(j))) {
            reader.apply(rule, row.at(j));
        }
    }
    reader.finish();
    if (!hasData(contact) && !contact->isFavorite) {
        delete contact;
        return nullptr;
    }
    return contact;
}

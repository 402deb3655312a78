#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

class Contact;

// Turns the rows of an address-book CSV file into contacts. One table of
// header names covers Google's old and current export layouts, Outlook's and
// Thunderbird's. The header row is resolved to one action per column once;
// every data row then applies the actions of its non-empty columns.
class CsvContactReader
{
public:
    explicit CsvContactReader(const QStringList &header);

    // The contact of one data row, or null when the row holds no data.
    // rowNumber becomes part of the provisional id; stamp is the millisecond
    // clock that starts it.
    Contact *readRow(const QStringList &row, int rowNumber, qint64 stamp) const;
    // True when the row holds a value, not only blanks, in a column that the
    // header does not name: the row has more fields than the header, as an
    // unquoted separator inside a value makes it. Such values are not read.
    bool hasValuesBeyondHeader(const QStringList &row) const;

    enum class Action {
        Ignore,
        SetName,
        PrependMiddleName,
        AppendSurname,
        AppendNickname, // one space and the value after the name
        AppendLink,
        SplitLinks,
        CommentLine,
        AppendNotes,
        SetBirthday,
        BirthDay,
        BirthMonth,
        BirthYear,
        Email,
        SplitEmails,
        Phone,
        SplitPhones,
        AddressNow,
        SplitAddresses,
        HomeAppend,
        HomePrepend,
        HomeCountry,
        WorkAppend,
        WorkPrepend,
        WorkCountry,
        SetOrganization,
        AppendOrganization,
        Categories,      // Outlook's, separated by ";" or ","; "Marked" is the star
        GroupMembership, // Google's, separated by ":::"; "* starred" is the star
        PhoneTypeLabel,
        AddressTypeLabel,
        PrefixedPhoneTypeLabel, // "* Mobile" in Google's current layout
        EmailTypeLabel,         // the label of the next e-mail address, "* " marks the primary one
        PrefixedAddressTypeLabel,
        DisplayName,
        // A column the record does not hold (prefix, suffix, nickname, job
        // title, department, anniversary): kept in a card made for the
        // contact, as a card of another program keeps it.
        KeepInCard,
    };

    struct Rule
    {
        Action action = Action::Ignore;
        QString text; // the label, comment prefix or address prefix of the action
    };

    // True when the header row names columns of an address-book export: at
    // least three distinct known column names (all of a row of two).
    static bool isContactsHeader(const QStringList &header);

    // The rule that a header text selects; exposed for tests.
    static Rule ruleFor(const QString &header);

private:
    QVector<Rule> m_rules;
};

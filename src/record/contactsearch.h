#pragma once

#include <QString>
#include <QStringView>

#include <string>
#include <string_view>
#include <vector>

class Contact;

// What the search field looks for: each word typed, folded (case, the
// accents of Latin letters and the diaeresis of "ё" ignored), somewhere in
// a contact's names, organisation or e-mails, in any order; or, for a text
// that reads as a phone number, its digits in order inside one of the
// contact's numbers.
class ContactSearch
{
public:
    ContactSearch() = default;
    explicit ContactSearch(const QString &text);

    // The folded texts of a contact that a search reads, as UTF-8: a
    // character sequence sits in another exactly when its bytes do.
    struct Texts
    {
        std::string words;  // names, organisation, e-mails, one per line
        std::string digits; // the digits of each phone number, one per line
    };
    static Texts textsOf(const Contact &contact);
    // A text folded as the search folds it, as UTF-8: texts that the search
    // cannot tell apart fold to the same bytes.
    static std::string folded(const QString &text);
    static void appendFolded(QStringView text, std::string &out);
    static void appendFolded(QLatin1String text, std::string &out);

    bool isEmpty() const { return m_words.empty() && m_digits.empty(); }
    bool matches(std::string_view words, std::string_view digits) const;
    bool matches(const Contact &contact) const;
    // Texts of many rows one after another: row i's text ends at ends[i]
    // and begins where the text of row i - 1 ends.
    struct Column
    {
        std::string_view bytes;
        const std::vector<quint32> &ends;
    };
    // For each row of the columns, whether matches() finds its texts; each
    // column is read once for each word.
    std::vector<char> matchesIn(const Column &words, const Column &digits) const;
    // Whether everything this search finds is found by `other` too, so that
    // only other's finds need to be tested.
    bool narrows(const ContactSearch &other) const;
    bool operator==(const ContactSearch &other) const
    {
        return m_words == other.m_words && m_digits == other.m_digits;
    }

private:
    std::vector<std::string> m_words;
    std::string m_digits;
};

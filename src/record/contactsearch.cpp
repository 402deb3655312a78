#include "record/contactsearch.h"

#include "record/contact.h"

#include <algorithm>
#include <array>

namespace {

// The folding of one BMP code unit: simple case folding, then a Latin
// letter loses its accents (its canonical decomposition's base) and the
// Cyrillic "ё" becomes "е". Other scripts keep their marks ("й" stays).
class Folding
{
public:
    Folding()
    {
        for (uint code = 0; code < table.size(); ++code) {
            uint folded = QChar::toCaseFolded(code);
            while (QChar::script(folded) == QChar::Script_Latin
                   && QChar::decompositionTag(folded) == QChar::Canonical) {
                folded = QChar::decomposition(folded).at(0).unicode();
            }
            table[code] = ushort(folded == 0x0451 ? 0x0435 : folded);
        }
    }

    uint fold(uint code) const
    {
        return code < table.size() ? table[code] : QChar::toCaseFolded(code);
    }

    // The Latin, Greek and Cyrillic blocks and Latin Extended Additional.
    std::array<ushort, 0x2000> table{};
};

inline void appendUtf8(uint code, std::string &out)
{
    if (Q_LIKELY(code < 0x80)) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xc0 | (code >> 6));
        out += char(0x80 | (code & 0x3f));
    } else if (code < 0x10000) {
        out += char(0xe0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3f));
        out += char(0x80 | (code & 0x3f));
    } else {
        out += char(0xf0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3f));
        out += char(0x80 | ((code >> 6) & 0x3f));
        out += char(0x80 | (code & 0x3f));
    }
}

const Folding &folding()
{
    static const Folding folding;
    return folding;
}

// Appends the folded text as UTF-8; a surrogate pair folds as one code
// point, a lone surrogate is written as if it were one.
void appendFolded(QStringView text, std::string &out)
{
    const Folding &folding = ::folding();
    const QChar *data = text.data();
    const int size = int(text.size());
    for (int i = 0; i < size; ++i) {
        uint code = data[i].unicode();
        if (QChar::isHighSurrogate(code) && i + 1 < size && data[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(ushort(code), data[++i].unicode());
        }
        appendUtf8(folding.fold(code), out);
    }
}

// The digits a search names when it reads as a phone number (digits and the
// usual separators only), without a leading trunk "0" or "00" (a "+" goes
// with the separators): "0171 234" and "+49 171 234" both sit inside
// "+49 171 2345678".
std::string digitsOf(const QString &text)
{
    std::string digits;
    for (const QChar c : text) {
        if (c.isDigit() && c.unicode() < 0x80) {
            digits += char(c.unicode());
        } else if (!QStringLiteral(" +-()./").contains(c)) {
            return {};
        }
    }
    const size_t zeros = digits.find_first_not_of('0');
    return zeros == std::string::npos ? digits.substr(digits.empty() ? 0 : digits.size() - 1)
                                      : digits.substr(zeros);
}

// Where part begins in text at `from` or after it; npos when nowhere.
// memchr finds each place the last byte of part is at, and the bytes before
// it are compared there. The last byte, because the first byte of a UTF-8
// letter is shared by its whole script (every Cyrillic letter begins with
// 0xd0 or 0xd1) and the last one tells letters apart.
size_t findPart(std::string_view text, std::string_view part, size_t from)
{
    if (part.empty()) {
        return from <= text.size() ? from : std::string_view::npos;
    }
    const size_t last = part.size() - 1;
    for (size_t at = text.find(part[last], from + last); at != std::string_view::npos;
         at = text.find(part[last], at + 1)) {
        size_t same = 1;
        while (same <= last && text[at - same] == part[last - same]) {
            ++same;
        }
        if (same > last) {
            return at - last;
        }
    }
    return std::string_view::npos;
}

bool holds(std::string_view text, std::string_view part)
{
    return findPart(text, part, 0) != std::string_view::npos;
}

// Marks the rows of the column whose text holds part: after each find in a
// row the search goes on at the next row.
void markRowsHolding(const ContactSearch::Column &column, std::string_view part,
                     std::vector<char> &marks)
{
    if (part.empty()) {
        std::fill(marks.begin(), marks.end(), 1);
        return;
    }
    size_t row = 0;
    for (size_t at = findPart(column.bytes, part, 0); at != std::string_view::npos;) {
        while (column.ends[row] <= at) {
            ++row;
        }
        const size_t end = column.ends[row];
        const bool inRow = at + part.size() <= end;
        marks[row] = marks[row] || inRow;
        at = findPart(column.bytes, part, inRow ? end : at + 1);
    }
}

} // namespace

ContactSearch::ContactSearch(const QString &text)
    : m_digits(digitsOf(text))
{
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        m_words.emplace_back();
        appendFolded(word, m_words.back());
    }
}

std::string ContactSearch::folded(const QString &text)
{
    std::string out;
    appendFolded(text, out);
    return out;
}

void ContactSearch::appendFolded(QStringView text, std::string &out)
{
    ::appendFolded(text, out);
}

void ContactSearch::appendFolded(QLatin1String text, std::string &out)
{
    const Folding &folding = ::folding();
    for (const char c : text) {
        appendUtf8(folding.fold(quint8(c)), out);
    }
}

// The full name, the name parts it does not already hold, the organisation
// and the e-mails; the phones' digits.
ContactSearch::Texts ContactSearch::textsOf(const Contact &contact)
{
    Texts texts;
    appendFolded(contact.fullname, texts.words);
    for (const QString *part : {&contact.surname, &contact.name, &contact.middlename}) {
        if (!part->isEmpty() && !contact.fullname.contains(*part)) {
            texts.words += '\n';
            appendFolded(*part, texts.words);
        }
    }
    if (!contact.organization.isEmpty()) {
        texts.words += '\n';
        appendFolded(contact.organization, texts.words);
    }
    for (const QString &email : contact.emailList.toList()) {
        texts.words += '\n';
        appendFolded(email, texts.words);
    }
    contact.phoneList.forEachUtf8([&texts](std::string_view phone) {
        if (!texts.digits.empty()) {
            texts.digits += '\n';
        }
        for (const char c : phone) {
            if (c >= '0' && c <= '9') {
                texts.digits += c;
            }
        }
    });
    return texts;
}

bool ContactSearch::matches(const Contact &contact) const
{
    const Texts texts = textsOf(contact);
    return matches(texts.words, texts.digits);
}

bool ContactSearch::matches(std::string_view words, std::string_view digits) const
{
    if (!m_digits.empty() && holds(digits, m_digits)) {
        return true;
    }
    for (const std::string &word : m_words) {
        if (!holds(words, word)) {
            return false;
        }
    }
    return !m_words.empty() || m_digits.empty();
}

std::vector<char> ContactSearch::matchesIn(const Column &words, const Column &digits) const
{
    const size_t rows = words.ends.size();
    std::vector<char> found(rows, m_words.empty() && m_digits.empty());
    std::vector<char> holding;
    for (size_t i = 0; i < m_words.size(); ++i) {
        holding.assign(rows, 0);
        markRowsHolding(words, m_words[i], holding);
        for (size_t row = 0; row < rows; ++row) {
            found[row] = (i == 0 || found[row]) && holding[row];
        }
    }
    if (!m_digits.empty()) {
        holding.assign(rows, 0);
        markRowsHolding(digits, m_digits, holding);
        for (size_t row = 0; row < rows; ++row) {
            found[row] = found[row] || holding[row];
        }
    }
    return found;
}

// A contact this search finds holds each of its words, so each word of
// other that one of them holds; or its digits, so other's digits when
// they are a part of them.
bool ContactSearch::narrows(const ContactSearch &other) const
{
    if (other.isEmpty()) {
        return true;
    }
    if (!m_digits.empty() && (other.m_digits.empty() || !holds(m_digits, other.m_digits))) {
        return false;
    }
    for (const std::string &wide : other.m_words) {
        bool covered = false;
        for (const std::string &word : m_words) {
            covered = covered || holds(word, wide);
        }
        if (!covered) {
            return false;
        }
    }
    return !m_words.empty() || other.m_words.empty();
}

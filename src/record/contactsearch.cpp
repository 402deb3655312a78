#include "record/contactsearch.h"

#include "record/contact.h"

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

// memchr finds each place the first byte is at; the rest is compared there
// byte by byte, as most places differ in the next byte already and a call of
// memcmp for each would cost more than the comparison.
bool holds(std::string_view text, std::string_view part)
{
    if (part.empty()) {
        return true;
    }
    for (size_t at = text.find(part[0]);
         at != std::string_view::npos && part.size() <= text.size() - at;
         at = text.find(part[0], at + 1)) {
        size_t same = 1;
        while (same < part.size() && text[at + same] == part[same]) {
            ++same;
        }
        if (same == part.size()) {
            return true;
        }
    }
    return false;
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

#include "model/contactsfilter.h"

#include "record/contact.h"

#include <QLocale>
#include <QThread>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <numeric>
#include <string_view>

namespace {

// From this many rows to fold, the folding runs on a thread of its own.
constexpr int manyRows = 4096;

// The folding of one BMP code unit for searching: simple case folding, then
// a Latin letter loses its accents (its canonical decomposition's base) and
// the Cyrillic "ё" becomes "е". Other scripts keep their marks ("й" stays).
class SearchFolding
{
public:
    SearchFolding()
    {
        for (uint code = 0; code < table.size(); ++code) {
            uint folded = QChar::toCaseFolded(code);
            while (QChar::script(folded) == QChar::Script_Latin
                   && QChar::decompositionTag(folded) == QChar::Canonical) {
                folded = QChar::decomposition(folded).at(0).unicode();
            }
            if (folded == 0x0451) {
                folded = 0x0435;
            }
            table[code] = ushort(folded);
        }
    }

    QChar fold(QChar c) const
    {
        return c.unicode() < table.size() ? QChar(table[c.unicode()])
                                          : QChar(QChar::toCaseFolded(c.unicode()));
    }

    // The Latin and Cyrillic blocks and Latin Extended Additional.
    std::array<ushort, 0x2000> table{};
};

const SearchFolding &searchFolding()
{
    static const SearchFolding folding;
    return folding;
}

// The text as the search compares it (see SearchFolding), appended to out.
// A surrogate pair is case-folded as one code point.
void appendFolded(const QString &text, QString &out)
{
    const SearchFolding &folding = searchFolding();
    const int size = text.size();
    const QChar *data = text.constData();
    // Each code unit folds to one, and each surrogate pair to a pair.
    const int start = out.size();
    out.resize(start + size);
    QChar *to = out.data() + start;
    for (int i = 0; i < size; ++i) {
        const QChar c = data[i];
        if (c.isHighSurrogate() && i + 1 < size && data[i + 1].isLowSurrogate()) {
            const uint code = QChar::toCaseFolded(QChar::surrogateToUcs4(c, data[i + 1]));
            *to++ = QChar(QChar::highSurrogate(code));
            *to++ = QChar(QChar::lowSurrogate(code));
            ++i;
        } else {
            *to++ = folding.fold(c);
        }
    }
}

QString foldedText(const QString &text)
{
    QString folded;
    folded.reserve(text.size());
    appendFolded(text, folded);
    return folded;
}

// Every field a search looks in, folded, one field per line: the full name,
// the name parts it does not already hold, the organisation, the e-mails.
void appendSearchText(const Contact &contact, QString &out)
{
    appendFolded(contact.fullname, out);
    for (const QString *part : {&contact.surname, &contact.name, &contact.middlename}) {
        if (!part->isEmpty() && !contact.fullname.contains(*part)) {
            out += QLatin1Char('\n');
            appendFolded(*part, out);
        }
    }
    if (!contact.organization.isEmpty()) {
        out += QLatin1Char('\n');
        appendFolded(contact.organization, out);
    }
    for (const QString &email : contact.emailList.toList()) {
        out += QLatin1Char('\n');
        appendFolded(email, out);
    }
}

// The digits of every phone number, one number per line.
void appendPhoneDigits(const Contact &contact, QString &out)
{
    bool first = true;
    contact.phoneList.forEachUtf8([&](std::string_view phone) {
        if (!first) {
            out += QLatin1Char('\n');
        }
        first = false;
        for (const char c : phone) {
            if (c >= '0' && c <= '9') {
                out += QLatin1Char(c);
            }
        }
    });
}

// The digits a search names when it looks like a phone number (digits and
// the usual separators only), without a leading trunk "0" or "00" (a "+"
// is dropped with the separators): "0171 234" and "+49 171 234" both name
// digits that sit in order inside "+49 171 2345678".
QString searchDigitsOf(const QString &text)
{
    QString digits;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digits += c;
        } else if (!QStringLiteral(" +-()./").contains(c)) {
            return QString();
        }
    }
    int zeros = 0;
    while (zeros < digits.size() - 1 && digits.at(zeros) == QLatin1Char('0')) {
        ++zeros;
    }
    return digits.mid(zeros);
}

// The bit of a folded character in a row's character set. The characters
// of Latin and Cyrillic names, e-mails and numbers have a bit each, so that
// a one-character search is answered by the set alone; every other
// character shares the last bit, and a search with one is looked up in the
// text.
constexpr int sharedCharacterBit = 127;

int characterBit(ushort c)
{
    if (c >= 0x20 && c <= 0x40) { // blank, punctuation, digits, "@"
        return c - 0x20;
    }
    if (c >= 0x5b && c <= 0x7e) { // punctuation and the small Latin letters
        return c - 0x5b + 33;
    }
    if (c >= 0x430 && c <= 0x45f) { // the small Cyrillic letters
        return c - 0x430 + 69;
    }
    switch (c) {
    case 0xdf: // ß
        return 117;
    case 0xe6: // æ
        return 118;
    case 0xf0: // ð
        return 119;
    case 0xf8: // ø
        return 120;
    case 0xfe: // þ
        return 121;
    case 0x491: // ґ
        return 122;
    default:
        return sharedCharacterBit;
    }
}

// Two neighbouring characters hashed onto 256 bits.
int pairBit(ushort first, ushort second)
{
    return int((uint(first) * 2654435761u ^ uint(second) * 2246822507u) >> 24);
}

template<size_t N>
void setBit(std::array<quint64, N> &bits, int bit)
{
    bits[size_t(bit / 64)] |= quint64(1) << (bit % 64);
}

template<size_t N>
bool holdsAll(const std::array<quint64, N> &have, const std::array<quint64, N> &need)
{
    for (size_t i = 0; i < N; ++i) {
        if ((have[i] & need[i]) != need[i]) {
            return false;
        }
    }
    return true;
}

// Notes the characters and neighbouring characters of a folded text.
void noteText(const QChar *text, int length, std::array<quint64, 2> &characters,
              std::array<quint64, 4> &pairs)
{
    for (int i = 0; i < length; ++i) {
        setBit(characters, characterBit(text[i].unicode()));
        if (i > 0) {
            setBit(pairs, pairBit(text[i - 1].unicode(), text[i].unicode()));
        }
    }
}

// Notes the digits and neighbouring digits of numbers, one a line.
void noteDigits(const QChar *digits, int length, std::array<quint64, 2> &set)
{
    for (int i = 0; i < length; ++i) {
        if (digits[i] == QLatin1Char('\n')) {
            continue;
        }
        const int digit = digits[i].unicode() - '0';
        setBit(set, digit);
        if (i > 0 && digits[i - 1] != QLatin1Char('\n')) {
            setBit(set, 10 + (digits[i - 1].unicode() - '0') * 10 + digit);
        }
    }
}

template<typename... Vectors>
void insertDefaults(size_t first, size_t count, Vectors &...vectors)
{
    (vectors.insert(vectors.begin() + long(first), count, typename Vectors::value_type()), ...);
}

// Keeps the entries whose new row number is not -1, in order.
template<typename... Vectors>
void keepRows(const std::vector<int> &newRows, Vectors &...vectors)
{
    const auto keep = [&newRows](auto &vector) {
        size_t kept = 0;
        for (size_t row = 0; row < newRows.size(); ++row) {
            if (newRows[row] >= 0 && kept++ != row) {
                vector[kept - 1] = std::move(vector[row]);
            }
        }
        vector.resize(kept);
    };
    (keep(vectors), ...);
}

// Whether text holds needle, both UTF-8: a character sequence sits in
// another exactly when its bytes do.
bool containsText(const char *text, int length, const QByteArray &needle)
{
    return std::string_view(text, size_t(length))
                   .find(std::string_view(needle.constData(), size_t(needle.size())))
           != std::string_view::npos;
}

// Appends text as UTF-8; a surrogate pair is one character, a lone
// surrogate is written as if it were one (so that a text and a search with
// it encode alike). The buffer grows by an eighth at a time, not by
// doubling: it may hold the texts of every row.
void appendUtf8(const QChar *text, int length, QByteArray &out)
{
    const int start = out.size();
    if (start + length * 3 > out.capacity()) {
        out.reserve(start + length * 3 + start / 8 + 4096);
    }
    out.resize(start + length * 3);
    char *bytes = out.data() + start;
    char *at = bytes;
    for (int i = 0; i < length; ++i) {
        uint code = text[i].unicode();
        if (code < 0x80) {
            *at++ = char(code);
            continue;
        }
        if (QChar::isHighSurrogate(code) && i + 1 < length && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(ushort(code), text[++i].unicode());
            *at++ = char(0xf0 | (code >> 18));
            *at++ = char(0x80 | ((code >> 12) & 0x3f));
        } else if (code >= 0x800) {
            *at++ = char(0xe0 | (code >> 12));
        } else {
            *at++ = char(0xc0 | (code >> 6));
            *at++ = char(0x80 | (code & 0x3f));
            continue;
        }
        *at++ = char(0x80 | ((code >> 6) & 0x3f));
        *at++ = char(0x80 | (code & 0x3f));
    }
    out.resize(start + int(at - bytes));
}

QByteArray utf8Of(const QString &text)
{
    QByteArray bytes;
    appendUtf8(text.constData(), text.size(), bytes);
    return bytes;
}

} // namespace

ContactsFilter::ContactsFilter(QObject *parent)
    : QObject(parent),
      m_keyMaker(QLocale())
{
    // QString::localeAwareCompare collates with a collator made from the
    // default locale on its first use; touching it now makes it and the
    // keys above follow the same locale.
    QString::localeAwareCompare(QStringLiteral("a"), QStringLiteral("b"));
}

void ContactsFilter::attach(ContactsModel *model)
{
    for (const QMetaObject::Connection &connection : qAsConst(m_connections)) {
        disconnect(connection);
    }
    m_connections.clear();
    clear();
    m_source = model;
    if (!model) {
        return;
    }
    m_connections
            << connect(model, &QAbstractItemModel::rowsInserted, this,
                       &ContactsFilter::rowsInserted)
            << connect(model, &QAbstractItemModel::rowsRemoved, this, &ContactsFilter::rowsRemoved)
            << connect(model, &QAbstractItemModel::dataChanged, this, &ContactsFilter::dataChanged)
            << connect(model, &QAbstractItemModel::modelReset, this, &ContactsFilter::clear)
            << connect(model, &QAbstractItemModel::layoutChanged, this, &ContactsFilter::clear)
            << connect(model, &QAbstractItemModel::rowsMoved, this, &ContactsFilter::clear);
}

void ContactsFilter::setSortRole(ContactsModel::ContactRoles role)
{
    m_sortRole = role;
    ++m_orderChanges;
    std::fill(m_initials.begin(), m_initials.end(), -2);
    releaseKeys();
    m_ordered = false;
    m_order.clear();
    m_ranks.clear();
}

void ContactsFilter::clear()
{
    ++m_orderChanges;
    resetStates(0);
}

// Fresh states for every row of a source with `rows` rows.
void ContactsFilter::resetStates(int rows) const
{
    m_keys.clear();
    m_keyBytes.clear();
    m_unusedKeyBytes = 0;
    m_marks.clear();
    m_initials.clear();
    m_places.clear();
    m_characters.clear();
    m_pairs.clear();
    m_digits.clear();
    m_folded.clear();
    m_unusedFolded = 0;
    m_order.clear();
    m_ranks.clear();
    m_ordered = false;
    m_removed.clear();
    m_removedCount = 0;
    insertStates(0, rows);
}

void ContactsFilter::insertStates(int first, int count) const
{
    insertDefaults(size_t(first), size_t(count), m_keys, m_marks, m_places, m_characters, m_pairs,
                   m_digits);
    m_initials.insert(m_initials.begin() + first, size_t(count), -2);
    for (int row = first; row < first + count; ++row) {
        m_marks[size_t(row)] = m_source->contactAt(row)->isFavorite ? Favourite : 0;
    }
}

// Drops the rows that the source removed from every state, all in one pass.
void ContactsFilter::applyRemovals() const
{
    if (m_removed.empty()) {
        return;
    }
    std::vector<int> newRows(m_keys.size(), 0);
    for (const std::pair<int, int> &range : m_removed) {
        std::fill(newRows.begin() + range.first, newRows.begin() + range.second + 1, -1);
    }
    int next = 0;
    for (size_t row = 0; row < newRows.size(); ++row) {
        if (newRows[row] >= 0) {
            newRows[row] = next++;
            continue;
        }
        if (m_marks[row] & Folded) {
            m_unusedFolded += m_places[row].textLength + m_places[row].digitsLength;
        }
        if (m_keys[row].length != KeyPlace::None) {
            m_unusedKeyBytes += m_keys[row].length;
        }
    }
    keepRows(newRows, m_keys, m_marks, m_initials, m_places, m_characters, m_pairs, m_digits);
    if (m_ordered) {
        size_t kept = 0;
        for (int row : m_order) {
            if (newRows[size_t(row)] >= 0) {
                m_order[kept++] = newRows[size_t(row)];
            }
        }
        m_order.resize(kept);
        m_ranks.clear();
    }
    m_removed.clear();
    m_removedCount = 0;
    compactFolded();
    compactKeys();
}

// States that lost step with the source's rows start afresh.
void ContactsFilter::sync() const
{
    applyRemovals();
    const int rows = m_source->rowCount();
    if (int(m_keys.size()) == rows) {
        return;
    }
    resetStates(rows);
}

void ContactsFilter::rowsInserted(const QModelIndex &parent, int first, int last)
{
    applyRemovals();
    const int count = last - first + 1;
    if (parent.isValid() || first > int(m_keys.size())
        || int(m_keys.size()) + count != m_source->rowCount()) {
        clear();
        return;
    }
    insertStates(first, count);
    if (!m_ordered) {
        return;
    }
    for (int &row : m_order) {
        if (row >= first) {
            row += count;
        }
    }
    std::vector<int> added(size_t(count), 0);
    for (int i = 0; i < count; ++i) {
        added[size_t(i)] = first + i;
    }
    // A large batch (an import) is folded meanwhile, on the second core,
    // instead of at the sort that follows, when there is nothing to do
    // beside it.
    if (count >= manyRows) {
        foldMeanwhile([&] { placeInOrder(added); });
    } else {
        placeInOrder(added);
    }
}

// The states keep removed rows until they are next needed: ContactsModel
// removes marked rows one by one from the highest down, and dropping them
// all at once costs one pass instead of one per row. A range below every
// waiting one has the same numbers in the states as in the source.
void ContactsFilter::rowsRemoved(const QModelIndex &parent, int first, int last)
{
    if (!m_removed.empty() && last >= m_removed.back().first) {
        applyRemovals();
    }
    if (parent.isValid() || last >= int(m_keys.size()) - m_removedCount) {
        clear();
        return;
    }
    m_removed.emplace_back(first, last);
    m_removedCount += last - first + 1;
}

void ContactsFilter::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                 const QVector<int> &roles)
{
    applyRemovals();
    const int first = qMax(0, topLeft.row());
    const int last = qMin(bottomRight.row(), int(m_keys.size()) - 1);
    if (topLeft.parent().isValid() || first > last) {
        return;
    }
    static const QVector<int> searchedRoles{
            ContactsModel::FullNameRole,     ContactsModel::NameRole,
            ContactsModel::SurnameRole,      ContactsModel::MiddleNameRole,
            ContactsModel::OrganizationRole, ContactsModel::EmailListRole,
            ContactsModel::PhoneListRole};
    const auto changed = [&roles](int role) {
        return roles.isEmpty() || roles.contains(role);
    };
    if (changed(ContactsModel::FavoriteRole)) {
        for (int row = first; row <= last; ++row) {
            quint8 &marks = m_marks[size_t(row)];
            marks = m_source->contactAt(row)->isFavorite ? (marks | Favourite)
                                                         : (marks & ~Favourite);
        }
    }
    if (std::any_of(searchedRoles.begin(), searchedRoles.end(), changed)) {
        foldedTextsChanged(first, last);
    }
    if (changed(m_sortRole)) {
        sortTextsChanged(first, last);
    }
}

// A few rows move to their new places in the order; many make it again
// when it is next needed.
void ContactsFilter::sortTextsChanged(int first, int last)
{
    for (int row = first; row <= last; ++row) {
        dropKey(row);
    }
    if (!m_ordered) {
        return;
    }
    if (last - first >= 32) {
        m_ordered = false;
        ++m_orderChanges;
        return;
    }
    const std::vector<int> before = m_order;
    m_order.erase(std::remove_if(m_order.begin(), m_order.end(),
                                 [first, last](int row) { return row >= first && row <= last; }),
                  m_order.end());
    std::vector<int> changed;
    for (int row = first; row <= last; ++row) {
        changed.push_back(row);
    }
    placeInOrder(changed);
    if (m_order != before) {
        ++m_orderChanges;
    }
    compactKeys();
}

void ContactsFilter::foldedTextsChanged(int first, int last)
{
    for (int row = first; row <= last; ++row) {
        quint8 &marks = m_marks[size_t(row)];
        if (marks & Folded) {
            const TextPlace &place = m_places[size_t(row)];
            m_unusedFolded += place.textLength + place.digitsLength;
        }
        marks &= Favourite;
    }
    compactFolded();
}

// The sort role's text of a row; the record's own text where the role
// names one, without a QVariant.
QString ContactsFilter::sortTextOf(int sourceRow) const
{
    const Contact &contact = *m_source->contactAt(sourceRow);
    switch (m_sortRole) {
    case ContactsModel::FullNameRole:
        return contact.fullname;
    case ContactsModel::NameRole:
        return contact.name;
    case ContactsModel::SurnameRole:
        return contact.surname;
    case ContactsModel::MiddleNameRole:
        return contact.middlename;
    case ContactsModel::OrganizationRole:
        return contact.organization;
    default:
        return m_source->data(m_source->index(sourceRow, 0), m_sortRole).toString();
    }
}

void ContactsFilter::keyRow(int sourceRow) const
{
    KeyPlace &place = m_keys[size_t(sourceRow)];
    if (place.length != KeyPlace::None) {
        return;
    }
    const QString text = sortTextOf(sourceRow);
    place.start = quint32(m_keyBytes.size());
    place.length = quint32(m_keyMaker.append(text, m_keyBytes));
    noteInitial(sourceRow, text);
}

// The letter id of a row's initial, from its sort text.
void ContactsFilter::noteInitial(int sourceRow, const QString &text) const
{
    int &initial = m_initials[size_t(sourceRow)];
    if (initial != -2) {
        return;
    }
    if (text.isEmpty()) {
        initial = -1;
        return;
    }
    const QString letter = initialOf(text);
    auto known = m_letterIds.constFind(letter);
    if (known == m_letterIds.constEnd()) {
        known = m_letterIds.insert(letter, m_letters.size());
        m_letters.append(letter);
    }
    initial = known.value();
}

// Forgets a row's key and initial: both are made afresh when next needed.
void ContactsFilter::dropKey(int sourceRow) const
{
    KeyPlace &place = m_keys[size_t(sourceRow)];
    if (place.length != KeyPlace::None) {
        m_unusedKeyBytes += place.length;
        place = KeyPlace();
    }
    m_initials[size_t(sourceRow)] = -2;
}

// Forgets every row's key. Once the order is made, a key is read again
// only for the few rows that a changed or added row is compared with.
void ContactsFilter::releaseKeys() const
{
    std::fill(m_keys.begin(), m_keys.end(), KeyPlace());
    std::vector<uchar>().swap(m_keyBytes);
    m_unusedKeyBytes = 0;
}

// Copies the keys that rows still use together once the unused ones take
// more room than they do.
void ContactsFilter::compactKeys() const
{
    if (m_unusedKeyBytes < 4096 || m_unusedKeyBytes * 2 < qint64(m_keyBytes.size())) {
        return;
    }
    std::vector<uchar> kept;
    kept.reserve(m_keyBytes.size() - size_t(m_unusedKeyBytes));
    for (KeyPlace &place : m_keys) {
        if (place.length != KeyPlace::None) {
            const auto from = m_keyBytes.begin() + place.start;
            place.start = quint32(kept.size());
            kept.insert(kept.end(), from, from + place.length);
        }
    }
    m_keyBytes.swap(kept);
    m_unusedKeyBytes = 0;
}

void ContactsFilter::foldRow(int sourceRow) const
{
    foldRowInto(sourceRow, m_folded, m_scratch);
}

// Folds a row that is not folded yet to the end of folded, where its place
// then points; scratch holds its texts meanwhile. True when it was folded.
bool ContactsFilter::foldRowInto(int sourceRow, QByteArray &folded, QString &scratch) const
{
    quint8 &marks = m_marks[size_t(sourceRow)];
    if (marks & Folded) {
        return false;
    }
    const Contact &contact = *m_source->contactAt(sourceRow);
    const size_t row = size_t(sourceRow);
    m_characters[row] = CharacterSet();
    m_pairs[row] = PairSet();
    m_digits[row] = DigitSet();
    TextPlace &place = m_places[row];
    place.start = quint32(folded.size());

    if (scratch.capacity() < 512) {
        scratch.reserve(512);
    }
    scratch.resize(0);
    appendSearchText(contact, scratch);
    noteText(scratch.constData(), scratch.size(), m_characters[row], m_pairs[row]);
    appendUtf8(scratch.constData(), scratch.size(), folded);
    place.textLength = quint32(folded.size()) - place.start;

    scratch.resize(0);
    appendPhoneDigits(contact, scratch);
    noteDigits(scratch.constData(), scratch.size(), m_digits[row]);
    appendUtf8(scratch.constData(), scratch.size(), folded);
    place.digitsLength = quint32(folded.size()) - place.start - place.textLength;
    marks |= Folded;
    return true;
}

// Copies the folded texts that rows still use together once the unused ones
// take more room than they do.
void ContactsFilter::compactFolded() const
{
    if (m_unusedFolded < 4096 || m_unusedFolded * 2 < m_folded.size()) {
        return;
    }
    QByteArray kept;
    kept.reserve(int(m_folded.size() - m_unusedFolded));
    for (size_t row = 0; row < m_places.size(); ++row) {
        if (m_marks[row] & Folded) {
            TextPlace &place = m_places[row];
            const quint32 start = quint32(kept.size());
            kept.append(m_folded.constData() + place.start,
                        int(place.textLength + place.digitsLength));
            place.start = start;
        }
    }
    m_folded = kept;
    m_unusedFolded = 0;
}

// The sign of QString::localeAwareCompare(left text, right text): an empty
// text compares plainly, and so does every text in the C locale.
int ContactsFilter::compareRows(int left, int right) const
{
    keyRow(left);
    keyRow(right);
    const KeyPlace &a = m_keys[size_t(left)];
    const KeyPlace &b = m_keys[size_t(right)];
    return SortKeyMaker::compareKeys(m_keyBytes.data() + a.start, int(a.length),
                                     m_keyBytes.data() + b.start, int(b.length));
}

// Eight bytes of a row's key from byte from on as a number, padded with
// zeros: where two rows' numbers for the same bytes differ (and the bytes
// before are equal), the rows are in the order of their keys.
quint64 ContactsFilter::keyPrefix(int sourceRow, quint32 from) const
{
    const KeyPlace &place = m_keys[size_t(sourceRow)];
    const uchar *bytes = m_keyBytes.data() + place.start;
    quint64 prefix = 0;
    for (quint32 i = from; i < from + 8; ++i) {
        prefix = (prefix << 8) | (i < place.length ? bytes[i] : 0);
    }
    return prefix;
}

// The order of the sorted view: by sort text, equal texts by source row,
// as a stable sort by the text alone leaves them.
bool ContactsFilter::rowLess(int left, int right) const
{
    const int result = compareRows(left, right);
    return result < 0 || (result == 0 && left < right);
}

void ContactsFilter::ensureOrder() const
{
    if (!m_source) {
        return;
    }
    sync();
    if (m_ordered) {
        return;
    }
    compactKeys();
    std::vector<int> rows(m_keys.size());
    std::iota(rows.begin(), rows.end(), 0);
    m_order = sortedRows(rows);
    m_ranks.clear();
    m_ordered = true;
    releaseKeys();
}

// Puts rows that the order lacks into it: each by a binary search when
// they are few, else sorted and merged in, in one pass over the order. A
// batch that is small beside the order finds its places by binary searches
// (each from the place of the one before), so that its comparisons do not
// grow with the order.
void ContactsFilter::placeInOrder(const std::vector<int> &rows) const
{
    const auto less = [this](int a, int b) {
        return rowLess(a, b);
    };
    if (rows.size() < 32) {
        for (int row : rows) {
            m_order.insert(std::lower_bound(m_order.begin(), m_order.end(), row, less), row);
        }
        m_ranks.clear();
        return;
    }
    const std::vector<int> added = sortedRows(rows);
    std::vector<int> merged;
    merged.reserve(m_order.size() + added.size());
    const size_t searches = added.size() * size_t(std::log2(double(m_order.size()) + 1) + 1);
    if (searches < m_order.size()) {
        auto from = m_order.begin();
        for (int row : added) {
            const auto place = std::lower_bound(from, m_order.end(), row, less);
            merged.insert(merged.end(), from, place);
            merged.push_back(row);
            from = place;
        }
        merged.insert(merged.end(), from, m_order.end());
    } else {
        std::merge(m_order.begin(), m_order.end(), added.begin(), added.end(),
                   std::back_inserter(merged), less);
    }
    m_order.swap(merged);
    m_ranks.clear();
}

// The rows in the order of rowLess. Their keys are made first, in row
// order, and the rows sorted by the first 24 bytes of their keys held beside
// them, and their lengths, without reading a key from the buffer: with many
// rows the keys lie far apart, and reading them would make each comparison
// cost more the more rows there are. (A plain key has two bytes a letter.)
// Where those bytes are equal and one key has no more, the shorter key goes
// first. Rows whose keys go on past those bytes and agree in them are left
// together in row order, and each such run is sorted by its whole keys
// afterwards: a run reads only its own keys, again and again while they are
// in the cache.
std::vector<int> ContactsFilter::sortedRows(const std::vector<int> &rows) const
{
    constexpr quint32 Words = 3;
    constexpr quint32 Held = 8 * Words;
    struct Entry
    {
        quint64 prefix[Words];
        int row;
        quint32 length;
    };
    std::vector<Entry> entries(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = rows[i];
        keyRow(row);
        Entry &entry = entries[i];
        for (quint32 word = 0; word < Words; ++word) {
            entry.prefix[word] = keyPrefix(row, 8 * word);
        }
        entry.row = row;
        entry.length = m_keys[size_t(row)].length;
    }
    const auto samePrefix = [](const Entry &a, const Entry &b) {
        return std::equal(std::begin(a.prefix), std::end(a.prefix), std::begin(b.prefix));
    };
    std::sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
        if (!samePrefix(a, b)) {
            return std::lexicographical_compare(std::begin(a.prefix), std::end(a.prefix),
                                                std::begin(b.prefix), std::end(b.prefix));
        }
        const quint32 aLength = std::min(a.length, Held + 1);
        const quint32 bLength = std::min(b.length, Held + 1);
        return aLength != bLength ? aLength < bLength : a.row < b.row;
    });
    const auto longer = [](const Entry &entry) {
        return entry.length > Held;
    };
    for (auto first = entries.begin(); first != entries.end();) {
        auto last = first + 1;
        while (last != entries.end() && longer(*first) && longer(*last)
               && samePrefix(*first, *last)) {
            ++last;
        }
        if (last - first > 1) {
            std::sort(first, last,
                      [this](const Entry &a, const Entry &b) { return rowLess(a.row, b.row); });
        }
        first = last;
    }
    std::vector<int> sorted(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        sorted[i] = entries[i].row;
    }
    return sorted;
}

const std::vector<int> &ContactsFilter::order() const
{
    ensureOrder();
    return m_order;
}

bool ContactsFilter::lessThan(int left, int right) const
{
    sync();
    if (!m_ordered) {
        return compareRows(left, right) < 0;
    }
    if (m_ranks.size() != m_order.size()) {
        m_ranks.assign(m_order.size(), 0);
        for (size_t position = 0; position < m_order.size(); ++position) {
            m_ranks[size_t(m_order[position])] = int(position);
        }
    }
    return m_ranks[size_t(left)] < m_ranks[size_t(right)];
}

QString ContactsFilter::initialOf(const QString &text)
{
    const int length =
            text.size() > 1 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate() ? 2 : 1;
    return text.left(length).toUpper();
}

void ContactsFilter::forEachNewInitial(const std::vector<int> &rows,
                                       const std::function<void(const QString &, int)> &note) const
{
    if (!m_source) {
        return;
    }
    sync();
    int previous = -1;
    for (size_t position = 0; position < rows.size(); ++position) {
        const int row = rows[position];
        if (m_initials[size_t(row)] == -2) {
            noteInitial(row, sortTextOf(row));
        }
        const int initial = m_initials[size_t(row)];
        if (initial >= 0 && initial != previous) {
            previous = initial;
            note(m_letters.at(initial), int(position));
        }
    }
}

void ContactsFilter::foldAllAndOrder() const
{
    if (!m_source) {
        return;
    }
    sync();
    foldMeanwhile([this] { ensureOrder(); });
}

// Folding and ordering read the records and write separate states of the
// rows (the folded texts and sets; the keys, initials and order), so that
// with many rows to fold the texts are folded on a thread of their own
// while order runs, and by both threads once it is done: they take the rows
// in runs from one counter, the thread into texts of its own that go after
// the others at the end.
void ContactsFilter::foldMeanwhile(const std::function<void()> &order) const
{
    if (reserveFolded() < manyRows || QThread::idealThreadCount() < 2) {
        foldRows();
        order();
        return;
    }
    const int rows = int(m_keys.size());
    std::atomic<int> next{0};
    const auto foldRuns = [this, rows, &next](QByteArray &folded, QString &scratch,
                                              std::vector<int> *foldedRows) {
        constexpr int runRows = 256;
        for (int first = next.fetch_add(runRows); first < rows; first = next.fetch_add(runRows)) {
            const int end = std::min(first + runRows, rows);
            for (int row = first; row < end; ++row) {
                if (foldRowInto(row, folded, scratch) && foldedRows) {
                    foldedRows->push_back(row);
                }
            }
        }
    };
    // The thread's texts get the same room as the rest: the room is only
    // taken as it is written.
    QByteArray theirs;
    theirs.reserve(m_folded.capacity() - m_folded.size());
    QString theirScratch;
    std::vector<int> theirRows;
    std::unique_ptr<QThread> folder(
            QThread::create([&] { foldRuns(theirs, theirScratch, &theirRows); }));
    folder->start();
    order();
    // Rows the thread has not taken (or all, when it could not start).
    foldRuns(m_folded, m_scratch, nullptr);
    folder->wait();
    const quint32 offset = quint32(m_folded.size());
    m_folded.append(theirs);
    for (int row : theirRows) {
        m_places[size_t(row)].start += offset;
    }
    fitFolded();
}

// Room for the rows still to fold, as long as the folded ones are on
// average; how many rows are still to fold.
int ContactsFilter::reserveFolded() const
{
    const int rows = int(m_keys.size());
    const int folded = int(std::count_if(m_marks.begin(), m_marks.end(),
                                         [](quint8 marks) { return marks & Folded; }));
    const int average = folded > 0 ? int(m_folded.size() - m_unusedFolded) / folded : 96;
    m_folded.reserve(m_folded.size() + (rows - folded) * (average + 8));
    return rows - folded;
}

// Folds every row that is not folded yet.
void ContactsFilter::foldRows() const
{
    const int rows = int(m_keys.size());
    for (int row = 0; row < rows; ++row) {
        foldRow(row);
    }
    fitFolded();
}

// Gives back the room the folded texts did not take.
void ContactsFilter::fitFolded() const
{
    if (m_folded.capacity() > m_folded.size() + m_folded.size() / 16 + 4096) {
        m_folded.squeeze();
    }
}

qint64 ContactsFilter::searchTextBytes() const
{
    return qint64(m_folded.capacity()) + qint64(m_characters.capacity() * sizeof(CharacterSet))
           + qint64(m_pairs.capacity() * sizeof(PairSet))
           + qint64(m_digits.capacity() * sizeof(DigitSet));
}

// Moves the known search results to a new search text. When the new text
// holds the old one, a row without the old one cannot have the new one; when
// the old text holds the new one, a row with the old one has the new one.
// Only the other rows are tested again, when the rows are next asked for.
bool ContactsFilter::contactMatches(const Contact &contact, const QString &search)
{
    const QString fold = foldedText(search);
    const QString digits = searchDigitsOf(search);
    QString text;
    appendSearchText(contact, text);
    if (text.contains(fold)) {
        return true;
    }
    QString phones;
    appendPhoneDigits(contact, phones);
    return !digits.isEmpty() && phones.contains(digits);
}

void ContactsFilter::setSearchText(const QString &text)
{
    const QString fold = foldedText(text);
    const QString digits = searchDigitsOf(text);
    if (fold == m_searchFold && digits == m_searchDigits) {
        return;
    }
    // A row matches by its text or by its phone digits; both tests must
    // narrow (or widen) for a known answer to stay.
    const bool narrower =
            !m_searchFold.isEmpty() && fold.contains(m_searchFold)
            && (digits.isEmpty() || (!m_searchDigits.isEmpty() && digits.contains(m_searchDigits)));
    const bool wider =
            !fold.isEmpty() && m_searchFold.contains(fold)
            && (m_searchDigits.isEmpty() || (!digits.isEmpty() && m_searchDigits.contains(digits)));
    // By what a row's answer is known as (unknown, no, -, yes): the marks
    // it keeps.
    const quint8 forget = quint8(~(Tested | Matches));
    const quint8 keep[4] = {forget, narrower ? quint8(0xff) : forget, forget,
                            wider ? quint8(0xff) : forget};
    for (quint8 &marks : m_marks) {
        marks &= keep[marks & (Tested | Matches)];
    }
    m_searchFold = fold;
    m_searchDigits = digits;
    m_searchFoldBytes = utf8Of(fold);
    m_searchDigitsBytes = digits.toLatin1();

    m_needle = Needle();
    noteText(fold.constData(), fold.size(), m_needle.characters, m_needle.pairs);
    noteDigits(digits.constData(), digits.size(), m_needle.digits);
    m_needle.exactText =
            fold.size() == 1 && characterBit(fold.at(0).unicode()) != sharedCharacterBit;
    m_needle.searchesDigits = !digits.isEmpty();
    m_needle.exactDigits = digits.size() <= 2;
}

// The sets rule a row out, or answer outright for a one-character text or a
// one- or two-digit number; else the row's text has to be read.
ContactsFilter::Verdict ContactsFilter::setsVerdict(const Needle &needle,
                                                    const CharacterSet &characters,
                                                    const PairSet &pairs, const DigitSet &digits)
{
    bool read = false;
    if (holdsAll(characters, needle.characters)) {
        if (needle.exactText) {
            return Verdict::Holds;
        }
        read = holdsAll(pairs, needle.pairs);
    }
    if (needle.searchesDigits && holdsAll(digits, needle.digits)) {
        if (needle.exactDigits) {
            return Verdict::Holds;
        }
        read = true;
    }
    return read ? Verdict::Read : Verdict::Lacks;
}

// Reads the text and phone digits of a row whose sets let it pass.
bool ContactsFilter::textHolds(int sourceRow) const
{
    const size_t row = size_t(sourceRow);
    const TextPlace &place = m_places[row];
    const char *text = m_folded.constData() + place.start;
    if (holdsAll(m_characters[row], m_needle.characters) && holdsAll(m_pairs[row], m_needle.pairs)
        && containsText(text, int(place.textLength), m_searchFoldBytes)) {
        return true;
    }
    return m_needle.searchesDigits && holdsAll(m_digits[row], m_needle.digits)
           && containsText(text + place.textLength, int(place.digitsLength), m_searchDigitsBytes);
}

bool ContactsFilter::matchRow(int sourceRow) const
{
    const size_t row = size_t(sourceRow);
    if (!(m_marks[row] & Folded)) {
        foldRow(sourceRow);
    }
    const Verdict verdict = setsVerdict(m_needle, m_characters[row], m_pairs[row], m_digits[row]);
    return verdict == Verdict::Holds || (verdict == Verdict::Read && textHolds(sourceRow));
}

// Tests every row whose answer is not known, in source order: first by the
// sets, then by reading the texts that the sets let pass. Those lie far
// apart in the buffer; each is asked for from memory a few rows ahead of
// its turn, so that the reads overlap instead of waiting one after another.
void ContactsFilter::testUntestedRows() const
{
    const size_t rows = m_marks.size();
    for (size_t row = 0; row < rows; ++row) {
        if (!(m_marks[row] & (Tested | Folded))) {
            foldRow(int(row));
        }
    }
    quint8 *marks = m_marks.data();
    const CharacterSet *characters = m_characters.data();
    const PairSet *pairs = m_pairs.data();
    const DigitSet *digits = m_digits.data();
    std::vector<std::pair<int, const char *>> toRead;
    for (size_t row = 0; row < rows; ++row) {
        if (marks[row] & Tested) {
            continue;
        }
        const Verdict verdict = setsVerdict(m_needle, characters[row], pairs[row], digits[row]);
        if (verdict == Verdict::Read) {
            toRead.emplace_back(int(row), m_folded.constData() + m_places[row].start);
        } else {
            marks[row] |= Tested | (verdict == Verdict::Holds ? Matches : 0);
        }
    }
    for (size_t i = 0; i < toRead.size(); ++i) {
        const int row = toRead[i].first;
        marks[row] |= Tested | (textHolds(row) ? Matches : 0);
    }
}

bool ContactsFilter::searchMatches(int sourceRow) const
{
    if (m_searchFold.isEmpty()) {
        return true;
    }
    sync();
    quint8 &marks = m_marks[size_t(sourceRow)];
    if (!(marks & Tested)) {
        marks |= Tested | (matchRow(sourceRow) ? Matches : 0);
    }
    return marks & Matches;
}

bool ContactsFilter::isFavourite(int sourceRow) const
{
    sync();
    return m_marks[size_t(sourceRow)] & Favourite;
}

std::vector<int> ContactsFilter::acceptedRows(bool favouritesOnly, bool sorted) const
{
    if (!m_source) {
        return {};
    }
    sync();
    const int rows = int(m_keys.size());
    const bool searching = !m_searchFold.isEmpty();
    if (searching) {
        testUntestedRows();
    }
    const quint8 wanted = quint8((searching ? Matches : 0) | (favouritesOnly ? Favourite : 0));
    std::vector<int> accepted(size_t(rows), 0);
    size_t taken = 0;
    const auto take = [&](int row) {
        accepted[taken] = row;
        taken += (m_marks[size_t(row)] & wanted) == wanted ? 1 : 0;
    };
    if (sorted) {
        for (int row : order()) {
            take(row);
        }
    } else {
        for (int row = 0; row < rows; ++row) {
            take(row);
        }
    }
    accepted.resize(taken);
    return accepted;
}

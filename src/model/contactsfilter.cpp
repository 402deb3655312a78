#include "model/contactsfilter.h"

#include "record/contact.h"

#include <QLocale>

#include <algorithm>
#include <array>

namespace {

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
    for (int i = 0; i < size; ++i) {
        const QChar c = data[i];
        if (c.isHighSurrogate() && i + 1 < size && data[i + 1].isLowSurrogate()) {
            const uint code = QChar::toCaseFolded(QChar::surrogateToUcs4(c, data[i + 1]));
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
            ++i;
        } else {
            out += folding.fold(c);
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
QString searchTextOf(const Contact &contact)
{
    QString text;
    text.reserve(contact.fullname.size() + contact.organization.size() + 32);
    appendFolded(contact.fullname, text);
    for (const QString *part : {&contact.surname, &contact.name, &contact.middlename}) {
        if (!part->isEmpty() && !contact.fullname.contains(*part)) {
            text += QLatin1Char('\n');
            appendFolded(*part, text);
        }
    }
    for (const QString *field : {&contact.organization}) {
        if (!field->isEmpty()) {
            text += QLatin1Char('\n');
            appendFolded(*field, text);
        }
    }
    for (const QString &email : contact.emailList) {
        text += QLatin1Char('\n');
        appendFolded(email, text);
    }
    text.squeeze();
    return text;
}

// The digits of every phone number, one number per line.
QString phoneDigitsOf(const Contact &contact)
{
    QString digits;
    for (const QString &phone : contact.phoneList) {
        if (!digits.isEmpty()) {
            digits += QLatin1Char('\n');
        }
        for (const QChar c : phone) {
            if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
                digits += c;
            }
        }
    }
    digits.squeeze();
    return digits;
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

quint64 characterBits(const QString &text)
{
    quint64 bits = 0;
    for (const QChar c : text) {
        bits |= quint64(1) << (c.unicode() % 64);
    }
    return bits;
}

} // namespace

ContactsFilter::ContactsFilter(QObject *parent)
    : QObject(parent),
      m_collator(QLocale())
{
    // QString::localeAwareCompare collates with a collator made from the
    // default locale on its first use; touching it now makes it and the
    // collator above follow the same locale.
    QString::localeAwareCompare(QStringLiteral("a"), QStringLiteral("b"));
    m_plainOrder = m_collator.locale().language() == QLocale::C;
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
    invalidateKeys();
}

void ContactsFilter::clear()
{
    m_rows.clear();
    m_ranks.clear();
}

void ContactsFilter::invalidateKeys()
{
    for (RowState &state : m_rows) {
        state.keyReady = false;
    }
    m_ranks.clear();
}

void ContactsFilter::rowsInserted(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid() || first > int(m_rows.size())) {
        clear();
        return;
    }
    m_rows.insert(m_rows.begin() + first, size_t(last - first + 1), RowState());
    m_ranks.clear();
}

void ContactsFilter::rowsRemoved(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid() || last >= int(m_rows.size())) {
        clear();
        return;
    }
    // The ranks of the rows that stay keep their order.
    if (m_ranks.size() == m_rows.size()) {
        m_ranks.erase(m_ranks.begin() + first, m_ranks.begin() + last + 1);
    } else {
        m_ranks.clear();
    }
    m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
}

void ContactsFilter::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                 const QVector<int> &roles)
{
    const bool sortText = roles.isEmpty() || roles.contains(m_sortRole);
    static const QVector<int> searchedRoles{
            ContactsModel::FullNameRole,     ContactsModel::NameRole,
            ContactsModel::SurnameRole,      ContactsModel::MiddleNameRole,
            ContactsModel::OrganizationRole, ContactsModel::EmailListRole,
            ContactsModel::PhoneListRole};
    const bool name = roles.isEmpty() || std::any_of(roles.begin(), roles.end(), [](int role) {
                          return searchedRoles.contains(role);
                      });
    const int last = qMin(bottomRight.row(), int(m_rows.size()) - 1);
    for (int row = qMax(0, topLeft.row()); row <= last; ++row) {
        RowState &state = m_rows[size_t(row)];
        if (sortText) {
            state.keyReady = false;
            m_ranks.clear();
        }
        if (name) {
            state.foldReady = false;
            state.match = -1;
        }
    }
}

// States that lost step with the source's rows start afresh.
void ContactsFilter::sync() const
{
    const size_t rows = size_t(m_source->rowCount());
    if (m_rows.size() != rows) {
        m_rows.assign(rows, RowState());
        m_ranks.clear();
    }
}

const ContactsFilter::RowState &ContactsFilter::keyedRow(int sourceRow) const
{
    RowState &state = m_rows[size_t(sourceRow)];
    if (!state.keyReady) {
        state.sortText = m_source->data(m_source->index(sourceRow, 0), m_sortRole).toString();
        if (!m_plainOrder && !state.sortText.isEmpty()) {
            state.key = m_collator.sortKey(state.sortText);
        } else {
            state.key.reset();
        }
        state.keyReady = true;
    }
    return state;
}

const ContactsFilter::RowState &ContactsFilter::foldedRow(int sourceRow) const
{
    RowState &state = m_rows[size_t(sourceRow)];
    if (!state.foldReady) {
        const Contact &contact = *m_source->contactAt(sourceRow);
        state.searchText = searchTextOf(contact);
        state.phoneDigits = phoneDigitsOf(contact);
        state.characters = characterBits(state.searchText);
        state.foldReady = true;
    }
    return state;
}

// The sign of QString::localeAwareCompare(left text, right text): an empty
// text compares plainly, and so does every text in the C locale.
int ContactsFilter::compareRows(int left, int right) const
{
    const RowState &a = keyedRow(left);
    const RowState &b = keyedRow(right);
    if (!a.key || !b.key) {
        return QString::compare(a.sortText, b.sortText, Qt::CaseSensitive);
    }
    return a.key->compare(*b.key);
}

void ContactsFilter::ensureRanks() const
{
    if (!m_source) {
        return;
    }
    sync();
    if (m_ranks.size() == m_rows.size()) {
        return;
    }
    const int rows = int(m_rows.size());
    std::vector<int> order(size_t(rows), 0);
    for (int row = 0; row < rows; ++row) {
        order[size_t(row)] = row;
        keyedRow(row);
    }
    std::sort(order.begin(), order.end(), [this](int a, int b) {
        const int result = compareRows(a, b);
        return result < 0 || (result == 0 && a < b);
    });
    m_ranks.assign(size_t(rows), 0);
    for (int position = 0; position < rows; ++position) {
        m_ranks[size_t(order[size_t(position)])] = position;
    }
}

bool ContactsFilter::ranked() const
{
    return m_source && m_ranks.size() == size_t(m_source->rowCount());
}

bool ContactsFilter::lessThan(int left, int right) const
{
    const size_t leftRow = size_t(left);
    const size_t rightRow = size_t(right);
    if (m_ranks.size() == m_rows.size() && leftRow < m_ranks.size() && rightRow < m_ranks.size()) {
        return m_ranks[leftRow] < m_ranks[rightRow];
    }
    sync();
    return compareRows(left, right) < 0;
}

void ContactsFilter::setRanksFromOrder(const std::vector<int> &sourceRows)
{
    sync();
    std::vector<int> ranks(sourceRows.size(), 0);
    for (size_t position = 0; position < sourceRows.size(); ++position) {
        ranks[size_t(sourceRows[position])] = int(position);
    }
    m_ranks = std::move(ranks);
}

void ContactsFilter::foldAll() const
{
    if (!m_source) {
        return;
    }
    sync();
    for (int row = 0; row < int(m_rows.size()); ++row) {
        foldedRow(row);
    }
}

const QString &ContactsFilter::sortText(int sourceRow) const
{
    return keyedRow(sourceRow).sortText;
}

std::vector<int> ContactsFilter::acceptedInRankOrder(int shown) const
{
    if (!m_source) {
        return {};
    }
    sync();
    if (m_ranks.size() != m_rows.size()) {
        return {};
    }
    std::vector<int> byRank(m_rows.size(), -1);
    int accepted = 0;
    for (size_t row = 0; row < m_rows.size(); ++row) {
        const size_t rank = size_t(m_ranks[row]);
        if (m_rows[row].accepted && rank < byRank.size()) {
            byRank[rank] = int(row);
            ++accepted;
        }
    }
    if (accepted != shown) {
        return {};
    }
    byRank.erase(std::remove(byRank.begin(), byRank.end(), -1), byRank.end());
    return byRank;
}

// Moves the known search results to a new search text. When the new text
// holds the old one, a row without the old one cannot have the new one; when
// the old text holds the new one, a row with the old one has the new one.
// Only the other rows are tested again, when the filter asks for them.
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
    for (RowState &state : m_rows) {
        if ((state.match == 0 && narrower) || (state.match == 1 && wider)) {
            continue;
        }
        state.match = -1;
    }
    m_searchFold = fold;
    m_searchDigits = digits;
    m_searchCharacters = characterBits(fold);
}

qint64 ContactsFilter::searchTextBytes() const
{
    qint64 bytes = 0;
    for (const RowState &state : m_rows) {
        if (state.foldReady) {
            bytes += qint64(state.searchText.capacity() + state.phoneDigits.capacity())
                     * qint64(sizeof(QChar));
        }
    }
    return bytes;
}

bool ContactsFilter::searchMatches(int sourceRow) const
{
    if (m_searchFold.isEmpty()) {
        return true;
    }
    RowState &state = m_rows[size_t(sourceRow)];
    if (state.match < 0) {
        foldedRow(sourceRow);
        const bool found = ((m_searchCharacters & ~state.characters) == 0
                            && state.searchText.contains(m_searchFold, Qt::CaseSensitive))
                           || (!m_searchDigits.isEmpty()
                               && state.phoneDigits.contains(m_searchDigits, Qt::CaseSensitive));
        state.match = found ? 1 : 0;
    }
    return state.match == 1;
}

bool ContactsFilter::filterRow(int sourceRow, const std::function<bool(int)> &accepts) const
{
    sync();
    RowState &state = m_rows[size_t(sourceRow)];
    if (!m_frozen) {
        state.accepted = accepts(sourceRow);
    }
    return state.accepted;
}

void ContactsFilter::refilter(const std::function<bool(int)> &accepts,
                              const std::function<void()> &changeBase,
                              const std::function<void()> &remap)
{
    if (!m_source) {
        changeBase();
        return;
    }
    sync();
    const int rows = int(m_rows.size());
    const int limit = qMax(8, 1000000 / qMax(1, rows));
    int changes = 0;
    for (int row = 0; row < rows && changes <= limit; ++row) {
        if (accepts(row) != m_rows[size_t(row)].accepted) {
            ++changes;
        }
    }
    if (changes <= limit) {
        changeBase();
        return;
    }
    m_frozen = true;
    changeBase();
    m_frozen = false;
    ensureRanks();
    remap();
}

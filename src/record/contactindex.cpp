#include "record/contactindex.h"

#include "record/contact.h"

#include <QLocale>
#include <QThread>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {
// From this many rows on, the order is made on two threads (see order()).
constexpr int ParallelSortRows = 20000;
constexpr uint NoCode = 0xffffffff;
} // namespace

ContactIndex::ContactIndex(const QVector<Contact *> &rows, SortText sortText, int sortRole)
    : m_rows(rows),
      m_sortText(sortText),
      m_sortRole(sortRole),
      m_keyMaker(QLocale())
{
}

void ContactIndex::setSortRole(int role)
{
    if (role != m_sortRole) {
        m_sortRole = role;
        m_ordered = false;
    }
}

bool ContactIndex::indexSortText(int row) const
{
    const QString text = sortTextOf(*m_rows.at(row));
    std::string key = m_keyMaker.key(text);
    if (key == m_keys[size_t(row)] && m_initials[size_t(row)] != -2) {
        return false;
    }
    m_keys[size_t(row)] = std::move(key);
    m_initials[size_t(row)] = initialOf(firstCode(text), row);
    return true;
}

// The first code point of a text (a whole surrogate pair when there is
// one); NoCode for the empty text.
uint ContactIndex::firstCode(const QString &text)
{
    if (text.isEmpty()) {
        return NoCode;
    }
    const bool pair =
            text.size() > 1 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate();
    return pair ? QChar::surrogateToUcs4(text.at(0), text.at(1)) : text.at(0).unicode();
}

// Looked up by the first code point, so that most rows make no string; -1
// for an empty text.
int ContactIndex::initialOf(uint code, int row) const
{
    if (code == NoCode) {
        return -1;
    }
    int initial = m_initialOfCode.value(code, -1);
    if (initial < 0) {
        const QString letter = sortTextOf(*m_rows.at(row)).left(code > 0xffff ? 2 : 1).toUpper();
        initial = m_letterIds.value(letter, m_letters.size());
        if (initial == m_letters.size()) {
            m_letterIds.insert(letter, initial);
            m_letters.append(letter);
        }
        m_initialOfCode.insert(code, initial);
    }
    return initial;
}

bool ContactIndex::isFavourite(int row) const
{
    return m_rows.at(row)->isFavorite;
}

bool ContactIndex::isInGroup(int row, const QString &group) const
{
    return m_rows.at(row)->groups.contains(group);
}

std::vector<int> ContactIndex::rowsPassing(const Filter &filter, bool sorted,
                                           const std::vector<int> *among) const
{
    const int count = m_rows.size();
    std::vector<char> wanted(size_t(count), among ? 0 : 1);
    if (among) {
        for (int row : *among) {
            wanted[size_t(row)] = 1;
        }
    }
    int candidates = 0;
    for (int row = 0; row < count; ++row) {
        wanted[size_t(row)] = wanted[size_t(row)] && isShownBy(row, filter);
        candidates += wanted[size_t(row)];
    }
    if (!filter.search.isEmpty()) {
        fold();
        // Reading the text columns whole costs about what testing four rows
        // in five one by one costs: a search among most rows reads them
        // whole, one among few rows (a group's, or those a search before
        // left) tests those.
        if (candidates > count - count / 4) {
            const std::vector<char> found =
                    filter.search.matchesIn(m_words.column(), m_digits.column());
            for (int row = 0; row < count; ++row) {
                wanted[size_t(row)] = wanted[size_t(row)] && found[size_t(row)];
            }
        } else {
            for (int row = 0; row < count; ++row) {
                wanted[size_t(row)] = wanted[size_t(row)]
                                      && filter.search.matches(m_words.at(size_t(row)),
                                                               m_digits.at(size_t(row)));
            }
        }
    }
    std::vector<int> rows;
    const std::vector<int> *inOrder = sorted ? &order() : nullptr;
    for (int place = 0; place < count; ++place) {
        const int row = inOrder ? (*inOrder)[size_t(place)] : place;
        if (wanted[size_t(row)]) {
            rows.push_back(row);
        }
    }
    return rows;
}

QStringList ContactIndex::lettersOf(const std::vector<int> &rows,
                                    QHash<QString, int> &firstRow) const
{
    QStringList letters;
    order();
    // Sorted rows share their initials in long runs.
    int previous = -1;
    for (size_t place = 0; place < rows.size(); ++place) {
        const int initial = m_initials[size_t(rows[place])];
        if (initial < 0 || initial == previous) {
            continue;
        }
        previous = initial;
        const QString letter = m_letters.at(initial);
        if (!firstRow.contains(letter)) {
            firstRow.insert(letter, int(place));
            letters.append(letter);
        }
    }
    return letters;
}

void ContactIndex::rowsInserted(int first, int last)
{
    const int count = last - first + 1;
    foldTexts(first, last, 0);
    if (!m_ordered) {
        return;
    }
    for (int &row : m_order) {
        row += row >= first ? count : 0;
    }
    m_keys.insert(m_keys.begin() + first, size_t(count), {});
    m_initials.insert(m_initials.begin() + first, size_t(count), -2);
    std::vector<int> added;
    for (int row = first; row <= last; ++row) {
        indexSortText(row);
        added.push_back(row);
    }
    placeInOrder(std::move(added));
}

void ContactIndex::rowsChanged(int first, int last)
{
    std::vector<int> moved;
    std::vector<char> isMoved(size_t(last - first + 1), 0);
    foldTexts(first, last, last - first + 1);
    for (int row = first; row <= last; ++row) {
        if (m_ordered && indexSortText(row)) {
            moved.push_back(row);
            isMoved[size_t(row - first)] = 1;
        }
    }
    if (moved.empty()) {
        return;
    }
    m_order.erase(std::remove_if(m_order.begin(), m_order.end(),
                                 [&](int row) {
                                     return row >= first && row <= last
                                            && isMoved[size_t(row - first)];
                                 }),
                  m_order.end());
    placeInOrder(std::move(moved));
}

void ContactIndex::rowsRemoved(int first, int last)
{
    const int count = last - first + 1;
    if (m_folded) {
        m_words.splice(size_t(first), size_t(count), TextColumn());
        m_digits.splice(size_t(first), size_t(count), TextColumn());
    }
    if (!m_ordered) {
        return;
    }
    m_keys.erase(m_keys.begin() + first, m_keys.begin() + last + 1);
    m_initials.erase(m_initials.begin() + first, m_initials.begin() + last + 1);
    auto kept = std::remove_if(m_order.begin(), m_order.end(),
                               [first, last](int row) { return row >= first && row <= last; });
    m_order.erase(kept, m_order.end());
    for (int &row : m_order) {
        row -= row > last ? count : 0;
    }
    rank();
}

void ContactIndex::rowsMoved(const std::vector<int> &from)
{
    std::vector<int> to(from.size());
    if (m_folded) {
        m_words.permute(from);
        m_digits.permute(from);
    }
    for (size_t row = 0; row < from.size(); ++row) {
        to[size_t(from[row])] = int(row);
    }
    if (!m_ordered) {
        return;
    }
    std::vector<std::string> keys(from.size());
    std::vector<int> initials(from.size());
    for (size_t row = 0; row < from.size(); ++row) {
        keys[row] = std::move(m_keys[size_t(from[row])]);
        initials[row] = m_initials[size_t(from[row])];
    }
    m_keys = std::move(keys);
    m_initials = std::move(initials);
    for (int &row : m_order) {
        row = to[size_t(row)];
    }
    rank();
}

const std::vector<int> &ContactIndex::order() const
{
    if (m_ordered) {
        return m_order;
    }
    const int count = m_rows.size();
    m_keys.assign(size_t(count), {});
    m_initials.assign(size_t(count), -2);
    m_order.clear();
    m_ordered = true;
    // bench_largeimport's "start-up, 50 groups, en_US collation" row at
    // 100,000 contacts (target 300 ms) needs the keys made and sorted in two
    // halves at once, the upper on a thread of its own with a collator of
    // its own, then merged: on one thread they take about 100 ms of the
    // start-up, on two about 65.
    const int half = count >= ParallelSortRows ? count / 2 : count;
    std::vector<int> upper;
    std::vector<uint> upperCodes;
    std::unique_ptr<QThread> helper;
    const auto less = [this](int left, int right) {
        return m_keys[size_t(left)] < m_keys[size_t(right)];
    };
    if (half < count) {
        upper.reserve(size_t(count - half));
        upperCodes.reserve(size_t(count - half));
        helper.reset(QThread::create([&] {
            const SortKeyMaker keyMaker{m_keyMaker.locale()};
            for (int row = half; row < count; ++row) {
                const QString text = sortTextOf(*m_rows.at(row));
                m_keys[size_t(row)] = keyMaker.key(text);
                upperCodes.push_back(firstCode(text));
                upper.push_back(row);
            }
            std::stable_sort(upper.begin(), upper.end(), less);
        }));
        helper->start();
    }
    std::vector<int> lower(static_cast<size_t>(half));
    for (int row = 0; row < half; ++row) {
        indexSortText(row);
        lower[size_t(row)] = row;
    }
    std::stable_sort(lower.begin(), lower.end(), less);
    if (helper) {
        helper->wait();
        for (int row = half; row < count; ++row) {
            m_initials[size_t(row)] = initialOf(upperCodes[size_t(row - half)], row);
        }
    }
    m_order.reserve(size_t(count));
    std::merge(lower.begin(), lower.end(), upper.begin(), upper.end(), std::back_inserter(m_order),
               less);
    rank();
    return m_order;
}

// Sorts rows (in ascending row order, not in the order yet) by their keys
// and merges them into the order; equal keys keep their rows' order, the
// rows already placed first.
void ContactIndex::placeInOrder(std::vector<int> rows) const
{
    const auto less = [this](int left, int right) {
        return m_keys[size_t(left)] < m_keys[size_t(right)];
    };
    std::stable_sort(rows.begin(), rows.end(), less);
    std::vector<int> merged;
    merged.reserve(m_order.size() + rows.size());
    std::merge(m_order.begin(), m_order.end(), rows.begin(), rows.end(),
               std::back_inserter(merged), less);
    m_order = std::move(merged);
    rank();
}

void ContactIndex::rank() const
{
    m_ranks.assign(m_order.size(), 0);
    for (size_t place = 0; place < m_order.size(); ++place) {
        m_ranks[size_t(m_order[place])] = int(place);
    }
}

qint64 ContactIndex::searchTextBytes() const
{
    qint64 bytes = 0;
    for (const TextColumn *column : {&m_words, &m_digits}) {
        bytes += qint64(column->bytes.capacity() + column->ends.capacity() * sizeof(quint32));
    }
    return bytes;
}

void ContactIndex::fold() const
{
    if (!m_folded) {
        m_folded = true;
        foldTexts(0, m_rows.size() - 1, 0);
    }
}

void ContactIndex::foldTexts(int first, int last, int replaced) const
{
    if (!m_folded) {
        return;
    }
    TextColumn words;
    TextColumn digits;
    for (int row = first; row <= last; ++row) {
        const ContactSearch::Texts texts = ContactSearch::textsOf(*m_rows.at(row));
        words.append(texts.words);
        digits.append(texts.digits);
    }
    m_words.splice(size_t(first), size_t(replaced), std::move(words));
    m_digits.splice(size_t(first), size_t(replaced), std::move(digits));
}

// The rows of the rising run that `from` begins with move down in place;
// only the rows after it are copied aside first. A removal moves its few
// rows behind all the others, so that it copies only theirs: bench_model's
// "removing 1,000 marked rows" at 100,000 spent a fifth of its time writing
// a new copy of the whole column.
void ContactIndex::TextColumn::permute(const std::vector<int> &from)
{
    size_t rising = from.empty() ? 0 : 1;
    while (rising < from.size() && from[rising] > from[rising - 1]) {
        ++rising;
    }
    TextColumn rest;
    for (size_t row = rising; row < from.size(); ++row) {
        rest.append(at(size_t(from[row])));
    }
    // Row from[row] is at or after row, so its bounds are not yet written
    // over (or, where the rows before stayed, written as they were).
    quint32 written = 0;
    for (size_t row = 0; row < rising; ++row) {
        const std::string_view text = at(size_t(from[row]));
        std::memmove(&bytes[written], text.data(), text.size());
        written += quint32(text.size());
        ends[row] = written;
    }
    bytes.resize(written);
    ends.resize(rising);
    for (size_t row = 0; row < rest.ends.size(); ++row) {
        append(rest.at(row));
    }
}

void ContactIndex::TextColumn::splice(size_t first, size_t removed, TextColumn &&texts)
{
    if (ends.empty()) {
        *this = std::move(texts);
        return;
    }
    const quint32 start = first > 0 ? ends[first - 1] : 0;
    const quint32 end = first + removed > 0 ? ends[first + removed - 1] : 0;
    bytes.replace(start, end - start, texts.bytes);
    for (quint32 &textEnd : texts.ends) {
        textEnd += start;
    }
    ends.erase(ends.begin() + long(first), ends.begin() + long(first + removed));
    ends.insert(ends.begin() + long(first), texts.ends.begin(), texts.ends.end());
    const qint64 shift = qint64(texts.bytes.size()) - qint64(end - start);
    for (size_t row = first + texts.ends.size(); row < ends.size(); ++row) {
        ends[row] = quint32(qint64(ends[row]) + shift);
    }
}

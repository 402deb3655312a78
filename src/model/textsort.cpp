#include "model/textsort.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// Runs this short are sorted by comparisons.
constexpr std::ptrdiff_t ComparedRun = 64;
constexpr int HeadUnits = 8;

// An item with the eight code units of its text from the depth its run has
// in common, packed so that comparing heads orders them (an absent unit is
// 0, below every unit).
struct Entry
{
    std::array<quint64, 2> head{};
    QStringView text;
    int row = 0;
};

void fillHeads(Entry *begin, Entry *end, int depth)
{
    for (Entry *entry = begin; entry != end; ++entry) {
        entry->head = {};
        const int units = qBound(0, int(entry->text.size()) - depth, HeadUnits);
        for (int unit = 0; unit < units; ++unit) {
            entry->head[size_t(unit / 4)] |= quint64(entry->text[depth + unit].unicode())
                                             << (48 - 16 * (unit % 4));
        }
    }
}

bool entryLess(const Entry &a, const Entry &b)
{
    if (a.head != b.head) {
        return a.head < b.head;
    }
    const int result = a.text.compare(b.text, Qt::CaseSensitive);
    return result < 0 || (result == 0 && a.row < b.row);
}

// The byte of a head at a place, 0 the lowest of its last word.
int headByte(const Entry &entry, int place)
{
    return int((entry.head[size_t(1 - place / 8)] >> (8 * (place % 8))) & 0xff);
}

// Stable least-significant-digit radix sort of the entries by their heads,
// one byte at a time; bytes that every entry shares are passed over.
void sortByHeads(Entry *begin, Entry *end, std::vector<Entry> &buffer)
{
    const size_t count = size_t(end - begin);
    std::array<std::array<size_t, 256>, 16> counts{};
    for (const Entry *entry = begin; entry != end; ++entry) {
        for (int place = 0; place < 16; ++place) {
            ++counts[size_t(place)][size_t(headByte(*entry, place))];
        }
    }
    buffer.resize(std::max(buffer.size(), count));
    Entry *from = begin;
    Entry *to = buffer.data();
    for (int place = 0; place < 16; ++place) {
        std::array<size_t, 256> &starts = counts[size_t(place)];
        if (std::find(starts.begin(), starts.end(), count) != starts.end()) {
            continue;
        }
        size_t next = 0;
        for (size_t &start : starts) {
            next += std::exchange(start, next);
        }
        for (const Entry *entry = from; entry != from + count; ++entry) {
            to[starts[size_t(headByte(*entry, place))]++] = *entry;
        }
        std::swap(from, to);
    }
    if (from != begin) {
        std::copy(from, from + count, begin);
    }
}

// Sorts entries whose texts share their first depth code units.
void sortFrom(Entry *begin, Entry *end, int depth, std::vector<Entry> &buffer)
{
    if (end - begin < 2) {
        return;
    }
    fillHeads(begin, end, depth);
    if (end - begin <= ComparedRun) {
        std::sort(begin, end, entryLess);
        return;
    }
    sortByHeads(begin, end, buffer);
    for (Entry *run = begin; run != end;) {
        Entry *runEnd = run + 1;
        bool longer = run->text.size() > depth + HeadUnits;
        bool sameLength = true;
        while (runEnd != end && runEnd->head == run->head) {
            longer = longer || runEnd->text.size() > depth + HeadUnits;
            sameLength = sameLength && runEnd->text.size() == run->text.size();
            ++runEnd;
        }
        if (longer) {
            sortFrom(run, runEnd, depth + HeadUnits, buffer);
        } else if (!sameLength) {
            // Texts that differ only by trailing NUL units.
            std::sort(run, runEnd, entryLess);
        }
        // Otherwise the texts are equal and the stable passes kept them by row.
        run = runEnd;
    }
}

} // namespace

void TextSort::sort(std::vector<Item> &items)
{
    std::vector<Entry> entries(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        entries[i].text = items[i].text;
        entries[i].row = items[i].row;
    }
    // The passes are stable: equal texts stay in the order of their rows.
    const auto byRow = [](const Entry &a, const Entry &b) {
        return a.row < b.row;
    };
    if (!std::is_sorted(entries.begin(), entries.end(), byRow)) {
        std::sort(entries.begin(), entries.end(), byRow);
    }
    std::vector<Entry> buffer;
    sortFrom(entries.data(), entries.data() + entries.size(), 0, buffer);
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].text = entries[i].text;
        items[i].row = entries[i].row;
    }
}

#include "record/duplicatefinder.h"

#include "record/grouplabels.h"

#include "record/contact.h"
#include "record/contactmerge.h"
#include "record/contactsearch.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace {

// How many contacts before it in a bucket a contact is compared with: a
// number or a name that many more contacts share (a switchboard, a common
// name) joins no more of them, which keeps the search linear.
constexpr size_t Window = 16;
// Fewer digits than this (after the country code) are no number to match
// by: short codes and extensions are shared by many.
constexpr size_t MinDigits = 6;
// How many joins of one kind a group's reasons are read from.
constexpr int ReasonJoins = 8;

enum class Kind { Name, Phone, Email };

// One contact's phone, e-mail or name under a key. A probe is an
// international number under its national digits, where it meets the
// numbers written without a country code, but not the numbers of other
// countries. Packed in eight bytes: a search of 100,000 contacts keeps one
// for each of some 600,000 keys, and a contact has far fewer numbers than
// 2^29.
struct Member
{
    int entry;
    quint32 detail : 29;
    quint32 probe : 1;
    // Of a name: HasNumbers and HasEmails, what can tell namesakes apart.
    quint32 details : 2;
};

enum Details : quint8 { HasNumbers = 1, HasEmails = 2 };

// What the comparisons read of one contact, folded once, as pieces of the
// search's text: each list's entries end with a line feed.
struct Prepared
{
    quint32 names = 0; // the name parts, sorted
    quint32 namesLength = 0;
    quint32 numbers = 0; // the national digits of each phone
    quint32 numbersLength = 0;
    quint32 emails = 0; // the e-mail addresses
    quint32 emailsLength = 0;
    // A bit for each number's and each address's hash: contacts whose masks
    // share no bit share no number (or address), which tells most
    // namesakes apart without reading their texts.
    quint64 numberMask = 0;
    quint64 emailMask = 0;
    int partCount = 0;
    // The name parts in their order: names whose parts are the same but
    // in another order are the same name, parts swapped.
    quint64 orderHash = 0;
};

// A number's digits without a trunk prefix, and the length of the country
// code they begin with: none for a number written without one.
struct PhoneKey
{
    std::string digits;
    size_t code = 0;

    bool isInternational() const { return code > 0; }
    std::string_view national() const { return std::string_view(digits).substr(code); }
};

// The length of the country code that begins digits: the codes of ITU-T
// E.164 form a prefix code, so the first two digits decide.
size_t countryCodeLength(const std::string &digits)
{
    static const char twoDigitCodes[] = "20 27 30 31 32 33 34 36 39 40 41 43 44 45 46 47 48 49 "
                                        "51 52 53 54 55 56 57 58 60 61 62 63 64 65 66 81 82 84 "
                                        "86 90 91 92 93 94 95 98 ";
    if (digits[0] == '1' || digits[0] == '7') {
        return 1;
    }
    const char two[] = {digits[0], digits.size() > 1 ? digits[1] : ' ', ' ', '\0'};
    return std::strstr(twoDigitCodes, two) ? 2 : 3;
}

// "+49 30 1234567" and "0049 30 1234567" are international (all digits,
// the country code's length noted); "030 1234567" is national (the digits
// without the trunk "0"), as is a Russian "8 916 123-45-67" without its
// trunk "8". Fewer national digits than MinDigits give no key.
template<typename Text>
PhoneKey phoneKeyOf(const Text &phone)
{
    std::string digits;
    bool plus = false;
    for (const QChar c : phone) {
        if (c.isDigit()) {
            digits += char('0' + c.digitValue());
        } else if (c == QLatin1Char('+') && digits.empty()) {
            plus = true;
        }
    }
    const bool dialledOut = !plus && digits.compare(0, 2, "00") == 0;
    if (plus || dialledOut) {
        digits.erase(0, dialledOut ? 2 : 0);
        if (digits.empty()) {
            return {};
        }
        const size_t code = std::min(digits.size(), countryCodeLength(digits));
        if (digits.size() - code < MinDigits) {
            return {};
        }
        return {std::move(digits), code};
    }
    if (digits.compare(0, 1, "0") == 0 || (digits.size() == 11 && digits[0] == '8')) {
        digits.erase(0, 1);
    }
    return digits.size() < MinDigits ? PhoneKey{} : PhoneKey{std::move(digits), 0};
}

bool isAscii(std::string_view utf8)
{
    return std::all_of(utf8.begin(), utf8.end(), [](char c) { return quint8(c) < 0x80; });
}

// The same for a number as the record keeps it: one written in ASCII, as
// nearly all are, is read without decoding it.
PhoneKey phoneKeyOf(std::string_view utf8)
{
    if (!isAscii(utf8)) {
        return phoneKeyOf(QString::fromUtf8(utf8.data(), int(utf8.size())));
    }
    return phoneKeyOf(QLatin1String(utf8.data(), int(utf8.size())));
}

// An e-mail address as the record keeps it, folded as the search folds,
// without the white space around it; one in ASCII without decoding it.
void appendFoldedAddress(std::string_view utf8, std::string &out)
{
    if (!isAscii(utf8)) {
        const QString address = QString::fromUtf8(utf8.data(), int(utf8.size()));
        ContactSearch::appendFolded(QStringView(address).trimmed(), out);
        return;
    }
    const auto isSpace = [](char c) {
        return c == ' ' || (c >= '\t' && c <= '\r');
    };
    while (!utf8.empty() && isSpace(utf8.front())) {
        utf8.remove_prefix(1);
    }
    while (!utf8.empty() && isSpace(utf8.back())) {
        utf8.remove_suffix(1);
    }
    ContactSearch::appendFolded(QLatin1String(utf8.data(), int(utf8.size())), out);
}

quint64 maskBit(std::string_view text)
{
    return quint64(1) << (std::hash<std::string_view>()(text) & 63);
}

// The entries of a list whose entries end with a line feed.
template<typename Visit>
void forEachPiece(std::string_view list, Visit visit)
{
    size_t start = 0;
    for (size_t end = list.find('\n'); end != std::string_view::npos;
         end = list.find('\n', start)) {
        visit(list.substr(start, end - start));
        start = end + 1;
    }
}

bool shareAny(std::string_view a, std::string_view b)
{
    bool shared = false;
    forEachPiece(a, [&](std::string_view piece) {
        forEachPiece(b, [&](std::string_view other) { shared = shared || piece == other; });
    });
    return shared;
}

// Whether every piece of small is in big, as many times; both sorted.
bool includesAll(std::string_view big, std::string_view small)
{
    size_t at = 0;
    bool found = true;
    forEachPiece(small, [&](std::string_view piece) {
        while (found) {
            const size_t end = big.find('\n', at);
            if (end == std::string_view::npos) {
                found = false;
                break;
            }
            const std::string_view other = big.substr(at, end - at);
            at = end + 1;
            if (other == piece) {
                break;
            }
            found = other < piece;
        }
    });
    return found;
}

QString fullNameOf(const DuplicateFinder::Entry &entry)
{
    return Contact::composeFullName(entry.surname, entry.name, entry.middlename);
}

// The groups being made: sets of entries, each kept with its members.
class UnionFind
{
public:
    explicit UnionFind(int size)
        : m_parent(size_t(size)),
          m_others(size_t(size))
    {
        std::iota(m_parent.begin(), m_parent.end(), 0);
    }
    int find(int x)
    {
        while (m_parent[size_t(x)] != x) {
            m_parent[size_t(x)] = m_parent[size_t(m_parent[size_t(x)])];
            x = m_parent[size_t(x)];
        }
        return x;
    }
    void join(int a, int b)
    {
        int from = find(a);
        int to = find(b);
        if (from == to) {
            return;
        }
        if (m_others[size_t(from)].size() > m_others[size_t(to)].size()) {
            std::swap(from, to);
        }
        m_parent[size_t(from)] = to;
        std::vector<int> &others = m_others[size_t(to)];
        others.push_back(from);
        others.insert(others.end(), m_others[size_t(from)].begin(), m_others[size_t(from)].end());
        m_others[size_t(from)] = {};
    }
    // Calls visit(entry) for each member of the set whose root this is.
    template<typename Visit>
    void forEachMember(int root, Visit visit) const
    {
        visit(root);
        for (const int other : m_others[size_t(root)]) {
            visit(other);
        }
    }

private:
    std::vector<int> m_parent;
    // The members of each set besides its root; empty for any other entry.
    std::vector<std::vector<int>> m_others;
};

// What a key is of. A probe meets the national numbers under National.
enum class Tag : quint8 { Name, Email, International, National };

// Every key with the members added under it, in the order added. The keys
// are pieces of the search's text; the members are ordered by their keys'
// hashes with two passes of a counting sort on the hashes' top bits, so that
// each key's members lie side by side and every pass reads and writes memory
// in order: a hash table of 600,000 keys missed the cache on nearly every
// lookup, and so did one counting pass with a counter per key, which made
// the 100,000-contact benchmark row grow much faster than the book.
class Buckets
{
public:
    explicit Buckets(const std::string &text)
        : m_text(text)
    {
    }

    // Room for count keys; more still fit.
    void reserve(size_t count)
    {
        m_slots.reserve(count);
        m_order.reserve(count);
    }

    // The key is the length bytes of the text at offset, written already.
    void add(Tag tag, size_t offset, size_t length, Member member)
    {
        m_slots.push_back({quint32(offset), quint32(length), quint32(tag), member});
        // Hashed while the key is at hand: a pass over all the keys later
        // would read them from memory again. The lowest bit marks a name.
        const quint64 hash = std::hash<std::string_view>()(keyOf(m_slots.size() - 1))
                             ^ (quint64(tag) * 0x9e3779b97f4a7c15ull);
        m_order.push_back((hash & ~quint64(1)) | (tag == Tag::Name ? 1 : 0));
    }

    // Orders the members by key hash, each key's in the order added.
    void index()
    {
        // Each ordered value is the hash above a bit that marks a name and
        // the slot below it, so that one sort of plain numbers orders them
        // by key and then as added, and the names can be told from the rest
        // without reading their slots.
        while (m_slotBits < 40 && (quint64(1) << m_slotBits) < m_slots.size()) {
            ++m_slotBits;
        }
        const quint64 above = quint64(1) << m_slotBits;
        for (size_t slot = 0; slot < m_order.size(); ++slot) {
            const quint64 hash = m_order[slot];
            m_order[slot] = (hash & ~(2 * above - 1)) | ((hash & 1) ? above : 0) | slot;
        }
        std::vector<quint64> keyed = std::move(m_order);
        // Stable passes of 2,048 counters each, the lower digit first: the
        // counters stay in the cache, and a run of one top is a key or two.
        constexpr int digitBits = 11;
        constexpr quint64 digitMask = (quint64(1) << digitBits) - 1;
        m_order.resize(keyed.size());
        for (const int shift : {64 - 2 * digitBits, 64 - digitBits}) {
            std::vector<int> starts(size_t(digitMask) + 2, 0);
            for (const quint64 k : keyed) {
                ++starts[size_t((k >> shift) & digitMask) + 1];
            }
            std::partial_sum(starts.begin(), starts.end(), starts.begin());
            for (const quint64 k : keyed) {
                m_order[size_t(starts[size_t((k >> shift) & digitMask)]++)] = k;
            }
            std::swap(keyed, m_order);
        }
        m_order = std::move(keyed);
        // Each short run of one top is sorted whole.
        const auto top = [](quint64 k) { return k >> (64 - 2 * digitBits); };
        for (size_t run = 0, end = 0; run < m_order.size(); run = end) {
            end = run + 1;
            while (end < m_order.size() && top(m_order[end]) == top(m_order[run])) {
                ++end;
            }
            if (end - run > 1) {
                std::sort(m_order.begin() + long(run), m_order.begin() + long(end));
            }
        }
    }

    // Calls visit(kind, members) for each key that more than one member
    // has: those of numbers and addresses first, then those of names.
    template<typename Visit>
    void forEachShared(Visit visit) const
    {
        std::vector<size_t> rest;
        std::vector<size_t> others;
        std::vector<Member> members;
        const quint64 slotMask = (quint64(1) << m_slotBits) - 1;
        // The members of one hash, key by key: keys of one hash that differ
        // are told apart here.
        const auto visitKeys = [&](size_t run, size_t end) {
            rest.clear();
            for (size_t at = run; at < end; ++at) {
                rest.push_back(size_t(m_order[at] & slotMask));
            }
            while (!rest.empty()) {
                const Slot &first = m_slots[rest.front()];
                const Tag tag = Tag(first.tag);
                const std::string_view key = keyOf(rest.front());
                members.clear();
                others.clear();
                for (const size_t slot : rest) {
                    if (m_slots[slot].tag == first.tag && keyOf(slot) == key) {
                        members.push_back(m_slots[slot].member);
                    } else {
                        others.push_back(slot);
                    }
                }
                if (members.size() > 1) {
                    visit(tag == Tag::Name    ? Kind::Name
                          : tag == Tag::Email ? Kind::Email
                                              : Kind::Phone,
                          members);
                }
                rest.swap(others);
            }
        };
        std::vector<std::pair<size_t, size_t>> names;
        const auto sameHash = [this](quint64 a, quint64 b) { return (a ^ b) >> m_slotBits == 0; };
        for (size_t run = 0, end = 0; run < m_order.size(); run = end) {
            end = run + 1;
            while (end < m_order.size() && sameHash(m_order[end], m_order[run])) {
                ++end;
            }
            if (end - run < 2) {
                continue;
            }
            if ((m_order[run] >> m_slotBits) & 1) {
                names.emplace_back(run, end);
            } else {
                visitKeys(run, end);
            }
        }
        for (const auto &[run, end] : names) {
            visitKeys(run, end);
        }
    }

private:
    struct Slot
    {
        quint32 offset;
        quint32 length : 30;
        quint32 tag : 2;
        Member member;
    };
    static_assert(sizeof(Slot) == 16, "a slot is read for each shared key's member");

    std::string_view keyOf(size_t slot) const
    {
        const Slot &s = m_slots[slot];
        return std::string_view(m_text.data() + s.offset, s.length);
    }

    const std::string &m_text;
    std::vector<Slot> m_slots;
    std::vector<quint64> m_order;
    int m_slotBits = 0;
};

struct Join
{
    Kind kind;
    Member from;
    Member to;
};

// The state of one search: the entries, what was read of them, the keys
// and the joins made.
struct DuplicateSearch
{
    DuplicateSearch(const QVector<DuplicateFinder::Entry> &entries,
                    const QSet<QPair<QString, QString>> &distinct)
        : entries(entries),
          distinct(distinct),
          buckets(text)
    {
    }

    const QVector<DuplicateFinder::Entry> &entries;
    const QSet<QPair<QString, QString>> &distinct;
    std::vector<Prepared> prepared;
    // The folded texts of every Prepared, one after the other, and the
    // digits of each international number before its contact's numbers:
    // every key is a piece of it.
    std::string text;
    Buckets buckets;
    std::vector<Join> joins;
    std::string folded;
    std::vector<std::string_view> scratch;
    std::vector<PhoneKey> phoneKeys;

    std::string_view piece(quint32 offset, quint32 length) const
    {
        return std::string_view(text.data() + offset, length);
    }
    std::string_view names(const Prepared &p) const { return piece(p.names, p.namesLength); }
    void fill();
    void prepareNames(const DuplicateFinder::Entry &entry, Prepared &p);
    void addDetails(int e, Prepared &p);
    bool namesFit(const Prepared &a, const Prepared &b) const;
    bool toldApart(const Prepared &a, const Prepared &b) const;
    bool fits(Kind kind, const Member &a, const Member &b) const;
    bool mayJoin(UnionFind &sets, int a, int b) const;
    void joinBuckets(UnionFind &sets);
    QString phoneReason(const Member &a, const Member &b) const;
    QStringList reasons(const Join &join) const;
};

// The name parts folded and sorted, whatever field each is in.
void DuplicateSearch::prepareNames(const DuplicateFinder::Entry &entry, Prepared &p)
{
    folded.clear();
    for (const QString *part : {&entry.surname, &entry.name, &entry.middlename}) {
        ContactSearch::appendFolded(*part, folded);
        folded += ' ';
    }
    scratch.clear();
    size_t start = 0;
    while (start < folded.size()) {
        const size_t end = folded.find(' ', start);
        if (end > start) {
            scratch.push_back(std::string_view(folded).substr(start, end - start));
        }
        start = end + 1;
    }
    p.orderHash = 14695981039346656037ull;
    for (const std::string_view part : scratch) {
        for (const char c : part) {
            p.orderHash = (p.orderHash ^ quint8(c)) * 1099511628211ull;
        }
        p.orderHash = (p.orderHash ^ quint8('\n')) * 1099511628211ull;
    }
    std::sort(scratch.begin(), scratch.end());
    p.names = quint32(text.size());
    for (const std::string_view part : scratch) {
        text.append(part.data(), part.size());
        text += '\n';
    }
    p.namesLength = quint32(text.size()) - p.names;
    p.partCount = int(scratch.size());
}

void DuplicateSearch::addDetails(int e, Prepared &p)
{
    const DuplicateFinder::Entry &entry = entries.at(e);
    phoneKeys.clear();
    entry.phones.forEachUtf8([&](std::string_view utf8) { phoneKeys.push_back(phoneKeyOf(utf8)); });
    for (size_t i = 0; i < phoneKeys.size(); ++i) {
        const PhoneKey &key = phoneKeys[i];
        if (key.isInternational()) {
            text += key.digits;
            buckets.add(Tag::International, text.size() - key.digits.size(), key.digits.size(),
                        {e, quint32(i), false, 0});
        }
    }
    p.numbers = quint32(text.size());
    for (size_t i = 0; i < phoneKeys.size(); ++i) {
        const std::string_view national = phoneKeys[i].national();
        if (national.empty()) {
            continue;
        }
        text.append(national.data(), national.size());
        buckets.add(Tag::National, text.size() - national.size(), national.size(),
                    {e, quint32(i), phoneKeys[i].isInternational(), 0});
        text += '\n';
        p.numberMask |= maskBit(national);
    }
    p.numbersLength = quint32(text.size()) - p.numbers;
    p.emails = quint32(text.size());
    quint32 email = 0;
    entry.emails.forEachUtf8([&](std::string_view utf8) {
        const quint32 i = email++;
        // Folded as the search folds: letter case (and accents) ignored.
        const size_t start = text.size();
        appendFoldedAddress(utf8, text);
        if (text.size() > start) {
            buckets.add(Tag::Email, start, text.size() - start, {e, i, false, 0});
            p.emailMask |= maskBit(std::string_view(text).substr(start));
            text += '\n';
        }
    });
    p.emailsLength = quint32(text.size()) - p.emails;
}

void DuplicateSearch::fill()
{
    prepared.resize(size_t(entries.size()));
    // Room for the keys and texts of a book's contacts, as a guess: a block
    // that grows is copied, and counting first read every contact twice,
    // which in a large book meant from memory twice. Reserved pages that
    // stay unused cost nothing.
    buckets.reserve(size_t(entries.size()) * 8);
    text.reserve(size_t(entries.size()) * 160);
    for (int e = 0; e < entries.size(); ++e) {
        Prepared &p = prepared[size_t(e)];
        prepareNames(entries.at(e), p);
        addDetails(e, p);
        if (p.partCount >= 2) {
            const quint8 details =
                    quint8((p.numberMask ? HasNumbers : 0) | (p.emailMask ? HasEmails : 0));
            buckets.add(Tag::Name, p.names, p.namesLength, {e, 0, false, details});
        }
    }
    buckets.index();
}

// Names do not contradict when one has none or its parts are all the other's.
bool DuplicateSearch::namesFit(const Prepared &a, const Prepared &b) const
{
    return a.partCount == 0 || b.partCount == 0 || includesAll(names(a), names(b))
           || includesAll(names(b), names(a));
}

// Namesakes are told apart by numbers that all differ, or by e-mail
// addresses that all differ.
bool DuplicateSearch::toldApart(const Prepared &a, const Prepared &b) const
{
    return (a.numberMask && b.numberMask
            && ((a.numberMask & b.numberMask) == 0
                || !shareAny(piece(a.numbers, a.numbersLength), piece(b.numbers, b.numbersLength))))
           || (a.emailMask && b.emailMask
               && ((a.emailMask & b.emailMask) == 0
                   || !shareAny(piece(a.emails, a.emailsLength), piece(b.emails, b.emailsLength))));
}

bool DuplicateSearch::fits(Kind kind, const Member &a, const Member &b) const
{
    if (a.entry == b.entry || (a.probe && b.probe)
        || (!distinct.isEmpty()
            && distinct.contains(
                    DuplicateFinder::pairOf(entries.at(a.entry).id, entries.at(b.entry).id)))) {
        return false;
    }
    const Prepared &pa = prepared[size_t(a.entry)];
    const Prepared &pb = prepared[size_t(b.entry)];
    return kind == Kind::Name ? !toldApart(pa, pb) : namesFit(pa, pb);
}

// A name joins two groups only when nothing tells a contact of one apart
// from a contact of the other: a card with only a name fits each of its
// namesakes, and would otherwise make one group of them all.
bool DuplicateSearch::mayJoin(UnionFind &sets, int a, int b) const
{
    bool fit = true;
    sets.forEachMember(sets.find(a), [&](int x) {
        sets.forEachMember(sets.find(b), [&](int y) {
            fit = fit && !toldApart(prepared[size_t(x)], prepared[size_t(y)]);
        });
    });
    return fit;
}

// Numbers and addresses first, then names: namesakes that both have
// numbers (or both addresses) fit only when they share one, and then they
// are joined already, so that only a name without numbers or without
// addresses needs comparing with its namesakes.
void DuplicateSearch::joinBuckets(UnionFind &sets)
{
    const auto join = [&](Kind kind, const std::vector<Member> &members) {
        for (size_t i = 1; i < members.size(); ++i) {
            // Joined to each fitting group before it; its reason noted once.
            const size_t stop = i > Window ? i - Window : 0;
            bool noted = false;
            for (size_t j = i; j-- > stop;) {
                const bool apart = sets.find(members[j].entry) != sets.find(members[i].entry);
                if ((!apart && noted)
                    || (apart && kind == Kind::Name && (members[j].details & members[i].details))
                    || !fits(kind, members[j], members[i])) {
                    continue;
                }
                if (apart) {
                    if (kind == Kind::Name && !mayJoin(sets, members[j].entry, members[i].entry)) {
                        continue;
                    }
                    sets.join(members[j].entry, members[i].entry);
                }
                if (apart || !noted) {
                    joins.push_back({kind, members[j], members[i]});
                    noted = true;
                }
            }
        }
    };
    buckets.forEachShared(join);
}

// The number as written with its country code where one side has it, and
// the kind of number as the label names it.
QString DuplicateSearch::phoneReason(const Member &a, const Member &b) const
{
    const DuplicateFinder::Entry &ea = entries.at(a.entry);
    const DuplicateFinder::Entry &eb = entries.at(b.entry);
    const QString number = b.probe ? eb.phones.at(b.detail) : ea.phones.at(a.detail);
    QString label = ea.phoneLabels.value(a.detail);
    if (label.isEmpty()) {
        label = eb.phoneLabels.value(b.detail);
    }
    // The label the editor offers for the kind in the language in use, or
    // its English name, as other programs and imports write it.
    const QStringList offered = GroupLabels::defaults();
    const auto names = [&label, &offered](const char *english, int kind) {
        return label.compare(QLatin1String(english), Qt::CaseInsensitive) == 0
               || label.compare(offered.at(kind), Qt::CaseInsensitive) == 0;
    };
    if (names("Mobile", 0)) {
        return DuplicateFinder::tr("same mobile number %1").arg(number);
    }
    if (names("Home", 1)) {
        return DuplicateFinder::tr("same home number %1").arg(number);
    }
    if (names("Work", 2)) {
        return DuplicateFinder::tr("same work number %1").arg(number);
    }
    return DuplicateFinder::tr("same phone number %1").arg(number);
}

QStringList DuplicateSearch::reasons(const Join &join) const
{
    const DuplicateFinder::Entry &ea = entries.at(join.from.entry);
    const DuplicateFinder::Entry &eb = entries.at(join.to.entry);
    if (join.kind == Kind::Name) {
        const bool inOrder = prepared[size_t(join.from.entry)].orderHash
                             == prepared[size_t(join.to.entry)].orderHash;
        return {inOrder ? DuplicateFinder::tr("same name")
                        : DuplicateFinder::tr("same name, parts swapped")};
    }
    QStringList reasons;
    if (join.kind == Kind::Phone) {
        reasons << phoneReason(join.from, join.to);
    } else {
        reasons << DuplicateFinder::tr("same e-mail %1")
                           .arg(ea.emails.at(join.from.detail).trimmed());
    }
    const int a = prepared[size_t(join.from.entry)].partCount;
    const int b = prepared[size_t(join.to.entry)].partCount;
    if (a != b && a > 0 && b > 0) {
        reasons << DuplicateFinder::tr("\u201c%1\u201d is part of \u201c%2\u201d")
                           .arg(fullNameOf(a < b ? ea : eb), fullNameOf(a < b ? eb : ea));
    }
    return reasons;
}

} // namespace

DuplicateFinder::Entry DuplicateFinder::entryOf(const Contact &contact)
{
    return {contact.id,        contact.surname,        contact.name,      contact.middlename,
            contact.phoneList, contact.phoneGroupList, contact.emailList, contact.fullname};
}

QPair<QString, QString> DuplicateFinder::pairOf(const QString &a, const QString &b)
{
    return a < b ? qMakePair(a, b) : qMakePair(b, a);
}

bool DuplicateFinder::isSameNumber(const QString &a, const QString &b)
{
    const PhoneKey ka = phoneKeyOf(a);
    const PhoneKey kb = phoneKeyOf(b);
    if (ka.digits.empty() || kb.digits.empty()) {
        return ContactMerge::phoneKey(a) == ContactMerge::phoneKey(b);
    }
    if (ka.isInternational() == kb.isInternational()) {
        return ka.digits == kb.digits;
    }
    return (ka.isInternational() ? ka.national() : kb.national())
           == (ka.isInternational() ? kb.digits : ka.digits);
}

QVector<DuplicateFinder::Group> DuplicateFinder::find(const QVector<Entry> &entries) const
{
    DuplicateSearch search(entries, m_distinct);
    search.fill();
    UnionFind sets(entries.size());
    search.joinBuckets(sets);
    // Reasons in a fixed order: names first, then phones, then e-mail.
    std::sort(search.joins.begin(), search.joins.end(), [](const Join &a, const Join &b) {
        return std::make_tuple(int(a.kind), a.from.entry, a.to.entry)
               < std::make_tuple(int(b.kind), b.from.entry, b.to.entry);
    });

    std::vector<int> sizes(size_t(entries.size()), 0);
    for (int e = 0; e < entries.size(); ++e) {
        ++sizes[size_t(sets.find(e))];
    }
    std::vector<int> groupOf(size_t(entries.size()), -1);
    QVector<Group> groups;
    for (int e = 0; e < entries.size(); ++e) {
        const int root = sets.find(e);
        if (sizes[size_t(root)] < 2) {
            continue;
        }
        if (groupOf[size_t(root)] < 0) {
            groupOf[size_t(root)] = groups.size();
            groups.append(Group());
        }
        Group &group = groups[groupOf[size_t(root)]];
        group.ids.append(entries.at(e).id);
        group.names.append(entries.at(e).fullname);
    }
    // Each group's reasons once, in words, read from its first few joins of
    // each kind: a group of hundreds of namesakes needs no hundred reasons.
    std::vector<std::array<quint8, 3>> read(size_t(groups.size()), {0, 0, 0});
    for (const Join &join : search.joins) {
        const int index = groupOf[size_t(sets.find(join.from.entry))];
        quint8 &count = read[size_t(index)][size_t(join.kind)];
        if (count >= ReasonJoins) {
            continue;
        }
        ++count;
        Group &group = groups[index];
        for (const QString &reason : search.reasons(join)) {
            if (!group.reasons.contains(reason)) {
                group.reasons.append(reason);
            }
        }
    }
    return groups;
}

#include "record/duplicatefinder.h"

#include "record/contact.h"
#include "record/contactmerge.h"
#include "record/contactsearch.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace {

// How many contacts before it in a bucket a contact is compared with: a
// number or a name that many more contacts share (a switchboard, a common
// name) joins no more of them, which keeps the search linear.
constexpr size_t Window = 16;
// Fewer digits than this (after the country code) are no number to match
// by: short codes and extensions are shared by many.
constexpr size_t MinDigits = 6;

enum class Kind { Name, Phone, Email };

// One contact's phone, e-mail or name in a bucket. A probe is an
// international number in the bucket of its national digits, where it
// meets the numbers written without a country code, but not the numbers of
// other countries.
struct Member
{
    int entry;
    int detail;
    bool probe;
};

struct Bucket
{
    Kind kind;
    std::vector<Member> members;
};

// What the comparisons read of one contact, folded once.
struct Prepared
{
    std::vector<std::string> parts; // name parts, folded, sorted
    std::string fullKey;            // the full name, folded
    QString fullname;
    std::vector<std::string> numbers; // the national digits of each phone
    std::vector<std::string> emails;
};

struct PhoneKeys
{
    std::string primary;
    std::string probe;
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
    const std::string two = digits.substr(0, 2) + ' ';
    return std::strstr(twoDigitCodes, two.c_str()) ? 2 : 3;
}

// "+49 30 1234567" and "0049 30 1234567" are international ("I" and all
// digits, probing "N" and the digits after the country code); "030 1234567"
// is national ("N" and the digits without the trunk "0"), as is a Russian
// "8 916 123-45-67" without its trunk "8".
PhoneKeys phoneKeysOf(const QString &phone)
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
        const std::string national =
                digits.substr(std::min(digits.size(), countryCodeLength(digits)));
        return national.size() < MinDigits ? PhoneKeys{} : PhoneKeys{'I' + digits, 'N' + national};
    }
    if (digits.compare(0, 1, "0") == 0 || (digits.size() == 11 && digits[0] == '8')) {
        digits.erase(0, 1);
    }
    return digits.size() < MinDigits ? PhoneKeys{} : PhoneKeys{'N' + digits, std::string()};
}

Prepared prepare(const DuplicateFinder::Entry &entry)
{
    Prepared prepared;
    for (const QString *part : {&entry.surname, &entry.name, &entry.middlename}) {
        for (const QString &word : part->split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            prepared.parts.push_back(ContactSearch::folded(word));
        }
    }
    std::sort(prepared.parts.begin(), prepared.parts.end());
    prepared.fullname = Contact::composeFullName(entry.surname, entry.name, entry.middlename);
    prepared.fullKey = ContactSearch::folded(prepared.fullname);
    for (const QString &phone : entry.phones) {
        const PhoneKeys keys = phoneKeysOf(phone);
        const std::string &national = keys.probe.empty() ? keys.primary : keys.probe;
        if (!national.empty()) {
            prepared.numbers.push_back(national);
        }
    }
    for (const QString &email : entry.emails) {
        prepared.emails.push_back(ContactMerge::emailKey(email).toStdString());
    }
    return prepared;
}

bool shareAny(const std::vector<std::string> &a, const std::vector<std::string> &b)
{
    return std::any_of(a.cbegin(), a.cend(), [&b](const std::string &key) {
        return std::find(b.cbegin(), b.cend(), key) != b.cend();
    });
}

// Names do not contradict when one has none or its parts are all the other's.
bool namesFit(const Prepared &a, const Prepared &b)
{
    return a.parts.empty() || b.parts.empty()
           || std::includes(a.parts.cbegin(), a.parts.cend(), b.parts.cbegin(), b.parts.cend())
           || std::includes(b.parts.cbegin(), b.parts.cend(), a.parts.cbegin(), a.parts.cend());
}

// Namesakes are told apart by numbers that all differ, or by e-mail
// addresses that all differ.
bool toldApart(const Prepared &a, const Prepared &b)
{
    return (!a.numbers.empty() && !b.numbers.empty() && !shareAny(a.numbers, b.numbers))
           || (!a.emails.empty() && !b.emails.empty() && !shareAny(a.emails, b.emails));
}

class UnionFind
{
public:
    explicit UnionFind(int size)
        : m_parent(size_t(size))
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
    void join(int a, int b) { m_parent[size_t(find(a))] = find(b); }

private:
    std::vector<int> m_parent;
};

struct Join
{
    Kind kind;
    Member from;
    Member to;
};

// The state of one search: the entries, what was read of them, the buckets
// and the joins made.
struct DuplicateSearch
{
    const QVector<DuplicateFinder::Entry> &entries;
    const QSet<QPair<QString, QString>> &distinct;
    std::vector<Prepared> prepared;
    std::unordered_map<std::string, Bucket> buckets;
    std::vector<Join> joins;

    void fill();
    void add(const std::string &key, Kind kind, Member member);
    bool fits(Kind kind, const Member &a, const Member &b) const;
    void joinBuckets(UnionFind &sets);
    QString phoneReason(const Member &a, const Member &b) const;
    QStringList reasons(const Join &join) const;
};

void DuplicateSearch::add(const std::string &key, Kind kind, Member member)
{
    Bucket &bucket = buckets[key];
    bucket.kind = kind;
    bucket.members.push_back(member);
}

void DuplicateSearch::fill()
{
    prepared.reserve(size_t(entries.size()));
    buckets.reserve(size_t(entries.size()) * 3);
    for (int e = 0; e < entries.size(); ++e) {
        prepared.push_back(prepare(entries.at(e)));
        const Prepared &p = prepared.back();
        for (int i = 0; i < entries.at(e).phones.size(); ++i) {
            const PhoneKeys keys = phoneKeysOf(entries.at(e).phones.at(i));
            if (!keys.primary.empty()) {
                add(keys.primary, Kind::Phone, {e, i, false});
            }
            if (!keys.probe.empty()) {
                add(keys.probe, Kind::Phone, {e, i, true});
            }
        }
        for (int i = 0; i < int(p.emails.size()); ++i) {
            if (!p.emails[size_t(i)].empty()) {
                add('E' + p.emails[size_t(i)], Kind::Email, {e, i, false});
            }
        }
        if (p.parts.size() >= 2) {
            std::string key(1, 'M');
            for (const std::string &part : p.parts) {
                key += part;
                key += '\n';
            }
            add(key, Kind::Name, {e, 0, false});
        }
    }
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

void DuplicateSearch::joinBuckets(UnionFind &sets)
{
    for (const auto &keyAndBucket : buckets) {
        const Bucket &bucket = keyAndBucket.second;
        const std::vector<Member> &members = bucket.members;
        for (size_t i = 1; i < members.size(); ++i) {
            // Joined to each fitting group before it; its reason noted once.
            const size_t stop = i > Window ? i - Window : 0;
            bool noted = false;
            for (size_t j = i; j-- > stop;) {
                if (!fits(bucket.kind, members[j], members[i])) {
                    continue;
                }
                const bool apart = sets.find(members[j].entry) != sets.find(members[i].entry);
                if (apart) {
                    sets.join(members[j].entry, members[i].entry);
                }
                if (apart || !noted) {
                    joins.push_back({bucket.kind, members[j], members[i]});
                    noted = true;
                }
            }
        }
    }
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
    if (label.compare(QLatin1String("Mobile"), Qt::CaseInsensitive) == 0) {
        return DuplicateFinder::tr("same mobile number %1").arg(number);
    }
    if (label.compare(QLatin1String("Home"), Qt::CaseInsensitive) == 0) {
        return DuplicateFinder::tr("same home number %1").arg(number);
    }
    if (label.compare(QLatin1String("Work"), Qt::CaseInsensitive) == 0) {
        return DuplicateFinder::tr("same work number %1").arg(number);
    }
    return DuplicateFinder::tr("same phone number %1").arg(number);
}

QStringList DuplicateSearch::reasons(const Join &join) const
{
    const Prepared &a = prepared[size_t(join.from.entry)];
    const Prepared &b = prepared[size_t(join.to.entry)];
    if (join.kind == Kind::Name) {
        return {a.fullKey == b.fullKey ? DuplicateFinder::tr("same name")
                                       : DuplicateFinder::tr("same name, parts swapped")};
    }
    QStringList reasons;
    if (join.kind == Kind::Phone) {
        reasons << phoneReason(join.from, join.to);
    } else {
        reasons << DuplicateFinder::tr("same e-mail %1")
                           .arg(entries.at(join.from.entry).emails.at(join.from.detail).trimmed());
    }
    if (a.parts.size() != b.parts.size() && !a.parts.empty() && !b.parts.empty()) {
        const bool aShorter = a.parts.size() < b.parts.size();
        reasons << DuplicateFinder::tr("\u201c%1\u201d is part of \u201c%2\u201d")
                           .arg(aShorter ? a.fullname : b.fullname,
                                aShorter ? b.fullname : a.fullname);
    }
    return reasons;
}

} // namespace

DuplicateFinder::Entry DuplicateFinder::entryOf(const Contact &contact)
{
    return {contact.id,
            contact.surname,
            contact.name,
            contact.middlename,
            contact.phoneList.toList(),
            contact.phoneGroupList,
            contact.emailList.toList()};
}

QPair<QString, QString> DuplicateFinder::pairOf(const QString &a, const QString &b)
{
    return a < b ? qMakePair(a, b) : qMakePair(b, a);
}

bool DuplicateFinder::isSameNumber(const QString &a, const QString &b)
{
    const PhoneKeys ka = phoneKeysOf(a);
    const PhoneKeys kb = phoneKeysOf(b);
    if (ka.primary.empty() || kb.primary.empty()) {
        return ContactMerge::phoneKey(a) == ContactMerge::phoneKey(b);
    }
    return ka.primary == kb.primary || (!ka.probe.empty() && ka.probe == kb.primary)
           || (!kb.probe.empty() && kb.probe == ka.primary);
}

QVector<DuplicateFinder::Group> DuplicateFinder::find(const QVector<Entry> &entries) const
{
    DuplicateSearch search{entries, m_distinct, {}, {}, {}};
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
        groups[groupOf[size_t(root)]].ids.append(entries.at(e).id);
    }
    // The joins come in the buckets' order; each group's reasons once.
    for (const Join &join : search.joins) {
        Group &group = groups[groupOf[size_t(sets.find(join.from.entry))]];
        for (const QString &reason : search.reasons(join)) {
            if (!group.reasons.contains(reason)) {
                group.reasons.append(reason);
            }
        }
    }
    return groups;
}

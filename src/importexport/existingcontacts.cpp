#include "importexport/existingcontacts.h"

#include "record/contact.h"
#include "record/contactmerge.h"

#include <QSet>
#include <QVector>

#include <limits>
#include <optional>
#include <vector>

namespace {

const QChar PhoneKind(QLatin1Char('p'));
const QChar EmailKind(QLatin1Char('e'));

// The keys of a contact's phones and e-mail addresses, in its order.
struct EntryKeys
{
    explicit EntryKeys(const Contact &contact)
    {
        for (const QString &phone : contact.phoneList.toList()) {
            phones.append(ContactMerge::phoneKey(phone));
        }
        for (const QString &email : contact.emailList.toList()) {
            emails.append(ContactMerge::emailKey(email));
        }
    }

    QStringList phones;
    QStringList emails;
};

// How well a contact of the book fits a parsed one: lower is better.
constexpr int ByUid = 0;
constexpr int NoFit = std::numeric_limits<int>::max();

// True when stored holds every text, address and link of parsed.
bool holdsAllOf(const Contact &stored, const Contact &parsed)
{
    const auto sameOrEmpty = [](const QString &storedText, const QString &parsedText) {
        return parsedText.trimmed().isEmpty() || parsedText == storedText;
    };
    return sameOrEmpty(stored.organization, parsed.organization)
           && sameOrEmpty(stored.dateOfBirth, parsed.dateOfBirth)
           && sameOrEmpty(stored.comment, parsed.comment)
           && !ContactMerge::bringsNew(stored, parsed);
}

// The position of the parsed contact's first entry key that stored also
// has, phones before e-mail addresses, counted from 1; for a parsed contact
// without phones and e-mail addresses, one past them when stored holds all
// it holds.
int fitOf(const Contact &parsed, const EntryKeys &parsedKeys, const Contact &stored,
          const QSet<QString> &storedKeys)
{
    int position = 1;
    const auto shares = [&](const QStringList &keys, QChar kind) {
        for (const QString &key : keys) {
            if (!key.isEmpty() && storedKeys.contains(kind + key)) {
                return true;
            }
            ++position;
        }
        return false;
    };
    if (shares(parsedKeys.phones, PhoneKind) || shares(parsedKeys.emails, EmailKind)) {
        return position;
    }
    if (!parsed.phoneList.isEmpty() || !parsed.emailList.isEmpty()) {
        return NoFit;
    }
    return holdsAllOf(stored, parsed) ? position : NoFit;
}

// The keys of stored's entries, each after the letter of its kind.
QSet<QString> kindedKeys(const Contact &stored)
{
    const EntryKeys keys(stored);
    QSet<QString> kinded;
    for (const QString &key : keys.phones) {
        kinded.insert(PhoneKind + key);
    }
    for (const QString &key : keys.emails) {
        kinded.insert(EmailKind + key);
    }
    return kinded;
}

// The best contact of the book found so far for each parsed contact, and
// the indexes that lead a contact of the book to the parsed ones it may be.
class BestFits
{
public:
    explicit BestFits(const QList<Contact *> &parsed);

    // A parsed contact whose uid is stored's id is stored, whatever else fits.
    void compareByUid(Contact *stored);
    // Parsed contacts of stored's full name are stored when they share an
    // entry with it, or hold nothing it lacks when they have no entries.
    void compareByEntries(Contact *stored);
    // Each parsed contact that was found, with its contact of the book.
    QHash<Contact *, Contact *> found() const;

private:
    const QList<Contact *> &m_parsed;
    QMultiHash<QString, int> m_byUid;
    QMultiHash<QString, int> m_byName;
    // The parsed contacts' own keys, worked out at their first candidate.
    std::vector<std::optional<EntryKeys>> m_parsedKeys;
    QVector<Contact *> m_best;
    QVector<int> m_fit;
};

BestFits::BestFits(const QList<Contact *> &parsed)
    : m_parsed(parsed),
      m_parsedKeys(size_t(parsed.size())),
      m_best(parsed.size(), nullptr),
      m_fit(parsed.size(), NoFit)
{
    for (int i = 0; i < parsed.size(); ++i) {
        if (!parsed.at(i)) {
            continue;
        }
        if (!parsed.at(i)->uid.isEmpty()) {
            m_byUid.insert(parsed.at(i)->uid, i);
        }
        const QString fullName = parsed.at(i)->composedFullName();
        if (!fullName.isEmpty()) {
            m_byName.insert(fullName, i);
        }
    }
}

void BestFits::compareByUid(Contact *stored)
{
    for (auto it = m_byUid.constFind(stored->id);
         it != m_byUid.constEnd() && it.key() == stored->id; ++it) {
        m_best[it.value()] = stored;
        m_fit[it.value()] = ByUid;
    }
}

void BestFits::compareByEntries(Contact *stored)
{
    const QString fullName = stored->composedFullName();
    auto it = m_byName.constFind(fullName);
    if (fullName.isEmpty() || it == m_byName.constEnd()) {
        return;
    }
    const QSet<QString> storedKeys = kindedKeys(*stored);
    for (; it != m_byName.constEnd() && it.key() == fullName; ++it) {
        const int i = it.value();
        if (m_fit.at(i) == ByUid) {
            continue;
        }
        std::optional<EntryKeys> &keys = m_parsedKeys[size_t(i)];
        if (!keys) {
            keys.emplace(*m_parsed.at(i));
        }
        const int candidate = fitOf(*m_parsed.at(i), *keys, *stored, storedKeys);
        if (candidate != NoFit && candidate <= m_fit.at(i)) {
            m_best[i] = stored;
            m_fit[i] = candidate;
        }
    }
}

QHash<Contact *, Contact *> BestFits::found() const
{
    QHash<Contact *, Contact *> found;
    for (int i = 0; i < m_parsed.size(); ++i) {
        if (m_best.at(i)) {
            found.insert(m_parsed.at(i), m_best.at(i));
        }
    }
    return found;
}

} // namespace

QHash<Contact *, Contact *> ExistingContacts::find(const QList<Contact *> &book,
                                                   const QList<Contact *> &parsed)
{
    if (book.isEmpty() || parsed.isEmpty()) {
        return QHash<Contact *, Contact *>();
    }
    BestFits fits(parsed);
    for (Contact *stored : book) {
        if (stored) {
            fits.compareByUid(stored);
            fits.compareByEntries(stored);
        }
    }
    return fits.found();
}

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

} // namespace

QHash<Contact *, Contact *> ExistingContacts::find(const QList<Contact *> &book,
                                                   const QList<Contact *> &parsed)
{
    QHash<Contact *, Contact *> found;
    if (book.isEmpty() || parsed.isEmpty()) {
        return found;
    }
    QMultiHash<QString, int> byUid;
    QMultiHash<QString, int> byName;
    for (int i = 0; i < parsed.size(); ++i) {
        if (!parsed.at(i)) {
            continue;
        }
        if (!parsed.at(i)->uid.isEmpty()) {
            byUid.insert(parsed.at(i)->uid, i);
        }
        const QString fullName = parsed.at(i)->composedFullName();
        if (!fullName.isEmpty()) {
            byName.insert(fullName, i);
        }
    }
    // The parsed contacts' own keys, worked out at their first candidate.
    std::vector<std::optional<EntryKeys>> parsedKeys(size_t(parsed.size()));
    QVector<Contact *> best(parsed.size(), nullptr);
    QVector<int> fit(parsed.size(), NoFit);
    for (Contact *stored : book) {
        if (!stored) {
            continue;
        }
        for (auto it = byUid.constFind(stored->id);
             it != byUid.constEnd() && it.key() == stored->id; ++it) {
            best[it.value()] = stored;
            fit[it.value()] = ByUid;
        }
        const QString fullName = stored->composedFullName();
        auto it = byName.constFind(fullName);
        if (fullName.isEmpty() || it == byName.constEnd()) {
            continue;
        }
        const QSet<QString> storedKeys = kindedKeys(*stored);
        for (; it != byName.constEnd() && it.key() == fullName; ++it) {
            const int i = it.value();
            if (fit.at(i) == ByUid) {
                continue;
            }
            std::optional<EntryKeys> &keys = parsedKeys[size_t(i)];
            if (!keys) {
                keys.emplace(*parsed.at(i));
            }
            const int candidate = fitOf(*parsed.at(i), *keys, *stored, storedKeys);
            if (candidate != NoFit && candidate <= fit.at(i)) {
                best[i] = stored;
                fit[i] = candidate;
            }
        }
    }
    for (int i = 0; i < parsed.size(); ++i) {
        if (best.at(i)) {
            found.insert(parsed.at(i), best.at(i));
        }
    }
    return found;
}

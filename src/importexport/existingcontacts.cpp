#include "importexport/existingcontacts.h"

#include "record/contact.h"
#include "record/contactmerge.h"

namespace {

const QChar PhoneKind(QLatin1Char('p'));
const QChar EmailKind(QLatin1Char('e'));

} // namespace

void ExistingContacts::setContacts(const QList<Contact *> &contacts)
{
    clear();
    m_contacts.reserve(contacts.size());
    m_byId.reserve(contacts.size());
    for (Contact *contact : contacts) {
        if (!contact) {
            continue;
        }
        const int index = m_contacts.size();
        m_contacts.append(contact);
        m_byId.insert(contact->id, index);
        const QString fullName = contact->composedFullName();
        m_byName.insert(qHash(fullName), index);
        for (const QString &phone : contact->phoneList.toList()) {
            m_byNameAndEntry.insert(keyOf(fullName, PhoneKind, ContactMerge::phoneKey(phone)),
                                    index);
        }
        for (const QString &email : contact->emailList.toList()) {
            m_byNameAndEntry.insert(keyOf(fullName, EmailKind, ContactMerge::emailKey(email)),
                                    index);
        }
    }
}

void ExistingContacts::clear()
{
    m_contacts.clear();
    m_byId.clear();
    m_byNameAndEntry.clear();
    m_byName.clear();
}

Contact *ExistingContacts::find(const Contact &parsed) const
{
    if (m_contacts.isEmpty()) {
        return nullptr;
    }
    if (!parsed.uid.isEmpty()) {
        const auto found = m_byId.constFind(parsed.uid);
        if (found != m_byId.constEnd() && m_contacts.at(found.value())) {
            return m_contacts.at(found.value());
        }
    }
    const QString fullName = parsed.composedFullName();
    if (fullName.isEmpty()) {
        return nullptr;
    }
    const auto lookUp = [&](QChar kind, const QString &entryKey) -> Contact * {
        if (entryKey.isEmpty()) {
            return nullptr;
        }
        const size_t key = keyOf(fullName, kind, entryKey);
        for (auto it = m_byNameAndEntry.constFind(key);
             it != m_byNameAndEntry.constEnd() && it.key() == key; ++it) {
            Contact *contact = m_contacts.at(it.value());
            if (contact && contact->composedFullName() == fullName
                && hasEntry(*contact, kind, entryKey)) {
                return contact;
            }
        }
        return nullptr;
    };
    for (const QString &phone : parsed.phoneList.toList()) {
        if (Contact *contact = lookUp(PhoneKind, ContactMerge::phoneKey(phone))) {
            return contact;
        }
    }
    for (const QString &email : parsed.emailList.toList()) {
        if (Contact *contact = lookUp(EmailKind, ContactMerge::emailKey(email))) {
            return contact;
        }
    }
    if (!parsed.phoneList.isEmpty() || !parsed.emailList.isEmpty()) {
        return nullptr;
    }
    const size_t key = qHash(fullName);
    for (auto it = m_byName.constFind(key); it != m_byName.constEnd() && it.key() == key; ++it) {
        Contact *contact = m_contacts.at(it.value());
        if (contact && contact->composedFullName() == fullName && holdsAllOf(*contact, parsed)) {
            return contact;
        }
    }
    return nullptr;
}

bool ExistingContacts::holdsAllOf(const Contact &stored, const Contact &parsed)
{
    const auto sameOrEmpty = [](const QString &storedText, const QString &parsedText) {
        return parsedText.trimmed().isEmpty() || parsedText == storedText;
    };
    return sameOrEmpty(stored.organization, parsed.organization)
           && sameOrEmpty(stored.dateOfBirth, parsed.dateOfBirth)
           && sameOrEmpty(stored.comment, parsed.comment)
           && !ContactMerge::bringsNew(stored, parsed);
}

size_t ExistingContacts::keyOf(const QString &fullName, QChar kind, const QString &entryKey)
{
    return qHash(entryKey, qHash(fullName, qHash(kind)));
}

bool ExistingContacts::hasEntry(const Contact &contact, QChar kind, const QString &entryKey)
{
    const QStringList &entries = kind == PhoneKind ? contact.phoneList : contact.emailList;
    for (const QString &entry : entries) {
        const QString key =
                kind == PhoneKind ? ContactMerge::phoneKey(entry) : ContactMerge::emailKey(entry);
        if (key == entryKey) {
            return true;
        }
    }
    return false;
}

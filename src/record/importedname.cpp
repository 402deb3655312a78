#include "record/importedname.h"

#include "record/contact.h"

#include <QStringList>

namespace ImportedName {

namespace {

bool isNameless(const Contact *contact)
{
    return (contact->name + contact->surname + contact->middlename).trimmed().isEmpty();
}

// The part before the at sign of an address that has exactly one.
QString localPart(const QString &address)
{
    const QStringList parts = address.split(QLatin1Char('@'));
    return parts.size() == 2 ? parts.first() : QString();
}

} // namespace

void nameIfNameless(Contact *contact, const QString &displayName)
{
    if (!isNameless(contact)) {
        return;
    }
    contact->surname.clear();
    contact->middlename.clear();
    const QString candidates[] = {
            displayName.trimmed(),
            contact->emailList.isEmpty() ? QString() : localPart(contact->emailList.first()),
            contact->organization.trimmed(),
            contact->phoneList.isEmpty() ? QString() : contact->phoneList.first(),
    };
    for (const QString &candidate : candidates) {
        contact->name = candidate;
        if (!isNameless(contact)) {
            return;
        }
    }
    contact->name.clear();
}

} // namespace ImportedName

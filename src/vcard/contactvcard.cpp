#include "vcard/contactvcard.h"

#include "record/contact.h"
#include "vcard/cardentries.h"

vCard ContactVCard::toVCard(const Contact &contact, const QByteArray &photo)
{
    vCard card;
    // The groups and the star, which Google and Android read as "Starred".
    QStringList categories = contact.groups;
    if (contact.isFavorite) {
        categories.append(QStringLiteral("Starred"));
    }
    if (!categories.isEmpty()) {
        card.addProperty(vCardProperty(QStringLiteral("CATEGORIES"), categories));
    }
    card.addProperty(vCardProperty::nameProperty(contact.name, contact.surname, contact.middlename,
                                                 QString(), QString()));
    // The name parts that are set, one blank between them.
    card.addProperty(vCardProperty(QStringLiteral("FN"), QStringList{contact.composedFullName()}));
    // The id, so that an import of the card knows the contact again.
    if (!contact.id.isEmpty()) {
        card.addProperty(vCardProperty(QStringLiteral("UID"), QStringList{contact.id}));
    }
    if (!contact.organization.isEmpty()) {
        card.addProperty(vCardProperty::organizationProperty(contact.organization));
    }
    if (!contact.dateOfBirth.isEmpty()) {
        card.addProperty(CardEntries::birthday(contact.dateOfBirth));
    }
    if (!contact.comment.isEmpty()) {
        card.addProperty(vCardProperty(QStringLiteral("NOTE"), QStringList{contact.comment}));
    }
    CardEntries::LabelledEntries entries(&card);
    entries.addPhones(contact.phoneList, contact.phoneGroupList);
    entries.addEmails(contact.emailList, contact.emailGroupList);
    entries.addAddresses(contact.addressList, contact.addressGroupList);
    for (const QString &link : contact.linkList.toList()) {
        if (link.isEmpty()) {
            continue;
        }
        card.addProperty(vCardProperty(QStringLiteral("URL"), QStringList{link}));
    }
    if (!photo.isEmpty()) {
        card.addProperty(CardEntries::photo(photo));
    }
    return card;
}

#include "record/contact.h"

#include "importexport/cardentries.h"
#include "importexport/vcard.h"

vCard Contact::toVCard(const QByteArray &photo) const
{
    vCard card;
    if (isFavorite) {
        card.addProperty(vCardProperty(QStringLiteral("CATEGORIES"),
                                       QStringList{QStringLiteral("Starred")}));
    }
    card.addProperty(vCardProperty::nameProperty(name, surname, middlename, QString(), QString()));
    // The name parts that are set, one blank between them.
    card.addProperty(vCardProperty(QStringLiteral("FN"), QStringList{composedFullName()}));
    // The id, so that an import of the card knows the contact again.
    if (!id.isEmpty()) {
        card.addProperty(vCardProperty(QStringLiteral("UID"), QStringList{id}));
    }
    if (!organization.isEmpty()) {
        card.addProperty(vCardProperty::organizationProperty(organization));
    }
    if (!dateOfBirth.isEmpty()) {
        card.addProperty(CardEntries::birthday(dateOfBirth));
    }
    if (!comment.isEmpty()) {
        card.addProperty(vCardProperty(QStringLiteral("NOTE"), QStringList{comment}));
    }
    CardEntries::LabelledEntries entries(&card);
    entries.addPhones(phoneList, phoneGroupList);
    entries.addEmails(emailList, emailGroupList);
    entries.addAddresses(addressList, addressGroupList);
    for (const QString &link : linkList.toList()) {
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

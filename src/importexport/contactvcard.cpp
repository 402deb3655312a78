#include "record/contact.h"

#include "importexport/vcard.h"

#include <QDate>

namespace {

// The vCard TYPE for a phone or address label: the label decides by the
// words Home and Work in it, in any letter case.
QString typeForLabel(const QString &label, const QString &otherwise)
{
    if (label.contains(Contact::tr("Home"), Qt::CaseInsensitive)) {
        return QStringLiteral("home");
    }
    if (label.contains(Contact::tr("Work"), Qt::CaseInsensitive)) {
        return QStringLiteral("work");
    }
    return otherwise;
}

vCardParameterList typeParameter(const QString &type)
{
    vCardParameter parameter(QString(), vCardParameter::Type);
    parameter.setValue(type);
    return vCardParameterList{parameter};
}

} // namespace

vCard Contact::toVCard() const
{
    vCard card;
    if (isFavorite) {
        card.addProperty(vCardProperty(QStringLiteral("CATEGORIES"),
                                       QStringList{QStringLiteral("Starred")}));
    }
    card.addProperty(vCardProperty::nameProperty(name, surname, middlename, QString(), QString()));
    // The name parts that are set, one blank between them.
    card.addProperty(vCardProperty(QStringLiteral("FN"), QStringList{composedFullName()}));
    if (!organization.isEmpty()) {
        card.addProperty(vCardProperty::organizationProperty(organization));
    }
    if (!dateOfBirth.isEmpty()) {
        // The editor's dd.MM.yyyy becomes yyyy-MM-dd; any other text (an
        // imported yyyy-MM-dd, a date without a year) is written as it is.
        const QDate date = QDate::fromString(dateOfBirth, QStringLiteral("dd.MM.yyyy"));
        if (date.isValid()) {
            card.addProperty(vCardProperty::birthdayProperty(date));
        } else {
            card.addProperty(vCardProperty(QStringLiteral("BDAY"), QStringList{dateOfBirth}));
        }
    }
    if (!comment.isEmpty()) {
        card.addProperty(vCardProperty(QStringLiteral("NOTE"), QStringList{comment}));
    }
    // A phone or address without a label is still written, with the type
    // the editor gives new entries.
    for (int i = 0; i < phoneList.size(); ++i) {
        if (phoneList.at(i).isEmpty()) {
            continue;
        }
        const QString label = i < phoneGroupList.size() ? phoneGroupList.at(i) : QString();
        card.addProperty(vCardProperty(QStringLiteral("TEL"), QStringList{phoneList.at(i)},
                                       typeParameter(typeForLabel(label, QStringLiteral("cell")))));
    }
    // A work address is typed as such; every other one reads back as "Home".
    for (int i = 0; i < emailList.size(); ++i) {
        if (emailList.at(i).isEmpty()) {
            continue;
        }
        vCardParameterList types = typeParameter(QStringLiteral("internet"));
        if (typeForLabel(emailGroupList.value(i), QString()) == QLatin1String("work")) {
            types += typeParameter(QStringLiteral("work"));
        }
        card.addProperty(
                vCardProperty(QStringLiteral("EMAIL"), QStringList{emailList.at(i)}, types));
    }
    for (int i = 0; i < addressList.size(); ++i) {
        if (addressList.at(i).isEmpty()) {
            continue;
        }
        const QString label = i < addressGroupList.size() ? addressGroupList.at(i) : QString();
        if (label.trimmed().isEmpty()) {
            card.addProperty(vCardProperty(QStringLiteral("LABEL"), QStringList{addressList.at(i)},
                                           typeParameter(QStringLiteral("home"))));
            continue;
        }
        card.addProperty(vCardProperty(QStringLiteral("LABEL"), QStringList{addressList.at(i)},
                                       typeParameter(typeForLabel(label, QStringLiteral("work")))));
    }
    for (const QString &link : linkList) {
        if (link.isEmpty()) {
            continue;
        }
        card.addProperty(vCardProperty(QStringLiteral("URL"), QStringList{link}));
    }
    return card;
}

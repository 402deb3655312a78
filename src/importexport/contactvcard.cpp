#include "record/contact.h"

#include "importexport/vcard.h"
#include "record/birthday.h"

#include <QCoreApplication>
#include <QDate>

namespace {

// The labels that the vCard importer gives by type alone.
QString builtIn(const char *label)
{
    return QCoreApplication::translate("QObject", label);
}

bool mentions(const QString &label, const char *word)
{
    return label.contains(Contact::tr(word), Qt::CaseInsensitive);
}

vCardParameterList typeParameters(const QStringList &types)
{
    vCardParameterList params;
    for (const QString &type : types) {
        params.append(vCardParameter(type, vCardParameter::Type));
    }
    return params;
}

// The types of a phone label: the ones its words name (home, work, fax,
// pager), else cell, the type of the editor's default label.
QStringList phoneTypes(const QString &label)
{
    if (label == builtIn("Mobile")) {
        return {QStringLiteral("cell")};
    }
    QStringList types;
    if (mentions(label, "Home")) {
        types << QStringLiteral("home");
    } else if (mentions(label, "Work")) {
        types << QStringLiteral("work");
    }
    if (mentions(label, "Fax")) {
        types << QStringLiteral("fax");
    } else if (mentions(label, "Pager")) {
        types << QStringLiteral("pager");
    }
    return types.isEmpty() ? QStringList{QStringLiteral("cell")} : types;
}

QStringList emailTypes(const QString &label)
{
    QStringList types{QStringLiteral("internet")};
    if (mentions(label, "Work")) {
        types << QStringLiteral("work");
    } else if (mentions(label, "Home") && label != builtIn("Home")) {
        types << QStringLiteral("home");
    }
    return types;
}

// An address without a label is a home address; a label that names
// neither home nor work gives work.
QStringList addressTypes(const QString &label)
{
    if (label.trimmed().isEmpty() || mentions(label, "Home")) {
        return {QStringLiteral("home")};
    }
    return {QStringLiteral("work")};
}

// Adds the labelled entries of a record: those with a custom label as Google
// and Apple write them, itemN.PROPERTY and itemN.X-ABLabel, the closest types
// beside it for readers that ignore the label.
class LabelledEntries
{
public:
    explicit LabelledEntries(vCard *card)
        : m_card(card)
    {
    }

    void addPhones(const QStringList &phones, const QStringList &labels)
    {
        const QStringList readBack{builtIn("Mobile"), builtIn("Home"), builtIn("Work")};
        for (int i = 0; i < phones.size(); ++i) {
            if (!phones.at(i).isEmpty()) {
                add({vCardProperty(QStringLiteral("TEL"), QStringList{phones.at(i)},
                                   typeParameters(phoneTypes(labels.value(i))))},
                    labels.value(i), readBack);
            }
        }
    }

    void addEmails(const QStringList &emails, const QStringList &labels)
    {
        for (int i = 0; i < emails.size(); ++i) {
            if (!emails.at(i).isEmpty()) {
                add({vCardProperty(QStringLiteral("EMAIL"), QStringList{emails.at(i)},
                                   typeParameters(emailTypes(labels.value(i))))},
                    labels.value(i), placeLabels());
            }
        }
    }

    // Each address as an ADR, the whole text as its street, for readers that
    // ignore LABEL (Google, Android), and as the LABEL beside it; the
    // importer reads the pair back as one address.
    void addAddresses(const QStringList &addresses, const QStringList &labels)
    {
        for (int i = 0; i < addresses.size(); ++i) {
            if (addresses.at(i).isEmpty()) {
                continue;
            }
            const vCardParameterList types = typeParameters(addressTypes(labels.value(i)));
            add({vCardProperty::addressProperty(addresses.at(i), QString(), QString(), QString(),
                                                QString(), QString(), QString(), types),
                 vCardProperty(QStringLiteral("LABEL"), QStringList{addresses.at(i)}, types)},
                labels.value(i), placeLabels());
        }
    }

private:
    static QStringList placeLabels() { return {builtIn("Home"), builtIn("Work")}; }

    // readBack: the labels the importer gives by type alone; any other
    // label travels as X-ABLabel.
    void add(const vCardPropertyList &properties, const QString &label, const QStringList &readBack)
    {
        const bool named = !label.trimmed().isEmpty() && !readBack.contains(label);
        const QString group = named ? QStringLiteral("item%1").arg(++m_items) : QString();
        for (vCardProperty property : properties) {
            property.setGroup(group);
            m_card->addProperty(property);
        }
        if (named) {
            vCardProperty name(QStringLiteral("X-ABLabel"), QStringList{label});
            name.setGroup(group);
            m_card->addProperty(name);
        }
    }

    vCard *m_card;
    int m_items = 0;
};

// The image type of the photo's bytes, for the PHOTO's TYPE.
QString imageType(const QByteArray &photo)
{
    if (photo.startsWith("\x89PNG")) {
        return QStringLiteral("PNG");
    }
    if (photo.startsWith("\xFF\xD8\xFF")) {
        return QStringLiteral("JPEG");
    }
    if (photo.startsWith("GIF8")) {
        return QStringLiteral("GIF");
    }
    return QString();
}

// PHOTO;ENCODING=b;TYPE=PNG with the Base64 of the image (RFC 2426 3.1.4).
vCardProperty photoProperty(const QByteArray &photo)
{
    vCardParameterList params{vCardParameter(QStringLiteral("b"), vCardParameter::Encoding)};
    const QString type = imageType(photo);
    if (!type.isEmpty()) {
        params.append(vCardParameter(type, vCardParameter::Type));
    }
    return vCardProperty(QStringLiteral("PHOTO"),
                         QStringList{QString::fromLatin1(photo.toBase64())}, params);
}

vCardProperty birthdayOf(const QString &dateOfBirth)
{
    // The editor's dd.MM.yyyy becomes yyyy-MM-dd; a birthday without a year
    // is written the way Apple's address books write it.
    const QDate date = QDate::fromString(dateOfBirth, QStringLiteral("dd.MM.yyyy"));
    if (date.isValid()) {
        return vCardProperty::birthdayProperty(date);
    }
    int day = 0;
    int month = 0;
    if (Birthday::isWithoutYear(dateOfBirth, &day, &month)) {
        return vCardProperty(
                QStringLiteral("BDAY"),
                QStringList{QStringLiteral("%1-%2-%3")
                                    .arg(Birthday::OmittedYear)
                                    .arg(month, 2, 10, QLatin1Char('0'))
                                    .arg(day, 2, 10, QLatin1Char('0'))},
                vCardParameterList{vCardParameter(
                        QStringLiteral("X-APPLE-OMIT-YEAR=%1").arg(Birthday::OmittedYear),
                        vCardParameter::Undefined)});
    }
    // Any other text (a date in another form, free text) is written as it is.
    return vCardProperty(QStringLiteral("BDAY"), QStringList{dateOfBirth});
}

} // namespace

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
        card.addProperty(birthdayOf(dateOfBirth));
    }
    if (!comment.isEmpty()) {
        card.addProperty(vCardProperty(QStringLiteral("NOTE"), QStringList{comment}));
    }
    LabelledEntries entries(&card);
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
        card.addProperty(photoProperty(photo));
    }
    return card;
}

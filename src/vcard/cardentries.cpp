#include "vcard/cardentries.h"

#include "record/birthday.h"
#include "record/contact.h"

#include <QCoreApplication>
#include <QDate>

namespace {

// The labels that the vCard importer gives by type alone.
QString builtIn(const char *label)
{
    return QCoreApplication::translate("QObject", label);
}

// `word` is translated in the context "Contact", where the catalogues give
// the words of the labels this program writes.
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
    if (mentions(label, QT_TRANSLATE_NOOP("Contact", "Home"))) {
        types << QStringLiteral("home");
    } else if (mentions(label, QT_TRANSLATE_NOOP("Contact", "Work"))) {
        types << QStringLiteral("work");
    }
    if (mentions(label, QT_TRANSLATE_NOOP("Contact", "Fax"))) {
        types << QStringLiteral("fax");
    } else if (mentions(label, QT_TRANSLATE_NOOP("Contact", "Pager"))) {
        types << QStringLiteral("pager");
    }
    return types.isEmpty() ? QStringList{QStringLiteral("cell")} : types;
}

QStringList emailTypes(const QString &label)
{
    QStringList types{QStringLiteral("internet")};
    if (mentions(label, QT_TRANSLATE_NOOP("Contact", "Work"))) {
        types << QStringLiteral("work");
    } else if (mentions(label, QT_TRANSLATE_NOOP("Contact", "Home")) && label != builtIn("Home")) {
        types << QStringLiteral("home");
    }
    return types;
}

// An address without a label is a home address; a label that names
// neither home nor work gives work.
QStringList addressTypes(const QString &label)
{
    if (label.trimmed().isEmpty() || mentions(label, QT_TRANSLATE_NOOP("Contact", "Home"))) {
        return {QStringLiteral("home")};
    }
    return {QStringLiteral("work")};
}

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

} // namespace

namespace CardEntries {

LabelledEntries::LabelledEntries(vCard *card, int usedItems)
    : m_card(card),
      m_items(usedItems)
{
}

void LabelledEntries::addPhones(const QStringList &phones, const QStringList &labels)
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

void LabelledEntries::addEmails(const QStringList &emails, const QStringList &labels)
{
    for (int i = 0; i < emails.size(); ++i) {
        if (!emails.at(i).isEmpty()) {
            add({vCardProperty(QStringLiteral("EMAIL"), QStringList{emails.at(i)},
                               typeParameters(emailTypes(labels.value(i))))},
                labels.value(i), QStringList{builtIn("Home"), builtIn("Work")});
        }
    }
}

void LabelledEntries::addAddresses(const QStringList &addresses, const QStringList &labels)
{
    for (int i = 0; i < addresses.size(); ++i) {
        if (addresses.at(i).isEmpty()) {
            continue;
        }
        const vCardParameterList types = typeParameters(addressTypes(labels.value(i)));
        add({vCardProperty::addressProperty(addresses.at(i), QString(), QString(), QString(),
                                            QString(), QString(), QString(), types),
             vCardProperty(QStringLiteral("LABEL"), QStringList{addresses.at(i)}, types)},
            labels.value(i), QStringList{builtIn("Home"), builtIn("Work")});
    }
}

void LabelledEntries::add(const vCardPropertyList &properties, const QString &label,
                          const QStringList &readBack)
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

// PHOTO;ENCODING=b;TYPE=PNG with the Base64 of the image (RFC 2426 3.1.4).
vCardProperty photo(const QByteArray &photo)
{
    vCardParameterList params{vCardParameter(QStringLiteral("b"), vCardParameter::Encoding)};
    const QString type = imageType(photo);
    if (!type.isEmpty()) {
        params.append(vCardParameter(type, vCardParameter::Type));
    }
    return vCardProperty(QStringLiteral("PHOTO"),
                         QStringList{QString::fromLatin1(photo.toBase64())}, params);
}

vCardProperty birthday(const QString &dateOfBirth)
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

} // namespace CardEntries

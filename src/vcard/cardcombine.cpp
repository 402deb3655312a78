#include "vcard/cardcombine.h"

#include "vcard/vcard.h"

#include <QSet>

namespace {

// The properties the record's fields are read from and written to, and
// those that name the card itself: the merged record and the kept card
// give them.
bool isFieldProperty(const QString &name)
{
    static const QSet<QString> names = {
            QStringLiteral("BEGIN"),  QStringLiteral("END"),       QStringLiteral("VERSION"),
            QStringLiteral("UID"),    QStringLiteral("N"),         QStringLiteral("FN"),
            QStringLiteral("TEL"),    QStringLiteral("EMAIL"),     QStringLiteral("ADR"),
            QStringLiteral("URL"),    QStringLiteral("ORG"),       QStringLiteral("BDAY"),
            QStringLiteral("NOTE"),   QStringLiteral("PHOTO"),     QStringLiteral("REV"),
            QStringLiteral("PRODID"), QStringLiteral("CATEGORIES")};
    return names.contains(name);
}

// The groups (item1 of item1.TEL) that tie a property to a field: their
// labels go with the field, not with the card.
QSet<QString> fieldGroups(const vCardPropertyList &properties)
{
    QSet<QString> groups;
    for (const vCardProperty &property : properties) {
        if (!property.group().isEmpty() && isFieldProperty(property.name())) {
            groups.insert(property.group());
        }
    }
    return groups;
}

} // namespace

QByteArray CardCombine::withPropertiesOf(const QByteArray &kept, const QByteArray &other)
{
    const QList<vCard> keptCards = vCard::fromByteArray(kept);
    const QList<vCard> otherCards = vCard::fromByteArray(other);
    const int end = kept.toUpper().lastIndexOf("END:VCARD");
    if (keptCards.isEmpty() || otherCards.isEmpty() || end < 0) {
        return kept;
    }
    const vCardPropertyList properties = otherCards.first().properties();
    const QSet<QString> tied = fieldGroups(properties);
    const vCardVersion version = kept.toUpper().contains("VERSION:2.1") ? vCardVersion::Version2_1
                                                                        : vCardVersion::Version3_0;
    const QByteArray lineEnd = kept.contains("\r\n") ? QByteArrayLiteral("\r\n") : "\n";
    QByteArray added;
    for (const vCardProperty &property : properties) {
        if (isFieldProperty(property.name()) || tied.contains(property.group())
            || keptCards.first().contains(property)) {
            continue;
        }
        added += property.toByteArray(version).replace("\n", lineEnd) + lineEnd;
    }
    return added.isEmpty() ? kept : kept.left(end) + added + kept.mid(end);
}

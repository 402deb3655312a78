#include "vcard/carddetails.h"

#include "record/birthday.h"
#include "vcard/vcard.h"

#include <QHash>

namespace {

// The X-ABLabel texts of a card, by the group (lower case) they label.
QHash<QString, QString> groupLabels(const vCardPropertyList &properties)
{
    QHash<QString, QString> labels;
    for (const vCardProperty &property : properties) {
        if (property.name().compare(QLatin1String("X-ABLabel"), Qt::CaseInsensitive) == 0
            && !property.group().isEmpty()) {
            labels.insert(property.group().toLower(), property.value().trimmed());
        }
    }
    return labels;
}

// The label Apple and Google give an entry in its group's X-ABLabel, with
// Apple's own names (_$!<Anniversary>!$_) unwrapped.
QString groupLabel(const QHash<QString, QString> &labels, const vCardProperty &property)
{
    QString label = labels.value(property.group().toLower());
    if (label.startsWith(QLatin1String("_$!<")) && label.endsWith(QLatin1String(">!$_"))) {
        label = label.mid(4, label.size() - 8);
    }
    return label;
}

// The TYPE parameters of a property, joined: "spouse", "twitter".
QString types(const vCardProperty &property)
{
    QStringList found;
    for (const vCardParameter &param : property.params()) {
        if (param.group() == vCardParameter::Type) {
            found << param.value().toLower();
        }
    }
    return found.join(QStringLiteral(", "));
}

QString withType(const QString &label, const vCardProperty &property)
{
    const QString type = types(property);
    return type.isEmpty() ? label : label + QStringLiteral(" (") + type + QLatin1Char(')');
}

// The units of an ORG after the organization's name: its departments.
QString units(const vCardProperty &property)
{
    return property.values().mid(1).join(QStringLiteral(", "));
}

// A date as the editor writes birthdays, any other text as it is.
QString dateText(const QString &value)
{
    const QString date = Birthday::fromIso(value.trimmed());
    return date.isEmpty() ? value.trimmed() : date;
}

// Instant-messaging properties older than IMPP, by the service they name.
QString messagingService(const QString &name)
{
    static const QHash<QString, QString> services{
            {QStringLiteral("X-JABBER"), QStringLiteral("Jabber")},
            {QStringLiteral("X-SKYPE"), QStringLiteral("Skype")},
            {QStringLiteral("X-SKYPE-USERNAME"), QStringLiteral("Skype")},
            {QStringLiteral("X-AIM"), QStringLiteral("AIM")},
            {QStringLiteral("X-ICQ"), QStringLiteral("ICQ")},
            {QStringLiteral("X-MSN"), QStringLiteral("MSN")},
            {QStringLiteral("X-YAHOO"), QStringLiteral("Yahoo")},
            {QStringLiteral("X-GTALK"), QStringLiteral("Google Talk")},
            {QStringLiteral("X-GOOGLE-TALK"), QStringLiteral("Google Talk")},
            {QStringLiteral("X-QQ"), QStringLiteral("QQ")},
            {QStringLiteral("X-TWITTER"), QStringLiteral("Twitter")}};
    return services.value(name.toUpper());
}

} // namespace

QStringList CardDetails::columnsOf(const QByteArray &card)
{
    QByteArray lines;
    for (int start = 0; start >= 0 && start < card.size();) {
        int end = card.indexOf('\n', start);
        // A folded line goes on after a line break and a blank.
        while (end >= 0 && end + 1 < card.size()
               && (card.at(end + 1) == ' ' || card.at(end + 1) == '\t')) {
            end = card.indexOf('\n', end + 1);
        }
        const int length = (end < 0 ? card.size() : end + 1) - start;
        const char *line = card.constData() + start;
        // N only with a prefix or suffix, ORG only with a unit: most cards
        // have neither, and then nothing is parsed at all.
        const QByteArray raw = QByteArray::fromRawData(line, length);
        const bool names = (qstrnicmp(line, "N:", 2) == 0 || qstrnicmp(line, "N;", 2) == 0)
                           && raw.count(';') >= 4 && !raw.trimmed().endsWith(";;");
        const bool units =
                qstrnicmp(line, "ORG", 3) == 0 && raw.mid(raw.indexOf(':')).contains(';');
        if (names || units || qstrnicmp(line, "NICKNAME", 8) == 0
            || qstrnicmp(line, "TITLE", 5) == 0) {
            lines.append(line, length);
        }
        start = end < 0 ? -1 : end + 1;
    }
    return lines.isEmpty()
                   ? CardDetails().columns
                   : of("BEGIN:VCARD\r\nVERSION:3.0\r\n" + lines + "\r\nEND:VCARD\r\n").columns;
}

CardDetails CardDetails::of(const QByteArray &card)
{
    CardDetails details;
    const QList<vCard> cards = vCard::fromByteArray(card);
    if (cards.isEmpty()) {
        return details;
    }
    const vCardPropertyList properties = cards.first().properties();
    const QHash<QString, QString> labels = groupLabels(properties);
    for (const vCardProperty &property : properties) {
        const QString name = property.name().toUpper();
        details.readColumn(name, property);
        details.readEntry(name, groupLabel(labels, property), property);
    }
    return details;
}

void CardDetails::add(const QString &label, const QString &value)
{
    if (!value.trimmed().isEmpty()) {
        labels << label;
        values << value.trimmed();
    }
}

void CardDetails::setColumn(int column, const QString &value)
{
    if (columns.at(column).isEmpty()) {
        columns[column] = value.trimmed();
    }
}

void CardDetails::readColumn(const QString &name, const vCardProperty &property)
{
    if (name == QLatin1String("FN")) {
        formattedName = property.value().trimmed();
    } else if (name == QLatin1String("N")) {
        setColumn(0, property.values().value(3));
        setColumn(1, property.values().value(4));
    } else if (name == QLatin1String("NICKNAME")) {
        setColumn(2, property.value());
    } else if (name == QLatin1String("TITLE")) {
        setColumn(3, property.value());
    } else if (name == QLatin1String("ORG")) {
        setColumn(4, units(property));
    }
}

void CardDetails::readEntry(const QString &name, const QString &label,
                            const vCardProperty &property)
{
    if (name == QLatin1String("NICKNAME")) {
        add(tr("Nickname"), property.value());
    } else if (name == QLatin1String("TITLE")) {
        add(tr("Job title"), property.value());
    } else if (name == QLatin1String("ROLE")) {
        add(tr("Role"), property.value());
    } else if (name == QLatin1String("ORG")) {
        add(tr("Department"), units(property));
    } else if (name == QLatin1String("ANNIVERSARY")) {
        add(tr("Anniversary"), dateText(property.value()));
    } else if (name == QLatin1String("X-ABDATE")) {
        add(label.isEmpty() ? tr("Date") : label, dateText(property.value()));
    } else if (name == QLatin1String("IMPP")) {
        add(withType(tr("Instant messaging"), property), property.value());
    } else if (!messagingService(name).isEmpty()) {
        add(messagingService(name), property.value());
    } else if (name == QLatin1String("RELATED")) {
        add(withType(tr("Related"), property), property.value());
    } else if (name == QLatin1String("X-ABRELATEDNAMES")) {
        add(label.isEmpty() ? tr("Related") : label, property.value());
    } else if (name == QLatin1String("X-SOCIALPROFILE")) {
        add(withType(tr("Social profile"), property), property.value());
    }
}

#include "vcard/groupcard.h"

#include "vcard/vcard.h"

#include <QSet>

namespace {

const QString AppleKind = QStringLiteral("X-ADDRESSBOOKSERVER-KIND");
const QString AppleMember = QStringLiteral("X-ADDRESSBOOKSERVER-MEMBER");
const QString Kind = QStringLiteral("KIND");
const QString Member = QStringLiteral("MEMBER");

bool isMemberProperty(const QString &name)
{
    return name == AppleMember || name == Member;
}

// The UID a member value names: "urn:uuid:" taken off (RFC 4122 3), any
// other value (a plain UID) as it is.
QString memberUid(const QString &value)
{
    const QString uid = value.trimmed();
    return uid.startsWith(QLatin1String("urn:uuid:"), Qt::CaseInsensitive) ? uid.mid(9) : uid;
}

QString nameOf(const vCard &card)
{
    QString name = card.property(QStringLiteral("FN")).value().simplified();
    if (name.isEmpty()) {
        name = card.property(QStringLiteral("N")).values().join(QLatin1Char(' ')).simplified();
    }
    return name;
}

// One content line as the card has it, its folds and line end included,
// and the property read from it (none for BEGIN, VERSION and END).
struct RawLine
{
    QByteArray raw;
    vCardProperty property;
};

QVector<RawLine> splitLines(const QByteArray &card)
{
    QVector<RawLine> lines;
    for (const QByteArray &physical : card.split('\n')) {
        const bool continuation = physical.startsWith(' ') || physical.startsWith('\t');
        if (continuation && !lines.isEmpty()) {
            lines.last().raw += '\n' + physical;
        } else if (!physical.trimmed().isEmpty()) {
            lines.append({physical, vCardProperty()});
        }
    }
    for (RawLine &line : lines) {
        const vCardPropertyList read = vCardProperty::fromByteArray(line.raw);
        if (read.size() == 1) {
            line.property = read.first();
        }
    }
    return lines;
}

QByteArray written(const vCardProperty &property, const QByteArray &lineEnd)
{
    return property.toByteArray(vCardVersion::Version3_0).replace('\n', lineEnd) + lineEnd;
}

vCardProperty memberProperty(const QString &name, const QString &uid)
{
    return vCardProperty(name, QStringList{QStringLiteral("urn:uuid:") + uid});
}

} // namespace

namespace GroupCard {

bool isGroupCard(const vCard &card)
{
    for (const vCardProperty &property : card.properties()) {
        if ((property.name() == AppleKind || property.name() == Kind)
            && property.value().trimmed().compare(QLatin1String("group"), Qt::CaseInsensitive)
                       == 0) {
            return true;
        }
    }
    return false;
}

Group read(const vCard &card)
{
    Group group;
    if (!isGroupCard(card)) {
        return group;
    }
    group.name = nameOf(card);
    if (group.name.size() > MaxNameChars) {
        group.name.clear();
    }
    group.uid = card.property(QStringLiteral("UID")).value().trimmed();
    QSet<QString> seen;
    for (const vCardProperty &property : card.properties()) {
        const QString uid =
                isMemberProperty(property.name()) ? memberUid(property.value()) : QString();
        if (!uid.isEmpty() && !seen.contains(uid)) {
            seen.insert(uid);
            group.members.append(uid);
        }
    }
    return group;
}

Group read(const QByteArray &text)
{
    Group group;
    bool first = true;
    vCard::readCards(text, vCardReader::RawBytes, "UTF-8", [&](const vCard &card) {
        if (first) {
            group = read(card);
            first = false;
        }
    });
    return group;
}

QByteArray write(const Group &group)
{
    vCard card;
    card.addProperty(vCardProperty(QStringLiteral("PRODID"),
                                   QStringList{QStringLiteral("-//Kiv Contacts//EN")}));
    card.addProperty(vCardProperty(QStringLiteral("N"), QStringList{group.name}));
    card.addProperty(vCardProperty(QStringLiteral("FN"), QStringList{group.name}));
    card.addProperty(vCardProperty(AppleKind, QStringList{QStringLiteral("group")}));
    for (const QString &uid : group.members) {
        card.addProperty(memberProperty(AppleMember, uid));
    }
    card.addProperty(vCardProperty(QStringLiteral("UID"), QStringList{group.uid}));
    return card.toByteArray(vCardVersion::Version3_0).replace('\n', "\r\n") + "\r\n";
}

QByteArray patch(const QByteArray &card, const QString &name, const QStringList &added,
                 const QStringList &removed)
{
    const QByteArray lineEnd = card.contains("\r\n") ? "\r\n" : "\n";
    const QSet<QString> dropped(removed.cbegin(), removed.cend());
    QSet<QString> present;
    QString memberName = AppleMember;
    QByteArray out;
    bool named = false;
    for (RawLine &line : splitLines(card)) {
        line.raw.replace("\r", "");
        const QString property = line.property.name();
        if (property == Kind) {
            memberName = Member;
        }
        if (isMemberProperty(property)) {
            const QString uid = memberUid(line.property.value());
            if (dropped.contains(uid) || present.contains(uid)) {
                continue;
            }
            present.insert(uid);
        } else if (property == QLatin1String("FN") || property == QLatin1String("N")) {
            named = named || property == QLatin1String("FN");
            const QString kept = line.property.values().join(QLatin1Char(' ')).simplified();
            if (kept != name) {
                vCardProperty renamed(property, QStringList{name}, line.property.params());
                renamed.setGroup(line.property.group());
                out += written(renamed, lineEnd);
                continue;
            }
        } else if (line.raw.trimmed().compare("END:VCARD", Qt::CaseInsensitive) == 0) {
            if (!named) {
                out += written(vCardProperty(QStringLiteral("FN"), QStringList{name}), lineEnd);
            }
            for (const QString &uid : added) {
                if (!present.contains(uid) && !dropped.contains(uid)) {
                    present.insert(uid);
                    out += written(memberProperty(memberName, uid), lineEnd);
                }
            }
        }
        out += line.raw.replace('\n', lineEnd) + lineEnd;
    }
    return out;
}

} // namespace GroupCard

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class vCard;

// Group cards: a card that is a named group and lists its members by UID,
// as Apple's address books write them (X-ADDRESSBOOKSERVER-KIND:group with
// X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:...) and vCard 4.0 does (KIND:group
// with MEMBER, RFC 6350 6.1.4 and 6.6.5). Such a card is a group, never a
// contact.
namespace GroupCard {

// The longest group name taken; a card with a longer one is no group.
constexpr int MaxNameChars = 1024;

struct Group
{
    QString uid;
    QString name;
    // The member UIDs, each once, in the card's order, without "urn:uuid:".
    QStringList members;
};

// Whether the card says it is a group.
bool isGroupCard(const vCard &card);
// The group a group card describes; an empty name when the card is no
// group card, has no name or one longer than MaxNameChars.
Group read(const vCard &card);
// The same from a card's text (the first card in it).
Group read(const QByteArray &text);

// A new group card in Apple's form, vCard 3.0 with CRLF line ends.
QByteArray write(const Group &group);
// The card with the name set (FN and N) and the members added and removed,
// every other line kept as it was; members are written in the card's own
// form (MEMBER on a KIND:group card, else X-ADDRESSBOOKSERVER-MEMBER).
QByteArray patch(const QByteArray &card, const QString &name, const QStringList &added,
                 const QStringList &removed);

} // namespace GroupCard

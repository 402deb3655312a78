#include "sync/synccard.h"

#include "record/contact.h"
#include "storage/cardschema.h"
#include "storage/listencoding.h"
#include "vcard/cardmapping.h"
#include "vcard/cardpatch.h"
#include "vcard/contactvcard.h"
#include "vcard/vcard.h"

#include <QCryptographicHash>
#include <QRegularExpression>

#include <algorithm>

namespace {

// The longest text a field of a card may have, as a file import allows.
constexpr int MaxFieldChars = 1024 * 1024;

// Folds a content line at 75 octets without splitting a UTF-8 sequence.
void appendFolded(QByteArray *out, const QByteArray &line)
{
    constexpr int Limit = 75;
    int start = 0;
    int width = Limit;
    while (line.size() - start > width) {
        int end = start + width;
        while (end > start && (static_cast<unsigned char>(line.at(end)) & 0xC0) == 0x80) {
            --end;
        }
        out->append(line.constData() + start, end - start);
        out->append("\r\n ");
        start = end;
        width = Limit - 1;
    }
    out->append(line.constData() + start, line.size() - start);
    out->append("\r\n");
}

// Whether every text of the contact fits the field limit of the imports.
bool fieldsFit(const Contact &contact)
{
    const auto fits = [](const QString &text) {
        return text.size() <= MaxFieldChars;
    };
    for (const QString *text : {&contact.name, &contact.surname, &contact.middlename,
                                &contact.organization, &contact.dateOfBirth, &contact.comment}) {
        if (!fits(*text)) {
            return false;
        }
    }
    for (const QStringList &list : contact.lists()) {
        if (!std::all_of(list.cbegin(), list.cend(), fits)) {
            return false;
        }
    }
    return true;
}

// The groups in an order of their own: the stores and cards list them in
// different orders.
QStringList sortedGroups(const Contact &contact)
{
    QStringList groups = contact.groups;
    groups.sort();
    return groups;
}

// A part of a contact that is merged as a whole: its texts, and how to copy
// it from one record to another.
struct MergeField
{
    QStringList (*get)(const Contact &);
    void (*copy)(const Contact &, Contact *);
};

const MergeField mergeFields[] = {
        {[](const Contact &c) {
             return QStringList{c.name, c.surname, c.middlename};
         },
         [](const Contact &from, Contact *to) {
             to->name = from.name;
             to->surname = from.surname;
             to->middlename = from.middlename;
         }},
        {[](const Contact &c) { return QStringList{c.organization}; },
         [](const Contact &from, Contact *to) {
             to->organization = from.organization;
         }},
        {[](const Contact &c) { return QStringList{c.dateOfBirth}; },
         [](const Contact &from, Contact *to) {
             to->dateOfBirth = from.dateOfBirth;
         }},
        {[](const Contact &c) { return QStringList{c.comment}; },
         [](const Contact &from, Contact *to) {
             to->comment = from.comment;
         }},
        {[](const Contact &c) { return QStringList{QString::number(c.isFavorite)}; },
         [](const Contact &from, Contact *to) {
             to->isFavorite = from.isFavorite;
         }},
        {[](const Contact &c) { return c.phones() + c.phoneGroupList; },
         [](const Contact &from, Contact *to) {
             to->phoneList = from.phoneList;
             to->phoneGroupList = from.phoneGroupList;
         }},
        {[](const Contact &c) { return c.emails() + c.emailGroupList; },
         [](const Contact &from, Contact *to) {
             to->emailList = from.emailList;
             to->emailGroupList = from.emailGroupList;
         }},
        {[](const Contact &c) { return c.addresses() + c.addressGroupList; },
         [](const Contact &from, Contact *to) {
             to->addressList = from.addressList;
             to->addressGroupList = from.addressGroupList;
         }},
        {[](const Contact &c) { return c.links(); },
         [](const Contact &from, Contact *to) {
             to->linkList = from.linkList;
         }},
        {[](const Contact &c) { return sortedGroups(c); },
         [](const Contact &from, Contact *to) {
             to->groups = from.groups;
         }}};

// Whether a field was changed here and on the server, to different values.
bool changedOnBothSides(const MergeField &field, const Contact &base, const Contact &local,
                        const Contact &remote)
{
    const QStringList before = field.get(base);
    const QStringList here = field.get(local);
    return here != before && field.get(remote) != before && field.get(remote) != here;
}

} // namespace

QByteArray SyncCard::write(const Contact &contact, const QString &uid, const QByteArray &photo,
                           const CardTable::Card &kept)
{
    if (!kept.isEmpty()) {
        const bool replaced = CardSchema::photoDigest(photo) != kept.photoDigest;
        QByteArray card =
                CardPatch::patch(kept.text, contact, {replaced, QByteArray::fromBase64(photo)});
        if (!QRegularExpression(QStringLiteral("(^|\\n)([^.:;\\n]*\\.)?UID[:;]"),
                                QRegularExpression::CaseInsensitiveOption)
                     .match(QString::fromUtf8(card))
                     .hasMatch()) {
            card.insert(card.lastIndexOf("END:"), "UID:" + uid.toUtf8() + "\r\n");
        }
        return card;
    }
    // The card's UID is the one the server knows it by, not the local id.
    const vCard written = ContactVCard::toVCard(contact, QByteArray::fromBase64(photo));
    vCard card;
    for (const vCardProperty &property : written.properties()) {
        if (property.name() != QLatin1String("UID")) {
            card.addProperty(property);
        }
    }
    card.addProperty(vCardProperty(QStringLiteral("UID"), QStringList{uid}));
    QByteArray out;
    const QList<QByteArray> lines = card.toByteArray(vCardVersion::Version3_0).split('\n');
    for (const QByteArray &line : lines) {
        appendFolded(&out, line);
    }
    return out;
}

std::unique_ptr<Contact> SyncCard::read(const QByteArray &card, QString *uid, bool *tooLarge)
{
    // Cards travel as UTF-8 (RFC 6352 5.1), a byte order mark at most before them.
    const QByteArray text = card.startsWith("\xEF\xBB\xBF") ? card.mid(3) : card;
    std::unique_ptr<Contact> contact;
    const CardMapping mapping;
    vCard::readCards(text, vCardReader::RawBytes, "UTF-8", [&](const vCard &read) {
        std::unique_ptr<Contact> record(mapping.contactOf(read));
        if (!contact && !record->composedFullName().isEmpty()) {
            contact = std::move(record);
        }
    });
    if (contact && !fieldsFit(*contact)) {
        if (tooLarge) {
            *tooLarge = true;
        }
        contact.reset();
    }
    if (contact && uid) {
        *uid = contact->uid;
    }
    return contact;
}

bool SyncCard::merge(const Contact &base, const Contact &local, Contact *remote)
{
    for (const MergeField &field : mergeFields) {
        if (changedOnBothSides(field, base, local, *remote)) {
            return false;
        }
    }
    for (const MergeField &field : mergeFields) {
        if (field.get(local) != field.get(base)) {
            field.copy(local, remote);
        }
    }
    return true;
}

QByteArray SyncCard::fingerprint(const Contact &contact, const QByteArray &photo)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const auto add = [&hash](const QString &text) {
        hash.addData(text.toUtf8());
        hash.addData("\x1f", 1);
    };
    add(contact.isFavorite ? QStringLiteral("1") : QStringLiteral("0"));
    for (const QString *text : {&contact.name, &contact.surname, &contact.middlename,
                                &contact.organization, &contact.dateOfBirth, &contact.comment}) {
        add(*text);
    }
    for (const QStringList &list : contact.lists()) {
        add(ListEncoding::encode(list));
    }
    // Without groups the digest stays what it was before contacts had any.
    if (!contact.groups.isEmpty()) {
        add(ListEncoding::encode(sortedGroups(contact)));
    }
    hash.addData(photo);
    return hash.result().toHex();
}

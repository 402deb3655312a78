#include "sync/synccard.h"

#include "importexport/contactsfileparser.h"
#include "importexport/databaseimport.h"
#include "importexport/vcard.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include <QCryptographicHash>
#include <QVariant>

#include <algorithm>

namespace {

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
        return text.size() <= DatabaseImport::MaxFieldBytes;
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

} // namespace

QByteArray SyncCard::write(const Contact &contact, const QString &uid, const QByteArray &photo)
{
    // The card's UID is the one the server knows it by, not the local id.
    vCard card;
    for (const vCardProperty &property :
         contact.toVCard(QByteArray::fromBase64(photo)).properties()) {
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
    const QVariantList parsed = ContactsFileParser::parseVCardData(card, QStringLiteral("UTF-8"));
    std::unique_ptr<Contact> contact;
    for (const QVariant &value : parsed) {
        auto *record = value.value<Contact *>();
        if (!contact && record && !record->composedFullName().isEmpty()) {
            contact.reset(record);
        } else {
            delete record;
        }
    }
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
        add(SqliteDatabase::encodeList(list));
    }
    hash.addData(photo);
    return hash.result().toHex();
}

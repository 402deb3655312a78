#pragma once

#include "vcard/vcard.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The properties this program writes for the fields of a record: shared by
// the vCard export, which writes a whole card, and the card patch, which
// writes only the entries that changed.
namespace CardEntries {

// Adds the labelled entries of a record: those with a custom label as Google
// and Apple write them, itemN.PROPERTY and itemN.X-ABLabel, the closest types
// beside it for readers that ignore the label. Groups are numbered after
// usedItems, so that they never clash with the groups a card already has.
class LabelledEntries
{
public:
    explicit LabelledEntries(vCard *card, int usedItems = 0);

    void addPhones(const QStringList &phones, const QStringList &labels);
    void addEmails(const QStringList &emails, const QStringList &labels);
    // Each address as an ADR, the whole text as its street, for readers that
    // ignore LABEL (Google, Android), and as the LABEL beside it; the
    // importer reads the pair back as one address.
    void addAddresses(const QStringList &addresses, const QStringList &labels);

private:
    // readBack: the labels the importer gives by type alone; any other
    // label travels as X-ABLabel.
    void add(const vCardPropertyList &properties, const QString &label,
             const QStringList &readBack);

    vCard *m_card;
    int m_items;
};

// PHOTO;ENCODING=b;TYPE=PNG with the Base64 of the image (RFC 2426 3.1.4).
vCardProperty photo(const QByteArray &photo);
// The editor's dd.MM.yyyy as yyyy-MM-dd, a birthday without a year as
// Apple's address books write it, any other text as it is.
vCardProperty birthday(const QString &dateOfBirth);

} // namespace CardEntries

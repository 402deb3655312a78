#pragma once

#include "vcard/vcardproperty.h"
#include "vcard/vcardreader.h"
#include "vcard/vcardversion.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// One vCard: its properties in the order they were read or added.
class vCard
{
public:
    vCard() = default;
    vCard(const vCard &other) = default;
    vCard &operator=(const vCard &other) = default;
    explicit vCard(const vCardPropertyList &properties);
    virtual ~vCard() = default;

    const vCardPropertyList &properties() const { return m_properties; }
    void addProperty(const vCardProperty &property);
    void addProperty(vCardProperty &&property);
    void addProperties(const vCardPropertyList &properties);
    int count() const { return m_properties.size(); }
    void clear() { m_properties.clear(); }

    // True when some property has the same name and values.
    bool contains(const vCardProperty &property) const;
    // The first property with this name; with strict, its parameters must
    // also equal params element by element.
    bool contains(const QString &name, const vCardParameterList &params = vCardParameterList(),
                  bool strict = false) const;
    vCardProperty property(const QString &name,
                           const vCardParameterList &params = vCardParameterList(),
                           bool strict = false) const;
    bool isValid() const;

    // BEGIN, VERSION, the properties and END, joined by single line feeds.
    QByteArray toByteArray(vCardVersion version) const;
    // Writes the card as version 2.1; false when the file cannot be opened.
    bool saveToFile(const QString &fileName) const;

    // Every complete card (BEGIN:VCARD to END:VCARD) of the data, read as
    // vCardReader describes; values that are not valid UTF-8 and name no
    // charset keep the bytes that do not decode as U+FFFD. Property names come out in
    // upper case. A card that is cut off or interrupted by another
    // BEGIN:VCARD is dropped; the cards around it are still read.
    static QList<vCard> fromByteArray(const QByteArray &data);
    static QList<vCard> fromFile(const QString &fileName);
    // Hands each complete card of the data to onCard as soon as it is read,
    // so that large files need not be held as cards all at once.
    static void readCards(const QByteArray &data, vCardReader::Mode mode,
                          const QByteArray &fallbackCodec,
                          const std::function<void(const vCard &)> &onCard);
    // The cards that data left unfinished (cut off, or interrupted by
    // another BEGIN:VCARD): how many, and what the first one held.
    struct Unfinished;
    // The same, with the bytes of each card as the data holds them (from
    // its BEGIN line to its END line, valid until onCard returns), and the
    // cards dropped.
    static Unfinished
    readCardsWithText(const QByteArray &data, vCardReader::Mode mode,
                      const QByteArray &fallbackCodec,
                      const std::function<void(const vCard &, const QByteArray &)> &onCard);

private:
    vCardPropertyList m_properties;
};

struct vCard::Unfinished
{
    int count = 0;
    vCard first;
};

#include "vcard/vcard.h"

#include <QFile>

vCard::vCard(const vCardPropertyList &properties)
    : m_properties(properties)
{
}

void vCard::addProperty(const vCardProperty &property)
{
    m_properties.append(property);
}

void vCard::addProperty(vCardProperty &&property)
{
    m_properties.append(std::move(property));
}

void vCard::addProperties(const vCardPropertyList &properties)
{
    m_properties.append(properties);
}

bool vCard::contains(const vCardProperty &property) const
{
    return m_properties.contains(property);
}

bool vCard::contains(const QString &name, const vCardParameterList &params, bool strict) const
{
    for (const vCardProperty &candidate : m_properties) {
        if (candidate.name() == name && (!strict || candidate.params() == params)) {
            return true;
        }
    }
    return false;
}

vCardProperty vCard::property(const QString &name, const vCardParameterList &params,
                              bool strict) const
{
    for (const vCardProperty &candidate : m_properties) {
        if (candidate.name() == name && (!strict || candidate.params() == params)) {
            return candidate;
        }
    }
    return vCardProperty();
}

bool vCard::isValid() const
{
    if (m_properties.isEmpty()) {
        return false;
    }
    for (const vCardProperty &property : m_properties) {
        if (!property.isValid()) {
            return false;
        }
    }
    return true;
}

QByteArray vCard::toByteArray(vCardVersion version) const
{
    QByteArray versionText;
    if (version == vCardVersion::Version2_1) {
        versionText = "2.1";
    } else if (version == vCardVersion::Version3_0) {
        versionText = "3.0";
    } else {
        return QByteArray();
    }
    QByteArray result = "BEGIN:VCARD\n";
    result += vCardProperty(QStringLiteral("VERSION"), QString::fromLatin1(versionText))
                      .toByteArray(vCardVersion::Version2_1);
    result += '\n';
    for (const vCardProperty &property : m_properties) {
        result += property.toByteArray(version);
        result += '\n';
    }
    result += "END:VCARD";
    return result;
}

bool vCard::saveToFile(const QString &fileName) const
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    const QByteArray data = toByteArray(vCardVersion::Version2_1);
    const bool written = file.write(data) == data.size();
    file.close();
    return written;
}

QList<vCard> vCard::fromByteArray(const QByteArray &data)
{
    QList<vCard> cards;
    readCards(data, vCardReader::RawBytes, QByteArray(),
              [&cards](const vCard &card) { cards.append(card); });
    return cards;
}

QList<vCard> vCard::fromFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return QList<vCard>();
    }
    return fromByteArray(file.readAll());
}

void vCard::readCards(const QByteArray &data, vCardReader::Mode mode,
                      const QByteArray &fallbackCodec,
                      const std::function<void(const vCard &)> &onCard)
{
    readCardsWithText(data, mode, fallbackCodec,
                      [&onCard](const vCard &card, const QByteArray &) { onCard(card); });
}

vCard::Unfinished
vCard::readCardsWithText(const QByteArray &data, vCardReader::Mode mode,
                         const QByteArray &fallbackCodec,
                         const std::function<void(const vCard &, const QByteArray &)> &onCard)
{
    vCardReader reader(data, mode, fallbackCodec);
    vCardReader::Line line;
    vCard current;
    Unfinished unfinished;
    bool inCard = false;
    int before = 0;
    int begin = 0;
    const auto drop = [&unfinished, &current] {
        if (unfinished.count++ == 0) {
            unfinished.first = current;
        }
    };
    while (reader.next(&line)) {
        switch (line.kind) {
        case vCardReader::Line::Begin:
            // A BEGIN inside an open card: that card is broken and dropped.
            if (inCard) {
                drop();
            }
            current.clear();
            inCard = true;
            begin = data.indexOf("BEGIN", before);
            if (begin < 0 || begin > reader.position()) {
                begin = before;
            }
            break;
        case vCardReader::Line::End:
            if (inCard) {
                onCard(current, QByteArray::fromRawData(data.constData() + begin,
                                                        reader.position() - begin));
                current.clear();
                inCard = false;
            }
            break;
        case vCardReader::Line::Property:
            if (inCard) {
                current.addProperty(std::move(line.property));
            }
            break;
        }
        before = reader.position();
    }
    if (inCard) {
        drop();
    }
    return unfinished;
}

// Property lines without BEGIN/END, read by the card reader; defined here so that
// the property file does not depend on the reader.
vCardPropertyList vCardProperty::fromByteArray(const QByteArray &data)
{
    vCardPropertyList result;
    vCardReader reader(data, vCardReader::Utf8Text);
    vCardReader::Line line;
    while (reader.next(&line)) {
        if (line.kind == vCardReader::Line::Property) {
            result.append(line.property);
        }
    }
    return result;
}

#include "vcard/vcardproperty.h"

#include "vcard/vcardtext.h"

#include <QLocale>

namespace {

// Values that are links or binary data: written without escaping, since a
// backslash or an escaped comma would change them.
bool isVerbatimProperty(const QString &name, const vCardParameterList &params)
{
    static const QStringList verbatim{QStringLiteral("URL"),  QStringLiteral("PHOTO"),
                                      QStringLiteral("LOGO"), QStringLiteral("SOUND"),
                                      QStringLiteral("KEY"),  QStringLiteral("GEO")};
    if (verbatim.contains(name.toUpper())) {
        return true;
    }
    for (const vCardParameter &param : params) {
        if (param.group() == vCardParameter::Encoding
            || (param.group() == vCardParameter::Undefined
                && (param.value().compare(QLatin1String("VALUE=uri"), Qt::CaseInsensitive) == 0
                    || param.value().compare(QLatin1String("VALUE=url"), Qt::CaseInsensitive)
                               == 0))) {
            return true;
        }
    }
    return false;
}

// Folds a content line for version 3.0: no physical line longer than 75
// octets, each continuation starting with one blank. A fold never splits
// the bytes of one UTF-8 character.
QByteArray folded(const QByteArray &line)
{
    constexpr int MaxOctets = 75;
    if (line.size() <= MaxOctets) {
        return line;
    }
    QByteArray out;
    out.reserve(line.size() + line.size() / (MaxOctets - 1) * 2 + 2);
    int start = 0;
    int room = MaxOctets;
    while (line.size() - start > room) {
        int end = start + room;
        while (end > start + 1 && (uchar(line.at(end)) & 0xC0) == 0x80) {
            --end;
        }
        out.append(line.constData() + start, end - start);
        out.append("\n ", 2);
        start = end;
        room = MaxOctets - 1;
    }
    out.append(line.constData() + start, line.size() - start);
    return out;
}

bool needsQuotedPrintable(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80 || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            return true;
        }
    }
    return false;
}

// The components joined with the separator (";", "," for a text list):
// text escaped, links and data as they are but for their line breaks, which
// would end the content line and turn the rest into a line of its own.
QString valueText(const QStringList &values, bool verbatim, QChar separator)
{
    QString value;
    for (int i = 0; i < values.size(); ++i) {
        if (i > 0) {
            value += separator;
        }
        if (verbatim) {
            QString component = values.at(i);
            component.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
            component.replace(QLatin1Char('\r'), QLatin1String("\\n"));
            component.replace(QLatin1Char('\n'), QLatin1String("\\n"));
            value += component;
        } else {
            value += vCardText::escape(values.at(i));
        }
    }
    return value;
}

// The text that version 2.1 encodes as quoted-printable: components joined
// with the separator, backslashes and separators inside them escaped, line
// breaks as CRLF.
QString quotedPrintableSource(const QStringList &values, QChar separator)
{
    QString plain;
    for (int i = 0; i < values.size(); ++i) {
        if (i > 0) {
            plain += separator;
        }
        QString component = values.at(i);
        component.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        component.replace(QLatin1Char(';'), QLatin1String("\\;"));
        if (separator == QLatin1Char(',')) {
            component.replace(QLatin1Char(','), QLatin1String("\\,"));
        }
        component.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        component.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        plain += component;
    }
    return plain;
}

// A content line up to its parameters: the group, if any, and the name.
// Extension names keep the case their inventors gave them (X-ABLabel).
QByteArray lineStart(const QString &group, const QString &name)
{
    QByteArray line;
    if (!group.isEmpty()) {
        line = group.toUtf8() + '.';
    }
    line += name.startsWith(QLatin1String("X-"), Qt::CaseInsensitive) ? name.toUtf8()
                                                                      : name.toUtf8().toUpper();
    return line;
}

} // namespace

vCardProperty::vCardProperty(const QString &name, const QString &value,
                             const vCardParameterList &params)
    : m_name(name),
      m_values(value.split(QLatin1Char(';'))),
      m_params(params)
{
}

vCardProperty::vCardProperty(const QString &name, const QStringList &values,
                             const vCardParameterList &params)
    : m_name(name),
      m_values(values),
      m_params(params)
{
}

vCardProperty::vCardProperty(const QString &name, const QString &value, const QString &params)
    : vCardProperty(name, value, vCardParameter::fromByteArray(params.toUtf8()))
{
}

vCardProperty::vCardProperty(const QString &name, const QStringList &values, const QString &params)
    : vCardProperty(name, values, vCardParameter::fromByteArray(params.toUtf8()))
{
}

vCardProperty vCardProperty::base64Property(const QString &name, const QByteArray &base64,
                                            const vCardParameterList &params)
{
    vCardProperty property;
    property.m_name = name;
    property.m_base64 = base64.isNull() ? QByteArray("") : base64;
    property.m_params = params;
    return property;
}

bool vCardProperty::isValid() const
{
    if (m_name.isEmpty() || values().isEmpty()) {
        return false;
    }
    for (const vCardParameter &param : m_params) {
        if (!param.isValid()) {
            return false;
        }
    }
    return true;
}

bool vCardProperty::operator==(const vCardProperty &other) const
{
    return m_name == other.m_name && values() == other.values();
}

QByteArray vCardProperty::toByteArray(vCardVersion version) const
{
    if (version != vCardVersion::Version2_1 && version != vCardVersion::Version3_0) {
        return QByteArray();
    }
    const bool verbatim = isVerbatimProperty(m_name, m_params);
    const QChar separator = vCardText::isTextList(m_name) ? QLatin1Char(',') : QLatin1Char(';');
    const QString value = valueText(values(), verbatim, separator);

    vCardParameterList params = m_params;
    QByteArray valueBytes;
    if (version == vCardVersion::Version2_1 && !verbatim && needsQuotedPrintable(value)) {
        // Version 2.1 has no escape for a line break: such values and
        // non-ASCII text travel as quoted-printable UTF-8.
        params.append(vCardParameter(QStringLiteral("UTF-8"), vCardParameter::Charset));
        params.append(vCardParameter(QStringLiteral("QUOTED-PRINTABLE"), vCardParameter::Encoding));
        valueBytes = vCardText::encodeQuotedPrintable(
                quotedPrintableSource(values(), separator).toUtf8());
    } else {
        valueBytes = value.toUtf8();
    }

    QByteArray line = lineStart(m_group, m_name);
    const QByteArray paramText = vCardParameter::listToByteArray(params, version);
    if (!paramText.isEmpty()) {
        line += ';';
        line += paramText;
    }
    line += ':';
    line += valueBytes;
    return version == vCardVersion::Version3_0 ? folded(line) : line;
}

vCardProperty vCardProperty::nameProperty(const QString &givenName, const QString &familyName,
                                          const QString &additionalNames, const QString &prefix,
                                          const QString &suffix, const vCardParameterList &params)
{
    return vCardProperty(QStringLiteral("N"),
                         QStringList{familyName, givenName, additionalNames, prefix, suffix},
                         params);
}

vCardProperty vCardProperty::addressProperty(const QString &street, const QString &locality,
                                             const QString &region, const QString &postalCode,
                                             const QString &country, const QString &postOfficeBox,
                                             const QString &extendedAddress,
                                             const vCardParameterList &params)
{
    return vCardProperty(QStringLiteral("ADR"),
                         QStringList{postOfficeBox, extendedAddress, street, locality, region,
                                     postalCode, country},
                         params);
}

vCardProperty vCardProperty::organizationProperty(const QString &name, const QStringList &units,
                                                  const vCardParameterList &params)
{
    return vCardProperty(QStringLiteral("ORG"), QStringList{name} + units, params);
}

vCardProperty vCardProperty::geoProperty(double latitude, double longitude,
                                         const vCardParameterList &params)
{
    return vCardProperty(
            QStringLiteral("GEO"),
            QStringList{QString::number(latitude, 'g', QLocale::FloatingPointShortest),
                        QString::number(longitude, 'g', QLocale::FloatingPointShortest)},
            params);
}

vCardProperty vCardProperty::birthdayProperty(const QDate &date, const vCardParameterList &params)
{
    return vCardProperty(QStringLiteral("BDAY"),
                         QStringList{date.toString(QStringLiteral("yyyy-MM-dd"))}, params);
}

vCardProperty vCardProperty::birthdayProperty(const QDateTime &dateTime,
                                              const vCardParameterList &params)
{
    return vCardProperty(QStringLiteral("BDAY"),
                         QStringList{dateTime.toString(QStringLiteral("yyyy-MM-dd'T'hh:mm:ss'Z'"))},
                         params);
}

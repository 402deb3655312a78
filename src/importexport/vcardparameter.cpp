#include "vcardparameter.h"

#include "vcardtext.h"

#include <QStringList>

namespace {

bool isKnownVersion(vCardVersion version)
{
    return version == vCardVersion::Version2_1 || version == vCardVersion::Version3_0;
}

// Bare encoding words of version 2.1 (RFC 2425 names them as ENCODING values).
bool isBareEncoding(const QString &word)
{
    return word.compare(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive) == 0
           || word.compare(QLatin1String("BASE64"), Qt::CaseInsensitive) == 0
           || word.compare(QLatin1String("8BIT"), Qt::CaseInsensitive) == 0
           || word.compare(QLatin1String("7BIT"), Qt::CaseInsensitive) == 0;
}

} // namespace

vCardParameter::vCardParameter(const QString &value, Group group)
    : m_group(group)
    , m_value(value)
{
}

bool vCardParameter::operator==(const vCardParameter &other) const
{
    return m_group == other.m_group && m_value == other.m_value;
}

QByteArray vCardParameter::toByteArray(vCardVersion version) const
{
    if (!isKnownVersion(version)) {
        return QByteArray();
    }
    QString text;
    switch (m_group) {
    case Type:
        text = version == vCardVersion::Version2_1
                       ? m_value
                       : QStringLiteral("%1=%2").arg(QStringLiteral("TYPE"), m_value);
        break;
    case Encoding:
        text = QStringLiteral("%1=%2").arg(QStringLiteral("ENCODING"), m_value);
        break;
    case Charset:
        text = QStringLiteral("%1=%2").arg(QStringLiteral("CHARSET"), m_value);
        break;
    case Undefined:
        text = m_value;
        break;
    }
    return text.toUtf8().toUpper();
}

QByteArray vCardParameter::listToByteArray(const QList<vCardParameter> &params,
                                           vCardVersion version)
{
    if (!isKnownVersion(version)) {
        return QByteArray();
    }
    QList<QByteArray> entries;
    if (version == vCardVersion::Version2_1) {
        for (const vCardParameter &param : params) {
            entries.append(param.toByteArray(vCardVersion::Version2_1));
        }
    } else {
        QList<QByteArray> types, undefined, charsets, encodings;
        for (const vCardParameter &param : params) {
            const QByteArray text = param.toByteArray(vCardVersion::Version2_1);
            switch (param.group()) {
            case Type:
                types.append(text);
                break;
            case Undefined:
                undefined.append(text);
                break;
            case Charset:
                charsets.append(text);
                break;
            case Encoding:
                encodings.append(text);
                break;
            }
        }
        if (!types.isEmpty()) {
            QByteArray joined;
            for (const QByteArray &type : qAsConst(types)) {
                if (!joined.isEmpty()) {
                    joined += ',';
                }
                joined += type;
            }
            entries.append("TYPE=" + joined);
        }
        entries += undefined;
        entries += charsets;
        entries += encodings;
    }
    QByteArray result;
    for (const QByteArray &entry : qAsConst(entries)) {
        if (!result.isEmpty()) {
            result += ';';
        }
        result += entry;
    }
    return result.toUpper();
}

QList<vCardParameter> vCardParameter::fromByteArray(const QByteArray &data)
{
    QList<vCardParameter> result;
    const QString text = QString::fromUtf8(data);
    const QStringList parts = vCardText::splitOutsideQuotes(text, QLatin1Char(';'));
    for (const QString &rawPart : parts) {
        const QString part = rawPart.trimmed();
        if (part.isEmpty()) {
            continue;
        }
        const int equals = part.indexOf(QLatin1Char('='));
        if (equals < 0) {
            if (isBareEncoding(part)) {
                result.append(vCardParameter(part, Encoding));
            } else {
                result.append(vCardParameter(part, Undefined));
            }
            continue;
        }
        const QString name = part.left(equals).trimmed().toUpper();
        const QString value = part.mid(equals + 1).trimmed();
        if (name == QLatin1String("TYPE")) {
            // TYPE=work,voice and TYPE="work,voice" both give two types.
            QString unquoted = value;
            unquoted.remove(QLatin1Char('"'));
            const QStringList types = unquoted.split(QLatin1Char(','));
            for (const QString &type : types) {
                const QString trimmed = type.trimmed();
                if (!trimmed.isEmpty()) {
                    result.append(vCardParameter(trimmed, Type));
                }
            }
        } else if (name == QLatin1String("ENCODING")) {
            const QString unquoted = vCardText::unquote(value);
            if (!unquoted.isEmpty()) {
                result.append(vCardParameter(unquoted, Encoding));
            }
        } else if (name == QLatin1String("CHARSET")) {
            const QString unquoted = vCardText::unquote(value);
            if (!unquoted.isEmpty()) {
                result.append(vCardParameter(unquoted, Charset));
            }
        } else {
            result.append(vCardParameter(name + QLatin1Char('=') + vCardText::unquote(value),
                                         Undefined));
        }
    }
    return result;
}

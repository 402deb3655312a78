#include "vcard/vcardparameter.h"

#include "vcard/vcardtext.h"

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

bool isBase64(const QString &encoding)
{
    return encoding.compare(QLatin1String("B"), Qt::CaseInsensitive) == 0
           || encoding.compare(QLatin1String("BASE64"), Qt::CaseInsensitive) == 0;
}

} // namespace

vCardParameter::vCardParameter(const QString &value, Group group)
    : m_group(group),
      m_value(value)
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

QByteArray vCardParameter::listToByteArray(const vCardParameterList &params, vCardVersion version)
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
        // Encodings first, as RFC 2426 writes them (ENCODING=b;TYPE=JPEG);
        // version 3.0 knows only "b" for Base64 (5.2), written as such.
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
                encodings.append(isBase64(param.value()) ? QByteArray("ENCODING=b") : text);
                break;
            }
        }
        entries += encodings;
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
    }
    // Every entry is upper case already (toByteArray), but for the "b".
    QByteArray result;
    for (const QByteArray &entry : qAsConst(entries)) {
        if (!result.isEmpty()) {
            result += ';';
        }
        result += entry;
    }
    return result;
}

vCardParameterList vCardParameter::fromByteArray(const QByteArray &data)
{
    vCardParameterList result;
    const char *bytes = data.constData();
    const int size = data.size();
    int start = 0;
    while (start <= size) {
        // One part runs to the next semicolon outside double quotes.
        int end = start;
        bool quoted = false;
        while (end < size && (quoted || bytes[end] != ';')) {
            if (bytes[end] == '"') {
                quoted = !quoted;
            }
            ++end;
        }
        const QByteArray part = QByteArray(bytes + start, end - start).trimmed();
        start = end + 1;
        if (part.isEmpty()) {
            continue;
        }
        const int equals = part.indexOf('=');
        if (equals < 0) {
            const QString word = QString::fromUtf8(part);
            result.append(vCardParameter(word, isBareEncoding(word) ? Encoding : Undefined));
            continue;
        }
        const QByteArray name = part.left(equals).trimmed().toUpper();
        QByteArray value = part.mid(equals + 1).trimmed();
        if (name == "TYPE") {
            // TYPE=work,voice and TYPE="work,voice" both give two types.
            value.replace('"', QByteArray());
            for (const QByteArray &type : value.split(',')) {
                const QByteArray trimmed = type.trimmed();
                if (!trimmed.isEmpty()) {
                    result.append(vCardParameter(QString::fromUtf8(trimmed), Type));
                }
            }
            continue;
        }
        const QString text = vCardText::unquote(QString::fromUtf8(value));
        if (name == "ENCODING" || name == "CHARSET") {
            if (!text.isEmpty()) {
                result.append(vCardParameter(text, name == "ENCODING" ? Encoding : Charset));
            }
        } else {
            result.append(
                    vCardParameter(QString::fromUtf8(name) + QLatin1Char('=') + text, Undefined));
        }
    }
    return result;
}

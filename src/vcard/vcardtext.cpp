#include "vcard/vcardtext.h"

namespace vCardText {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Appends the character that the escape "\" + c stands for.
void appendUnescaped(QString &out, QChar c)
{
    switch (c.unicode()) {
    case 'n':
    case 'N':
        out += QLatin1Char('\n');
        break;
    case ',':
    case ';':
    case ':':
    case '"':
    case '\\':
        out += c;
        break;
    default:
        out += QLatin1Char('\\');
        out += c;
        break;
    }
}

} // namespace

QString unquote(const QString &text)
{
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"'))) {
        return text.mid(1, text.size() - 2);
    }
    return text;
}

QStringList splitComponents(const QString &value)
{
    const int size = value.size();
    const QChar *data = value.constData();
    bool escaped = false;
    bool separated = false;
    for (int i = 0; i < size; ++i) {
        if (data[i] == QLatin1Char('\\')) {
            escaped = true;
            break;
        }
        separated = separated || data[i] == QLatin1Char(';');
    }
    // Fast paths: nothing escaped.
    if (!escaped) {
        return separated ? value.split(QLatin1Char(';')) : QStringList{value};
    }
    QStringList components;
    QString current;
    current.reserve(size);
    for (int i = 0; i < size; ++i) {
        const QChar c = data[i];
        if (c == QLatin1Char('\\') && i + 1 < size) {
            appendUnescaped(current, data[++i]);
        } else if (c == QLatin1Char(';')) {
            components.append(current);
            current.clear();
        } else {
            current += c;
        }
    }
    components.append(current);
    return components;
}

QString escape(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\r':
            // CR LF and a lone CR are both one line break.
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
                ++i;
            }
            out += QLatin1String("\\n");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case ',':
            out += QLatin1String("\\,");
            break;
        case ';':
            out += QLatin1String("\\;");
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

QByteArray decodeQuotedPrintable(const QByteArray &data)
{
    QByteArray out;
    out.reserve(data.size());
    const int size = data.size();
    for (int i = 0; i < size; ++i) {
        const char c = data.at(i);
        if (c != '=') {
            out += c;
            continue;
        }
        if (i + 2 < size && hexValue(data.at(i + 1)) >= 0 && hexValue(data.at(i + 2)) >= 0) {
            out += char(hexValue(data.at(i + 1)) * 16 + hexValue(data.at(i + 2)));
            i += 2;
        } else if (i + 1 == size) {
            // A soft break at the very end of the value.
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray encodeQuotedPrintable(const QByteArray &data)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(data.size() * 3);
    for (const char c : data) {
        const uchar u = uchar(c);
        if (u >= 33 && u <= 126 && u != '=') {
            out += c;
        } else {
            out += '=';
            out += hex[u >> 4];
            out += hex[u & 15];
        }
    }
    return out;
}

} // namespace vCardText

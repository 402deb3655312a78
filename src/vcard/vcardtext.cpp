#include "vcard/vcardtext.h"

#include <algorithm>

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

// Writes the character or characters that the escape "\" + c stands for;
// returns the position after them.
QChar *writeUnescaped(QChar *out, QChar c)
{
    switch (c.unicode()) {
    case 'n':
    case 'N':
        *out++ = QLatin1Char('\n');
        break;
    case ',':
    case ';':
    case ':':
    case '"':
    case '\\':
        *out++ = c;
        break;
    default:
        *out++ = QLatin1Char('\\');
        *out++ = c;
        break;
    }
    return out;
}

// The component from begin to end with its escapes resolved.
QString unescapedComponent(const QChar *begin, const QChar *end)
{
    QString component(int(end - begin), Qt::Uninitialized);
    QChar *start = component.data();
    QChar *out = start;
    for (const QChar *at = begin; at < end; ++at) {
        if (*at == QLatin1Char('\\') && at + 1 < end) {
            out = writeUnescaped(out, *++at);
        } else {
            *out++ = *at;
        }
    }
    component.truncate(int(out - start));
    return component;
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
    const QChar *begin = value.constData();
    const QChar *end = begin + value.size();
    // Values are short: one pass finds the first semicolon or backslash.
    const QChar *special = std::find_if(begin, end, [](QChar c) {
        return c == QLatin1Char(';') || c == QLatin1Char('\\');
    });
    if (special == end) {
        // One plain component: the value itself, not a copy.
        return QStringList{value};
    }
    QStringList components;
    // Escaped semicolons count too: room for a component more is harmless.
    components.reserve(int(std::count(special, end, QLatin1Char(';'))) + 1);
    const QChar *start = begin;
    for (;;) {
        // A component runs to the next semicolon that no backslash escapes.
        const QChar *at = start;
        bool escaped = false;
        while (at < end && *at != QLatin1Char(';')) {
            if (*at == QLatin1Char('\\') && at + 1 < end) {
                escaped = true;
                ++at;
            }
            ++at;
        }
        if (escaped) {
            components.append(unescapedComponent(start, at));
        } else {
            components.append(QString(start, int(at - start)));
        }
        if (at == end) {
            return components;
        }
        start = at + 1;
    }
}

bool isTextList(const QString &name)
{
    // Most names are of another length: told apart without a comparison.
    return name.size() == 10 && name.compare(QLatin1String("CATEGORIES"), Qt::CaseInsensitive) == 0;
}

QStringList splitList(const QString &value)
{
    QStringList texts;
    const QChar *end = value.constData() + value.size();
    const QChar *start = value.constData();
    for (const QChar *at = start;; ++at) {
        if (at < end && *at == QLatin1Char('\\') && at + 1 < end) {
            ++at;
        } else if (at == end || *at == QLatin1Char(',') || *at == QLatin1Char(';')) {
            texts.append(unescapedComponent(start, at));
            if (at == end) {
                return texts;
            }
            start = at + 1;
        }
    }
}

QString escape(const QString &text)
{
    // Most values hold nothing to escape: they are shared, not copied.
    const bool plain = std::none_of(text.cbegin(), text.cend(), [](QChar c) {
        const ushort u = c.unicode();
        return u == '\\' || u == '\r' || u == '\n' || u == ',' || u == ';';
    });
    if (plain) {
        return text;
    }
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

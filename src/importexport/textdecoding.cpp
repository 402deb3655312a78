#include "importexport/textdecoding.h"

#include <QTextCodec>

namespace TextDecoding {

namespace {

const char *codecNameFor(Unicode unicode)
{
    switch (unicode) {
    case Unicode::Utf8:
        return "UTF-8";
    case Unicode::Utf16LE:
        return "UTF-16LE";
    case Unicode::Utf16BE:
        return "UTF-16BE";
    case Unicode::Utf32LE:
        return "UTF-32LE";
    case Unicode::Utf32BE:
        return "UTF-32BE";
    case Unicode::None:
        break;
    }
    return nullptr;
}

} // namespace

Unicode byteOrderMark(const QByteArray &data, int *markLength)
{
    struct Mark
    {
        const char *bytes;
        int length;
        Unicode unicode;
    };
    // UTF-32 LE must be tested before UTF-16 LE: its mark begins with the same bytes.
    static const Mark marks[] = {
            {"\x00\x00\xFE\xFF", 4, Unicode::Utf32BE}, {"\xFF\xFE\x00\x00", 4, Unicode::Utf32LE},
            {"\xEF\xBB\xBF", 3, Unicode::Utf8},        {"\xFE\xFF", 2, Unicode::Utf16BE},
            {"\xFF\xFE", 2, Unicode::Utf16LE},
    };
    for (const Mark &mark : marks) {
        if (data.startsWith(QByteArray::fromRawData(mark.bytes, mark.length))) {
            if (markLength) {
                *markLength = mark.length;
            }
            return mark.unicode;
        }
    }
    if (markLength) {
        *markLength = 0;
    }
    return Unicode::None;
}

Unicode guessUtf16(const QByteArray &data)
{
    const int sample = qMin(data.size() & ~1, 512);
    if (sample < 4) {
        return Unicode::None;
    }
    int evenNuls = 0;
    int oddNuls = 0;
    for (int i = 0; i < sample; i += 2) {
        evenNuls += data.at(i) == '\0';
        oddNuls += data.at(i + 1) == '\0';
    }
    const int pairs = sample / 2;
    if (oddNuls * 10 >= pairs * 7 && evenNuls * 10 < pairs) {
        return Unicode::Utf16LE;
    }
    if (evenNuls * 10 >= pairs * 7 && oddNuls * 10 < pairs) {
        return Unicode::Utf16BE;
    }
    return Unicode::None;
}

// Strict UTF-8 (RFC 3629): no overlong forms, no surrogates, nothing above
// U+10FFFF, no sequence cut off at the end.
bool isValidUtf8(const QByteArray &data)
{
    const uchar *p = reinterpret_cast<const uchar *>(data.constData());
    const uchar *end = p + data.size();
    while (p < end) {
        const uchar c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        uint code = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (end - p < length) {
            return false;
        }
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (p[i] & 0x3F);
        }
        if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF)))
            || (length == 4 && (code < 0x10000 || code > 0x10FFFF))) {
            return false;
        }
        p += length;
    }
    return true;
}

QTextCodec *codecForName(const QString &name)
{
    const QByteArray key = name.trimmed().toLatin1();
    if (key.isEmpty()) {
        return nullptr;
    }
    if (QTextCodec *codec = QTextCodec::codecForName(key)) {
        return codec;
    }
    // ASCII is a subset of UTF-8; Qt has no codec of its own for it.
    if (key.compare("US-ASCII", Qt::CaseInsensitive) == 0
        || key.compare("ASCII", Qt::CaseInsensitive) == 0) {
        return utf8Codec();
    }
    return nullptr;
}

QTextCodec *codecOrUtf8(const QString &name)
{
    QTextCodec *codec = codecForName(name);
    return codec ? codec : utf8Codec();
}

QTextCodec *utf8Codec()
{
    return QTextCodec::codecForMib(106);
}

QString decode(const QByteArray &data, const QString &codecName)
{
    int markLength = 0;
    Unicode unicode = byteOrderMark(data, &markLength);
    if (unicode == Unicode::None) {
        unicode = guessUtf16(data);
    }
    QTextCodec *codec = unicode != Unicode::None ? codecOrUtf8(QLatin1String(codecNameFor(unicode)))
                                                 : codecOrUtf8(codecName);
    return codec->toUnicode(data.constData() + markLength, data.size() - markLength);
}

} // namespace TextDecoding

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

bool isValidUtf8(const QByteArray &data)
{
    QTextCodec::ConverterState state;
    QTextCodec::codecForMib(106)->toUnicode(data.constData(), data.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

QString decode(const QByteArray &data, const QString &codecName)
{
    int markLength = 0;
    Unicode unicode = byteOrderMark(data, &markLength);
    if (unicode == Unicode::None) {
        unicode = guessUtf16(data);
    }
    QTextCodec *codec = nullptr;
    if (unicode != Unicode::None) {
        codec = QTextCodec::codecForName(codecNameFor(unicode));
    } else {
        codec = QTextCodec::codecForName(codecName.toUtf8());
    }
    if (!codec) {
        codec = QTextCodec::codecForMib(106);
    }
    return codec->toUnicode(data.constData() + markLength, data.size() - markLength);
}

} // namespace TextDecoding

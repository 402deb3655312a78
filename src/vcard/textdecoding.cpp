#include "vcard/textdecoding.h"

#include <QCoreApplication>
#include <QTextCodec>

#include <unicode/ucsdet.h>

#include <algorithm>
#include <cstring>
#include <memory>

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

// The lines of data that hold bytes outside ASCII, up to a sample size: the
// detection weighs letter sequences, and lines of ASCII only (headers, e-mail
// addresses, phone numbers, photos) would dilute the letters it tells by.
QByteArray detectionSample(const QByteArray &data)
{
    const int maxSample = 16 * 1024;
    QByteArray sample;
    int pos = 0;
    while (pos < data.size() && sample.size() < maxSample) {
        int end = data.indexOf('\n', pos);
        end = end < 0 ? data.size() : end + 1;
        for (int i = pos; i < end; ++i) {
            if (uchar(data.at(i)) >= 0x80) {
                sample.append(data.constData() + pos, qMin(end - pos, maxSample));
                break;
            }
        }
        pos = end;
    }
    return sample;
}

bool isUnicodeName(const QByteArray &name)
{
    return name.startsWith("UTF-");
}

struct DetectorCloser
{
    void operator()(UCharsetDetector *detector) const { ucsdet_close(detector); }
};

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

namespace {

// UTF-16 without a mark: in ASCII-heavy text every other byte is a NUL.
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

} // namespace

Unicode unicodeOf(const QByteArray &data, int *markLength)
{
    const Unicode marked = byteOrderMark(data, markLength);
    return marked != Unicode::None ? marked : guessUtf16(data);
}

// Strict UTF-8 (RFC 3629): no overlong forms, no surrogates, nothing above
// U+10FFFF, no sequence cut off at the end.
bool isValidUtf8(const QByteArray &data)
{
    return isValidUtf8(data.constData(), data.size());
}

namespace {

// The length of the valid UTF-8 sequence that starts with a non-ASCII byte
// at p, 0 when it is not one. The second byte's range excludes overlong
// forms (E0, F0), surrogates (ED) and code points above U+10FFFF (F4).
int sequenceLength(const uchar *p, const uchar *end)
{
    const uchar c = *p;
    const auto follows = [p, end](int i, uchar low, uchar high) {
        return end - p > i && p[i] >= low && p[i] <= high;
    };
    if (c >= 0xC2 && c <= 0xDF) {
        return follows(1, 0x80, 0xBF) ? 2 : 0;
    }
    if (c >= 0xE0 && c <= 0xEF) {
        const uchar low = c == 0xE0 ? 0xA0 : 0x80;
        const uchar high = c == 0xED ? 0x9F : 0xBF;
        return follows(1, low, high) && follows(2, 0x80, 0xBF) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        const uchar low = c == 0xF0 ? 0x90 : 0x80;
        const uchar high = c == 0xF4 ? 0x8F : 0xBF;
        return follows(1, low, high) && follows(2, 0x80, 0xBF) && follows(3, 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

// Whether the words * 8 bytes at p are all ASCII.
bool asciiWords(const uchar *p, int words)
{
    quint64 bits = 0;
    for (int i = 0; i < words; ++i) {
        quint64 word;
        std::memcpy(&word, p + 8 * i, 8);
        bits |= word;
    }
    return (bits & 0x8080808080808080ULL) == 0;
}

} // namespace

bool isAscii(const char *data, int size)
{
    const auto *p = reinterpret_cast<const uchar *>(data);
    const auto *end = p + size;
    for (; end - p >= 8; p += 8) {
        if (!asciiWords(p, 1)) {
            return false;
        }
    }
    return std::all_of(p, end, [](uchar c) { return c < 0x80; });
}

bool isValidUtf8(const char *data, int size)
{
    const uchar *p = reinterpret_cast<const uchar *>(data);
    const uchar *end = p + size;
    while (p < end) {
        // Most text is ASCII: 32 bytes at a time while none has its top bit.
        if (end - p >= 32 && asciiWords(p, 4)) {
            p += 32;
            continue;
        }
        // Else the next eight bytes (or the last few), one by one unless
        // they are ASCII.
        const uchar *stop = end - p > 8 ? p + 8 : end;
        if (stop - p == 8 && asciiWords(p, 1)) {
            p = stop;
            continue;
        }
        while (p < stop) {
            if (*p < 0x80) {
                ++p;
                continue;
            }
            const int length = sequenceLength(p, end);
            if (length == 0) {
                return false;
            }
            p += length;
        }
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
    return decodeIn(data, encodingOf(data, codecName, false));
}

QString decodeIn(const QByteArray &data, const QString &encoding)
{
    int markLength = 0;
    byteOrderMark(data, &markLength);
    return codecOrUtf8(encoding)->toUnicode(data.constData() + markLength,
                                            data.size() - markLength);
}

QString encodingOf(const QByteArray &data, const QString &codecName, bool detect)
{
    const Unicode unicode = unicodeOf(data);
    if (unicode != Unicode::None) {
        return QLatin1String(codecNameFor(unicode));
    }
    if (isValidUtf8(data)) {
        return QStringLiteral("UTF-8");
    }
    // Lines that end in carriage returns only are the classic Mac OS's, and
    // so is the 8-bit encoding of such a file (Excel for Mac writes its CSV
    // files so): a statistical guess takes Mac Roman letters for Windows
    // ones ("MŸller").
    if (detect && data.contains('\r') && !data.contains('\n')) {
        return QStringLiteral("Apple Roman");
    }
    if (detect) {
        const QString detected = detectedCodecName(data);
        if (!detected.isEmpty()) {
            return detected;
        }
    }
    return codecName;
}

// ICU lists its guesses best first; the UTF-16 and UTF-32 ones are what it
// says for any text without evidence, and Unicode files were told apart
// before. The first other guess counts when it is confident and Qt has a
// codec for it.
QString detectedCodecName(const QByteArray &data)
{
    const QByteArray sample = detectionSample(data);
    if (sample.isEmpty()) {
        return QString();
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCharsetDetector, DetectorCloser> detector(ucsdet_open(&status));
    ucsdet_setText(detector.get(), sample.constData(), sample.size(), &status);
    int32_t count = 0;
    const UCharsetMatch **matches = ucsdet_detectAll(detector.get(), &count, &status);
    if (U_FAILURE(status)) {
        return QString();
    }
    for (int i = 0; i < count; ++i) {
        const QByteArray name = ucsdet_getName(matches[i], &status);
        if (U_FAILURE(status) || isUnicodeName(name)) {
            continue;
        }
        if (ucsdet_getConfidence(matches[i], &status) < MinDetectionConfidence
            || !codecForName(QLatin1String(name))) {
            return QString();
        }
        return QLatin1String(name);
    }
    return QString();
}

QList<OfferedCodec> offeredCodecs()
{
    // The first is the form's default.
    return {
            {"Windows-1251", QT_TRANSLATE_NOOP("TextDecoding", "Cyrillic (Windows-1251)")},
            {"UTF-8", QT_TRANSLATE_NOOP("TextDecoding", "Unicode (UTF-8)")},
            {"UTF-16", QT_TRANSLATE_NOOP("TextDecoding", "Unicode (UTF-16)")},
            {"UTF-32", QT_TRANSLATE_NOOP("TextDecoding", "Unicode (UTF-32)")},
            {"Windows-1252", QT_TRANSLATE_NOOP("TextDecoding", "Western European (Windows-1252)")},
            {"ISO-8859-1", QT_TRANSLATE_NOOP("TextDecoding", "Western European (ISO-8859-1)")},
            {"ISO-8859-15", QT_TRANSLATE_NOOP("TextDecoding", "Western European (ISO-8859-15)")},
            {"Windows-1250", QT_TRANSLATE_NOOP("TextDecoding", "Central European (Windows-1250)")},
            {"ISO-8859-2", QT_TRANSLATE_NOOP("TextDecoding", "Central European (ISO-8859-2)")},
            {"KOI8-R", QT_TRANSLATE_NOOP("TextDecoding", "Cyrillic (KOI8-R)")},
            {"KOI8-U", QT_TRANSLATE_NOOP("TextDecoding", "Ukrainian (KOI8-U)")},
            {"IBM866", QT_TRANSLATE_NOOP("TextDecoding", "Cyrillic DOS (IBM866)")},
            {"Windows-1253", QT_TRANSLATE_NOOP("TextDecoding", "Greek (Windows-1253)")},
            {"Windows-1254", QT_TRANSLATE_NOOP("TextDecoding", "Turkish (Windows-1254)")},
            {"Windows-1257", QT_TRANSLATE_NOOP("TextDecoding", "Baltic (Windows-1257)")},
            {"Shift_JIS", QT_TRANSLATE_NOOP("TextDecoding", "Japanese (Shift_JIS)")},
            {"EUC-JP", QT_TRANSLATE_NOOP("TextDecoding", "Japanese (EUC-JP)")},
            {"GB18030", QT_TRANSLATE_NOOP("TextDecoding", "Chinese Simplified (GB18030)")},
            {"Big5", QT_TRANSLATE_NOOP("TextDecoding", "Chinese Traditional (Big5)")},
            {"EUC-KR", QT_TRANSLATE_NOOP("TextDecoding", "Korean (EUC-KR)")},
            {"Apple Roman", QT_TRANSLATE_NOOP("TextDecoding", "Western European (Mac Roman)")},
    };
}

QString offeredCodecName(const QString &encoding)
{
    for (const char *unicode : {"UTF-16", "UTF-32"}) {
        if (encoding.startsWith(QLatin1String(unicode), Qt::CaseInsensitive)) {
            return QLatin1String(unicode);
        }
    }
    const QTextCodec *codec = codecForName(encoding);
    if (codec) {
        for (const OfferedCodec &offered : offeredCodecs()) {
            if (codecForName(QLatin1String(offered.name)) == codec) {
                return QLatin1String(offered.name);
            }
        }
    }
    return encoding;
}

} // namespace TextDecoding

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QTextCodec;

// Turning the bytes of an import file into text.
namespace TextDecoding {

enum class Unicode { None, Utf8, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

// The encoding named by a byte-order mark at the start of data, or None.
Unicode byteOrderMark(const QByteArray &data, int *markLength = nullptr);
// The Unicode form of data: its byte-order mark's, else UTF-16 when the
// bytes alternate with NULs (ASCII-heavy text without a mark), else None.
Unicode unicodeOf(const QByteArray &data, int *markLength = nullptr);
// UTF-16 or UTF-32: text that is decoded whole before it is read.
inline bool isWide(Unicode unicode)
{
    return unicode != Unicode::None && unicode != Unicode::Utf8;
}
// True when the bytes are valid UTF-8 (plain ASCII included).
bool isValidUtf8(const QByteArray &data);
bool isValidUtf8(const char *data, int size);
// True when no byte has its top bit set.
bool isAscii(const char *data, int size);
// The codec of a name as a user or a file gives it (any letter case;
// "ASCII" and "US-ASCII" read as UTF-8), or null when there is none.
QTextCodec *codecForName(const QString &name);
// codecForName(), with UTF-8 for an empty or unknown name.
QTextCodec *codecOrUtf8(const QString &name);
QTextCodec *utf8Codec();
// Decodes data: a byte-order mark (or unmarked UTF-16) decides the encoding
// whatever codec was chosen and is never part of the text; else bytes that
// are valid UTF-8 are UTF-8; otherwise the named codec (UTF-8 when unknown).
QString decode(const QByteArray &data, const QString &codecName);
// Decodes data in the named encoding (as encodingOf gives it), without a mark.
QString decodeIn(const QByteArray &data, const QString &encoding);
// The name of the encoding decode() reads data in; with detect, bytes that
// are neither marked nor valid UTF-8 take Mac Roman when their lines end in
// carriage returns only (a classic Mac OS file), else the confidently
// detected 8-bit encoding (detectedCodecName), before the named codec.
QString encodingOf(const QByteArray &data, const QString &codecName, bool detect);
// The 8-bit or East Asian encoding that ICU's charset detection finds for
// data with enough confidence, as a name codecForName() knows; else empty.
QString detectedCodecName(const QByteArray &data);
// The detection's answer is taken from this confidence (0 to 100) up.
constexpr int MinDetectionConfidence = 20;

// One encoding the import form offers: its codec name and the name a person
// knows it by (translated in the context "TextDecoding").
struct OfferedCodec
{
    const char *name;
    const char *label;
};
QList<OfferedCodec> offeredCodecs();
// The offered codec name that reads text like the named encoding (the
// UTF-16 and UTF-32 byte orders are one entry each); else the name itself.
QString offeredCodecName(const QString &encoding);

} // namespace TextDecoding

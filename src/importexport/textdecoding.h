#pragma once

#include <QByteArray>
#include <QString>

class QTextCodec;

// Turning the bytes of an import file into text.
namespace TextDecoding {

enum class Unicode { None, Utf8, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

// The encoding named by a byte-order mark at the start of data, or None.
Unicode byteOrderMark(const QByteArray &data, int *markLength = nullptr);
// UTF-16 without a mark: the bytes alternate with NULs (ASCII-heavy text).
Unicode guessUtf16(const QByteArray &data);
// True when the bytes are valid UTF-8 (plain ASCII included).
bool isValidUtf8(const QByteArray &data);
// The codec of a name as a user or a file gives it (any letter case;
// "ASCII" and "US-ASCII" read as UTF-8), or null when there is none.
QTextCodec *codecForName(const QString &name);
// codecForName(), with UTF-8 for an empty or unknown name.
QTextCodec *codecOrUtf8(const QString &name);
QTextCodec *utf8Codec();
// Decodes data: a byte-order mark (or unmarked UTF-16) decides the encoding
// whatever codec was chosen and is never part of the text; otherwise the
// named codec (UTF-8 when the name is unknown).
QString decode(const QByteArray &data, const QString &codecName);

} // namespace TextDecoding

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Text rules of vCard values: escaping (RFC 2426 5.8.4, RFC 6350 3.4),
// component splitting and quoted-printable (RFC 2045 6.7).
namespace vCardText {

// Whether a property name (in upper case, as the reader gives it) is this
// word. Names are compared on every line: a name of another length or first
// letter is told apart without a call.
template<int N>
bool isName(const QString &name, const char (&word)[N])
{
    return name.size() == N - 1 && name.at(0) == QLatin1Char(word[0])
           && name == QLatin1String(word, N - 1);
}

// The text without one pair of surrounding double quotes.
QString unquote(const QString &text);
// Splits a value at the semicolons that are not escaped and unescapes each
// component: \n and \N give a line feed; \, \; \: \" and \\ the character
// after the backslash; any other backslash stays as it is.
QStringList splitComponents(const QString &value);
// Whether the property's value is a list of texts (CATEGORIES, RFC 6350
// 6.7.1): its values are the texts, written separated by commas.
bool isTextList(const QString &name);
// Splits a text-list value at the commas that are not escaped, and at the
// semicolons that some writers separate them with, unescaping each text:
// "a\,b,c" gives "a,b" and "c".
QStringList splitList(const QString &value);
// Escapes one component for writing: backslash, line break, comma, semicolon.
QString escape(const QString &text);
// Decodes quoted-printable text whose soft line breaks are already removed;
// an "=" that does not start a hex pair is kept, a final lone "=" dropped.
QByteArray decodeQuotedPrintable(const QByteArray &data);
// Encodes bytes as one quoted-printable run (no line breaks).
QByteArray encodeQuotedPrintable(const QByteArray &data);

} // namespace vCardText

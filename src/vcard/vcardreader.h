#pragma once

#include "vcard/vcardproperty.h"

#include <QByteArray>
#include <QHash>

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

class QTextCodec;

// Reads the content lines of vCard data one by one, in the order of the
// file: unfolds on the raw bytes (a line break followed by a blank or tab,
// RFC 2425 5.8.1), joins the continuation lines of version 2.1 values
// (quoted-printable soft breaks, Base64 runs up to an empty line), decodes
// quoted-printable and charsets, and splits and unescapes the values.
class vCardReader
{
public:
    // Utf8Text: the data is UTF-8 text already (a decoded file); RawBytes: the
    // bytes of a file, whose values are decoded with their CHARSET parameter,
    // else as UTF-8 when they are valid UTF-8, else with the fallback codec;
    // ValidUtf8Bytes: RawBytes known to be valid UTF-8 throughout, so that a
    // value without a CHARSET needs no check.
    enum Mode { RawBytes, Utf8Text, ValidUtf8Bytes };

    struct Line
    {
        enum Kind { Property, Begin, End };
        Kind kind = Property;
        vCardProperty property;
    };

    vCardReader(const QByteArray &data, Mode mode, const QByteArray &fallbackCodec = QByteArray());

    // The next BEGIN:VCARD, END:VCARD or property line; false at the end.
    // VERSION lines and lines without a colon are skipped.
    bool next(Line *line);
    // The offset in the data just after the last line read.
    int position() const { return m_pos; }

private:
    struct Span
    {
        const char *begin = nullptr;
        int size = 0;
    };

    // How a value is encoded, from its parameters.
    struct Encoding
    {
        bool quotedPrintable = false;
        bool base64 = false;
        QString charset;
    };

    // What a parameter text gives: the value's encoding and the parameters
    // the property keeps.
    struct Parameters
    {
        Encoding encoding;
        vCardParameterList kept;
    };

    // Where the parts of a content line's head lie in its logical line.
    struct Head
    {
        int nameStart = 0;
        int nameEnd = 0;
        int groupStart = 0;
        int groupEnd = 0;
        int semicolon = -1;
    };

    Span lineAt(int pos, int *after) const;
    bool startsFold(int pos) const;
    int unfoldHead(Span *logical, QByteArray *folded);
    static bool readName(Span logical, int colon, Head *head);
    static Encoding encodingOf(const vCardParameterList &params);
    Span readValue(Span firstSegment, const Encoding &encoding, QByteArray *joined);
    bool setBoundary(const QString &name, Span value, Line *line);
    QString valueText(Span value, const Encoding &encoding);
    vCardProperty property(const QString &name, Span value, const Parameters &params,
                           const QByteArray &joined);
    static vCardParameterList keptParameters(const vCardParameterList &params,
                                             const Encoding &encoding);
    bool nextSoftBreakLine(Span *line);
    QByteArray readQuotedPrintable(const QByteArray &firstSegment);
    void readFolds(QByteArray *value);
    void readBase64Run(QByteArray *value);
    QString decodeText(Span bytes, const QString &charset, bool decoded);
    QTextCodec *codec(const QString &name);
    QString internedName(Span bytes, bool upper);
    const Parameters &parameters(Span text);
    QTextCodec *declaredCardCodec(int pos);

    QByteArray m_data;
    Mode m_mode;
    QTextCodec *m_fallback = nullptr;
    QTextCodec *m_cardCodec = nullptr;
    bool m_cardCodecKnown = false;
    int m_cardStart = -1;
    QHash<QString, QTextCodec *> m_codecs;
    // The caches are looked up with the bytes where the data holds them: no
    // copy for a text seen before. Their keys point into m_keys, which never
    // moves what it holds.
    std::deque<std::string> m_keys;
    std::unordered_map<std::string_view, QString> m_names;
    std::unordered_map<std::string_view, QString> m_groups;
    std::unordered_map<std::string_view, Parameters> m_parameters;
    const Parameters m_noParameters;
    Parameters m_uncached;
    char m_lineBreak = '\n';
    int m_pos = 0;
};

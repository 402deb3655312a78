#pragma once

#include "vcard/vcardproperty.h"

#include <QByteArray>
#include <QHash>

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

    Span lineAt(int pos, int *after) const;
    int unfoldHead(QByteArray *logical);
    static bool readName(const QByteArray &logical, int colon, QByteArray *name, QByteArray *group,
                         int *semicolon);
    static Encoding encodingOf(const vCardParameterList &params);
    QByteArray readValue(const QByteArray &firstSegment, const Encoding &encoding);
    bool setBoundary(const QByteArray &name, const QByteArray &value, Line *line);
    QString valueText(const QByteArray &value, const Encoding &encoding);
    static vCardParameterList keptParameters(const vCardParameterList &params,
                                             const Encoding &encoding);
    bool nextSoftBreakLine(Span *line);
    QByteArray readQuotedPrintable(const QByteArray &firstSegment);
    void readFolds(QByteArray *value);
    void readBase64Run(QByteArray *value);
    QString decodeText(const QByteArray &bytes, const QString &charset, bool decoded);
    QTextCodec *codec(const QString &name);
    QString internedName(const QByteArray &name);
    vCardParameterList parameters(const QByteArray &text);
    QTextCodec *declaredCardCodec(int pos);

    QByteArray m_data;
    Mode m_mode;
    QTextCodec *m_fallback = nullptr;
    QTextCodec *m_cardCodec = nullptr;
    bool m_cardCodecKnown = false;
    int m_cardStart = -1;
    QHash<QString, QTextCodec *> m_codecs;
    QHash<QByteArray, QString> m_names;
    QHash<QByteArray, vCardParameterList> m_parameters;
    char m_lineBreak = '\n';
    int m_pos = 0;
};

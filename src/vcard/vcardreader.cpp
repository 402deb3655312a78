#include "vcard/vcardreader.h"

#include "vcard/textdecoding.h"
#include "vcard/vcardtext.h"

#include <QTextCodec>

#include <cstring>

namespace {

bool isBlankByte(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

bool startsWithBlank(const char *begin, int size)
{
    return size > 0 && (begin[0] == ' ' || begin[0] == '\t');
}

bool isBlankLine(const char *begin, int size)
{
    for (int i = 0; i < size; ++i) {
        if (!isBlankByte(begin[i])) {
            return false;
        }
    }
    return true;
}

// BEGIN:VCARD or END:VCARD in any letter case, white space around ignored.
bool isCardBoundary(const char *begin, int size)
{
    if (size > 64) {
        return false;
    }
    // A copy: trimming raw data in place would change the file's bytes.
    const QByteArray line = QByteArray(begin, size).trimmed().toUpper();
    return line == "BEGIN:VCARD" || line == "END:VCARD";
}

// NAME or group.NAME followed by ";" or ":": the start of a new property.
bool looksLikeContentLine(const char *begin, int size)
{
    int i = 0;
    while (i < size) {
        const char c = begin[i];
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'
            || c == '.' || c == '_') {
            ++i;
            continue;
        }
        return i > 0 && (c == ';' || c == ':');
    }
    return false;
}

bool isBase64Line(const char *begin, int size)
{
    bool any = false;
    for (int i = 0; i < size; ++i) {
        const char c = begin[i];
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+'
            || c == '/' || c == '=') {
            any = true;
        } else if (!isBlankByte(c)) {
            return false;
        }
    }
    return any;
}

QByteArray withoutTrailingBlanks(QByteArray text)
{
    int end = text.size();
    while (end > 0 && isBlankByte(text.at(end - 1))) {
        --end;
    }
    text.truncate(end);
    return text;
}

// True when the text ends in "=", trailing blanks aside.
bool endsWithSoftBreak(const QByteArray &text)
{
    int end = text.size();
    while (end > 0 && isBlankByte(text.at(end - 1))) {
        --end;
    }
    return end > 0 && text.at(end - 1) == '=';
}

bool isAscii(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (uchar(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Line breaks inside values become single line feeds.
QString normalizedLineBreaks(QString text)
{
    if (text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    return text;
}

} // namespace

vCardReader::vCardReader(const QByteArray &data, Mode mode, const QByteArray &fallbackCodec)
    : m_data(data),
      m_mode(mode)
{
    m_fallback = TextDecoding::codecOrUtf8(QString::fromLatin1(fallbackCodec));
    // Files from old Macs end their lines with CR alone.
    if (!m_data.contains('\n') && m_data.contains('\r')) {
        m_lineBreak = '\r';
    }
}

vCardReader::Span vCardReader::lineAt(int pos, int *after) const
{
    const char *data = m_data.constData();
    const int size = m_data.size();
    const char *found = static_cast<const char *>(std::memchr(data + pos, m_lineBreak, size - pos));
    const int end = found ? int(found - data) : size;
    *after = found ? end + 1 : size;
    int lineEnd = end;
    while (lineEnd > pos && data[lineEnd - 1] == '\r') {
        --lineEnd;
    }
    return Span{data + pos, lineEnd - pos};
}

bool vCardReader::next(Line *line)
{
    const int size = m_data.size();
    while (m_pos < size) {
        int after = 0;
        const Span first = lineAt(m_pos, &after);
        m_pos = after;
        if (isBlankLine(first.begin, first.size)) {
            continue;
        }
        QByteArray logical(first.begin, first.size);
        const int colon = unfoldHead(&logical);
        int semicolon = -1;
        QByteArray name;
        QByteArray group;
        if (colon < 0 || !readName(logical, colon, &name, &group, &semicolon)) {
            continue;
        }
        vCardParameterList params;
        if (semicolon >= 0) {
            params = parameters(logical.mid(semicolon + 1, colon - semicolon - 1));
        }
        const Encoding encoding = encodingOf(params);
        const QByteArray value = readValue(logical.mid(colon + 1), encoding);

        if (name == "BEGIN" || name == "END") {
            if (setBoundary(name, value, line)) {
                return true;
            }
            continue;
        }
        if (name == "VERSION") {
            continue;
        }
        const QString text = normalizedLineBreaks(valueText(value, encoding));
        line->kind = Line::Property;
        line->property = vCardProperty(internedName(name),
                                       encoding.base64 ? QStringList{text}
                                                       : vCardText::splitComponents(text),
                                       keptParameters(params, encoding));
        if (!group.isEmpty()) {
            line->property.setGroup(internedName(group));
        }
        return true;
    }
    return false;
}

// Unfolds the logical line until the colon that ends the name and
// parameters is found; quoted parameter values may hold colons. The
// position of that colon, else of the first colon, else -1.
int vCardReader::unfoldHead(QByteArray *logical)
{
    const int size = m_data.size();
    int colon = -1;
    int firstColon = -1;
    bool quoted = false;
    int scanned = 0;
    for (;;) {
        for (; scanned < logical->size(); ++scanned) {
            const char c = logical->at(scanned);
            if (c == '"') {
                quoted = !quoted;
            } else if (c == ':') {
                if (firstColon < 0) {
                    firstColon = scanned;
                }
                if (!quoted) {
                    colon = scanned;
                    break;
                }
            }
        }
        if (colon >= 0 || m_pos >= size) {
            break;
        }
        int after = 0;
        const Span fold = lineAt(m_pos, &after);
        if (!startsWithBlank(fold.begin, fold.size)) {
            break;
        }
        logical->append(fold.begin + 1, fold.size - 1);
        m_pos = after;
    }
    return colon >= 0 ? colon : firstColon;
}

// The name: up to the first semicolon, without a group prefix (item1.TEL
// is TEL), in upper case; the group as written. False when there is none.
bool vCardReader::readName(const QByteArray &logical, int colon, QByteArray *name,
                           QByteArray *group, int *semicolon)
{
    const char *headBytes = logical.constData();
    *semicolon = -1;
    for (int i = 0; i < colon; ++i) {
        if (headBytes[i] == ';') {
            *semicolon = i;
            break;
        }
    }
    int nameEnd = *semicolon < 0 ? colon : *semicolon;
    int nameStart = 0;
    while (nameStart < nameEnd && isBlankByte(headBytes[nameStart])) {
        ++nameStart;
    }
    while (nameEnd > nameStart && isBlankByte(headBytes[nameEnd - 1])) {
        --nameEnd;
    }
    for (int i = nameEnd - 1; i >= nameStart; --i) {
        if (headBytes[i] == '.') {
            *group = QByteArray(headBytes + nameStart, i - nameStart);
            nameStart = i + 1;
            break;
        }
    }
    if (nameStart >= nameEnd) {
        return false;
    }
    *name = QByteArray(headBytes + nameStart, nameEnd - nameStart).toUpper();
    return true;
}

vCardReader::Encoding vCardReader::encodingOf(const vCardParameterList &params)
{
    Encoding encoding;
    for (const vCardParameter &param : params) {
        if (param.group() == vCardParameter::Encoding) {
            const QString name = param.value().toUpper();
            encoding.quotedPrintable =
                    encoding.quotedPrintable || name == QLatin1String("QUOTED-PRINTABLE");
            encoding.base64 = encoding.base64 || name == QLatin1String("BASE64")
                              || name == QLatin1String("B");
        } else if (param.group() == vCardParameter::Charset && encoding.charset.isEmpty()) {
            encoding.charset = param.value();
        }
    }
    return encoding;
}

// The raw value with its continuation lines.
QByteArray vCardReader::readValue(const QByteArray &firstSegment, const Encoding &encoding)
{
    if (encoding.quotedPrintable) {
        return readQuotedPrintable(firstSegment);
    }
    QByteArray value = firstSegment;
    readFolds(&value);
    if (encoding.base64) {
        readBase64Run(&value);
    }
    return value;
}

// BEGIN:VCARD or END:VCARD; other BEGIN and END lines are not boundaries.
bool vCardReader::setBoundary(const QByteArray &name, const QByteArray &value, Line *line)
{
    if (value.trimmed().toUpper() != "VCARD") {
        return false;
    }
    line->kind = name == "BEGIN" ? Line::Begin : Line::End;
    line->property = vCardProperty();
    // The card's own charset is looked for only when unmarked 8-bit text
    // needs it.
    m_cardStart = line->kind == Line::Begin ? m_pos : -1;
    m_cardCodecKnown = false;
    m_cardCodec = nullptr;
    return true;
}

QString vCardReader::valueText(const QByteArray &value, const Encoding &encoding)
{
    if (encoding.quotedPrintable) {
        return decodeText(vCardText::decodeQuotedPrintable(value), encoding.charset, true);
    }
    if (encoding.base64) {
        return QString::fromLatin1(value);
    }
    return decodeText(value, encoding.charset, false);
}

// The value is text now: charset and quoted-printable are spent.
vCardParameterList vCardReader::keptParameters(const vCardParameterList &params,
                                               const Encoding &encoding)
{
    vCardParameterList kept;
    if (params.isEmpty()) {
        return kept;
    }
    kept.reserve(params.size());
    for (const vCardParameter &param : params) {
        if (param.group() == vCardParameter::Charset
            || (param.group() == vCardParameter::Encoding && !encoding.base64)) {
            continue;
        }
        kept.append(param);
    }
    return kept;
}

// Standard folding: each following line that starts with a blank or a tab
// continues the value, without that one character.
void vCardReader::readFolds(QByteArray *value)
{
    const int size = m_data.size();
    while (m_pos < size) {
        int after = 0;
        const Span fold = lineAt(m_pos, &after);
        if (!startsWithBlank(fold.begin, fold.size)) {
            break;
        }
        value->append(fold.begin + 1, fold.size - 1);
        m_pos = after;
    }
}

// A version 2.1 Base64 value runs on over the following lines up to an empty
// line; white space inside it means nothing.
void vCardReader::readBase64Run(QByteArray *value)
{
    const int size = m_data.size();
    while (m_pos < size) {
        int after = 0;
        const Span run = lineAt(m_pos, &after);
        if (!isBase64Line(run.begin, run.size)) {
            break;
        }
        value->append(run.begin, run.size);
        m_pos = after;
    }
    QByteArray compact;
    compact.reserve(value->size());
    for (const char c : qAsConst(*value)) {
        if (!isBlankByte(c) && c != '\n') {
            compact += c;
        }
    }
    *value = compact;
}

// The line that continues a quoted-printable value after a soft break. Empty
// lines after a soft break are skipped when quoted-printable text follows
// them, but a following property or card boundary ends the value.
bool vCardReader::nextSoftBreakLine(Span *line)
{
    const int size = m_data.size();
    if (m_pos >= size) {
        return false;
    }
    int after = 0;
    Span candidate = lineAt(m_pos, &after);
    if (isBlankLine(candidate.begin, candidate.size)) {
        int pos = after;
        while (pos < size) {
            candidate = lineAt(pos, &after);
            if (!isBlankLine(candidate.begin, candidate.size)) {
                break;
            }
            pos = after;
        }
        if (pos >= size || looksLikeContentLine(candidate.begin, candidate.size)
            || isCardBoundary(candidate.begin, candidate.size)) {
            return false;
        }
    } else if (isCardBoundary(candidate.begin, candidate.size)) {
        return false;
    }
    *line = candidate;
    m_pos = after;
    return true;
}

// Joins a quoted-printable value: it continues while a line ends in "="
// (a soft break, RFC 2045 6.7). Trailing white space of each line is
// transport padding and dropped. Some phones indent every continuation
// line; only when all of them start with a blank is that blank indentation,
// otherwise it is text.
QByteArray vCardReader::readQuotedPrintable(const QByteArray &firstSegment)
{
    QList<QByteArray> segments{firstSegment};
    bool allIndented = true;
    int softBreaks = 0;
    const int size = m_data.size();
    for (;;) {
        if (endsWithSoftBreak(segments.last())) {
            Span continuation;
            if (!nextSoftBreakLine(&continuation)) {
                break;
            }
            if (!startsWithBlank(continuation.begin, continuation.size)) {
                allIndented = false;
            }
            segments.append(QByteArray(continuation.begin, continuation.size));
            ++softBreaks;
            continue;
        }
        if (m_pos >= size) {
            break;
        }
        int after = 0;
        const Span fold = lineAt(m_pos, &after);
        if (!startsWithBlank(fold.begin, fold.size)) {
            break;
        }
        segments.last().append(fold.begin + 1, fold.size - 1);
        m_pos = after;
    }
    if (softBreaks == 0) {
        allIndented = false;
    }
    QByteArray encoded;
    for (int i = 0; i < segments.size(); ++i) {
        QByteArray segment = segments.at(i);
        if (i > 0 && allIndented) {
            segment.remove(0, 1);
        }
        segment = withoutTrailingBlanks(segment);
        if (i + 1 < segments.size() && segment.endsWith('=')) {
            segment.chop(1);
        }
        encoded += segment;
    }
    return encoded;
}

// Writers that leave raw 8-bit text unmarked (Outlook, some phones) still
// name their code page on the properties they encode; that charset, found
// between here and the card's END, is the best guess for the unmarked text
// of this card. UTF-8 is no guess: such text is not valid UTF-8.
QTextCodec *vCardReader::declaredCardCodec(int pos)
{
    const int size = m_data.size();
    while (pos < size) {
        int after = 0;
        const Span line = lineAt(pos, &after);
        if (isCardBoundary(line.begin, line.size)) {
            break;
        }
        const QByteArray text = QByteArray::fromRawData(line.begin, line.size);
        int head = text.indexOf(':');
        if (head < 0) {
            head = text.size();
        }
        for (const char *key : {"CHARSET=", "charset=", "Charset="}) {
            int found = text.indexOf(key);
            if (found < 0 || found >= head) {
                continue;
            }
            found += 8;
            int end = found;
            while (end < head && text.at(end) != ';' && text.at(end) != ':') {
                ++end;
            }
            const QString name = QString::fromLatin1(text.mid(found, end - found))
                                         .remove(QLatin1Char('"'))
                                         .toUpper();
            if (name == QLatin1String("UTF-8") || name == QLatin1String("US-ASCII")
                || name == QLatin1String("ASCII")) {
                continue;
            }
            if (QTextCodec *named = codec(name)) {
                return named;
            }
        }
        pos = after;
    }
    return nullptr;
}

// Parameter texts repeat on every card (TYPE=CELL, CHARSET=UTF-8;...): each
// distinct text is read once.
vCardParameterList vCardReader::parameters(const QByteArray &text)
{
    auto it = m_parameters.constFind(text);
    if (it != m_parameters.constEnd()) {
        return it.value();
    }
    const vCardParameterList params = vCardParameter::fromByteArray(text);
    if (m_parameters.size() < 1000) {
        m_parameters.insert(text, params);
    }
    return params;
}

// Property names repeat on every card: one shared string for each.
QString vCardReader::internedName(const QByteArray &name)
{
    auto it = m_names.constFind(name);
    if (it != m_names.constEnd()) {
        return it.value();
    }
    const QString text = QString::fromLatin1(name);
    if (m_names.size() < 1000) {
        m_names.insert(name, text);
    }
    return text;
}

QTextCodec *vCardReader::codec(const QString &name)
{
    const QString key = name.toUpper();
    auto it = m_codecs.constFind(key);
    if (it != m_codecs.constEnd()) {
        return it.value();
    }
    QTextCodec *found = TextDecoding::codecForName(key);
    m_codecs.insert(key, found);
    return found;
}

// Value bytes to text. decoded: the bytes came out of quoted-printable, so
// they are in the value's own charset even when the file was text already.
// A byte that the codec cannot map stays visible as U+FFFD: dropping it would
// lose a letter without a trace.
QString vCardReader::decodeText(const QByteArray &bytes, const QString &charset, bool decoded)
{
    if (isAscii(bytes)) {
        return QString::fromLatin1(bytes);
    }
    if (m_mode == Utf8Text && !decoded) {
        return QString::fromUtf8(bytes);
    }
    if (!charset.isEmpty()) {
        if (QTextCodec *named = codec(charset)) {
            return named->toUnicode(bytes);
        }
    }
    // Undecoded bytes of valid UTF-8 data are valid: unfolding takes out
    // ASCII only.
    if ((m_mode == ValidUtf8Bytes && !decoded) || TextDecoding::isValidUtf8(bytes)) {
        return QString::fromUtf8(bytes);
    }
    if (!m_cardCodecKnown && m_cardStart >= 0) {
        m_cardCodec = declaredCardCodec(m_cardStart);
        m_cardCodecKnown = true;
    }
    if (m_cardCodec) {
        return m_cardCodec->toUnicode(bytes);
    }
    return m_fallback->toUnicode(bytes);
}

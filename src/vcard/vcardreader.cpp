#include "vcard/vcardreader.h"

#include "vcard/textdecoding.h"
#include "vcard/vcardtext.h"

#include <QTextCodec>

#include <algorithm>
#include <cstring>

namespace {

using vCardText::isName;

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

// The length of the text up to a NUL byte, where Qt's conversions of a
// whole QByteArray end it.
int textLength(const char *begin, int size)
{
    const void *nul = std::memchr(begin, 0, size_t(size));
    return nul ? int(static_cast<const char *>(nul) - begin) : size;
}

// The first of the bytes a Base64 value may hold as white space, or end.
const char *firstSpace(const char *begin, const char *end)
{
    const char *first = end;
    for (const char c : {' ', '\t', '\r', '\n'}) {
        const void *found = std::memchr(begin, c, size_t(first - begin));
        if (found) {
            first = static_cast<const char *>(found);
        }
    }
    return first;
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
        Span logical = lineAt(m_pos, &after);
        m_pos = after;
        if (isBlankLine(logical.begin, logical.size)) {
            continue;
        }
        // A line is read where it lies in the data; only a head folded before
        // its colon, or a value over several lines, is joined in a copy.
        QByteArray foldedHead;
        const int colon = unfoldHead(&logical, &foldedHead);
        Head head;
        if (colon < 0 || !readName(logical, colon, &head)) {
            continue;
        }
        const Parameters &params = head.semicolon < 0
                                           ? m_noParameters
                                           : parameters(Span{logical.begin + head.semicolon + 1,
                                                             colon - head.semicolon - 1});
        QByteArray joined;
        const Span value = readValue(Span{logical.begin + colon + 1, logical.size - colon - 1},
                                     params.encoding, &joined);
        const QString name = internedName(
                Span{logical.begin + head.nameStart, head.nameEnd - head.nameStart}, true);

        if (isName(name, "BEGIN") || isName(name, "END")) {
            if (setBoundary(name, value, line)) {
                return true;
            }
            continue;
        }
        if (isName(name, "VERSION")) {
            continue;
        }
        line->kind = Line::Property;
        line->property = property(name, value, params, joined);
        if (head.groupEnd > head.groupStart) {
            line->property.setGroup(internedName(
                    Span{logical.begin + head.groupStart, head.groupEnd - head.groupStart}, false));
        }
        return true;
    }
    return false;
}

// The property of a content line, its value read as its parameters say.
vCardProperty vCardReader::property(const QString &name, Span value, const Parameters &params,
                                    const QByteArray &joined)
{
    if (params.encoding.base64 && !params.encoding.quotedPrintable) {
        // Base64 came without its white space, line breaks included, and is
        // kept as the bytes read (to a NUL, where Qt's conversions of text
        // end).
        return vCardProperty::base64Property(
                name, joined.left(textLength(value.begin, value.size)), params.kept);
    }
    if (params.encoding.base64) {
        return vCardProperty(name, QStringList{valueText(value, params.encoding)}, params.kept);
    }
    const QString text = normalizedLineBreaks(valueText(value, params.encoding));
    // A text list's values are its texts: an escaped comma stays inside its
    // text.
    return vCardProperty(name,
                         vCardText::isTextList(name) ? vCardText::splitList(text)
                                                     : vCardText::splitComponents(text),
                         params.kept);
}

// Unfolds the logical line until the colon that ends the name and
// parameters is found; quoted parameter values may hold colons. The
// position of that colon, else of the first colon, else -1.
int vCardReader::unfoldHead(Span *logical, QByteArray *folded)
{
    // Most heads hold no quotes: their colon is the first one.
    const void *found = std::memchr(logical->begin, ':', size_t(logical->size));
    if (found) {
        const int at = int(static_cast<const char *>(found) - logical->begin);
        if (!std::memchr(logical->begin, '"', size_t(at))) {
            return at;
        }
    }
    const int size = m_data.size();
    int colon = -1;
    int firstColon = -1;
    bool quoted = false;
    int scanned = 0;
    for (;;) {
        for (; scanned < logical->size; ++scanned) {
            const char c = logical->begin[scanned];
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
        if (folded->isNull()) {
            *folded = QByteArray(logical->begin, logical->size);
        }
        folded->append(fold.begin + 1, fold.size - 1);
        *logical = Span{folded->constData(), folded->size()};
        m_pos = after;
    }
    return colon >= 0 ? colon : firstColon;
}

// The name: up to the first semicolon, without a group prefix (item1.TEL
// is TEL); the group before it. False when there is no name.
bool vCardReader::readName(Span logical, int colon, Head *head)
{
    const char *headBytes = logical.begin;
    for (int i = 0; i < colon; ++i) {
        if (headBytes[i] == ';') {
            head->semicolon = i;
            break;
        }
    }
    int nameEnd = head->semicolon < 0 ? colon : head->semicolon;
    int nameStart = 0;
    while (nameStart < nameEnd && isBlankByte(headBytes[nameStart])) {
        ++nameStart;
    }
    while (nameEnd > nameStart && isBlankByte(headBytes[nameEnd - 1])) {
        --nameEnd;
    }
    for (int i = nameEnd - 1; i >= nameStart; --i) {
        if (headBytes[i] == '.') {
            // The group starts where the name did, after leading blanks.
            head->groupStart = nameStart;
            head->groupEnd = i;
            nameStart = i + 1;
            break;
        }
    }
    head->nameStart = nameStart;
    head->nameEnd = nameEnd;
    return nameStart < nameEnd;
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

// The raw value with its continuation lines: the first segment itself when
// it has none, else their bytes joined in *joined.
vCardReader::Span vCardReader::readValue(Span firstSegment, const Encoding &encoding,
                                         QByteArray *joined)
{
    if (encoding.quotedPrintable) {
        *joined = readQuotedPrintable(QByteArray(firstSegment.begin, firstSegment.size));
    } else if (encoding.base64 || startsFold(m_pos)) {
        *joined = QByteArray(firstSegment.begin, firstSegment.size);
        readFolds(joined);
        if (encoding.base64) {
            readBase64Run(joined);
        }
    } else {
        return firstSegment;
    }
    return Span{joined->constData(), joined->size()};
}

bool vCardReader::startsFold(int pos) const
{
    return pos < m_data.size() && (m_data.at(pos) == ' ' || m_data.at(pos) == '\t');
}

// BEGIN:VCARD or END:VCARD; other BEGIN and END lines are not boundaries.
bool vCardReader::setBoundary(const QString &name, Span value, Line *line)
{
    if (QByteArray::fromRawData(value.begin, value.size).trimmed().toUpper() != "VCARD") {
        return false;
    }
    line->kind = name == QLatin1String("BEGIN") ? Line::Begin : Line::End;
    line->property = vCardProperty();
    // The card's own charset is looked for only when unmarked 8-bit text
    // needs it.
    m_cardStart = line->kind == Line::Begin ? m_pos : -1;
    m_cardCodecKnown = false;
    m_cardCodec = nullptr;
    return true;
}

// Like Qt's conversions of a whole QByteArray, the text ends at a NUL byte.
QString vCardReader::valueText(Span value, const Encoding &encoding)
{
    if (encoding.quotedPrintable) {
        const QByteArray decoded =
                vCardText::decodeQuotedPrintable(QByteArray::fromRawData(value.begin, value.size));
        return decodeText(Span{decoded.constData(), decoded.size()}, encoding.charset, true);
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
// continues the value, without that one character. The run is measured
// first, so that its bytes are joined in one allocation.
void vCardReader::readFolds(QByteArray *value)
{
    int end = m_pos;
    int length = value->size();
    while (startsFold(end)) {
        int after = 0;
        length += lineAt(end, &after).size - 1;
        end = after;
    }
    if (end == m_pos) {
        return;
    }
    value->reserve(length);
    while (m_pos < end) {
        int after = 0;
        const Span fold = lineAt(m_pos, &after);
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
    // Most values hold no white space at all: they are left as they are.
    const auto isSpace = [](char c) {
        return isBlankByte(c) || c == '\n';
    };
    const char *begin = value->constData();
    const char *end = begin + value->size();
    const char *space = firstSpace(begin, end);
    if (space == end) {
        return;
    }
    const int kept = int(space - begin);
    char *bytes = value->data();
    const int length = int(std::remove_if(bytes + kept, bytes + value->size(), isSpace) - bytes);
    value->truncate(length);
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
// distinct text is read once, with the encoding it gives and the parameters
// the property keeps.
const vCardReader::Parameters &vCardReader::parameters(Span text)
{
    const std::string_view key(text.begin, size_t(text.size));
    const auto it = m_parameters.find(key);
    if (it != m_parameters.end()) {
        return it->second;
    }
    const vCardParameterList params =
            vCardParameter::fromByteArray(QByteArray::fromRawData(text.begin, text.size));
    Parameters read;
    read.encoding = encodingOf(params);
    read.kept = keptParameters(params, read.encoding);
    if (m_parameters.size() >= 1000) {
        m_uncached = read;
        return m_uncached;
    }
    return m_parameters.emplace(m_keys.emplace_back(key), read).first->second;
}

// Property names and groups repeat on every card: one shared string for
// each, found by the bytes as written. Names come out in upper case, groups
// as written.
QString vCardReader::internedName(Span bytes, bool upper)
{
    std::unordered_map<std::string_view, QString> &names = upper ? m_names : m_groups;
    const std::string_view key(bytes.begin, size_t(bytes.size));
    const auto it = names.find(key);
    if (it != names.end()) {
        return it->second;
    }
    const QByteArray raw(bytes.begin, bytes.size);
    const QString text = QString::fromLatin1(upper ? raw.toUpper() : raw);
    if (names.size() < 1000) {
        names.emplace(m_keys.emplace_back(key), text);
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
QString vCardReader::decodeText(Span bytes, const QString &charset, bool decoded)
{
    const int textSize = textLength(bytes.begin, bytes.size);
    if (m_mode == Utf8Text && !decoded) {
        return QString::fromUtf8(bytes.begin, textSize);
    }
    // ASCII reads the same in every charset this reader knows, and converts
    // fastest as Latin-1.
    if (TextDecoding::isAscii(bytes.begin, bytes.size)) {
        return QString::fromLatin1(bytes.begin, textSize);
    }
    if (!charset.isEmpty()) {
        if (QTextCodec *named = codec(charset)) {
            return named->toUnicode(bytes.begin, bytes.size);
        }
    }
    // Undecoded bytes of valid UTF-8 data are valid: unfolding takes out
    // ASCII only.
    if ((m_mode == ValidUtf8Bytes && !decoded)
        || TextDecoding::isValidUtf8(bytes.begin, bytes.size)) {
        return QString::fromUtf8(bytes.begin, textSize);
    }
    if (!m_cardCodecKnown && m_cardStart >= 0) {
        m_cardCodec = declaredCardCodec(m_cardStart);
        m_cardCodecKnown = true;
    }
    if (m_cardCodec) {
        return m_cardCodec->toUnicode(bytes.begin, bytes.size);
    }
    return m_fallback->toUnicode(bytes.begin, bytes.size);
}

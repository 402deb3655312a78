#include "importexport/csvtokenizer.h"

namespace {

// Carriage returns count as if deleted beforehand (or, in a text whose lines
// they end, as if they were line feeds): they are skipped while reading and
// taken out of the few fields that hold one, which saves a copy of the whole
// text. Those at the end of the text simply end it earlier.
int sizeWithoutTrailingCarriageReturns(const QString &text)
{
    const QChar *data = text.constData();
    int size = text.size();
    while (size > 0 && data[size - 1] == QLatin1Char('\r')) {
        --size;
    }
    return size;
}

// The value of a finished raw field that holds the given number of quotes,
// and carriage returns when carriageReturn is set: removed, or made line
// feeds where they end the lines (a line break inside a quoted value).
QString fieldText(const QChar *begin, int length, int quotes, bool carriageReturn, QChar lineEnd)
{
    if (length == 0) {
        return QString();
    }
    if (quotes == 0 && !carriageReturn) {
        return QString(begin, length);
    }
    if (!carriageReturn) {
        return CsvTokenizer::fieldValue(begin, length);
    }
    QString raw(begin, length);
    if (lineEnd == QLatin1Char('\r')) {
        raw.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    } else {
        raw.remove(QLatin1Char('\r'));
    }
    return quotes ? CsvTokenizer::fieldValue(raw.constData(), raw.size()) : raw;
}

// Writes a field of a list that serves every row, overwriting the row
// before's, so that a row costs no list of its own; a row that the reader
// kept is copied when the next one is written.
void setField(QStringList &row, int index, QString field)
{
    if (index < row.size()) {
        row[index] = std::move(field);
    } else {
        row.append(std::move(field));
    }
}

} // namespace

QChar CsvTokenizer::detectSeparator(const QString &text)
{
    int commas = 0;
    int semicolons = 0;
    int tabs = 0;
    bool quoted = false;
    for (const QChar ch : text) {
        const ushort c = ch.unicode();
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == '\n' || c == '\r') {
            break;
        } else if (c == ',') {
            ++commas;
        } else if (c == ';') {
            ++semicolons;
        } else if (c == '\t') {
            ++tabs;
        }
    }
    if (semicolons > commas && semicolons >= tabs) {
        return QLatin1Char(';');
    }
    if (tabs > commas && tabs > semicolons) {
        return QLatin1Char('\t');
    }
    return QLatin1Char(',');
}

QString CsvTokenizer::fieldValue(const QChar *begin, int length)
{
    const QChar *end = begin + length;
    if (length == 0 || *begin != QLatin1Char('"')) {
        // Not a quoted field (RFC 4180 forbids quotes here): the text as written.
        return QString(begin, length);
    }
    QString value;
    value.reserve(length);
    bool quoted = true;
    // The text between quotes is copied a run at a time.
    const QChar *run = begin + 1;
    for (const QChar *p = run; p < end; ++p) {
        if (*p != QLatin1Char('"')) {
            continue;
        }
        value.append(run, int(p - run));
        if (quoted && p + 1 < end && p[1] == QLatin1Char('"')) {
            // A doubled quote inside quotes is one quote.
            value.append(*p);
            ++p;
        } else {
            // The closing quote; text after it is kept, and a quote there
            // reopens.
            quoted = !quoted;
        }
        run = p + 1;
    }
    value.append(run, int(end - run));
    return value;
}

QList<QStringList> CsvTokenizer::tokenize(const QString &text, QChar separator)
{
    QList<QStringList> rows;
    forEachRow(
            text, separator, [&rows](QStringList &row, int) { rows.append(row); }, lineEndOf(text));
    return rows;
}

// A text with carriage returns but no line feed is one whose lines they end,
// as Excel for Mac and programs of the classic Mac OS write them; without a
// line feed the text would be one row.
QChar CsvTokenizer::lineEndOf(const QString &text)
{
    const int size = sizeWithoutTrailingCarriageReturns(text);
    const QStringView view = QStringView(text).left(size);
    return view.contains(QLatin1Char('\r')) && !view.contains(QLatin1Char('\n'))
                   ? QLatin1Char('\r')
                   : QLatin1Char('\n');
}

CsvTokenizer::TextEnd
CsvTokenizer::forEachRow(const QString &text, QChar separator,
                         const std::function<void(QStringList &, int line)> &rowRead, QChar lineEnd)
{
    const QChar *data = text.constData();
    const int size = sizeWithoutTrailingCarriageReturns(text);
    TextEnd end;
    if (size == 0) {
        return end;
    }
    const ushort sep = separator.unicode();
    const ushort newLine = lineEnd.unicode();

    QStringList row; // serves every row (see setField)
    int fields = 0;
    int fieldStart = 0;
    // The line feeds before the row and the field being read.
    int rowLineFeeds = 0;
    int fieldLineFeeds = 0;
    int quotes = 0;
    bool carriageReturn = false;
    auto finishField = [&](int fieldEnd, bool endsRow) {
        setField(row, fields++,
                 fieldText(data + fieldStart, fieldEnd - fieldStart, quotes, carriageReturn,
                           lineEnd));
        if (endsRow) {
            row.erase(row.begin() + fields, row.end());
            rowRead(row, rowLineFeeds + 1);
            fields = 0;
            rowLineFeeds = end.lineFeeds;
        }
        fieldStart = fieldEnd + 1;
        fieldLineFeeds = end.lineFeeds;
        quotes = 0;
        carriageReturn = false;
    };

    for (int i = 0; i < size; ++i) {
        const ushort c = data[i].unicode();
        if (c == sep || c == newLine) {
            end.lineFeeds += c == newLine;
            if (!(quotes & 1)) {
                finishField(i, c == newLine);
            } else if (c == '\r') {
                // A line break inside a quoted value.
                carriageReturn = true;
            }
        } else if (c == '"') {
            ++quotes;
        } else if (c == '\r') {
            carriageReturn = true;
        }
    }
    if (quotes & 1) {
        end.openQuoteLine = fieldLineFeeds + 1;
    } else if (data[size - 1] != lineEnd) {
        finishField(size, true);
    }
    return end;
}

#include "importexport/csvtokenizer.h"

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
        } else if (c == '\n') {
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
    if (length >= 2 && begin[0] == QLatin1Char('"') && begin[length - 1] == QLatin1Char('"')) {
        ++begin;
        length -= 2;
    }
    QString value;
    value.reserve(length);
    const QChar *end = begin + length;
    for (const QChar *p = begin; p < end; ++p) {
        value.append(*p);
        if (*p == QLatin1Char('"')) {
            while (p + 1 < end && p[1] == QLatin1Char('"')) {
                ++p;
            }
        }
    }
    return value;
}

QList<QStringList> CsvTokenizer::tokenize(const QString &text, QChar separator)
{
    QList<QStringList> rows;
    forEachRow(text, separator, [&rows](QStringList &row) { rows.append(row); });
    return rows;
}

void CsvTokenizer::forEachRow(const QString &text, QChar separator,
                              const std::function<void(QStringList &)> &rowRead)
{
    const QChar *data = text.constData();
    // Carriage returns count as if deleted beforehand: they are skipped here
    // and removed from the few fields that hold one, which saves a copy of
    // the whole text.
    int size = text.size();
    while (size > 0 && data[size - 1] == QLatin1Char('\r')) {
        --size;
    }
    if (size == 0) {
        return;
    }
    const ushort sep = separator.unicode();

    QStringList row;
    int fieldStart = 0;
    int quotes = 0;
    bool carriageReturn = false;
    auto finishField = [&](int end, bool endsRow) {
        if (end == fieldStart) {
            row.append(QString());
        } else if (quotes == 0 && !carriageReturn) {
            row.append(QString(data + fieldStart, end - fieldStart));
        } else if (!carriageReturn) {
            row.append(fieldValue(data + fieldStart, end - fieldStart));
        } else {
            QString raw(data + fieldStart, end - fieldStart);
            raw.remove(QLatin1Char('\r'));
            row.append(quotes ? fieldValue(raw.constData(), raw.size()) : raw);
        }
        if (endsRow) {
            rowRead(row);
            const int columns = row.size();
            row = QStringList();
            row.reserve(columns);
        }
        fieldStart = end + 1;
        quotes = 0;
        carriageReturn = false;
    };

    for (int i = 0; i < size; ++i) {
        const ushort c = data[i].unicode();
        if (c == sep || c == '\n') {
            if (quotes & 1) {
                continue;
            }
            finishField(i, c == '\n');
            continue;
        }
        if (c == '"') {
            ++quotes;
        } else if (c == '\r') {
            carriageReturn = true;
        }
        if (i == size - 1 && !(quotes & 1)) {
            finishField(size, true);
        }
    }
}

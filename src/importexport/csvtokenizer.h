#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Splits the text of a CSV file into rows of fields.
//
// Carriage returns are dropped first, so only line feeds end rows. A
// separator or line feed inside a field holding an odd number of double
// quotes belongs to the value. A finished field loses one enclosing pair of
// quotes, and every run of two or more quotes in it becomes one (RFC 4180
// doubling). A last row that the text leaves unfinished (ending after a
// separator, or inside an open quote) is dropped.
//
// The quote count is kept while reading, so a quote left open costs one pass
// over the text, not one per separator.
class CsvTokenizer
{
public:
    // The separator of the header line: comma, semicolon or tab, whichever
    // occurs most often outside quotes (comma when none does or on a tie).
    static QChar detectSeparator(const QString &text);

    // All rows of the text, separated by the given character.
    static QList<QStringList> tokenize(const QString &text, QChar separator = QLatin1Char(','));
    // The same rows handed over one at a time as they are read, so that a
    // large file never holds all its rows at once; rowRead may take the row.
    static void forEachRow(const QString &text, QChar separator,
                           const std::function<void(QStringList &)> &rowRead);

    // Removes one enclosing pair of quotes and collapses runs of quotes: the
    // text of a finished raw field.
    static QString fieldValue(const QChar *begin, int length);
};

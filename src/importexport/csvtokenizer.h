#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Splits the text of a CSV file into rows of fields.
//
// Carriage returns are dropped first, so only line feeds end rows; in a
// text without line feeds, carriage returns end the rows instead. A
// separator or line feed inside a field holding an odd number of double
// quotes belongs to the value. A finished field that starts with a quote is
// read as RFC 4180 quoted text: inside the quotes "" is one quote; a field
// that does not start with a quote is taken as written. The end of the text
// ends its last row, also after a separator (an empty last field, as a file
// without a final line feed has it), but not inside an open quote: that row
// cannot be told from the rest of the text, so it is dropped and its line
// reported.
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
    // Where the text ended: the line feeds it holds, and the line (from 1)
    // of the field whose quote it ends inside, 0 when it ends outside quotes.
    struct TextEnd
    {
        int lineFeeds = 0;
        int openQuoteLine = 0;
    };

    // What ends the lines of a file whose text begins so: a line feed, or a
    // carriage return when the text has those and no line feed.
    static QChar lineEndOf(const QString &text);

    // The same rows handed over one at a time as they are read, with the
    // line (from 1) each begins on, so that a large file never holds all its
    // rows at once; rowRead may take the row. The lines end in lineEnd.
    static TextEnd forEachRow(const QString &text, QChar separator,
                              const std::function<void(QStringList &, int line)> &rowRead,
                              QChar lineEnd = QLatin1Char('\n'));

    // The text of a finished raw field: the quotes of a quoted field removed
    // and each doubled quote inside them read as one.
    static QString fieldValue(const QChar *begin, int length);
};

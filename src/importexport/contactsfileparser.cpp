#include "importexport/contactsfileparser.h"

#include "importexport/csvcontactreader.h"
#include "importexport/csvtokenizer.h"
#include "importexport/databaseimport.h"
#include "importexport/filepieces.h"
#include "importexport/importlimits.h"
#include "record/contact.h"
#include "vcard/textdecoding.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace {

// What the file is, in the words of the system's type catalogue: "This file
// is not a contact file (a shell script)".
QString notContactsText(const QMimeType &type)
{
    const QString comment = type.comment();
    if (type.isDefault() || comment.isEmpty()) {
        return QCoreApplication::translate("ContactsFileParser",
                                           "This file is not a contact file.");
    }
    const bool vowel = QStringLiteral("aeiouAEIOU").contains(comment.at(0));
    return (vowel ? QCoreApplication::translate("ContactsFileParser",
                                                "This file is not a contact file (an %1)")
                  : QCoreApplication::translate("ContactsFileParser",
                                                "This file is not a contact file (a %1)"))
            .arg(comment);
}

ParsedFile failed(const QString &error)
{
    ParsedFile parsed;
    parsed.error = error;
    return parsed;
}

QString tooLargeText()
{
    return QCoreApplication::translate("ContactsFileParser",
                                       "The file is too large to import (the limit is %1 MB).")
            .arg(ImportLimits::MaxFileBytes / (1024 * 1024));
}

// A database file whose contact table computes columns as they are read:
// the import runs no expression of a file.
QString computedColumnsText()
{
    return QCoreApplication::translate(
            "ContactsFileParser",
            "This file cannot be imported: its contact table computes some of its fields.");
}

// A quote that is never closed takes the rest of the file into one field:
// what could not be read is said, with the line to look at.
QString openQuoteText(int line)
{
    return QCoreApplication::translate("ContactsFileParser",
                                       "A quote opened on line %1 is never closed: the rows from "
                                       "that line to the end of the file could not be read.")
            .arg(line);
}

// Values in columns the header does not name cannot be read, and their
// row's other values may have moved (a separator inside a value that is
// not quoted): the user is told where to look.
QString valuesBeyondHeaderText(int rows, int firstLine)
{
    return rows == 1 ? QCoreApplication::translate("ContactsFileParser",
                                                   "Line %1 holds more values than the header has "
                                                   "columns: those beyond them were not read.")
                               .arg(firstLine)
                     : QCoreApplication::translate("ContactsFileParser",
                                                   "%1 rows hold more values than the header has "
                                                   "columns: those beyond them were not read. The "
                                                   "first is on line %2.")
                               .arg(rows)
                               .arg(firstLine);
}

// The contacts of CSV text read in pieces that each end after a row. Each
// row becomes a contact as soon as it is read: only the header row is kept,
// in the reader it makes, so a large file never holds all its rows.
class CsvContacts
{
public:
    void read(const QString &text)
    {
        // The first piece decides: one without a line feed is the whole file.
        if (!m_reader && !text.isEmpty()) {
            m_separator = CsvTokenizer::detectSeparator(text);
            m_lineEnd = CsvTokenizer::lineEndOf(text);
        }
        const CsvTokenizer::TextEnd end = CsvTokenizer::forEachRow(
                text, m_separator,
                [this](QStringList &row, int line) {
                    if (!m_reader) {
                        m_reader = std::make_unique<CsvContactReader>(row);
                        return;
                    }
                    if (m_reader->hasValuesBeyondHeader(row) && m_rowsBeyondHeader++ == 0) {
                        m_firstLineBeyondHeader = m_lineFeeds + line;
                    }
                    Contact *contact = m_reader->readRow(row, m_rowNumber++,
                                                         QDateTime::currentMSecsSinceEpoch());
                    if (contact) {
                        m_result.append(contact);
                    }
                },
                m_lineEnd);
        if (end.openQuoteLine > 0) {
            m_openQuoteLine = m_lineFeeds + end.openQuoteLine;
        }
        m_lineFeeds += end.lineFeeds;
    }

    // The contacts read, and what of the text could not be read.
    ParsedFile take()
    {
        ParsedFile parsed;
        parsed.contacts = std::exchange(m_result, {});
        QStringList unread;
        if (m_rowsBeyondHeader > 0) {
            unread << valuesBeyondHeaderText(m_rowsBeyondHeader, m_firstLineBeyondHeader);
        }
        if (m_openQuoteLine > 0) {
            unread << openQuoteText(m_openQuoteLine);
        }
        parsed.warning = unread.join(QStringLiteral("\n\n"));
        return parsed;
    }

    // Forgets what was read, for a file that is read again another way.
    void release() { qDeleteAll(std::exchange(m_result, {})); }

private:
    std::unique_ptr<CsvContactReader> m_reader;
    QChar m_separator = QLatin1Char(',');
    QChar m_lineEnd = QLatin1Char('\n');
    int m_rowNumber = 1;
    // The line feeds of the pieces read so far, which number the lines of
    // the next piece.
    int m_lineFeeds = 0;
    int m_openQuoteLine = 0;
    int m_rowsBeyondHeader = 0;
    int m_firstLineBeyondHeader = 0;
    QList<Contact *> m_result;
};

// Where the complete rows of CSV bytes read so far end: after the last line
// feed outside quotes. A field ends only after an even number of quotes,
// so a line feed ends a row when the quotes since the last row's end are
// even. Bytes already looked at are not looked at again as the buffer grows.
class CsvRowEnds
{
public:
    // From quote to quote: between two, the last line feed counts when the
    // quotes before it are even.
    int scan(const QByteArray &buffer)
    {
        const char *data = buffer.constData();
        const int size = buffer.size();
        while (m_scanned < size) {
            const void *quote = std::memchr(data + m_scanned, '"', size_t(size - m_scanned));
            const int stop = quote ? int(static_cast<const char *>(quote) - data) : size;
            const void *lineFeed =
                    m_oddQuotes ? nullptr
                                : memrchr(data + m_scanned, '\n', size_t(stop - m_scanned));
            if (lineFeed) {
                m_end = int(static_cast<const char *>(lineFeed) - data) + 1;
            }
            m_oddQuotes = quote ? !m_oddQuotes : m_oddQuotes;
            m_scanned = quote ? stop + 1 : size;
        }
        return m_end;
    }

    // The first bytes of the buffer were taken.
    void consumed(int bytes)
    {
        m_scanned -= bytes;
        m_end -= bytes;
    }

private:
    int m_scanned = 0;
    int m_end = 0;
    bool m_oddQuotes = false;
};

} // namespace

ContactsFileParser::ContactsFileParser(QObject *parent)
    : QObject(parent)
{
}

ParsedFile ContactsFileParser::parseFile(const QString &fileName, const QString &codecName,
                                         bool detectCodec)
{
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile()) {
        return ParsedFile();
    }
    // The limits keep every import within memory; should memory still run
    // out, the import is refused instead of ending the program.
    try {
        return parseExistingFile(fileName, codecName, detectCodec);
    } catch (const std::bad_alloc &) {
        return failed(tooLargeText());
    }
}

ParsedFile ContactsFileParser::parseExistingFile(const QString &fileName, const QString &codecName,
                                                 bool detectCodec)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(fileName);
    QString reason;
    Kind kind = kindByContent(fileName, codecName, &reason);
    if (!reason.isEmpty()) {
        return unreadable(fileName, reason);
    }
    if (kind == Kind::Unknown) {
        kind = kindByType(type);
    }
    if ((kind == Kind::Csv || kind == Kind::VCard)
        && QFileInfo(fileName).size() > ImportLimits::MaxFileBytes) {
        return failed(tooLargeText());
    }
    switch (kind) {
    case Kind::Csv:
        return parseCsvFile(fileName, codecName, detectCodec);
    case Kind::VCard:
        // Raw bytes: vCard lines are unfolded before they are decoded.
        return parseVCardFile(fileName, codecName, detectCodec);
    case Kind::Database:
        return parseSqlite(fileName);
    case Kind::Unknown:
        break;
    }
    return failed(notContactsText(type));
}

// The system's reason after the file name ("Permission denied").
ParsedFile ContactsFileParser::unreadable(const QString &fileName, const QString &reason)
{
    return failed(QCoreApplication::translate("ContactsFileParser", "Unable to read file: %1 (%2)")
                          .arg(fileName, reason));
}

// The file is read in pieces that end after a row, and the rows of each
// piece become contacts as soon as it is read, so that a large file is never
// held whole, as bytes or as text, beside its records. The pieces are checked
// to be UTF-8 as encodingOf checks the whole file; a file in another encoding
// is read again whole, since its encoding is guessed from all of its bytes.
ParsedFile ContactsFileParser::parseCsvFile(const QString &fileName, const QString &codecName,
                                            bool detectCodec, int pieceBytes)
{
    QFile file(fileName);
    QString reason;
    QByteArray buffer;
    const FilePieces::Start start = FilePieces::openFirstPiece(file, pieceBytes, &buffer, &reason);
    if (start == FilePieces::Start::Unreadable) {
        return unreadable(fileName, reason);
    }
    if (start == FilePieces::Start::Bytes) {
        CsvContacts contacts;
        CsvRowEnds rowEnds;
        for (;;) {
            const bool atEnd = file.atEnd();
            const int end = atEnd ? buffer.size() : rowEnds.scan(buffer);
            const QByteArray rows = QByteArray::fromRawData(buffer.constData(), end);
            if (!TextDecoding::isValidUtf8(rows)) {
                contacts.release();
                break;
            }
            contacts.read(QString::fromUtf8(rows.constData(), rows.size()));
            buffer.remove(0, end);
            rowEnds.consumed(end);
            if (atEnd) {
                ParsedFile parsed = contacts.take();
                parsed.usedCodec = QStringLiteral("UTF-8");
                return parsed;
            }
            if (!FilePieces::appendPiece(file, pieceBytes, &buffer, &reason)) {
                contacts.release();
                return unreadable(fileName, reason);
            }
        }
    }
    // The bytes and then the text are released as soon as they are used: a
    // file in another encoding is held only once at a time besides its rows.
    QString codec;
    QString text;
    {
        QByteArray data;
        buffer.clear();
        if (!FilePieces::readAgain(file, &data, &reason)) {
            return unreadable(fileName, reason);
        }
        codec = TextDecoding::encodingOf(data, codecName, detectCodec);
        text = TextDecoding::decodeIn(data, codec);
    }
    ParsedFile parsed = parseCsv(text);
    parsed.usedCodec = codec;
    return parsed;
}

ContactsFileParser::Kind ContactsFileParser::kindByType(const QMimeType &type)
{
    // Thunderbird and spreadsheets also write tab-separated files; the
    // tokenizer finds the separator in the header line.
    if (type.inherits(QStringLiteral("text/csv"))
        || type.inherits(QStringLiteral("text/tab-separated-values"))) {
        return Kind::Csv;
    }
    if (type.inherits(QStringLiteral("text/vcard"))) {
        return Kind::VCard;
    }
    if (type.inherits(QStringLiteral("application/x-sqlite3"))) {
        return Kind::Database;
    }
    return Kind::Unknown;
}

// Whatever its name: a file whose first text is BEGIN:VCARD (after a
// byte-order mark or blank lines) is a vCard, one whose first line is a
// header of known contact columns is CSV.
ContactsFileParser::Kind ContactsFileParser::kindByContent(const QString &fileName,
                                                           const QString &codecName,
                                                           QString *reason)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return Kind::Unknown;
    }
    const QByteArray head = file.read(HeadBytes);
    if (file.error() != QFileDevice::NoError) {
        *reason = file.errorString();
        return Kind::Unknown;
    }
    const QString text = TextDecoding::decode(head, codecName);
    int start = 0;
    while (start < text.size() && text.at(start).isSpace()) {
        ++start;
    }
    if (text.midRef(start, 11).compare(QLatin1String("BEGIN:VCARD"), Qt::CaseInsensitive) == 0) {
        return Kind::VCard;
    }
    // The first line ends where the tokenizer would end it (a file of Excel
    // for Mac's has carriage returns and no line feeds).
    const int lineEnd = text.indexOf(CsvTokenizer::lineEndOf(text));
    // The line feed ends the row: a header with a trailing separator counts.
    const QString firstLine = (lineEnd < 0 ? text : text.left(lineEnd)) + QLatin1Char('\n');
    const QList<QStringList> rows =
            CsvTokenizer::tokenize(firstLine, CsvTokenizer::detectSeparator(firstLine));
    if (!rows.isEmpty() && CsvContactReader::isContactsHeader(rows.first())) {
        return Kind::Csv;
    }
    return Kind::Unknown;
}

ParsedFile ContactsFileParser::parseCsv(const QString &text)
{
    CsvContacts contacts;
    contacts.read(text);
    return contacts.take();
}

ParsedFile ContactsFileParser::parseSqlite(const QString &fileName)
{
    ParsedFile parsed;
    const DatabaseImport::Result read = DatabaseImport::read(fileName, &parsed.contacts, &parsed.groups);
    if (read == DatabaseImport::TooLarge) {
        parsed.error = tooLargeText();
    } else if (read == DatabaseImport::ComputedColumns) {
        parsed.error = computedColumnsText();
    }
    return parsed;
}

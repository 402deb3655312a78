#pragma once

#include "importexport/parsedfile.h"

#include <QByteArray>
#include <QList>
#include <QMimeType>
#include <QObject>
#include <QString>

class Contact;

// Turns a file picked for import into new, unsaved Contact records: detects
// the file type, reads CSV exports, vCard files and this program's own
// database files. Everything is static and keeps no state between calls, so
// that files may be read on any thread; the caller owns the records.
class ContactsFileParser : public QObject
{
    Q_OBJECT

public:
    explicit ContactsFileParser(QObject *parent = nullptr);

    // The entry point: detects the type and reads the file in the codec.
    // Text that is neither marked nor valid UTF-8 is read in the named codec;
    // with detectCodec, in the encoding detected for the file when the
    // detection is confident.
    static ParsedFile parseFile(const QString &fileName, const QString &codecName,
                                bool detectCodec = false);
    static ParsedFile parseCsv(const QString &text);
    static QList<Contact *> parseVCard(const QString &text);
    // vCard from raw file bytes: unfolds before decoding, so that folds
    // inside multi-byte characters and escapes survive.
    static ParsedFile parseVCardData(const QByteArray &data, const QString &codecName,
                                     bool detectCodec = false);
    // The pieces a vCard file is read in.
    static constexpr int VCardChunkBytes = 1024 * 1024;
    // parseVCardData on the bytes of a file, which is read in pieces of
    // about chunkBytes that end after a card.
    static ParsedFile parseVCardFile(const QString &fileName, const QString &codecName,
                                     bool detectCodec, int chunkBytes = VCardChunkBytes);
    // A CSV file, read in pieces of about pieceBytes that end after a row.
    static constexpr int CsvPieceBytes = 1024 * 1024;
    static ParsedFile parseCsvFile(const QString &fileName, const QString &codecName,
                                   bool detectCodec, int pieceBytes = CsvPieceBytes);
    static ParsedFile parseSqlite(const QString &fileName);

private:
    enum class Kind { Unknown, Csv, VCard, Database };
    // The bytes at the start of a file that decide its kind by content; a
    // longer header line is judged by its first columns.
    static constexpr int HeadBytes = 16 * 1024;

    // parseFile for a file that exists.
    static ParsedFile parseExistingFile(const QString &fileName, const QString &codecName,
                                        bool detectCodec);
    // The kind by the first line of the file, Unknown when that says
    // nothing; reason is set when the file cannot be read.
    static Kind kindByContent(const QString &fileName, const QString &codecName, QString *reason);
    static Kind kindByType(const QMimeType &type);
    // The error of a file that cannot be read, with the system's reason.
    static ParsedFile unreadable(const QString &fileName, const QString &reason);
};

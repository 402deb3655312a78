#pragma once

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QMimeType>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

class Contact;
class vCard;

// Rows of CSV text, each a list of field texts with the quotes removed; row 0
// is the header row. A parse keeps only the header row of its file here (the
// other rows become contacts as they are read); appendCsvField builds rows.
// Each thread has its own, as a file may be read in the background.
extern thread_local QList<QStringList> plainContactList;

// Turns a file picked for import into new, unsaved Contact records: detects
// the file type, reads CSV exports, vCard files and this program's own
// database files. Everything is static; the caller owns the records.
class ContactsFileParser : public QObject
{
    Q_OBJECT

public:
    explicit ContactsFileParser(QObject *parent = nullptr);

    // The entry point: detects the type and reads the file in the codec.
    // Text that is neither marked nor valid UTF-8 is read in the named codec;
    // with detectCodec, in the encoding detected for the file when the
    // detection is confident.
    static QVariantList parseFile(const QString &fileName, const QString &codecName,
                                  bool detectCodec = false);
    static QVariantList parseCsv(const QString &text);
    static QVariantList parseVCard(const QString &text);
    // vCard from raw file bytes: unfolds before decoding, so that folds
    // inside multi-byte characters and escapes survive.
    static QVariantList parseVCardData(const QByteArray &data, const QString &codecName,
                                       bool detectCodec = false);
    // The pieces a vCard file is read in.
    static constexpr int VCardChunkBytes = 1024 * 1024;
    // parseVCardData on the bytes of a file, which is read in pieces of
    // about chunkBytes that end after a card; reason is set when the file
    // cannot be read.
    static QVariantList parseVCardFile(const QString &fileName, const QString &codecName,
                                       bool detectCodec, QString *reason,
                                       int chunkBytes = VCardChunkBytes);
    // A CSV file, read in pieces of about pieceBytes that end after a row;
    // sets errorString when the file cannot be read.
    static constexpr int CsvPieceBytes = 1024 * 1024;
    static QVariantList parseCsvFile(const QString &fileName, const QString &codecName,
                                     bool detectCodec, int pieceBytes = CsvPieceBytes);
    static QVariantList parseSqlite(const QString &fileName);
    static void appendCsvField(QString &field, QChar terminator);

    // Error text of the last parse on this thread: a file that is not a
    // contact file, one too large to import, or one that cannot be read (with
    // the reason). Each thread has its own, as it has its own parse state:
    // a file read in the background and the sync's cards read meanwhile do
    // not share them.
    static thread_local QString errorString;
    // The encoding the text of the last CSV or vCard file of this thread was
    // read in (for a vCard: its values without a CHARSET); empty for other
    // files.
    static thread_local QString usedCodec;

private:
    enum class Kind { Unknown, Csv, VCard, Database };
    // The bytes at the start of a file that decide its kind by content; a
    // longer header line is judged by its first columns.
    static constexpr int HeadBytes = 16 * 1024;

    // parseFile for a file that exists.
    static QVariantList parseExistingFile(const QString &fileName, const QString &codecName,
                                          bool detectCodec);
    // The kind by the first line of the file, Unknown when that says
    // nothing; reason is set when the file cannot be read.
    static Kind kindByContent(const QString &fileName, const QString &codecName, QString *reason);
    static Kind kindByType(const QMimeType &type);
};

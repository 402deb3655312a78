#include "importexport/contactsfileparser.h"
#include "importexport/textdecoding.h"
#include "testsupport.h"

#include <QDir>

// A CSV file read in pieces that end after a row gives the records, and
// names the encoding, of the same file decoded and read whole; rows with
// quoted line feeds span pieces, and files that are not UTF-8 are read whole.
class tst_CsvPieces : public QObject
{
    Q_OBJECT

private slots:
    void readsPiecesAsWhole_data();
    void readsPiecesAsWhole();
};

void tst_CsvPieces::readsPiecesAsWhole_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("pieceBytes");
    const QDir dir(QStringLiteral(TEST_DATA_DIR "/csv"));
    for (const QString &name : dir.entryList({QStringLiteral("*.csv")}, QDir::Files)) {
        for (const int pieceBytes : {7, 300}) {
            QTest::addRow("%s in %d bytes", qPrintable(name), pieceBytes)
                    << dir.filePath(name) << pieceBytes;
        }
    }
}

void tst_CsvPieces::readsPiecesAsWhole()
{
    QFETCH(QString, path);
    QFETCH(int, pieceBytes);
    const QString codec = QStringLiteral("Windows-1251");
    const QByteArray data = readFile(path);
    const QString wholeCodec = TextDecoding::encodingOf(data, codec, true);
    const Parsed whole(ContactsFileParser::parseCsv(TextDecoding::decodeIn(data, wholeCodec)));
    const QList<QStringList> wholeHeader = plainContactList;
    const Parsed pieces(ContactsFileParser::parseCsvFile(path, codec, true, pieceBytes));
    QVERIFY(ContactsFileParser::errorString.isEmpty());
    QCOMPARE(ContactsFileParser::usedCodec, wholeCodec);
    QCOMPARE(plainContactList, wholeHeader);
    QCOMPARE(pieces.texts(), whole.texts());
}

KIV_TEST_GUILESS_MAIN(tst_CsvPieces)
#include "tst_csvpieces.moc"

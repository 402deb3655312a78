#include "importexport/contactsfileparser.h"
#include "testsupport.h"

#include <QDir>

// A vCard file read in pieces that end after a card gives the records, and
// names the encoding, of the same file read whole; files that are not UTF-8
// are read whole.
class tst_VCardPieces : public QObject
{
    Q_OBJECT

private slots:
    void readsPiecesAsWhole_data();
    void readsPiecesAsWhole();
};

void tst_VCardPieces::readsPiecesAsWhole_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("chunkBytes");
    // The real files, and one of the cases around a card's end.
    for (const char *folder : {"/vcard", "/vcard-pieces"}) {
        const QDir dir(QStringLiteral(TEST_DATA_DIR) + QLatin1String(folder));
        for (const QString &name : dir.entryList({QStringLiteral("*.vcf")}, QDir::Files)) {
            for (const int chunkBytes : {7, 300}) {
                QTest::addRow("%s in %d bytes", qPrintable(name), chunkBytes)
                        << dir.filePath(name) << chunkBytes;
            }
        }
    }
}

void tst_VCardPieces::readsPiecesAsWhole()
{
    QFETCH(QString, path);
    QFETCH(int, chunkBytes);
    const QString codec = QStringLiteral("Windows-1251");
    const Parsed whole(ContactsFileParser::parseVCardData(readFile(path), codec, true));
    const QString wholeCodec = ContactsFileParser::usedCodec;
    QString reason;
    const Parsed pieces(ContactsFileParser::parseVCardFile(path, codec, true, &reason, chunkBytes));
    QVERIFY(reason.isEmpty());
    QCOMPARE(ContactsFileParser::usedCodec, wholeCodec);
    QCOMPARE(pieces.texts(), whole.texts());
}

KIV_TEST_GUILESS_MAIN(tst_VCardPieces)
#include "tst_vcardpieces.moc"

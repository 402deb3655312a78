#include "importexport/contactsfileparser.h"
#include "model/contactsproxymodel.h"
#include "record/contact.h"
#include "testsupport.h"
#include "vcard/textdecoding.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QGuiApplication>

// How a large import keeps its cost in step with its size: a file is read
// in pieces that end after a row or a card, and the imported rows reach the
// sorted view in one batch.
class tst_LargeImport : public QObject
{
    Q_OBJECT

private slots:
    void readsPiecesAsWhole_data();
    void readsPiecesAsWhole();
    void batchPlacesRowsAsSingleInserts_data();
    void batchPlacesRowsAsSingleInserts();
};

// A file read in pieces that end after a row or a card gives the records,
// names the encoding and says what it could not read (by line) as the same
// file decoded and read whole: rows with quoted line feeds span pieces, and
// files that are not UTF-8 are read whole.
void tst_LargeImport::readsPiecesAsWhole_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("pieceBytes");
    // The real files, and the cases around a card's end.
    for (const char *folder : {"/csv", "/vcard", "/vcard-pieces"}) {
        const QDir dir(QStringLiteral(TEST_DATA_DIR) + QLatin1String(folder));
        for (const QString &name :
             dir.entryList({QStringLiteral("*.csv"), QStringLiteral("*.vcf")}, QDir::Files)) {
            for (const int pieceBytes : {7, 300}) {
                QTest::addRow("%s in %d bytes", qPrintable(name), pieceBytes)
                        << dir.filePath(name) << pieceBytes;
            }
        }
    }
}

void tst_LargeImport::readsPiecesAsWhole()
{
    QFETCH(QString, path);
    QFETCH(int, pieceBytes);
    const QString codec = QStringLiteral("Windows-1251");
    const QByteArray data = readFile(path);
    const bool csv = path.endsWith(QLatin1String(".csv"));
    const QString csvCodec = TextDecoding::encodingOf(data, codec, true);
    ParsedFile wholeFile = csv ? ContactsFileParser::parseCsv(TextDecoding::decodeIn(data, csvCodec))
                               : ContactsFileParser::parseVCardData(data, codec, true);
    if (csv) {
        wholeFile.usedCodec = csvCodec;
    }
    const Parsed whole(std::move(wholeFile));
    const Parsed pieces(csv ? ContactsFileParser::parseCsvFile(path, codec, true, pieceBytes)
                            : ContactsFileParser::parseVCardFile(path, codec, true, pieceBytes));
    QVERIFY2(pieces.error().isEmpty(), qPrintable(pieces.error()));
    QCOMPARE(pieces.usedCodec(), whole.usedCodec());
    QCOMPARE(pieces.file().warning, whole.file().warning);
    QCOMPARE(pieces.texts(), whole.texts());
}

// The batch's rows take the places that adding them one by one gives them,
// in a searched view of favourites or not, in plain (C locale) and collated
// order, merged in or (a small batch) placed by binary searches, and a batch
// large enough to be folded on a second thread meanwhile; the names share
// long beginnings, repeat, are empty or hold NULs.
void tst_LargeImport::batchPlacesRowsAsSingleInserts_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("present");
    QTest::addColumn<int>("total");
    for (const char *locale : {"C", "en_US"}) {
        for (const int present : {60, 365}) {
            QTest::addRow("%s, %d present", locale, present)
                    << locale << QString() << present << 400;
            QTest::addRow("%s, %d present, searched favourites", locale, present)
                    << locale << QStringLiteral("b") << present << 400;
        }
    }
    QTest::addRow("a batch of 4,500, searched favourites")
            << "en_US" << QStringLiteral("b") << 100 << 4600;
}

void tst_LargeImport::batchPlacesRowsAsSingleInserts()
{
    QFETCH(QString, locale);
    QFETCH(QString, search);
    QFETCH(int, present);
    QFETCH(int, total);
    QLocale::setDefault(QLocale(locale));
    ContactsModel sources[2];
    ContactsProxyModel views[2];
    for (int i : {0, 1}) {
        views[i].setSourceModel(&sources[i]);
        views[i].sort();
        views[i].setFilterFixedString(search);
        views[i].showFavouriteGroup(!search.isEmpty());
    }
    QAbstractItemModelTester tester(views, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QString pieces[] = {"Alexandr", "a", "B", "b", QString(QChar(0)), "Ёж", QString()};
    for (int i = 0; i < total; ++i) {
        Contact contact;
        for (int part = i; part > 0; part /= 7) {
            contact.fullname += pieces[part % 7];
        }
        contact.isFavorite = i % 3 != 0;
        sources[1].addContact(&contact, QString());
        // The first rows are there before the import.
        i < present ? sources[0].addContact(&contact, QString())
                    : sources[0].queueContact(&contact);
    }
    sources[0].addQueuedContacts();
    QVERIFY(views[1].rowCount() > 60);
    QCOMPARE(views[0].rowCount(), views[1].rowCount());
    for (int row = 0; row < views[1].rowCount(); ++row) {
        QCOMPARE(views[0].mapToSource(views[0].index(row, 0)).row(),
                 views[1].mapToSource(views[1].index(row, 0)).row());
    }
    QCOMPARE(views[0].existingLetters(), views[1].existingLetters());
}

KIV_TEST_GUILESS_MAIN(tst_LargeImport)
#include "tst_largeimport.moc"

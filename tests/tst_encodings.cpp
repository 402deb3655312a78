#include "importexport/contactsfileparser.h"
#include "importexport/importexport.h"
#include "importexport/textdecoding.h"
#include "record/contact.h"

#include "testsupport.h"

#include <QSignalSpy>
#include <QTest>

// Reading the text of import files: byte-order marks, UTF-8, the encoding
// detected for 8-bit files, the form's codec, and bytes no codec can read.
class tst_Encodings : public QObject
{
    Q_OBJECT

private slots:
    void readsTextInTheRightEncoding_data();
    void readsTextInTheRightEncoding();
    void formShowsDetectedCodecAndUserOverridesIt();
};

void tst_Encodings::readsTextInTheRightEncoding_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<bool>("detect");
    QTest::addColumn<QString>("used");
    QTest::addColumn<QString>("names");
    addRowsFromFile(TEST_DATA_DIR "/encodings/read.jsonl", "SSTSS");
}

void tst_Encodings::readsTextInTheRightEncoding()
{
    QFETCH(QString, file);
    QFETCH(QString, codec);
    QFETCH(bool, detect);
    QFETCH(QString, used);
    QFETCH(QString, names);

    const QVariantList parsed =
            ContactsFileParser::parseFile(QStringLiteral(TEST_DATA_DIR "/") + file, codec, detect);
    QCOMPARE(ContactsFileParser::usedCodec, used);
    QStringList read;
    bool marked = false;
    const ImportExport backend;
    for (const QVariant &value : parsed) {
        QScopedPointer<Contact> contact(value.value<Contact *>());
        read.append(contact->composedFullName());
        marked = marked || backend.hasUnreadableLetters(contact.data());
    }
    QCOMPARE(read.join(QLatin1Char('|')), names);
    // Where a byte could not be read, the form marks the contact.
    QCOMPARE(marked, names.contains(QChar::ReplacementCharacter));
}

void tst_Encodings::formShowsDetectedCodecAndUserOverridesIt()
{
    ImportExport backend;
    QSignalSpy codecs(&backend, &ImportExport::codecChanged);
    auto surname = [&backend] {
        return backend.contacts().at(1).value<Contact *>()->surname;
    };

    backend.parseContactsFromFile(QStringLiteral("Windows-1251"),
                                  QStringLiteral(TEST_DATA_DIR "/csv/outlook2013-de-cp1252.csv"));
    QCOMPARE(backend.codec(), QStringLiteral("ISO-8859-1"));
    QCOMPARE(surname(), QString::fromUtf8("Weiß"));
    // Without a file the user's choice is read as it is: no detection.
    backend.parseContactsFromFile(QStringLiteral("Windows-1251"));
    QCOMPARE(backend.codec(), QStringLiteral("Windows-1251"));
    QCOMPARE(surname(), QString::fromUtf8("WeiЯ"));
    QCOMPARE(codecs.count(), 2);
    // Every offered codec exists and is found again under its own name.
    QCOMPARE(backend.codecNames().size(), backend.codecLabels().size());
    for (const QString &name : backend.codecNames()) {
        QCOMPARE(TextDecoding::offeredCodecName(name), name);
        QVERIFY2(TextDecoding::codecForName(name), qPrintable(name));
    }
}

KIV_TEST_GUILESS_MAIN(tst_Encodings)

#include "tst_encodings.moc"

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

    const QString german = QStringLiteral("csv/outlook2013-de-cp1252.csv");
    QTest::newRow("Google CSV in UTF-8, default codec")
            << "csv/google-current-layout.csv"
            << "Windows-1251" << true << "UTF-8"
            << "Schmidt Maria|Hausmeister Krause|Петров Дмитрий Олегович";
    QTest::newRow("German Outlook CSV in cp1252, default codec")
            << german << "Windows-1251" << true << "ISO-8859-1"
            << "Baumann Christian|Weiß Cornelius";
    QTest::newRow("German Outlook CSV, codec chosen by the user")
            << german << "Windows-1251" << false << "Windows-1251"
            << "Baumann Christian|WeiЯ Cornelius";
    QTest::newRow("Russian Outlook CSV in cp1251, form at UTF-8")
            << "csv/outlook-ru-cp1251-semicolon.csv"
            << "UTF-8" << true << "windows-1251"
            << "Иванова Анна Сергеевна|Сидоров Пётр|Ким Ольга";
    QTest::newRow("Latin-1 vCard without CHARSET, form at UTF-8")
            << "encodings/latin1-21-nocharset.vcf"
            << "UTF-8" << true << "ISO-8859-1"
            << "Müller Jörg|Lefèvre Françoise";
    QTest::newRow("Windows-1251 vCard without CHARSET, form at UTF-8")
            << "encodings/cp1251-21-nocharset.vcf"
            << "UTF-8" << true << "windows-1251"
            << "Иванова Анна Сергеевна|Сидоров Пётр|Кличко Віталій";
    QTest::newRow("vCard too short to detect: the form's codec")
            << "encodings/short-cp1251.vcf"
            << "Windows-1251" << true << "Windows-1251"
            << "Кличко Віталій";
    QTest::newRow("vCard byte the codec cannot read stays visible")
            << "encodings/one-latin1-byte.vcf"
            << "UTF-8" << false << "UTF-8"
            << "J\uFFFDrg";
    QTest::newRow("CSV byte the codec cannot read stays visible") << "encodings/one-latin1-byte.csv"
                                                                  << "UTF-8" << false << "UTF-8"
                                                                  << "Smith Ren\uFFFD";
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

#include "importexport/contactsfileparser.h"
#include "importexport/importexport.h"
#include "importexport/textdecoding.h"
#include "record/contact.h"

#include "testmain.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>

// Reading the text of import files: byte-order marks, UTF-8, the encoding
// detected for 8-bit files, the form's codec, and bytes no codec can read.
class tst_Encodings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsTextInTheRightEncoding_data();
    void readsTextInTheRightEncoding();
    void formShowsDetectedCodecAndUserOverridesIt();
    void offeredCodecsExist();

private:
    QTemporaryDir m_dir;
};

void tst_Encodings::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void tst_Encodings::readsTextInTheRightEncoding_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<bool>("detect");
    QTest::addColumn<QString>("used");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("unreadable");

    const QString german = QStringLiteral("csv/outlook2013-de-cp1252.csv");
    QTest::newRow("Google CSV in UTF-8, default codec")
            << "csv/google-current-layout.csv" << QByteArray() << "Windows-1251" << true << "UTF-8"
            << QStringList{"Schmidt Maria", "Hausmeister Krause",
                           QString::fromUtf8("Петров Дмитрий Олегович")}
            << false;
    QTest::newRow("German Outlook CSV in cp1252, default codec")
            << german << QByteArray() << "Windows-1251" << true << "ISO-8859-1"
            << QStringList{"Baumann Christian", QString::fromUtf8("Weiß Cornelius")} << false;
    QTest::newRow("German Outlook CSV, codec chosen by the user")
            << german << QByteArray() << "Windows-1251" << false << "Windows-1251"
            << QStringList{"Baumann Christian", QString::fromUtf8("WeiЯ Cornelius")} << false;
    QTest::newRow("Russian Outlook CSV in cp1251, form at UTF-8")
            << "csv/outlook-ru-cp1251-semicolon.csv" << QByteArray() << "UTF-8" << true
            << "windows-1251"
            << QStringList{QString::fromUtf8("Иванова Анна Сергеевна"),
                           QString::fromUtf8("Сидоров Пётр"), QString::fromUtf8("Ким Ольга")}
            << false;
    QTest::newRow("Latin-1 vCard without CHARSET, form at UTF-8")
            << "vcard/latin1-21-nocharset.vcf" << QByteArray() << "UTF-8" << true << "ISO-8859-1"
            << QStringList{QString::fromUtf8("Müller Jörg"), QString::fromUtf8("Lefèvre Françoise")}
            << false;
    QTest::newRow("Windows-1251 vCard without CHARSET, form at UTF-8")
            << "vcard/cp1251-21-nocharset.vcf" << QByteArray() << "UTF-8" << true << "windows-1251"
            << QStringList{QString::fromUtf8("Иванова Анна Сергеевна"),
                           QString::fromUtf8("Сидоров Пётр"), QString::fromUtf8("Кличко Віталій")}
            << false;
    QTest::newRow("vCard too short to detect: the form's codec")
            << "short.vcf"
            << QByteArray("BEGIN:VCARD\nVERSION:2.1\nN:\xCA\xEB\xE8\xF7\xEA\xEE;"
                          "\xC2\xB3\xF2\xE0\xEB\xB3\xE9\nEND:VCARD\n")
            << "Windows-1251" << true << "Windows-1251"
            << QStringList{QString::fromUtf8("Кличко Віталій")} << false;
    QTest::newRow("vCard byte the codec cannot read stays visible")
            << "byte.vcf" << QByteArray("BEGIN:VCARD\nVERSION:2.1\nN:J\xF6rg\nEND:VCARD\n")
            << "UTF-8" << false << "UTF-8" << QStringList{QString::fromUtf8("J\uFFFDrg")} << true;
    QTest::newRow("CSV byte the codec cannot read stays visible")
            << "byte.csv" << QByteArray("First Name,Last Name\nRen\xE9,Smith\n") << "UTF-8" << false
            << "UTF-8" << QStringList{QString::fromUtf8("Smith Ren\uFFFD")} << true;
}

void tst_Encodings::readsTextInTheRightEncoding()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, codec);
    QFETCH(bool, detect);
    QFETCH(QString, used);
    QFETCH(QStringList, names);
    QFETCH(bool, unreadable);

    QString path = QStringLiteral(TEST_DATA_DIR "/") + file;
    if (!bytes.isEmpty()) {
        path = m_dir.filePath(file);
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(out.write(bytes), bytes.size());
    }
    const QVariantList parsed = ContactsFileParser::parseFile(path, codec, detect);
    QCOMPARE(ContactsFileParser::usedCodec, used);
    QStringList read;
    bool marked = false;
    const ImportExport backend;
    for (const QVariant &value : parsed) {
        QScopedPointer<Contact> contact(value.value<Contact *>());
        read.append(contact->composedFullName());
        marked = marked || backend.hasUnreadableLetters(contact.data());
    }
    QCOMPARE(read, names);
    QCOMPARE(marked, unreadable);
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
    QCOMPARE(codecs.count(), 1);
    // Without a file the user's choice is read as it is: no detection.
    backend.parseContactsFromFile(QStringLiteral("Windows-1251"));
    QCOMPARE(backend.codec(), QStringLiteral("Windows-1251"));
    QCOMPARE(surname(), QString::fromUtf8("WeiЯ"));
    QCOMPARE(codecs.count(), 2);
    backend.parseContactsFromFile(QStringLiteral("Windows-1252"));
    QCOMPARE(surname(), QString::fromUtf8("Weiß"));
    QCOMPARE(backend.codecNames().indexOf(backend.codec()),
             backend.codecLabels().indexOf(QStringLiteral("Western European (Windows-1252)")));
}

void tst_Encodings::offeredCodecsExist()
{
    const ImportExport backend;
    QCOMPARE(backend.codecNames().constFirst(), QStringLiteral("Windows-1251"));
    QCOMPARE(backend.codecNames().size(), backend.codecLabels().size());
    for (const QString &name : backend.codecNames()) {
        QVERIFY2(TextDecoding::codecForName(name), qPrintable(name));
        QCOMPARE(TextDecoding::offeredCodecName(name), name);
    }
}

KIV_TEST_GUILESS_MAIN(tst_Encodings)

#include "tst_encodings.moc"

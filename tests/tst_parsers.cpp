#include "importexport/contactsfileparser.h"
#include "record/contact.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>

// The import parsers, from data: each fixture under tests/data/{csv,vcard}
// beside its name.expected.json (codecs, count, every field of each contact).
class tst_Parsers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsFixture_data();
    void readsFixture();
    void refusesPlainText();
    void survivesBadInput_data();
    void survivesBadInput();

private:
    QTemporaryDir m_dir;
};

void tst_Parsers::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void tst_Parsers::readsFixture_data()
{
    QTest::addColumn<QString>("file");
    for (const char *folder : {"/csv", "/vcard"}) {
        QDirIterator it(QStringLiteral(TEST_DATA_DIR) + QLatin1String(folder),
                        QStringList{QStringLiteral("*.expected.json")});
        while (it.hasNext()) {
            const QString expectation = it.next();
            const QString file = expectation.chopped(int(qstrlen(".expected.json")));
            QTest::newRow(qPrintable(QFileInfo(file).fileName())) << file;
        }
    }
}

void tst_Parsers::readsFixture()
{
    QFETCH(QString, file);
    const QJsonObject expected =
            QJsonDocument::fromJson(readFile(file + QStringLiteral(".expected.json"))).object();
    const QJsonArray contacts = expected.value(QLatin1String("contacts")).toArray();
    const QJsonArray codecs = expected.value(QLatin1String("codecs")).toArray();
    QVERIFY(!codecs.isEmpty());
    for (const QJsonValue &codec : codecs) {
        const Parsed parsed(ContactsFileParser::parseFile(file, codec.toString()));
        QVERIFY(ContactsFileParser::errorString.isEmpty());
        if (!expected.contains(QLatin1String("contacts"))) {
            // A new fixture: its expectation holds only the codecs. The
            // parser's output is written for review (tools/bootstrap-expected.py).
            QJsonObject bootstrap = expected;
            bootstrap.insert(QStringLiteral("count"), parsed.size());
            QJsonArray output;
            for (const Contact *contact : parsed.all()) {
                output.append(contactJson(contact));
            }
            bootstrap.insert(QStringLiteral("contacts"), output);
            writeFile(file + QStringLiteral(".expected.json"), QJsonDocument(bootstrap).toJson());
            QSKIP("expectation written for review");
        }
        QCOMPARE(parsed.size(), expected.value(QLatin1String("count")).toInt());
        QCOMPARE(parsed.size(), contacts.size());
        for (int i = 0; i < parsed.size(); ++i) {
            QVERIFY2(parsed.at(i)->importMe && !parsed.at(i)->id.isEmpty(), qPrintable(file));
            const QString where = codec.toString() + QStringLiteral(" #%1 ").arg(i);
            QCOMPARE(where + contactText(parsed.at(i)),
                     where
                             + QJsonDocument(contacts.at(i).toObject())
                                       .toJson(QJsonDocument::Compact));
        }
    }
}

void tst_Parsers::refusesPlainText()
{
    const QString path = writeFile(m_dir.filePath("run.sh"), "#!/bin/sh\necho First Name\n");
    QCOMPARE(Parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8"))).size(), 0);
    QCOMPARE(ContactsFileParser::errorString,
             QStringLiteral("This file is not a contact file (a shell script)"));
    // The next parse starts clean.
    const QString csv = writeFile(m_dir.filePath("contacts.csv"), "First Name\nAnna\n");
    QCOMPARE(Parsed(ContactsFileParser::parseFile(csv, QStringLiteral("UTF-8"))).size(), 1);
    QVERIFY(ContactsFileParser::errorString.isEmpty());
}

void tst_Parsers::survivesBadInput_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count");

    QByteArray binary(1 << 20, '\0');
    QRandomGenerator random(42);
    for (char &c : binary) {
        c = char(random.bounded(256));
    }
    const QByteArray google =
            readFile(QStringLiteral(TEST_DATA_DIR "/csv/google-old-multiline.csv"));
    const QByteArray qp = readFile(QStringLiteral(TEST_DATA_DIR "/vcard/generated-vcard21.vcf"));
    const QByteArray cut = qp.left(qp.indexOf("=\r\n", qp.size() / 2) + 1);
    QTest::newRow("csv cut inside a quoted field")
            << "a.csv" << google.left(google.size() / 2) << 0;
    QTest::newRow("binary csv") << "a.csv" << binary << -1;
    QTest::newRow("binary sqlite") << "a.sqlite" << binary << 0;
    QTest::newRow("binary vcf") << "a.vcf" << binary << 0;
    QTest::newRow("missing file") << "" << QByteArray() << 0;
    QTest::newRow("csv header only") << "a.csv" << QByteArray("First Name,Last Name\n") << 0;
    QTest::newRow("csv open quote before 4 MB of commas")
            << "a.csv"
            << "First Name\n\"" + QByteArray(4 << 20, ',') << 0;
    QTest::newRow("csv 50 MB single line") << "a.csv" << QByteArray(50 << 20, 'x') << 0;
    QTest::newRow("vcf 50 MB single line") << "a.vcf" << QByteArray(50 << 20, 'a') << 0;
    QTest::newRow("vcf 50 MB value")
            << "a.vcf"
            << "BEGIN:VCARD\nNOTE:" + QByteArray(50 << 20, 'a') + "\nEND:VCARD\n"
            << 1;
    QTest::newRow("vcf cut inside quoted-printable")
            << "a.vcf" << cut << int(cut.count("END:VCARD"));
    QTest::newRow("vcf blank lines, mark, NULs, END and folds only")
            << "a.vcf" << QByteArray("\xEF\xBB\xBF\r\n\r\n \n\t\n\0\0END:VCARD\n a\n b\n", 28) << 0;
    QTest::newRow("vcf empty card") << "a.vcf" << QByteArray("BEGIN:VCARD\nEND:VCARD\n") << 1;
    QTest::newRow("vcf quoted-printable value folded 200,000 times")
            << "a.vcf"
            << "BEGIN:VCARD\nNOTE;QUOTED-PRINTABLE:a" + QByteArray("\n b").repeated(200000)
                       + "\nEND:VCARD\n"
            << 1;
    QTest::newRow("vcf endless soft breaks")
            << "a.vcf"
            << "BEGIN:VCARD\nNOTE;QUOTED-PRINTABLE:=\n" + QByteArray("=\n").repeated(100000) << 0;
}

// Bad input ends in bounded time without a crash (count -1: any count).
void tst_Parsers::survivesBadInput()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    const QString path =
            name.isEmpty() ? m_dir.filePath("missing.csv") : writeFile(m_dir.filePath(name), bytes);
    QElapsedTimer timer;
    timer.start();
    const Parsed parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")));
    if (count >= 0) {
        QCOMPARE(parsed.size(), count);
    }
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
    QFile::remove(path);
}

KIV_TEST_GUILESS_MAIN(tst_Parsers)
#include "tst_parsers.moc"

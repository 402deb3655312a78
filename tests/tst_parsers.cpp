#include "importexport/contactsfileparser.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>

// The import parsers, from data: every fixture under tests/data/csv and
// tests/data/vcard lies beside its expectation (name.expected.json: the
// codecs to read it with, the count and the fields of each contact); the
// quirk-*.* fixtures hold one parser quirk each. Records are compared as
// contactText() lines, so a failure shows every field at once.
class tst_Parsers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsFixture_data();
    void readsFixture();
    void readsDatabaseAndLeavesItUnchanged_data();
    void readsDatabaseAndLeavesItUnchanged();
    void givesFreshIdsInFileOrder();
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

void tst_Parsers::readsDatabaseAndLeavesItUnchanged_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("count");
    QTest::newRow("written by the store") << "store" << 2;
    QTest::newRow("no contact table") << "other table" << 0;
    QTest::newRow("garbage") << "garbage" << 0;
    QTest::newRow("empty file") << "empty" << 0;
}

void tst_Parsers::readsDatabaseAndLeavesItUnchanged()
{
    QFETCH(QString, kind);
    const QString path = m_dir.filePath(kind + QStringLiteral(".sqlite"));
    if (kind == QLatin1String("garbage")) {
        writeFile(path, QByteArray("SQLite format 3\0", 16) + QByteArray(5000, '\x5a'));
    } else if (kind == QLatin1String("empty")) {
        writeFile(path, QByteArray());
    } else {
        SqliteDatabase store;
        QVERIFY(store.open(path));
        auto contacts = makeContacts(QStringLiteral("Smith Анна*|Brown Bob"));
        contacts.front()->phoneList = QStringList{"123", "456"};
        contacts.front()->phoneGroupList = QStringList{"Mobile", "Work"};
        contacts.front()->comment = QStringLiteral("two\nlines");
        for (const auto &contact : contacts) {
            store.insertContact(contact.get());
        }
        if (kind != QLatin1String("store")) {
            store.removeContacts(QStringList{"1", "2"});
        }
    }
    const QByteArray before = readFile(path);
    const Parsed parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")));
    QTEST(parsed.size(), "count");
    QCOMPARE(readFile(path), before);
    QVERIFY(!QFileInfo::exists(path + QStringLiteral("-journal")));
    if (parsed.size() == 2) {
        const QString expected = QString::fromUtf8(
                R"({"comment":"two\nlines","favorite":true,"fullname":"Smith Анна","name":"Анна",)"
                R"("phones":["123 / Mobile","456 / Work"],"surname":"Smith"})"
                "\n"
                R"({"fullname":"Brown Bob","name":"Bob","surname":"Brown"})");
        QCOMPARE(parsed.texts().join('\n'), expected);
    }
}

void tst_Parsers::givesFreshIdsInFileOrder()
{
    QByteArray csv("First Name\n");
    for (int i = 0; i < 2000; ++i) {
        csv += "N" + QByteArray::number(i) + '\n';
    }
    const Parsed parsed(ContactsFileParser::parseFile(writeFile(m_dir.filePath("ids.csv"), csv),
                                                      QStringLiteral("UTF-8")));
    QCOMPARE(parsed.size(), 2000);
    for (int i = 1; i < parsed.size(); ++i) {
        QVERIFY(parsed.at(i - 1)->id.toLongLong() < parsed.at(i)->id.toLongLong());
    }
}

void tst_Parsers::refusesPlainText()
{
    const QString path = writeFile(m_dir.filePath("contacts.txt"), "First Name\nAnna\n");
    QCOMPARE(Parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8"))).size(), 0);
    QCOMPARE(ContactsFileParser::errorString,
             QStringLiteral("This file is not a contact file (a plain text document)"));
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

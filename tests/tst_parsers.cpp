#include "importexport/contactsfileparser.h"
#include "importexport/csvcontactreader.h"
#include "importexport/importexport.h"
#include "record/contact.h"
#include "vcard/textdecoding.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

// The import parsers: every fixture against its name.expected.json, bad input, header rules.
class tst_Parsers : public QObject
{
    Q_OBJECT

private slots:
    void readsFixture_data();
    void readsFixture();
    void refusesPlainText();
    void readsCarriageReturnLinesWhateverTheName();
    void survivesBadInput_data();
    void survivesBadInput();
    void readsTextInTheRightEncoding_data();
    void readsTextInTheRightEncoding();
    void checksUtf8AtEveryOffset_data();
    void checksUtf8AtEveryOffset();
    void selectsHeaderRule_data();
    void selectsHeaderRule();
    void readsLongHeaders_data();
    void readsLongHeaders();
    void namesNamelessRecords_data();
    void namesNamelessRecords();

private:
    QTemporaryDir m_dir;
};

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
        QVERIFY(parsed.error().isEmpty());
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
        QCOMPARE(parsed.file().warning, expected.value(QLatin1String("warning")).toString());
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
        // The groups of the file's group cards, and their members it lacks.
        QJsonObject uids;
        for (auto it = parsed.file().groupsOfUids.cbegin(); it != parsed.file().groupsOfUids.cend();
             ++it) {
            uids.insert(it.key(), QJsonArray::fromStringList(it.value()));
        }
        QCOMPARE(QJsonArray::fromStringList(parsed.file().groups),
                 expected[QLatin1String("groups")].toArray());
        QCOMPARE(uids, expected[QLatin1String("groupsOfUids")].toObject());
    }
}

void tst_Parsers::refusesPlainText()
{
    const QString path = writeFile(m_dir.filePath("run.sh"), "#!/bin/sh\necho First Name\n");
    const Parsed parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")));
    QCOMPARE(parsed.size(), 0);
    QCOMPARE(parsed.error(), QStringLiteral("This file is not a contact file (a shell script)"));
}

// A file of Excel for Mac's ends its lines in carriage returns only: its
// header is its first line, also for a name that says nothing of the type.
void tst_Parsers::readsCarriageReturnLinesWhateverTheName()
{
    const QString path =
            writeFile(m_dir.filePath("contacts"), "First Name,Last Name\rAnna,Smith\rBob,Jones\r");
    const Parsed parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")));
    QCOMPARE(parsed.error(), QString());
    QCOMPARE(parsed.size(), 2);
    QCOMPARE(parsed.at(1)->surname, QStringLiteral("Jones"));
}

void tst_Parsers::survivesBadInput_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QByteArray>("unit");
    QTest::addColumn<int>("times");
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<int>("count");
    addRowsFromFile(TEST_DATA_DIR "/bad-input/rows.jsonl", "SBBIBI");
}

// Bad input (head, unit repeated, tail) ends in bounded time without a crash.
void tst_Parsers::survivesBadInput()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, unit);
    QFETCH(int, times);
    QFETCH(QByteArray, tail);
    QFETCH(int, count);
    if (head.startsWith('@')) {
        head = readFile(TEST_DATA_DIR "/" + QString::fromUtf8(head.mid(1)));
        QVERIFY(!head.isEmpty());
    }
    const QString path =
            name.isEmpty() ? m_dir.filePath("missing.csv")
                           : writeFile(m_dir.filePath(name), head + unit.repeated(times) + tail);
    QVERIFY(!path.isEmpty());
    QElapsedTimer timer;
    timer.start();
    const Parsed parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")));
    if (count >= 0) {
        QCOMPARE(parsed.size(), count);
    }
    // Far above what a sanitizer build takes on a busy machine (half a
    // minute for 50 MB), far below what a pass quadratic in the input takes.
    QVERIFY2(timer.elapsed() < 180000, qPrintable(QString::number(timer.elapsed())));
    QFile::remove(path);
}

void tst_Parsers::readsTextInTheRightEncoding_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<bool>("detect");
    QTest::addColumn<QString>("used");
    QTest::addColumn<QString>("names");
    addRowsFromFile(TEST_DATA_DIR "/encodings/read.jsonl", "SSTSS");
}

void tst_Parsers::readsTextInTheRightEncoding()
{
    QFETCH(QString, file);
    QFETCH(QString, codec);
    QFETCH(bool, detect);
    QFETCH(QString, used);
    QFETCH(QString, names);

    const Parsed parsed(
            ContactsFileParser::parseFile(QStringLiteral(TEST_DATA_DIR "/") + file, codec, detect));
    QCOMPARE(parsed.usedCodec(), used);
    QStringList read;
    bool marked = false;
    const ImportExport backend;
    for (Contact *contact : parsed.all()) {
        read.append(contact->composedFullName());
        marked = marked || backend.hasUnreadableLetters(contact);
    }
    QCOMPARE(read.join(QLatin1Char('|')), names);
    QCOMPARE(marked, names.contains(QChar::ReplacementCharacter));
}

// The check skips ASCII in blocks: a sequence is judged alike wherever it
// falls against them, as Qt's decoder judges it.
void tst_Parsers::checksUtf8AtEveryOffset_data()
{
    QTest::addColumn<QByteArray>("sequence");
    QTest::addColumn<bool>("valid");
    QTest::newRow("two bytes") << QByteArray("\xC3\xA9") << true;
    QTest::newRow("three bytes") << QByteArray("\xE2\x82\xAC") << true;
    QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x98\x80") << true;
    QTest::newRow("lone continuation") << QByteArray("\x80") << false;
    QTest::newRow("cut short") << QByteArray("\xE2\x82") << false;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
    QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
    QTest::newRow("overlong") << QByteArray("\xC0\xAF") << false;
}

void tst_Parsers::checksUtf8AtEveryOffset()
{
    QFETCH(QByteArray, sequence);
    QFETCH(bool, valid);
    for (int before = 0; before <= 40; ++before) {
        for (int after : {0, 1, 7, 8, 31, 40}) {
            const QByteArray text = QByteArray(before, 'a') + sequence + QByteArray(after, 'b');
            QCOMPARE(QString::fromUtf8(text).toUtf8() == text, valid);
            QVERIFY2(TextDecoding::isValidUtf8(text) == valid,
                     qPrintable(QStringLiteral("%1 before, %2 after").arg(before).arg(after)));
            // Cut inside the sequence, the text is never valid.
            if (sequence.size() > 1) {
                QVERIFY(!TextDecoding::isValidUtf8(text.left(before + 1)));
            }
        }
    }
}

void tst_Parsers::selectsHeaderRule_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("text");
    addRowsFromFile(TEST_DATA_DIR "/csv/header-rules.jsonl", "SIS");
}

void tst_Parsers::selectsHeaderRule()
{
    QFETCH(QString, header);
    const CsvContactReader::Rule rule = CsvContactReader::ruleFor(header);
    QTEST(int(rule.action), "action");
    QTEST(rule.text, "text");
}

// One lookup per header text, linear appends (these rows once took minutes).
void tst_Parsers::readsLongHeaders_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("phones");
    addRowsFromFile(TEST_DATA_DIR "/csv/long-headers.jsonl", "SSI");
}

void tst_Parsers::readsLongHeaders()
{
    QFETCH(QString, column);
    QFETCH(QString, address);
    QString header, row, expected;
    for (int i = 0; i < 100000; ++i) {
        const QString digit = QString::number(i % 10);
        header += QString(column).replace(QLatin1String("%1"), QString::number(i)) + ',';
        row += digit + ',';
        expected += (address == QLatin1String("reversed") ? QString() : address) + digit;
    }
    if (address == QLatin1String("reversed")) {
        std::reverse(expected.begin(), expected.end());
    }
    const Parsed contacts(ContactsFileParser::parseCsv(header + "Given Name\n" + row + "Anna\n"));
    QCOMPARE(contacts.size(), 1);
    QCOMPARE(contacts.at(0)->name, QStringLiteral("Anna"));
    QCOMPARE(contacts.at(0)->addressList,
             address.isEmpty() ? QStringList() : QStringList{expected});
    QTEST(int(contacts.at(0)->phoneList.size()), "phones");
}

void tst_Parsers::namesNamelessRecords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    addRowsFromFile(TEST_DATA_DIR "/csv/nameless-records.jsonl");
}

void tst_Parsers::namesNamelessRecords()
{
    QFETCH(QString, text);
    const Parsed contacts(text.startsWith(QLatin1String("BEGIN"))
                                  ? ContactsFileParser::parseVCard(text)
                                  : ContactsFileParser::parseCsv(text).contacts);
    QCOMPARE(contacts.size(), 1);
    QTEST(contacts.at(0)->name, "name");
    QCOMPARE(contacts.at(0)->surname, QString());
}

KIV_TEST_GUILESS_MAIN(tst_Parsers)
#include "tst_parsers.moc"

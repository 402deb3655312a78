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
#include <QTextCodec>

// The import parsers, from data: every fixture under tests/data/csv and
// tests/data/vcard lies beside its expectation (name.expected.json: the
// codecs to read it with, the count and the fields of each contact), and
// small written files cover one quirk per row. Records are compared as
// contactText() lines, so a failure shows every field at once.
class tst_Parsers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsFixture_data();
    void readsFixture();
    void readsFile_data();
    void readsFile();
    void readsDatabaseAndLeavesItUnchanged_data();
    void readsDatabaseAndLeavesItUnchanged();
    void givesFreshIdsInFileOrder();
    void refusesPlainText();
    void survivesBadInput_data();
    void survivesBadInput();

private:
    QTemporaryDir m_dir;
};

namespace {

// Rows: a file name, its bytes, the codec chosen and the contacts, one
// contactText() line each.
void addFile(const char *tag, const QString &name, const QByteArray &bytes, const char *codec,
             const QByteArray &expected)
{
    QTest::newRow(tag) << name << bytes << QString::fromLatin1(codec) << expected;
}

void addCsv(const char *tag, const QByteArray &text, const QByteArray &expected)
{
    addFile(tag, QStringLiteral("row.csv"), text, "UTF-8", expected);
}

void addCard(const char *tag, const QByteArray &lines, const QByteArray &expected)
{
    addFile(tag, QStringLiteral("card.vcf"),
            "BEGIN:VCARD\r\nVERSION:3.0\r\n" + lines + "\r\nEND:VCARD\r\n", "UTF-8", expected);
}

QByteArray encoded(const QString &text, const char *codec)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return QTextCodec::codecForName(codec)->fromUnicode(text.constData(), text.size(), &state);
}

} // namespace

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

void tst_Parsers::readsFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<QByteArray>("expected");

    // CSV: the tokenizer.
    addCsv("quoted comma, doubled quotes",
           "First Name,Last Name\n\"Smith, J\",\"say \"\"hi\"\"\"\n",
           R"({"name":"Smith, J","surname":"say \"hi\""})");
    addCsv("quoted line break, CRLF", "First Name,Notes\r\nA,\"1\r\n2\"\r\n",
           R"({"comment":"1\n2\n","name":"A"})");
    addCsv("no final line feed; values not trimmed", "First Name,Last Name\n A ,B",
           R"({"name":" A ","surname":"B"})");
    addCsv("final row ending in a comma is dropped", "First Name,Last Name\nA,B\nC,",
           R"({"name":"A","surname":"B"})");
    addCsv("open quote runs to the end and is dropped", "First Name\nA\n\"open\nB\n",
           R"({"name":"A"})");
    addCsv("semicolon header, comma in value", "First Name;Last Name\nAnna;Smith, Jr.\n",
           R"({"name":"Anna","surname":"Smith, Jr."})");
    addCsv("quoted separators do not count", "\"First Name\";\"Last, Name\"\nA;B\n",
           R"({"name":"A"})");
    addCsv("empty rows give no contact", "First Name,Last Name\nAnna,Smith\n\n , \n,\"\"\nBob,B\n",
           R"({"name":"Anna","surname":"Smith"})"
           "\n"
           R"({"name":"Bob","surname":"B"})");
    addFile("tab-separated file", QStringLiteral("t.tsv"),
            "First Name\tLast Name\tHome Phone\nAnna\tSmith, Jr.\t12\n", "UTF-8",
            R"({"name":"Anna","phones":["12 / Home"],"surname":"Smith, Jr."})");
    // CSV: the header table.
    addCsv("home address composition", "Home Street,Home City,Home Country\nMain 1,Town,Land\n",
           R"({"addresses":["Country: Land  Street: Main 1 City: Town / Home"]})");
    addCsv("e-mail only row named after local part",
           "Given Name,E-mail 1 - Value\n,anna@example.com\n",
           R"({"emails":["anna@example.com / Home"],"name":"anna"})");
    addCsv("pager type splits and labels values; an address keeps its own type",
           "Given Name,Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,Phone 2 - Value,"
           "Address 1 - Formatted\nA,Pager,1 ::: 2,*,3,Street\n",
           R"({"addresses":["Street / "],"name":"A","phones":["1 / Pager","2 / Pager","3 / Mobile"]})");
    addCsv("group membership starred, lower case",
           "Given Name,Group Membership\nA,* my contacts ::: * starred\n",
           R"({"favorite":true,"name":"A"})");
    addCsv("group membership without star", "Given Name,Group Membership\nA,* My Contacts\n",
           R"({"name":"A"})");
    addCsv("current layout labels starred", "First Name,Labels\nA,* myContacts ::: * starred\n",
           R"({"favorite":true,"name":"A"})");
    addCsv("outlook Marked category", "First Name,Categories\nA,Friends;marked\n",
           R"({"favorite":true,"name":"A"})");
    addCsv("outlook empty birthdays", "First Name,Birthday\nA,0.0.00\nB,0/0/00\nC,11/3/1979\n",
           R"({"name":"A"})"
           "\n"
           R"({"name":"B"})"
           "\n"
           R"({"dateOfBirth":"11/3/1979","name":"C"})");
    addCsv("thunderbird birthday parts, all or none",
           "First Name,Birth Year,Birth Month,Birth Day\nA,1970,3,5\nB,,3,5\n",
           R"({"dateOfBirth":"05.03.1970","name":"A"})"
           "\n"
           R"({"name":"B"})");
    addCsv("display name names a nameless row",
           "First Name,Display Name,Primary Email\n,Anna Smith,a@b.c\n",
           R"({"emails":["a@b.c / Home"],"name":"Anna Smith"})");
    addCsv("display name ignored when a name part exists", "Name,Family Name\nAnna Smith,Smith\n",
           R"({"surname":"Smith"})");
    addCsv("organisation names a row without name or e-mail", "Company,Mobile Phone\nAcme,123\n",
           R"({"name":"Acme","organization":"Acme","phones":["123 / Mobile"]})");
    addCsv("title before surname, nickname after name",
           "Title,Last Name,First Name,Nickname\nDr.,Smith,Anna,Ann\n",
           R"({"name":"Anna Ann","surname":"Dr., Smith"})");
    addCsv("organisation names joined",
           "First Name,Organization 1 - Name,Organization 2 - Name\nA,X,Y\n",
           R"({"name":"A","organization":"X, Y"})");
    addCsv("comment lines in column order", "First Name,Notes,Job Title\nA,hello,boss\n",
           R"({"comment":"hello\nJob Title: boss\n","name":"A"})");
    addCsv("columns beyond the header ignored, blanks skipped", "First Name,Last Name\nA,   ,C,D\n",
           R"({"name":"A"})");
    addCsv("current layout address label",
           "First Name,Address 1 - Label,Address 1 - Formatted\nA,* Work,Street 1\n",
           R"({"addresses":["Street 1 / Work"],"name":"A"})");
    addCsv("website values split", "First Name,Website 1 - Value\nA,x.org ::: y.org\n",
           R"({"links":["x.org","y.org"],"name":"A"})");
    addCsv("thunderbird work address",
           "First Name,Work Address,Work City,Work Country\nA,Road 2,City,Land\n",
           R"({"addresses":["Country: Land Road 2 City: City / Work"],"name":"A"})");
    // CSV: the byte-order mark decides over the chosen codec.
    const QString text = QString::fromUtf8("First Name,Last Name\nАнна,Müller\n");
    addFile("UTF-8 mark, cp1251 chosen", QStringLiteral("b.csv"), "\xEF\xBB\xBF" + text.toUtf8(),
            "Windows-1251", R"({"name":"Анна","surname":"Müller"})");
    addFile("UTF-16LE mark, cp1251 chosen", QStringLiteral("b.csv"),
            "\xFF\xFE" + encoded(text, "UTF-16LE"), "Windows-1251",
            R"({"name":"Анна","surname":"Müller"})");
    addFile("UTF-16BE mark, UTF-8 chosen", QStringLiteral("b.csv"),
            "\xFE\xFF" + encoded(text, "UTF-16BE"), "UTF-8",
            R"({"name":"Анна","surname":"Müller"})");
    addFile("UTF-32LE mark", QStringLiteral("b.csv"),
            QByteArray("\xFF\xFE\0\0", 4) + encoded(text, "UTF-32LE"), "UTF-8",
            R"({"name":"Анна","surname":"Müller"})");
    addFile("UTF-16LE without mark", QStringLiteral("b.csv"), encoded(text, "UTF-16LE"),
            "Windows-1251", R"({"name":"Анна","surname":"Müller"})");
    addFile("no mark, cp1251", QStringLiteral("b.csv"),
            encoded(QString::fromUtf8("First Name\nАнна\n"), "Windows-1251"), "Windows-1251",
            R"({"name":"Анна"})");

    // vCard: names.
    addCard("prefix and suffix", "N:Smith;Anna;;Dr.;Jr.",
            R"({"middlename":", Jr.","name":"Anna","surname":"Dr., Smith"})");
    addCard("family name only", "N:Smith", R"({"surname":"Smith"})");
    addCard("additional names", "N:Иванов;Иван;Иванович;;",
            R"({"middlename":"Иванович","name":"Иван","surname":"Иванов"})");
    addCard("nickname appended", "N:Smith;Anna;;;\r\nNICKNAME:Annie",
            R"({"middlename":", Annie","name":"Anna","surname":"Smith"})");
    addCard("N after nickname replaces", "NICKNAME:Annie\r\nN:Smith;Anna;;;",
            R"({"name":"Anna","surname":"Smith"})");
    addCard("escaped semicolon in a part", "N:Smith\\;Jones;Anna",
            R"({"name":"Anna","surname":"Smith;Jones"})");
    addCard("lower-case, grouped name", "item1.n:Smith;Anna",
            R"({"name":"Anna","surname":"Smith"})");
    addCard("formatted name when N is empty", "N:;;;;\r\nFN:Anna Smith",
            R"({"name":"Anna Smith"})");
    addCard("formatted name without N", "FN:Only FN\r\nEMAIL:x@y.org",
            R"({"emails":["x@y.org / Home"],"name":"Only FN"})");
    addCard("e-mail local part", "EMAIL:anna@example.com\r\nFN:",
            R"({"emails":["anna@example.com / Home"],"name":"anna"})");
    addCard("e-mail without at sign", "EMAIL:anna", R"({"emails":["anna / Home"]})");
    addCard("N wins over FN", "FN:Other\r\nN:Smith;Anna", R"({"name":"Anna","surname":"Smith"})");
    // vCard: phone labels.
    addCard("phone types",
            "N:X\r\nTEL;TYPE=HOME,CELL:1\r\nTEL;TYPE=VOICE:2\r\nTEL:3\r\nTEL;CELL:4\r\nTEL;HOME:"
            "5\r\n"
            "TEL;WORK;VOICE:6\r\nitem1.TEL;TYPE=CELL,VOICE:+1 555\r\nTEL;type=home:7\r\n"
            "TEL;type=pref;type=CELL;type=VOICE:8\r\nTEL;TYPE=FAX,HOME:9\r\nTEL;CELL: 10 \r\n"
            "TEL;X-CUSTOM=1:11\r\nTEL;VALUE=uri;TYPE=\"work,voice\":tel:+1-418-656-9254;ext=102",
            R"({"phones":["1 / Home","2 / Work","3 / Mobile","4 / Mobile","5 / Home","6 / Work","+1 555 / Mobile","7 / Home","8 / Mobile","9 / Home","10 / Mobile","11 / Mobile","+1-418-656-9254 ext. 102 / Work"],"surname":"X"})");
    // vCard: addresses.
    addCard("address types and parts",
            "N:X\r\nADR;TYPE=work:;;Main St 1;Town;;123;Land\r\nADR:;;Main St 2;Town\r\n"
            "ADR;HOME;PREF;:;;Street 3\r\nADR;TYPE=POSTAL,WORK:;;Street "
            "4\r\nADR;TYPE=OTHER:;;Street 5\r\n"
            "ADR;TYPE=HOME:;;Street 6\\, Apt 2\\nBack door;Town",
            R"({"addresses":["Main St 1, Town, 123, Land / Work","Main St 2, Town / Home","Street 3 / Home","Street 4 / Work","Street 5 / Work","Street 6, Apt 2\nBack door, Town / Home"],"surname":"X"})");
    addCard("label alone", "N:X\r\nLABEL;TYPE=WORK:Main St 1\\nTown",
            R"({"addresses":["Main St 1\nTown / Work"],"surname":"X"})");
    addCard("address and its label give one address",
            "N:X\r\nADR;TYPE=WORK:;;Main St 1;Town\r\nLABEL;TYPE=WORK:Main St 1\\nTown\r\n"
            "LABEL;TYPE=HOME:Home St 2",
            R"({"addresses":["Main St 1, Town / Work","Home St 2 / Home"],"surname":"X"})");
    addCard("other properties",
            "N:Smith;Anna\r\nORG:Acme\\, Inc.;Sales\r\nBDAY:1990-05-17\r\nNOTE:first\\nsecond\r\n"
            "ROLE:Engineer\r\nTITLE:Boss\r\nNOTE:third\r\nCATEGORIES:Family,Starred\r\n"
            "EMAIL;TYPE=WORK:anna@example.com\r\nEMAIL;TYPE=INTERNET:\r\n"
            "URL:http\\://example.com:8080/a\r\nTEL:\r\nADR:;;;;;;\r\nX-UNKNOWN:whatever\r\n"
            "FN:Anna Smith",
            R"({"comment":"first\nsecond\nOccupation: Engineer\nTitle: Boss\nthird","dateOfBirth":"1990-05-17","emails":["anna@example.com / Home"],"favorite":true,"links":["http://example.com:8080/a"],"name":"Anna","organization":"Acme, Inc.;Sales","surname":"Smith"})");
    addCard("categories without starred", "N:Smith\r\nCATEGORIES:Family", R"({"surname":"Smith"})");
    // vCard: photos.
    const QByteArray png = imageBytes(QSize(8, 4)).toBase64();
    QByteArray folded = png;
    for (int i = folded.size() - 20; i > 0; i -= 20) {
        folded.insert(i, "\r\n ");
    }
    addCard("photo: 3.0 folded, ENCODING=b", "N:X\r\nPHOTO;ENCODING=b;TYPE=PNG:" + folded,
            R"({"photo":"8x4","surname":"X"})");
    addCard("photo: 2.1 Base64 run to empty line",
            "N:X\r\nPHOTO;ENCODING=BASE64;TYPE=PNG:\r\n" + png.left(30) + "\r\n" + png.mid(30)
                    + "\r\n\r\nTEL:1",
            R"({"phones":["1 / Mobile"],"photo":"8x4","surname":"X"})");
    addCard("photo: 4.0 data URI", "N:X\r\nPHOTO:data:image/png;base64," + png,
            R"({"photo":"8x4","surname":"X"})");
    addCard("photo: data URI with escaped comma", "N:X\r\nPHOTO:data:image/png;base64\\," + png,
            R"({"photo":"8x4","surname":"X"})");
    addCard("photo: link only, not an image, empty",
            "N:X\r\nPHOTO;VALUE=uri:https://example.com/a.png\r\nPHOTO;ENCODING=b:aGVsbG8=\r\n"
            "PHOTO;ENCODING=BASE64:\r\n\r\n",
            R"({"surname":"X"})");
    // vCard: the file says its encoding; folds are undone before decoding.
    const QString card = QString::fromUtf8("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Шевченко;Тарас;"
                                           "Григор\r\n ович\r\nNOTE:a\\\r\n nb\r\nEND:VCARD\r\n");
    addFile("UTF-8 with BOM", QStringLiteral("u.vcf"), "\xEF\xBB\xBF" + card.toUtf8(),
            "Windows-1251",
            R"({"comment":"a\nb","middlename":"Григорович","name":"Тарас","surname":"Шевченко"})");
    addFile("UTF-16LE with BOM", QStringLiteral("u.vcf"), "\xFF\xFE" + encoded(card, "UTF-16LE"),
            "Windows-1251",
            R"({"comment":"a\nb","middlename":"Григорович","name":"Тарас","surname":"Шевченко"})");
    addFile("UTF-16BE without BOM", QStringLiteral("u.vcf"), encoded(card, "UTF-16BE"),
            "Windows-1251",
            R"({"comment":"a\nb","middlename":"Григорович","name":"Тарас","surname":"Шевченко"})");
    addFile("UTF-32LE with BOM", QStringLiteral("u.vcf"),
            QByteArray("\xFF\xFE\0\0", 4) + encoded(card, "UTF-32LE"), "Windows-1251",
            R"({"comment":"a\nb","middlename":"Григорович","name":"Тарас","surname":"Шевченко"})");
    // vCard: a broken card is dropped, the cards around it are read.
    addFile("broken cards isolated", QStringLiteral("b.vcf"),
            QByteArray("BEGIN:VCARD\nN:First\nEND:VCARD\nBEGIN:VCARD\nN:No end\n"
                       "BEGIN:VCARD\nN:Second\nNOTE;ENCODING=QUOTED-PRINTABLE:=ZZ=\n\nEND:VCARD\n"
                       "\x00\x01garbage\xff\xfe\nEND:VCARD\nBEGIN:VCARD\nN:Third\nEND:VCARD\n"
                       "BEGIN:VCARD\nN:Cut off",
                       180),
            "UTF-8",
            R"({"surname":"First"})"
            "\n"
            R"({"comment":"=ZZ","surname":"Second"})"
            "\n"
            R"({"surname":"Third"})");
}

void tst_Parsers::readsFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, codec);
    QFETCH(QByteArray, expected);
    const QString path = writeFile(m_dir.filePath(name), bytes);
    const Parsed parsed(ContactsFileParser::parseFile(path, codec));
    QVERIFY(ContactsFileParser::errorString.isEmpty());
    QStringList wanted;
    for (const QByteArray &line : expected.split('\n')) {
        if (!line.isEmpty()) {
            wanted << normalizedJson(line);
        }
    }
    QCOMPARE(parsed.texts().join(QLatin1Char('\n')), wanted.join(QLatin1Char('\n')));
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
    QCOMPARE(ContactsFileParser::errorString, QStringLiteral("Unsupported file type: text/plain"));
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

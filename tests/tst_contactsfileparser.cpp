#include "importexport/contactsfileparser.h"
#include "importexport/csvtokenizer.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include "testmain.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>

#include <memory>

using Rows = QList<QStringList>;
Q_DECLARE_METATYPE(Rows)

namespace {

// Takes over the parsed records so that every test releases them.
struct Parsed
{
    explicit Parsed(const QVariantList &list)
    {
        for (const QVariant &value : list) {
            contacts.emplace_back(value.value<Contact *>());
        }
    }
    int size() const { return int(contacts.size()); }
    Contact *at(int i) const { return contacts.at(size_t(i)).get(); }
    std::vector<std::unique_ptr<Contact>> contacts;
};

QString dataFile(const QString &name)
{
    return QStringLiteral(TEST_DATA_DIR "/csv/") + name;
}

QByteArray fileDigest(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

} // namespace

// File type detection, the CSV tokenizer and header table, and database import.
class tst_ContactsFileParser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void readsFixture_data();
    void readsFixture();
    void fixtureContactCounts_data();
    void fixtureContactCounts();

    void tokenizes_data();
    void tokenizes();
    void appendCsvFieldBuildsRows();
    void openQuoteTakesLinearTime();

    void mapsRow_data();
    void mapsRow();
    void typeLabelCarriesOver();
    void emptyRowGivesNoContact();
    void idsDifferWithinOneMillisecond();

    void byteOrderMarkDecidesEncoding_data();
    void byteOrderMarkDecidesEncoding();
    void refusesPlainText();
    void readsTabSeparatedFile();
    void missingFileGivesNothing();

    void readsDatabaseWrittenByStore();
    void unreadableDatabaseIsLeftUnchanged_data();
    void unreadableDatabaseIsLeftUnchanged();

    void survivesBadInput_data();
    void survivesBadInput();

private:
    QTemporaryDir m_dir;
    QString writeFile(const QString &name, const QByteArray &bytes);
};

void tst_ContactsFileParser::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString tst_ContactsFileParser::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        return QString();
    }
    return path;
}

void tst_ContactsFileParser::fixtureContactCounts_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<int>("count");

    QTest::newRow("google old, multi-line address") << "google-old-multiline.csv"
                                                    << "UTF-8" << 1;
    QTest::newRow("google old, IM and relation") << "google-old-im-relation.csv"
                                                 << "UTF-8" << 1;
    QTest::newRow("google current layout") << "google-current-layout.csv"
                                           << "UTF-8" << 3;
    QTest::newRow("outlook english, short row") << "outlook-en.csv"
                                                << "Windows-1252" << 1;
    QTest::newRow("outlook german, cp1252") << "outlook2013-de-cp1252.csv"
                                            << "Windows-1252" << 2;
    QTest::newRow("outlook russian, cp1251, semicolons") << "outlook-ru-cp1251-semicolon.csv"
                                                         << "Windows-1251" << 3;
    QTest::newRow("semicolons, cp1252") << "semicolon-cp1252.csv"
                                        << "Windows-1252" << 4;
    QTest::newRow("thunderbird, embedded line breaks") << "thunderbird-export-embedded-newlines.csv"
                                                       << "UTF-8" << 2;
    QTest::newRow("thunderbird, trailing comma") << "thunderbird-trailing-comma.csv"
                                                 << "UTF-8" << 1;
    QTest::newRow("thunderbird, UTF-16 with mark, cp1251 chosen") << "thunderbird-utf16le-bom.csv"
                                                                  << "Windows-1251" << 1;
}

void tst_ContactsFileParser::fixtureContactCounts()
{
    QFETCH(QString, file);
    QFETCH(QString, codec);
    QFETCH(int, count);
    const Parsed parsed(ContactsFileParser::parseFile(dataFile(file), codec));
    QVERIFY(ContactsFileParser::errorString.isEmpty());
    QCOMPARE(parsed.size(), count);
    for (const auto &contact : parsed.contacts) {
        QVERIFY(!contact->composedFullName().isEmpty());
        QVERIFY(!contact->composedFullName().contains(QChar::ReplacementCharacter));
        QCOMPARE(contact->phoneList.size(), contact->phoneGroupList.size());
        QCOMPARE(contact->emailList.size(), contact->emailGroupList.size());
        QCOMPARE(contact->addressList.size(), contact->addressGroupList.size());
        QVERIFY(contact->importMe);
    }
}

void tst_ContactsFileParser::readsFixture_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("names"); // name, surname, middlename
    QTest::addColumn<QString>("organization");
    QTest::addColumn<QString>("birthday");
    QTest::addColumn<bool>("favorite");
    QTest::addColumn<QStringList>("phones"); // number=label
    QTest::addColumn<QStringList>("emails");
    QTest::addColumn<QStringList>("addresses"); // text=label
    QTest::addColumn<QStringList>("links");

    QTest::newRow("google old: prefix, suffix, nickname, 7 phones")
            << "google-old-multiline.csv"
            << "UTF-8" << 0 << QStringList{"Firstname nick", "Prefix, Lastname", "Middle, Suffix"}
            << "company"
            << "1975-12-12" << false
            << QStringList{"pager=Pager",   "mainphone=Main", "homephone=Home",  "homefax=Home Fax",
                           "mobile=Mobile", "workphone=Work", "workfax=Work Fax"}
            << QStringList{"home@aaa.pl", "work@email.pl", "unknown@email.com", "other@email.com"}
            << QStringList{"home_street\nhome_pobox\nhome_city, home_state "
                           "home_zip\nhome_country=Home",
                           "work_street\nwork_city work_zip\nwork_country=Work"}
            << QStringList{"test.com", "home.page.com"};
    QTest::newRow("google old: IM columns ignored, quoted address")
            << "google-old-im-relation.csv"
            << "UTF-8" << 0 << QStringList{"Zack", "McCracken", ""} << "Alien mindbender's company"
            << "" << false << QStringList{"66667=Home", "12345=Mobile", "54321=Work Fax"}
            << QStringList{"zack@mccracken.com"} << QStringList{"Space=Work"} << QStringList{};
    QTest::newRow("google current: starred label, * Mobile, ::: joined phones")
            << "google-current-layout.csv"
            << "UTF-8" << 0 << QStringList{"Maria", "Schmidt", ""} << "Acme GmbH"
            << "1985-03-02" << true
            << QStringList{"+49 170 1234567=Mobile", "+49 30 987654=Work", "+49 30 987655=Work"}
            << QStringList{"maria@example.de", "m.schmidt@acme.example"}
            << QStringList{"Hauptstr. 5\n10115 Berlin\nGermany=Home"}
            << QStringList{"https://maria.example.de"};
    QTest::newRow("google current: File As names a nameless row")
            << "google-current-layout.csv"
            << "UTF-8" << 1 << QStringList{"Hausmeister Krause", "", ""} << ""
            << "" << false << QStringList{"+49 171 7654321=Mobile"} << QStringList{}
            << QStringList{} << QStringList{};
    QTest::newRow("google current: Cyrillic, birthday without year")
            << "google-current-layout.csv"
            << "UTF-8" << 2
            << QStringList{QString::fromUtf8("Дмитрий"), QString::fromUtf8("Петров"),
                           QString::fromUtf8("Олегович")}
            << ""
            << "--05-17" << false << QStringList{"+7 495 765-43-21=Home"}
            << QStringList{"dmitry@example.ru"} << QStringList{} << QStringList{};
    QTest::newRow("outlook english: initials kept out of the name, 0.0.00 dates")
            << "outlook-en.csv"
            << "Windows-1252" << 0 << QStringList{"John", "Wayne", ""} << "Wild West"
            << "" << false << QStringList{"5555=Home", "5555=Work"} << QStringList{"john@wayne.com"}
            << QStringList{} << QStringList{};
    QTest::newRow("outlook german: business address")
            << "outlook2013-de-cp1252.csv"
            << "Windows-1252" << 0 << QStringList{"Christian", "Baumann", ""} << "unittest"
            << "" << false << QStringList{"+49 (0) 40 6432131-550=Work"}
            << QStringList{"c.baumann@unittest.de"}
            << QStringList{"Country: Deutschland  Street: Pickhuben 2 City: Hamburg Postal: "
                           "20457=Work"}
            << QStringList{};
    QTest::newRow("outlook german: sharp s in cp1252, three phones")
            << "outlook2013-de-cp1252.csv"
            << "Windows-1252" << 1 << QStringList{"Cornelius", QString::fromUtf8("Weiß"), ""}
            << "unittest"
            << "" << false
            << QStringList{"040 6432131545=Work", "040 6432131545=Home", "0176 164321545=Mobile"}
            << QStringList{"c.weiss@unittest.de"} << QStringList{} << QStringList{};
    QTest::newRow("outlook russian: Marked category, quoted semicolon, 0.0.00")
            << "outlook-ru-cp1251-semicolon.csv"
            << "Windows-1251" << 0
            << QStringList{QString::fromUtf8("Анна"), QString::fromUtf8("Иванова"),
                           QString::fromUtf8("Сергеевна")}
            << QString::fromUtf8("ООО \"Ромашка\"") << "" << true
            << QStringList{"+7 495 123-45-67=Home", "+7 916 000-11-22=Mobile"}
            << QStringList{"anna@example.ru"}
            << QStringList{QString::fromUtf8("Country: Россия  Street: ул. Ленина, 1 City: Москва "
                                             "Postal: 101000=Home")}
            << QStringList{};
    QTest::newRow("outlook russian: business phone and birthday")
            << "outlook-ru-cp1251-semicolon.csv"
            << "Windows-1251" << 1
            << QStringList{QString::fromUtf8("Пётр"), QString::fromUtf8("Сидоров"), ""} << ""
            << "17.05.1990" << false << QStringList{"+7 812 555-66-77=Work"} << QStringList{}
            << QStringList{} << QStringList{};
    QTest::newRow("semicolons: umlauts in cp1252")
            << "semicolon-cp1252.csv"
            << "Windows-1252" << 2
            << QStringList{QString::fromUtf8("ÖzdemirÖ"), QString::fromUtf8("Üglü"), ""} << ""
            << "" << false << QStringList{} << QStringList{"oezdemir@ueglue.tu"} << QStringList{}
            << QStringList{};
    QTest::newRow("semicolons: plain row")
            << "semicolon-cp1252.csv"
            << "Windows-1252" << 0 << QStringList{"Peter", "Pan", ""} << ""
            << "" << false << QStringList{} << QStringList{"peter.pan@ecologic.eu"} << QStringList{}
            << QStringList{};
    QTest::newRow("thunderbird: plain row before a multi-line one")
            << "thunderbird-export-embedded-newlines.csv"
            << "UTF-8" << 0 << QStringList{"contact", "one", ""} << ""
            << "" << false << QStringList{} << QStringList{"contact1@invalid"} << QStringList{}
            << QStringList{};
    QTest::newRow("thunderbird: doubled quotes, custom columns ignored")
            << "thunderbird-export-embedded-newlines.csv"
            << "UTF-8" << 1 << QStringList{"contact", "two", ""} << ""
            << "" << false << QStringList{} << QStringList{"contact2@invalid"} << QStringList{}
            << QStringList{};
    QTest::newRow("thunderbird: every column")
            << "thunderbird-trailing-comma.csv"
            << "UTF-8" << 0 << QStringList{"Firstname Nick", "Lastname", ""} << "Organization"
            << "15.11.1970" << false
            << QStringList{"phone work=Work", "phone home=Home", "mobile=Mobile"}
            << QStringList{"test@domain.tld", "next@domain.tld"}
            << QStringList{"Country: USA Priv address City: City State: region Postal: xx-xxx=Home",
                           "Country: Poland Addr work City: Wcity State: Wstate Postal: "
                           "33-333=Work"}
            << QStringList{"http://page.com", "http://webpage.tld"};
    QTest::newRow("thunderbird: UTF-16 mark wins over the chosen codec")
            << "thunderbird-utf16le-bom.csv"
            << "Windows-1251" << 0 << QStringList{"John", "Doe", ""} << ""
            << "" << false << QStringList{} << QStringList{"johndoe@host.invalid"} << QStringList{}
            << QStringList{};
}

void tst_ContactsFileParser::readsFixture()
{
    QFETCH(QString, file);
    QFETCH(QString, codec);
    QFETCH(int, index);
    QFETCH(QStringList, names);
    QFETCH(QString, organization);
    QFETCH(QString, birthday);
    QFETCH(bool, favorite);
    QFETCH(QStringList, phones);
    QFETCH(QStringList, emails);
    QFETCH(QStringList, addresses);
    QFETCH(QStringList, links);

    const Parsed parsed(ContactsFileParser::parseFile(dataFile(file), codec));
    QVERIFY(index < parsed.size());
    const Contact *c = parsed.at(index);
    QCOMPARE(c->name, names.at(0));
    QCOMPARE(c->surname, names.at(1));
    QCOMPARE(c->middlename, names.at(2));
    QCOMPARE(c->organization, organization);
    QCOMPARE(c->dateOfBirth, birthday);
    QCOMPARE(c->isFavorite, favorite);
    QStringList phonePairs;
    for (int i = 0; i < c->phoneList.size(); ++i) {
        phonePairs << c->phoneList.at(i) + QLatin1Char('=') + c->phoneGroupList.value(i);
    }
    QCOMPARE(phonePairs, phones);
    QCOMPARE(c->emailList, emails);
    QCOMPARE(c->emailGroupList, QStringList(QVector<QString>(emails.size(), "Home").toList()));
    QStringList addressPairs;
    for (int i = 0; i < c->addressList.size(); ++i) {
        addressPairs << c->addressList.at(i) + QLatin1Char('=') + c->addressGroupList.value(i);
    }
    QCOMPARE(addressPairs, addresses);
    QCOMPARE(c->linkList, links);
}

void tst_ContactsFileParser::tokenizes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Rows>("rows");

    QTest::newRow("quoted comma") << "a,b\n\"Smith, John\",x\n"
                                  << Rows{{"a", "b"}, {"Smith, John", "x"}};
    QTest::newRow("doubled quotes") << "a\n\"say \"\"hi\"\"\"\n" << Rows{{"a"}, {"say \"hi\""}};
    QTest::newRow("two doubled quotes are two") << "a\n\"x\"\"\"\"y\"\n" << Rows{{"a"}, {"x\"\"y"}};
    QTest::newRow("quoted empty") << "a,b\n\"\",x\n" << Rows{{"a", "b"}, {"", "x"}};
    QTest::newRow("quoted line break") << "a,b\n\"line 1\nline 2\",x\n"
                                       << Rows{{"a", "b"}, {"line 1\nline 2", "x"}};
    QTest::newRow("CRLF equals LF") << "a,b\r\n\"1\r\n2\",x\r\n" << Rows{{"a", "b"}, {"1\n2", "x"}};
    QTest::newRow("short row") << "a,b,c\n1\n" << Rows{{"a", "b", "c"}, {"1"}};
    QTest::newRow("no final line feed") << "a,b\n1,2" << Rows{{"a", "b"}, {"1", "2"}};
    QTest::newRow("final row ending in a comma is dropped") << "a,b\n1," << Rows{{"a", "b"}};
    QTest::newRow("open quote runs to the end and is dropped") << "a,b\n1,2\n\"open,3\n4,5\n"
                                                               << Rows{{"a", "b"}, {"1", "2"}};
    QTest::newRow("values are not trimmed") << " a , b \n" << Rows{{" a ", " b "}};
    QTest::newRow("semicolon header") << "First Name;Last Name\nAnna;Smith, Jr.\n"
                                      << Rows{{"First Name", "Last Name"}, {"Anna", "Smith, Jr."}};
    QTest::newRow("tab header") << "First Name\tLast Name\nAnna\tSmith\n"
                                << Rows{{"First Name", "Last Name"}, {"Anna", "Smith"}};
    QTest::newRow("quoted separators do not count") << "\"a;b;c\",d\n1,2\n"
                                                    << Rows{{"a;b;c", "d"}, {"1", "2"}};
    QTest::newRow("empty text") << "" << Rows{};
}

void tst_ContactsFileParser::tokenizes()
{
    QFETCH(QString, text);
    QFETCH(Rows, rows);
    QCOMPARE(CsvTokenizer::tokenize(text, CsvTokenizer::detectSeparator(text)), rows);
}

void tst_ContactsFileParser::appendCsvFieldBuildsRows()
{
    plainContactList.clear();
    const QString text = QStringLiteral("\"x, y\",\"a\"\"b\"\nz");
    QString field;
    for (int i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch == QLatin1Char(',') || ch == QLatin1Char('\n')) {
            ContactsFileParser::appendCsvField(field, ch);
        } else {
            field.append(ch);
            if (i == text.size() - 1) {
                ContactsFileParser::appendCsvField(field, QChar());
            }
        }
    }
    QCOMPARE(plainContactList, (Rows{{"x, y", "a\"b"}, {"z"}}));
    plainContactList.clear();
}

void tst_ContactsFileParser::openQuoteTakesLinearTime()
{
    // One quote left open before 4 MB of commas: counting the quotes of the
    // whole field again at every comma would take hours.
    QString text = QStringLiteral("First Name,Last Name\n\"");
    text += QString(4 * 1024 * 1024, QLatin1Char(','));
    QElapsedTimer timer;
    timer.start();
    const Parsed parsed(ContactsFileParser::parseCsv(text));
    QCOMPARE(parsed.size(), 0);
    QCOMPARE(plainContactList.size(), 1);
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
}

void tst_ContactsFileParser::mapsRow_data()
{
    QTest::addColumn<QString>("csv");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("home address composition")
            << "Home Street,Home City,Home Country\nMain 1,Town,Land\n"
            << "addressList" << QVariant(QStringList{"Country: Land  Street: Main 1 City: Town"});
    QTest::newRow("home address label") << "Home Street,Home City,Home Country\nMain 1,Town,Land\n"
                                        << "addressGroupList" << QVariant(QStringList{"Home"});
    QTest::newRow("e-mail only row named after local part")
            << "Given Name,E-mail 1 - Value\n,anna@example.com\n"
            << "name" << QVariant("anna");
    QTest::newRow("e-mail only row keeps address labelled Home")
            << "Given Name,E-mail 1 - Value\n,anna@example.com\n"
            << "emailGroupList" << QVariant(QStringList{"Home"});
    QTest::newRow("pager type splits values")
            << "Given Name,Phone 1 - Type,Phone 1 - Value\nA,Pager,1 ::: 2\n"
            << "phoneList" << QVariant(QStringList{"1", "2"});
    QTest::newRow("pager type labels every part")
            << "Given Name,Phone 1 - Type,Phone 1 - Value\nA,Pager,1 ::: 2\n"
            << "phoneGroupList" << QVariant(QStringList{"Pager", "Pager"});
    QTest::newRow("group membership starred")
            << "Given Name,Group Membership\nA,* My Contacts ::: * Starred\n"
            << "isFavorite" << QVariant(true);
    QTest::newRow("group membership starred lower case")
            << "Given Name,Group Membership\nA,* my contacts ::: * starred\n"
            << "isFavorite" << QVariant(true);
    QTest::newRow("group membership without star")
            << "Given Name,Group Membership\nA,* My Contacts\n"
            << "isFavorite" << QVariant(false);
    QTest::newRow("current layout labels starred")
            << "First Name,Labels\nA,* myContacts ::: * starred\n"
            << "isFavorite" << QVariant(true);
    QTest::newRow("outlook Marked category") << "First Name,Categories\nA,Friends;marked\n"
                                             << "isFavorite" << QVariant(true);
    QTest::newRow("outlook empty birthday 0.0.00") << "First Name,Birthday\nA,0.0.00\n"
                                                   << "dateOfBirth" << QVariant(QString());
    QTest::newRow("outlook empty birthday 0/0/00") << "First Name,Birthday\nA,0/0/00\n"
                                                   << "dateOfBirth" << QVariant(QString());
    QTest::newRow("birthday text unchanged") << "First Name,Birthday\nA,11/3/1979\n"
                                             << "dateOfBirth" << QVariant("11/3/1979");
    QTest::newRow("thunderbird birthday parts")
            << "First Name,Birth Year,Birth Month,Birth Day\nA,1970,3,5\n"
            << "dateOfBirth" << QVariant("05.03.1970");
    QTest::newRow("thunderbird birthday needs all parts")
            << "First Name,Birth Month,Birth Day\nA,3,5\n"
            << "dateOfBirth" << QVariant(QString());
    QTest::newRow("display name names a nameless row")
            << "First Name,Display Name,Primary Email\n,Anna Smith,a@b.c\n"
            << "name" << QVariant("Anna Smith");
    QTest::newRow("display name ignored when a name part exists")
            << "Name,Family Name\nAnna Smith,Smith\n"
            << "name" << QVariant(QString());
    QTest::newRow("organisation names a row without name or e-mail")
            << "Company,Mobile Phone\nAcme,123\n"
            << "name" << QVariant("Acme");
    QTest::newRow("title before surname") << "Title,Last Name\nDr.,Smith\n"
                                          << "surname" << QVariant("Dr., Smith");
    QTest::newRow("nickname appended to name") << "First Name,Nickname\nAnna,Ann\n"
                                               << "name" << QVariant("Anna Ann");
    QTest::newRow("organisation names joined") << "First Name,Organization 1 - Name,"
                                                  "Organization 2 - Name\nA,X,Y\n"
                                               << "organization" << QVariant("X, Y");
    QTest::newRow("comment lines in column order")
            << "First Name,Notes,Job Title\nA,hello,boss\n"
            << "comment" << QVariant("hello\nJob Title: boss\n");
    QTest::newRow("columns beyond the header are ignored") << "First Name\nA,B,C\n"
                                                           << "surname" << QVariant(QString());
    QTest::newRow("blank values are skipped") << "First Name,Last Name\nA,   \n"
                                              << "surname" << QVariant(QString());
    QTest::newRow("current layout address label")
            << "First Name,Address 1 - Label,Address 1 - Formatted\nA,* Work,Street 1\n"
            << "addressGroupList" << QVariant(QStringList{"Work"});
    QTest::newRow("website values split") << "First Name,Website 1 - Value\nA,x.org ::: y.org\n"
                                          << "linkList" << QVariant(QStringList{"x.org", "y.org"});
    QTest::newRow("thunderbird work address")
            << "First Name,Work Address,Work City,Work Country\nA,Road 2,City,Land\n"
            << "addressList" << QVariant(QStringList{"Country: Land Road 2 City: City"});
}

void tst_ContactsFileParser::mapsRow()
{
    QFETCH(QString, csv);
    QFETCH(QString, property);
    QFETCH(QVariant, value);
    const Parsed parsed(ContactsFileParser::parseCsv(csv));
    QCOMPARE(parsed.size(), 1);
    const QVariant actual = parsed.at(0)->property(property.toLatin1().constData());
    if (value.type() == QVariant::StringList) {
        QCOMPARE(actual.toStringList(), value.toStringList());
    } else if (value.type() == QVariant::Bool) {
        QCOMPARE(actual.toBool(), value.toBool());
    } else {
        QCOMPARE(actual.toString(), value.toString());
    }
}

void tst_ContactsFileParser::typeLabelCarriesOver()
{
    const Parsed parsed(ContactsFileParser::parseCsv(QStringLiteral(
            "Given Name,Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,Phone 2 - Value,"
            "Address 1 - Formatted\nA,Pager,1 ::: 2,*,3,Street\n")));
    QCOMPARE(parsed.size(), 1);
    QCOMPARE(parsed.at(0)->phoneList, (QStringList{"1", "2", "3"}));
    QCOMPARE(parsed.at(0)->phoneGroupList, (QStringList{"Pager", "Pager", "Mobile"}));
    // The address has no type column of its own: the last type read applies.
    QCOMPARE(parsed.at(0)->addressGroupList, QStringList{"Mobile"});
}

void tst_ContactsFileParser::emptyRowGivesNoContact()
{
    const Parsed parsed(ContactsFileParser::parseCsv(
            QStringLiteral("First Name,Last Name\nAnna,Smith\n\n , \n,\"\"\nBob,Brown\n")));
    QCOMPARE(parsed.size(), 2);
    QCOMPARE(parsed.at(0)->name, QStringLiteral("Anna"));
    QCOMPARE(parsed.at(1)->name, QStringLiteral("Bob"));
}

void tst_ContactsFileParser::idsDifferWithinOneMillisecond()
{
    QString csv = QStringLiteral("First Name\n");
    for (int i = 0; i < 2000; ++i) {
        csv += QStringLiteral("N%1\n").arg(i);
    }
    const Parsed parsed(ContactsFileParser::parseCsv(csv));
    QCOMPARE(parsed.size(), 2000);
    QSet<QString> ids;
    for (const auto &contact : parsed.contacts) {
        QVERIFY(!contact->id.isEmpty());
        bool ok = false;
        contact->id.toLongLong(&ok);
        QVERIFY(ok);
        ids.insert(contact->id);
    }
    QCOMPARE(ids.size(), 2000);
    QVERIFY(parsed.at(2)->id.endsWith(QLatin1Char('3')));
}

void tst_ContactsFileParser::byteOrderMarkDecidesEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("codec");

    const QString text = QString::fromUtf8("First Name,Last Name\nАнна,Müller\n");
    QTextCodec *be = QTextCodec::codecForName("UTF-16BE");
    QTextCodec *le = QTextCodec::codecForName("UTF-16LE");
    QTextCodec *le32 = QTextCodec::codecForName("UTF-32LE");
    QTest::newRow("UTF-8 mark, cp1251 chosen")
            << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << "Windows-1251";
    QTest::newRow("UTF-16LE mark, cp1251 chosen")
            << QByteArray("\xFF\xFE") + le->fromUnicode(text) << "Windows-1251";
    QTest::newRow("UTF-16BE mark, UTF-8 chosen")
            << QByteArray("\xFE\xFF") + be->fromUnicode(text) << "UTF-8";
    QTest::newRow("UTF-32LE mark")
            << QByteArray("\xFF\xFE\x00\x00", 4) + le32->fromUnicode(text) << "UTF-8";
    QTest::newRow("UTF-16LE without mark") << le->fromUnicode(text) << "Windows-1251";
    QTest::newRow("no mark, right codec")
            << QTextCodec::codecForName("Windows-1251")
                       ->fromUnicode(QString::fromUtf8("First Name,Last Name\nАнна,Muller\n"))
            << "Windows-1251";
}

void tst_ContactsFileParser::byteOrderMarkDecidesEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, codec);
    const QString path = writeFile(QStringLiteral("bom.csv"), bytes);
    QVERIFY(!path.isEmpty());
    const Parsed parsed(ContactsFileParser::parseFile(path, codec));
    QCOMPARE(parsed.size(), 1);
    QCOMPARE(plainContactList.first().first(), QStringLiteral("First Name"));
    QCOMPARE(parsed.at(0)->name, QString::fromUtf8("Анна"));
    QVERIFY(parsed.at(0)->surname.startsWith(QLatin1Char('M')));
}

void tst_ContactsFileParser::refusesPlainText()
{
    const QString path = writeFile(QStringLiteral("contacts.txt"), "First Name\nAnna\n");
    const Parsed parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")));
    QCOMPARE(parsed.size(), 0);
    QCOMPARE(ContactsFileParser::errorString,
             QStringLiteral("This file is not a contact file (a plain text document)"));
    QVERIFY(plainContactList.isEmpty());

    // The next parse starts clean.
    const Parsed next(ContactsFileParser::parseFile(dataFile("outlook-en.csv"), "UTF-8"));
    QVERIFY(ContactsFileParser::errorString.isEmpty());
    QCOMPARE(next.size(), 1);
}

void tst_ContactsFileParser::readsTabSeparatedFile()
{
    const QString path = writeFile(QStringLiteral("contacts.tsv"),
                                   "First Name\tLast Name\tHome Phone\nAnna\tSmith, Jr.\t12\n");
    const Parsed parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")));
    QVERIFY(ContactsFileParser::errorString.isEmpty());
    QCOMPARE(parsed.size(), 1);
    QCOMPARE(parsed.at(0)->surname, QStringLiteral("Smith, Jr."));
    QCOMPARE(parsed.at(0)->phoneList, QStringList{"12"});
}

void tst_ContactsFileParser::missingFileGivesNothing()
{
    const Parsed parsed(ContactsFileParser::parseFile(m_dir.filePath("missing.csv"), "UTF-8"));
    QCOMPARE(parsed.size(), 0);
    QVERIFY(ContactsFileParser::errorString.isEmpty());
    const Parsed none(ContactsFileParser::parseFile(QString(), "UTF-8"));
    QCOMPARE(none.size(), 0);
    QVERIFY(ContactsFileParser::errorString.isEmpty());
}

void tst_ContactsFileParser::readsDatabaseWrittenByStore()
{
    const QString path = m_dir.filePath(QStringLiteral("export.sqlite"));
    {
        SqliteDatabase store;
        QVERIFY(store.open(path));
        Contact anna;
        anna.id = QStringLiteral("1700000000001");
        anna.name = QString::fromUtf8("Анна");
        anna.surname = QStringLiteral("Smith");
        anna.isFavorite = true;
        anna.dateOfBirth = QStringLiteral("17.05.1990");
        anna.comment = QStringLiteral("two\nlines");
        anna.phoneList = QStringList{"123", "456"};
        anna.phoneGroupList = QStringList{"Mobile", "Work"};
        anna.linkList = QStringList{"https://example.org"};
        store.insertContact(&anna);
        Contact bob;
        bob.id = QStringLiteral("1700000000002");
        bob.name = QStringLiteral("Bob");
        store.insertContact(&bob);
    }
    const QByteArray before = fileDigest(path);
    const Parsed parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")));
    QVERIFY(ContactsFileParser::errorString.isEmpty());
    QCOMPARE(parsed.size(), 2);
    const Contact *anna = parsed.at(0)->name == QStringLiteral("Bob") ? parsed.at(1) : parsed.at(0);
    QCOMPARE(anna->name, QString::fromUtf8("Анна"));
    QCOMPARE(anna->surname, QStringLiteral("Smith"));
    QVERIFY(anna->isFavorite);
    QCOMPARE(anna->dateOfBirth, QStringLiteral("17.05.1990"));
    QCOMPARE(anna->comment, QStringLiteral("two\nlines"));
    QCOMPARE(anna->phoneList, (QStringList{"123", "456"}));
    QCOMPARE(anna->phoneGroupList, (QStringList{"Mobile", "Work"}));
    QCOMPARE(anna->linkList, QStringList{"https://example.org"});
    QCOMPARE(fileDigest(path), before);
}

void tst_ContactsFileParser::unreadableDatabaseIsLeftUnchanged_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("garbage") << "garbage";
    QTest::newRow("no contact table") << "other table";
    QTest::newRow("empty file") << "empty";
}

void tst_ContactsFileParser::unreadableDatabaseIsLeftUnchanged()
{
    QFETCH(QString, kind);
    const QString path = m_dir.filePath(kind + QStringLiteral(".sqlite"));
    if (kind == QLatin1String("garbage")) {
        QByteArray bytes("SQLite format 3");
        bytes.append('\0');
        bytes.append(QByteArray(5000, '\x5a'));
        QVERIFY(!writeFile(kind + QStringLiteral(".sqlite"), bytes).isEmpty());
    } else if (kind == QLatin1String("empty")) {
        QVERIFY(!writeFile(kind + QStringLiteral(".sqlite"), QByteArray()).isEmpty());
    } else {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kind);
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral("create table other (x integer)")));
            QVERIFY(query.exec(QStringLiteral("insert into other values (1)")));
            db.close();
        }
        QSqlDatabase::removeDatabase(kind);
    }
    const QByteArray before = fileDigest(path);
    const qint64 size = QFileInfo(path).size();
    const Parsed parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")));
    QCOMPARE(parsed.size(), 0);
    QCOMPARE(fileDigest(path), before);
    QCOMPARE(QFileInfo(path).size(), size);
    QVERIFY(!QFileInfo::exists(path + QStringLiteral("-journal")));
}

void tst_ContactsFileParser::survivesBadInput_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("codec");

    QFile google(dataFile("google-old-multiline.csv"));
    QVERIFY(google.open(QIODevice::ReadOnly));
    const QByteArray googleBytes = google.readAll();
    QByteArray binary;
    for (int i = 0; i < 256 * 1024; ++i) {
        binary.append(char((i * 7919 + (i >> 5)) & 0xff));
    }
    QTest::newRow("truncated inside a quoted field")
            << "truncated.csv" << googleBytes.left(googleBytes.size() / 2) << "UTF-8";
    QTest::newRow("binary named csv") << "binary.csv" << binary << "UTF-8";
    QTest::newRow("binary named sqlite") << "binary.sqlite" << binary << "UTF-8";
    QTest::newRow("binary named vcf") << "binary.vcf" << binary << "UTF-8";
    QTest::newRow("0-byte csv") << "zero.csv" << QByteArray() << "UTF-8";
    QTest::newRow("header only") << "header.csv" << QByteArray("First Name,Last Name\n") << "UTF-8";
    QTest::newRow("wrong codec") << "wrong.csv" << QString::fromUtf8("First Name\nАнна\n").toUtf8()
                                 << "ISO-8859-5";
    QTest::newRow("unknown codec")
            << "unknown.csv" << QByteArray("First Name\nAnna\n") << "No-Such-Codec";
    QTest::newRow("50 MB single line")
            << "long.csv" << QByteArray(50 * 1024 * 1024, 'x') << "Windows-1251";
    QTest::newRow("50 MB single line with open quote")
            << "longquote.csv" << QByteArray("\"") + QByteArray(50 * 1024 * 1024, ',') << "UTF-8";
}

void tst_ContactsFileParser::survivesBadInput()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, codec);
    const QString path = writeFile(name, bytes);
    QVERIFY(!path.isEmpty());
    QElapsedTimer timer;
    timer.start();
    const Parsed parsed(ContactsFileParser::parseFile(path, codec));
    const double megabytes = qMax(1.0, bytes.size() / (1024.0 * 1024.0));
    QVERIFY2(timer.elapsed() < 1000 * megabytes,
             qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
    QVERIFY(ContactsFileParser::errorString.isEmpty()
            || ContactsFileParser::errorString.startsWith(
                    QLatin1String("This file is not a contact file")));
    for (const auto &contact : parsed.contacts) {
        QVERIFY(contact->id.size() > 0);
    }
    QFile::remove(path);
}

KIV_TEST_GUILESS_MAIN(tst_ContactsFileParser)
#include "tst_contactsfileparser.moc"

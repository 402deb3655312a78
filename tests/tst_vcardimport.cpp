#include "importexport/contactsfileparser.h"

#include "record/contact.h"
#include "storage/photoencoding.h"
#include "testmain.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>

// The vCard import: real files of phones and address books, the mapping of
// properties onto records, generated address books and bad input.
namespace {

// Takes over the records of a parse and deletes them at the end of a test.
class Parsed
{
public:
    explicit Parsed(const QVariantList &list)
    {
        for (const QVariant &value : list) {
            m_contacts.append(value.value<Contact *>());
        }
    }
    ~Parsed() { qDeleteAll(m_contacts); }
    Parsed(const Parsed &) = delete;
    Parsed &operator=(const Parsed &) = delete;

    int size() const { return m_contacts.size(); }
    Contact *at(int i) const { return m_contacts.at(i); }
    const QList<Contact *> &all() const { return m_contacts; }

private:
    QList<Contact *> m_contacts;
};

QByteArray readData(const QString &name)
{
    QFile file(QStringLiteral(TEST_DATA_DIR "/vcard/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("cannot read %s", qPrintable(file.fileName()));
        return QByteArray();
    }
    return file.readAll();
}

QStringList paired(const QStringList &values, const QStringList &labels)
{
    QStringList result;
    for (int i = 0; i < values.size(); ++i) {
        result.append(values.at(i) + QStringLiteral(" / ") + labels.value(i));
    }
    return result;
}

// Text that went through the reader half-done: quoted-printable or escape
// sequences, replacement characters, UTF-8 read as Latin-1 or Windows-1251.
QString garbageIn(const QString &text)
{
    static const QRegularExpression quotedPrintable(QStringLiteral("=[0-9A-F]{2}"));
    static const QRegularExpression escape(QStringLiteral("\\\\[nN,;:\"\\\\]"));
    static const QRegularExpression mojibake(
            QString::fromUtf8("[ÃÂÐÑ][\\x{80}-\\x{BF}]|[РС][\\x{402}-\\x{40F}\\x{452}-\\x{45F}\\x{"
                              "2018}-\\x{2122}\\x{A0}-\\x{BF}]"));
    if (text.contains(QChar(QChar::ReplacementCharacter))) {
        return QStringLiteral("replacement character");
    }
    if (quotedPrintable.match(text).hasMatch()) {
        return QStringLiteral("quoted-printable");
    }
    if (escape.match(text).hasMatch()) {
        return QStringLiteral("escape");
    }
    if (mojibake.match(text).hasMatch()) {
        return QStringLiteral("mojibake");
    }
    return QString();
}

// Parses a small card written in the test.
QVariantList parseCard(const QByteArray &lines)
{
    return ContactsFileParser::parseVCardData("BEGIN:VCARD\r\nVERSION:3.0\r\n" + lines
                                                      + "\r\nEND:VCARD\r\n",
                                              QStringLiteral("UTF-8"));
}

QByteArray pngBase64()
{
    QImage image(8, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    return PhotoEncoding::encodeImage(image);
}

} // namespace

class tst_vCardImport : public QObject
{
    Q_OBJECT

private slots:
    void readsFixtures_data();
    void readsFixtures();
    void leavesNoGarbage_data();
    void leavesNoGarbage();
    void mapsNames_data();
    void mapsNames();
    void labelsPhones_data();
    void labelsPhones();
    void labelsAddresses_data();
    void labelsAddresses();
    void mapsOtherProperties();
    void readsOwnExportLabelsOnce();
    void namesNamelessContacts_data();
    void namesNamelessContacts();
    void givesIdsInCardOrder();
    void takesPhotos_data();
    void takesPhotos();
    void decodesUnicodeFiles_data();
    void decodesUnicodeFiles();
    void readsDecodedText();
    void readsGeneratedCards_data();
    void readsGeneratedCards();
    void isolatesBrokenCards();
    void survivesBadInput_data();
    void survivesBadInput();
    void readsEmptyFileThroughParseFile();
    void parsesLargeFileInBoundedMemory();
    void survivesHugeSingleLine();
};

void tst_vCardImport::readsFixtures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("middlename");
    QTest::addColumn<QStringList>("phones");
    QTest::addColumn<QStringList>("emails");
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<QString>("birthday");
    QTest::addColumn<bool>("favorite");
    QTest::addColumn<bool>("photo");

    QTest::newRow("android-21-qp-cyrillic.vcf #0")
            << "android-21-qp-cyrillic.vcf"
            << "Windows-1251" << 10 << 0 << "Mustermann"
            << "Mäx"
            << "" << QStringList{"+49123456789 / Mobile"} << QStringList{"max@mustermann.de"}
            << QStringList{} << "" << false << false;
    QTest::newRow("android-21-qp-cyrillic.vcf #3")
            << "android-21-qp-cyrillic.vcf"
            << "Windows-1251" << 10 << 3 << ""
            << "éгор Згорскі"
            << "" << QStringList{"+49123456789 / Mobile"} << QStringList{} << QStringList{} << ""
            << false << false;
    QTest::newRow("android-21-qp-cyrillic.vcf #4")
            << "android-21-qp-cyrillic.vcf"
            << "Windows-1251" << 10 << 4 << "XXXXXXXXXX"
            << ""
            << "" << QStringList{"+31 00 0000000 / Work"} << QStringList{}
            << QStringList{"XXXXXXXXXX, XXXXXXXXXX / Work"} << "" << false << false;
    QTest::newRow("android-21-qp-utf8-photo.vcf #1")
            << "android-21-qp-utf8-photo.vcf"
            << "Windows-1251" << 6 << 1 << ""
            << "jane.doe"
            << "" << QStringList{} << QStringList{"jane.doe@company.com"} << QStringList{} << ""
            << false << false;
    QTest::newRow("android-21-qp-utf8-photo.vcf #3")
            << "android-21-qp-utf8-photo.vcf"
            << "Windows-1251" << 6 << 3 << "Ñ Ñ Ñ Ñ Ñ Ñ Ñ Ñ Ñ Ñ Ñ"
            << ""
            << ""
            << QStringList{"123456 / Mobile", "234567 / Home", "3456789 / Mobile",
                           "45678901 / Home"}
            << QStringList{} << QStringList{} << "" << false << false;
    QTest::newRow("android-21-qp-utf8-photo.vcf #4")
            << "android-21-qp-utf8-photo.vcf"
            << "Windows-1251" << 6 << 4 << "Ñ Ñ"
            << "Ñ Ñ Ñ"
            << "" << QStringList{"123456 / Mobile", "123456 / Work", "123456 / Work"}
            << QStringList{"bob@company.com", "ÑÑÑÑÑÑÑÑÑÑÑÑÑÑ"} << QStringList{} << "" << false
            << false;
    QTest::newRow("aosp-21-complicated.vcf #0")
            << "aosp-21-complicated.vcf"
            << "Windows-1251" << 1 << 0 << "Pos, Gump"
            << "Forrest"
            << "Hoge, Tao"
            << QStringList{"(111) 555-1212 / Work", "(404) 555-1212 / Home", "0311111111 / Mobile",
                           "0322222222 / Work", "0333333333 / Work"}
            << QStringList{"forrestgump@walladalla.com", "cell@example.com"}
            << QStringList{"100 Waters Edge, Baytown, LA, 30314, United States of America / Work",
                           "42 Plantation St., Baytown, LA, 30314, United States of America / Home"}
            << "19800101" << false << true;
    QTest::newRow("apple-30-utf16be-nobom.vcf #0")
            << "apple-30-utf16be-nobom.vcf"
            << "Windows-1251" << 1 << 0 << "ĽdaMonté"
            << "Ǽgean"
            << "" << QStringList{} << QStringList{}
            << QStringList{"169 Mária Canal, LaPaz, Conceptión, 245-876, Perú / Work"} << ""
            << false << false;
    QTest::newRow("blackberry-21-photo-oneline.vcf #0")
            << "blackberry-21-photo-oneline.vcf"
            << "Windows-1251" << 1 << 0 << "Doe"
            << "john"
            << "" << QStringList{"+96123456789 / Mobile"} << QStringList{} << QStringList{} << ""
            << false << false;
    QTest::newRow("davdroid-40-rev-ms.vcf #0")
            << "davdroid-40-rev-ms.vcf"
            << "Windows-1251" << 1 << 0 << "Name"
            << "Name"
            << "" << QStringList{"+49000000 / Work", "+49000000 / Work"} << QStringList{}
            << QStringList{} << "" << false << false;
    QTest::newRow("edge-1000-cards.vcf #0")
            << "edge-1000-cards.vcf"
            << "Windows-1251" << 1000 << 0 << "Schmitt"
            << "Kasey"
            << "" << QStringList{} << QStringList{} << QStringList{} << "" << false << false;
    QTest::newRow("edge-1000-cards.vcf #999")
            << "edge-1000-cards.vcf"
            << "Windows-1251" << 1000 << 999 << "Stehr"
            << "Florine"
            << "Liana" << QStringList{} << QStringList{} << QStringList{} << "" << false << false;
    QTest::newRow("evolution-30-fold-inside-escape.vcf #0")
            << "evolution-30-fold-inside-escape.vcf"
            << "Windows-1251" << 1 << 0 << "Title, Last"
            << "First"
            << "Middle, Suffix, nickname"
            << QStringList{"company phone / Work", "homefax / Home", "other fax / Work",
                           "pager / Work",         "ISDN / Work",    "other phone / Work",
                           "radio / Work",         "telex / Work"}
            << QStringList{"workemail", "homeemail", "otheremail", "otheremail2"}
            << QStringList{"PO-BOX2, Multiline street\nmultiline city, Address2, City2, State2, "
                           "zip2, country2 / Work",
                           "PO-BOX1, Multiline street\nmultiline city, Address1, City1, State1, "
                           "zip1, country1 / Home",
                           "PO-BOX3, Multiline street\nmultiline city, Address3, City3, State3, "
                           "zip3, country3 / Work"}
            << "2005-02-10" << false << false;
    QTest::newRow("featurephone-21-shiftjis.vcf #0")
            << "featurephone-21-shiftjis.vcf"
            << "Windows-1251" << 1 << 0 << "安藤"
            << "ロイド1"
            << "" << QStringList{} << QStringList{}
            << QStringList{"東京都渋谷区桜丘町26-1セルリアンタワー6階, 150-8512 / Home"} << ""
            << false << false;
    QTest::newRow("fullcontact-40-altid.vcf #0")
            << "fullcontact-40-altid.vcf"
            << "Windows-1251" << 1 << 0 << "Prefix, LastName"
            << "FirstName"
            << "MiddleName, Suffix, NickName"
            << QStringList{"555-555-1111 / Home",   "555-555-1112 / Work", "555-555-1113 / Mobile",
                           "555-555-1114 / Mobile", "555-555-1115 / Work", "555-555-1116 / Home",
                           "555-555-1117 / Work",   "555-555-1118 / Work", "555-555-1119 / Work"}
            << QStringList{"home@example.com", "work@example.com", "school@example.com",
                           "other@example.com", "custom@example.com"}
            << QStringList{"HomeExtended, HomeStreet, HomeCity, HomeState, HomePostal, HomeCountry "
                           "/ Home",
                           "WorkExtended, WorkStreet, WorkCity, WorkState, WorkPostal, WorkCountry "
                           "/ Work",
                           "OtherExtended, OtherStreet, OtherCity, OtherState, OtherPostal, "
                           "OtherCountry / Work",
                           "CustomExtended, CustomStreet, CustomCity, CustomState, CustomPostal, "
                           "CustomCountry / Work"}
            << "20160801" << false << false;
    QTest::newRow("gmail-30-ablabel-folded-note.vcf #0")
            << "gmail-30-ablabel-folded-note.vcf"
            << "Windows-1251" << 1 << 0 << "Mr., Doe"
            << "John"
            << "Richter, James, Sr." << QStringList{"905-555-1234 / Mobile", "905-666-1234 / Home"}
            << QStringList{"john.doe@ibm.com"}
            << QStringList{"Crescent moon drive\n555-asd\nNice Area, Albaney, New York "
                           "12345\nUnited States of America / Home"}
            << "1980-03-22" << false << false;
    QTest::newRow("gmail-30-custom-labels.vcf #0")
            << "gmail-30-custom-labels.vcf"
            << "Windows-1251" << 1 << 0 << "Test"
            << "VCard"
            << ", TheNickname"
            << QStringList{"5555551111 / Mobile", "5555551112 / Home",   "5555551113 / Work",
                           "5555551114 / Mobile", "5555551115 / Mobile", "5555551116 / Work",
                           "5555551117 / Home",   "5555551118 / Work",   "5555551119 / Mobile",
                           "5555551120 / Work",   "5555551121 / Mobile"}
            << QStringList{"email@example.com", "homeemail@example.com", "workemail@example.com",
                           "otheremail@example.com", "customcategory@example.com"}
            << QStringList{"111 Main St, NY, New York, 10011 / Home",
                           "112 Main St, NY, New York, 10011 / Home",
                           "113 Main St, NY, New York, 10011 / Work",
                           "114 Main St, NY, New York, 10011 / Home",
                           "115 Main St, NY, New York, 10011 / Home"}
            << "1912-06-23" << false << false;
    QTest::newRow("google-30-utf16le-bom.vcf #0")
            << "google-30-utf16le-bom.vcf"
            << "Windows-1251" << 2 << 0 << "Kinzel"
            << "Folker"
            << "" << QStringList{"0123-45678 / Mobile"}
            << QStringList{"email1@wumms.de", "email2@folker-kinzel.de"}
            << QStringList{"Berliner Str. 85, Halle, 06789, DE / Home"} << "19780311" << false
            << false;
    QTest::newRow("google-30-utf16le-bom.vcf #1")
            << "google-30-utf16le-bom.vcf"
            << "Windows-1251" << 2 << 1 << "KMS"
            << "WSF"
            << "" << QStringList{"03443-303776 / Home", "03443-333440 / Mobile"}
            << QStringList{"blablö@blub.com"} << QStringList{} << "" << false << false;
    QTest::newRow("google-carddav-30-photo.vcf #0")
            << "google-carddav-30-photo.vcf"
            << "Windows-1251" << 1 << 0 << "Mr., Doe"
            << "John"
            << "1, Sr., Johnny"
            << QStringList{"business 1 / Work",     "mobile / Mobile", "home / Home",
                           "main / Mobile",         "work fax / Work", "home fax / Home",
                           "google voice / Mobile", "pager / Work",    "custom / Mobile"}
            << QStringList{"john.doe@home.com", "doe@work.com", "john@custom.com"}
            << QStringList{"PO, neighborhood, home address, City, State, ZIP, Country / Home",
                           "work address / Work", "custom address / Home"}
            << "1970-12-30" << false << true;
    QTest::newRow("iphone-30-crcrlf-photo.vcf #0")
            << "iphone-30-crcrlf-photo.vcf"
            << "Windows-1251" << 1 << 0 << "Mr., Doe"
            << "John"
            << "Richter,James, Sr., Johny"
            << QStringList{"905-555-1234 / Mobile", "905-666-1234 / Home", "905-777-1234 / Work",
                           "905-888-1234 / Home",   "905-999-1234 / Work", "905-111-1234 / Work",
                           "905-222-1234 / Mobile"}
            << QStringList{"john.doe@ibm.com"}
            << QStringList{"Silicon Alley 5,, New York, New York, 12345, United States of America "
                           "/ Home",
                           "Street4\nBuilding 6\nFloor 8, New York, 12345, USA / Work"}
            << "2012-06-06" << false << true;
    QTest::newRow("kde-21-8bit-version-late.vcf #0")
            << "kde-21-8bit-version-late.vcf"
            << "Windows-1251" << 1 << 0 << "prefix, familynames"
            << "givenname"
            << "additional names, suffix"
            << QStringList{"workphone / Work",     "work fax / Work", "homephone / Home",
                           "mobilephone / Mobile", "homefax / Home",  "messenger / Work",
                           "fax / Work",           "vidoe / Work",    "modem / Work",
                           "isdn / Work",          "pager / Work",    "mailbox / Work",
                           "car / Work",           "pcs / Work"}
            << QStringList{"email1", "email2@test.com"}
            << QStringList{"pobox2, Street1 work, locale2, region2, postalcode2, Germany / Work",
                           "pobox1, HomeAddress1\nmultine, local1, region1, postalcode1, Germany / "
                           "Home"}
            << "2005-02-26T00:00:00Z" << false << false;
    QTest::newRow("macos-30-abadr-photo.vcf #0")
            << "macos-30-abadr-photo.vcf"
            << "Windows-1251" << 1 << 0 << "Mr., Doe"
            << "John"
            << "Richter,James, Sr., Johny"
            << QStringList{"905-777-1234 / Work",  "905-666-1234 / Home", "905-555-1234 / Mobile",
                           "905-888-1234 / Home",  "905-999-1234 / Work", "905-111-1234 / Work",
                           "905-222-1234 / Mobile"}
            << QStringList{"john.doe@ibm.com"}
            << QStringList{"Silicon Alley 5,, New York, New York, 12345, United States of America "
                           "/ Home",
                           "Street4\nBuilding 6\nFloor 8, New York, 12345, USA / Work"}
            << "2012-06-06" << false << true;
    QTest::newRow("malformed-evil-folding.vcf #0")
            << "malformed-evil-folding.vcf"
            << "Windows-1251" << 1 << 0 << ""
            << "Ralf Engels"
            << "" << QStringList{"+1-919-676-9515 / Work", "+1-919-676-9564 / Work"}
            << QStringList{"Frank_Dawson@Lotus.com", "semicolon;@points.net"}
            << QStringList{"Evil semicolon city;, Semicolon;way, NC, 27613-3502, U.S.A. / Work",
                           "Evil backslash \\ way, Ulm, Newlines\nCountry\nevil, 89073 / Home"}
            << "" << false << false;
    QTest::newRow("malformed-nested.vcf #0")
            << "malformed-nested.vcf"
            << "Windows-1251" << 2 << 0 << "nest1"
            << ""
            << "" << QStringList{} << QStringList{} << QStringList{} << "" << false << false;
    QTest::newRow("malformed-nested.vcf #1")
            << "malformed-nested.vcf"
            << "Windows-1251" << 2 << 1 << "nest2"
            << ""
            << "" << QStringList{} << QStringList{} << QStringList{} << "" << false << false;
    QTest::newRow("nextcloud-40-photo-datauri.vcf #0")
            << "nextcloud-40-photo-datauri.vcf"
            << "Windows-1251" << 1 << 0 << ""
            << "yyy"
            << "" << QStringList{} << QStringList{} << QStringList{} << "" << false << true;
    QTest::newRow("nokia-21-qp-per-component.vcf #0")
            << "nokia-21-qp-per-component.vcf"
            << "Windows-1251" << 1 << 0 << "Brüning"
            << "Michael"
            << ""
            << QStringList{"+491622433834 / Mobile", "017623384942 / Mobile",
                           "+4973117546691 / Work"}
            << QStringList{"ext-Michael.Bruning@nokia.com"}
            << QStringList{"Münsterplatz 21, Ulm, Baden-Württemberg, 89073 / Home"} << "19781229"
            << false << false;
    QTest::newRow("outlook-21-cp1252-label.vcf #0")
            << "outlook-21-cp1252-label.vcf"
            << "Windows-1251" << 1 << 0 << "Rastral"
            << "Ralf"
            << "" << QStringList{} << QStringList{}
            << QStringList{"Lämmerweg 12, Kleindorf, 98765, Deutschland / Home"} << "" << false
            << false;
    QTest::newRow("outlook2007-21-qp-key-photo.vcf #0")
            << "outlook2007-21-qp-key-photo.vcf"
            << "Windows-1251" << 1 << 0 << "Mr., Angstadt"
            << "Michael"
            << ", Jr., Mike"
            << QStringList{"(111) 555-1111 / Work", "(111) 555-2222 / Home",
                           "(111) 555-4444 / Mobile", "(111) 555-3333 / Work"}
            << QStringList{"mike.angstadt@gmail.com"}
            << QStringList{"TheOffice, 222 Broadway, New York, NY, 99999, USA / Work"} << "19220310"
            << false << true;
    QTest::newRow("rfc6350-40-example.vcf #0")
            << "rfc6350-40-example.vcf"
            << "Windows-1251" << 1 << 0 << "Perreault"
            << "Simon"
            << ", ing. jr,M.Sc."
            << QStringList{"+1-418-656-9254 ext. 102 / Work", "+1-418-262-6501 / Work"}
            << QStringList{"simon.perreault@viagenie.ca"}
            << QStringList{"Suite D2-630, 2875 Laurier, Quebec, QC, G1V 2M2, Canada / Work"}
            << "--0203" << false << false;
    QTest::newRow("thunderbird-40-export.vcf #0")
            << "thunderbird-40-export.vcf"
            << "Windows-1251" << 2 << 0 << "one"
            << "contact"
            << "" << QStringList{} << QStringList{"contact1@invalid"} << QStringList{} << ""
            << false << false;
    QTest::newRow("thunderbird-40-export.vcf #1")
            << "thunderbird-40-export.vcf"
            << "Windows-1251" << 2 << 1 << "two"
            << "contact"
            << "" << QStringList{} << QStringList{"contact2@invalid"} << QStringList{} << ""
            << false << false;
    QTest::newRow("ukrainian-21-cp1251.vcf #0")
            << "ukrainian-21-cp1251.vcf"
            << "UTF-8" << 1 << 0 << "Кличко"
            << "Віталій"
            << "Володимирович" << QStringList{} << QStringList{} << QStringList{"Київ / Home"} << ""
            << false << false;
}

void tst_vCardImport::readsFixtures()
{
    QFETCH(QString, file);
    QFETCH(QString, codec);
    QFETCH(int, count);
    QFETCH(int, index);
    const Parsed parsed(ContactsFileParser::parseVCardData(readData(file), codec));
    QCOMPARE(parsed.size(), count);
    const Contact *contact = parsed.at(index);
    QTEST(contact->surname, "surname");
    QTEST(contact->name, "name");
    QTEST(contact->middlename, "middlename");
    QTEST(paired(contact->phoneList, contact->phoneGroupList), "phones");
    QTEST(contact->emailList, "emails");
    QCOMPARE(contact->emailGroupList.size(), contact->emailList.size());
    QTEST(paired(contact->addressList, contact->addressGroupList), "addresses");
    QTEST(contact->dateOfBirth, "birthday");
    QTEST(contact->isFavorite, "favorite");
    // The store keeps a photo only when it decodes as an image.
    QTEST(!PhotoEncoding::normalizeBase64(contact->photoData).isEmpty(), "photo");
    QVERIFY(contact->fullname.isEmpty());
    QVERIFY(contact->importMe);
}

void tst_vCardImport::leavesNoGarbage_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<int>("count");

    // Every file of the set, with the codec a user would pick for it.
    QTest::newRow("android-21-qp-cyrillic") << "android-21-qp-cyrillic.vcf"
                                            << "Windows-1251" << 10;
    QTest::newRow("android-21-qp-utf8-photo") << "android-21-qp-utf8-photo.vcf"
                                              << "Windows-1251" << 6;
    QTest::newRow("aosp-21-complicated") << "aosp-21-complicated.vcf"
                                         << "Windows-1251" << 1;
    QTest::newRow("apple-30-utf16be-nobom") << "apple-30-utf16be-nobom.vcf"
                                            << "Windows-1251" << 1;
    QTest::newRow("blackberry-21-photo-oneline") << "blackberry-21-photo-oneline.vcf"
                                                 << "Windows-1251" << 1;
    QTest::newRow("davdroid-40-rev-ms") << "davdroid-40-rev-ms.vcf"
                                        << "Windows-1251" << 1;
    QTest::newRow("edge-1000-cards") << "edge-1000-cards.vcf"
                                     << "Windows-1251" << 1000;
    QTest::newRow("edge-bom-only") << "edge-bom-only.vcf"
                                   << "Windows-1251" << 0;
    QTest::newRow("evolution-30-fold-inside-escape") << "evolution-30-fold-inside-escape.vcf"
                                                     << "Windows-1251" << 1;
    QTest::newRow("featurephone-21-shiftjis") << "featurephone-21-shiftjis.vcf"
                                              << "Windows-1251" << 1;
    QTest::newRow("fullcontact-40-altid") << "fullcontact-40-altid.vcf"
                                          << "Windows-1251" << 1;
    QTest::newRow("gmail-30-ablabel-folded-note") << "gmail-30-ablabel-folded-note.vcf"
                                                  << "Windows-1251" << 1;
    QTest::newRow("gmail-30-custom-labels") << "gmail-30-custom-labels.vcf"
                                            << "Windows-1251" << 1;
    QTest::newRow("google-30-utf16le-bom") << "google-30-utf16le-bom.vcf"
                                           << "Windows-1251" << 2;
    QTest::newRow("google-carddav-30-photo") << "google-carddav-30-photo.vcf"
                                             << "Windows-1251" << 1;
    QTest::newRow("iphone-30-crcrlf-photo") << "iphone-30-crcrlf-photo.vcf"
                                            << "Windows-1251" << 1;
    QTest::newRow("kde-21-8bit-version-late") << "kde-21-8bit-version-late.vcf"
                                              << "Windows-1251" << 1;
    QTest::newRow("macos-30-abadr-photo") << "macos-30-abadr-photo.vcf"
                                          << "Windows-1251" << 1;
    // Cut off inside its only card: nothing complete to read.
    QTest::newRow("malformed-cropped-qp") << "malformed-cropped-qp.vcf"
                                          << "Windows-1251" << 0;
    QTest::newRow("malformed-evil-folding") << "malformed-evil-folding.vcf"
                                            << "Windows-1251" << 1;
    QTest::newRow("malformed-nested") << "malformed-nested.vcf"
                                      << "Windows-1251" << 2;
    // Its only card has no END.
    QTest::newRow("malformed-no-end") << "malformed-no-end.vcf"
                                      << "Windows-1251" << 0;
    QTest::newRow("nextcloud-40-photo-datauri") << "nextcloud-40-photo-datauri.vcf"
                                                << "Windows-1251" << 1;
    QTest::newRow("nokia-21-qp-per-component") << "nokia-21-qp-per-component.vcf"
                                               << "Windows-1251" << 1;
    QTest::newRow("outlook-21-cp1252-label") << "outlook-21-cp1252-label.vcf"
                                             << "Windows-1252" << 1;
    QTest::newRow("outlook2007-21-qp-key-photo") << "outlook2007-21-qp-key-photo.vcf"
                                                 << "Windows-1252" << 1;
    QTest::newRow("rfc6350-40-example") << "rfc6350-40-example.vcf"
                                        << "UTF-8" << 1;
    QTest::newRow("thunderbird-40-export") << "thunderbird-40-export.vcf"
                                           << "UTF-8" << 2;
    QTest::newRow("ukrainian-21-cp1251") << "ukrainian-21-cp1251.vcf"
                                         << "Windows-1251" << 1;
    // The card names its code page, which wins over an unfitting choice.
    QTest::newRow("ukrainian-21-cp1251 read as UTF-8") << "ukrainian-21-cp1251.vcf"
                                                       << "UTF-8" << 1;
    QTest::newRow("outlook-21-cp1252 read as Windows-1251") << "outlook-21-cp1252-label.vcf"
                                                            << "Windows-1251" << 1;
}

void tst_vCardImport::leavesNoGarbage()
{
    QFETCH(QString, file);
    QFETCH(QString, codec);
    QFETCH(int, count);
    const Parsed parsed(ContactsFileParser::parseVCardData(readData(file), codec));
    QCOMPARE(parsed.size(), count);
    for (const Contact *contact : parsed.all()) {
        QVERIFY2(!contact->composedFullName().isEmpty(), qPrintable(contact->id));
        QCOMPARE(contact->phoneGroupList.size(), contact->phoneList.size());
        QCOMPARE(contact->addressGroupList.size(), contact->addressList.size());
        const QStringList texts =
                QStringList{contact->name,         contact->surname,     contact->middlename,
                            contact->organization, contact->dateOfBirth, contact->comment}
                + contact->phoneList + contact->emailList + contact->addressList;
        for (const QString &text : texts) {
            const QString garbage = garbageIn(text);
            QVERIFY2(garbage.isEmpty(), qPrintable(garbage + QStringLiteral(": ") + text));
        }
    }
}

void tst_vCardImport::mapsNames_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("middlename");

    QTest::newRow("prefix and suffix") << QByteArray("N:Smith;Anna;;Dr.;Jr.") << "Dr., Smith"
                                       << "Anna"
                                       << ", Jr.";
    QTest::newRow("family name only") << QByteArray("N:Smith") << "Smith"
                                      << ""
                                      << "";
    QTest::newRow("additional names")
            << QByteArray("N:Иванов;Иван;Иванович;;") << QString::fromUtf8("Иванов")
            << QString::fromUtf8("Иван") << QString::fromUtf8("Иванович");
    QTest::newRow("nickname appended") << QByteArray("N:Smith;Anna;;;\r\nNICKNAME:Annie") << "Smith"
                                       << "Anna"
                                       << ", Annie";
    QTest::newRow("N after nickname replaces")
            << QByteArray("NICKNAME:Annie\r\nN:Smith;Anna;;;") << "Smith"
            << "Anna"
            << "";
    QTest::newRow("escaped semicolon in a part")
            << QByteArray("N:Smith\\;Jones;Anna") << "Smith;Jones"
            << "Anna"
            << "";
    QTest::newRow("lower-case name") << QByteArray("n:Smith;Anna") << "Smith"
                                     << "Anna"
                                     << "";
    QTest::newRow("grouped name") << QByteArray("item1.N:Smith;Anna") << "Smith"
                                  << "Anna"
                                  << "";
}

void tst_vCardImport::mapsNames()
{
    QFETCH(QByteArray, lines);
    const Parsed parsed(parseCard(lines));
    QCOMPARE(parsed.size(), 1);
    QTEST(parsed.at(0)->surname, "surname");
    QTEST(parsed.at(0)->name, "name");
    QTEST(parsed.at(0)->middlename, "middlename");
}

void tst_vCardImport::labelsPhones_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("label");

    QTest::newRow("first type decides") << QByteArray("TEL;TYPE=HOME,CELL:1") << "1"
                                        << "Home";
    QTest::newRow("voice") << QByteArray("TEL;TYPE=VOICE:2") << "2"
                           << "Work";
    QTest::newRow("no type") << QByteArray("TEL:3") << "3"
                             << "Mobile";
    QTest::newRow("bare cell of 2.1") << QByteArray("TEL;CELL:4") << "4"
                                      << "Mobile";
    QTest::newRow("bare home of 2.1") << QByteArray("TEL;HOME:5") << "5"
                                      << "Home";
    QTest::newRow("bare work and voice") << QByteArray("TEL;WORK;VOICE:6") << "6"
                                         << "Work";
    QTest::newRow("grouped, CELL,VOICE")
            << QByteArray("item1.TEL;TYPE=CELL,VOICE:+1 555") << "+1 555"
            << "Mobile";
    QTest::newRow("lower-case parameter name") << QByteArray("TEL;type=home:7") << "7"
                                               << "Home";
    QTest::newRow("repeated TYPE with pref first")
            << QByteArray("TEL;type=pref;type=CELL;type=VOICE:8") << "8"
            << "Mobile";
    QTest::newRow("fax then place") << QByteArray("TEL;TYPE=FAX,HOME:9") << "9"
                                    << "Home";
    QTest::newRow("4.0 tel URI, quoted types")
            << QByteArray("TEL;VALUE=uri;TYPE=\"work,voice\":tel:+1-418-656-9254;ext=102")
            << "+1-418-656-9254 ext. 102"
            << "Work";
    QTest::newRow("blanks around number") << QByteArray("TEL;CELL: 10 ") << "10"
                                          << "Mobile";
    QTest::newRow("other parameter only") << QByteArray("TEL;X-CUSTOM=1:11") << "11"
                                          << "Mobile";
}

void tst_vCardImport::labelsPhones()
{
    QFETCH(QByteArray, line);
    const Parsed parsed(parseCard("N:X\r\n" + line));
    QCOMPARE(parsed.size(), 1);
    QTEST(parsed.at(0)->phoneList.value(0), "number");
    QTEST(parsed.at(0)->phoneGroupList.value(0), "label");
    QCOMPARE(parsed.at(0)->phoneList.size(), 1);
}

void tst_vCardImport::labelsAddresses_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("label");

    QTest::newRow("work, empty parts skipped")
            << QByteArray("ADR;TYPE=work:;;Main St 1;Town;;123;Land")
            << "Main St 1, Town, 123, Land"
            << "Work";
    QTest::newRow("no type") << QByteArray("ADR:;;Main St 1;Town") << "Main St 1, Town"
                             << "Home";
    QTest::newRow("bare home of 2.1") << QByteArray("ADR;HOME;PREF;:;;Street") << "Street"
                                      << "Home";
    QTest::newRow("postal before work") << QByteArray("ADR;TYPE=POSTAL,WORK:;;Street") << "Street"
                                        << "Work";
    QTest::newRow("other type") << QByteArray("ADR;TYPE=OTHER:;;Street") << "Street"
                                << "Work";
    QTest::newRow("escaped comma and line break")
            << QByteArray("ADR;TYPE=HOME:;;Street 1\\, Apt 2\\nBack door;Town")
            << "Street 1, Apt 2\nBack door, Town"
            << "Home";
    QTest::newRow("label alone") << QByteArray("LABEL;TYPE=WORK:Main St 1\\nTown")
                                 << "Main St 1\nTown"
                                 << "Work";
}

void tst_vCardImport::labelsAddresses()
{
    QFETCH(QByteArray, line);
    const Parsed parsed(parseCard("N:X\r\n" + line));
    QCOMPARE(parsed.size(), 1);
    QCOMPARE(parsed.at(0)->addressList.size(), 1);
    QTEST(parsed.at(0)->addressList.first(), "address");
    QTEST(parsed.at(0)->addressGroupList.first(), "label");
}

void tst_vCardImport::mapsOtherProperties()
{
    const Parsed parsed(parseCard("N:Smith;Anna\r\n"
                                  "ORG:Acme\\, Inc.;Sales\r\n"
                                  "BDAY:1990-05-17\r\n"
                                  "NOTE:first\\nsecond\r\n"
                                  "ROLE:Engineer\r\n"
                                  "TITLE:Boss\r\n"
                                  "NOTE:third\r\n"
                                  "CATEGORIES:Family,Starred\r\n"
                                  "EMAIL;TYPE=WORK:anna@example.com\r\n"
                                  "EMAIL;TYPE=INTERNET:\r\n"
                                  "URL:http\\://example.com:8080/a\r\n"
                                  "TEL:\r\n"
                                  "ADR:;;;;;;\r\n"
                                  "X-UNKNOWN:whatever\r\n"
                                  "FN:Anna Smith"));
    QCOMPARE(parsed.size(), 1);
    const Contact *contact = parsed.at(0);
    QCOMPARE(contact->organization, QStringLiteral("Acme, Inc.;Sales"));
    QCOMPARE(contact->dateOfBirth, QStringLiteral("1990-05-17"));
    QCOMPARE(contact->comment,
             QStringLiteral("first\nsecond\nOccupation: Engineer\nTitle: Boss\nthird"));
    QVERIFY(contact->isFavorite);
    QCOMPARE(contact->emailList, QStringList{QStringLiteral("anna@example.com")});
    QCOMPARE(contact->emailGroupList, QStringList{QStringLiteral("Work")});
    QCOMPARE(contact->linkList, QStringList{QStringLiteral("http://example.com:8080/a")});
    // Empty values give no entries.
    QVERIFY(contact->phoneList.isEmpty());
    QVERIFY(contact->addressList.isEmpty());

    const Parsed plain(parseCard("N:Smith\r\nCATEGORIES:Family"));
    QVERIFY(!plain.at(0)->isFavorite);
}

void tst_vCardImport::readsOwnExportLabelsOnce()
{
    // An ADR and the LABEL that prints it give one address; a LABEL of
    // another kind is still taken.
    const Parsed parsed(parseCard("N:X\r\nADR;TYPE=WORK:;;Main St 1;Town\r\n"
                                  "LABEL;TYPE=WORK:Main St 1\\nTown\r\nLABEL;TYPE=HOME:Home St 2"));
    QCOMPARE(parsed.at(0)->addressList,
             (QStringList{QStringLiteral("Main St 1, Town"), QStringLiteral("Home St 2")}));
    QCOMPARE(parsed.at(0)->addressGroupList,
             (QStringList{QStringLiteral("Work"), QStringLiteral("Home")}));
}

void tst_vCardImport::namesNamelessContacts_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("name");

    QTest::newRow("formatted name when N is empty")
            << QByteArray("N:;;;;\r\nFN:Anna Smith") << "Anna Smith";
    QTest::newRow("formatted name without N")
            << QByteArray("FN:Only FN\r\nEMAIL:x@y.org") << "Only FN";
    QTest::newRow("e-mail local part") << QByteArray("EMAIL:anna@example.com\r\nFN:") << "anna";
    QTest::newRow("e-mail without at sign") << QByteArray("EMAIL:anna") << "";
    QTest::newRow("N wins over FN") << QByteArray("FN:Other\r\nN:Smith;Anna") << "Anna";
}

void tst_vCardImport::namesNamelessContacts()
{
    QFETCH(QByteArray, lines);
    const Parsed parsed(parseCard(lines));
    QCOMPARE(parsed.size(), 1);
    QTEST(parsed.at(0)->name, "name");
}

void tst_vCardImport::givesIdsInCardOrder()
{
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    const Parsed parsed(
            ContactsFileParser::parseVCardData("BEGIN:VCARD\nN:A\nEND:VCARD\nBEGIN:VCARD\nN:B\nEND:"
                                               "VCARD\nBEGIN:VCARD\nN:C\nEND:VCARD\n",
                                               QStringLiteral("UTF-8")));
    const qint64 after = QDateTime::currentMSecsSinceEpoch();
    QCOMPARE(parsed.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QString id = parsed.at(i)->id;
        QVERIFY2(id.endsWith(QString::number(i)), qPrintable(id));
        const qint64 clock = id.left(id.size() - 1).toLongLong();
        QVERIFY(clock >= before && clock <= after);
    }
}

void tst_vCardImport::takesPhotos_data()
{
    const QByteArray png = pngBase64();
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QByteArray>("photo");

    QByteArray folded = png;
    for (int i = folded.size() - 20; i > 0; i -= 20) {
        folded.insert(i, "\r\n ");
    }
    QTest::newRow("3.0 folded, ENCODING=b")
            << QByteArray("PHOTO;ENCODING=b;TYPE=PNG:" + folded) << png;
    QTest::newRow("2.1 Base64 run to empty line")
            << QByteArray("PHOTO;ENCODING=BASE64;TYPE=PNG:\r\n" + png.left(30) + "\r\n"
                          + png.mid(30) + "\r\n\r\nTEL:1")
            << png;
    QTest::newRow("4.0 data URI") << QByteArray("PHOTO:data:image/png;base64," + png) << png;
    QTest::newRow("data URI with escaped comma")
            << QByteArray("PHOTO:data:image/png;base64\\," + png) << png;
    QTest::newRow("link only") << QByteArray("PHOTO;VALUE=uri:https://example.com/a.png")
                               << QByteArray();
    QTest::newRow("not an image") << QByteArray("PHOTO;ENCODING=b:"
                                                + QByteArray("hello, world").toBase64())
                                  << QByteArray();
    QTest::newRow("empty") << QByteArray("PHOTO;ENCODING=BASE64:\r\n\r\n") << QByteArray();
}

void tst_vCardImport::takesPhotos()
{
    QFETCH(QByteArray, lines);
    QFETCH(QByteArray, photo);
    const Parsed parsed(parseCard("N:X\r\n" + lines));
    QCOMPARE(parsed.size(), 1);
    QCOMPARE(parsed.at(0)->photoData, photo);
    if (!photo.isEmpty()) {
        QVERIFY(!QImage::fromData(QByteArray::fromBase64(parsed.at(0)->photoData)).isNull());
    }
}

void tst_vCardImport::decodesUnicodeFiles_data()
{
    QTest::addColumn<QByteArray>("data");

    const QString text =
            QString::fromUtf8("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Шевченко;Тарас;Григор\r\n"
                              " ович\r\nNOTE:a\\\r\n nb\r\nEND:VCARD\r\n");
    auto encoded = [&text](const char *codec, bool mark) {
        QTextCodec::ConverterState state(mark ? QTextCodec::DefaultConversion
                                              : QTextCodec::IgnoreHeader);
        QTextCodec *c = QTextCodec::codecForName(codec);
        return c->fromUnicode(text.constData(), text.size(), &state);
    };
    QTest::newRow("UTF-8") << text.toUtf8();
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF" + text.toUtf8());
    QTest::newRow("UTF-16LE with BOM") << encoded("UTF-16LE", false).prepend("\xFF\xFE");
    QTest::newRow("UTF-16BE with BOM") << encoded("UTF-16BE", false).prepend("\xFE\xFF");
    QTest::newRow("UTF-16LE without BOM") << encoded("UTF-16LE", false);
    QTest::newRow("UTF-16BE without BOM") << encoded("UTF-16BE", false);
    QTest::newRow("UTF-32LE with BOM")
            << encoded("UTF-32LE", false).prepend(QByteArray("\xFF\xFE\0\0", 4));
}

void tst_vCardImport::decodesUnicodeFiles()
{
    QFETCH(QByteArray, data);
    // The import codec does not matter: the file says what it is.
    const Parsed parsed(ContactsFileParser::parseVCardData(data, QStringLiteral("Windows-1251")));
    QCOMPARE(parsed.size(), 1);
    QCOMPARE(parsed.at(0)->surname, QString::fromUtf8("Шевченко"));
    QCOMPARE(parsed.at(0)->middlename, QString::fromUtf8("Григорович"));
    QCOMPARE(parsed.at(0)->comment, QStringLiteral("a\nb"));
}

void tst_vCardImport::readsDecodedText()
{
    // Text that is already decoded: charset parameters name the original
    // bytes and are not applied again.
    const Parsed parsed(ContactsFileParser::parseVCard(
            QString::fromUtf8("BEGIN:VCARD\nN;CHARSET=SHIFT_JIS:安藤;ロイド\nNOTE;ENCODING=QUOTED-"
                              "PRINTABLE;CHARSET=UTF-8:"
                              "=D0=AF\nEND:VCARD")));
    QCOMPARE(parsed.size(), 1);
    QCOMPARE(parsed.at(0)->surname, QString::fromUtf8("安藤"));
    QCOMPARE(parsed.at(0)->comment, QString::fromUtf8("Я"));
}

void tst_vCardImport::readsGeneratedCards_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("vCard 2.1") << "generated-vcard21.vcf";
    QTest::newRow("vCard 3.0") << "generated-vcard30.vcf";
    QTest::newRow("vCard 4.0") << "generated-vcard40.vcf";
}

void tst_vCardImport::readsGeneratedCards()
{
    QFETCH(QString, file);
    const bool version4 = file.contains(QLatin1String("40"));
    QList<QJsonObject> expected;
    for (const QByteArray &line : readData(QStringLiteral("generated.jsonl")).split('\n')) {
        if (!line.trimmed().isEmpty()) {
            expected.append(QJsonDocument::fromJson(line).object());
        }
    }
    QCOMPARE(expected.size(), 150);
    const Parsed parsed(
            ContactsFileParser::parseVCardData(readData(file), QStringLiteral("Windows-1251")));
    QCOMPARE(parsed.size(), expected.size());

    int photos = 0;
    for (int i = 0; i < expected.size(); ++i) {
        const QJsonObject c = expected.at(i);
        const Contact *contact = parsed.at(i);
        const QString where = file + QStringLiteral(" #") + QString::number(i);
        auto text = [&c](const char *key) {
            return c.value(QLatin1String(key)).toString();
        };

        QString surname = text("family");
        if (!text("prefix").isEmpty()) {
            surname.prepend(text("prefix") + QStringLiteral(", "));
        }
        QString middlename = text("middle");
        if (!text("suffix").isEmpty()) {
            middlename += QStringLiteral(", ") + text("suffix");
        }
        if (!text("nickname").isEmpty()) {
            middlename += QStringLiteral(", ") + text("nickname");
        }
        QVERIFY2(contact->surname == surname,
                 qPrintable(where + QLatin1Char(' ') + contact->surname));
        QVERIFY2(contact->name == text("given"), qPrintable(where));
        QVERIFY2(contact->middlename == middlename,
                 qPrintable(where + QLatin1Char(' ') + contact->middlename));

        QStringList phones;
        const QJsonArray phoneArray = c.value(QLatin1String("phones")).toArray();
        for (int k = 0; k < phoneArray.size(); ++k) {
            QString number = phoneArray.at(k).toObject().value(QLatin1String("number")).toString();
            if (version4 && k % 2) {
                // Written as a tel: URI: digits and plus kept, the rest one dash.
                QString uri;
                for (const QChar ch : number) {
                    uri += ch.isDigit() || ch == QLatin1Char('+') ? ch : QLatin1Char('-');
                }
                while (uri.contains(QLatin1String("--"))) {
                    uri.replace(QLatin1String("--"), QLatin1String("-"));
                }
                while (uri.startsWith(QLatin1Char('-'))) {
                    uri.remove(0, 1);
                }
                while (uri.endsWith(QLatin1Char('-'))) {
                    uri.chop(1);
                }
                number = uri;
            }
            phones.append(number);
        }
        QVERIFY2(contact->phoneList == phones,
                 qPrintable(where + QLatin1Char(' ') + contact->phoneList.join(QLatin1Char('|'))));

        QStringList emails;
        for (const QJsonValue &email : c.value(QLatin1String("emails")).toArray()) {
            emails.append(email.toObject().value(QLatin1String("address")).toString());
        }
        QVERIFY2(contact->emailList == emails, qPrintable(where));

        QStringList comment;
        if (!text("title").isEmpty()) {
            comment.append(QStringLiteral("Title: ") + text("title"));
        }
        if (!text("note").isEmpty()) {
            comment.append(text("note"));
        }
        QVERIFY2(contact->comment == comment.join(QLatin1Char('\n')),
                 qPrintable(where + QStringLiteral(": ") + contact->comment));

        QString organization = text("org");
        if (!organization.isEmpty() && !text("department").isEmpty()) {
            organization += QLatin1Char(';') + text("department");
        }
        QVERIFY2(contact->organization == organization, qPrintable(where));

        QStringList addresses;
        QStringList addressLabels;
        for (const QJsonValue &value : c.value(QLatin1String("addresses")).toArray()) {
            const QJsonObject a = value.toObject();
            QStringList parts;
            for (const char *key :
                 {"pobox", "ext", "street", "city", "region", "postal", "country"}) {
                if (!a.value(QLatin1String(key)).toString().isEmpty()) {
                    parts.append(a.value(QLatin1String(key)).toString());
                }
            }
            addresses.append(parts.join(QStringLiteral(", ")));
            addressLabels.append(a.value(QLatin1String("type")).toString() == QLatin1String("WORK")
                                         ? QStringLiteral("Work")
                                         : QStringLiteral("Home"));
        }
        QVERIFY2(contact->addressList == addresses, qPrintable(where));
        QVERIFY2(contact->addressGroupList == addressLabels, qPrintable(where));
        QVERIFY2(contact->isFavorite == c.value(QLatin1String("starred")).toBool(),
                 qPrintable(where));

        const QString photo = text("photo");
        QVERIFY2(contact->photoData == photo.toLatin1(), qPrintable(where));
        photos += !photo.isEmpty();
    }
    QVERIFY(photos > 0);
}

void tst_vCardImport::isolatesBrokenCards()
{
    const QByteArray data = QByteArrayLiteral(
            "BEGIN:VCARD\nN:First\nEND:VCARD\n"
            "BEGIN:VCARD\nN:No end\n"
            "BEGIN:VCARD\nN:Second\nNOTE;ENCODING=QUOTED-PRINTABLE:=ZZ=\n\nEND:VCARD\n"
            "\x00\x01garbage\xff\xfe\n"
            "END:VCARD\n"
            "BEGIN:VCARD\nN:Third\nEND:VCARD\n"
            "BEGIN:VCARD\nN:Cut off");
    const Parsed parsed(ContactsFileParser::parseVCardData(data, QStringLiteral("UTF-8")));
    QStringList names;
    for (const Contact *contact : parsed.all()) {
        names.append(contact->surname);
    }
    QCOMPARE(names, (QStringList{"First", "Second", "Third"}));
}

void tst_vCardImport::survivesBadInput_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("count");

    const QByteArray generated = readData(QStringLiteral("generated-vcard30.vcf"));
    const QByteArray truncated = generated.left(generated.size() / 2);
    QTest::newRow("truncated") << truncated << truncated.count("END:VCARD");
    const QByteArray qp = readData(QStringLiteral("generated-vcard21.vcf"));
    const int cut = qp.indexOf("=\r\n", qp.size() / 2) + 1;
    QTest::newRow("truncated inside quoted-printable")
            << qp.left(cut) << qp.left(cut).count("END:VCARD");
    QByteArray binary(1 << 20, '\0');
    QRandomGenerator random(42);
    for (char &c : binary) {
        c = char(random.bounded(256));
    }
    QTest::newRow("binary") << binary << 0;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("blank lines") << QByteArray("\r\n\r\n  \n\t\n") << 0;
    QTest::newRow("byte-order mark only") << QByteArray("\xEF\xBB\xBF") << 0;
    QTest::newRow("NUL bytes") << QByteArray(4096, '\0') << 0;
    QTest::newRow("only END lines") << QByteArray("END:VCARD\nEND:VCARD\n") << 0;
    QTest::newRow("folds without a line") << QByteArray(" a\n b\n\tc\n") << 0;
    QTest::newRow("empty card") << QByteArray("BEGIN:VCARD\nEND:VCARD\n") << 1;
    QTest::newRow("quoted-printable value folded 200,000 times")
            << QByteArray("BEGIN:VCARD\nNOTE;QUOTED-PRINTABLE:a"
                          + QByteArray(200000 * 3, ' ').replace("   ", "\n b") + "\nEND:VCARD\n")
            << 1;
    QTest::newRow("endless soft breaks") << QByteArray(
            "BEGIN:VCARD\nNOTE;QUOTED-PRINTABLE:=\n" + QByteArray(100000, '=').replace("=", "=\n"))
                                         << 0;
}

void tst_vCardImport::survivesBadInput()
{
    QFETCH(QByteArray, data);
    QElapsedTimer timer;
    timer.start();
    const Parsed parsed(ContactsFileParser::parseVCardData(data, QStringLiteral("Windows-1251")));
    QTEST(parsed.size(), "count");
    QVERIFY2(timer.elapsed() < 10000, "reading took too long");
}

void tst_vCardImport::readsEmptyFileThroughParseFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.vcf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const Parsed parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")));
    QCOMPARE(parsed.size(), 0);
}

void tst_vCardImport::parsesLargeFileInBoundedMemory()
{
    // About 20 MB of cards; the whole parse, records included, may take a
    // few times the size of the data, not more.
    const QByteArray cards = readData(QStringLiteral("generated-vcard30.vcf"));
    QByteArray data;
    const int copies = 20 * 1024 * 1024 / cards.size();
    data.reserve(cards.size() * copies);
    for (int i = 0; i < copies; ++i) {
        data += cards;
    }
    auto residentKiB = [](const char *key) {
        QFile status(QStringLiteral("/proc/self/status"));
        status.open(QIODevice::ReadOnly);
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith(key)) {
                return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toLongLong();
            }
        }
        return qint64(-1);
    };
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer keeps freed memory in quarantine: peaks say nothing here");
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    QSKIP("AddressSanitizer keeps freed memory in quarantine: peaks say nothing here");
#endif
#endif
    // Resets the peak to the current use (Linux 4.0 and later).
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1) {
        QSKIP("the peak memory of the process cannot be reset here");
    }
    clear.close();
    const qint64 before = residentKiB("VmRSS:");
    {
        const Parsed parsed(ContactsFileParser::parseVCardData(data, QStringLiteral("UTF-8")));
        QCOMPARE(parsed.size(), copies * 150);
    }
    const qint64 peak = residentKiB("VmHWM:");
    const double ratio = double(peak - before) * 1024 / data.size();
    qInfo("parse of %d MB: peak %.1f times the data", int(data.size() >> 20), ratio);
    QVERIFY2(ratio < 6, qPrintable(QString::number(ratio)));
}

void tst_vCardImport::survivesHugeSingleLine()
{
    // 50 MB without a line break, alone and as the value of a card.
    QByteArray line(50 * 1024 * 1024, 'a');
    QElapsedTimer timer;
    timer.start();
    {
        const Parsed parsed(ContactsFileParser::parseVCardData(line, QStringLiteral("UTF-8")));
        QCOMPARE(parsed.size(), 0);
    }
    line.replace(0, 17, "BEGIN:VCARD\nNOTE:");
    line.append("\nEND:VCARD\n");
    {
        const Parsed parsed(ContactsFileParser::parseVCardData(line, QStringLiteral("UTF-8")));
        QCOMPARE(parsed.size(), 1);
        QCOMPARE(parsed.at(0)->comment.size(), line.size() - 17 - 11);
    }
    QVERIFY2(timer.elapsed() < 30000, "reading took too long");
}

KIV_TEST_GUILESS_MAIN(tst_vCardImport)
#include "tst_vcardimport.moc"

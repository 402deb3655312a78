#include "importexport/contactsfileparser.h"
#include "importexport/vcard.h"
#include "record/contact.h"

#include "testmain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

using Contacts = std::vector<std::unique_ptr<Contact>>;

Contacts parse(const QString &path, const QString &codec = QStringLiteral("UTF-8"))
{
    Contacts contacts;
    for (const QVariant &value : ContactsFileParser::parseFile(path, codec)) {
        contacts.emplace_back(value.value<Contact *>());
    }
    return contacts;
}

QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(TEST_DATA_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString pairs(const QStringList &values, const QStringList &labels)
{
    QStringList result;
    for (int i = 0; i < values.size(); ++i) {
        result << values.at(i) + QLatin1Char('/') + labels.value(i);
    }
    return result.join(QLatin1Char('|'));
}

// Names, phones, e-mails and addresses with their labels, in one line.
QString summary(const Contacts &contacts)
{
    QStringList lines;
    for (const auto &c : contacts) {
        lines << c->surname + QLatin1Char(',') + c->name + QLatin1Char(' ')
                         + pairs(c->phoneList, c->phoneGroupList) + QLatin1Char(' ')
                         + pairs(c->emailList, c->emailGroupList) + QLatin1Char(' ')
                         + pairs(c->addressList, c->addressGroupList);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

// Files of other programs: recognised by content, German Outlook headers,
// e-mail and address labels of vCards, and what an unsupported file is.
class tst_PeerFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void recognisesByContent_data();
    void recognisesByContent();
    void readsGermanOutlookHeaders_data();
    void readsGermanOutlookHeaders();
    void labelsEmailsByType_data();
    void labelsEmailsByType();
    void keepsLabelUnlessItRepeatsAdr_data();
    void keepsLabelUnlessItRepeatsAdr();
    void namesWhatAFileIs();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_dir;
};

QString tst_PeerFiles::write(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
}

void tst_PeerFiles::recognisesByContent_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("twin");
    QTest::addColumn<QString>("name");
    QByteArray tabs = fixture("csv/thunderbird-trailing-comma.csv");
    tabs.replace(',', '\t');
    QTest::newRow("Thunderbird tab export as .txt") << tabs << "tb.csv"
                                                    << "export.txt";
    QTest::newRow("Google CSV as .txt") << fixture("csv/google-current-layout.csv") << "google.csv"
                                        << "contacts.txt";
    QTest::newRow("German Outlook, semicolons, wrong extension")
            << fixture("csv/outlook2013-de-cp1252.csv").replace(',', ';') << "de.csv"
            << "de.vcf";
    QTest::newRow("vCard as .dat") << fixture("vcard/gmail-30-custom-labels.vcf") << "gmail.vcf"
                                   << "card.dat";
    QTest::newRow("vCard after a mark and blank lines, no extension")
            << "\xEF\xBB\xBF\r\n\n" + fixture("vcard/thunderbird-40-export.vcf") << "tb.vcf"
            << "card";
}

void tst_PeerFiles::recognisesByContent()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, twin);
    QFETCH(QString, name);
    const Contacts expected = parse(write(twin, bytes));
    QVERIFY(!expected.empty());
    const Contacts contacts = parse(write(name, bytes));
    QCOMPARE(ContactsFileParser::errorString, QString());
    QCOMPARE(summary(contacts), summary(expected));
}

void tst_PeerFiles::readsGermanOutlookHeaders_data()
{
    QTest::addColumn<bool>("damaged");
    QTest::newRow("umlauts") << false;
    QTest::newRow("U+FFFD for each umlaut") << true;
}

void tst_PeerFiles::readsGermanOutlookHeaders()
{
    QFETCH(bool, damaged);
    QString header = QString::fromUtf8(
            "Vorname,Nachname,Telefon privat,Telefon geschäftlich,Telefon geschäftlich 2,"
            "Fax geschäftlich,Fax privat,Mobiltelefon,Autotelefon,Pager,E-Mail-Adresse,"
            "E-Mail 2: Adresse,E-Mail 3: Adresse,Webseite,Geburtstag,Notizen,Straße privat,"
            "Ort privat,Postleitzahl privat,Land/Region privat,Straße geschäftlich,"
            "Ort geschäftlich,Postleitzahl geschäftlich,Land/Region geschäftlich");
    if (damaged) {
        for (QChar &ch : header) {
            ch = ch.unicode() > 0x7f ? QChar::ReplacementCharacter : ch;
        }
    }
    const QString row = QString::fromUtf8(
            "Jörg,Weiß,1,2,3,4,5,6,7,8,a@x.de,b@x.de,c@x.de,http://x.de,01.02.1980,Hallo,"
            "Hauptstr. 1,Berlin,10115,DE,Werkstr. 2,Köln,50667,DE");
    const Contacts contacts = parse(write("de.csv", (header + '\n' + row + '\n').toUtf8()));
    QCOMPARE(summary(contacts),
             QString::fromUtf8("Weiß,Jörg 1/Home|2/Work|3/Work|6/Mobile|7/Home "
                               "a@x.de/Home|b@x.de/Home|c@x.de/Home "
                               "Country: DE  Fax: 5 Street: Hauptstr. 1 City: Berlin "
                               "Postal: 10115/Home|Country: DE  Street: Werkstr. 2 City: Köln "
                               "Postal: 50667/Work"));
    const Contact &c = *contacts.front();
    QCOMPARE(c.linkList, QStringList{"http://x.de"});
    QCOMPARE(c.dateOfBirth, QStringLiteral("01.02.1980"));
    QCOMPARE(c.comment, QStringLiteral("Business Fax: 4\nPager: 8\nHallo\n"));
}

void tst_PeerFiles::labelsEmailsByType_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QByteArray>("exported");
    QTest::newRow("internet and work") << QByteArray("EMAIL;TYPE=INTERNET,WORK:a@x.org") << "Work"
                                       << QByteArray("EMAIL;TYPE=INTERNET,WORK:a@x.org");
    QTest::newRow("work, preferred") << QByteArray("EMAIL;TYPE=pref;TYPE=work:a@x.org") << "Work"
                                     << QByteArray("EMAIL;TYPE=INTERNET,WORK:a@x.org");
    QTest::newRow("version 2.1 bare words") << QByteArray("EMAIL;INTERNET;WORK:a@x.org") << "Work"
                                            << QByteArray("EMAIL;TYPE=INTERNET,WORK:a@x.org");
    QTest::newRow("home") << QByteArray("EMAIL;TYPE=HOME:a@x.org") << "Home"
                          << QByteArray("EMAIL;TYPE=INTERNET:a@x.org");
    QTest::newRow("no type") << QByteArray("EMAIL:a@x.org") << "Home"
                             << QByteArray("EMAIL;TYPE=INTERNET:a@x.org");
}

void tst_PeerFiles::labelsEmailsByType()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, label);
    QFETCH(QByteArray, exported);
    const Contacts contacts =
            parse(write("mail.vcf", "BEGIN:VCARD\nVERSION:3.0\nN:A;B\n" + line + "\nEND:VCARD\n"));
    QCOMPARE(int(contacts.size()), 1);
    QCOMPARE(contacts.front()->emailGroupList, QStringList{label});
    const QByteArray card = contacts.front()->toVCard().toByteArray(vCardVersion::Version3_0);
    QVERIFY2(card.split('\n').contains(exported), card.constData());
}

void tst_PeerFiles::keepsLabelUnlessItRepeatsAdr_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("addresses");
    QTest::newRow("two home labels")
            << QByteArray("LABEL;TYPE=HOME:A 1\nLABEL;TYPE=HOME:B 2\nLABEL;TYPE=WORK:C\n")
            << "A 1/Home|B 2/Home|C/Work";
    QTest::newRow("label repeats adr") << QByteArray("ADR;TYPE=HOME:;;Main St 1;Town;;123;\n"
                                                     "LABEL;TYPE=HOME:Main St 1\\nTown\\n123\n")
                                       << "Main St 1, Town, 123/Home";
    QTest::newRow("label of its own beside adr")
            << QByteArray("ADR;TYPE=HOME:;;Main St 1;Town;;;\nLABEL;TYPE=HOME:Lane 2\n")
            << "Main St 1, Town/Home|Lane 2/Home";
    QTest::newRow("card order") << QByteArray("LABEL;TYPE=WORK:X\nADR;TYPE=HOME:;;Y;;;;\n")
                                << "X/Work|Y/Home";
}

void tst_PeerFiles::keepsLabelUnlessItRepeatsAdr()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, addresses);
    const Contacts contacts =
            parse(write("adr.vcf", "BEGIN:VCARD\nVERSION:3.0\nN:A;B\n" + lines + "END:VCARD\n"));
    QCOMPARE(int(contacts.size()), 1);
    QCOMPARE(pairs(contacts.front()->addressList, contacts.front()->addressGroupList), addresses);
}

void tst_PeerFiles::namesWhatAFileIs()
{
    QVERIFY(parse(write("run.sh", "#!/bin/sh\necho hi\n")).empty());
    QCOMPARE(ContactsFileParser::errorString,
             QStringLiteral("This file is not a contact file (a shell script)"));
}

KIV_TEST_GUILESS_MAIN(tst_PeerFiles)
#include "tst_peerfiles.moc"

#include "importexport/contactsfileparser.h"
#include "importexport/vcard.h"
#include "record/contact.h"
#include "testsupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Contact::toVCard and the vCard 3.0 text it gives: the exact cards, type
// mapping, escaping, and round trips through this program's importer and
// through Python's vobject.
namespace {

using ContactPtr = std::unique_ptr<Contact>;

ContactPtr makeContact(const QString &surname, const QString &name)
{
    ContactPtr contact(new Contact);
    contact->surname = surname;
    contact->name = name;
    return contact;
}

// The cards of the contacts as the vCard export writes them: each card
// followed by one line feed.
QByteArray exportCards(const std::vector<ContactPtr> &contacts)
{
    QByteArray data;
    for (const ContactPtr &contact : contacts) {
        data += contact->toVCard().toByteArray(vCardVersion::Version3_0);
        data += '\n';
    }
    return data;
}

QByteArrayList cardLines(const Contact &contact)
{
    return contact.toVCard().toByteArray(vCardVersion::Version3_0).split('\n');
}

// A set of contacts with every kind of special character in every text.
std::vector<ContactPtr> trickyContacts()
{
    std::vector<ContactPtr> contacts;
    ContactPtr anna =
            makeContact(QStringLiteral("Smith, \"Jr\"; \\Esq"), QStringLiteral("Anna\nMaria"));
    anna->middlename = QStringLiteral("Lou;ise");
    anna->organization = QStringLiteral("Acme, Inc.; R&D \\ \"West\"");
    anna->dateOfBirth = QStringLiteral("17.05.1990");
    anna->comment = QStringLiteral(
            "First line, with comma; semicolon\nSecond \"quoted\" \\ line\n\nC:\\new\\table");
    anna->isFavorite = true;
    anna->phoneList = QStringList{QStringLiteral("+1 555 0100"), QStringLiteral("+1 555, 0101; 2"),
                                  QStringLiteral("0102")};
    anna->phoneGroupList = QStringList{QStringLiteral("Home"), QStringLiteral("Work"),
                                       QStringLiteral("Dacha; \"old\"")};
    anna->emailList =
            QStringList{QStringLiteral("anna@example.com"), QStringLiteral("a.smith@work.example")};
    anna->emailGroupList = QStringList{QStringLiteral("Home"), QStringLiteral("Work")};
    anna->addressList = QStringList{QStringLiteral("Main St 1, Apt 2; back door\nTown \\ Land"),
                                    QStringLiteral("Office Park 3")};
    anna->addressGroupList = QStringList{QStringLiteral("Home"), QStringLiteral("Work")};
    anna->linkList = QStringList{QStringLiteral("https://example.com/a,b;c?q=\"x\"&p=\\d"),
                                 QStringLiteral("http://example.org/\nnext line")};
    contacts.push_back(std::move(anna));

    ContactPtr ivan = makeContact(QString::fromUtf8("Іваненко"), QString::fromUtf8("Іван"));
    ivan->middlename = QString::fromUtf8("Петрович");
    ivan->organization = QString::fromUtf8("ТОВ «Ромашка», відділ; продажів");
    ivan->dateOfBirth = QStringLiteral("1985-12-01");
    ivan->comment = QString::fromUtf8("Дзвонити після 18:00,\nне в неділю; дякую");
    ivan->phoneList = QStringList{QStringLiteral("+380 44 123 45 67")};
    ivan->phoneGroupList = QStringList{QStringLiteral("Mobile")};
    ivan->emailList = QStringList{QStringLiteral("ivan@example.ua")};
    ivan->emailGroupList = QStringList{QStringLiteral("Home")};
    ivan->addressList = QStringList{QString::fromUtf8("вул. Хрещатик, 1\nКиїв")};
    ivan->addressGroupList = QStringList{QStringLiteral("Work")};
    contacts.push_back(std::move(ivan));

    ContactPtr bare = makeContact(QString(), QStringLiteral("Solo"));
    contacts.push_back(std::move(bare));
    return contacts;
}

QString python()
{
    // The system interpreter carries Debian's python3-vobject; a python3 of
    // a private installation earlier in PATH may not.
    for (const QString &candidate :
         {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess probe;
        probe.start(candidate, QStringList{QStringLiteral("-c"), QStringLiteral("import vobject")});
        if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit
            && probe.exitCode() == 0) {
            return candidate;
        }
    }
    return QString();
}

} // namespace

class tst_vCardExport : public QObject
{
    Q_OBJECT

private slots:
    void writesFavoriteWithOnePhoneExactly();
    void mapsPhoneLabelsToTypes_data();
    void mapsPhoneLabelsToTypes();
    void writesEveryPhoneAndAddress();
    void mapsAddressLabels_data();
    void mapsAddressLabels();
    void writesBirthday_data();
    void writesBirthday();
    void escapesTextValues();
    void writesOnlyWhatTheRecordHas();
    void separatesCardsByOneLineFeed();
    void readsBackThroughImporter();
    void readsBackThroughVobject();
};

void tst_vCardExport::writesFavoriteWithOnePhoneExactly()
{
    ContactPtr anna = makeContact(QStringLiteral("Smith"), QStringLiteral("Anna"));
    anna->isFavorite = true;
    anna->phoneList = QStringList{QStringLiteral("+49 170 1234567")};
    anna->phoneGroupList = QStringList{QStringLiteral("Mobile")};
    std::vector<ContactPtr> contacts;
    contacts.push_back(std::move(anna));
    QCOMPARE(exportCards(contacts), QByteArray("BEGIN:VCARD\n"
                                               "VERSION:3.0\n"
                                               "CATEGORIES:Starred\n"
                                               "N:Smith;Anna;;;\n"
                                               "FN:Smith Anna \n"
                                               "TEL;TYPE=CELL:+49 170 1234567\n"
                                               "END:VCARD\n"));
}

void tst_vCardExport::mapsPhoneLabelsToTypes_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("Home") << "Home" << QByteArray("TEL;TYPE=HOME:1");
    QTest::newRow("Work") << "Work" << QByteArray("TEL;TYPE=WORK:1");
    QTest::newRow("Mobile") << "Mobile" << QByteArray("TEL;TYPE=CELL:1");
    QTest::newRow("user label") << "Office" << QByteArray("TEL;TYPE=CELL:1");
    QTest::newRow("lower case inside a label") << "home phone" << QByteArray("TEL;TYPE=HOME:1");
    QTest::newRow("capitals") << "WORK" << QByteArray("TEL;TYPE=WORK:1");
    QTest::newRow("empty label") << "" << QByteArray("TEL;TYPE=CELL:1");
}

void tst_vCardExport::mapsPhoneLabelsToTypes()
{
    QFETCH(QString, label);
    QFETCH(QByteArray, line);
    ContactPtr contact = makeContact(QStringLiteral("X"), QString());
    contact->phoneList = QStringList{QStringLiteral("1")};
    contact->phoneGroupList = QStringList{label};
    QVERIFY2(cardLines(*contact).contains(line),
             contact->toVCard().toByteArray(vCardVersion::Version3_0));
}

void tst_vCardExport::writesEveryPhoneAndAddress()
{
    // More entries than labels: the ones without a label are written too.
    ContactPtr contact = makeContact(QStringLiteral("X"), QString());
    contact->phoneList = QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    contact->phoneGroupList = QStringList{QStringLiteral("Home"), QStringLiteral("Work")};
    contact->addressList = QStringList{QStringLiteral("A"), QStringLiteral("B")};
    contact->addressGroupList = QStringList{QStringLiteral("Work")};
    const QByteArrayList lines = cardLines(*contact);
    QCOMPARE(lines.mid(4, 5),
             (QByteArrayList{"TEL;TYPE=HOME:1", "TEL;TYPE=WORK:2", "TEL;TYPE=CELL:3",
                             "LABEL;TYPE=WORK:A", "LABEL;TYPE=HOME:B"}));
}

void tst_vCardExport::mapsAddressLabels_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("Home") << "Home" << QByteArray("LABEL;TYPE=HOME:Main St 1");
    QTest::newRow("Work") << "Work" << QByteArray("LABEL;TYPE=WORK:Main St 1");
    QTest::newRow("other label") << "Cottage" << QByteArray("LABEL;TYPE=WORK:Main St 1");
    QTest::newRow("empty label") << "" << QByteArray("LABEL;TYPE=HOME:Main St 1");
}

void tst_vCardExport::mapsAddressLabels()
{
    QFETCH(QString, label);
    QFETCH(QByteArray, line);
    ContactPtr contact = makeContact(QStringLiteral("X"), QString());
    contact->addressList = QStringList{QStringLiteral("Main St 1")};
    contact->addressGroupList = QStringList{label};
    QVERIFY(cardLines(*contact).contains(line));
}

void tst_vCardExport::writesBirthday_data()
{
    QTest::addColumn<QString>("birthday");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("editor's form") << "17.05.1990" << QByteArray("BDAY:1990-05-17");
    QTest::newRow("already ISO") << "1990-05-17" << QByteArray("BDAY:1990-05-17");
    QTest::newRow("without year") << "--05-17" << QByteArray("BDAY:--05-17");
    QTest::newRow("no real date") << "31.02.1990" << QByteArray("BDAY:31.02.1990");
    QTest::newRow("free text") << "spring, 1990" << QByteArray("BDAY:spring\\, 1990");
}

void tst_vCardExport::writesBirthday()
{
    QFETCH(QString, birthday);
    QFETCH(QByteArray, line);
    ContactPtr contact = makeContact(QStringLiteral("X"), QString());
    contact->dateOfBirth = birthday;
    QCOMPARE(cardLines(*contact).at(4), line);

    contact->dateOfBirth.clear();
    for (const QByteArray &written : cardLines(*contact)) {
        QVERIFY(!written.startsWith("BDAY"));
    }
}

void tst_vCardExport::escapesTextValues()
{
    ContactPtr contact = makeContact(QStringLiteral("O'Neil; Jr"), QStringLiteral("Anna, Maria"));
    contact->organization = QStringLiteral("A;B");
    contact->comment = QStringLiteral("Line one, with comma\nLine two; \\ end");
    contact->linkList = QStringList{QStringLiteral("http://example.com/a,b;c\\d"),
                                    QStringLiteral("http://example.com/\nx")};
    const QByteArrayList lines = cardLines(*contact);
    QCOMPARE(lines.at(2), QByteArray("N:O'Neil\\; Jr;Anna\\, Maria;;;"));
    QCOMPARE(lines.at(3), QByteArray("FN:O'Neil\\; Jr Anna\\, Maria "));
    QCOMPARE(lines.at(4), QByteArray("ORG:A\\;B"));
    // A multi-line comment stays one NOTE line.
    QCOMPARE(lines.at(5), QByteArray("NOTE:Line one\\, with comma\\nLine two\\; \\\\ end"));
    QCOMPARE(lines.at(6), QByteArray("URL:http://example.com/a,b;c\\d"));
    // Even a link keeps to its line.
    QCOMPARE(lines.at(7), QByteArray("URL:http://example.com/\\nx"));
    QCOMPARE(lines.size(), 9);
}

void tst_vCardExport::writesOnlyWhatTheRecordHas()
{
    ContactPtr contact(new Contact);
    contact->emailList = QStringList{QStringLiteral("a@example.com")};
    contact->photoData = "iVBORw0KGgo=";
    QCOMPARE(contact->toVCard().toByteArray(vCardVersion::Version3_0),
             QByteArray(
                     "BEGIN:VCARD\nVERSION:3.0\nN:;;;;\nFN:  \nEMAIL;TYPE=INTERNET:a@example.com\n"
                     "END:VCARD"));
}

void tst_vCardExport::separatesCardsByOneLineFeed()
{
    std::vector<ContactPtr> contacts;
    contacts.push_back(makeContact(QStringLiteral("One"), QString()));
    contacts.push_back(makeContact(QStringLiteral("Two"), QString()));
    const QByteArray data = exportCards(contacts);
    QVERIFY(data.contains("END:VCARD\nBEGIN:VCARD\n"));
    QVERIFY(data.endsWith("END:VCARD\n"));
    QVERIFY(!data.contains('\r'));
    const QVariantList parsed = ContactsFileParser::parseVCardData(data, QStringLiteral("UTF-8"));
    QCOMPARE(parsed.size(), 2);
    for (const QVariant &value : parsed) {
        delete value.value<Contact *>();
    }
}

void tst_vCardExport::readsBackThroughImporter()
{
    const std::vector<ContactPtr> contacts = trickyContacts();
    const QVariantList parsed = ContactsFileParser::parseVCardData(exportCards(contacts),
                                                                   QStringLiteral("Windows-1251"));
    QCOMPARE(parsed.size(), int(contacts.size()));
    for (int i = 0; i < parsed.size(); ++i) {
        std::unique_ptr<Contact> back(parsed.at(i).value<Contact *>());
        const Contact &original = *contacts.at(i);
        QCOMPARE(back->surname, original.surname);
        QCOMPARE(back->name, original.name);
        QCOMPARE(back->middlename, original.middlename);
        QCOMPARE(back->organization, original.organization);
        QCOMPARE(back->comment, original.comment);
        QCOMPARE(back->isFavorite, original.isFavorite);
        QCOMPARE(back->phoneList, original.phoneList);
        QCOMPARE(back->emailList, original.emailList);
        QCOMPARE(back->addressList, original.addressList);
        QCOMPARE(back->linkList, original.linkList);
        // Birthdays come back as yyyy-MM-dd; labels as the importer names
        // the types: Home and Work stay, every other phone label is Mobile.
        if (original.dateOfBirth == QLatin1String("17.05.1990")) {
            QCOMPARE(back->dateOfBirth, QStringLiteral("1990-05-17"));
        } else {
            QCOMPARE(back->dateOfBirth, original.dateOfBirth);
        }
        QStringList phoneLabels;
        for (int k = 0; k < original.phoneList.size(); ++k) {
            const QString label = original.phoneGroupList.value(k);
            phoneLabels.append(label == QLatin1String("Home") || label == QLatin1String("Work")
                                       ? label
                                       : QStringLiteral("Mobile"));
        }
        QCOMPARE(back->phoneGroupList, phoneLabels);
        QCOMPARE(back->addressGroupList, original.addressGroupList);
        QCOMPARE(back->emailGroupList,
                 QStringList(QVector<QString>(original.emailList.size(), QStringLiteral("Home"))
                                     .toList()));
    }
}

void tst_vCardExport::readsBackThroughVobject()
{
    const QString interpreter = python();
    if (interpreter.isEmpty()) {
        QFAIL("Python 3 with vobject (Debian: python3-vobject) is needed for this test");
    }
    const std::vector<ContactPtr> contacts = trickyContacts();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("contacts.vcf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(exportCards(contacts));
    file.close();

    const QString script = QStringLiteral(
            "import json, sys, vobject\n"
            "out = []\n"
            "for card in vobject.readComponents(open(sys.argv[1], encoding='utf-8').read()):\n"
            "    n = card.n.value\n"
            "    out.append({'family': n.family, 'given': n.given, 'additional': n.additional,\n"
            "                'tel': [t.value for t in card.contents.get('tel', [])],\n"
            "                'email': [e.value for e in card.contents.get('email', [])],\n"
            "                'note': card.note.value if 'note' in card.contents else ''})\n"
            "print(json.dumps(out))\n");
    QProcess process;
    process.start(interpreter, QStringList{QStringLiteral("-c"), script, path});
    QVERIFY(process.waitForFinished(60000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    const QJsonArray cards = QJsonDocument::fromJson(process.readAllStandardOutput()).array();
    QCOMPARE(cards.size(), int(contacts.size()));
    for (int i = 0; i < cards.size(); ++i) {
        const QJsonObject card = cards.at(i).toObject();
        const Contact &original = *contacts.at(i);
        QCOMPARE(card.value(QLatin1String("family")).toString(), original.surname);
        QCOMPARE(card.value(QLatin1String("given")).toString(), original.name);
        QCOMPARE(card.value(QLatin1String("additional")).toString(), original.middlename);
        QCOMPARE(card.value(QLatin1String("note")).toString(), original.comment);
        QStringList phones;
        for (const QJsonValue &phone : card.value(QLatin1String("tel")).toArray()) {
            phones.append(phone.toString());
        }
        QCOMPARE(phones, original.phoneList);
        QStringList emails;
        for (const QJsonValue &email : card.value(QLatin1String("email")).toArray()) {
            emails.append(email.toString());
        }
        QCOMPARE(emails, original.emailList);
    }
}

KIV_TEST_GUILESS_MAIN(tst_vCardExport)
#include "tst_vcardexport.moc"

#include "importexport/vcard.h"
#include "record/contact.h"
#include "testsupport.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

// Contact::toVCard as vCard 3.0 text: records (as JSON) in, cards out; and a
// reader of another project, Python's vobject, reading the export back.
class tst_vCardExport : public QObject
{
    Q_OBJECT

private slots:
    void writesCard_data();
    void writesCard();
    void readsBackThroughVobject();
};

void tst_vCardExport::writesCard_data()
{
    QTest::addColumn<QByteArray>("contact");
    QTest::addColumn<QByteArray>("card"); // between VERSION and END

    QTest::newRow("favourite with one phone")
            << QByteArray(R"({"surname":"Smith","name":"Anna","favorite":true,)"
                          R"("phones":["+49 170 1234567 / Mobile"]})")
            << QByteArray("CATEGORIES:Starred\nN:Smith;Anna;;;\nFN:Smith Anna \n"
                          "TEL;TYPE=CELL:+49 170 1234567");
    QTest::newRow("phone and address labels; entries without a label")
            << QByteArray(R"({"surname":"X","phones":["1 / Home","2 / WORK","3 / home phone",)"
                          R"("4 / Office","5 / "],"addresses":["A / Work","B / Cottage","C / "]})")
            << QByteArray("N:X;;;;\nFN:X  \nTEL;TYPE=HOME:1\nTEL;TYPE=WORK:2\nTEL;TYPE=HOME:3\n"
                          "TEL;TYPE=CELL:4\nTEL;TYPE=CELL:5\nLABEL;TYPE=WORK:A\n"
                          "LABEL;TYPE=WORK:B\nLABEL;TYPE=HOME:C");
    QTest::newRow("birthday in the editor's form") << QByteArray(R"({"dateOfBirth":"17.05.1990"})")
                                                   << QByteArray("N:;;;;\nFN:  \nBDAY:1990-05-17");
    QTest::newRow("birthday without year") << QByteArray(R"({"dateOfBirth":"--05-17"})")
                                           << QByteArray("N:;;;;\nFN:  \nBDAY:--05-17");
    QTest::newRow("no real date") << QByteArray(R"({"dateOfBirth":"31.02.1990"})")
                                  << QByteArray("N:;;;;\nFN:  \nBDAY:31.02.1990");
    QTest::newRow("free-text birthday") << QByteArray(R"({"dateOfBirth":"spring, 1990"})")
                                        << QByteArray("N:;;;;\nFN:  \nBDAY:spring\\, 1990");
    QTest::newRow("escaping; a link keeps to its line")
            << QByteArray(R"({"surname":"O'Neil; Jr","name":"Anna, Maria","organization":"A;B",)"
                          R"("comment":"Line one, with comma\nLine two; \\ end",)"
                          R"("links":["http://example.com/a,b;c\\d","http://example.com/\nx"]})")
            << QByteArray("N:O'Neil\\; Jr;Anna\\, Maria;;;\nFN:O'Neil\\; Jr Anna\\, Maria \n"
                          "ORG:A\\;B\nNOTE:Line one\\, with comma\\nLine two\\; \\\\ end\n"
                          "URL:http://example.com/a,b;c\\d\nURL:http://example.com/\\nx");
    QTest::newRow("only what the record has; no photo")
            << QByteArray(R"({"emails":["a@example.com / Work"]})")
            << QByteArray("N:;;;;\nFN:  \nEMAIL;TYPE=INTERNET:a@example.com");
}

void tst_vCardExport::writesCard()
{
    QFETCH(QByteArray, contact);
    QFETCH(QByteArray, card);
    ContactPtr record = contactFromJson(contact);
    record->photoData = "iVBORw0KGgo=";
    QCOMPARE(record->toVCard().toByteArray(vCardVersion::Version3_0),
             "BEGIN:VCARD\nVERSION:3.0\n" + card + "\nEND:VCARD");
}

// The round trip through this program's importer is tst_export's.
void tst_vCardExport::readsBackThroughVobject()
{
    const auto contacts = {
            contactFromJson(R"({"surname":"Smith, \"Jr\"; \\Esq","name":"Anna\nMaria",)"
                            R"("middlename":"Lou;ise","comment":"First, comma; semi\n\nC:\\new",)"
                            R"("phones":["+1 555, 0101; 2 / Work"],"emails":["a@b.c / Home"]})"),
            contactFromJson(R"({"surname":"Іваненко","name":"Іван","middlename":"Петрович"})")};
    QByteArray cards;
    QJsonArray expected;
    for (const ContactPtr &c : contacts) {
        cards += c->toVCard().toByteArray(vCardVersion::Version3_0) + '\n';
        expected.append(QJsonArray::fromStringList(
                QStringList{c->surname, c->name, c->middlename, c->comment} + c->phoneList
                + c->emailList));
    }
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath(QStringLiteral("contacts.vcf")), cards);
    // The system interpreter carries Debian's python3-vobject.
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral(R"(
import json, sys, vobject
print(json.dumps([[c.n.value.family, c.n.value.given, c.n.value.additional,
                   c.note.value if 'note' in c.contents else '']
                  + [t.value for t in c.contents.get('tel', [])]
                  + [e.value for e in c.contents.get('email', [])]
                  for c in vobject.readComponents(open(sys.argv[1], encoding='utf-8').read())]))
)"),
                                                       path});
    QVERIFY(process.waitForFinished(60000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    QCOMPARE(QJsonDocument::fromJson(process.readAllStandardOutput()).toJson(),
             QJsonDocument(expected).toJson());
}

KIV_TEST_GUILESS_MAIN(tst_vCardExport)
#include "tst_vcardexport.moc"

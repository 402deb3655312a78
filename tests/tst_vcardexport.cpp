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
    addRowsFromFile(TEST_DATA_DIR "/vcard-rows/export.jsonl", "BB");
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

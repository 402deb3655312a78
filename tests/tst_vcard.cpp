#include "importexport/vcard.h"
#include "record/contact.h"
#include "testsupport.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

// The vCard reader and writer. Reading: bytes in, each card's properties out
// as "NAME[group:param,...]=value|value", cards joined by " // ". Writing:
// a property out in vCard 3.0 and 2.1. A record's card (Contact::toVCard):
// records as JSON in, cards out, and Python's vobject reading the export back.
// The mapping of cards onto records is tst_parsers'.
namespace {

QString describe(const QList<vCard> &cards)
{
    QStringList result;
    for (const vCard &card : cards) {
        QStringList properties;
        for (const vCardProperty &property : card.properties()) {
            QStringList params;
            for (const vCardParameter &param : property.params()) {
                params << QString::number(param.group()) + QLatin1Char(':') + param.value();
            }
            properties << property.name()
                                  + (params.isEmpty() ? QString() : '[' + params.join(',') + ']')
                                  + '=' + property.values().join('|');
        }
        result << properties.join(QStringLiteral(" ; "));
    }
    return result.join(QStringLiteral(" // "));
}

} // namespace

class tst_vCard : public QObject
{
    Q_OBJECT

private slots:
    void reads_data();
    void reads();
    void writes_data();
    void writes();
    void writesCard_data();
    void writesCard();
    void readsBackThroughVobject();
};

void tst_vCard::reads_data()
{
    QTest::addColumn<QByteArray>("data"); // without BEGIN: one card around it
    QTest::addColumn<QByteArray>("fallback");
    QTest::addColumn<QString>("cards");

    addRowsFromFile(TEST_DATA_DIR "/vcard-rows/reads.jsonl", "BB");
}

void tst_vCard::reads()
{
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, fallback);
    if (!data.contains("BEGIN") && !data.contains("begin")) {
        data = "BEGIN:VCARD\n" + data + "\nEND:VCARD\n";
    }
    QList<vCard> cards;
    vCard::readCards(data, vCardReader::RawBytes, fallback,
                     [&cards](const vCard &card) { cards.append(card); });
    QTEST(describe(cards), "cards");
}

void tst_vCard::writes_data()
{
    QTest::addColumn<QString>("property"); // read from this line
    QTest::addColumn<QByteArray>("version30");
    QTest::addColumn<QByteArray>("version21");

    addRowsFromFile(TEST_DATA_DIR "/vcard-rows/writes.jsonl", "SBB");
}

// Each written line reads back as the property it came from.
void tst_vCard::writes()
{
    QFETCH(QString, property);
    const vCardProperty read = vCardProperty::fromByteArray(property.toUtf8()).value(0);
    QTEST(read.toByteArray(vCardVersion::Version3_0), "version30");
    QTEST(read.toByteArray(vCardVersion::Version2_1), "version21");
    for (vCardVersion version : {vCardVersion::Version3_0, vCardVersion::Version2_1}) {
        QCOMPARE(vCardProperty::fromByteArray(read.toByteArray(version)).value(0).values(),
                 read.values());
    }
    QVERIFY(read.toByteArray(static_cast<vCardVersion>(7)).isEmpty());
}

void tst_vCard::writesCard_data()
{
    QTest::addColumn<QByteArray>("contact");
    QTest::addColumn<QByteArray>("card"); // between VERSION and END
    addRowsFromFile(TEST_DATA_DIR "/vcard-rows/export.jsonl", "BB");
}

void tst_vCard::writesCard()
{
    QFETCH(QByteArray, contact);
    QFETCH(QByteArray, card);
    ContactPtr record = contactFromJson(contact);
    record->photoData = "iVBORw0KGgo=";
    QCOMPARE(record->toVCard().toByteArray(vCardVersion::Version3_0),
             "BEGIN:VCARD\nVERSION:3.0\n" + card + "\nEND:VCARD");
}

// The round trip through this program's importer is tst_importexport's.
void tst_vCard::readsBackThroughVobject()
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

KIV_TEST_GUILESS_MAIN(tst_vCard)
#include "tst_vcard.moc"

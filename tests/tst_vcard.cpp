#include "record/contact.h"
#include "testsupport.h"
#include "vcard/contactvcard.h"
#include "vcard/vcard.h"

#include <QGuiApplication>

// vCard reading ("NAME[group:param,...]=value|value" out) and writing.
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
    QStringList cards;
    vCard::readCards(data, vCardReader::RawBytes, fallback, [&cards](const vCard &card) {
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
        cards << properties.join(QStringLiteral(" ; "));
    });
    QTEST(cards.join(QStringLiteral(" // ")), "cards");
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
    QCOMPARE(ContactVCard::toVCard(*record).toByteArray(vCardVersion::Version3_0),
             "BEGIN:VCARD\nVERSION:3.0\n" + card + "\nEND:VCARD");
}

KIV_TEST_GUILESS_MAIN(tst_vCard)
#include "tst_vcard.moc"

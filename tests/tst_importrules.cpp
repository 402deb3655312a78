#include "importexport/contactsfileparser.h"
#include "importexport/csvcontactreader.h"
#include "record/contact.h"

#include "testsupport.h"

#include <QTest>

#include <algorithm>

using Action = CsvContactReader::Action;
Q_DECLARE_METATYPE(CsvContactReader::Action)

// CSV header texts select their rule; a record without a name gets one.
class tst_ImportRules : public QObject
{
    Q_OBJECT

private slots:
    void selectsHeaderRule_data();
    void selectsHeaderRule();
    void readsLongHeaders_data();
    void readsLongHeaders();
    void namesNamelessRecords_data();
    void namesNamelessRecords();
};

void tst_ImportRules::selectsHeaderRule_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("text");

    QTest::newRow("exact") << "Home Fax" << Action::HomeAppend << " Fax: ";
    QTest::newRow("exact with a digit") << "Home Address 2" << Action::HomeAppend << " Street: ";
    QTest::newRow("other digit, no exact rule") << "Home Address 3" << Action::Ignore << "";
    QTest::newRow("numbered pattern") << "Phone 12 - Value" << Action::SplitPhones << "";
    QTest::newRow("number left out") << "Phone  - Value" << Action::SplitPhones << "";
    QTest::newRow("pattern found inside") << "Old Home Phone 2" << Action::Phone << "Home";
    QTest::newRow("pattern with wildcard") << "E-mail 2 Address" << Action::Email << "Home";
    QTest::newRow("anchored start") << "Mobiltelefon 2" << Action::Phone << "Mobile";
    QTest::newRow("anchored start missed") << "Das Mobiltelefon" << Action::Ignore << "";
    QTest::newRow("anchored end") << "E-Mail 3: Adresse" << Action::Email << "Home";
    QTest::newRow("anchored end missed") << "E-Mail 3: Adresse 2" << Action::Ignore << "";
    QTest::newRow("empty") << "" << Action::Ignore << "";
    QTest::newRow("case differs") << "given name" << Action::Ignore << "";
}

void tst_ImportRules::selectsHeaderRule()
{
    QFETCH(QString, header);
    const CsvContactReader::Rule rule = CsvContactReader::ruleFor(header);
    QTEST(rule.action, "action");
    QTEST(rule.text, "text");
}

// Headers of 100,000 columns, one text repeated or numbered: each text is
// looked up once and repeated columns append in linear time (these rows took
// minutes when they did not).
void tst_ImportRules::readsLongHeaders_data()
{
    QTest::addColumn<QString>("column");  // every column's header; %1 its number
    QTest::addColumn<QString>("address"); // the column digits: "reversed", or each after this
    QTest::addColumn<int>("phones");
    QTest::newRow("empty names") << ""
                                 << "" << 0;
    QTest::newRow("repeated Home Address") << "Home Address"
                                           << "reversed" << 0;
    QTest::newRow("repeated Home Street") << "Home Street"
                                          << " Street: " << 0;
    QTest::newRow("numbered columns") << "Phone %1 - Value"
                                      << "" << 100000;
    QTest::newRow("distinct unknown names") << "Custom %1"
                                            << "" << 0;
}

void tst_ImportRules::readsLongHeaders()
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

void tst_ImportRules::namesNamelessRecords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    addRowsFromFile(TEST_DATA_DIR "/csv/nameless-records.jsonl");
}

void tst_ImportRules::namesNamelessRecords()
{
    QFETCH(QString, text);
    const Parsed contacts(text.startsWith(QLatin1String("BEGIN"))
                                  ? ContactsFileParser::parseVCard(text)
                                  : ContactsFileParser::parseCsv(text));
    QCOMPARE(contacts.size(), 1);
    QTEST(contacts.at(0)->name, "name");
    QCOMPARE(contacts.at(0)->surname, QString());
}

KIV_TEST_GUILESS_MAIN(tst_ImportRules)
#include "tst_importrules.moc"

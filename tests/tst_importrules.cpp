#include "importexport/contactsfileparser.h"
#include "importexport/csvcontactreader.h"
#include "record/contact.h"

#include "testsupport.h"

#include <QTest>

#include <memory>
#include <vector>

namespace {

using Action = CsvContactReader::Action;

// A header of `count` columns named by `column(i)` and one data row whose
// column i holds `value(i)`, then "Given Name" and "Anna" to end both.
QString csvWithColumns(int count, const std::function<QString(int)> &column,
                       const std::function<QString(int)> &value)
{
    QString header;
    QString row;
    for (int i = 0; i < count; ++i) {
        header += column(i) + QLatin1Char(',');
        row += value(i) + QLatin1Char(',');
    }
    return header + QStringLiteral("Given Name\n") + row + QStringLiteral("Anna\n");
}

} // namespace

Q_DECLARE_METATYPE(CsvContactReader::Action)

// The rules that import files share: how CSV header texts select their
// rule, and how a record without a name gets one.
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

// Headers of hundreds of thousands of columns, the same text many times or
// numbered: each text is looked up once and repeated columns append in
// linear time (these rows took minutes when they did not).
void tst_ImportRules::readsLongHeaders_data()
{
    QTest::addColumn<QString>("csv");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");

    const int columns = 100000;
    auto empty = [](int) {
        return QString();
    };
    auto digit = [](int i) {
        return QString::number(i % 10);
    };
    QString reversed;
    QString appended;
    for (int i = 0; i < columns; ++i) {
        reversed.prepend(digit(i));
        appended += QStringLiteral(" Street: ") + digit(i);
    }
    QTest::newRow("commas") << csvWithColumns(columns, empty, empty) << "name"
                            << "Anna";
    QTest::newRow("repeated Home Address") << csvWithColumns(
            columns, [](int) { return QStringLiteral("Home Address"); }, digit)
                                           << "address" << reversed;
    QTest::newRow("repeated Home Street") << csvWithColumns(
            columns, [](int) { return QStringLiteral("Home Street"); }, digit)
                                          << "address" << appended;
    QTest::newRow("numbered columns") << csvWithColumns(
            columns, [](int i) { return QStringLiteral("Phone %1 - Value").arg(i); }, digit)
                                      << "phones" << QString::number(columns);
    QTest::newRow("distinct unknown names") << csvWithColumns(
            columns, [](int i) { return QStringLiteral("Custom %1").arg(i); }, digit)
                                            << "name"
                                            << "Anna";
}

void tst_ImportRules::readsLongHeaders()
{
    QFETCH(QString, csv);
    QFETCH(QString, field);
    const Parsed contacts(ContactsFileParser::parseCsv(csv));
    QCOMPARE(contacts.size(), 1);
    const Contact &contact = *contacts.at(0);
    QCOMPARE(contact.name, QStringLiteral("Anna"));
    if (field == QLatin1String("address")) {
        QCOMPARE(contact.addressList.size(), 1);
        QTEST(contact.addressList.first(), "expected");
    } else if (field == QLatin1String("phones")) {
        QTEST(QString::number(contact.phoneList.size()), "expected");
    }
}

void tst_ImportRules::namesNamelessRecords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");

    QTest::newRow("vCard: formatted name first")
            << "BEGIN:VCARD\nFN:Anna\nORG:ACME\nEMAIL:bo@x.org\nEND:VCARD\n"
            << "Anna";
    QTest::newRow("vCard: e-mail before organisation")
            << "BEGIN:VCARD\nORG:ACME\nEMAIL:bo@x.org\nEND:VCARD\n"
            << "bo";
    QTest::newRow("vCard: organisation") << "BEGIN:VCARD\nN:;;;;\nORG:ACME\nEND:VCARD\n"
                                         << "ACME";
    QTest::newRow("vCard: phone") << "BEGIN:VCARD\nTEL:+49 30 1234\nEND:VCARD\n"
                                  << "+49 30 1234";
    QTest::newRow("CSV: display name first") << "Display Name,Company\nAnna,ACME\n"
                                             << "Anna";
    QTest::newRow("CSV: organisation") << "E-mail 1 - Value,Company\nbroken,ACME\n"
                                       << "ACME";
    QTest::newRow("CSV: phone") << "Mobile Phone\n+49 30 1234\n"
                                << "+49 30 1234";
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

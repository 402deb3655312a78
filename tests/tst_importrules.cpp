#include "importexport/contactsfileparser.h"
#include "record/contact.h"

#include "testmain.h"

#include <QTest>

#include <memory>
#include <vector>

namespace {

std::vector<std::unique_ptr<Contact>> owned(const QVariantList &parsed)
{
    std::vector<std::unique_ptr<Contact>> contacts;
    for (const QVariant &value : parsed) {
        contacts.emplace_back(value.value<Contact *>());
    }
    return contacts;
}

} // namespace

// The rules that import files share: how a record without a name gets one.
class tst_ImportRules : public QObject
{
    Q_OBJECT

private slots:
    void namesNamelessRecords_data();
    void namesNamelessRecords();
};

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
    const auto contacts =
            owned(text.startsWith(QLatin1String("BEGIN")) ? ContactsFileParser::parseVCard(text)
                                                          : ContactsFileParser::parseCsv(text));
    QCOMPARE(int(contacts.size()), 1);
    QTEST(contacts.front()->name, "name");
    QCOMPARE(contacts.front()->surname, QString());
}

KIV_TEST_GUILESS_MAIN(tst_ImportRules)
#include "tst_importrules.moc"

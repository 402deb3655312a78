#include "importexport/csvtokenizer.h"
#include "importexport/googlecsv.h"
#include "record/contact.h"

#include "testsupport.h"

#include <QTest>

#include <memory>

namespace {

std::unique_ptr<Contact> makeContact(const QString &name, const QString &surname)
{
    auto contact = std::make_unique<Contact>();
    contact->name = name;
    contact->surname = surname;
    contact->fullname = Contact::composeFullName(surname, name, QString());
    return contact;
}

QStringList fields(const QString &line)
{
    const QList<QStringList> rows = CsvTokenizer::tokenize(line + QLatin1Char('\n'));
    return rows.isEmpty() ? QStringList() : rows.first();
}

QString lineOf(const Contact &contact, const GoogleCsv::Counts &counts)
{
    return contact.toGoogleCsvLine(counts.emails, counts.phones, counts.addresses, counts.links);
}

} // namespace

// The Google CSV layout of the export: header, lines, padding and types.
class tst_GoogleCsv : public QObject
{
    Q_OBJECT

private slots:
    void noListsGive35Columns();
    void shortContactIsPadded();
    void groupMembershipMarksFavourites();
    void typeOfLabel_data();
    void typeOfLabel();
    void emailAndLinkTypes();
    void emptyValueQuotedMissingValueEmpty();
    void unlabelledEntriesKeepLineLength();
    void quotesAreDoubled();
};

void tst_GoogleCsv::noListsGive35Columns()
{
    auto anna = makeContact("Anna", "Smith");
    const QList<Contact *> list{anna.get()};
    const GoogleCsv::Counts counts = GoogleCsv::countsOf(list);
    const QString header = GoogleCsv::header(counts);
    QCOMPARE(fields(header).size(), 35);
    QVERIFY(header.startsWith(QLatin1String("\"Name\",\"Given Name\",\"Additional Name\"")));
    QVERIFY(header.endsWith(QLatin1String("\"Organization 1 - Job Description\"")));
    const QString line = lineOf(*anna, counts);
    // 35 fields: the last (empty) field is not followed by another comma.
    QCOMPARE(fields(line).size(), 35);
    QCOMPARE(line.count(QLatin1Char(',')), 34);
}

void tst_GoogleCsv::shortContactIsPadded()
{
    auto three = makeContact("Anna", "Smith");
    three->phoneList = QStringList{"1", "2", "3"};
    three->phoneGroupList = QStringList{"Mobile", "Home", "Work"};
    auto one = makeContact("Bob", "Brown");
    one->phoneList = QStringList{"9"};
    one->phoneGroupList = QStringList{"Work"};
    const GoogleCsv::Counts counts = GoogleCsv::countsOf({three.get(), one.get()});
    QCOMPARE(counts.phones, 3);
    const QStringList header = fields(GoogleCsv::header(counts));
    QCOMPARE(header.size(), 35 + 6);
    QCOMPARE(header.at(27), QStringLiteral("Phone 1 - Type"));
    QCOMPARE(header.at(31), QStringLiteral("Phone 3 - Type"));
    const QString line = lineOf(*one, counts);
    QVERIFY(line.contains(QLatin1String("\"Work\",\"9\",,,,,,\"")));
    QCOMPARE(fields(line).size(), header.size());
    QCOMPARE(fields(lineOf(*three, counts)).mid(27, 6),
             (QStringList{"Mobile", "1", "Home", "2", "Work", "3"}));
}

void tst_GoogleCsv::groupMembershipMarksFavourites()
{
    auto anna = makeContact("Anna", "Smith");
    anna->isFavorite = true;
    QCOMPARE(fields(lineOf(*anna, {})).at(26), QStringLiteral("* My Contacts ::: * Starred"));
    anna->isFavorite = false;
    QCOMPARE(fields(lineOf(*anna, {})).at(26), QStringLiteral("* My Contacts"));
}

void tst_GoogleCsv::typeOfLabel_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("type");
    QTest::newRow("Home") << "Home"
                          << "Home";
    QTest::newRow("home inside a longer label") << "my HOME phone"
                                                << "Home";
    QTest::newRow("work in capitals") << "WORK"
                                      << "Work";
    QTest::newRow("Mobile") << "Mobile"
                            << "Mobile";
    QTest::newRow("own label") << "Office"
                               << "Mobile";
    QTest::newRow("home wins over work") << "Work from home"
                                         << "Home";
}

void tst_GoogleCsv::typeOfLabel()
{
    QFETCH(QString, label);
    QFETCH(QString, type);
    QCOMPARE(GoogleCsv::typeOfLabel(label), type);
}

void tst_GoogleCsv::emailAndLinkTypes()
{
    auto anna = makeContact("Anna", "Smith");
    anna->emailList = QStringList{"a@x.org", "b@y.org"};
    anna->emailGroupList = QStringList{"Work", "Home"};
    anna->linkList = QStringList{"https://x.org"};
    anna->organization = QStringLiteral("Acme");
    const GoogleCsv::Counts counts = GoogleCsv::countsOf({anna.get()});
    const QStringList header = fields(GoogleCsv::header(counts));
    const QStringList line = fields(lineOf(*anna, counts));
    QCOMPARE(line.size(), header.size());
    QCOMPARE(line.mid(27, 4), (QStringList{"*", "a@x.org", "*", "b@y.org"}));
    QCOMPARE(header.at(32), QStringLiteral("Organization 1 - Name"));
    QCOMPARE(line.at(32), QStringLiteral("Acme"));
    QCOMPARE(line.mid(header.size() - 2), (QStringList{"Profile", "https://x.org"}));
}

void tst_GoogleCsv::emptyValueQuotedMissingValueEmpty()
{
    auto anna = makeContact("Anna", "Smith");
    const QString line = lineOf(*anna, {});
    QVERIFY(line.startsWith(
            QLatin1String("\"Smith Anna\",\"Anna\",\"\",\"Smith\",,,,,,,,,,,\"\",,")));
    QVERIFY(line.endsWith(QLatin1String(",\"\",,,,,,")));
}

void tst_GoogleCsv::unlabelledEntriesKeepLineLength()
{
    auto anna = makeContact("Anna", "Smith");
    anna->phoneList = QStringList{"1", "2", "3"};
    anna->phoneGroupList = QStringList{"Home", "Work"};
    anna->addressList = QStringList{"Street 1"};
    const GoogleCsv::Counts counts = GoogleCsv::countsOf({anna.get()});
    const QStringList header = fields(GoogleCsv::header(counts));
    const QStringList line = fields(lineOf(*anna, counts));
    QCOMPARE(line.size(), header.size());
    QCOMPARE(line.mid(27, 6), (QStringList{"Home", "1", "Work", "2", "Mobile", "3"}));
    QCOMPARE(line.mid(33, 3), (QStringList{"Home", "Street 1", "Street 1"}));
}

void tst_GoogleCsv::quotesAreDoubled()
{
    auto anna = makeContact("Anna \"Ann\"", "Smith, Jr.");
    anna->comment = QStringLiteral("line 1\n\"line\" 2");
    const QString line = lineOf(*anna, {});
    QVERIFY(line.contains(QLatin1String("\"Anna \"\"Ann\"\"\"")));
    const QStringList parsed = fields(line);
    QCOMPARE(parsed.at(1), anna->name);
    QCOMPARE(parsed.at(3), anna->surname);
    QCOMPARE(parsed.at(25), anna->comment);
}

KIV_TEST_GUILESS_MAIN(tst_GoogleCsv)
#include "tst_googlecsv.moc"

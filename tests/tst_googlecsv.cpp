#include "importexport/googlecsv.h"
#include "record/contact.h"
#include "testsupport.h"

#include <QGuiApplication>

// The Google CSV layout of the export, as Google's own import reads it:
// header, padding of short lists, types, group membership and quoting.
class tst_GoogleCsv : public QObject
{
    Q_OBJECT

private slots:
    void writesGoogleLayout();
    void typeOfLabel_data();
    void typeOfLabel();
};

void tst_GoogleCsv::writesGoogleLayout()
{
    auto contacts = makeContacts(QStringLiteral("Smith Anna \"Ann\"*|Brown Bob|Stone"));
    Contact *anna = contacts[0].get();
    anna->emailList = QStringList{"a@x.org", "b@y.org"};
    anna->emailGroupList = QStringList{"Work", "Home"};
    anna->linkList = QStringList{"https://x.org"};
    anna->organization = QStringLiteral("Acme");
    // Three phones with two labels; an address without a label.
    anna->phoneList = QStringList{"1", "2", "3"};
    anna->phoneGroupList = QStringList{"Home", "Work"};
    anna->addressList = QStringList{"Street 1"};
    contacts[1]->phoneList = QStringList{"9"};
    contacts[1]->phoneGroupList = QStringList{"Work"};
    QList<Contact *> list;
    for (const auto &contact : contacts) {
        contact->fullname = contact->composedFullName();
        list << contact.get();
    }
    const GoogleCsv::Counts counts = GoogleCsv::countsOf(list);
    QStringList lines{GoogleCsv::header(counts)};
    for (const Contact *contact : list) {
        lines << contact->toGoogleCsvLine(counts.emails, counts.phones, counts.addresses,
                                          counts.links);
    }
    const QString expected =
            R"("Name","Given Name","Additional Name","Family Name","Yomi Name",)"
            R"("Given Name Yomi","Additional Name Yomi","Family Name Yomi","Name Prefix",)"
            R"("Name Suffix","Initials","Nickname","Short Name","Maiden Name","Birthday",)"
            R"("Gender","Location","Billing Information","Directory Server","Mileage",)"
            R"("Occupation","Hobby","Sensitivity","Priority","Subject","Notes",)"
            R"("Group Membership","E-mail 1 - Type","E-mail 1 - Value","E-mail 2 - Type",)"
            R"("E-mail 2 - Value","Phone 1 - Type","Phone 1 - Value","Phone 2 - Type",)"
            R"("Phone 2 - Value","Phone 3 - Type","Phone 3 - Value","Address 1 - Type",)"
            R"("Address 1 - Formatted","Address 1 - Street","Address 1 - City",)"
            R"("Address 1 - PO Box","Address 1 - Region","Address 1 - Postal Code",)"
            R"("Address 1 - Country","Address 1 - Extended Address","Organization 1 - Type",)"
            R"("Organization 1 - Name","Organization 1 - Yomi Name","Organization 1 - Title",)"
            R"("Organization 1 - Department","Organization 1 - Symbol",)"
            R"("Organization 1 - Location","Organization 1 - Job Description",)"
            R"("Website 1 - Type","Website 1 - Value")"
            "\n"
            R"("Smith Anna ""Ann""","Anna ""Ann""","","Smith",,,,,,,,,,,"",,,,,,,,,,,"","* My Contacts ::: * Starred","Work","a@x.org","Home","b@y.org","Home","1","Work","2","Mobile","3","Home","Street 1","Street 1",,,,,,,,"Acme",,,,,,,"Profile","https://x.org")"
            "\n"
            R"("Brown Bob","Bob","","Brown",,,,,,,,,,,"",,,,,,,,,,,"","* My Contacts",,,,,"Work","9",,,,,,,,,,,,,,,"",,,,,,,,)"
            "\n"
            R"("Stone","Stone","","",,,,,,,,,,,"",,,,,,,,,,,"","* My Contacts",,,,,,,,,,,,,,,,,,,,,"",,,,,,,,)";
    QCOMPARE(lines.join(QLatin1Char('\n')), expected);
}

void tst_GoogleCsv::typeOfLabel_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("type");
    addRowsFromFile(TEST_DATA_DIR "/csv/google-label-types.jsonl");
}

void tst_GoogleCsv::typeOfLabel()
{
    QFETCH(QString, label);
    QTEST(GoogleCsv::typeOfLabel(label), "type");
}

KIV_TEST_GUILESS_MAIN(tst_GoogleCsv)
#include "tst_googlecsv.moc"

#include "importexport/googlecsv.h"
#include "record/contact.h"
#include "testsupport.h"

#include <QGuiApplication>

// The Google CSV layout as Google's import reads it (padding, types, groups, quoting).
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
    QCOMPARE(lines.join(QLatin1Char('\n')) + '\n',
             QString::fromUtf8(readFile(TEST_DATA_DIR "/export/google-layout.csv")));
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

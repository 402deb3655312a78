#include "record/contact.h"
#include "testsupport.h"

#include <QGuiApplication>

// The record: its composed full name and its copy (the import's way of
// making a new contact from a parsed one).
class tst_Contact : public QObject
{
    Q_OBJECT

private slots:
    void composesFullName_data();
    void composesFullName();
    void copyCarriesDataUnderFreshIncreasingId();
};

void tst_Contact::composesFullName_data()
{
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("middlename");
    QTest::addColumn<QString>("fullname");
    QTest::newRow("surname and name") << "Smith"
                                      << "Anna"
                                      << ""
                                      << "Smith Anna";
    QTest::newRow("name alone") << ""
                                << "Anna"
                                << ""
                                << "Anna";
    QTest::newRow("all empty") << ""
                               << ""
                               << ""
                               << "";
    QTest::newRow("inner white space") << " Smith\t"
                                       << "\nAnna "
                                       << "  Maria"
                                       << "Smith Anna Maria";
}

void tst_Contact::composesFullName()
{
    QFETCH(QString, surname);
    QFETCH(QString, name);
    QFETCH(QString, middlename);
    QTEST(Contact::composeFullName(surname, name, middlename), "fullname");
}

// A copy has every field but a fresh id, is ticked for import and composes
// its full name only when the source has none; ids never repeat, however fast.
void tst_Contact::copyCarriesDataUnderFreshIncreasingId()
{
    auto source = contactFromJson(R"({"id":"1","surname":"Smith","name":"Anna","favorite":true,)"
                                  R"("phones":["1 / Home","2 / "],"comment":"c"})");
    source->importMe = false;
    source->photoData = QByteArrayLiteral("iVBORw0K");
    QObject parent;
    const Contact *copy = new Contact(source.get(), &parent);
    QCOMPARE(copy->parent(), &parent);
    QVERIFY(copy->importMe);
    QCOMPARE(copy->photoData, source->photoData);
    source->fullname = QStringLiteral("Smith Anna");
    source->importMe = true;
    QCOMPARE(contactText(copy), contactText(source.get()));
    source->fullname = QStringLiteral("Dr. Anna Smith");
    QCOMPARE(Contact(source.get(), &parent).fullname, source->fullname);
    qint64 last = copy->id.toLongLong();
    QVERIFY(last > 1);
    for (int i = 0; i < 10000; ++i) {
        const qint64 id = Contact(source.get(), &parent).id.toLongLong();
        QVERIFY2(id > last, qPrintable(QString::number(id)));
        last = id;
    }
}

KIV_TEST_GUILESS_MAIN(tst_Contact)
#include "tst_contact.moc"

#include "record/contact.h"

#include "testsupport.h"

#include <QTest>

// The contact record: defaults, copies and the composed full name.
class tst_Contact : public QObject
{
    Q_OBJECT

private slots:
    void blankRecordHasDefaults();
    void composesFullName_data();
    void composesFullName();
    void copyGetsFreshIncreasingId();
    void copyCarriesDataAndResetsImportMe();
    void copyComposesFullNameOnlyWhenEmpty();
};

void tst_Contact::blankRecordHasDefaults()
{
    Contact contact;
    QCOMPARE(contact.isFavorite, false);
    QCOMPARE(contact.importMe, true);
    QVERIFY(contact.id.isEmpty());
    QVERIFY(contact.fullname.isEmpty());
    QVERIFY(contact.phoneList.isEmpty());
    QVERIFY(contact.photoData.isEmpty());
    QCOMPARE(contact.metaObject()->propertyCount() - contact.metaObject()->propertyOffset(), 17);
}

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
    QFETCH(QString, fullname);
    QCOMPARE(Contact::composeFullName(surname, name, middlename), fullname);
}

void tst_Contact::copyGetsFreshIncreasingId()
{
    Contact source;
    source.name = QStringLiteral("Anna");
    qint64 last = 0;
    for (int i = 0; i < 10000; ++i) {
        Contact copy(&source, nullptr);
        bool ok = false;
        const qint64 id = copy.id.toLongLong(&ok);
        QVERIFY(ok);
        QVERIFY2(id > last, qPrintable(copy.id));
        last = id;
    }
}

void tst_Contact::copyCarriesDataAndResetsImportMe()
{
    Contact source;
    source.id = QStringLiteral("1");
    source.isFavorite = true;
    source.name = QStringLiteral("Anna");
    source.surname = QStringLiteral("Smith");
    source.phoneList = QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    source.phoneGroupList = QStringList{QStringLiteral("Home"), QStringLiteral("Work")};
    source.importMe = false;
    source.photoData = QByteArrayLiteral("iVBORw0K");

    QObject parent;
    Contact *copy = new Contact(&source, &parent);
    QCOMPARE(copy->parent(), &parent);
    QVERIFY(copy->id != source.id);
    QCOMPARE(copy->isFavorite, true);
    QCOMPARE(copy->importMe, true);
    QCOMPARE(copy->phoneList, source.phoneList);
    QCOMPARE(copy->phoneGroupList, source.phoneGroupList);
    QCOMPARE(copy->photoData, source.photoData);
}

void tst_Contact::copyComposesFullNameOnlyWhenEmpty()
{
    Contact source;
    source.name = QStringLiteral("Anna");
    source.surname = QStringLiteral("Smith");
    Contact composed(&source, nullptr);
    QCOMPARE(composed.fullname, QStringLiteral("Smith Anna"));

    source.fullname = QStringLiteral("Dr. Anna Smith");
    Contact kept(&source, nullptr);
    QCOMPARE(kept.fullname, QStringLiteral("Dr. Anna Smith"));
}

KIV_TEST_GUILESS_MAIN(tst_Contact)
#include "tst_contact.moc"

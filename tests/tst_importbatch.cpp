#include "testsupport.h"

#include "model/contactsmodel.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QSignalSpy>

// An import's contacts reach the store at once and the list in one insertion.
class tst_ImportBatch : public QObject
{
    Q_OBJECT

private slots:
    void queuedContactsJoinInOneInsertion();
};

void tst_ImportBatch::queuedContactsJoinInOneInsertion()
{
    SqliteDatabase store;
    QVERIFY(store.open(QDir::homePath() + QStringLiteral("/batch.sqlite")));
    ContactsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setDataBase(&store);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (const auto &contact : makeContacts(QStringLiteral("Smith Anna|Brown Bob|Cole Cy"))) {
        model.queueContact(contact.get());
    }
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(store.contactCount(), 3);
    model.addContact(makeContact(QStringLiteral("9"), QStringLiteral("Dale Di")).get(), QString());
    QCOMPARE(inserted.size(), 2);
    QCOMPARE(inserted.at(0).mid(1), (QVariantList{0, 2}));
    QCOMPARE(model.contactAt(3)->surname, QStringLiteral("Dale"));
    model.addQueuedContacts();
    QCOMPARE(inserted.size(), 2);
}

KIV_TEST_GUILESS_MAIN(tst_ImportBatch)
#include "tst_importbatch.moc"

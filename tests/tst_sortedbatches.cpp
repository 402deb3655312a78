#include "model/contactsmodel.h"
#include "model/contactsproxymodel.h"
#include "record/contact.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QGuiApplication>
#include <QLocale>

// The rows of an import, added in one batch to a sorted, searched view, take
// the places that adding them one by one gives them, in plain (C locale) and
// collated order; the names share long beginnings, repeat, are empty or
// hold NUL characters, which the plain order's radix sort has to tell apart.
class tst_SortedBatches : public QObject
{
    Q_OBJECT

private slots:
    void batchPlacesRowsAsSingleInserts_data();
    void batchPlacesRowsAsSingleInserts();
};

void tst_SortedBatches::batchPlacesRowsAsSingleInserts_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("favourites");
    for (const char *locale : {"C", "en_US"}) {
        QTest::addRow("%s, all", locale) << locale << QString() << false;
        QTest::addRow("%s, searched favourites", locale) << locale << "b" << true;
    }
}

void tst_SortedBatches::batchPlacesRowsAsSingleInserts()
{
    QFETCH(QString, locale);
    QFETCH(QString, search);
    QFETCH(bool, favourites);
    QLocale::setDefault(QLocale(locale));
    ContactsModel batch;
    ContactsModel single;
    ContactsProxyModel batchView;
    ContactsProxyModel singleView;
    for (ContactsProxyModel *view : {&batchView, &singleView}) {
        view->setSourceModel(view == &batchView ? &batch : &single);
        view->sort();
        view->setFilterFixedString(search);
        view->showFavouriteGroup(favourites);
    }
    QAbstractItemModelTester tester(&batchView,
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QString pieces[] = {"Alexandr", "a", "B", "b", QString(QChar(0)), "Ёж", QString()};
    for (int i = 0; i < 600; ++i) {
        Contact contact;
        for (int part = i; part > 0; part /= 7) {
            contact.fullname += pieces[part % 7];
        }
        contact.isFavorite = i % 3 != 0;
        single.addContact(&contact, QString());
        // The first rows are there before the import.
        i < 100 ? batch.addContact(&contact, QString()) : batch.queueContact(&contact);
    }
    batch.addQueuedContacts();
    QVERIFY(singleView.rowCount() > 100);
    QCOMPARE(batchView.rowCount(), singleView.rowCount());
    for (int row = 0; row < singleView.rowCount(); ++row) {
        QCOMPARE(batchView.mapToSource(batchView.index(row, 0)).row(),
                 singleView.mapToSource(singleView.index(row, 0)).row());
    }
    QCOMPARE(batchView.existingLetters(), singleView.existingLetters());
}

KIV_TEST_GUILESS_MAIN(tst_SortedBatches)
#include "tst_sortedbatches.moc"

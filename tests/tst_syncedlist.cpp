#include "davserver.h"
#include "model/contactsmodel.h"
#include "model/contactsproxymodel.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "sync/carddavsync.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QGuiApplication>
#include <QSignalSpy>

// The contact list follows a sync while it runs: what the sync stores or
// removes reaches the list as row changes of a bounded size, never as a
// reload, and the list ends as the store is.
class tst_SyncedList : public QObject
{
    Q_OBJECT

private slots:
    void listFollowsTheSyncInSteps();
    void mergeReachesTheOtherInstance();
};

namespace {

// Names and comments, sorted: what a list shows of the contacts.
QStringList texts(const QList<const Contact *> &contacts)
{
    QStringList lines;
    for (const Contact *contact : contacts) {
        lines << contact->composedFullName() + QLatin1Char('|') + contact->comment;
    }
    lines.sort();
    return lines;
}

// Each stored contact's names, phones and e-mail addresses, sorted.
QStringList storedTexts(SqliteDatabase &store)
{
    const Parsed stored(store.loadContacts());
    QStringList lines;
    for (const Contact *contact : stored.all()) {
        lines << QStringList{contact->fullname, contact->phones().join(','),
                             contact->emails().join(',')}
                         .join('|');
    }
    lines.sort();
    return lines;
}

void syncOnce(CardDavSync &sync)
{
    QSignalSpy finished(&sync, &CardDavSync::finished);
    sync.start();
    QVERIFY(finished.wait(300000));
    QCOMPARE(finished.first().first().toString(), QString());
}

} // namespace

void tst_SyncedList::listFollowsTheSyncInSteps()
{
    DavServer dav(DavServer::Radicale);
    QVERIFY(dav.start());
    SqliteDatabase theirs;
    SqliteDatabase mine;
    theirs.open(QDir::homePath() + QStringLiteral("/theirs.sqlite"));
    mine.open(QDir::homePath() + QStringLiteral("/mine.sqlite"));
    const int count = CardDavSync::ChangesPerStep + 30;
    for (int i = 0; i < count; ++i) {
        theirs.insertContact(makeContact(Contact::makeId(), QStringLiteral("S%1 N").arg(i)).get());
    }
    CardDavSync up(&theirs);
    CardDavSync down(&mine);
    up.setAccount(dav.addressBook(), DavServer::User, DavServer::Password);
    down.setAccount(dav.addressBook(), DavServer::User, DavServer::Password);
    ContactsModel model;
    model.setDataBase(&mine);
    ContactsProxyModel view;
    view.setSourceModel(&model);
    QAbstractItemModelTester modelTester(&model);
    QAbstractItemModelTester viewTester(&view);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    connect(&down, &CardDavSync::contactsChanged, this, [&] {
        const QList<Contact *> stored = down.takeStoredContacts();
        QVariantList records;
        for (Contact *contact : stored) {
            records.append(QVariant::fromValue(contact));
        }
        model.takeStoredContacts(records, down.takeRemovedIds());
        qDeleteAll(stored);
    });
    const auto syncBoth = [&] {
        syncOnce(up);
        syncOnce(down);
        QVERIFY(!QTest::currentTestFailed());
        QTRY_COMPARE(qint64(model.rowCount()), mine.contactCount());
        QList<const Contact *> rows;
        for (int row = 0; row < model.rowCount(); ++row) {
            rows << model.contactAt(row);
        }
        const QList<Contact *> stored = mine.loadContacts();
        QCOMPARE(texts(rows), texts({stored.cbegin(), stored.cend()}));
        qDeleteAll(stored);
    };

    syncBoth();
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(model.rowCount(), count);
    QVERIFY(inserted.size() > 1);
    for (const QList<QVariant> &insertion : qAsConst(inserted)) {
        QVERIFY(insertion.at(2).toInt() - insertion.at(1).toInt() < CardDavSync::ChangesPerStep);
    }

    QList<Contact *> contacts = theirs.loadContacts();
    contacts.at(0)->comment = QStringLiteral("Edited there");
    theirs.updateContact(contacts.at(0));
    theirs.removeContacts({contacts.at(1)->id});
    theirs.insertContact(makeContact(Contact::makeId(), QStringLiteral("Added There")).get());
    qDeleteAll(contacts);
    syncBoth();
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(model.rowCount(), count);
    QCOMPARE(resets.size(), 0);
    QCOMPARE(removed.size(), 1);

    // A run that fails after storing (the server dies once the new cards
    // are fetched, before the upload of a contact added here) still hands
    // the list what it stored.
    for (int i = 0; i < 30; ++i) {
        theirs.insertContact(makeContact(Contact::makeId(), QStringLiteral("L%1 N").arg(i)).get());
    }
    QSignalSpy upFinished(&up, &CardDavSync::finished);
    up.start();
    QVERIFY(upFinished.wait(300000));
    model.addContact(makeContact(Contact::makeId(), QStringLiteral("Local Only")).get(), QString());
    const qint64 all = mine.contactCount() + 30;
    connect(&down, &CardDavSync::progressChanged, this, [&] {
        if (down.done() == 30) {
            dav.kill();
        }
    });
    QSignalSpy downFinished(&down, &CardDavSync::finished);
    down.start();
    QVERIFY(downFinished.wait(300000));
    const QString error = downFinished.first().first().toString();
    QVERIFY2(error.startsWith("Server not reachable"), qPrintable(error));
    QTRY_COMPARE(qint64(model.rowCount()), all);
}

// A merge here reaches the other instance as one contact holding what both
// held (the merged card uploaded, the other's deleted); its undo brings both
// back there too.
void tst_SyncedList::mergeReachesTheOtherInstance()
{
    DavServer dav(DavServer::Radicale);
    QVERIFY(dav.start());
    SqliteDatabase mine;
    SqliteDatabase theirs;
    mine.open(QDir::homePath() + QStringLiteral("/merge-mine.sqlite"));
    theirs.open(QDir::homePath() + QStringLiteral("/merge-theirs.sqlite"));
    QStringList ids;
    for (const char *compact :
         {"Smith Anna,phone=+49 30 1234567", "Anna Smith,email=a@example.org"}) {
        const ContactPtr contact = compactContact(QLatin1String(compact));
        contact->id = Contact::makeId();
        mine.insertContact(contact.get());
        ids << contact->id;
    }
    CardDavSync here(&mine);
    CardDavSync there(&theirs);
    here.setAccount(dav.addressBook(), DavServer::User, DavServer::Password);
    there.setAccount(dav.addressBook(), DavServer::User, DavServer::Password);
    ContactsModel model;
    model.setDataBase(&mine);
    model.loadModel();
    const auto syncBoth = [&] {
        syncOnce(here);
        syncOnce(there);
    };
    syncBoth();
    const QStringList both = storedTexts(mine);
    QCOMPARE(storedTexts(theirs), both);

    QVERIFY(model.mergeContacts(ids, {}));
    syncBoth();
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(storedTexts(theirs), QStringList{"Smith Anna|+49 30 1234567|a@example.org"});

    model.undoRemoval();
    syncBoth();
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(storedTexts(mine), both);
    QCOMPARE(storedTexts(theirs), both);
}

int main(int argc, char *argv[])
{
    TestHome home;
    QGuiApplication app(argc, argv);
    tst_SyncedList test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_syncedlist.moc"

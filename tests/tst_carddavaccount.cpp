#include "davserver.h"
#include "storage/sqlitedatabase.h"
#include "sync/carddavaccount.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QGuiApplication>
#include <QSettings>
#include <QSignalSpy>

// The account of the settings form with the desktop's secret store running
// (KIV_SECRET_STORE=1, on a private session bus) or without one: the password
// never reaches a file, and a restart asks for it only without a store.
class tst_CardDavAccount : public QObject
{
    Q_OBJECT

private slots:
    void passwordStaysOutOfFiles();
};

void tst_CardDavAccount::passwordStaysOutOfFiles()
{
    const bool secretStore = qgetenv("KIV_SECRET_STORE") == "1";
    DavServer dav(DavServer::Radicale);
    QVERIFY(dav.start());
    SqliteDatabase store;
    QVERIFY(store.open(QString()));
    {
        CardDavAccount account(&store);
        QSignalSpy synced(&account, &CardDavAccount::syncFinished);
        account.discover(dav.url().toString(), DavServer::User, DavServer::Password);
        QTRY_VERIFY_WITH_TIMEOUT(!account.addressBooks().isEmpty(), 20000);
        account.chooseAddressBook(0);
        QVERIFY(synced.wait(60000));
        QCOMPARE(synced.first().first().toString(), QString());
        QCOMPARE(account.addressBookName(), QStringLiteral("Contacts"));
        QTRY_VERIFY(!account.isStoringPassword());
        QCOMPARE(account.passwordNote().startsWith(QLatin1String("No secret store")), !secretStore);
    }
    QSettings().sync();
    QDirIterator files(QDir::homePath(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    int checked = 0;
    while (files.hasNext()) {
        const QByteArray bytes = readFile(files.next());
        QVERIFY2(!bytes.contains("s3cret"), qPrintable(files.filePath()));
        checked += bytes.contains("carddav") || files.filePath().endsWith(QLatin1String(".sqlite"));
    }
    QCOMPARE(checked, 2);

    // The next start: the password comes from the store, or is asked for.
    CardDavAccount again(&store);
    QSignalSpy synced(&again, &CardDavAccount::syncFinished);
    QTRY_COMPARE(again.needsPassword(), !secretStore);
    if (!secretStore) {
        again.setPassword(DavServer::Password);
    }
    QVERIFY(synced.wait(60000));
    QCOMPARE(synced.first().first().toString(), QString());
}

KIV_TEST_GUILESS_MAIN(tst_CardDavAccount)
#include "tst_carddavaccount.moc"

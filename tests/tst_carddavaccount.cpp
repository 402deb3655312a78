#include "davserver.h"
#include "storage/sqlitedatabase.h"
#include "sync/carddavaccount.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QFile>
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
    void passwordStaysOutOfFiles_data();
    void passwordStaysOutOfFiles();
};

void tst_CardDavAccount::passwordStaysOutOfFiles_data()
{
    QTest::addColumn<bool>("inAddress"); // name and password typed into the server's address
    QTest::newRow("in the fields") << false;
    QTest::newRow("in the address") << true;
}

void tst_CardDavAccount::passwordStaysOutOfFiles()
{
    QFETCH(bool, inAddress);
    const bool secretStore = qgetenv("KIV_SECRET_STORE") == "1";
    // No account and no address book of the row before.
    QSettings().clear();
    QFile::remove(SqliteDatabase::defaultPath());
    DavServer dav(DavServer::Radicale);
    QVERIFY(dav.start());
    SqliteDatabase store;
    QVERIFY(store.open(QString()));
    {
        CardDavAccount account(&store);
        QSignalSpy synced(&account, &CardDavAccount::syncFinished);
        QUrl address = dav.url();
        if (inAddress) {
            address.setUserName(DavServer::User);
            address.setPassword(DavServer::Password);
        }
        account.discover(address.toString(), inAddress ? QString() : DavServer::User,
                         inAddress ? QString() : DavServer::Password);
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

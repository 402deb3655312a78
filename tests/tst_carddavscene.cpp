// Connecting a CardDAV account through the settings, as a person does it,
// against a real Radicale that another device already filled.

#include "davserver.h"
#include "record/contact.h"
#include "scenedriver.h"
#include "storage/sqlitedatabase.h"
#include "sync/carddavsync.h"
#include "testsupport.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>

class tst_CardDavScene : public SceneTest
{
    Q_OBJECT

private slots:
    void connectAndSync();

private:
    QString shown(const QString &name) const
    {
        return m_scene->item(name)->property("text").toString();
    }
};

namespace {

// Another device on the same account adds a contact and syncs.
QString addOnOtherDevice(const QUrl &book, const QString &surnameAndName)
{
    SqliteDatabase store;
    store.open(QDir::homePath() + QStringLiteral("/other-device.sqlite"));
    auto contact = makeContact(Contact::makeId(), surnameAndName);
    contact->fullname = contact->composedFullName();
    store.insertContact(contact.get());
    CardDavSync sync(&store);
    sync.setAccount(book, DavServer::User, DavServer::Password);
    QSignalSpy finished(&sync, &CardDavSync::finished);
    sync.start();
    return finished.wait(60000) ? finished.first().first().toString() : QStringLiteral("no end");
}

} // namespace

void tst_CardDavScene::connectAndSync()
{
    DavServer dav(DavServer::Radicale);
    QVERIFY(dav.start());
    QCOMPARE(addOnOtherDevice(dav.addressBook(), QStringLiteral("Chopin Fryderyk")), QString());
    SceneDriver::storeContacts(QStringLiteral("Bach Anna"));
    QVERIFY(m_scene->start());

    QVERIFY(m_scene->click(QStringLiteral("settingsButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("settingsForm")));
    QVERIFY(m_scene->click(QStringLiteral("cardDavRow")));
    QVERIFY(m_scene->waitShown(QStringLiteral("cardDavForm")));
    QCOMPARE(shown(QStringLiteral("cardDavAccount")), QStringLiteral("No account"));

    // A password for plain http on another host is sent only once agreed to.
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("cardDavServer")),
                              QStringLiteral("dav.example.org:5232")));
    QVERIFY(m_scene->item(QStringLiteral("cardDavPlainWarning"))->isVisible());
    QVERIFY(m_scene->click(QStringLiteral("cardDavFindButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
    QVERIFY(shown(QStringLiteral("messageText")).contains(QLatin1String("not encrypted")));
    QVERIFY(m_scene->click(QStringLiteral("messageCancelButton")));
    QCOMPARE(shown(QStringLiteral("cardDavStatus")), QString());
    m_scene->item(QStringLiteral("cardDavServer"))->setProperty("text", QString());
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("cardDavServer")),
                              dav.url().toString()));
    QVERIFY(!m_scene->item(QStringLiteral("cardDavPlainWarning"))->isVisible());
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("cardDavUser")), DavServer::User));
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("cardDavPassword")),
                              DavServer::Password + QLatin1Char('x')));

    // A mistyped password is said in words, and mended in the same form.
    QVERIFY(m_scene->click(QStringLiteral("cardDavFindButton")));
    QTRY_VERIFY_WITH_TIMEOUT(shown(QStringLiteral("cardDavStatus"))
                                     .contains(QLatin1String("Wrong user name or password")),
                             20000);
    QVERIFY(!m_scene->item(QStringLiteral("cardDavBook0")));
    QTest::keyClick(m_scene->window(), Qt::Key_Backspace);
    QVERIFY(m_scene->click(QStringLiteral("cardDavFindButton")));
    QTRY_VERIFY_WITH_TIMEOUT(m_scene->item(QStringLiteral("cardDavBook0")), 20000);
    QCOMPARE(shown(QStringLiteral("cardDavFoundOn")),
             QStringLiteral("Found on ") + dav.url().toString().chopped(1));

    // Choosing the address book syncs both ways; the list takes the server's
    // contact once the form is closed.
    QVERIFY(m_scene->click(QStringLiteral("cardDavBook0")));
    QTRY_VERIFY_WITH_TIMEOUT(shown(QStringLiteral("cardDavStatus")).startsWith("Synced at"), 60000);
    QCOMPARE(shown(QStringLiteral("cardDavAccount")),
             QStringLiteral("Address book: Contacts (%1)").arg(DavServer::User));
    QCOMPARE(dav.cardCount(), 2);
    QVERIFY(m_scene->click(QStringLiteral("cardDavCloseButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("cardDavForm")));
    QTRY_COMPARE(m_scene->listedNames(),
                 QStringList({QStringLiteral("Bach Anna"), QStringLiteral("Chopin Fryderyk")}));

    // "Sync now" brings what the other device added since.
    QCOMPARE(addOnOtherDevice(dav.addressBook(), QStringLiteral("Dvořák Antonín")), QString());
    QVERIFY(m_scene->click(QStringLiteral("settingsButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("settingsForm")));
    QVERIFY(m_scene->click(QStringLiteral("cardDavRow")));
    QVERIFY(m_scene->waitShown(QStringLiteral("cardDavForm")));
    QVERIFY(m_scene->click(QStringLiteral("cardDavSyncButton")));
    QVERIFY(m_scene->click(QStringLiteral("cardDavCloseButton")));
    QTRY_COMPARE_WITH_TIMEOUT(m_scene->listedNames().size(), 3, 60000);
    QVERIFY(m_scene->listedNames().contains(QStringLiteral("Dvořák Antonín")));

    // A star given here goes up alone: the other device's addition waits.
    QCOMPARE(addOnOtherDevice(dav.addressBook(), QStringLiteral("Elgar Edward")), QString());
    QVERIFY(m_scene->click(m_scene->listRow(QStringLiteral("1"))));
    QVERIFY(m_scene->click(QStringLiteral("star")));
    const auto starredThere = [&dav] {
        const QFileInfoList cards = QDir(dav.cardFolder()).entryInfoList({QStringLiteral("*.vcf")});
        return std::any_of(cards.begin(), cards.end(), [](const QFileInfo &card) {
            return readFile(card.filePath()).contains("Starred"); // only Bach has a star
        });
    };
    QTRY_VERIFY_WITH_TIMEOUT(starredThere(), 30000);
    QVERIFY(!SceneDriver::storedTexts().join(QString()).contains(QStringLiteral("Elgar")));
}

KIV_TEST_MAIN(tst_CardDavScene)
#include "tst_carddavscene.moc"

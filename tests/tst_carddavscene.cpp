// Connecting a CardDAV account through the settings, as a person does it,
// against a real Radicale that another device already filled.

#include "davserver.h"
#include "record/contact.h"
#include "scenedriver.h"
#include "testsupport.h"

#include <QQuickItem>
#include <QQuickWindow>

class tst_CardDavScene : public SceneTest
{
    Q_OBJECT

private slots:
    void connectAndSync();
    void typedPasswordIsUsed();
    void conflictIsToldAndSettled_data();
    void conflictIsToldAndSettled();

private:
    QString shown(const QString &name) const
    {
        return m_scene->item(name)->property("text").toString();
    }
    // Starts the scene on a saved account: the password is asked for (no
    // secret store here), typed, and the first sync ends.
    bool startOnAccount(DavServer &dav);
    bool typePasswordAndSync(const QString &password, const QString &button);
};

namespace {

QString addOnOtherDevice(DavServer &dav, const QString &surnameAndName)
{
    return dav.changeOnDevice(QStringLiteral("other-device.sqlite"), "add:" + surnameAndName);
}

} // namespace

bool tst_CardDavScene::startOnAccount(DavServer &dav)
{
    dav.saveAsAccount();
    return m_scene->start() && m_scene->waitShown(QStringLiteral("cardDavForm"))
           && typePasswordAndSync(DavServer::Password, QStringLiteral("cardDavFindButton"));
}

bool tst_CardDavScene::typePasswordAndSync(const QString &password, const QString &button)
{
    const QString before = shown(QStringLiteral("cardDavStatus"));
    const auto ended = [&] {
        const QString now = shown(QStringLiteral("cardDavStatus"));
        return now != before && now.startsWith("Sync") && !now.startsWith("Syncing");
    };
    return m_scene->typeInto(m_scene->item(QStringLiteral("cardDavPassword")), password)
           && m_scene->click(button) && QTest::qWaitFor(ended, 60000);
}

void tst_CardDavScene::connectAndSync()
{
    DavServer dav(DavServer::Radicale);
    QVERIFY(dav.start());
    QCOMPARE(addOnOtherDevice(dav, QStringLiteral("Chopin Fryderyk")), QString());
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
    QCOMPARE(addOnOtherDevice(dav, QStringLiteral("Dvořák Antonín")), QString());
    QVERIFY(m_scene->click(QStringLiteral("settingsButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("settingsForm")));
    QVERIFY(m_scene->click(QStringLiteral("cardDavRow")));
    QVERIFY(m_scene->waitShown(QStringLiteral("cardDavForm")));
    QVERIFY(m_scene->click(QStringLiteral("cardDavSyncButton")));
    QVERIFY(m_scene->click(QStringLiteral("cardDavCloseButton")));
    QTRY_COMPARE_WITH_TIMEOUT(m_scene->listedNames().size(), 3, 60000);
    QVERIFY(m_scene->listedNames().contains(QStringLiteral("Dvořák Antonín")));

    // A star given here goes up alone: the other device's addition waits.
    QCOMPARE(addOnOtherDevice(dav, QStringLiteral("Elgar Edward")), QString());
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

// After the server's password changed, the failure shows in the main window
// with a way to the account, and the new password typed there is used.
void tst_CardDavScene::typedPasswordIsUsed()
{
    DavServer dav(DavServer::Radicale);
    QVERIFY(dav.start());
    QVERIFY(startOnAccount(dav));
    QVERIFY(shown(QStringLiteral("cardDavStatus")).startsWith(QLatin1String("Synced at")));
    dav.setPassword(QStringLiteral("n3w-Pässword"));
    QVERIFY(typePasswordAndSync(QString(), QStringLiteral("cardDavSyncButton")));
    QVERIFY(m_scene->click(QStringLiteral("cardDavCloseButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("cardDavForm")));

    QQuickItem *bar = m_scene->item(QStringLiteral("syncStatus"));
    QVERIFY(SceneDriver::isShown(bar));
    QVERIFY(shown(QStringLiteral("syncStatusText"))
                    .startsWith(QLatin1String("Sync failed: Wrong user name or password")));
    QVERIFY(m_scene->click(QStringLiteral("syncStatusButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("cardDavForm")));
    QVERIFY(typePasswordAndSync(QStringLiteral("n3w-Pässword"),
                                QStringLiteral("cardDavSyncButton")));
    QVERIFY2(shown(QStringLiteral("cardDavStatus")).startsWith(QLatin1String("Synced at")),
             qPrintable(shown(QStringLiteral("cardDavStatus"))));
    QTRY_VERIFY(!bar->isVisible());
}

void tst_CardDavScene::conflictIsToldAndSettled_data()
{
    QTest::addColumn<bool>("keepCopy");
    QTest::addColumn<QString>("kept");
    QTest::newRow("keep the version made here") << true << QStringLiteral("Here");
    QTest::newRow("keep the server's version") << false << QStringLiteral("There");
}

// Both devices changed one contact: the note says so, both rows are marked,
// and keeping one version removes the other, undoably and on the server too.
void tst_CardDavScene::conflictIsToldAndSettled()
{
    QFETCH(bool, keepCopy);
    QFETCH(QString, kept);
    DavServer dav(DavServer::Radicale);
    QVERIFY(dav.start());
    const QString other = QStringLiteral("other%1.sqlite").arg(keepCopy);
    QCOMPARE(dav.changeOnDevice(other, QStringLiteral("add:Chopin Fryderyk")), QString());
    QCOMPARE(dav.changeOnDevice(QString(), QString()), QString());
    QCOMPARE(dav.changeOnDevice(other, QStringLiteral("comment:There")), QString());
    QCOMPARE(dav.changeOnDevice(QString(), QStringLiteral("comment:Here"), false), QString());
    QVERIFY(startOnAccount(dav));
    QVERIFY(m_scene->click(QStringLiteral("cardDavCloseButton")));

    QTRY_COMPARE(shown(QStringLiteral("syncStatusText")),
                 QStringLiteral("1 contact was changed here and on the server: both versions "
                                "are kept"));
    QTRY_COMPARE(m_scene->listedNames().size(), 2);
    QStringList ids = SceneDriver::storedIds();
    if (SceneDriver::storedTexts().first().contains(QLatin1String("Conflict copy")) != keepCopy) {
        std::swap(ids[0], ids[1]);
    }
    for (const QString &id : ids) {
        QTRY_VERIFY(SceneDriver::isShown(m_scene->item("conflictMark", m_scene->listRow(id))));
    }
    QTRY_VERIFY(SceneDriver::isShown(m_scene->listRow(ids[0])));
    QVERIFY(m_scene->click(m_scene->listRow(ids[0])));
    QVERIFY(m_scene->click(QStringLiteral("keepVersionButton")));
    QCOMPARE(m_scene->listedNames(), QStringList{QStringLiteral("Chopin Fryderyk")});
    QVERIFY(SceneDriver::storedTexts().first().contains(kept));
    QVERIFY(!m_scene->item("conflictMark", m_scene->listRow(ids[0]))->isVisible());
    QVERIFY(SceneDriver::isShown(m_scene->item(QStringLiteral("undoButton"))));
    QTRY_COMPARE_WITH_TIMEOUT(dav.cardCount(), 1, 30000);
    QVERIFY(m_scene->click(QStringLiteral("syncStatusButton")));
    QTRY_VERIFY(!m_scene->item(QStringLiteral("syncStatus"))->isVisible());
}

KIV_TEST_MAIN(tst_CardDavScene)
#include "tst_carddavscene.moc"

// Call and text message on a system without a program for either: the
// window says so.

#include "record/contact.h"
#include "scenedriver.h"
#include "testmain.h"

#include <QDesktopServices>
#include <QDir>
#include <QQuickItem>
#include <QTest>

#include <memory>

class tst_PhoneHandlers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void missingHandlerIsShown_data();
    void missingHandlerIsShown();
};

void tst_PhoneHandlers::initTestCase()
{
    // Nothing on the search path: no message program, no xdg-open.
    const QString empty = QDir::homePath() + QStringLiteral("/empty-bin");
    QVERIFY(QDir().mkpath(empty));
    qputenv("PATH", empty.toUtf8());
    qunsetenv("BROWSER");
}

void tst_PhoneHandlers::missingHandlerIsShown_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("message");
    QTest::newRow("call") << "Call"
                          << "No program on this system can make calls.";
    QTest::newRow("SMS") << "SMS"
                         << "No program on this system can send text messages.";
}

void tst_PhoneHandlers::missingHandlerIsShown()
{
    QFETCH(QString, choice);
    QFETCH(QString, message);
    SceneDriver::resetHome();
    SceneDriver::clearWarnings();
    auto *c = new Contact;
    c->id = Contact::makeId();
    c->surname = QStringLiteral("Adams");
    c->name = QStringLiteral("Ann");
    c->phoneList = QStringList{QStringLiteral("+7 912 000-11-22")};
    c->phoneGroupList = QStringList{QStringLiteral("Mobile")};
    SceneDriver::storeContacts({c});
    auto scene = std::make_unique<SceneDriver>();
    QDesktopServices::unsetUrlHandler(QStringLiteral("tel"));
    QVERIFY(scene->start());
    QVERIFY(scene->click(scene->listRow(c->id)));
    QTRY_VERIFY(SceneDriver::isShown(scene->item(QStringLiteral("detailsView"))));
    QQuickItem *phones =
            scene->item(QStringLiteral("phoneGroup"), scene->item(QStringLiteral("detailsView")));
    QVERIFY(scene->click(scene->item(QStringLiteral("detailsRow0"), phones)));
    QVERIFY(scene->chooseInList(choice));
    QVERIFY(scene->waitShown(QStringLiteral("messageForm")));
    QCOMPARE(scene->item(QStringLiteral("messageText"))->property("text").toString(), message);
    scene.reset();
    delete c;
    QVERIFY2(SceneDriver::warnings().isEmpty(), qPrintable(SceneDriver::warnings().join('\n')));
}

KIV_TEST_MAIN(tst_PhoneHandlers)
#include "tst_phonehandlers.moc"

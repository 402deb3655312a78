// Call and text message on a system without a program for either.

#include "record/contact.h"
#include "scenedriver.h"
#include "testsupport.h"

#include <QDesktopServices>
#include <QDir>
#include <QQuickItem>
#include <QTest>

class tst_PhoneHandlers : public QObject
{
    Q_OBJECT

private slots:
    void missingProgramIsShown_data();
    void missingProgramIsShown();
};

void tst_PhoneHandlers::missingProgramIsShown_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("message");
    QTest::newRow("call") << "Call"
                          << "No program on this system can make calls.";
    QTest::newRow("SMS") << "SMS"
                         << "No program on this system can send text messages.";
}

void tst_PhoneHandlers::missingProgramIsShown()
{
    QFETCH(QString, choice);
    QFETCH(QString, message);
    // Nothing on the search path: no message program, no xdg-open.
    qputenv("PATH", QDir::homePath().toUtf8() + "/none");
    qunsetenv("BROWSER");
    SceneDriver::resetHome();
    Contact c;
    c.id = Contact::makeId();
    c.name = "Ann";
    c.phoneList = QStringList{"+7 912 000-11-22"};
    c.phoneGroupList = QStringList{"Mobile"};
    SceneDriver::storeContacts({&c});
    SceneDriver scene;
    QDesktopServices::unsetUrlHandler("tel");
    QVERIFY(scene.start() && scene.click(scene.listRow(c.id)));
    QTRY_VERIFY(SceneDriver::isShown(scene.item("detailsView")));
    QVERIFY(scene.click(
            scene.item("detailsRow0", scene.item("phoneGroup", scene.item("detailsView")))));
    QVERIFY(scene.chooseInList(choice) && scene.waitShown("messageForm"));
    QCOMPARE(scene.item("messageText")->property("text").toString(), message);
    QVERIFY2(SceneDriver::warnings().isEmpty(), qPrintable(SceneDriver::warnings().join('\n')));
}

KIV_TEST_MAIN(tst_PhoneHandlers)
#include "tst_phonehandlers.moc"

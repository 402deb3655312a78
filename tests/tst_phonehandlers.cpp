// Call and text message on a system without a program for either.

#include "record/contact.h"
#include "scenedriver.h"
#include "testsupport.h"

#include <QDesktopServices>
#include <QDir>
#include <QQuickItem>

class tst_PhoneHandlers : public SceneTest
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
    QDesktopServices::unsetUrlHandler("tel");
    auto contact = makeContact(Contact::makeId(), QStringLiteral("Ann"));
    contact->phoneList = QStringList{"+7 912 000-11-22"};
    contact->phoneGroupList = QStringList{"Mobile"};
    SceneDriver::storeContacts({contact.get()});
    QVERIFY(m_scene->start() && m_scene->click(m_scene->listRow(contact->id)));
    QTRY_VERIFY(SceneDriver::isShown(m_scene->item("detailsView")));
    QVERIFY(m_scene->click(m_scene->item(
            "detailsRow0", m_scene->item("phoneGroup", m_scene->item("detailsView")))));
    QVERIFY(m_scene->chooseInList(choice) && m_scene->waitShown("messageForm"));
    QCOMPARE(m_scene->item("messageText")->property("text").toString(), message);
}

KIV_TEST_MAIN(tst_PhoneHandlers)
#include "tst_phonehandlers.moc"

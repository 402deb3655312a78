// The details and the editor: call and text message with no program for either;
// what clicked e-mail addresses and links hand to the desktop; birthdays
// without a year through the calendar.

#include "record/contact.h"
#include "scenedriver.h"
#include "testsupport.h"

#include <QDesktopServices>
#include <QDir>
#include <QQuickItem>

class tst_DetailsFlows : public SceneTest
{
    Q_OBJECT

private slots:
    void missingProgramIsShown_data();
    void missingProgramIsShown();
    void clickedValuesOpenSafely_data();
    void clickedValuesOpenSafely();
    void birthdayWithoutYear_data();
    void birthdayWithoutYear();

private:
    // Starts the scene with the one contact, shows its details and clicks
    // the first value of the block.
    bool clickFirstValue(Contact *contact, const QString &block)
    {
        SceneDriver::storeContacts({contact});
        return m_scene->start() && m_scene->click(m_scene->listRow(contact->id))
               && QTest::qWaitFor(
                       [this] { return SceneDriver::isShown(m_scene->item("detailsView")); })
               && m_scene->click(m_scene->item("detailsRow0",
                                               m_scene->item(block, m_scene->item("detailsView"))));
    }
};

void tst_DetailsFlows::missingProgramIsShown_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("message");
    addRowsFromFile(TEST_DATA_DIR "/scenes/missing-programs.jsonl");
}

void tst_DetailsFlows::missingProgramIsShown()
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
    QVERIFY(clickFirstValue(contact.get(), QStringLiteral("phoneGroup")));
    QVERIFY(m_scene->chooseInList(choice) && m_scene->waitShown("messageForm"));
    QCOMPARE(m_scene->item("messageText")->property("text").toString(), message);
}

void tst_DetailsFlows::clickedValuesOpenSafely_data()
{
    QTest::addColumn<QString>("block");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("message");
    addRowsFromFile(TEST_DATA_DIR "/scenes/clicked-values.jsonl");
}

void tst_DetailsFlows::clickedValuesOpenSafely()
{
    QFETCH(QString, block);
    QFETCH(QString, value);
    QFETCH(QString, message);
    auto contact = makeContact(Contact::makeId(), QStringLiteral("Ann"));
    if (block == QLatin1String("linkGroup")) {
        contact->linkList = QStringList{value};
    } else {
        contact->emailList = QStringList{value};
        contact->emailGroupList = QStringList{"Home"};
    }
    QVERIFY(clickFirstValue(contact.get(), block));
    if (message.isEmpty()) {
        QTRY_COMPARE(m_scene->openedUrls().size(), 1);
        QTEST(m_scene->openedUrls().at(0).toString(QUrl::FullyEncoded), "opened");
    } else {
        QVERIFY(m_scene->waitShown("messageForm"));
        QCOMPARE(m_scene->item("messageText")->property("text").toString(), message);
        QVERIFY(m_scene->openedUrls().isEmpty());
    }
}

void tst_DetailsFlows::birthdayWithoutYear_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("clickNoYear");
    QTest::addColumn<QString>("saved");
    addRowsFromFile(TEST_DATA_DIR "/scenes/birthdays-without-year.jsonl", "STS");
}

void tst_DetailsFlows::birthdayWithoutYear()
{
    QFETCH(QString, typed);
    QFETCH(bool, clickNoYear);
    QVERIFY(m_scene->start());
    QVERIFY(m_scene->click(QStringLiteral("addButton")));
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("nameField")), "Val"));
    QQuickItem *birthday = m_scene->item(QStringLiteral("dateOfBirthEdit"));
    QVERIFY(m_scene->typeInto(birthday, typed));
    QVERIFY(m_scene->click(QStringLiteral("calendarButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("calendarForm")));
    QQuickItem *noYear = m_scene->item(QStringLiteral("calendarNoYear"));
    QCOMPARE(noYear->property("on").toBool(), !clickNoYear);
    QVERIFY(!clickNoYear || m_scene->click(noYear));
    QVERIFY(m_scene->click(QStringLiteral("calendarOkButton")));
    QTEST(birthday->property("text").toString(), "saved");
    QVERIFY(m_scene->click(QStringLiteral("okButton")));
    QTRY_VERIFY(!m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    QTEST(m_scene->eval("contactsProxyModel.currentData(ContactsModel.BirthDateRole)").toString(),
          "saved");
}

KIV_TEST_MAIN(tst_DetailsFlows)
#include "tst_detailsflows.moc"

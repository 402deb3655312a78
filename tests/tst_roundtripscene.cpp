// Birthdays without a year in the editor and its calendar, driven through the
// real main scene.

#include "scenedriver.h"
#include "testsupport.h"

#include <QApplication>
#include <QQuickItem>

class tst_RoundTripScene : public SceneTest
{
    Q_OBJECT

private slots:
    void birthdayWithoutYear_data();
    void birthdayWithoutYear();
};

void tst_RoundTripScene::birthdayWithoutYear_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("clickNoYear");
    QTest::addColumn<QString>("saved");
    QTest::newRow("typed day and month, kept by the calendar") << "17.05" << false << "17.05";
    QTest::newRow("the calendar's No year drops the year") << "05.03.1990" << true << "05.03";
}

void tst_RoundTripScene::birthdayWithoutYear()
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

KIV_TEST_MAIN(tst_RoundTripScene)
#include "tst_roundtripscene.moc"

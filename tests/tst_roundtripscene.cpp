// Birthdays without a year in the editor and its calendar, and the import
// form with contacts that are already in the address book, driven through
// the real main scene.

#include "record/contact.h"
#include "scenedriver.h"
#include "testsupport.h"

#include <QApplication>
#include <QDir>
#include <QQuickItem>

class tst_RoundTripScene : public SceneTest
{
    Q_OBJECT

private slots:
    void birthdayWithoutYear_data();
    void birthdayWithoutYear();
    void importFormKnowsContactsAlreadyHere();
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
    QVERIFY(m_scene->waitHidden(QStringLiteral("calendarForm")));
    QTEST(birthday->property("text").toString(), "saved");
    QVERIFY(m_scene->click(QStringLiteral("okButton")));
    QTRY_VERIFY(!m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    QTEST(m_scene->eval("contactsProxyModel.currentData(ContactsModel.BirthDateRole)").toString(),
          "saved");
}

// The contact already here starts unticked and marked; the new one brings
// its label to the editor's list; a second import of the file adds nothing.
void tst_RoundTripScene::importFormKnowsContactsAlreadyHere()
{
    ContactPtr anna = contactFromJson(
            R"({"surname":"Adams","name":"Ann","phones":["+1 555 0100 / Mobile"]})");
    SceneDriver::storeContacts(QList<Contact *>{anna.get()});
    const QString file = writeFile(QDir::homePath() + "/cards.vcf",
                                   "BEGIN:VCARD\nN:Adams;Ann\nTEL:1-555-0100\nEND:VCARD\n"
                                   "BEGIN:VCARD\nN:Brown;Bob\nitem1.TEL:2\nitem1.X-ABLabel:Dacha\n"
                                   "END:VCARD\n");
    const QString parse = "importExport.setExistingContacts(contactsModel.getAllContacts()),"
                          "importExport.parseContactsFromFile('UTF-8', '"
                          + file + "')";
    QVERIFY(m_scene->start());
    m_scene->eval(parse);
    QVERIFY(m_scene->waitShown(QStringLiteral("importExportForm")));
    QQuickItem *form = m_scene->item(QStringLiteral("importExportForm"));
    QStringList rows;
    for (int i = 0; i < 2; ++i) {
        QQuickItem *row = m_scene->item(QStringLiteral("contactRow%1").arg(i), form);
        QQuickItem *mark = m_scene->item(QStringLiteral("rowMark"), row);
        rows << row->property("contactName").toString()
                        + (row->property("checked").toBool() ? "+" : "")
                        + (mark->isVisible() ? ": " + mark->property("text").toString() : "");
    }
    QCOMPARE(rows, (QStringList{"Adams Ann: Already in contacts", "Brown Bob+"}));
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QTRY_COMPARE(m_scene->item(QStringLiteral("statusText"), form)->property("text").toString(),
                 QStringLiteral("Contacts successfully imported."));
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("importExportForm")));
    QVERIFY(m_scene->eval("contactsProxyModel.groupLabels").toStringList().contains("Dacha"));

    m_scene->eval(parse);
    QVERIFY(m_scene->waitShown(QStringLiteral("importExportForm")));
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("importExportForm")));
    QCOMPARE(SceneDriver::storedTexts().size(), 2);
}

KIV_TEST_MAIN(tst_RoundTripScene)
#include "tst_roundtripscene.moc"

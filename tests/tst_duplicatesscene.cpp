// Finding and merging duplicates, driven through the real main scene.

#include "record/contact.h"
#include "scenedriver.h"
#include "testsupport.h"

#include <QApplication>
#include <QQuickItem>
#include <QQuickWindow>

class tst_DuplicatesScene : public SceneTest
{
    Q_OBJECT

private slots:
    void findMergeMarkAndUndo();

private:
    QString text(const QString &name) const
    {
        return m_scene->item(name)->property("text").toString();
    }
    // The texts a row of the groups list shows.
    QStringList rowTexts(const QString &name) const
    {
        QStringList texts;
        for (const QQuickItem *child : m_scene->item(name)->findChildren<QQuickItem *>()) {
            texts << child->property("text").toString();
        }
        return texts;
    }
};

// Two groups: a pair with swapped name parts, and namesakes whose birthdays
// differ, where the form asks which to keep. One is merged from the
// keyboard with the other birthday chosen and undone from the undo bar; the
// other is marked "Not the same person" and never offered again.
void tst_DuplicatesScene::findMergeMarkAndUndo()
{
    std::vector<ContactPtr> contacts;
    for (const char *compact :
         {"Smith Anna,phone=+49 30 1234567", "Anna Smith,email=a@example.org", "Roe Jan", "Roe Jan",
          "Lee Kim,email=k@a.org", "Lee Kim,email=k@b.org"}) {
        contacts.push_back(compactContact(QLatin1String(compact)));
        contacts.back()->id = QString::number(contacts.size());
    }
    contacts.at(2)->dateOfBirth = QStringLiteral("1970-01-02");
    contacts.at(3)->dateOfBirth = QStringLiteral("1971-03-04");
    QList<Contact *> stored;
    for (const ContactPtr &contact : contacts) {
        stored << contact.get();
    }
    SceneDriver::storeContacts(stored);
    QVERIFY(m_scene->start());
    QVERIFY(m_scene->click(QStringLiteral("settingsButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("settingsForm")));
    QVERIFY(m_scene->click(QStringLiteral("duplicatesRow")));
    QVERIFY(m_scene->waitShown(QStringLiteral("duplicatesForm")));
    QTRY_COMPARE(text(QStringLiteral("duplicatesStatus")),
                 QStringLiteral("2 group(s) of likely duplicates"));
    // Each group is listed by its contacts' names.
    QVERIFY(rowTexts(QStringLiteral("duplicateGroup0"))
                    .contains(QStringLiteral("Smith Anna, Anna Smith")));
    QVERIFY(rowTexts(QStringLiteral("duplicateGroup1")).contains(QStringLiteral("Roe Jan, Roe Jan")));
    QVERIFY(m_scene->click(QStringLiteral("duplicateGroup1")));
    QCOMPARE(text(QStringLiteral("previewName")), QStringLiteral("Roe Jan"));
    QVERIFY(m_scene->item(QStringLiteral("choice_birthday_0"))->property("chosen").toBool());
    QVERIFY(m_scene->click(QStringLiteral("choice_birthday_1")));
    QVERIFY(m_scene->item(QStringLiteral("choice_birthday_1"))->property("chosen").toBool());
    QTest::keyClick(m_scene->window(), Qt::Key_Return);
    QTRY_COMPARE(text(QStringLiteral("duplicatesStatus")),
                 QStringLiteral("1 group(s) of likely duplicates"));
    QCOMPARE(text(QStringLiteral("previewName")), QStringLiteral("Smith Anna"));
    QVERIFY(m_scene->click(QStringLiteral("distinctButton")));
    QTRY_COMPARE(text(QStringLiteral("duplicatesStatus")), QStringLiteral("No duplicates found."));
    QVERIFY(m_scene->click(QStringLiteral("duplicatesCloseButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("duplicatesForm")));
    QVERIFY(SceneDriver::storedTexts().filter(QStringLiteral("Roe")).size() == 1);
    QVERIFY(SceneDriver::storedTexts().filter(QStringLiteral("1971-03-04")).size() == 1);
    QCOMPARE(text(QStringLiteral("undoText")), QStringLiteral("2 contacts merged"));
    // While the merged contact is edited the bar waits: an undo then left the
    // editor to save the merged fields over the contact put back.
    const QString merged =
            SceneDriver::storedTexts().filter(QStringLiteral("Roe")).first().section(' ', 0, 0);
    QVERIFY(m_scene->click(m_scene->listRow(merged)));
    QVERIFY(m_scene->click(QStringLiteral("editButton")));
    QTRY_VERIFY(m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    QVERIFY(!SceneDriver::isShown(m_scene->item(QStringLiteral("undoButton"))));
    QVERIFY(m_scene->click(QStringLiteral("cancelButton"),
                           m_scene->item(QStringLiteral("headerOkCancel"))));
    QTRY_VERIFY(!m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    QVERIFY(m_scene->click(QStringLiteral("undoButton")));
    QTRY_COMPARE(SceneDriver::storedTexts().filter(QStringLiteral("Roe")).size(), 2);

    m_scene->stop();
    QVERIFY(m_scene->start());
    QVERIFY(m_scene->click(QStringLiteral("settingsButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("settingsForm")));
    QVERIFY(m_scene->click(QStringLiteral("duplicatesRow")));
    QTRY_COMPARE(text(QStringLiteral("duplicatesStatus")),
                 QStringLiteral("1 group(s) of likely duplicates"));
    QCOMPARE(text(QStringLiteral("previewName")), QStringLiteral("Roe Jan"));
}

KIV_TEST_MAIN(tst_DuplicatesScene)
#include "tst_duplicatesscene.moc"

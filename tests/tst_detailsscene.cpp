// The details view and the editor: one flow through view, edit and add, plus the faults found.

#include "record/contact.h"
#include "scenedriver.h"
#include "testsupport.h"

#include <QApplication>
#include <QFile>
#include <QQuickItem>
#include <QQuickWindow>

class tst_DetailsScene : public SceneTest
{
    Q_OBJECT

private slots:
    void viewEditAndAdd();
    void renamedContactStaysShown();
    void pictureWhileBrowsingShowsAtOnce();
    void chosenPictureShowsOrIsRefused_data();
    void chosenPictureShowsOrIsRefused();
    void saveKeyWaitsForOpenForm_data();
    void saveKeyWaitsForOpenForm();
    void quitWithOpenEditorAsks_data();
    void quitWithOpenEditorAsks();

private:
    QQuickItem *item(const QString &name, const QString &parent = QString()) const
    {
        return m_scene->item(name, parent.isEmpty() ? nullptr : m_scene->item(parent));
    }
    // Row `row` of an editor group, made by its plus button when missing.
    QQuickItem *editRow(const QString &group, int row)
    {
        if (!item(QStringLiteral("editRow%1").arg(row), group)) {
            m_scene->click(QStringLiteral("groupLabelButton"), item(group));
            (void)QTest::qWaitFor(
                    [&] { return item(QStringLiteral("editRow%1").arg(row), group); });
        }
        return item(QStringLiteral("editRow%1").arg(row), group);
    }
    bool select(const QString &id)
    {
        return m_scene->click(m_scene->listRow(id))
               && QTest::qWaitFor([this] { return SceneDriver::isShown(item("detailsView")); });
    }
    bool answer(const QString &button)
    {
        return m_scene->click(button, item(QStringLiteral("headerOkCancel")))
               && QTest::qWaitFor([this] { return !item("detailsEditor")->isVisible(); });
    }
};

void tst_DetailsScene::viewEditAndAdd()
{
    SceneDriver::storeContactsFrom(TEST_DATA_DIR "/scenes/details-people.jsonl");
    const QString picture = SceneDriver::writePicture(QStringLiteral("blue.png"), Qt::blue);
    QVERIFY(m_scene->start());

    // The view shows only the blocks the contact has; values open the desktop.
    QVERIFY(select(QStringLiteral("1")));
    // What the contact's card keeps beyond the fields is shown with them.
    QCOMPARE(item(QStringLiteral("fullName"))->property("text").toString(),
             QStringLiteral("Dr. Ann Adams"));
    QCOMPARE(item(QStringLiteral("cardGroup"))->property("detailsData").toStringList(),
             QStringList{QStringLiteral("Annie")});
    QVERIFY(item(QStringLiteral("phoneGroup"), QStringLiteral("detailsView"))->isVisible());
    QVERIFY(!item(QStringLiteral("addressGroup"), QStringLiteral("detailsView"))->isVisible());
    QVERIFY(m_scene->click(QStringLiteral("detailsRow0"),
                           item(QStringLiteral("emailGroup"), QStringLiteral("detailsView"))));
    QVERIFY(m_scene->click(QStringLiteral("detailsRow0"),
                           item(QStringLiteral("phoneGroup"), QStringLiteral("detailsView"))));
    QVERIFY(m_scene->chooseInList(QStringLiteral("Call")));
    QTRY_COMPARE(m_scene->openedUrls().size(), 2);
    QCOMPARE(m_scene->openedUrls().at(0).toString(), QStringLiteral("mailto:ann@example.com"));
    QCOMPARE(m_scene->openedUrls().at(1).toString(), QStringLiteral("tel:+7912000-11-22"));
    QVERIFY(m_scene->waitHidden(QStringLiteral("listViewForm")));

    QVERIFY(m_scene->click(QStringLiteral("star")));
    QTRY_VERIFY(SceneDriver::storedTexts().first().contains(QStringLiteral("\"favorite\":true")));

    // Editing: a changed field and a removed phone are stored; cancel discards.
    QVERIFY(m_scene->click(QStringLiteral("editButton")));
    QTRY_VERIFY(item(QStringLiteral("detailsEditor"))->isVisible());
    QVERIFY(m_scene->typeInto(item(QStringLiteral("organizationEdit")), QStringLiteral(" Ltd")));
    QVERIFY(m_scene->click(QStringLiteral("removeMark"), editRow(QStringLiteral("phoneEdit"), 0)));
    QVERIFY(answer(QStringLiteral("okButton")));
    QVERIFY(m_scene->click(QStringLiteral("editButton")));
    QVERIFY(m_scene->typeInto(item(QStringLiteral("nameField")), QStringLiteral("bel")));
    QVERIFY(answer(QStringLiteral("cancelButton")));
    QCOMPARE(item(QStringLiteral("fullName"))->property("text").toString(),
             QStringLiteral("Dr. Ann Adams"));

    // Adding: a labelled phone, a blank address row (not stored), a birthday
    // picked in the calendar, and a picture stored with the contact.
    QVERIFY(m_scene->click(QStringLiteral("addButton")));
    QTRY_VERIFY(item(QStringLiteral("bigPhotoRect"))->isVisible());
    QVERIFY(m_scene->click(QStringLiteral("bigPhoto")));
    m_scene->answerFileDialog(picture);
    QVERIFY(m_scene->chooseInList(QStringLiteral("Choose existing picture...")));
    QTRY_VERIFY(m_scene->fileDialogAnswered());
    QVERIFY(m_scene->typeInto(item(QStringLiteral("surnameField")), QStringLiteral("Miller")));
    QVERIFY(m_scene->typeInto(
            m_scene->item(QStringLiteral("field"), editRow(QStringLiteral("phoneEdit"), 0)),
            QStringLiteral("8 495 123-45-67")));
    QVERIFY(m_scene->click(QStringLiteral("label"), editRow(QStringLiteral("phoneEdit"), 0)));
    QVERIFY(m_scene->chooseInList(QStringLiteral("Work")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("listViewForm")));
    QVERIFY(m_scene->typeInto(
            m_scene->item(QStringLiteral("field"), editRow(QStringLiteral("addressEdit"), 0)),
            QStringLiteral("   ")));
    QVERIFY(m_scene->typeInto(item(QStringLiteral("dateOfBirthEdit")),
                              QStringLiteral("15.03.1990")));
    QVERIFY(m_scene->click(QStringLiteral("calendarButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("calendarForm")));
    QQuickItem *page = item(QStringLiteral("calendarPage%1").arg((1990 - 1900) * 12 + 2));
    QVERIFY(m_scene->click(QStringLiteral("day%1").arg(page->property("firstWeekday").toInt() + 4),
                           page));
    QVERIFY(m_scene->click(QStringLiteral("calendarOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("calendarForm")));
    QVERIFY(answer(QStringLiteral("okButton")));

    QStringList stored = SceneDriver::storedTexts();
    QCOMPARE(stored.size(), 2);
    QVERIFY(!SceneDriver::storedPhoto(stored[1].section(QLatin1Char(' '), 0, 0)).isEmpty());
    stored[1] = stored[1].section(QLatin1Char(' '), 1); // a new id
    const QString expected =
            R"(1 {"emails":["ann@example.com / Home"],"favorite":true,"fullname":"Adams Ann",)"
            R"("name":"Ann","organization":"Acme Ltd","surname":"Adams"})"
            "\n"
            R"({"dateOfBirth":"05.03.1990","fullname":"Miller",)"
            R"("phones":["8 495 123-45-67 / Work"],"surname":"Miller"})";
    QCOMPARE(stored.join('\n'), expected);
}

void tst_DetailsScene::renamedContactStaysShown()
{
    SceneDriver::storeContacts(QStringLiteral("Adams Ann|Brown Bob"));
    QVERIFY(m_scene->start());
    QVERIFY(select(QStringLiteral("1")));
    QVERIFY(m_scene->click(QStringLiteral("editButton")));
    QTRY_VERIFY(item(QStringLiteral("detailsEditor"))->isVisible());
    // The new surname sorts the contact after Brown: the details still show it.
    QVERIFY(m_scene->click(item(QStringLiteral("surnameField"))));
    QTest::keyClick(m_scene->window(), Qt::Key_End);
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(m_scene->window(), Qt::Key_Backspace);
    }
    QVERIFY(m_scene->typeInto(item(QStringLiteral("surnameField")), QStringLiteral("Young")));
    QVERIFY(answer(QStringLiteral("okButton")));
    QTRY_VERIFY(item(QStringLiteral("detailsView"))->isVisible());
    QCOMPARE(m_scene->listedNames(), (QStringList{"Brown Bob", "Young Ann"}));
    QCOMPARE(item(QStringLiteral("fullName"))->property("text").toString(),
             QStringLiteral("Young Ann"));
    QCOMPARE(m_scene->eval(QStringLiteral("contactsProxyModel.currentData(257)")).toString(),
             QStringLiteral("1"));
}

void tst_DetailsScene::pictureWhileBrowsingShowsAtOnce()
{
    SceneDriver::storeContacts(QStringLiteral("Adams Ann"));
    const QString picture = SceneDriver::writePicture(QStringLiteral("red.png"), Qt::red);
    QVERIFY(m_scene->start());
    QVERIFY(select(QStringLiteral("1")));
    QVERIFY(m_scene->click(QStringLiteral("detailsPhoto")));
    m_scene->answerFileDialog(picture);
    QVERIFY(m_scene->chooseInList(QStringLiteral("Choose existing picture...")));
    QTRY_VERIFY(m_scene->fileDialogAnswered());
    QTRY_VERIFY(!SceneDriver::storedPhoto(QStringLiteral("1")).isEmpty());
    QTRY_COMPARE(m_scene->colourAt(item(QStringLiteral("detailsPhoto"))), QColor(Qt::red));
    QTRY_COMPARE(m_scene->colourAt(m_scene->item(QStringLiteral("photoImage"),
                                                 m_scene->listRow(QStringLiteral("1")))),
                 QColor(Qt::red));
    QVERIFY(m_scene->click(QStringLiteral("editButton")));
    QTRY_COMPARE(m_scene->colourAt(item(QStringLiteral("bigPhoto"))), QColor(Qt::red));
    QVERIFY(answer(QStringLiteral("cancelButton")));
}

void tst_DetailsScene::chosenPictureShowsOrIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("picture"); // a picture, or text under a picture's name
    QTest::newRow("picture") << "red.png" << true;
    QTest::newRow("# and % in the name") << "red #1 100%25.png" << true;
    QTest::newRow("Cyrillic name") << QString::fromUtf8("фото лето.png") << true;
    QTest::newRow("not a picture") << "notes.png" << false;
}

// The editor showed nothing for a picture whose name holds "#" or "%", and
// a file that is no picture was taken without a word and then not stored.
void tst_DetailsScene::chosenPictureShowsOrIsRefused()
{
    QFETCH(QString, name);
    QFETCH(bool, picture);
    SceneDriver::storeContacts(QStringLiteral("Adams Ann"));
    QString path = SceneDriver::writePicture(name, Qt::red);
    if (!picture) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("not a picture\n");
    }
    QVERIFY(m_scene->start());
    QVERIFY(select(QStringLiteral("1")));
    QVERIFY(m_scene->click(QStringLiteral("editButton")));
    QTRY_VERIFY(item(QStringLiteral("bigPhotoRect"))->isVisible());
    QVERIFY(m_scene->click(QStringLiteral("bigPhoto")));
    m_scene->answerFileDialog(path);
    QVERIFY(m_scene->chooseInList(QStringLiteral("Choose existing picture...")));
    QTRY_VERIFY(m_scene->fileDialogAnswered());
    if (picture) {
        QTRY_COMPARE(m_scene->colourAt(item(QStringLiteral("bigPhoto"))), QColor(Qt::red));
    } else {
        QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
        QVERIFY(item(QStringLiteral("messageText"))->property("text").toString().contains(path));
        QVERIFY(m_scene->click(QStringLiteral("messageOkButton")));
        QVERIFY(m_scene->waitHidden(QStringLiteral("messageForm")));
    }
    QVERIFY(answer(QStringLiteral("okButton")));
    QCOMPARE(SceneDriver::storedPhoto(QStringLiteral("1")).isEmpty(), !picture);
}

void tst_DetailsScene::saveKeyWaitsForOpenForm_data()
{
    QTest::addColumn<QString>("opener");
    QTest::addColumn<QString>("group"); // the editor group of the opener; empty for none
    QTest::addColumn<QString>("form");
    QTest::newRow("calendar") << "calendarButton" << "" << "calendarForm";
    QTest::newRow("phone labels") << "label" << "phoneEdit" << "listViewForm";
}

// Ctrl+S closed the editor under an open calendar or label list, which then
// stayed open over the list with nothing to choose for.
void tst_DetailsScene::saveKeyWaitsForOpenForm()
{
    QFETCH(QString, opener);
    QFETCH(QString, group);
    QFETCH(QString, form);
    SceneDriver::storeContacts(QStringLiteral("Adams Ann"));
    QVERIFY(m_scene->start());
    QVERIFY(select(QStringLiteral("1")));
    QVERIFY(m_scene->click(QStringLiteral("editButton")));
    QVERIFY(m_scene->typeInto(item(QStringLiteral("surnameField")), QStringLiteral("son")));
    QVERIFY(m_scene->click(opener, group.isEmpty() ? nullptr : editRow(group, 0)));
    QVERIFY(m_scene->waitShown(form));
    m_scene->window()->requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(m_scene->window()));
    QTest::keySequence(m_scene->window(), QKeySequence::Save);
    m_scene->waitForFrame();
    QVERIFY(item(QStringLiteral("detailsEditor"))->isVisible());
    QVERIFY(SceneDriver::isShown(item(form)));
    QTest::keyClick(m_scene->window(), Qt::Key_Escape);
    QVERIFY(m_scene->waitHidden(form));
    QTest::keySequence(m_scene->window(), QKeySequence::Save);
    QTRY_VERIFY(!item(QStringLiteral("detailsEditor"))->isVisible());
    QTRY_VERIFY(SceneDriver::storedTexts().value(0).contains("\"surname\":\"Adamsson\""));
}

void tst_DetailsScene::quitWithOpenEditorAsks_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("surname"); // stored after the answer
    QTest::newRow("OK saves and quits") << "messageOkButton"
                                        << "Adamsson";
    QTest::newRow("Cancel keeps editing") << "messageCancelButton"
                                          << "Adams";
}

// Closing the window with the editor open asks before anything typed is lost.
void tst_DetailsScene::quitWithOpenEditorAsks()
{
    QFETCH(QString, button);
    QFETCH(QString, surname);
    SceneDriver::storeContacts(QStringLiteral("Adams Ann"));
    QVERIFY(m_scene->start());
    QVERIFY(select(QStringLiteral("1")));
    QVERIFY(m_scene->click(QStringLiteral("editButton")));
    QVERIFY(m_scene->typeInto(item(QStringLiteral("surnameField")), QStringLiteral("son")));
    QVERIFY(!m_scene->window()->close());
    QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
    QVERIFY(m_scene->click(button));
    const bool closed = surname != QLatin1String("Adams");
    QTRY_COMPARE(m_scene->window()->isVisible(), !closed);
    QCOMPARE(item(QStringLiteral("detailsEditor"))->isVisible(), !closed);
    QTRY_VERIFY(SceneDriver::storedTexts().value(0).contains("\"surname\":\"" + surname + '"'));
}

KIV_TEST_MAIN(tst_DetailsScene)
#include "tst_detailsscene.moc"

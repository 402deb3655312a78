// The main scene: one flow a person would take through the list, plus the faults found.

#include "app/customqtquick2applicationviewer.h"
#include "app/scenesetup.h"
#include "record/contact.h"
#include "scenedriver.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSqlDatabase>

class tst_MainScene : public SceneTest
{
    Q_OBJECT

private slots:
    void listFlow();
    void groupFlow();
    void longListFollowsRequests();
    void chosenContactsStayChosen();
    void quitClosesWindowBeforeStores();
    void narrowWindowKeepsSearchAndBirthday_data();
    void narrowWindowKeepsSearchAndBirthday();

private:
    QVariant proxy(const char *property) const
    {
        return m_scene->eval(QStringLiteral("contactsProxyModel.") + QLatin1String(property));
    }
    QString message() const
    {
        return m_scene->item(QStringLiteral("messageText"))->property("text").toString();
    }
    bool clickOk() { return m_scene->click(QStringLiteral("okButton"), header()); }
    QQuickItem *header() const { return m_scene->item(QStringLiteral("headerOkCancel")); }
    QString filterLabel() const
    {
        return m_scene->item(QStringLiteral("filterMenuButton"))->property("text").toString();
    }
    void renameInSettings(const QString &group, const QString &to)
    {
        QVERIFY(m_scene->click(QStringLiteral("renameGroupButton"),
                               m_scene->item(QStringLiteral("groupRow_") + group)));
        QVERIFY(m_scene->waitShown(QStringLiteral("lineEditForm")));
        QQuickItem *field = m_scene->item(QStringLiteral("lineEditFormInput"));
        QCOMPARE(field->property("text").toString(), group);
        QVERIFY(m_scene->click(QStringLiteral("clearButton"), field));
        QVERIFY(m_scene->typeInto(field, to));
        QVERIFY(m_scene->click(QStringLiteral("lineEditOkButton")));
        QVERIFY(m_scene->waitHidden(QStringLiteral("lineEditForm")));
    }
    // The stored contacts' groups, "id:Group,Group" for those in any.
    static QStringList storedGroups()
    {
        QStringList lines;
        const QList<Contact *> stored = SceneDriver::storedContacts();
        for (const Contact *contact : stored) {
            if (!contact->groups.isEmpty()) {
                lines << contact->id + QLatin1Char(':') + contact->groups.join(QLatin1Char(','));
            }
        }
        qDeleteAll(stored);
        lines.sort();
        return lines;
    }
};

void tst_MainScene::listFlow()
{
    SceneDriver::storeContacts(QStringLiteral("Zorin Ivan|Adams Ann*|Miller Bob|Abbot Carl"));
    QVERIFY(m_scene->start());
    QCOMPARE(m_scene->listedNames(),
             (QStringList{"Abbot Carl", "Adams Ann", "Miller Bob", "Zorin Ivan"}));
    QVERIFY(m_scene->item(QStringLiteral("letter_M"))->isEnabled());
    QVERIFY(!m_scene->item(QStringLiteral("letter_B"))->isEnabled());

    // Selecting, the favourites filter and back, search.
    QVERIFY(m_scene->click(m_scene->listRow(QStringLiteral("1"))));
    QTRY_VERIFY(SceneDriver::isShown(m_scene->item(QStringLiteral("detailsView"))));
    QCOMPARE(m_scene->item(QStringLiteral("alphabetScroll"))->property("currentLetter").toString(),
             QStringLiteral("Z"));
    QVERIFY(m_scene->click(QStringLiteral("favoritesButton")));
    QCOMPARE(m_scene->listedNames(), QStringList{"Adams Ann"});
    QVERIFY(m_scene->click(QStringLiteral("allButton")));
    QQuickItem *searchField = m_scene->item(QStringLiteral("searchField"));
    QVERIFY(m_scene->typeInto(searchField, QStringLiteral("BO")));
    QCOMPARE(m_scene->listedNames(), (QStringList{"Abbot Carl", "Miller Bob"}));
    // A click on a result, and clearing the search, give the list the keys.
    QVERIFY(m_scene->click(m_scene->listRow(QStringLiteral("4"))));
    QTest::keyClick(m_scene->window(), Qt::Key_Down);
    QTRY_COMPARE(proxy("currentId").toString(), QStringLiteral("3"));
    QVERIFY(m_scene->click(m_scene->item(QStringLiteral("clearButton"), searchField)));
    QCOMPARE(m_scene->listedNames().size(), 4);
    QTest::keyClick(m_scene->window(), Qt::Key_Up);
    QTRY_COMPARE(proxy("currentId").toString(), QStringLiteral("2"));

    // A contact without a name is refused and the editor stays open.
    QVERIFY(m_scene->click(QStringLiteral("addButton")));
    QTRY_VERIFY(m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    QVERIFY(clickOk());
    QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
    QCOMPARE(message(), QStringLiteral("Can not save contact without name."));
    // The message owns the keyboard: typing reaches nothing behind it, and
    // Enter is its OK.
    QTest::keyClick(m_scene->window(), Qt::Key_Z);
    QTest::keyClick(m_scene->window(), Qt::Key_Z);
    QCOMPARE(searchField->property("text").toString(), QString());
    QCOMPARE(m_scene->item(QStringLiteral("surnameField"))->property("text").toString(), QString());
    QTest::keyClick(m_scene->window(), Qt::Key_Return);
    QVERIFY(m_scene->waitHidden(QStringLiteral("messageForm")));
    QVERIFY(m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("surnameField")),
                              QStringLiteral("Young")));
    QVERIFY(clickOk());
    QTRY_VERIFY(!m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    QCOMPARE(m_scene->listedNames().at(3), QStringLiteral("Young"));
    QCOMPARE(SceneDriver::storedTexts().size(), 5);

    // Delete asks about the one contact selected, and Cancel keeps it.
    QVERIFY(m_scene->click(m_scene->listRow(QStringLiteral("3"))));
    QTest::keyClick(m_scene->window(), Qt::Key_Delete);
    QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
    QCOMPARE(message(), QStringLiteral("Are you really want to delete 1 contact.?"));
    QTest::keyClick(m_scene->window(), Qt::Key_Z);
    QCOMPARE(searchField->property("text").toString(), QString());
    QVERIFY(m_scene->click(QStringLiteral("messageCancelButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("messageForm")));
    QCOMPARE(SceneDriver::storedTexts().size(), 5);

    // Removal marks rows, asks, and only OK deletes.
    QVERIFY(m_scene->click(m_scene->listRow(QStringLiteral("3"))));
    QVERIFY(m_scene->click(QStringLiteral("deleteButton")));
    QVERIFY(m_scene->click(m_scene->listRow(QStringLiteral("4"))));
    QVERIFY(m_scene->listRow(QStringLiteral("4"))->property("struckOut").toBool());
    QCOMPARE(proxy("contactsToRemove").toStringList(), (QStringList{"2", "0"}));
    for (const char *answer : {"messageCancelButton", "messageOkButton"}) {
        if (!m_scene->rootItem()->property("removeMode").toBool()) {
            // The last row clicked is the selected one: it is marked at once.
            QVERIFY(m_scene->click(QStringLiteral("deleteButton")));
            QVERIFY(m_scene->click(m_scene->listRow(QStringLiteral("3"))));
        }
        QVERIFY(clickOk());
        QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
        QCOMPARE(message(), QStringLiteral("Are you really want to delete 2 contact.?"));
        // The marks stay while the question is asked.
        QVERIFY(m_scene->rootItem()->property("removeMode").toBool());
        QVERIFY(m_scene->listRow(QStringLiteral("4"))->property("struckOut").toBool());
        QVERIFY(m_scene->click(QString::fromLatin1(answer)));
        QVERIFY(m_scene->waitHidden(QStringLiteral("messageForm")));
        QVERIFY(!m_scene->rootItem()->property("removeMode").toBool());
    }
    QCOMPARE(m_scene->listedNames(), (QStringList{"Adams Ann", "Young", "Zorin Ivan"}));
    QCOMPARE(SceneDriver::storedTexts().size(), 3);
}

// Groups as a person uses them: one made in the editor, the other members
// ticked or typed in another case, the list filtered by it from the keyboard
// and searched inside it, the group renamed (not to a blank name) and deleted
// in the settings, where its contacts stay.
void tst_MainScene::groupFlow()
{
    SceneDriver::storeContacts(QStringLiteral("Adams Ann|Baker Bob|Carter Cid|Dane Dora"));
    QVERIFY(m_scene->start());
    QVERIFY(!SceneDriver::isShown(m_scene->item(QStringLiteral("filterMenuButton"))));
    QQuickItem *newGroup = m_scene->item(QStringLiteral("newGroupField"));
    for (const QString id : {"1", "2", "3"}) {
        QVERIFY(m_scene->click(m_scene->listRow(id)));
        QVERIFY(m_scene->click(QStringLiteral("editButton")));
        QTRY_VERIFY(m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
        if (id == QLatin1String("2")) {
            QVERIFY(m_scene->click(QStringLiteral("groupChoice_Family")));
        } else {
            QVERIFY(m_scene->typeInto(newGroup, id == QLatin1String("1") ? "Family" : "FAMILY"));
        }
        QVERIFY(clickOk());
        QTRY_VERIFY(!m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    }
    QCOMPARE(storedGroups(), (QStringList{"1:Family", "2:Family", "3:Family"}));
    QQuickItem *groupsBlock = m_scene->item(QStringLiteral("groupsGroup"));
    QTRY_VERIFY(SceneDriver::isShown(groupsBlock));
    QCOMPARE(m_scene->item(QStringLiteral("value"), groupsBlock)->property("text").toString(),
             QStringLiteral("Family"));

    // The filter menu from the keyboard: All, Favorites, Family.
    m_scene->window()->requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(m_scene->window()));
    QTest::keySequence(m_scene->window(), QKeySequence(QStringLiteral("Ctrl+G")));
    QVERIFY(m_scene->waitShown(QStringLiteral("listViewForm")));
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}) {
        QTest::keyClick(m_scene->window(), key);
    }
    QVERIFY(m_scene->waitHidden(QStringLiteral("listViewForm")));
    QCOMPARE(m_scene->listedNames(), (QStringList{"Adams Ann", "Baker Bob", "Carter Cid"}));
    QCOMPARE(filterLabel(), QStringLiteral("Family"));
    QQuickItem *searchField = m_scene->item(QStringLiteral("searchField"));
    QVERIFY(m_scene->typeInto(searchField, QStringLiteral("d")));
    QCOMPARE(m_scene->listedNames(), (QStringList{"Adams Ann", "Carter Cid"}));
    QTest::keyClick(m_scene->window(), Qt::Key_Escape);
    QTRY_COMPARE(m_scene->listedNames().size(), 3);

    QVERIFY(m_scene->click(QStringLiteral("settingsButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("settingsForm")));
    renameInSettings(QStringLiteral("Family"), QStringLiteral("  "));
    QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
    QCOMPARE(message(), QStringLiteral("A group needs a name."));
    QVERIFY(m_scene->click(QStringLiteral("messageOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("messageForm")));
    renameInSettings(QStringLiteral("Family"), QStringLiteral("Kin"));
    QVERIFY(m_scene->click(QStringLiteral("settingsCloseButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("settingsForm")));
    QCOMPARE(filterLabel(), QStringLiteral("Kin"));
    QCOMPARE(m_scene->listedNames().size(), 3);
    QCOMPARE(storedGroups(), (QStringList{"1:Kin", "2:Kin", "3:Kin"}));
    QVERIFY(m_scene->click(QStringLiteral("filterMenuButton")));
    QVERIFY(m_scene->chooseInList(QStringLiteral("Kin (3)")));

    QVERIFY(m_scene->click(QStringLiteral("settingsButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("settingsForm")));
    QVERIFY(m_scene->click(QStringLiteral("removeGroupButton"),
                           m_scene->item(QStringLiteral("groupRow_Kin"))));
    QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
    QCOMPARE(message(),
             QStringLiteral("Delete the group “Kin”? Its contacts stay in the address book."));
    QVERIFY(m_scene->click(QStringLiteral("messageOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("messageForm")));
    QTRY_VERIFY(!m_scene->item(QStringLiteral("groupRow_Kin")));
    QVERIFY(m_scene->click(QStringLiteral("settingsCloseButton")));
    QCOMPARE(m_scene->listedNames().size(), 4);
    QVERIFY(!SceneDriver::isShown(m_scene->item(QStringLiteral("filterMenuButton"))));
    QVERIFY(!SceneDriver::isShown(groupsBlock));
    QCOMPARE(storedGroups(), QStringList());
    QCOMPARE(SceneDriver::storedTexts().size(), 4);
}

// The editor and the removal mode act on the contacts chosen only. A click
// on the list under the editor chooses no other contact to save to. The
// marks stay on their contacts: typing does not search under the OK/Cancel
// header, Return opens no editor over it, and an undo that puts a contact
// back above them moves the marks with their rows.
void tst_MainScene::chosenContactsStayChosen()
{
    SceneDriver::storeContacts(QStringLiteral("Adams Ann|Baker Bob|Carter Cid|Dane Dora"));
    QVERIFY(m_scene->start());
    QVERIFY(m_scene->click(m_scene->listRow(QStringLiteral("2"))));
    QVERIFY(m_scene->click(QStringLiteral("editButton")));
    QTRY_VERIFY(m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    QQuickItem *dane = m_scene->listRow(QStringLiteral("4"));
    const QPointF onDane = dane->mapToScene(QPointF(dane->width() - 5, dane->height() / 2));
    QQuickItem *photo = m_scene->item(QStringLiteral("bigPhoto"));
    QVERIFY(!photo->contains(photo->mapFromScene(onDane)));
    QTest::mouseClick(m_scene->window(), Qt::LeftButton, Qt::NoModifier, onDane.toPoint());
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("surnameField")),
                              QStringLiteral("son")));
    QVERIFY(clickOk());
    QTRY_VERIFY(!m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    QCOMPARE(m_scene->listedNames(),
             (QStringList{"Adams Ann", "Bakerson Bob", "Carter Cid", "Dane Dora"}));
    QVERIFY(m_scene->click(m_scene->listRow(QStringLiteral("1"))));
    QTest::keyClick(m_scene->window(), Qt::Key_Delete);
    QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
    QVERIFY(m_scene->click(QStringLiteral("messageOkButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("undoBar")));

    QVERIFY(m_scene->click(m_scene->listRow(QStringLiteral("3"))));
    QVERIFY(m_scene->click(QStringLiteral("deleteButton")));
    QCOMPARE(proxy("contactsToRemove").toStringList(), (QStringList{"1"}));
    m_scene->window()->requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(m_scene->window()));
    QTest::keyClick(m_scene->window(), Qt::Key_D);
    QTest::keySequence(m_scene->window(), QKeySequence::Find);
    QTest::keyClick(m_scene->window(), Qt::Key_D);
    QCOMPARE(m_scene->listedNames(), (QStringList{"Bakerson Bob", "Carter Cid", "Dane Dora"}));
    QTest::keyClick(m_scene->window(), Qt::Key_Return);
    QVERIFY(!m_scene->item(QStringLiteral("bigPhotoRect"))->isVisible());

    QVERIFY(m_scene->click(QStringLiteral("undoButton")));
    QTRY_COMPARE(m_scene->listedNames().size(), 4);
    QCOMPARE(proxy("contactsToRemove").toStringList(), (QStringList{"2"}));
    QVERIFY(clickOk());
    QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
    QCOMPARE(message(), QStringLiteral("Are you really want to delete 1 contact.?"));
    QVERIFY(m_scene->click(QStringLiteral("messageOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("messageForm")));
    QCOMPARE(m_scene->listedNames(), (QStringList{"Adams Ann", "Bakerson Bob", "Dane Dora"}));
    QCOMPARE(SceneDriver::storedTexts().size(), 3);
}

// A request to show a contact (command line, second start) selects and scrolls to it,
// also when it comes before the list has loaded.
void tst_MainScene::longListFollowsRequests()
{
    QStringList names;
    for (int i = 1; i <= 60; ++i) {
        names << QString(QLatin1Char('A' + (i * 7) % 26)) + QStringLiteral("son%1 Kim").arg(i);
    }
    SceneDriver::storeContacts(names.join(QLatin1Char('|')));
    QVERIFY(m_scene->start(false, QStringLiteral("17")));
    auto rowOf = [this](const QString &id) {
        return m_scene->eval(QStringLiteral("contactsProxyModel.indexOfContact('%1')").arg(id))
                .toInt();
    };
    QCOMPARE(proxy("currentIndex").toInt(), rowOf(QStringLiteral("17")));
    QVERIFY(SceneDriver::isShown(m_scene->listRow(QStringLiteral("17"))));

    CustomQtQuick2ApplicationViewer *viewer = m_scene->setup()->viewer();
    m_scene->rootItem()->setProperty("loaded", false);
    emit viewer->showContact(QStringLiteral("999"));
    emit viewer->showContact(QStringLiteral("40"));
    QCOMPARE(proxy("currentIndex").toInt(), rowOf(QStringLiteral("17")));
    m_scene->rootItem()->setProperty("loaded", true);
    QCOMPARE(proxy("currentIndex").toInt(), rowOf(QStringLiteral("40")));
    QTRY_VERIFY(SceneDriver::isShown(m_scene->listRow(QStringLiteral("40"))));
}

// Quitting tears the window down before the stores it shows, and the SQLite
// store releases its connection.
void tst_MainScene::quitClosesWindowBeforeStores()
{
    QVERIFY(m_scene->start());
    QStringList destroyed;
    SceneSetup *setup = m_scene->setup();
    connect(setup->viewer(), &QObject::destroyed, this, [&] { destroyed << "window"; });
    connect(setup->sqliteStore(), &QObject::destroyed, this, [&] { destroyed << "sqlite"; });
    connect(setup->settingsStore(), &QObject::destroyed, this, [&] { destroyed << "settings"; });
    const QString connection =
            static_cast<SqliteDatabase *>(setup->sqliteStore())->connectionName();
    m_scene->stop();
    QCOMPARE(destroyed, (QStringList{"window", "sqlite", "settings"}));
    QVERIFY(!connection.isEmpty() && !QSqlDatabase::contains(connection));
}

void tst_MainScene::narrowWindowKeepsSearchAndBirthday_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("phone, 360 px") << 360;
    QTest::newRow("half a screen, 636 px") << 636;
}

// The search opens from the magnifier and folds again once a result is
// chosen; every button stays in the window, and the details wrap instead of
// cutting off the birthday.
void tst_MainScene::narrowWindowKeepsSearchAndBirthday()
{
    QFETCH(int, width);
    SceneDriver::storeContactsFrom(TEST_DATA_DIR "/scenes/narrow-people.jsonl");
    QVERIFY(m_scene->start());
    m_scene->window()->resize(width, 700);
    QTRY_COMPARE(m_scene->window()->width(), width);
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("searchButton")), "wolf"));
    QCOMPARE(m_scene->listedNames(), QStringList{"Wolfeschlegelsteinhausen Hubert Blaine"});
    QVERIFY(SceneDriver::isUnclipped(m_scene->item(QStringLiteral("searchField"))));
    QVERIFY(m_scene->click(m_scene->listRow(QStringLiteral("2"))));
    for (const char *name : {"searchButton", "filterMenuButton", "addButton", "editButton",
                             "deleteButton", "settingsButton", "fullName", "dateOfBirth"}) {
        QTRY_VERIFY2(SceneDriver::isUnclipped(m_scene->item(name)), name);
    }
    QCOMPARE(m_scene->item(QStringLiteral("dateOfBirth"))->property("text").toString(),
             QStringLiteral("14.07.1954"));
}

KIV_TEST_MAIN(tst_MainScene)
#include "tst_mainscene.moc"

// The main scene acts on the chosen contact, its index matches the list, the editor
// takes real values and refuses wrong ones.
#include "model/contactsmodel.h"
#include "record/contact.h"
#include "scenedriver.h"
#include "testsupport.h"

#include <QDate>
#include <QDir>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <memory>

namespace {
const int nameRole = Qt::UserRole + 3;
const int fullNameRole = Qt::UserRole + 6;
} // namespace

class tst_SceneTrust : public SceneTest
{
    Q_OBJECT

private slots:
    void init();

    void selectionFollowsContact_data();
    void selectionFollowsContact();
    void savedAndImportedKeepSelection();
    void chosenFileIsCheckedAgainstTheBook();
    void showContactWaitsAndReveals();
    void letterIndexMatchesList_data();
    void letterIndexMatchesList();
    void editorTakesRealValues_data();
    void editorTakesRealValues();
    void calendarNeverOffersFuture();
    void promptTakesKeysAtOnce();
    void detailsKeepTheirPlace_data();
    void detailsKeepTheirPlace();

private:
    void act(const QString &action);
    // Scrolls the contact's row into view and clicks it, as a person would.
    void choose(const QString &id);
    // The contact is selected, its row in view and its details shown; an
    // empty id: nothing is selected and no details are shown.
    void verifySelected(const QString &id);
    QVariant proxy(const QString &expression) const
    {
        return m_scene->eval(QStringLiteral("contactsProxyModel.") + expression);
    }
};

// Enough rows that the list scrolls; the Cyrillic ones are the only names with a Cyrillic "о".
void tst_SceneTrust::init()
{
    SceneTest::init();
    SceneDriver::storeContactsFrom(TEST_DATA_DIR "/scenes/trust-people.jsonl");
    QVERIFY(m_scene->start());
}

// "eval:<expression>", "click:<object name>" or "search:<text>".
void tst_SceneTrust::act(const QString &action)
{
    const QString argument = action.section(QLatin1Char(':'), 1);
    if (action.startsWith(QLatin1String("eval:"))) {
        m_scene->eval(argument);
    } else if (action.startsWith(QLatin1String("click:"))) {
        QVERIFY(m_scene->click(argument));
    } else {
        QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("searchField")), argument));
    }
}

void tst_SceneTrust::choose(const QString &id)
{
    QQuickItem *list = m_scene->item(QStringLiteral("contactListView"));
    const int row = proxy(QStringLiteral("indexOfContact('%1')").arg(id)).toInt();
    QMetaObject::invokeMethod(list, "positionViewAtIndex", Q_ARG(int, row), Q_ARG(int, 1));
    m_scene->waitForFrame();
    QVERIFY(m_scene->click(m_scene->listRow(id)));
}

void tst_SceneTrust::verifySelected(const QString &id)
{
    QQuickItem *list = m_scene->item(QStringLiteral("contactListView"));
    QQuickItem *details = m_scene->item(QStringLiteral("detailsView"));
    QTRY_COMPARE(proxy(QStringLiteral("currentId")).toString(), id);
    QTRY_COMPARE(list->property("currentIndex").toInt(),
                 proxy(QStringLiteral("indexOfContact('%1')").arg(id)).toInt());
    if (id.isEmpty()) {
        QVERIFY(!details->isVisible());
        return;
    }
    QTRY_VERIFY(SceneDriver::isShown(details));
    QCOMPARE(m_scene->item(QStringLiteral("fullName"), details)->property("text"),
             proxy(QStringLiteral("currentData(%1)").arg(fullNameRole)));
    m_scene->waitForFrame();
    QQuickItem *row = m_scene->listRow(id);
    QVERIFY(row);
    const qreal top = list->property("contentY").toReal();
    QVERIFY(row->y() >= top - 1 && row->y() + row->height() <= top + list->height() + 1);
}

void tst_SceneTrust::selectionFollowsContact_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("kept");
    addRowsFromFile(TEST_DATA_DIR "/scenes/trust-selection.jsonl", "SST");
}

void tst_SceneTrust::selectionFollowsContact()
{
    QFETCH(QString, chosen);
    QFETCH(QString, action);
    QFETCH(bool, kept);
    choose(chosen);
    verifySelected(chosen);
    act(action);
    verifySelected(kept ? chosen : QString());
}

void tst_SceneTrust::savedAndImportedKeepSelection()
{
    QVERIFY(m_scene->click(QStringLiteral("addButton")));
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("nameField")), "Quentin"));
    QVERIFY(m_scene->click(QStringLiteral("okButton")));
    const QString added = proxy(QStringLiteral("lastAddedId()")).toString();
    QVERIFY(!added.isEmpty());
    verifySelected(added);

    // Many imported names sort in front of the selected one.
    m_scene->eval(QStringLiteral("importExport.parseContactsFromFile('UTF-8', '%1')")
                          .arg(TEST_DATA_DIR "/scenes/thirty-aarons.vcf"));
    QVERIFY(m_scene->waitShown(QStringLiteral("importExportForm")));
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QTRY_VERIFY(m_scene->item(QStringLiteral("importExportForm"))->property("completed").toBool());
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("importExportForm")));
    verifySelected(added);
}

// A file chosen in the settings form starts with the contacts already in the
// address book unticked.
void tst_SceneTrust::chosenFileIsCheckedAgainstTheBook()
{
    QVERIFY(m_scene->click(QStringLiteral("addButton")));
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("nameField")), "Al"));
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("surnameField")), "Aaron1"));
    QVERIFY(m_scene->click(QStringLiteral("okButton")));

    m_scene->eval(QStringLiteral("settingsForm.onImportFileChosen('%1')")
                          .arg(TEST_DATA_DIR "/scenes/thirty-aarons.vcf"));
    QVERIFY(m_scene->waitShown(QStringLiteral("importExportForm")));
    QCOMPARE(m_scene->eval(QStringLiteral("importExport.contacts.length")).toInt(), 30);
    const QString unticked = QStringLiteral(
            "importExport.contacts.filter(function (c) { return !c.importMe })"
            ".map(function (c) { return c.surname + (importExport.isAlreadyThere(c) ? ' there' : '') })"
            ".join()");
    QCOMPARE(m_scene->eval(unticked).toString(), QStringLiteral("Aaron1 there"));
}

void tst_SceneTrust::showContactWaitsAndReveals()
{
    choose(QStringLiteral("902"));
    QVERIFY(m_scene->click(QStringLiteral("editButton")));
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("surnameField")), "X"));
    m_scene->answerFileDialog(SceneDriver::writePicture("red.png", Qt::red));
    QVERIFY(m_scene->click(QStringLiteral("bigPhoto")));
    QVERIFY(m_scene->chooseInList(QStringLiteral("Choose existing picture...")));
    QTRY_VERIFY(m_scene->fileDialogAnswered());
    m_scene->eval(QStringLiteral("viewer.showContact('901')"));
    m_scene->waitForFrame();
    QCOMPARE(proxy(QStringLiteral("currentId")).toString(), QStringLiteral("902"));
    QCOMPARE(m_scene->item(QStringLiteral("surnameField"))->property("text").toString(),
             QStringLiteral("YoungX"));
    QVERIFY(m_scene->click(QStringLiteral("okButton")));
    verifySelected(QStringLiteral("901"));
    QVERIFY(!SceneDriver::storedPhoto(QStringLiteral("902")).isEmpty());
    QVERIFY(SceneDriver::storedPhoto(QStringLiteral("901")).isEmpty());
    const QList<Contact *> stored = SceneDriver::storedContacts();
    QVERIFY(std::any_of(stored.begin(), stored.end(),
                        [](Contact *c) { return c->id == "902" && c->surname == "YoungX"; }));
    qDeleteAll(stored);

    // A contact hidden by the search or the favourites filter is shown.
    act(QStringLiteral("search:Young"));
    act(QStringLiteral("click:favoritesButton"));
    m_scene->eval(QStringLiteral("viewer.showContact('901')"));
    verifySelected(QStringLiteral("901"));
    QCOMPARE(m_scene->eval(QStringLiteral("header.searchText")).toString(), QString());
    QVERIFY(m_scene->eval(QStringLiteral("header.allContacts")).toBool());
}

void tst_SceneTrust::letterIndexMatchesList_data()
{
    QTest::addColumn<int>("sortRole");
    QTest::addColumn<QString>("initials"); // of the contacts holding a Cyrillic "о"
    QTest::newRow("surname") << fullNameRole << QString::fromUtf8("БИОПС");
    QTest::newRow("first name") << nameRole << QString::fromUtf8("АБВИОП");
}

void tst_SceneTrust::letterIndexMatchesList()
{
    QFETCH(int, sortRole);
    QFETCH(QString, initials);
    const QString search = QStringLiteral("о");
    m_scene->eval(QStringLiteral("contactsModel.changeAlphabet(false)"));
    m_scene->eval(QStringLiteral("contactsProxyModel.setSortRole(%1)").arg(sortRole));
    act(QStringLiteral("search:") + search);
    QCOMPARE(m_scene->eval(QStringLiteral("header.searchText")).toString(), search);
    QQuickItem *list = m_scene->item(QStringLiteral("contactListView"));
    QTRY_COMPARE(list->property("count").toInt(), 6);
    // Rows read in the order they are sorted by.
    QQuickItem *first = nullptr;
    QTRY_VERIFY((first = m_scene->listRow(QStringLiteral("913"))));
    QCOMPARE(first->property("fullName").toString(),
             sortRole == nameRole ? QStringLiteral("Олег Бобров") : QStringLiteral("Бобров Олег"));
    const QStringList alphabet =
            m_scene->eval(QStringLiteral("contactsModel.alphabet")).toStringList();
    for (const QString &letter : alphabet.mid(1)) {
        QQuickItem *cell = m_scene->item(QStringLiteral("letter_") + letter);
        QTRY_COMPARE(cell->isEnabled(), initials.contains(letter));
        if (!cell->isEnabled()) {
            continue;
        }
        QVERIFY(m_scene->click(cell));
        m_scene->waitForFrame();
        QQuickItem *top =
                list->property("contentItem")
                        .value<QQuickItem *>()
                        ->childAt(list->width() / 2, list->property("contentY").toReal() + 1);
        const QString shown = top ? top->property("fullName").toString() : QString();
        QVERIFY2(shown.startsWith(letter) || list->property("atYEnd").toBool(), qPrintable(shown));
    }
}

void tst_SceneTrust::editorTakesRealValues_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<bool>("saved");
    addRowsFromFile(TEST_DATA_DIR "/scenes/trust-editor.jsonl", "SSST");
}

void tst_SceneTrust::editorTakesRealValues()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(bool, saved);
    QVERIFY(m_scene->click(QStringLiteral("addButton")));
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("nameField")), "Val"));
    QQuickItem *input = m_scene->item(QStringLiteral("dateOfBirthEdit"));
    if (field == QLatin1String("phone")) {
        QQuickItem *phones = m_scene->item(QStringLiteral("phoneEdit"));
        QVERIFY(m_scene->click(QStringLiteral("groupLabelButton"), phones));
        QTRY_VERIFY(m_scene->item(QStringLiteral("editRow0"), phones));
        input = m_scene->item(QStringLiteral("field"), m_scene->item("editRow0", phones));
    }
    QVERIFY(m_scene->typeInto(input, typed));
    QCOMPARE(input->property("text").toString(), kept);
    QVERIFY(m_scene->click(QStringLiteral("okButton")));
    QQuickItem *editor = m_scene->item(QStringLiteral("detailsEditor"));
    if (saved) {
        QTRY_VERIFY(!editor->isVisible());
        const QString role = field == QLatin1String("phone") ? "PhoneListRole" : "BirthDateRole";
        const QVariant value = proxy(QStringLiteral("currentData(ContactsModel.%1)").arg(role));
        QCOMPARE(field == QLatin1String("phone") ? value.toStringList().value(0) : value.toString(),
                 kept);
    } else {
        m_scene->waitForFrame();
        QVERIFY(editor->isVisible());
        QVERIFY(!input->property("errorText").toString().isEmpty());
    }
}

void tst_SceneTrust::calendarNeverOffersFuture()
{
    QVERIFY(m_scene->click(QStringLiteral("addButton")));
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("dateOfBirthEdit")), "31.12.1990"));
    QVERIFY(m_scene->click(QStringLiteral("calendarButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("calendarForm")));
    QQuickItem *calendar = m_scene->item(QStringLiteral("calendar"));
    QQuickItem *page = m_scene->item(QStringLiteral("calendarPage%1").arg((1990 - 1900) * 12 + 11));
    QVERIFY(m_scene->click(QStringLiteral("yearButton"), page));
    QVERIFY(m_scene->waitShown(QStringLiteral("listViewForm")));
    // The chooser opens on the shown year.
    QQuickItem *years = m_scene->item(QStringLiteral("listViewFormList"));
    QQuickItem *shown = m_scene->item(QStringLiteral("listViewFormRow%1").arg(1990 - 1900), years);
    QVERIFY(shown);
    const qreal top = years->property("contentY").toReal();
    QVERIFY(shown->y() >= top && shown->y() + shown->height() <= top + years->height());
    // Choosing this year keeps no day after today.
    const QDate today = QDate::currentDate();
    m_scene->eval(QStringLiteral("listViewForm.choose(listViewForm.model.indexOf('%1'))")
                          .arg(today.year()));
    QTRY_COMPARE(calendar->property("today").toDateTime().date(), today);
    const int pages = (today.year() - 1900) * 12 + today.month();
    QCOMPARE(m_scene->item(QStringLiteral("calendarView"))->property("count").toInt(), pages);
    QQuickItem *current = m_scene->item(QStringLiteral("calendarPage%1").arg(pages - 1));
    const int next = current->property("firstWeekday").toInt() + today.daysInMonth();
    for (int cell = next; cell < 42; ++cell) {
        QVERIFY(!m_scene->item(QStringLiteral("day%1").arg(cell), current)->isEnabled());
    }
}

void tst_SceneTrust::promptTakesKeysAtOnce()
{
    m_scene->eval(QStringLiteral("lineEditForm.show('', function(text) {})"));
    for (const char key : {'C', 'a', 'r'}) {
        QTest::sendKeyEvent(QTest::Click, m_scene->window(), QTest::asciiToKey(key),
                            QString(QLatin1Char(key)), Qt::NoModifier);
    }
    QCOMPARE(m_scene->item(QStringLiteral("lineEditFormInput"))->property("text").toString(),
             QStringLiteral("Car"));
}

void tst_SceneTrust::detailsKeepTheirPlace_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("another contact starred") << "other";
    QTest::newRow("search keystroke keeping it") << "search:man";
    QTest::newRow("the shown contact starred") << "click:star";
}

// The details reload only for the shown contact, and then keep their scroll position.
void tst_SceneTrust::detailsKeepTheirPlace()
{
    QFETCH(QString, change);
    choose(QStringLiteral("903"));
    QQuickItem *groups = m_scene->item(QStringLiteral("detailsGroups"));
    QTRY_VERIFY(groups->property("contentHeight").toReal() > groups->height() + 100);
    groups->setProperty("contentY", 100);
    if (change == QLatin1String("other")) {
        auto *model =
                qobject_cast<ContactsModel *>(m_scene->object(QStringLiteral("contactsModel")));
        model->toggleFavorite(model->index(0));
    } else {
        act(change);
    }
    m_scene->waitForFrame();
    verifySelected(QStringLiteral("903"));
    QCOMPARE(groups->property("contentY").toReal(), 100.0);
    QCOMPARE(m_scene->item(QStringLiteral("star"))->property("favourite").toBool(),
             change == QLatin1String("click:star"));
}

KIV_TEST_MAIN_WITH(tst_SceneTrust, QApplication)
#include "tst_scenetrust.moc"

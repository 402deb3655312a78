// Flows of the main scene, loaded through the real scene set-up over an
// SQLite store in a temporary home: list and letter index, filters, search,
// removal with confirmation, the name check of the editor and remote
// selection. Any warning or console line of the scenes fails the test.

#include "testsupport.h"

#include "app/customqtquick2applicationviewer.h"
#include "app/scenesetup.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QPointer>
#include <QQmlContext>
#include <QQmlProperty>
#include <QQuickItem>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

namespace {

QStringList &sceneMessages()
{
    static QStringList messages;
    return messages;
}

QtMessageHandler previousHandler = nullptr;

// Records every warning and every console line; Qt Test's own output still
// goes through the previous handler.
void recordMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QByteArray category(context.category ? context.category : "");
    if (type != QtDebugMsg || category == "qml" || category == "js") {
        if (type != QtInfoMsg) {
            sceneMessages().append(message);
        }
    }
    if (previousHandler) {
        previousHandler(type, context, message);
    }
}

struct Person
{
    const char *id;
    const char *surname;
    const char *name;
    bool favourite;
};

} // namespace

class tst_MainScene : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void listIsSortedAndIndexEnablesInitials();
    void letterClickScrollsToFirstContact();
    void draggingMovesIndex();
    void filterButtonsClearSelection();
    void searchFiltersList();
    void lowerCaseNameMovesIndexToCapital();
    void editWithoutSelectionDoesNothing();
    void removalOkWithoutMarksAsksNothing();
    void removalAsksAndOnlyOkDeletes();
    void savingWithoutNameKeepsEditorOpen();
    void addingContactStoresIt();
    void showContactSelectsKnownId();
    void showContactIgnoresUnknownId();
    void showContactFromCommandLine();
    void showContactWaitsForLoading();
    void clickableItemsAreAccessible();
    void importAddsContactsAndSorts();
    void importErrorIsShown();

private:
    void seed(const QList<Person> &people);
    void seedMany(int count);
    void startScene(const QString &contactId = QString());
    QQuickItem *item(const char *objectName) const;
    QQuickItem *findItem(QQuickItem *parent, const QString &objectName) const;
    QQuickItem *contactRow(const QString &id) const;
    QAbstractItemModel *proxy() const;
    QString fullNameAt(int row) const;
    int rowOf(const QString &id) const;
    void click(QQuickItem *target);
    void typeText(const QString &text);
    bool formShown(const char *objectName) const;
    QStringList storedIds() const;

    std::unique_ptr<SceneSetup> m_setup;
    bool m_tablet = false;
};

void tst_MainScene::initTestCase()
{
    m_tablet = qEnvironmentVariableIntValue("KIV_TEST_TABLET_MODE") != 0;
    previousHandler = qInstallMessageHandler(recordMessage);
}

void tst_MainScene::init()
{
    QFile::remove(SqliteDatabase::defaultPath());
    QSettings settings;
    settings.clear();
    settings.setValue(QStringLiteral("englishAlphabet"), true);
    sceneMessages().clear();
}

void tst_MainScene::cleanup()
{
    m_setup.reset();
    const QStringList messages = sceneMessages();
    sceneMessages().clear();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join(QLatin1Char('\n'))));
}

void tst_MainScene::seed(const QList<Person> &people)
{
    SqliteDatabase store;
    QVERIFY(store.open(QString()));
    for (const Person &person : people) {
        Contact contact;
        contact.id = QString::fromUtf8(person.id);
        contact.surname = QString::fromUtf8(person.surname);
        contact.name = QString::fromUtf8(person.name);
        contact.fullname = contact.composedFullName();
        contact.isFavorite = person.favourite;
        store.insertContact(&contact);
    }
}

// Contacts 1..count with surnames spread over the alphabet.
void tst_MainScene::seedMany(int count)
{
    SqliteDatabase store;
    QVERIFY(store.open(QString()));
    for (int i = 1; i <= count; ++i) {
        Contact contact;
        contact.id = QString::number(i);
        contact.surname = QString(QLatin1Char('A' + (i * 7) % 26)) + QStringLiteral("son%1").arg(i);
        contact.name = QStringLiteral("Kim");
        contact.fullname = contact.composedFullName();
        store.insertContact(&contact);
    }
}

void tst_MainScene::startScene(const QString &contactId)
{
    m_setup = std::make_unique<SceneSetup>(nullptr, contactId, false, m_tablet);
    CustomQtQuick2ApplicationViewer *viewer = m_setup->viewer();
    QVERIFY(viewer->rootObject());
    viewer->resize(1000, 700);
    viewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(viewer));
}

QQuickItem *tst_MainScene::findItem(QQuickItem *parent, const QString &objectName) const
{
    if (!parent) {
        return nullptr;
    }
    const QList<QQuickItem *> children = parent->childItems();
    for (QQuickItem *child : children) {
        if (child->objectName() == objectName) {
            return child;
        }
    }
    for (QQuickItem *child : children) {
        if (QQuickItem *found = findItem(child, objectName)) {
            return found;
        }
    }
    return nullptr;
}

QQuickItem *tst_MainScene::item(const char *objectName) const
{
    QQuickItem *found = findItem(m_setup->viewer()->rootObject(), QString::fromLatin1(objectName));
    if (!found) {
        qFatal("no item %s", objectName);
    }
    return found;
}

QQuickItem *tst_MainScene::contactRow(const QString &id) const
{
    return findItem(item("contactListView"), QStringLiteral("contact_") + id);
}

QAbstractItemModel *tst_MainScene::proxy() const
{
    return m_setup->viewer()->rootObject()->findChild<QAbstractItemModel *>(
            QStringLiteral("contactsProxyModel"));
}

QString tst_MainScene::fullNameAt(int row) const
{
    return proxy()->index(row, 0).data(Qt::UserRole + 6).toString();
}

int tst_MainScene::rowOf(const QString &id) const
{
    for (int row = 0; row < proxy()->rowCount(); ++row) {
        if (proxy()->index(row, 0).data(Qt::UserRole + 1).toString() == id) {
            return row;
        }
    }
    return -1;
}

void tst_MainScene::click(QQuickItem *target)
{
    QVERIFY(target);
    QVERIFY2(target->isVisible(), qPrintable(target->objectName()));
    const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
    QTest::mouseClick(m_setup->viewer(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
}

void tst_MainScene::typeText(const QString &text)
{
    for (const QChar c : text) {
        QTest::keyClick(m_setup->viewer(), c.toLatin1());
    }
}

bool tst_MainScene::formShown(const char *objectName) const
{
    return item(objectName)->opacity() == 1.0;
}

QStringList tst_MainScene::storedIds() const
{
    SqliteDatabase store;
    if (!store.open(QString())) {
        return {};
    }
    QStringList ids;
    const QList<Contact *> contacts = store.loadContacts();
    for (Contact *contact : contacts) {
        ids.append(contact->id);
        delete contact;
    }
    ids.sort();
    return ids;
}

void tst_MainScene::listIsSortedAndIndexEnablesInitials()
{
    seed({{"1", "Zorin", "Ivan", false},
          {"2", "Adams", "Ann", true},
          {"3", "Miller", "Bob", false},
          {"4", "Abbot", "Carl", false}});
    startScene();
    QAbstractItemModel *model = proxy();
    QCOMPARE(model->rowCount(), 4);
    QCOMPARE(fullNameAt(0), QStringLiteral("Abbot Carl"));
    QCOMPARE(fullNameAt(1), QStringLiteral("Adams Ann"));
    QCOMPARE(fullNameAt(2), QStringLiteral("Miller Bob"));
    QCOMPARE(fullNameAt(3), QStringLiteral("Zorin Ivan"));

    QCOMPARE(contactRow(QStringLiteral("1"))->height(), m_tablet ? 80.0 : 50.0);

    const QStringList alphabet = item("alphabetScroll")->property("alphabetModel").toStringList();
    QCOMPARE(alphabet.size(), 27);
    const QStringList present = {QStringLiteral("#"), QStringLiteral("A"), QStringLiteral("M"),
                                 QStringLiteral("Z")};
    for (const QString &letter : alphabet) {
        QQuickItem *cell = findItem(item("letterList"), QStringLiteral("letter_") + letter);
        QVERIFY2(cell, qPrintable(letter));
        QCOMPARE(cell->isEnabled(), present.contains(letter));
    }
}

void tst_MainScene::letterClickScrollsToFirstContact()
{
    seedMany(60);
    startScene();
    QQuickItem *list = item("contactListView");
    QCOMPARE(list->property("contentY").toReal(), 0.0);
    QQuickItem *cell = findItem(item("letterList"), QStringLiteral("letter_M"));
    QVERIFY(cell && cell->isEnabled());
    click(cell);

    int expected = -1;
    for (int row = 0; row < proxy()->rowCount() && expected < 0; ++row) {
        if (fullNameAt(row).startsWith(QLatin1Char('M'))) {
            expected = row;
        }
    }
    QVERIFY(expected > 0);
    int top = -1;
    QMetaObject::invokeMethod(list, "indexAt", Q_RETURN_ARG(int, top), Q_ARG(qreal, 10),
                              Q_ARG(qreal, list->property("contentY").toReal() + 1));
    QCOMPARE(top, expected);
    QCOMPARE(item("alphabetScroll")->property("currentLetter").toString(), QStringLiteral("M"));
}

void tst_MainScene::draggingMovesIndex()
{
    seedMany(60);
    startScene();
    QQuickItem *list = item("contactListView");
    QCOMPARE(item("alphabetScroll")->property("currentLetter").toString(), QString());
    const QPoint start =
            list->mapToScene(QPointF(list->width() / 2, list->height() - 20)).toPoint();
    QWindow *window = m_setup->viewer();
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, start);
    for (int step = 1; step <= 20; ++step) {
        QTest::mouseMove(window, start - QPoint(0, step * 20), 10);
    }
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, start - QPoint(0, 400), 10);
    QTRY_VERIFY(!list->property("moving").toBool());
    const qreal contentY = list->property("contentY").toReal();
    QVERIFY(contentY > 0);

    const qreal rowHeight = m_setup->viewer()->rootObject()->property("itemHeight").toReal();
    int row = -1;
    QMetaObject::invokeMethod(list, "indexAt", Q_RETURN_ARG(int, row), Q_ARG(qreal, 10),
                              Q_ARG(qreal, contentY + rowHeight / 2));
    QVERIFY(row >= 0);
    QCOMPARE(item("alphabetScroll")->property("currentLetter").toString(),
             fullNameAt(row).left(1).toUpper());
}

void tst_MainScene::filterButtonsClearSelection()
{
    seed({{"1", "Zorin", "Ivan", false},
          {"2", "Adams", "Ann", true},
          {"3", "Miller", "Bob", true}});
    startScene();
    QQuickItem *list = item("contactListView");
    click(contactRow(QStringLiteral("1")));
    QCOMPARE(list->property("currentIndex").toInt(), 2);
    QCOMPARE(item("alphabetScroll")->property("currentLetter").toString(), QStringLiteral("Z"));

    click(item("favoritesButton"));
    QCOMPARE(proxy()->rowCount(), 2);
    QCOMPARE(list->property("currentIndex").toInt(), -1);
    QCOMPARE(proxy()->property("currentIndex").toInt(), -1);
    QCOMPARE(item("alphabetScroll")->property("currentLetter").toString(), QStringLiteral("#"));
    QVERIFY(!item("detailsView")->isVisible());

    click(contactRow(QStringLiteral("3")));
    QCOMPARE(proxy()->property("currentIndex").toInt(), 1);
    click(item("allButton"));
    QCOMPARE(proxy()->rowCount(), 3);
    QCOMPARE(proxy()->property("currentIndex").toInt(), -1);
    QCOMPARE(item("alphabetScroll")->property("currentLetter").toString(), QStringLiteral("#"));
}

void tst_MainScene::searchFiltersList()
{
    seed({{"1", "Zorin", "Ivan", false},
          {"2", "Adams", "Ann", true},
          {"3", "Joanna", "Bob", false}});
    startScene();
    click(item("searchField"));
    typeText(QStringLiteral("ANN"));
    QCOMPARE(item("searchField")->property("text").toString(), QStringLiteral("ANN"));
    QCOMPARE(proxy()->rowCount(), 2);
    QCOMPARE(fullNameAt(0), QStringLiteral("Adams Ann"));
    QCOMPARE(fullNameAt(1), QStringLiteral("Joanna Bob"));
    item("searchField")->setProperty("text", QString());
    QCOMPARE(proxy()->rowCount(), 3);
}

void tst_MainScene::lowerCaseNameMovesIndexToCapital()
{
    seed({{"1", "ivanov", "petr", false}, {"2", "Adams", "Ann", false}});
    startScene();
    click(contactRow(QStringLiteral("1")));
    QCOMPARE(item("alphabetScroll")->property("currentLetter").toString(), QStringLiteral("I"));
    QQuickItem *cell = findItem(item("letterList"), QStringLiteral("letter_I"));
    QVERIFY(cell->isEnabled());
}

void tst_MainScene::editWithoutSelectionDoesNothing()
{
    seed({{"1", "Zorin", "Ivan", false}});
    startScene();
    item("contactList")->setProperty("currentIndex", -1);
    QCOMPARE(proxy()->property("currentIndex").toInt(), -1);
    click(item("editButton"));
    QVERIFY(!item("headerOkCancel")->isVisible());
    QVERIFY(!item("bigPhotoRect")->isVisible());
    QVERIFY(!item("detailsEditor")->isVisible());
}

void tst_MainScene::removalOkWithoutMarksAsksNothing()
{
    seed({{"1", "Zorin", "Ivan", false}, {"2", "Adams", "Ann", false}});
    startScene();
    item("contactList")->setProperty("currentIndex", -1);
    click(item("deleteButton"));
    QVERIFY(m_setup->viewer()->rootObject()->property("removeMode").toBool());
    QVERIFY(item("headerOkCancel")->isVisible());
    QCOMPARE(proxy()->property("contactsToRemove").toStringList(), QStringList());
    click(item("okButton"));
    QVERIFY(!m_setup->viewer()->rootObject()->property("removeMode").toBool());
    QVERIFY(!item("headerOkCancel")->isVisible());
    QTest::qWait(300);
    QCOMPARE(item("messageForm")->opacity(), 0.0);
    QCOMPARE(proxy()->rowCount(), 2);
}

void tst_MainScene::removalAsksAndOnlyOkDeletes()
{
    seed({{"1", "Zorin", "Ivan", false},
          {"2", "Adams", "Ann", false},
          {"3", "Miller", "Bob", false}});
    startScene();
    QObject *root = m_setup->viewer()->rootObject();
    click(contactRow(QStringLiteral("3")));
    QCOMPARE(proxy()->property("currentIndex").toInt(), 1);

    click(item("deleteButton"));
    QVERIFY(root->property("removeMode").toBool());
    QCOMPARE(proxy()->property("contactsToRemove").toStringList(), QStringList{"1"});
    QVERIFY(contactRow(QStringLiteral("3"))->property("struckOut").toBool());
    QVERIFY(!item("detailsView")->isVisible());
    click(contactRow(QStringLiteral("1")));
    QCOMPARE(proxy()->property("contactsToRemove").toStringList(), (QStringList{"1", "2"}));
    click(contactRow(QStringLiteral("2")));
    QCOMPARE(proxy()->property("contactsToRemove").toStringList(), (QStringList{"1", "2", "0"}));
    QVERIFY(contactRow(QStringLiteral("2"))->property("struckOut").toBool());
    click(contactRow(QStringLiteral("2")));
    QCOMPARE(proxy()->property("contactsToRemove").toStringList(), (QStringList{"1", "2"}));
    QVERIFY(!contactRow(QStringLiteral("2"))->property("struckOut").toBool());

    click(item("okButton"));
    QVERIFY(!root->property("removeMode").toBool());
    QTRY_VERIFY(formShown("messageForm"));
    QCOMPARE(item("messageText")->property("text").toString(),
             QStringLiteral("Are you really want to delete 2 contact.?"));
    QVERIFY(!contactRow(QStringLiteral("3"))->property("struckOut").toBool());
    click(item("messageCancelButton"));
    QTRY_COMPARE(item("messageForm")->opacity(), 0.0);
    QCOMPARE(proxy()->rowCount(), 3);
    QCOMPARE(storedIds(), (QStringList{"1", "2", "3"}));

    // The last row clicked (Adams, row 0) is the selected one now.
    click(item("deleteButton"));
    QCOMPARE(proxy()->property("contactsToRemove").toStringList(), QStringList{"0"});
    click(contactRow(QStringLiteral("3")));
    click(item("okButton"));
    QTRY_VERIFY(formShown("messageForm"));
    QCOMPARE(item("messageText")->property("text").toString(),
             QStringLiteral("Are you really want to delete 2 contact.?"));
    click(item("messageOkButton"));
    QCOMPARE(proxy()->rowCount(), 1);
    QCOMPARE(fullNameAt(0), QStringLiteral("Zorin Ivan"));
    QCOMPARE(storedIds(), QStringList{"1"});
}

void tst_MainScene::savingWithoutNameKeepsEditorOpen()
{
    seed({{"1", "Zorin", "Ivan", false}});
    startScene();
    click(item("addButton"));
    QVERIFY(item("headerOkCancel")->isVisible());
    QVERIFY(item("bigPhotoRect")->isVisible());
    QVERIFY(item("detailsEditor")->isVisible());
    item("detailsEditor")->setProperty("nameText", QStringLiteral("   "));
    click(item("okButton"));
    QTRY_VERIFY(formShown("messageForm"));
    QCOMPARE(item("messageText")->property("text").toString(),
             QStringLiteral("Can not save contact without name."));
    QVERIFY(!item("messageCancelButton")->isVisible());
    QVERIFY(item("headerOkCancel")->isVisible());
    QVERIFY(item("detailsEditor")->isVisible());
    QCOMPARE(proxy()->rowCount(), 1);
    click(item("messageOkButton"));
    QTRY_COMPARE(item("messageForm")->opacity(), 0.0);
    QVERIFY(item("detailsEditor")->isVisible());
    QCOMPARE(storedIds(), QStringList{"1"});
}

void tst_MainScene::addingContactStoresIt()
{
    seed({{"1", "Zorin", "Ivan", false}});
    startScene();
    click(item("addButton"));
    click(item("surnameField"));
    typeText(QStringLiteral("Adams"));
    QCOMPARE(item("detailsEditor")->property("surnameText").toString(), QStringLiteral("Adams"));
    click(item("okButton"));
    QVERIFY(!item("headerOkCancel")->isVisible());
    QVERIFY(!item("bigPhotoRect")->isVisible());
    QVERIFY(!item("detailsEditor")->isVisible());
    QCOMPARE(proxy()->rowCount(), 2);
    QCOMPARE(fullNameAt(0), QStringLiteral("Adams"));
    QCOMPARE(storedIds().size(), 2);

    // Cancel stores nothing.
    click(item("addButton"));
    item("detailsEditor")->setProperty("nameText", QStringLiteral("Nobody"));
    click(item("cancelButton"));
    QCOMPARE(proxy()->rowCount(), 2);
    QCOMPARE(storedIds().size(), 2);
}

void tst_MainScene::showContactSelectsKnownId()
{
    seedMany(60);
    startScene();
    QQuickItem *list = item("contactListView");
    item("contactList")->setProperty("currentIndex", -1);
    const int row = rowOf(QStringLiteral("17"));
    QVERIFY(row > 30);
    emit m_setup->viewer()->showContact(QStringLiteral("17"));
    QCOMPARE(proxy()->property("currentIndex").toInt(), row);
    QCOMPARE(list->property("currentIndex").toInt(), row);
    QCOMPARE(item("alphabetScroll")->property("currentLetter").toString(), fullNameAt(row).left(1));
    QQuickItem *selected = contactRow(QStringLiteral("17"));
    QVERIFY(selected);
    const qreal top = selected->y() - list->property("contentY").toReal();
    QVERIFY(top >= 0);
    QVERIFY(top + selected->height() <= list->height() + 0.5);
    QCOMPARE(item("contactList")->property("showContactRemotely").toString(), QString());
}

void tst_MainScene::showContactIgnoresUnknownId()
{
    seed({{"1", "Zorin", "Ivan", false}, {"2", "Adams", "Ann", false}});
    startScene();
    click(contactRow(QStringLiteral("1")));
    QCOMPARE(proxy()->property("currentIndex").toInt(), 1);
    emit m_setup->viewer()->showContact(QStringLiteral("999"));
    emit m_setup->viewer()->showContact(QString());
    QCOMPARE(proxy()->property("currentIndex").toInt(), 1);
    QCOMPARE(item("alphabetScroll")->property("currentLetter").toString(), QStringLiteral("Z"));
    QCOMPARE(item("contactList")->property("showContactRemotely").toString(), QString());
}

void tst_MainScene::showContactFromCommandLine()
{
    seedMany(60);
    startScene(QStringLiteral("17"));
    const int row = rowOf(QStringLiteral("17"));
    QCOMPARE(proxy()->property("currentIndex").toInt(), row);
    QVERIFY(contactRow(QStringLiteral("17")));
}

void tst_MainScene::showContactWaitsForLoading()
{
    seed({{"1", "Zorin", "Ivan", false}, {"2", "Adams", "Ann", false}});
    startScene();
    QObject *root = m_setup->viewer()->rootObject();
    item("contactList")->setProperty("currentIndex", -1);
    // A request that arrives before the contacts are loaded stays pending.
    root->setProperty("loaded", false);
    emit m_setup->viewer()->showContact(QStringLiteral("1"));
    QCOMPARE(proxy()->property("currentIndex").toInt(), -1);
    QCOMPARE(item("contactList")->property("showContactRemotely").toString(), QStringLiteral("1"));
    root->setProperty("loaded", true);
    QCOMPARE(proxy()->property("currentIndex").toInt(), 1);
    QCOMPARE(item("contactList")->property("showContactRemotely").toString(), QString());
}

void tst_MainScene::clickableItemsAreAccessible()
{
    seed({{"1", "ivanov", "petr", false}, {"2", "Adams", "Ann", false}});
    startScene();
    struct Expected
    {
        QQuickItem *item;
        QString name;
    };
    const QList<Expected> expected = {
            {item("allButton"), QStringLiteral("All")},
            {item("favoritesButton"), QStringLiteral("Favorites")},
            {item("addButton"), QStringLiteral("Add contact")},
            {item("editButton"), QStringLiteral("Edit contact")},
            {item("deleteButton"), QStringLiteral("Delete contacts")},
            {item("settingsButton"), QStringLiteral("Settings")},
            {item("okButton"), QStringLiteral("OK")},
            {item("cancelButton"), QStringLiteral("Cancel")},
            {findItem(item("letterList"), QStringLiteral("letter_I")), QStringLiteral("I")},
            {contactRow(QStringLiteral("1")), QStringLiteral("ivanov petr")},
            {item("messageOkButton"), QStringLiteral("OK")},
    };
    for (const Expected &entry : expected) {
        QVERIFY(entry.item);
        QQmlContext *context = qmlContext(entry.item);
        QVERIFY(context);
        const QString name =
                QQmlProperty::read(entry.item, QStringLiteral("Accessible.name"), context)
                        .toString();
        const int role =
                QQmlProperty::read(entry.item, QStringLiteral("Accessible.role"), context).toInt();
        QCOMPARE(name, entry.name);
        QVERIFY2(role != 0, qPrintable(entry.item->objectName()));
    }
}

void tst_MainScene::importAddsContactsAndSorts()
{
    seed({{"1", "Zorin", "Ivan", false}});
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("two.csv"));
    QFile csv(file);
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write("Given Name,Family Name\nAnn,Adams\nBob,Miller\n");
    csv.close();
    startScene();
    QObject *importExport =
            m_setup->viewer()->rootObject()->findChild<QObject *>(QStringLiteral("importExport"));
    QVERIFY(importExport);
    QVERIFY(QMetaObject::invokeMethod(importExport, "parseContactsFromFile",
                                      Q_ARG(QString, QStringLiteral("UTF-8")),
                                      Q_ARG(QString, file)));
    QTRY_VERIFY(formShown("importExportForm"));
    click(item("importExportOkButton"));
    QVERIFY(item("importExportForm")->property("completed").toBool());
    QCOMPARE(item("importExportForm")->property("count").toInt(), 2);
    QCOMPARE(item("importExportForm")->property("current").toInt(), 2);
    QCOMPARE(proxy()->rowCount(), 3);
    QCOMPARE(fullNameAt(0), QStringLiteral("Adams Ann"));
    QCOMPARE(fullNameAt(1), QStringLiteral("Miller Bob"));
    QCOMPARE(fullNameAt(2), QStringLiteral("Zorin Ivan"));
    QCOMPARE(storedIds().size(), 3);
    click(item("importExportOkButton"));
    QTRY_COMPARE(item("importExportForm")->opacity(), 0.0);
}

void tst_MainScene::importErrorIsShown()
{
    seed({{"1", "Zorin", "Ivan", false}});
    startScene();
    QObject *importExport =
            m_setup->viewer()->rootObject()->findChild<QObject *>(QStringLiteral("importExport"));
    QVERIFY(QMetaObject::invokeMethod(importExport, "parseContactsFromFile",
                                      Q_ARG(QString, QStringLiteral("UTF-8")),
                                      Q_ARG(QString, QStringLiteral("/nonexistent/file.vcf"))));
    QTRY_VERIFY(formShown("messageForm"));
    QCOMPARE(item("messageText")->property("text").toString(),
             QStringLiteral("Can't find any contacts in file."));
    QVERIFY(!item("messageCancelButton")->isVisible());
    QCOMPARE(item("importExportForm")->opacity(), 0.0);
}

KIV_TEST_MAIN(tst_MainScene)

#include "tst_mainscene.moc"

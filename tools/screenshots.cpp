// Writes PNG pictures of the scenes for looking at them without a desktop:
// the main scene's states (list, favourites, the filter menu and a group,
// search, removal marks, editing, every overlay form, the calendar), then the
// contact details, the editor, the calendar from the editor, the settings and
// the import/export form, each in desktop and in tablet layout; then the main
// scene, the editor and the settings in Russian and in German:
//   kiv-screenshots <output directory>
// It runs on a temporary home with a made-up address book.

#include "app/customqtquick2applicationviewer.h"
#include "app/scenesetup.h"
#include "davserver.h"
#include "record/contact.h"
#include "scenedriver.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QTranslator>

#include <cstdio>

namespace mainscene {

struct Person
{
    const char *surname;
    const char *name;
    const char *organization;
    bool favourite;
    const char *groups;
    const char *mobile = "";
};

const Person people[] = {
        {"Adams", "Ann", "Northwind Traders", true, "Work"},
        {"Abbott", "Carl", "", false, "Family"},
        {"Baker", "Olivia", "City Library", false, ""},
        {"Brown", "James", "Brown & Sons", true, "Family,Football club"},
        {"Carter", "Emily", "", false, "Family"},
        {"Davis", "Michael", "Harbour Clinic", false, "Work"},
        {"Evans", "Sophie", "", true, "Family"},
        {"Fischer", "Lukas", "Fischer Bakery", false, "Football club"},
        {"Garcia", "Maria", "", false, ""},
        {"Hughes", "Thomas", "Hughes Engineering Consultants International", false, "Work"},
        {"Ivanova", "Natalia", "", false, ""},
        {"Jensen", "Freja", "", true, "Family"},
        {"Kowalski", "Piotr", "", false, "Football club"},
        {"Miller", "Bob", "", false, "", "+49 30 1234567"},
        // The same man again, the parts of his name swapped by another program
        // and his number written without the country code.
        {"Bob", "Miller", "", false, "", "030 1234567"},
        {"Nakamura", "Yuki", "", false, "Work"},
        {"Olsen", "Ingrid", "", false, ""},
        {"Petrov", "Sergei", "", false, "Football club"},
        {"Smith", "John", "", false, ""},
        {"Thompson", "Grace", "", false, ""},
        {"Williams", "Henry", "", false, "Work"},
        {"Zimmermann", "Klaus", "", false, ""},
};

QString makePhoto(const QString &directory, int index)
{
    QImage image(200, 200, QImage::Format_ARGB32);
    image.fill(QColor::fromHsv((index * 47) % 360, 90, 230));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromHsv((index * 47) % 360, 160, 120));
    painter.drawEllipse(QPointF(100, 75), 42, 42);
    painter.drawEllipse(QPointF(100, 220), 85, 85);
    painter.end();
    const QString path = directory + QStringLiteral("/photo%1.png").arg(index);
    image.save(path);
    return path;
}

void seed(const QString &home)
{
    QSettings settings;
    settings.setValue(QStringLiteral("englishAlphabet"), true);
    SqliteDatabase store;
    if (!store.open(QString())) {
        std::fprintf(stderr, "cannot open the address book in %s\n", qPrintable(home));
        return;
    }
    int index = 0;
    for (const Person &person : people) {
        Contact contact;
        contact.id = QString::number(1000 + index);
        contact.surname = QString::fromUtf8(person.surname);
        contact.name = QString::fromUtf8(person.name);
        contact.organization = QString::fromUtf8(person.organization);
        contact.fullname = contact.composedFullName();
        contact.isFavorite = person.favourite;
        if (*person.mobile) {
            contact.phoneList = QStringList{QString::fromUtf8(person.mobile)};
            contact.phoneGroupList = QStringList{QStringLiteral("Mobile")};
        }
        contact.groups =
                QString::fromUtf8(person.groups).split(QLatin1Char(','), Qt::SkipEmptyParts);
        if (index == 0) {
            // The card another address book wrote, with what it keeps beyond the fields.
            contact.card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Adams;Ann;;Dr.;\r\nFN:Dr. Ann Adams\r\n"
                           "ORG:Northwind Traders;Purchasing\r\nNICKNAME:Annie\r\nTITLE:Buyer\r\n"
                           "CATEGORIES:Starred,Work\r\nitem1.X-ABDATE:2010-06-12\r\n"
                           "item1.X-ABLabel:_$!<Anniversary>!$_\r\nX-SKYPE:ann.adams\r\n"
                           "END:VCARD\r\n";
        }
        store.insertContact(&contact);
        if (index % 3 == 0) {
            store.savePhoto(contact.id, makePhoto(home, index));
        }
        ++index;
    }
}

class Shooter
{
public:
    Shooter(const QString &directory, const QString &mode, bool tablet)
        : m_directory(directory),
          m_mode(mode),
          m_setup(nullptr, QString(), false, tablet)
    {
        viewer()->resize(tablet ? QSize(1280, 800) : QSize(1000, 700));
        viewer()->show();
        if (!QTest::qWaitForWindowExposed(viewer())) {
            std::fprintf(stderr, "the window was not shown\n");
        }
        settle();
    }

    CustomQtQuick2ApplicationViewer *viewer() const { return m_setup.viewer(); }
    QQuickItem *root() const { return viewer()->rootObject(); }

    QObject *object(const char *name) const
    {
        QObject *found = root()->findChild<QObject *>(QString::fromLatin1(name));
        if (!found) {
            std::fprintf(stderr, "no object %s\n", name);
        }
        return found;
    }

    void call(QObject *target, const char *function, const QVariantList &arguments = {})
    {
        if (!target) {
            return;
        }
        QVariant result;
        QGenericArgument args[4];
        for (int i = 0; i < arguments.size() && i < 4; ++i) {
            args[i] = Q_ARG(QVariant, arguments.at(i));
        }
        QMetaObject::invokeMethod(target, function, Q_RETURN_ARG(QVariant, result), args[0],
                                  args[1], args[2], args[3]);
        settle();
    }

    void settle() { QTest::qWait(450); }

    void shoot(const QString &name)
    {
        settle();
        const QString file = m_directory + QLatin1Char('/') + m_mode + QLatin1Char('-') + name
                             + QStringLiteral(".png");
        viewer()->grabWindow().save(file);
        std::printf("%s\n", qPrintable(file));
    }

private:
    QString m_directory;
    QString m_mode;
    SceneSetup m_setup;
};

void shootAll(const QString &directory, bool tablet)
{
    Shooter shooter(directory, tablet ? QStringLiteral("tablet") : QStringLiteral("desktop"),
                    tablet);
    QQuickItem *root = shooter.root();
    QObject *contactList = shooter.object("contactList");
    QObject *header = shooter.object("header");

    contactList->setProperty("currentIndex", 3);
    shooter.shoot(QStringLiteral("list"));

    header->setProperty("allContacts", false);
    shooter.shoot(QStringLiteral("favourites"));
    header->setProperty("allContacts", true);

    shooter.call(header, "openFilterMenu");
    shooter.shoot(QStringLiteral("filter-menu"));
    shooter.call(shooter.object("listViewForm"), "cancel");
    shooter.call(root, "chooseFilter", {false, QStringLiteral("Family")});
    contactList->setProperty("currentIndex", 1);
    shooter.shoot(QStringLiteral("group-filter"));
    shooter.call(root, "changeContact", {false});
    shooter.shoot(QStringLiteral("editing-groups"));
    shooter.call(shooter.object("headerOkCancel"), "finish", {false});
    shooter.call(root, "chooseFilter", {false, QString()});

    header->setProperty("searchText", QStringLiteral("an"));
    shooter.shoot(QStringLiteral("search"));
    header->setProperty("searchText", QString());

    contactList->setProperty("currentIndex", 1);
    shooter.call(root, "showRemoveMode");
    QQuickItem *list = qobject_cast<QQuickItem *>(shooter.object("contactListView"));
    for (const char *id : {"contact_1003", "contact_1005"}) {
        QObject *row = list ? list->findChild<QObject *>(QString::fromLatin1(id)) : nullptr;
        if (!row) {
            for (QQuickItem *child : list->childItems().first()->childItems()) {
                if (child->objectName() == QLatin1String(id)) {
                    row = child;
                }
            }
        }
        shooter.call(row, "select");
    }
    shooter.shoot(QStringLiteral("removal"));
    shooter.call(shooter.object("headerOkCancel"), "finish", {true});
    shooter.shoot(QStringLiteral("removal-question"));
    shooter.call(shooter.object("messageForm"), "cancel");

    contactList->setProperty("currentIndex", 2);
    shooter.call(root, "changeContact", {true});
    shooter.shoot(QStringLiteral("adding"));
    shooter.call(shooter.object("headerOkCancel"), "finish", {true});
    shooter.shoot(QStringLiteral("adding-without-name"));
    shooter.call(shooter.object("messageForm"), "close");
    shooter.call(shooter.object("headerOkCancel"), "finish", {false});

    QObject *listViewForm = shooter.object("listViewForm");
    listViewForm->setProperty("groupMode", true);
    shooter.call(listViewForm, "show",
                 {QStringList{"Mobile", "Home", "Work", "Car", "Dacha", "Create new"}, QVariant(),
                  QVariant()});
    shooter.shoot(QStringLiteral("list-chooser"));
    shooter.call(listViewForm, "cancel");

    shooter.call(shooter.object("lineEditForm"), "show", {QStringLiteral("Boat"), QVariant()});
    shooter.shoot(QStringLiteral("text-prompt"));
    shooter.call(shooter.object("lineEditForm"), "close");

    shooter.call(shooter.object("calendarForm"), "show",
                 {QStringLiteral("05.03.1990"), QVariant()});
    shooter.shoot(QStringLiteral("calendar"));
    shooter.call(shooter.object("calendarForm"), "close");

    shooter.call(shooter.object("settingsForm"), "show");
    shooter.shoot(QStringLiteral("settings"));
    QObject *settingsList = shooter.object("settingsList");
    settingsList->setProperty("contentY", settingsList->property("contentHeight").toReal()
                                                  - settingsList->property("height").toReal());
    shooter.shoot(QStringLiteral("settings-groups"));
    shooter.call(shooter.object("settingsForm"), "close");

    QObject *duplicatesForm = shooter.object("duplicatesForm");
    shooter.call(duplicatesForm, "show");
    shooter.shoot(QStringLiteral("duplicates"));
    shooter.call(duplicatesForm, "select", {0});
    shooter.shoot(QStringLiteral("duplicates-preview"));
    shooter.call(duplicatesForm, "close");

    shooter.call(shooter.object("cardDavForm"), "show");
    shooter.shoot(QStringLiteral("carddav-account"));
    shooter.call(shooter.object("cardDavForm"), "close");

    // A drop-down near the bottom of the scene: its list is cut at the edge.
    QQmlComponent component(shooter.viewer()->engine());
    component.setData("import QtQuick 2.0\nimport \"qrc:///qml\"\n"
                      "ComboBoxStandart { objectName: \"shotDropDown\"; width: 300;"
                      " colorLight: \"#f9f9f9\"; colorDark: \"#eeeeee\"; currentIndex: 1;"
                      " model: [\"Windows-1251\", \"UTF-8\", \"UTF-16\", \"UTF-32\","
                      " \"Apple Roman\", \"KOI8-R\", \"ISO-8859-5\", \"IBM 866\"] }",
                      QUrl(QStringLiteral("qrc:///qml/screenshot.qml")));
    QQuickItem *dropDown =
            qobject_cast<QQuickItem *>(component.create(QQmlEngine::contextForObject(root)));
    if (dropDown) {
        dropDown->setParentItem(root);
        dropDown->setPosition(QPointF(root->width() * 0.5, root->height() * 0.6));
        dropDown->setHeight(root->property("itemHeight").toReal());
        shooter.settle();
        shooter.call(dropDown, "open");
        shooter.shoot(QStringLiteral("drop-down"));
        dropDown->setProperty("opened", false);
        delete dropDown;
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
    }
}

// The main scene, the editor and the settings form in one of the languages
// the program has a catalogue of, with the same address book.
void shootLanguage(const QString &directory, const QString &language)
{
    QTranslator catalogue;
    if (!catalogue.load(QStringLiteral("kiv-contacts_") + language,
                        QStringLiteral(":/translations"))) {
        std::fprintf(stderr, "no catalogue for %s\n", qPrintable(language));
        return;
    }
    QCoreApplication::installTranslator(&catalogue);
    // Numbers, dates and the order of the list as on such a desktop.
    const QLocale before;
    QLocale::setDefault(QLocale(language));
    {
        Shooter shooter(directory, language + QStringLiteral("-desktop"), false);
        shooter.object("contactList")->setProperty("currentIndex", 3);
        shooter.shoot(QStringLiteral("list"));
        shooter.call(shooter.root(), "changeContact", {true});
        shooter.shoot(QStringLiteral("adding"));
        shooter.call(shooter.object("headerOkCancel"), "finish", {false});
        shooter.call(shooter.object("settingsForm"), "show");
        shooter.shoot(QStringLiteral("settings"));
    }
    QLocale::setDefault(before);
    QCoreApplication::removeTranslator(&catalogue);
}

} // namespace mainscene

namespace scenes {

QString makePhoto()
{
    QImage image(300, 300, QImage::Format_ARGB32);
    image.fill(QColor(QStringLiteral("#9fc5e8")));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(QStringLiteral("#3d6f99")));
    painter.drawEllipse(QPointF(150, 115), 62, 62);
    painter.drawEllipse(QPointF(150, 330), 125, 125);
    painter.end();
    const QString path = QDir::homePath() + QStringLiteral("/anna.png");
    image.save(path);
    return path;
}

Contact *person(const QString &surname, const QString &name)
{
    auto *c = new Contact(nullptr);
    c->id = Contact::makeId();
    c->surname = surname;
    c->name = name;
    c->fullname = Contact::composeFullName(surname, name, QString());
    return c;
}

void seed()
{
    SceneDriver::resetHome();
    Contact *anna = person(QStringLiteral("Adams"), QStringLiteral("Ann"));
    anna->middlename = QStringLiteral("Louise");
    anna->fullname = Contact::composeFullName(anna->surname, anna->name, anna->middlename);
    anna->organization = QStringLiteral("Northwind Traders");
    anna->dateOfBirth = QStringLiteral("05.03.1990");
    anna->isFavorite = true;
    anna->phoneList = QStringList{QStringLiteral("+7 912 345-67-89"),
                                  QStringLiteral("8 495 123-45-67"), QStringLiteral("555-01-01")};
    anna->phoneGroupList = QStringList{QStringLiteral("Mobile"), QStringLiteral("Work")};
    anna->emailList = QStringList{QStringLiteral("ann.adams@example.com")};
    anna->emailGroupList = QStringList{QStringLiteral("Home")};
    anna->addressList = QStringList{QStringLiteral("12 Harbour Street, Flat 4, Bristol BS1 4QA")};
    anna->addressGroupList = QStringList{QStringLiteral("Home")};
    anna->linkList = QStringList{QStringLiteral("https://example.com/ann")};
    anna->comment = QStringLiteral("Prefers calls after six. Allergic to cats.");
    QList<Contact *> all{anna, person(QStringLiteral("Baker"), QStringLiteral("Olivia")),
                         person(QStringLiteral("Carter"), QStringLiteral("Emily")),
                         person(QStringLiteral("Davis"), QStringLiteral("Michael"))};
    SceneDriver::storeContacts(all);
    qDeleteAll(all);
}

class Shooter
{
public:
    Shooter(const QString &directory, bool tablet)
        : m_directory(directory),
          m_mode(tablet ? QStringLiteral("tablet") : QStringLiteral("desktop"))
    {
        seed();
        if (!m_scene.start(tablet)) {
            std::fprintf(stderr, "the scene did not start\n");
        }
        m_scene.window()->resize(tablet ? QSize(1280, 800) : QSize(1000, 700));
        m_scene.waitForFrame();
    }

    SceneDriver &scene() { return m_scene; }

    void shoot(const QString &name)
    {
        // Let fades and layout finish.
        QTest::qWait(400);
        m_scene.waitForFrame();
        const QString file = m_directory + QLatin1Char('/') + m_mode + QLatin1Char('-') + name
                             + QStringLiteral(".png");
        m_scene.window()->grabWindow().save(file);
        std::printf("%s\n", qPrintable(file));
    }

    void run()
    {
        SceneDriver &s = m_scene;
        const QList<Contact *> stored = SceneDriver::storedContacts();
        QString anna;
        for (Contact *c : stored) {
            if (c->surname == QStringLiteral("Adams")) {
                anna = c->id;
            }
        }
        qDeleteAll(stored);
        // The contact with a photo, chosen while browsing.
        s.click(s.listRow(anna));
        s.click(QStringLiteral("detailsPhoto"));
        s.answerFileDialog(makePhoto());
        s.chooseInList(QStringLiteral("Choose existing picture..."));
        if (!QTest::qWaitFor([&s] { return s.fileDialogAnswered(); }, 5000)) {
            std::fprintf(stderr, "the picture dialog was not answered\n");
        }
        shoot(QStringLiteral("details"));

        s.click(QStringLiteral("editButton"));
        shoot(QStringLiteral("editor-filled"));
        s.click(QStringLiteral("calendarButton"));
        s.waitShown(QStringLiteral("calendarForm"));
        shoot(QStringLiteral("editor-calendar"));
        // A birthday without a year: the calendar's choice, then the field.
        s.click(QStringLiteral("calendarNoYear"));
        shoot(QStringLiteral("editor-calendar-no-year"));
        s.click(QStringLiteral("calendarOkButton"));
        s.waitHidden(QStringLiteral("calendarForm"));
        shoot(QStringLiteral("editor-birthday-without-year"));
        s.click(QStringLiteral("cancelButton"), s.item(QStringLiteral("headerOkCancel")));

        s.click(QStringLiteral("addButton"));
        shoot(QStringLiteral("editor-empty"));
        s.click(QStringLiteral("cancelButton"), s.item(QStringLiteral("headerOkCancel")));

        s.click(QStringLiteral("settingsButton"));
        s.waitShown(QStringLiteral("settingsForm"));
        shoot(QStringLiteral("settings-form"));

        const QString file = QDir::homePath() + QStringLiteral("/contacts.csv");
        QFile::remove(file);
        QFile::copy(QStringLiteral(TEST_DATA_DIR "/scenes/outlook-ru-cp1251-semicolon.csv"), file);
        s.answerFileDialog(file);
        s.click(QStringLiteral("importRow"));
        s.waitShown(QStringLiteral("importExportForm"));
        shoot(QStringLiteral("importexport-choosing"));

        // The same file read in a codec that cannot read it marks every row.
        QObject *backend = s.object(QStringLiteral("importExport"));
        QMetaObject::invokeMethod(backend, "parseContactsFromFile", Q_ARG(QString, "UTF-8"),
                                  Q_ARG(QString, QString()));
        shoot(QStringLiteral("importexport-unreadable"));
        QMetaObject::invokeMethod(backend, "parseContactsFromFile", Q_ARG(QString, "Windows-1251"),
                                  Q_ARG(QString, QString()));

        // The run is over in a blink; show its middle as the backend reports it.
        QQuickItem *form = s.item(QStringLiteral("importExportForm"));
        QMetaObject::invokeMethod(backend, "importContactStarted", Q_ARG(int, 3));
        QMetaObject::invokeMethod(backend, "importContactProgress", Q_ARG(int, 2));
        shoot(QStringLiteral("importexport-running"));
        form->setProperty("count", 0);
        form->setProperty("current", 0);

        s.click(QStringLiteral("importExportOkButton"));
        if (!QTest::qWaitFor([form] { return form->property("completed").toBool(); }, 5000)) {
            std::fprintf(stderr, "the import did not complete\n");
        }
        shoot(QStringLiteral("importexport-done"));
        s.click(QStringLiteral("importExportOkButton"));
        s.waitHidden(QStringLiteral("importExportForm"));

        // The same file again: its contacts are in the address book now.
        s.eval(QStringLiteral("importExport.parseContactsFromFile('Windows-1251', '%1')")
                       .arg(file));
        s.waitShown(QStringLiteral("importExportForm"));
        shoot(QStringLiteral("importexport-already-there"));
        s.click(QStringLiteral("importExportCancelButton"));
        s.waitHidden(QStringLiteral("importExportForm"));

        // A row with a value beyond the columns, then a quote never closed:
        // what came before the quote is offered, and the message says which
        // line to look at for each.
        const QString cut = QDir::homePath() + QStringLiteral("/cut.csv");
        writeFile(cut, "First Name,Last Name,Notes\nNora,North,\nMia,Moss,Sr,x\n"
                       "Oscar,Owen,\"Call after 6\nPaula,Price,\n");
        s.eval(QStringLiteral("importExport.parseContactsFromFile('UTF-8', '%1')").arg(cut));
        s.waitShown(QStringLiteral("messageForm"));
        shoot(QStringLiteral("importexport-open-quote"));
        s.click(QStringLiteral("messageOkButton"));
        s.click(QStringLiteral("importExportCancelButton"));
        s.waitHidden(QStringLiteral("importExportForm"));
    }

private:
    QString m_directory;
    QString m_mode;
    SceneDriver m_scene;
};

} // namespace scenes

namespace narrowandsync {

void shoot(SceneDriver &s, const QString &directory, const QString &name)
{
    QTest::qWait(400);
    s.waitForFrame();
    const QString file = directory + QStringLiteral("/desktop-") + name + QStringLiteral(".png");
    s.window()->grabWindow().save(file);
    std::printf("%s\n", qPrintable(file));
}

// Types into the password field and waits until the sync it starts ends.
void syncWithPassword(SceneDriver &s, const QString &password, const QString &button)
{
    QObject *status = s.object(QStringLiteral("cardDavStatus"));
    const QString before = status->property("text").toString();
    s.typeInto(s.item(QStringLiteral("cardDavPassword")), password);
    s.click(button);
    const auto ended = [status, before] {
        const QString text = status->property("text").toString();
        return text != before && text.startsWith("Sync") && !text.startsWith("Syncing");
    };
    if (!QTest::qWaitFor(ended, 60000)) {
        std::fprintf(stderr, "the sync did not end: %s\n",
                     qPrintable(status->property("text").toString()));
    }
}

// A narrow window: the header folded, the search opened from the magnifier,
// the details wrapped below the photo.
void shootNarrow(const QString &directory)
{
    SceneDriver::resetHome();
    SceneDriver::storeContactsFrom(QStringLiteral(TEST_DATA_DIR "/scenes/narrow-people.jsonl"));
    SceneDriver s;
    s.start();
    for (int width : {636, 360}) {
        s.window()->resize(width, 700);
        s.click(s.listRow(QStringLiteral("2")));
        shoot(s, directory, QStringLiteral("narrow-%1").arg(width));
        s.typeInto(s.item(QStringLiteral("searchButton")), QStringLiteral("wolf"));
        shoot(s, directory, QStringLiteral("narrow-%1-search").arg(width));
        s.click(s.listRow(QStringLiteral("2")));
        shoot(s, directory, QStringLiteral("narrow-%1-search-folded").arg(width));
        s.eval(QStringLiteral("header.searchText = ''"));
    }
    // The folded filter: one menu, whose icon tells a group from the rest.
    s.eval(QStringLiteral("contactsModel.addGroup('Neighbours')"));
    s.click(QStringLiteral("filterMenuButton"));
    shoot(s, directory, QStringLiteral("narrow-360-filter-menu"));
    s.chooseInList(QStringLiteral("Neighbours (0)"));
    shoot(s, directory, QStringLiteral("narrow-360-group"));
}

// A real Radicale: a contact changed on both sides is kept twice and marked;
// then the server's password changes and the sync fails.
void shootSync(const QString &directory)
{
    SceneDriver::resetHome();
    DavServer dav(DavServer::Radicale, true);
    if (!dav.start()) {
        std::fprintf(stderr, "Radicale did not start\n");
        return;
    }
    const QString other = QStringLiteral("other-device.sqlite");
    dav.changeOnDevice(other, QStringLiteral("add:Chopin Fryderyk"));
    dav.changeOnDevice(QString(), QString());
    dav.changeOnDevice(other, QStringLiteral("comment:Changed on the phone"));
    dav.changeOnDevice(QString(), QStringLiteral("comment:Changed here"), false);
    for (const char *name : {"add:Bach Anna", "add:Dvořák Antonín", "add:Elgar Edward"}) {
        dav.changeOnDevice(other, QString::fromUtf8(name));
    }
    dav.saveAsAccount();
    SceneDriver s;
    s.start();
    s.waitShown(QStringLiteral("cardDavForm"));
    syncWithPassword(s, DavServer::Password, QStringLiteral("cardDavFindButton"));
    s.click(QStringLiteral("cardDavCloseButton"));
    s.waitHidden(QStringLiteral("cardDavForm"));
    shoot(s, directory, QStringLiteral("sync-conflict"));
    for (const QString &id : SceneDriver::storedIds()) {
        if (s.eval(QStringLiteral("carddav.isConflictCopy('%1')").arg(id)).toBool()) {
            s.click(s.listRow(id));
        }
    }
    shoot(s, directory, QStringLiteral("sync-conflict-details"));
    s.click(QStringLiteral("syncStatusButton"));

    dav.setPassword(QStringLiteral("n3w-Pässword"));
    s.eval(QStringLiteral("cardDavForm.show()"));
    s.waitShown(QStringLiteral("cardDavForm"));
    syncWithPassword(s, QString(), QStringLiteral("cardDavSyncButton"));
    s.click(QStringLiteral("cardDavCloseButton"));
    s.waitHidden(QStringLiteral("cardDavForm"));
    shoot(s, directory, QStringLiteral("sync-failed"));
    s.click(QStringLiteral("settingsButton"));
    shoot(s, directory, QStringLiteral("sync-failed-settings"));
    s.click(QStringLiteral("settingsCloseButton"));
    s.waitHidden(QStringLiteral("settingsForm"));
    s.click(QStringLiteral("syncStatusButton"));
    shoot(s, directory, QStringLiteral("sync-failed-account"));
}

} // namespace narrowandsync

int main(int argc, char *argv[])
{
    TestHome home;
    // The account's password must not reach a secret store of the desktop.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
    QApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("kiv"));
    app.setApplicationName(QStringLiteral("Contacts"));
    const QString directory =
            argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(directory);
    // English as the program shows it: the singular forms of its catalogue.
    QTranslator english;
    if (english.load(QStringLiteral("kiv-contacts_en"), QStringLiteral(":/translations"))) {
        QCoreApplication::installTranslator(&english);
    }
    mainscene::seed(home.path());
    mainscene::shootAll(directory, false);
    mainscene::shootAll(directory, true);
    mainscene::shootLanguage(directory, QStringLiteral("ru"));
    mainscene::shootLanguage(directory, QStringLiteral("de"));
    for (bool tablet : {false, true}) {
        scenes::Shooter shooter(directory, tablet);
        shooter.run();
    }
    narrowandsync::shootNarrow(directory);
    narrowandsync::shootSync(directory);
    const QStringList warnings = SceneDriver::warnings();
    for (const QString &warning : warnings) {
        std::fprintf(stderr, "scene warning: %s\n", qPrintable(warning));
    }
    return warnings.isEmpty() ? 0 : 1;
}

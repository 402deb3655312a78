// Writes PNG pictures of the main scene's states (list, favourites, search,
// removal marks, editing, every overlay form, the calendar) in desktop and in
// tablet layout, for looking at the scenes without a desktop:
//   kiv-screenshots <output directory>
// It runs on a temporary home with a made-up address book.

#include "testsupport.h"

#include "app/customqtquick2applicationviewer.h"
#include "app/scenesetup.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSettings>

#include <cstdio>

namespace {

struct Person
{
    const char *surname;
    const char *name;
    const char *organization;
    bool favourite;
};

const Person people[] = {
        {"Adams", "Ann", "Northwind Traders", true},
        {"Abbott", "Carl", "", false},
        {"Baker", "Olivia", "City Library", false},
        {"Brown", "James", "Brown & Sons", true},
        {"Carter", "Emily", "", false},
        {"Davis", "Michael", "Harbour Clinic", false},
        {"Evans", "Sophie", "", true},
        {"Fischer", "Lukas", "Fischer Bakery", false},
        {"Garcia", "Maria", "", false},
        {"Hughes", "Thomas", "Hughes Engineering Consultants International", false},
        {"Ivanova", "Natalia", "", false},
        {"Jensen", "Freja", "", true},
        {"Kowalski", "Piotr", "", false},
        {"Miller", "Bob", "", false},
        {"Nakamura", "Yuki", "", false},
        {"Olsen", "Ingrid", "", false},
        {"Petrov", "Sergei", "", false},
        {"Smith", "John", "", false},
        {"Thompson", "Grace", "", false},
        {"Williams", "Henry", "", false},
        {"Zimmermann", "Klaus", "", false},
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
    shooter.call(shooter.object("messageForm"), "close");

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
                 {QStringList{"Mobile", "Home", "Work", "Car", "Dacha", "Create new"}, QVariant()});
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
    shooter.call(shooter.object("settingsForm"), "close");

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

} // namespace

int main(int argc, char *argv[])
{
    TestHome home;
    QApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("kiv"));
    app.setApplicationName(QStringLiteral("Contacts"));
    const QString directory =
            argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(directory);
    seed(home.path());
    shootAll(directory, false);
    shootAll(directory, true);
    return 0;
}

// Writes PNG pictures of the contact details, the editor, the calendar opened
// from the editor, the settings form and the import/export form (choosing,
// running, done), in desktop and tablet layout:
//   kiv-scene-screenshots <output directory>
// It drives the real main scene on a temporary home with a made-up contact.

#include "record/contact.h"
#include "scenedriver.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QQuickItem>
#include <QQuickWindow>

#include <cstdio>

namespace {

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
        s.click(QStringLiteral("calendarCancelButton"));
        s.waitHidden(QStringLiteral("calendarForm"));
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
        QMetaObject::invokeMethod(backend, "parseContactsFromFile",
                                  Q_ARG(QString, "Windows-1251"), Q_ARG(QString, QString()));

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
    }

private:
    QString m_directory;
    QString m_mode;
    SceneDriver m_scene;
};

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
    for (bool tablet : {false, true}) {
        Shooter shooter(directory, tablet);
        shooter.run();
    }
    const QStringList warnings = SceneDriver::warnings();
    for (const QString &warning : warnings) {
        std::fprintf(stderr, "scene warning: %s\n", qPrintable(warning));
    }
    return warnings.isEmpty() ? 0 : 1;
}

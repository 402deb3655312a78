#include "app/scenesetup.h"

#include "app/contactsimageprovider.h"
#include "app/customqtquick2applicationviewer.h"
#include "model/contactsmodel.h"
#include "model/contactsproxymodel.h"
#include "record/contact.h"
#include "storage/database.h"
#include "storage/defaultdatabase.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSettings>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTest>

// The scene set-up with the compiled-in main scene, in this process: the
// store choice, what the scene gets to see, the order of the start-up steps
// and of the teardown.
class tst_SceneSetup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opensDatabaseFileAndPublishesIt();
    void unopenableDatabaseUsesSettingsStore();
    void publishesContextProperties_data();
    void publishesContextProperties();
    void windowTitleAndTitleBarButtons();
    void tabletModeShowsMaximised();
    void registersSceneTypes_data();
    void registersSceneTypes();
    void installsPhotoProviderOnActiveStore();
    void teardownOrder();
    void showContactSelectsContactAfterLoad();
    void sceneContactsSurviveRestart_data();
    void sceneContactsSurviveRestart();
    void sceneSeesTabletMode();

private:
    QString databasePath() const;
    void seedDatabase();
    static ContactsProxyModel *sceneView(const SceneSetup &setup);
    static ContactsModel *sceneModel(const SceneSetup &setup);
};

void tst_SceneSetup::init()
{
    // Every test starts without a database file and without settings.
    QFile::remove(databasePath());
    QDir(databasePath()).removeRecursively();
    QSettings().clear();
    qunsetenv("KIV_TABLET_MODE");
}

void tst_SceneSetup::cleanup()
{
    init();
}

QString tst_SceneSetup::databasePath() const
{
    return QDir::homePath() + QStringLiteral("/.config/kiv-phone.sqlite");
}

void tst_SceneSetup::opensDatabaseFileAndPublishesIt()
{
    SceneSetup setup(nullptr, QString(), false, false);
    QVERIFY(setup.activeStore());
    QCOMPARE(setup.activeStore(), setup.sqliteStore());
    QVERIFY(qobject_cast<SqliteDatabase *>(setup.activeStore()));
    QVERIFY(QFileInfo(databasePath()).isFile());
    const QVariant db = setup.viewer()->rootContext()->contextProperty(QStringLiteral("db"));
    QCOMPARE(db.value<QObject *>(), setup.activeStore());
    QCOMPARE(setup.viewer()->status(), QQuickView::Ready);
}

void tst_SceneSetup::unopenableDatabaseUsesSettingsStore()
{
    QVERIFY(QDir().mkpath(databasePath()));
    SceneSetup setup(nullptr, QString(), false, false);
    QCOMPARE(setup.activeStore(), setup.settingsStore());
    QVERIFY(qobject_cast<DefaultDatabase *>(setup.activeStore()));
    const QVariant db = setup.viewer()->rootContext()->contextProperty(QStringLiteral("db"));
    QCOMPARE(db.value<QObject *>(), setup.settingsStore());
    QCOMPARE(setup.viewer()->status(), QQuickView::Ready);
    // The directory is left alone.
    QVERIFY(QFileInfo(databasePath()).isDir());
}

void tst_SceneSetup::publishesContextProperties_data()
{
    QTest::addColumn<bool>("lowEffects");
    QTest::addColumn<bool>("tabletMode");
    QTest::newRow("desktop") << false << false;
    QTest::newRow("tablet, low effects") << true << true;
    QTest::newRow("low effects only") << true << false;
}

void tst_SceneSetup::publishesContextProperties()
{
    QFETCH(bool, lowEffects);
    QFETCH(bool, tabletMode);
    SceneSetup setup(nullptr, QString(), lowEffects, tabletMode);
    QQmlContext *context = setup.viewer()->rootContext();
    QCOMPARE(context->contextProperty(QStringLiteral("tabletMode")), QVariant(tabletMode));
    QCOMPARE(context->contextProperty(QStringLiteral("lowEffects")), QVariant(lowEffects));
    QCOMPARE(context->contextProperty(QStringLiteral("debug")), QVariant(false));
    QCOMPARE(context->contextProperty(QStringLiteral("viewer")).value<QObject *>(),
             static_cast<QObject *>(setup.viewer()));
    QCOMPARE(context->contextProperty(QStringLiteral("db")).value<QObject *>(),
             static_cast<QObject *>(setup.activeStore()));

    // The scene sees them as typed values.
    QQmlComponent probe(setup.viewer()->engine());
    probe.setData("import QtQuick 2.0\nQtObject {"
                  " property bool tablet: tabletMode; property bool low: lowEffects;"
                  " property bool dbg: debug; property bool hasDb: db !== null }",
                  QUrl());
    std::unique_ptr<QObject> object(probe.create(setup.viewer()->rootContext()));
    QVERIFY2(object, qPrintable(probe.errorString()));
    QCOMPARE(object->property("tablet").toBool(), tabletMode);
    QCOMPARE(object->property("low").toBool(), lowEffects);
    QCOMPARE(object->property("dbg").toBool(), false);
    QCOMPARE(object->property("hasDb").toBool(), true);
}

void tst_SceneSetup::windowTitleAndTitleBarButtons()
{
    SceneSetup setup(nullptr, QString(), false, false);
    QCOMPARE(setup.viewer()->title(), QStringLiteral("Contacts"));
    const Qt::WindowFlags flags = setup.viewer()->flags();
    QCOMPARE(int(flags & Qt::WindowFlags(0x0800E000)), 0x0800E000);
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Window);
    QCOMPARE(setup.viewer()->resizeMode(), QQuickView::SizeRootObjectToView);
}

void tst_SceneSetup::tabletModeShowsMaximised()
{
    qputenv("KIV_TABLET_MODE", "1");
    SceneSetup tablet(nullptr, QString(), false, true);
    tablet.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(tablet.viewer()));
    QTRY_VERIFY(tablet.viewer()->windowStates().testFlag(Qt::WindowMaximized));
    qunsetenv("KIV_TABLET_MODE");
}

void tst_SceneSetup::registersSceneTypes_data()
{
    QTest::addColumn<QByteArray>("import");
    QTest::addColumn<QByteArray>("type");
    QTest::newRow("list model") << QByteArray("ContactsModelBackend")
                                << QByteArray("ContactsModel");
    QTest::newRow("sorted view") << QByteArray("ContactsProxyModelBackend")
                                 << QByteArray("ContactsProxyModel");
    QTest::newRow("file dialog") << QByteArray("FileDialogBackend") << QByteArray("FileDialog");
    QTest::newRow("import and export")
            << QByteArray("ImportExportBackend") << QByteArray("ImportExport");
}

void tst_SceneSetup::registersSceneTypes()
{
    QFETCH(QByteArray, import);
    QFETCH(QByteArray, type);
    SceneSetup setup(nullptr, QString(), false, false);
    QQmlComponent component(setup.viewer()->engine());
    component.setData("import " + import + " 1.0\n" + type + " {}", QUrl());
    std::unique_ptr<QObject> object(component.create());
    QVERIFY2(object, qPrintable(component.errorString()));
    QCOMPARE(QByteArray(object->metaObject()->className()), type);
    QCOMPARE(QMetaType::type("Contact"), qMetaTypeId<Contact *>());
}

void tst_SceneSetup::installsPhotoProviderOnActiveStore()
{
    SceneSetup setup(nullptr, QString(), false, false);
    auto *provider = static_cast<ContactsImageProvider *>(
            setup.viewer()->engine()->imageProvider(QStringLiteral("ContactsImageProvider")));
    QVERIFY(provider);
    QCOMPARE(provider->imageType(), QQmlImageProviderBase::Image);

    Contact contact;
    contact.id = Contact::makeId();
    contact.name = QStringLiteral("Ivan");
    setup.activeStore()->insertContact(&contact);
    QTemporaryDir dir;
    QImage photo(60, 30, QImage::Format_RGB32);
    photo.fill(Qt::green);
    QVERIFY(photo.save(dir.filePath(QStringLiteral("p.png"))));
    setup.activeStore()->savePhoto(contact.id, dir.filePath(QStringLiteral("p.png")));
    QCOMPARE(provider->requestImage(contact.id, nullptr, QSize()).size(), QSize(60, 30));
}

void tst_SceneSetup::teardownOrder()
{
    QStringList destroyed;
    auto setup = std::make_unique<SceneSetup>(nullptr, QString(), false, false);
    connect(setup->viewer(), &QObject::destroyed, this, [&] { destroyed << "window"; });
    connect(setup->sqliteStore(), &QObject::destroyed, this, [&] { destroyed << "sqlite"; });
    connect(setup->settingsStore(), &QObject::destroyed, this, [&] { destroyed << "settings"; });
    const QString connection =
            static_cast<SqliteDatabase *>(setup->sqliteStore())->connectionName();
    QVERIFY(!connection.isEmpty());
    setup.reset();
    QCOMPARE(destroyed, (QStringList{"window", "sqlite", "settings"}));
    // The SQLite store closed and removed its connection.
    QVERIFY(!QSqlDatabase::contains(connection));
}

// Three contacts in the default database file, sorted Anna, Boris, Clara.
void tst_SceneSetup::seedDatabase()
{
    SqliteDatabase store;
    QVERIFY(store.open(QString()));
    const QList<QStringList> rows{
            {"41", "Anna", "Alpha"}, {"43", "Clara", "Gamma"}, {"42", "Boris", "Beta"}};
    for (const QStringList &row : rows) {
        Contact contact;
        contact.id = row.at(0);
        contact.name = row.at(1);
        contact.surname = row.at(2);
        store.insertContact(&contact);
    }
}

ContactsProxyModel *tst_SceneSetup::sceneView(const SceneSetup &setup)
{
    QQuickItem *root = setup.viewer()->rootObject();
    return root ? root->findChild<ContactsProxyModel *>() : nullptr;
}

ContactsModel *tst_SceneSetup::sceneModel(const SceneSetup &setup)
{
    QQuickItem *root = setup.viewer()->rootObject();
    return root ? root->findChild<ContactsModel *>() : nullptr;
}

void tst_SceneSetup::showContactSelectsContactAfterLoad()
{
    seedDatabase();
    SceneSetup setup(nullptr, QStringLiteral("42"), false, false);
    ContactsProxyModel *view = sceneView(setup);
    QVERIFY(view);
    // The scene had loaded and sorted its contacts, and then selected the
    // requested one, which is not the first row.
    QCOMPARE(view->rowCount(), 3);
    QCOMPARE(view->data(view->index(0, 0), ContactsModel::IdRole).toString(), QStringLiteral("41"));
    QTRY_COMPARE(view->currentIndex(), 1);
    QCOMPARE(view->currentData(ContactsModel::IdRole).toString(), QStringLiteral("42"));

    // A later message through the window selects another contact.
    setup.viewer()->processAppMessage(QStringLiteral("contactId 43"));
    QTRY_COMPARE(view->currentData(ContactsModel::IdRole).toString(), QStringLiteral("43"));
}

void tst_SceneSetup::sceneContactsSurviveRestart_data()
{
    QTest::addColumn<bool>("databaseUnopenable");
    QTest::newRow("SQLite file") << false;
    QTest::newRow("settings store, directory in place of the file") << true;
}

void tst_SceneSetup::sceneContactsSurviveRestart()
{
    QFETCH(bool, databaseUnopenable);
    if (databaseUnopenable) {
        QVERIFY(QDir().mkpath(databasePath()));
    }
    {
        SceneSetup setup(nullptr, QString(), false, false);
        QCOMPARE(setup.activeStore() == setup.settingsStore(), databaseUnopenable);
        ContactsModel *model = sceneModel(setup);
        QVERIFY(model);
        QCOMPARE(model->rowCount(), 0);
        Contact contact;
        contact.name = QStringLiteral("Olga");
        contact.surname = QStringLiteral("Petrova");
        contact.emailList = QStringList{QStringLiteral("olga@example.org")};
        contact.emailGroupList = QStringList{QStringLiteral("Work")};
        model->addContact(&contact, QString());
        QCOMPARE(model->rowCount(), 1);
    }
    SceneSetup again(nullptr, QString(), false, false);
    QCOMPARE(again.activeStore() == again.settingsStore(), databaseUnopenable);
    ContactsProxyModel *view = sceneView(again);
    QVERIFY(view);
    QCOMPARE(view->rowCount(), 1);
    const QModelIndex row = view->index(0, 0);
    QCOMPARE(view->data(row, ContactsModel::FullNameRole).toString(),
             QStringLiteral("Petrova Olga"));
    QCOMPARE(view->data(row, ContactsModel::EmailListRole).toStringList(),
             QStringList{QStringLiteral("olga@example.org")});
    QCOMPARE(QFileInfo(databasePath()).isDir(), databaseUnopenable);
}

void tst_SceneSetup::sceneSeesTabletMode()
{
    SceneSetup desktop(nullptr, QString(), false, false);
    QCOMPARE(desktop.viewer()->rootObject()->property("itemHeight").toReal(), 50.0);
    SceneSetup tablet(nullptr, QString(), false, true);
    QCOMPARE(tablet.viewer()->rootObject()->property("itemHeight").toReal(), 80.0);
}

KIV_TEST_MAIN(tst_SceneSetup)
#include "tst_scenesetup.moc"

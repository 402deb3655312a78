#include "app/scenesetup.h"

#include "app/birthdayvalidator.h"
#include "app/contactsimageprovider.h"
#include "app/customqtquick2applicationviewer.h"
#include "app/desktopidentity.h"
#include "app/filedialog.h"
#include "app/kivintegration.h"
#include "app/phonevalidator.h"
#include "app/qtsingleapplication.h"
#include "app/windowgeometry.h"
#include "importexport/importexport.h"
#include "model/contactsmodel.h"
#include "model/contactsproxymodel.h"
#include "model/duplicatesmodel.h"
#include "record/contact.h"
#include "storage/database.h"
#include "storage/defaultdatabase.h"
#include "storage/sqlitedatabase.h"
#include "sync/carddavaccount.h"

#include <QCoreApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QUrl>
#include <QtQml>

namespace {

// The C++ types the scenes create by name.
void registerSceneTypes()
{
    qRegisterMetaType<Contact *>("Contact");
    qmlRegisterType<ContactsModel>("ContactsModelBackend", 1, 0, "ContactsModel");
    qmlRegisterType<ContactsProxyModel>("ContactsProxyModelBackend", 1, 0, "ContactsProxyModel");
    qmlRegisterType<DuplicatesModel>("ContactsModelBackend", 1, 0, "DuplicatesModel");
    qmlRegisterType<PhoneValidator>("ContactsModelBackend", 1, 0, "PhoneValidator");
    qmlRegisterType<BirthdayValidator>("ContactsModelBackend", 1, 0, "BirthdayValidator");
    qmlRegisterType<FileDialog>("FileDialogBackend", 1, 0, "FileDialog");
    qmlRegisterType<ImportExport>("ImportExportBackend", 1, 0, "ImportExport");
}

} // namespace

SceneSetup::SceneSetup(QtSingleApplication *app, const QString &contactId, bool lowEffects,
                       bool tabletMode)
{
    openStores();

    // Sync works on the address book file; with the settings-file store the
    // account only says that it cannot sync.
    m_cardDavAccount = std::make_unique<CardDavAccount>(
            m_activeStore == m_sqliteStore.get() ? m_sqliteStore.get() : nullptr);

    auto provider = std::make_unique<ContactsImageProvider>();
    provider->setDataBase(m_activeStore);

    registerSceneTypes();
    createWindow();
    publishContextProperties(lowEffects, tabletMode);

    // The engine owns the provider from here on.
    m_viewer->engine()->addImageProvider(QStringLiteral("ContactsImageProvider"),
                                         provider.release());

    // Loading is synchronous: the scene's start-up handlers have run when this
    // returns, so the scene is ready for showContact.
    m_viewer->setSource(QUrl(QStringLiteral("qrc:///qml/main.qml")));

    if (!contactId.isEmpty()) {
        emit m_viewer->showContact(contactId);
    }
    if (app) {
        QObject::connect(app, &QtSingleApplication::messageReceived, m_viewer.get(),
                         &CustomQtQuick2ApplicationViewer::processAppMessage);
    }
}

void SceneSetup::openStores()
{
    m_settingsStore = std::make_unique<DefaultDatabase>();
    m_sqliteStore = std::make_unique<SqliteDatabase>();
    // An empty name opens the default database file. A file locked by
    // another program is waited for (the store says so); only a file that
    // cannot be created or opened at all leaves the contacts of this run to
    // the settings file, and the window says that too.
    if (m_sqliteStore->open(QString()) || m_sqliteStore->isWaitingForFile()) {
        m_activeStore = m_sqliteStore.get();
    } else {
        m_activeStore = m_settingsStore.get();
        m_settingsStore->setStatusMessage(QCoreApplication::translate(
                "SceneSetup",
                "The address book file cannot be opened: contacts are kept in the settings "
                "file for now."));
    }
}

void SceneSetup::createWindow()
{
    m_viewer = std::make_unique<CustomQtQuick2ApplicationViewer>();
    m_viewer->setTitle(QCoreApplication::translate("QObject", "Contacts"));
    m_viewer->setIcon(DesktopIdentity::windowIcon());
    m_viewer->setFlags(m_viewer->flags() | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                       | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
}

void SceneSetup::publishContextProperties(bool lowEffects, bool tabletMode)
{
    QQmlContext *context = m_viewer->rootContext();
    context->setContextProperty(QStringLiteral("tabletMode"), tabletMode);
    context->setContextProperty(QStringLiteral("debug"), false);
    context->setContextProperty(QStringLiteral("viewer"), m_viewer.get());
    context->setContextProperty(QStringLiteral("db"), m_activeStore);
    context->setContextProperty(QStringLiteral("lowEffects"), lowEffects);
    context->setContextProperty(QStringLiteral("carddav"), m_cardDavAccount.get());
}

SceneSetup::~SceneSetup() = default;

CustomQtQuick2ApplicationViewer *SceneSetup::viewer() const
{
    return m_viewer.get();
}

DataBase *SceneSetup::activeStore() const
{
    return m_activeStore;
}

DataBase *SceneSetup::sqliteStore() const
{
    return m_sqliteStore.get();
}

DataBase *SceneSetup::settingsStore() const
{
    return m_settingsStore.get();
}

void SceneSetup::showWindow()
{
    if (kivInTabletMode()) {
        m_viewer->showMaximized();
    } else {
        WindowGeometry::restoreAndShow(m_viewer.get());
    }
}

int SceneSetup::exec()
{
    showWindow();
    return QCoreApplication::exec();
}

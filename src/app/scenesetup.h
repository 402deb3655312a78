#pragma once

#include <QString>

#include <memory>

class CardDavAccount;
class CustomQtQuick2ApplicationViewer;
class DataBase;
class DefaultDatabase;
class QtSingleApplication;
class SqliteDatabase;

// The first instance's set-up of the running system, in a fixed order: the
// stores and the active one, the photo provider, the scene types, the window
// with its context properties and the main scene, and the single-instance
// channel. Destroying it tears down the window first, then the stores.
class SceneSetup
{
public:
    // app may be null (no single-instance channel is connected then).
    SceneSetup(QtSingleApplication *app, const QString &contactId, bool lowEffects,
               bool tabletMode);
    ~SceneSetup();

    SceneSetup(const SceneSetup &) = delete;
    SceneSetup &operator=(const SceneSetup &) = delete;

    CustomQtQuick2ApplicationViewer *viewer() const;
    // The store the scenes use (published as `db`).
    DataBase *activeStore() const;
    // Both stores exist for the whole run, even though only one is used.
    DataBase *sqliteStore() const;
    DataBase *settingsStore() const;

    // Shows the window, maximised when the desktop is in tablet mode, else
    // where it was last time.
    void showWindow();
    // Shows the window and runs the event loop until the window closes.
    int exec();

private:
    // Opens the SQLite store and makes it the active one, or the settings
    // store when the address book file cannot be opened at all.
    void openStores();
    // The window, titled, with its icon and its frame's buttons.
    void createWindow();
    // The context properties the main scene and its components use.
    void publishContextProperties(bool lowEffects, bool tabletMode);

    // Declared in creation order, so that members are destroyed in reverse:
    // window first, then the sync account, then the SQLite store, then the
    // settings store.
    std::unique_ptr<DefaultDatabase> m_settingsStore;
    std::unique_ptr<SqliteDatabase> m_sqliteStore;
    DataBase *m_activeStore = nullptr;
    // Destroyed after the window, whose scenes use it, and before the stores.
    std::unique_ptr<CardDavAccount> m_cardDavAccount;
    std::unique_ptr<CustomQtQuick2ApplicationViewer> m_viewer;
};

#pragma once

#include "sync/davdiscovery.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariantList>

class CardDavSync;
class SqliteDatabase;

// The CardDAV account of the settings form: server address, user name and
// the chosen address book in the settings file, the password in the
// desktop's secret store (QtKeychain), never in a file. Without a secret
// store the password is asked for at each start and kept in memory only.
//
// Sync runs at start, a few seconds after local changes, every 15 minutes
// and on syncNow(); a request during a run starts another run after it.
//
// The last run's failure stays named (lastError) until a run succeeds, for
// the main window. Conflict copies the sync made are told once (conflictNote
// until acknowledged), and each copy and its original are listed
// (conflictIds) while both exist, so that the person can keep one.
class CardDavAccount : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString serverUrl READ serverUrl NOTIFY accountChanged)
    Q_PROPERTY(QString userName READ userName NOTIFY accountChanged)
    Q_PROPERTY(QString addressBookName READ addressBookName NOTIFY accountChanged)
    Q_PROPERTY(bool configured READ isConfigured NOTIFY accountChanged)
    Q_PROPERTY(QStringList addressBooks READ addressBooks NOTIFY addressBooksChanged)
    Q_PROPERTY(QString foundOn READ foundOn NOTIFY addressBooksChanged)
    Q_PROPERTY(bool needsPassword READ needsPassword NOTIFY passwordStateChanged)
    Q_PROPERTY(QString passwordNote READ passwordNote NOTIFY passwordStateChanged)
    Q_PROPERTY(bool busy READ isBusy NOTIFY statusChanged)
    Q_PROPERTY(qreal progress READ progress NOTIFY statusChanged)
    Q_PROPERTY(QString status READ status NOTIFY statusChanged)
    Q_PROPERTY(QString lastError READ lastError NOTIFY statusChanged)
    Q_PROPERTY(QStringList conflictIds READ conflictIds NOTIFY conflictsChanged)
    Q_PROPERTY(QString conflictNote READ conflictNote NOTIFY conflictsChanged)

public:
    static constexpr int IntervalMs = 15 * 60 * 1000;
    static constexpr int DebounceMs = 3000;

    // Without a store (the address book file could not be opened) nothing
    // is synced and the status says why.
    explicit CardDavAccount(SqliteDatabase *store, QObject *parent = nullptr);
    ~CardDavAccount() override;

    QString serverUrl() const { return m_serverUrl; }
    QString userName() const { return m_userName; }
    QString addressBookName() const { return m_bookName; }
    bool isConfigured() const { return !m_bookUrl.isEmpty(); }
    QStringList addressBooks() const;
    bool needsPassword() const { return m_needsPassword; }
    QString passwordNote() const { return m_passwordNote; }
    bool isBusy() const;
    qreal progress() const;
    QString status() const { return m_status; }
    QString lastError() const { return m_lastError; }
    QStringList conflictIds() const { return m_conflictIds; }
    QString conflictNote() const;

    // Whether the password would go to this address without TLS. Loopback
    // addresses are exempt: what goes there never leaves the machine.
    Q_INVOKABLE static bool isUnencrypted(const QString &serverUrl);
    // Where the address books were found, as "http://host:port".
    QString foundOn() const;

    // True while the password is on its way to the secret store.
    bool isStoringPassword() const { return m_storing > 0; }

    // The service and key under which the password is kept.
    static QString keychainService();
    QString keychainKey() const;

public slots:
    // Finds the address books of the account; addressBooks lists them.
    void discover(const QString &serverUrl, const QString &userName, const QString &password);
    // Takes the found address book as the account's, saves the account and
    // syncs.
    void chooseAddressBook(int index);
    // The password asked for at start when the secret store has none.
    void setPassword(const QString &password);
    void syncNow();
    // "Sync now" with the password field of the form: a password typed there
    // replaces the one in use (and in the secret store) before the run.
    void syncWithPassword(const QString &password);
    // A contact was added, changed or removed here: the changes go up in a
    // moment.
    void localChanged();

    // The other version of a conflict: the original of a copy, or the copy
    // of an original; empty when the contact has none.
    QString conflictPartner(const QString &contactId) const;
    // Whether the contact is the conflict copy (the version made here).
    bool isConflictCopy(const QString &contactId) const;
    // The person has read the conflict note.
    void acknowledgeConflicts();

    // What the sync stored and removed since the last call, for the lists:
    // a bounded share of the stored contacts (Contact objects that live until
    // the event loop runs again; contactsChanged() comes again while more
    // are left) and the ids of the removed ones.
    QVariantList takeStoredContacts();
    QStringList takeRemovedIds();

signals:
    void accountChanged();
    void addressBooksChanged();
    void passwordStateChanged();
    void statusChanged();
    // The sync changed stored contacts: the lists take the changes.
    void contactsChanged();
    // A run ended; error is empty after a success.
    void syncFinished(const QString &error);
    void conflictsChanged();

private:
    void readPassword();
    void storePassword();
    void setStatus(const QString &status);
    void setPasswordState(bool needed, const QString &note);
    void onSyncFinished(const QString &error);
    // A run both ways, or one that only sends the changes made here.
    void run(bool pushOnly);
    bool updateConflicts();

    SqliteDatabase *m_store;
    CardDavSync *m_sync = nullptr;
    DavDiscovery m_discovery;
    QList<DavAddressBook> m_found;
    QString m_serverUrl;
    QString m_userName;
    QString m_password;
    QString m_bookUrl;
    QString m_bookName;
    bool m_needsPassword = false;
    bool m_discovering = false;
    bool m_runAgain = false;
    int m_storing = 0;
    QString m_passwordNote;
    QString m_status;
    QString m_lastError;
    QList<QPair<qint64, qint64>> m_conflicts;
    QStringList m_conflictIds;
    int m_conflictsToTell = 0;
    QTimer m_interval;
    QTimer m_debounce;
};

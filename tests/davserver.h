#pragma once

#include "sync/davclient.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

// A real server for the sync tests on 127.0.0.1 and a free port, with its
// storage in a temporary folder: Radicale with htpasswd users, Xandikos, a
// server that answers every request with 500, an HTTPS server whose
// certificate nobody signed, Radicale refusing the sync-collection report
// or cutting its full listings short, or Radicale behind a hostile front
// (tests/data/sync/hostile_server.py) with a second origin that catches what
// is sent there.
class DavServer
{
public:
    enum Kind {
        Radicale,
        Xandikos,
        Failing,
        Untrusted,
        RadicaleWithoutSyncReport,
        RadicaleCuttingListings,
        Hostile
    };

    // A quiet server's log is dropped (Xandikos logs every request).
    explicit DavServer(Kind kind, bool quiet = false);
    ~DavServer();

    // Starts the server and waits until it accepts connections.
    bool start();
    void kill();
    QUrl url() const;
    // The address book found (and when there is none created) by discovery;
    // again, after the address book was deleted, creates it anew.
    QUrl addressBook(bool again = false);
    // The number of cards in the address book; -1 when it cannot be listed.
    int cardCount();
    // Radicale's folder of the address book's cards, one file each: cards
    // written there are on the server as if uploaded.
    QString cardFolder();
    // Radicale's password for User from now on (it reads its users file at
    // each login).
    void setPassword(const QString &password);
    // A change on a device, "add:SURNAME NAME" or "comment:TEXT" (of the
    // first contact), in a store file of its own in the home directory, or
    // with an empty name in the program's file while it is not running; then
    // synced with the address book unless `sync` is false. The sync's error.
    QString changeOnDevice(const QString &file, const QString &change, bool sync = true);
    // Saves the address book as the program's account, as choosing it in
    // the settings does (the password is asked for at the next start).
    void saveAsAccount();
    // The hostile front's mode, and every request it and its catcher saw.
    bool setMode(const QByteArray &mode);
    QStringList requests();

    static const QString User;
    static const QString Password;

private:
    DavResponse hostile(const QByteArray &verb, const QByteArray &path);

    Kind m_kind;
    QTemporaryDir m_dir;
    bool launch();

    QProcess m_process;
    int m_port = 0;
    int m_catcherPort = 0;
    QUrl m_book;
};

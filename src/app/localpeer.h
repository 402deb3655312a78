#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;

// One end of the single-instance channel. All processes that share a key
// compete for a lock file; the one holding it is the primary and listens on a
// local socket, every other one is a client that can send it text messages.
// Lock and socket live in a directory that only the user can enter, and a
// lock, socket or peer process of another user is never obeyed. A primary
// that died leaves a stale lock and socket behind; both are taken over by the
// next process, so a crash never blocks later starts.
class LocalPeer : public QObject
{
    Q_OBJECT

public:
    explicit LocalPeer(const QString &key, QObject *parent = nullptr);
    ~LocalPeer() override;

    // The key for an executable run by the current user in the given home
    // directory. Different executables, users or homes never share a key.
    static QString keyFor(const QString &executablePath, const QString &homePath);

    QString key() const;
    // Full path of the local socket and of the lock file for this key.
    QString socketPath() const;
    QString lockPath() const;

    // True when another live process is the primary. Otherwise this peer
    // becomes (or already is) the primary and starts listening.
    bool isClient();
    // Sends one message to the primary and waits for its acknowledgement.
    // Returns whether the primary received it within timeoutMs. A primary that
    // is still starting up is waited for until the time is up.
    bool sendMessage(const QString &message, int timeoutMs);

signals:
    // Emitted in the primary, on the thread that owns this object, once per
    // received message.
    void messageReceived(const QString &message);

private:
    void acceptConnections();
    void readFrom(QLocalSocket *socket);

    QString m_key;
    QString m_directory;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};

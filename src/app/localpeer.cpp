#include "app/localpeer.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A message is sent as a 4-byte big-endian length followed by UTF-8 text; the
// primary answers with one acknowledgement byte once it has read the whole
// message.
const char ackByte = 'A';
const quint32 maxMessageBytes = 1024 * 1024;
const int frameHeaderBytes = 4;
// A client that connects and then sends nothing is dropped after this time,
// so that it cannot keep a connection of the primary open forever.
const int idleClientTimeoutMs = 10000;
// Pause between two connection attempts while the primary is starting.
const int reconnectPauseMs = 20;

// True when path is a real directory (not a link) of this user that nobody
// else can enter: only then may the lock and the socket live in it.
bool isPrivateDirectory(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode)
           && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// Creates the directory with mode 0700 when it is missing; true when it is
// then private. A directory someone else made under that name is refused.
bool makePrivateDirectory(const QString &path)
{
    ::mkdir(QFile::encodeName(path).constData(), 0700);
    return isPrivateDirectory(path);
}

// The session's runtime directory when it is private, else a per-user
// directory in the temporary one, else one in the home directory; empty when
// none of them can be used.
QString peerDirectory()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateDirectory(runtime)) {
        return QFileInfo(runtime).absoluteFilePath();
    }
    const QString user = QString::number(static_cast<qulonglong>(::geteuid()));
    // QDir::tempPath() is empty when TMPDIR names a missing directory.
    const QString temp = QDir::tempPath().isEmpty() ? QStringLiteral("/tmp") : QDir::tempPath();
    const QString perUser = temp + QStringLiteral("/kiv-contacts-") + user;
    if (makePrivateDirectory(perUser)) {
        return perUser;
    }
    const QString cache = QDir::homePath() + QStringLiteral("/.cache");
    QDir().mkpath(cache);
    const QString inHome = cache + QStringLiteral("/kiv-contacts-runtime-") + user;
    return makePrivateDirectory(inHome) ? inHome : QString();
}

// Removes a file at path that is not this user's own or not of the expected
// type: something planted there is never obeyed.
void removeIfForeign(const QString &path, mode_t type)
{
    struct stat info;
    const QByteArray name = QFile::encodeName(path);
    if (::lstat(name.constData(), &info) == 0
        && (info.st_uid != ::geteuid() || (info.st_mode & S_IFMT) != type)) {
        ::unlink(name.constData());
    }
}

// True when the process at the other end of a connected local socket runs as
// this user.
bool peerIsSameUser(const QLocalSocket &socket)
{
    struct ucred credentials;
    socklen_t size = sizeof(credentials);
    return ::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials,
                        &size)
                   == 0
           && credentials.uid == ::geteuid();
}

// Closes a connection at once and frees what it buffered.
void drop(QLocalSocket *socket)
{
    socket->abort();
    socket->deleteLater();
}

QString canonicalOrClean(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(path).absolutePath()) : canonical;
}

} // namespace

LocalPeer::LocalPeer(const QString &key, QObject *parent)
    : QObject(parent),
      m_key(key),
      m_directory(peerDirectory())
{
}

LocalPeer::~LocalPeer()
{
    if (m_server) {
        m_server->close();
    }
    if (m_lock) {
        m_lock->unlock();
    }
}

QString LocalPeer::keyFor(const QString &executablePath, const QString &homePath)
{
    const QByteArray identity = canonicalOrClean(executablePath).toUtf8() + '\n'
                                + QByteArray::number(static_cast<qulonglong>(::getuid())) + '\n'
                                + canonicalOrClean(homePath).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(identity, QCryptographicHash::Sha1).toHex();
    return QStringLiteral("kiv-single-") + QString::fromLatin1(hash.left(24));
}

QString LocalPeer::key() const
{
    return m_key;
}

QString LocalPeer::socketPath() const
{
    return m_directory + QLatin1Char('/') + m_key;
}

QString LocalPeer::lockPath() const
{
    return m_directory + QLatin1Char('/') + m_key + QStringLiteral(".lock");
}

bool LocalPeer::isClient()
{
    if (m_server || m_directory.isEmpty()) {
        // Without a private directory there is no safe place for a lock:
        // this process runs on its own rather than not at all.
        return false;
    }
    if (!m_lock) {
        removeIfForeign(lockPath(), S_IFREG);
        m_lock = std::make_unique<QLockFile>(lockPath());
        // The primary may run for days: its lock must never expire by age.
        // A lock whose process is gone is still recognised as stale.
        m_lock->setStaleLockTime(0);
    }
    if (!m_lock->tryLock(0) && m_lock->error() == QLockFile::LockFailedError) {
        return true;
    }
    // Either we hold the lock, or no lock can be made at all (for example an
    // unusable directory). Refusing to start would leave the user with no
    // program, so in the second case this process runs as the primary too.
    // Any socket left at our path belongs to a primary that died without
    // cleaning up.
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &LocalPeer::acceptConnections);
    m_server->listen(socketPath());
    return false;
}

bool LocalPeer::sendMessage(const QString &message, int timeoutMs)
{
    if (!isClient()) {
        return false;
    }
    const QByteArray payload = message.toUtf8();
    if (static_cast<quint32>(payload.size()) > maxMessageBytes) {
        return false;
    }

    QDeadlineTimer deadline(qMax(0, timeoutMs));
    QLocalSocket socket;
    for (;;) {
        removeIfForeign(socketPath(), S_IFSOCK);
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(qMax(1, int(deadline.remainingTime())))) {
            if (peerIsSameUser(socket)) {
                break;
            }
            return false;
        }
        socket.abort();
        if (deadline.hasExpired()) {
            return false;
        }
        // The lock is held but the primary is not listening yet.
        QThread::msleep(qMin<qint64>(reconnectPauseMs, deadline.remainingTime()));
    }

    QByteArray frame(frameHeaderBytes, '\0');
    qToBigEndian<quint32>(payload.size(), frame.data());
    frame += payload;
    socket.write(frame);
    while (socket.bytesToWrite() > 0) {
        if (deadline.hasExpired()
            || !socket.waitForBytesWritten(qMax(1, int(deadline.remainingTime())))) {
            return false;
        }
    }
    while (socket.bytesAvailable() < 1) {
        if (deadline.hasExpired()
            || !socket.waitForReadyRead(qMax(1, int(deadline.remainingTime())))) {
            return false;
        }
    }
    char ack = 0;
    const bool delivered = socket.getChar(&ack) && ack == ackByte;
    socket.disconnectFromServer();
    return delivered;
}

void LocalPeer::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        if (!peerIsSameUser(*socket)) {
            drop(socket);
            continue;
        }
        // The longest message is buffered, never more.
        socket->setReadBufferSize(frameHeaderBytes + maxMessageBytes);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(idleClientTimeoutMs, socket, [socket] { drop(socket); });
        // Data may have arrived together with the connection.
        if (socket->bytesAvailable() > 0) {
            readFrom(socket);
        }
    }
}

void LocalPeer::readFrom(QLocalSocket *socket)
{
    if (socket->bytesAvailable() < frameHeaderBytes) {
        return;
    }
    char header[frameHeaderBytes];
    socket->peek(header, frameHeaderBytes);
    const quint32 length = qFromBigEndian<quint32>(header);
    if (length > maxMessageBytes) {
        drop(socket);
        return;
    }
    if (socket->bytesAvailable() < frameHeaderBytes + qint64(length)) {
        return;
    }
    socket->read(frameHeaderBytes);
    const QString message = QString::fromUtf8(socket->read(length));
    // One message per connection: the connection closes once the
    // acknowledgement is out, and anything sent after the message is dropped.
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    connect(socket, &QLocalSocket::readyRead, socket, [socket] { socket->readAll(); });
    socket->write(&ackByte, 1);
    socket->disconnectFromServer();
    emit messageReceived(message);
}

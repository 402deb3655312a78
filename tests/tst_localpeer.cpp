#include "app/localpeer.h"

#include "testsupport.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QLockFile>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtEndian>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// The single-instance channel within one process, against bad clients and
// locks planted by other users. A threaded primary answers where a client
// blocks its own thread while it sends.
class tst_LocalPeer : public QObject
{
    Q_OBJECT

private slots:
    void sendGivesUpWhenPrimaryDoesNotListen();
    void badClientsDoNotBlockTheChannel();
    void unusableLockDirectoryStillStarts();
    void foreignLockIsIgnored_data();
    void foreignLockIsIgnored();
    void greedyClientIsDropped_data();
    void greedyClientIsDropped();

private:
    QString uniqueKey();
};

namespace {

const uid_t otherUser = 65534;

// Runs `plant` in a child process that has become another user.
bool asOtherUser(const std::function<void()> &plant)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(otherUser) != 0 || ::setuid(otherUser) != 0) {
            ::_exit(1);
        }
        plant();
        ::_exit(0);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)
           && WEXITSTATUS(status) == 0;
}

// Without XDG_RUNTIME_DIR, the lock lives in TMPDIR, here `dir`, while this lives.
class SharedTemp
{
public:
    explicit SharedTemp(const QString &dir)
    {
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", dir.toUtf8());
    }
    ~SharedTemp()
    {
        m_runtime.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", m_runtime);
        m_tmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", m_tmp);
    }

private:
    const QByteArray m_runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray m_tmp = qgetenv("TMPDIR");
};

// A lock file that names this very process, so that it looks alive.
void writeLiveLock(const QByteArray &path)
{
    const QByteArray content = QByteArray::number(qint64(::getpid())) + '\n'
                               + QCoreApplication::applicationName().toUtf8() + '\n'
                               + QSysInfo::machineHostName().toUtf8() + '\n';
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, content.constData(), size_t(content.size())) != content.size()) {
        ::_exit(2);
    }
    ::close(fd);
}

QByteArray frame(const QByteArray &payload, quint32 length)
{
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(length, bytes.data());
    return bytes + payload;
}

// A primary on its own thread; received messages are collected on the test's
// thread.
class ThreadedPrimary
{
public:
    explicit ThreadedPrimary(const QString &key)
    {
        m_thread.start();
        m_peer = new LocalPeer(key);
        m_peer->moveToThread(&m_thread);
        QObject::connect(m_peer, &LocalPeer::messageReceived, &m_receiver,
                         [this](const QString &message) { received.append(message); });
        QMetaObject::invokeMethod(
                m_peer, [this] { client = m_peer->isClient(); }, Qt::BlockingQueuedConnection);
    }
    ~ThreadedPrimary()
    {
        QMetaObject::invokeMethod(
                m_peer, [this] { delete m_peer; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    LocalPeer *peer() const { return m_peer; }

    QStringList received;
    bool client = true;

private:
    QThread m_thread;
    QObject m_receiver;
    LocalPeer *m_peer = nullptr;
};

} // namespace

QString tst_LocalPeer::uniqueKey()
{
    static int counter = 0;
    return LocalPeer::keyFor(QCoreApplication::applicationFilePath(),
                             QDir::homePath() + QStringLiteral("/peer")
                                     + QString::number(++counter));
}

void tst_LocalPeer::sendGivesUpWhenPrimaryDoesNotListen()
{
    // A lock held by a live process that never listens: the sender must give
    // up after its timeout instead of hanging.
    const QString key = uniqueKey();
    LocalPeer sender(key);
    QLockFile lock(sender.lockPath());
    lock.setStaleLockTime(0);
    QVERIFY(lock.tryLock(0));

    QElapsedTimer timer;
    timer.start();
    QVERIFY(!sender.sendMessage(QStringLiteral("raise"), 300));
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(sender.isClient());
}

void tst_LocalPeer::badClientsDoNotBlockTheChannel()
{
    const QString key = uniqueKey();
    ThreadedPrimary primary(key);
    QVERIFY(!primary.client);

    // A client that connects and stays silent (one that lies about its
    // length is dropped: greedyClientIsDropped).
    QLocalSocket silent;
    silent.connectToServer(primary.peer()->socketPath());
    QVERIFY(silent.waitForConnected(5000));

    LocalPeer sender(key);
    QVERIFY(sender.sendMessage(QStringLiteral("contactId 17"), 5000));
    QTRY_COMPARE(primary.received, QStringList{QStringLiteral("contactId 17")});
}

void tst_LocalPeer::unusableLockDirectoryStillStarts()
{
    // No lock file can be made in the temporary directory: the process must
    // still become a primary rather than wait for one that can never exist.
    // A file where the directory should be: nothing can be created in it,
    // not even by the superuser.
    const SharedTemp temp(writeFile(QDir::homePath() + "/not-a-directory", ""));
    QVERIFY(!LocalPeer(uniqueKey()).isClient());
}

void tst_LocalPeer::foreignLockIsIgnored_data()
{
    QTest::addColumn<bool>("squatDirectory");
    QTest::newRow("lock in the shared directory") << false;
    QTest::newRow("per-user directory made by someone else") << true;
}

void tst_LocalPeer::foreignLockIsIgnored()
{
    QFETCH(bool, squatDirectory);
    if (::geteuid() != 0) {
        QSKIP("needs root to act as a second user");
    }
    QTemporaryDir shared;
    QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
    const SharedTemp temp(shared.path());

    const QString key = LocalPeer::keyFor(QCoreApplication::applicationFilePath(),
                                          QDir::homePath() + QStringLiteral("/other"));
    const QByteArray dir = QFile::encodeName(shared.path() + QStringLiteral("/kiv-contacts-")
                                             + QString::number(::geteuid()));
    const QByteArray lockDir = squatDirectory ? dir : QFile::encodeName(shared.path());
    QVERIFY(asOtherUser([&] {
        if (squatDirectory && ::mkdir(dir.constData(), 0777) != 0) {
            ::_exit(3);
        }
        ::chmod(lockDir.constData(), squatDirectory ? 0777 : 01777);
        writeLiveLock(lockDir + '/' + key.toUtf8() + ".lock");
    }));

    LocalPeer primary(key);
    QVERIFY(!primary.isClient());
    QVERIFY2(QFileInfo(primary.lockPath()).absolutePath() != QFile::decodeName(lockDir),
             qPrintable(primary.lockPath()));
    QVERIFY(LocalPeer(key).isClient());
}

void tst_LocalPeer::greedyClientIsDropped_data()
{
    QTest::addColumn<QByteArray>("opening");
    QTest::addColumn<int>("messages");
    QTest::newRow("keeps sending after its message") << frame("raise", 5) << 1;
    QTest::newRow("announces more than the limit") << frame(QByteArray(), 2u << 20) << 0;
}

void tst_LocalPeer::greedyClientIsDropped()
{
    QFETCH(QByteArray, opening);
    QFETCH(int, messages);
    LocalPeer primary(LocalPeer::keyFor(QStringLiteral("/greedy"), QDir::homePath()));
    QVERIFY(!primary.isClient());
    QSignalSpy received(&primary, &LocalPeer::messageReceived);

    QLocalSocket client;
    client.connectToServer(primary.socketPath());
    QVERIFY(client.waitForConnected(5000));
    client.write(opening);
    const QByteArray chunk(64 * 1024, 'x');
    qint64 sent = 0;
    // Up to 64 MiB more, as fast as the primary takes it.
    while (client.state() == QLocalSocket::ConnectedState && sent < (64 << 20)) {
        if (client.bytesToWrite() < chunk.size()) {
            sent += client.write(chunk);
        }
        QCoreApplication::processEvents();
    }
    QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
    QVERIFY2(sent < (64 << 20), "the primary kept reading");
    QCOMPARE(received.count(), messages);
}

KIV_TEST_GUILESS_MAIN(tst_LocalPeer)
#include "tst_localpeer.moc"

#include "app/localpeer.h"

#include "testsupport.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

// The single-instance channel within one process: the primary runs on a
// worker thread, because a client blocks its own thread while it sends.
class tst_LocalPeer : public QObject
{
    Q_OBJECT

private slots:
    void sendGivesUpWhenPrimaryDoesNotListen();
    void badClientsDoNotBlockTheChannel();
    void unusableLockDirectoryStillStarts();

private:
    QString uniqueKey();
};

namespace {

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

    // One client announces an absurd length, another connects and stays silent.
    QLocalSocket liar;
    liar.connectToServer(primary.peer()->socketPath());
    QVERIFY(liar.waitForConnected(5000));
    liar.write(QByteArray("\xff\xff\xff\xff", 4));
    QVERIFY(liar.waitForBytesWritten(5000));
    QLocalSocket silent;
    silent.connectToServer(primary.peer()->socketPath());
    QVERIFY(silent.waitForConnected(5000));

    LocalPeer sender(key);
    QVERIFY(sender.sendMessage(QStringLiteral("contactId 17"), 5000));
    QTRY_COMPARE(primary.received, QStringList{QStringLiteral("contactId 17")});
    // The liar has been dropped.
    QTRY_COMPARE(liar.state(), QLocalSocket::UnconnectedState);
}

void tst_LocalPeer::unusableLockDirectoryStillStarts()
{
    // No lock file can be made in the temporary directory: the process must
    // still become a primary rather than wait for one that can never exist.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray tmp = qgetenv("TMPDIR");
    qunsetenv("XDG_RUNTIME_DIR");
    // A file where the directory should be: nothing can be created in it,
    // not even by the superuser.
    const QString notADirectory = QDir::homePath() + QStringLiteral("/not-a-directory");
    QFile(notADirectory).open(QIODevice::WriteOnly);
    qputenv("TMPDIR", notADirectory.toUtf8());
    LocalPeer peer(uniqueKey());
    const bool client = peer.isClient();
    qputenv("TMPDIR", tmp);
    if (runtime.isNull()) {
        qunsetenv("XDG_RUNTIME_DIR");
    } else {
        qputenv("XDG_RUNTIME_DIR", runtime);
    }
    if (tmp.isNull()) {
        qunsetenv("TMPDIR");
    }
    QVERIFY(!client);
}

KIV_TEST_GUILESS_MAIN(tst_LocalPeer)
#include "tst_localpeer.moc"

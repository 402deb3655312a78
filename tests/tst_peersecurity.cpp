// The single-instance channel against other local users and bad clients: a
// lock planted by someone else never stops the program, and a client can
// neither make the primary buffer without limit nor keep its connection.

#include "app/localpeer.h"

#include "testsupport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

} // namespace

class tst_PeerSecurity : public QObject
{
    Q_OBJECT

private slots:
    void foreignLockIsIgnored_data();
    void foreignLockIsIgnored();
    void greedyClientIsDropped_data();
    void greedyClientIsDropped();
};

void tst_PeerSecurity::foreignLockIsIgnored_data()
{
    QTest::addColumn<bool>("squatDirectory");
    QTest::newRow("lock in the shared directory") << false;
    QTest::newRow("per-user directory made by someone else") << true;
}

void tst_PeerSecurity::foreignLockIsIgnored()
{
    QFETCH(bool, squatDirectory);
    if (::geteuid() != 0) {
        QSKIP("needs root to act as a second user");
    }
    QTemporaryDir shared;
    QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray tmp = qgetenv("TMPDIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", shared.path().toUtf8());

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
    const bool primaryIsClient = primary.isClient();
    LocalPeer second(key);
    const bool secondIsClient = second.isClient();
    qputenv("XDG_RUNTIME_DIR", runtime);
    tmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmp);

    QVERIFY(!primaryIsClient);
    QVERIFY2(QFileInfo(primary.lockPath()).absolutePath() != QFile::decodeName(lockDir),
             qPrintable(primary.lockPath()));
    QVERIFY(secondIsClient);
}

void tst_PeerSecurity::greedyClientIsDropped_data()
{
    QTest::addColumn<QByteArray>("opening");
    QTest::addColumn<int>("messages");
    QTest::newRow("keeps sending after its message") << frame("raise", 5) << 1;
    QTest::newRow("announces more than the limit") << frame(QByteArray(), 2u << 20) << 0;
}

void tst_PeerSecurity::greedyClientIsDropped()
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

KIV_TEST_GUILESS_MAIN(tst_PeerSecurity)
#include "tst_peersecurity.moc"

#include "app/customqtquick2applicationviewer.h"
#include "app/kivintegration.h"
#include "app/localpeer.h"
#include "app/startup.h"
#include "appx11.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QLockFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QQuickItem>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QSysInfo>
#include <QWidget>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// The real program seen through the X server and its single-instance channel.
class tst_Application : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { m_home = std::make_unique<QTemporaryDir>(); }
    void cleanup();
    void commandLine_data();
    void commandLine();
    void startsOnceAndRaises_data();
    void startsOnceAndRaises();
    void twoStartsElectOnePrimaryAndSurviveAKill();
    void unopenableDatabaseFallsBackToSettings();
    void windowAnswersMessagesAndKeys();
    void startsDetachedProcessWithUnchangedArguments();
    void startUpRules();
    void sendGivesUpWhenPrimaryDoesNotListen();
    void unusableLockDirectoryStillStarts();
    void foreignLockIsIgnored_data();
    void foreignLockIsIgnored();
    void greedyClientIsDropped_data();
    void greedyClientIsDropped();

private:
    QProcess *start(const QStringList &arguments, const QString &tablet = QString());
    bool finishes(QProcess *process);
    unsigned long waitForWindow(QProcess *process);
    static bool isTopmost(unsigned long window);
    bool primaryListens() const;
    QString key() const { return LocalPeer::keyFor(executable(), m_home->path()); }
    static QString executable() { return QStringLiteral(TEST_BINARY_DIR "/kiv-contacts"); }
    QString databasePath() const { return m_home->path() + "/.config/kiv-phone.sqlite"; }
    QStringList filesInHome() const;
    // Without XDG_RUNTIME_DIR, the lock lives in TMPDIR (until cleanup).
    static void useTempDir(const QString &dir)
    {
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", dir.toUtf8());
    }
    const QByteArray m_runtimeDir = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray m_tmpDir = qgetenv("TMPDIR");

    std::unique_ptr<QTemporaryDir> m_home;
    QList<QProcess *> m_processes;
};

void tst_Application::initTestCase()
{
    qRegisterMetaType<QProcess::ExitStatus>();
}

void tst_Application::cleanup()
{
    for (QProcess *process : qAsConst(m_processes)) {
        process->kill();
        process->waitForFinished(5000);
        delete process;
    }
    m_processes.clear();
    m_runtimeDir.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", m_runtimeDir);
    m_tmpDir.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", m_tmpDir);
}

QProcess *tst_Application::start(const QStringList &arguments, const QString &tablet)
{
    auto *process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString home = m_home->path();
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    env.insert("XDG_DATA_HOME", home + "/.local/share");
    env.insert("XDG_CACHE_HOME", home + "/.cache");
    env.insert("KIV_TABLET_MODE", tablet);
    process->setProcessEnvironment(env);
    process->start(executable(), arguments);
    m_processes.append(process);
    return process;
}

bool tst_Application::finishes(QProcess *process)
{
    // Keeps the event loop running: the test may be the primary that answers.
    QSignalSpy finished(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
    return process->state() == QProcess::NotRunning || finished.wait(20000);
}

unsigned long tst_Application::waitForWindow(QProcess *process)
{
    unsigned long window = 0;
    const auto found = [&] {
        for (unsigned long w : X11::windows()) {
            if (X11::property(w, "_NET_WM_PID").toLongLong() == process->processId())
                window = w;
        }
        return window != 0;
    };
    return QTest::qWaitFor(found, 20000) ? window : 0;
}

bool tst_Application::isTopmost(unsigned long window)
{
    const QList<unsigned long> windows = X11::windows();
    return !windows.isEmpty() && windows.last() == window;
}

// A bare socket never takes the lock itself, unlike a LocalPeer.
bool tst_Application::primaryListens() const
{
    QLocalSocket socket;
    socket.connectToServer(LocalPeer(key()).socketPath());
    return socket.waitForConnected(200);
}

QStringList tst_Application::filesInHome() const
{
    QStringList files;
    for (QDirIterator it(m_home->path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();)
        files.append(it.next());
    return files;
}

void tst_Application::commandLine_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("output");
    addRowsFromFile(TEST_DATA_DIR "/app/command-line.jsonl", "SIS");
}

// A start while the test is primary and a silent client connected; nothing written.
void tst_Application::commandLine()
{
    QFETCH(QString, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(QString, output);
    auto primary = std::make_unique<LocalPeer>(key());
    QVERIFY(!primary->isClient());
    QSignalSpy received(primary.get(), &LocalPeer::messageReceived);
    const QString lockPath = primary->lockPath();
    QLocalSocket silent;
    silent.connectToServer(primary->socketPath());
    QVERIFY(silent.waitForConnected(5000));
    if (message.isEmpty())
        primary.reset(); // help and errors end before taking the lock
    QProcess *process = start(arguments.isEmpty() ? QStringList() : arguments.split('|'));
    QVERIFY(finishes(process));
    QCOMPARE(process->exitCode(), exitCode);
    QTRY_COMPARE(primary ? received.value(0).value(0).toString() : QString(), message);
    QVERIFY(QString::fromUtf8(process->readAllStandardOutput() + process->readAllStandardError())
                    .contains(output));
    QCOMPARE(filesInHome(), QStringList());
    QCOMPARE(QFileInfo::exists(lockPath), !message.isEmpty());
}

void tst_Application::startsOnceAndRaises_data()
{
    QTest::addColumn<QString>("tablet");
    QTest::addColumn<bool>("maximised");
    addRowsFromFile(TEST_DATA_DIR "/app/starts.jsonl", "ST");
}

// The first start shows the window and database; a second one raises it and ends.
void tst_Application::startsOnceAndRaises()
{
    QFETCH(QString, tablet);
    QFETCH(bool, maximised);
    QProcess *primary = start({"-c", "42"}, tablet);
    const unsigned long window = waitForWindow(primary);
    QVERIFY(window);
    QCOMPARE(X11::property(window, "_NET_WM_NAME"), QStringLiteral("Contacts"));
    QVERIFY(QFileInfo(databasePath()).isFile());
    QCOMPARE(X11::property(window, "_NET_WM_STATE").contains("_NET_WM_STATE_MAXIMIZED_VERT"),
             maximised);
    QWidget cover;
    cover.resize(1280, 1024);
    cover.show();
    QTRY_VERIFY(isTopmost(cover.winId()));
    QProcess *second = start({"--contact-id", "42"});
    QVERIFY(finishes(second));
    QCOMPARE(second->exitCode(), 255);
    QTRY_VERIFY_WITH_TIMEOUT(isTopmost(window), 10000);
    QCOMPARE(primary->state(), QProcess::Running);
}

void tst_Application::twoStartsElectOnePrimaryAndSurviveAKill()
{
    QProcess *a = start({});
    QProcess *b = start({});
    QTRY_VERIFY_WITH_TIMEOUT(
            a->state() == QProcess::NotRunning || b->state() == QProcess::NotRunning, 20000);
    QProcess *loser = a->state() == QProcess::NotRunning ? a : b;
    QProcess *winner = loser == a ? b : a;
    QCOMPARE(loser->exitCode(), 255);
    QTRY_VERIFY_WITH_TIMEOUT(primaryListens(), 20000);
    // A killed primary leaves lock and socket behind; the next start still leads.
    winner->kill();
    QVERIFY(finishes(winner));
    QVERIFY(QFileInfo::exists(LocalPeer(key()).socketPath()));
    QVERIFY(!primaryListens());
    QProcess *next = start({});
    QTRY_VERIFY_WITH_TIMEOUT(primaryListens(), 20000);
    QCOMPARE(next->state(), QProcess::Running);
}

void tst_Application::unopenableDatabaseFallsBackToSettings()
{
    QVERIFY(QDir().mkpath(databasePath())); // SQLite cannot open a directory
    QProcess *program = start({});
    QVERIFY(waitForWindow(program));
    QCOMPARE(program->state(), QProcess::Running);
    QVERIFY(QDir(databasePath()).isEmpty());
}

// A message shows the contact, then raises or restores the window; F1 reaches help and scene.
void tst_Application::windowAnswersMessagesAndKeys()
{
    CustomQtQuick2ApplicationViewer viewer;
    viewer.setSource(QUrl::fromLocalFile(TEST_DATA_DIR "/app/KeyScene.qml"));
    viewer.show();
    viewer.requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(&viewer));
    QStringList log;
    connect(&viewer, &CustomQtQuick2ApplicationViewer::showContact, this,
            [&](const QString &id) { log << id + (isTopmost(viewer.winId()) ? " top" : ""); });
    QWidget cover;
    cover.show();
    QTRY_VERIFY(isTopmost(cover.winId()));
    viewer.processAppMessage("Raise");
    viewer.processAppMessage("contactId 17");
    QTRY_VERIFY(isTopmost(viewer.winId()));
    QCOMPARE(log, QStringList{"17"});
    viewer.setWindowStates(Qt::WindowMinimized);
    viewer.processAppMessage("raise");
    QVERIFY(!viewer.windowStates().testFlag(Qt::WindowMinimized));

    viewer.requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(&viewer));
    QLoggingCategory::setFilterRules("kiv.integration.debug=true");
    QTest::ignoreMessage(QtDebugMsg, "kivHelpLookForWidget");
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^kivHelpShow "));
    QTest::keyClick(&viewer, Qt::Key_A);
    QTest::keyClick(&viewer, Qt::Key_F1);
    QLoggingCategory::setFilterRules(QString());
    QCOMPARE(viewer.rootObject()->property("f1Presses").toInt(), 1);
    QCOMPARE(viewer.rootObject()->property("otherPresses").toInt(), 1);
}

void tst_Application::startsDetachedProcessWithUnchangedArguments()
{
    const QString out = m_home->filePath("out");
    // Writes its arguments and its parent's pid once the call has returned.
    const QString script = "while [ ! -e \"$0\" ]; do sleep 0.05; done; "
                           "printf '%s|%s|%s' \"$2\" \"$3\" \"$PPID\" > \"$1.tmp\" && mv "
                           "\"$1.tmp\" \"$1\"";
    CustomQtQuick2ApplicationViewer().startDetachedProcess(
            "/bin/sh", {"-c", script, m_home->filePath("go"), out, "--send-sms", "+7 'x' \"y\""});
    QVERIFY(!writeFile(m_home->filePath("go"), "").isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 10000);
    const QStringList parts = QString::fromUtf8(readFile(out)).split('|');
    QCOMPARE(parts.mid(0, 2), (QStringList{"--send-sms", "+7 'x' \"y\""}));
    QVERIFY(parts.value(2).toLongLong() != QCoreApplication::applicationPid()); // detached
}

void tst_Application::startUpRules()
{
    kivInit("1.0.0-5", "Contacts"); // the settings file of the earlier program
    QCOMPARE(QSettings().fileName(),
             qEnvironmentVariable("XDG_CONFIG_HOME") + "/kiv/Contacts.conf");
    for (const char *off : {"", " 0 ", "fAlSe"})
        QVERIFY2(!StartUp::lowEffects(off), off);
    for (const char *on : {"1", "no", "00"})
        QVERIFY2(StartUp::lowEffects(on), on);
}

void tst_Application::sendGivesUpWhenPrimaryDoesNotListen()
{
    LocalPeer sender(key());
    QLockFile lock(sender.lockPath()); // held by this live process, which never listens
    lock.setStaleLockTime(0);
    QVERIFY(lock.tryLock(0));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!sender.sendMessage(QStringLiteral("raise"), 300));
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(sender.isClient());
}

void tst_Application::unusableLockDirectoryStillStarts()
{
    // A file where the directory should be: nothing can be made in it, even by root.
    useTempDir(writeFile(m_home->filePath("not-a-directory"), ""));
    QVERIFY(!LocalPeer(key()).isClient());
}

void tst_Application::foreignLockIsIgnored_data()
{
    QTest::addColumn<bool>("squatDirectory");
    addRowsFromFile(TEST_DATA_DIR "/app/foreign-locks.jsonl", "T");
}

// Another user plants a lock that names this live process.
void tst_Application::foreignLockIsIgnored()
{
    QFETCH(bool, squatDirectory);
    if (::geteuid() != 0)
        QSKIP("needs root to act as a second user");
    QTemporaryDir shared;
    QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
    useTempDir(shared.path());
    const QByteArray dir =
            QFile::encodeName(shared.path() + "/kiv-contacts-") + QByteArray::number(::geteuid());
    const QByteArray lockDir = squatDirectory ? dir : QFile::encodeName(shared.path());
    const QByteArray content = QByteArray::number(qint64(::getpid())) + '\n'
                               + QCoreApplication::applicationName().toUtf8() + '\n'
                               + QSysInfo::machineHostName().toUtf8() + '\n';
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0
            || (squatDirectory && ::mkdir(dir.constData(), 0777) != 0))
            ::_exit(1);
        ::chmod(lockDir.constData(), squatDirectory ? 0777 : 01777);
        QFile lock(QFile::decodeName(lockDir + '/' + key().toUtf8() + ".lock"));
        ::_exit(lock.open(QIODevice::WriteOnly) && lock.write(content) == content.size() ? 0 : 2);
    }
    int status = 0;
    QVERIFY(child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)
            && WEXITSTATUS(status) == 0);
    LocalPeer primary(key());
    QVERIFY(!primary.isClient());
    QVERIFY2(QFileInfo(primary.lockPath()).absolutePath() != QFile::decodeName(lockDir),
             qPrintable(primary.lockPath()));
    QVERIFY(LocalPeer(key()).isClient());
}

void tst_Application::greedyClientIsDropped_data()
{
    QTest::addColumn<QByteArray>("opening");
    QTest::addColumn<int>("messages");
    addRowsFromFile(TEST_DATA_DIR "/app/greedy-clients.jsonl", "BI");
}

void tst_Application::greedyClientIsDropped()
{
    QFETCH(QByteArray, opening);
    QFETCH(int, messages);
    LocalPeer primary(key());
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
        if (client.bytesToWrite() < chunk.size())
            sent += client.write(chunk);
        QCoreApplication::processEvents();
    }
    QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
    QVERIFY2(sent < (64 << 20), "the primary kept reading");
    QCOMPARE(received.count(), messages);
}

KIV_TEST_MAIN(tst_Application)

#include "tst_application.moc"

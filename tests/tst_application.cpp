#include "app/localpeer.h"
#include "appx11.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

// The real program in a temporary home, seen from outside through the X
// server: its window, its state and how it answers a second start.
class tst_Application : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void firstStartShowsWindowAndCreatesDatabase();
    void secondStartRaisesRunningWindow_data();
    void secondStartRaisesRunningWindow();
    void tabletModeMaximisesWindow_data();
    void tabletModeMaximisesWindow();
    void unopenableDatabaseFallsBackToSettings();

private:
    QProcess *start(const QStringList &arguments,
                    const QProcessEnvironment &extra = QProcessEnvironment());
    unsigned long waitForWindow(QProcess *process);
    bool finishes(QProcess *process);
    QString databasePath() const;

    std::unique_ptr<QTemporaryDir> m_home;
    QList<QProcess *> m_processes;
};

void tst_Application::initTestCase()
{
    qRegisterMetaType<QProcess::ExitStatus>();
    QVERIFY(X11Windows().isValid());
}

void tst_Application::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    QVERIFY(QDir(m_home->path()).mkpath(QStringLiteral(".config")));
}

void tst_Application::cleanup()
{
    for (QProcess *process : qAsConst(m_processes)) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
        }
        delete process;
    }
    m_processes.clear();
    m_home.reset();
}

QString tst_Application::databasePath() const
{
    return m_home->path() + QStringLiteral("/.config/kiv-phone.sqlite");
}

QProcess *tst_Application::start(const QStringList &arguments, const QProcessEnvironment &extra)
{
    auto *process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString home = m_home->path();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    env.remove(QStringLiteral("KIV_TABLET_MODE"));
    env.insert(extra);
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral(TEST_BINARY_DIR "/kiv-contacts"), arguments);
    m_processes.append(process);
    return process;
}

unsigned long tst_Application::waitForWindow(QProcess *process)
{
    X11Windows x11;
    unsigned long window = 0;
    const bool done = QTest::qWaitFor(
            [&] {
                window = x11.windowOfProcess(process->processId());
                return window != 0 || process->state() == QProcess::NotRunning;
            },
            20000);
    return done ? window : 0;
}

bool tst_Application::finishes(QProcess *process)
{
    if (process->state() == QProcess::NotRunning) {
        return true;
    }
    QSignalSpy finished(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
    return process->state() == QProcess::NotRunning || finished.wait(20000);
}

void tst_Application::firstStartShowsWindowAndCreatesDatabase()
{
    QProcess *program = start({QStringLiteral("-c"), QStringLiteral("42")});
    const unsigned long window = waitForWindow(program);
    QVERIFY(window);
    QCOMPARE(X11Windows().title(window), QStringLiteral("Contacts"));
    QVERIFY(QFileInfo(databasePath()).isFile());
    QCOMPARE(program->state(), QProcess::Running);
}

void tst_Application::secondStartRaisesRunningWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("raise") << QStringList();
    QTest::newRow("contact id") << QStringList{QStringLiteral("--contact-id"),
                                               QStringLiteral("42")};
}

void tst_Application::secondStartRaisesRunningWindow()
{
    QFETCH(QStringList, arguments);
    X11Windows x11;
    QProcess *primary = start({});
    const unsigned long window = waitForWindow(primary);
    QVERIFY(window);

    QWidget cover;
    cover.setWindowTitle(QStringLiteral("cover"));
    cover.resize(1280, 1024);
    cover.show();
    QVERIFY(QTest::qWaitForWindowExposed(&cover));
    QTRY_VERIFY(x11.isTopmost(cover.winId()));

    QProcess *second = start(arguments);
    QVERIFY(finishes(second));
    QCOMPARE(second->exitCode(), 255);
    QTRY_VERIFY_WITH_TIMEOUT(x11.isTopmost(window), 10000);
    QCOMPARE(primary->state(), QProcess::Running);
}

void tst_Application::tabletModeMaximisesWindow_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("maximised");
    QTest::newRow("tablet") << QStringLiteral("1") << true;
    QTest::newRow("tablet, words") << QStringLiteral(" Yes ") << true;
    QTest::newRow("desktop") << QStringLiteral("0") << false;
}

void tst_Application::tabletModeMaximisesWindow()
{
    QFETCH(QString, value);
    QFETCH(bool, maximised);
    QProcessEnvironment extra;
    extra.insert(QStringLiteral("KIV_TABLET_MODE"), value);
    QProcess *program = start({}, extra);
    const unsigned long window = waitForWindow(program);
    QVERIFY(window);
    const QStringList state = X11Windows().netWmState(window);
    QCOMPARE(state.contains(QStringLiteral("_NET_WM_STATE_MAXIMIZED_VERT")), maximised);
    QCOMPARE(state.contains(QStringLiteral("_NET_WM_STATE_MAXIMIZED_HORZ")), maximised);
}

void tst_Application::unopenableDatabaseFallsBackToSettings()
{
    // A directory where the database file should be: SQLite cannot open it.
    QVERIFY(QDir().mkpath(databasePath()));
    QProcess *program = start({});
    QVERIFY(waitForWindow(program));
    QCOMPARE(program->state(), QProcess::Running);
    QVERIFY(QFileInfo(databasePath()).isDir());
    QVERIFY(QDir(databasePath()).isEmpty());
}

KIV_TEST_MAIN(tst_Application)
#include "tst_application.moc"

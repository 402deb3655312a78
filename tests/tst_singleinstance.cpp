#include "app/localpeer.h"

#include "testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// Start-up of the real executable in separate processes, each test in its own
// temporary home. Where a test needs to see the messages a second start sends,
// it takes the part of the running instance itself, with the same identity.
class tst_SingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void secondStartSendsItsRequest_data();
    void secondStartSendsItsRequest();
    void twoSimultaneousStartsElectOnePrimary();
    void killedPrimaryDoesNotBlockNextStart();
    void helpPrintsDescriptionAndOption();
    void unknownOptionEndsBeforeAnyStore();

private:
    QString executable() const;
    QString key() const;
    QProcess *start(const QStringList &arguments);
    bool finishes(QProcess *process, int timeoutMs = 20000);
    bool primaryListens() const;
    QStringList filesInHome() const;

    std::unique_ptr<QTemporaryDir> m_home;
    QList<QProcess *> m_processes;
};

void tst_SingleInstance::initTestCase()
{
    qRegisterMetaType<QProcess::ExitStatus>();
}

void tst_SingleInstance::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    QVERIFY(QDir(m_home->path()).mkpath(QStringLiteral(".config")));
}

void tst_SingleInstance::cleanup()
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

QString tst_SingleInstance::executable() const
{
    return QStringLiteral(TEST_BINARY_DIR "/kiv-contacts");
}

QString tst_SingleInstance::key() const
{
    return LocalPeer::keyFor(executable(), m_home->path());
}

QProcess *tst_SingleInstance::start(const QStringList &arguments)
{
    auto *process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString home = m_home->path();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    process->setProcessEnvironment(env);
    process->start(executable(), arguments);
    m_processes.append(process);
    return process;
}

bool tst_SingleInstance::finishes(QProcess *process, int timeoutMs)
{
    if (process->state() == QProcess::NotRunning) {
        return true;
    }
    // Keep the event loop running: the test may be the primary that answers.
    QSignalSpy finished(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
    return process->state() == QProcess::NotRunning || finished.wait(timeoutMs);
}

// Whether some process accepts connections on the channel's socket. Unlike a
// LocalPeer, a bare socket never takes the lock itself.
bool tst_SingleInstance::primaryListens() const
{
    QLocalSocket socket;
    socket.connectToServer(LocalPeer(key()).socketPath());
    return socket.waitForConnected(200);
}

QStringList tst_SingleInstance::filesInHome() const
{
    QStringList files;
    QDirIterator it(m_home->path(), QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files.append(QDir(m_home->path()).relativeFilePath(it.next()));
    }
    return files;
}

void tst_SingleInstance::secondStartSendsItsRequest_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("long option") << QStringList{QStringLiteral("--contact-id"),
                                                QStringLiteral("42")}
                                 << QStringLiteral("contactId 42");
    QTest::newRow("short option") << QStringList{QStringLiteral("-c"), QStringLiteral("42")}
                                  << QStringLiteral("contactId 42");
    QTest::newRow("option with =")
            << QStringList{QStringLiteral("--contact-id=42")} << QStringLiteral("contactId 42");
    QTest::newRow("no option") << QStringList() << QStringLiteral("raise");
    QTest::newRow("empty value") << QStringList{QStringLiteral("--contact-id"), QString()}
                                 << QStringLiteral("raise");
    QTest::newRow("blank in the value") << QStringList{QStringLiteral("-c"), QStringLiteral("4 2")}
                                        << QStringLiteral("contactId 4 2");
}

void tst_SingleInstance::secondStartSendsItsRequest()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    LocalPeer primary(key());
    QVERIFY(!primary.isClient());
    QSignalSpy received(&primary, &LocalPeer::messageReceived);

    QProcess *second = start(arguments);
    QVERIFY(finishes(second));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 255);
    QCOMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toString(), message);
    // A second start opens no store: nothing at all is written to the home.
    QVERIFY(!QFile::exists(m_home->path() + QStringLiteral("/.config/kiv-phone.sqlite")));
    QCOMPARE(filesInHome(), QStringList());
}

void tst_SingleInstance::twoSimultaneousStartsElectOnePrimary()
{
    QProcess *a = start({});
    QProcess *b = start({});
    QVERIFY(a->waitForStarted(10000));
    QVERIFY(b->waitForStarted(10000));

    // The loser hands over and ends; the winner keeps running.
    QTRY_VERIFY_WITH_TIMEOUT(
            a->state() == QProcess::NotRunning || b->state() == QProcess::NotRunning, 20000);
    QProcess *loser = a->state() == QProcess::NotRunning ? a : b;
    QProcess *winner = loser == a ? b : a;
    QCOMPARE(loser->exitStatus(), QProcess::NormalExit);
    QCOMPARE(loser->exitCode(), 255);
    QTRY_VERIFY_WITH_TIMEOUT(primaryListens(), 20000);
    QCOMPARE(winner->state(), QProcess::Running);

    // The winner answers a third start.
    LocalPeer third(key());
    QVERIFY(third.sendMessage(QStringLiteral("raise"), 5000));
    QCOMPARE(winner->state(), QProcess::Running);
}

void tst_SingleInstance::killedPrimaryDoesNotBlockNextStart()
{
    QProcess *first = start({});
    QTRY_VERIFY_WITH_TIMEOUT(primaryListens(), 20000);
    first->kill();
    QVERIFY(finishes(first));
    QCOMPARE(first->exitStatus(), QProcess::CrashExit);
    // The dead primary left its lock and socket behind.
    LocalPeer probe(key());
    QVERIFY(QFileInfo::exists(probe.lockPath()));
    QVERIFY(QFileInfo::exists(probe.socketPath()));
    QVERIFY(!primaryListens());

    QProcess *next = start({});
    QTRY_VERIFY_WITH_TIMEOUT(primaryListens(), 20000);
    QCOMPARE(next->state(), QProcess::Running);
    QProcess *another = start({QStringLiteral("-c"), QStringLiteral("7")});
    QVERIFY(finishes(another));
    QCOMPARE(another->exitCode(), 255);
    QCOMPARE(next->state(), QProcess::Running);
}

void tst_SingleInstance::helpPrintsDescriptionAndOption()
{
    QProcess *process = start({QStringLiteral("-h")});
    QVERIFY(finishes(process));
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 0);
    const QString help = QString::fromUtf8(process->readAllStandardOutput());
    QVERIFY2(help.contains(QStringLiteral("\nKiv Contacts\n")), qPrintable(help));
    QVERIFY2(help.contains(QRegularExpression(
                     QStringLiteral("\\n\\s*-c, --contact-id <contactId>\\s+Show contact with "
                                    "<contactId>\\.\\n"))),
             qPrintable(help));
    QVERIFY(help.contains(QStringLiteral("-h, --help")));
    QCOMPARE(filesInHome(), QStringList());
}

void tst_SingleInstance::unknownOptionEndsBeforeAnyStore()
{
    QProcess *process = start({QStringLiteral("--frobnicate")});
    QVERIFY(finishes(process));
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 1);
    QVERIFY(QString::fromUtf8(process->readAllStandardError())
                    .contains(QStringLiteral("Unknown option 'frobnicate'.")));
    QCOMPARE(filesInHome(), QStringList());
    // It did not take the single-instance lock either.
    QVERIFY(!QFileInfo::exists(LocalPeer(key()).lockPath()));
}

KIV_TEST_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"

#include "app/customqtquick2applicationviewer.h"

#include "appx11.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

// The main window: instance messages, F1 help, external programs, and the
// window behaviour the scenes rely on. Raising is checked in the X server's
// stacking order.
class tst_ApplicationViewer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void messages_data();
    void messages();
    void messageRestoresMinimisedWindow_data();
    void messageRestoresMinimisedWindow();
    void f1OpensHelpAndReachesScene();
    void startsDetachedProcessWithUnchangedArguments();
};

namespace {

// Collects the messages of the integration layer's logging category.
QStringList integrationLog;
QtMessageHandler previousHandler = nullptr;

void recordIntegration(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (context.category && qstrcmp(context.category, "kiv.integration") == 0) {
        integrationLog.append(text);
        return;
    }
    previousHandler(type, context, text);
}

QWidget *coverWindow()
{
    auto *cover = new QWidget;
    cover->setWindowTitle(QStringLiteral("cover"));
    cover->resize(400, 400);
    return cover;
}

} // namespace

void tst_ApplicationViewer::initTestCase()
{
    QVERIFY(X11Windows().isValid());
}

void tst_ApplicationViewer::messages_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("shownIds");
    QTest::addColumn<bool>("raises");
    QTest::newRow("raise") << QStringLiteral("raise") << QStringList() << true;
    QTest::newRow("capital R ignored") << QStringLiteral("Raise") << QStringList() << false;
    QTest::newRow("empty ignored") << QString() << QStringList() << false;
    QTest::newRow("contact id") << QStringLiteral("contactId 17") << QStringList{"17"} << true;
    QTest::newRow("two blanks give empty id")
            << QStringLiteral("contactId  17") << QStringList{""} << true;
    QTest::newRow("nothing after blank") << QStringLiteral("contactId ") << QStringList{""} << true;
}

void tst_ApplicationViewer::messages()
{
    QFETCH(QString, message);
    QFETCH(QStringList, shownIds);
    QFETCH(bool, raises);

    X11Windows x11;
    CustomQtQuick2ApplicationViewer viewer;
    viewer.resize(300, 300);
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    std::unique_ptr<QWidget> cover(coverWindow());
    cover->show();
    QVERIFY(QTest::qWaitForWindowExposed(cover.get()));
    QTRY_VERIFY(x11.isTopmost(cover->winId()));

    QStringList ids;
    QList<bool> topmostAtEmit;
    connect(&viewer, &CustomQtQuick2ApplicationViewer::showContact, this, [&](const QString &id) {
        ids.append(id);
        topmostAtEmit.append(x11.isTopmost(viewer.winId()));
    });
    viewer.processAppMessage(message);
    QCOMPARE(ids, shownIds);
    // The contact is asked for before the window comes forward.
    QVERIFY(!topmostAtEmit.contains(true));
    if (raises) {
        QTRY_VERIFY(x11.isTopmost(viewer.winId()));
    } else {
        QCoreApplication::processEvents();
        QVERIFY(x11.isTopmost(cover->winId()));
    }
    QVERIFY(viewer.isVisible());
}

void tst_ApplicationViewer::messageRestoresMinimisedWindow_data()
{
    QTest::addColumn<QString>("message");
    QTest::newRow("raise") << QStringLiteral("raise");
    QTest::newRow("contact id") << QStringLiteral("contactId 5");
}

void tst_ApplicationViewer::messageRestoresMinimisedWindow()
{
    QFETCH(QString, message);
    CustomQtQuick2ApplicationViewer viewer;
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    viewer.setWindowStates(Qt::WindowMinimized);
    viewer.processAppMessage(QStringLiteral("Raise"));
    QVERIFY(viewer.windowStates().testFlag(Qt::WindowMinimized));

    viewer.processAppMessage(message);
    QVERIFY(!viewer.windowStates().testFlag(Qt::WindowMinimized));
    QVERIFY(viewer.isVisible());
}

void tst_ApplicationViewer::f1OpensHelpAndReachesScene()
{
    CustomQtQuick2ApplicationViewer viewer;
    viewer.setSource(QUrl::fromLocalFile(QStringLiteral(TEST_DATA_DIR "/app/KeyScene.qml")));
    QCOMPARE(viewer.status(), QQuickView::Ready);
    viewer.show();
    viewer.requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(&viewer));
    QQuickItem *scene = viewer.rootObject();
    QTRY_VERIFY(scene->hasActiveFocus());

    QLoggingCategory::setFilterRules(QStringLiteral("kiv.integration.debug=true"));
    integrationLog.clear();
    previousHandler = qInstallMessageHandler(recordIntegration);

    QTest::keyClick(&viewer, Qt::Key_A);
    const QStringList afterOtherKey = integrationLog;
    QTest::keyClick(&viewer, Qt::Key_F1);
    const QStringList afterF1 = integrationLog;

    qInstallMessageHandler(previousHandler);
    QLoggingCategory::setFilterRules(QString());

    QCOMPARE(afterOtherKey, QStringList());
    QCOMPARE(afterF1.size(), 2);
    QCOMPARE(afterF1.at(0), QStringLiteral("kivHelpLookForWidget"));
    QVERIFY(afterF1.at(1).startsWith(QStringLiteral("kivHelpShow")));
    QCOMPARE(scene->property("otherPresses").toInt(), 1);
    QCOMPARE(scene->property("f1Presses").toInt(), 1);
}

void tst_ApplicationViewer::startsDetachedProcessWithUnchangedArguments()
{
    QTemporaryDir dir;
    const QString go = dir.filePath(QStringLiteral("go"));
    const QString out = dir.filePath(QStringLiteral("out"));
    // The program waits until the call has returned and the test says go,
    // then writes its arguments and its parent's pid.
    const QString script = QStringLiteral(
            "while [ ! -e \"$0\" ]; do sleep 0.05; done; "
            "printf '%s|%s|%s' \"$2\" \"$3\" \"$PPID\" > \"$1.tmp\" && mv \"$1.tmp\" \"$1\"");

    CustomQtQuick2ApplicationViewer viewer;
    viewer.startDetachedProcess(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, go, out,
                                                            QStringLiteral("--send-sms"),
                                                            QStringLiteral("+7 (900) 'x' \"y\"")});
    QVERIFY(!QFile::exists(out));
    QFile(go).open(QIODevice::WriteOnly);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(out), 10000);
    QFile file(out);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList parts = QString::fromUtf8(file.readAll()).split(QLatin1Char('|'));
    QCOMPARE(parts.size(), 3);
    QCOMPARE(parts.at(0), QStringLiteral("--send-sms"));
    QCOMPARE(parts.at(1), QStringLiteral("+7 (900) 'x' \"y\""));
    // Detached: the program is not our child.
    QVERIFY(parts.at(2).toLongLong() != QCoreApplication::applicationPid());
}

KIV_TEST_MAIN(tst_ApplicationViewer)
#include "tst_applicationviewer.moc"

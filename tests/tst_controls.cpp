// Runs the Qt Quick tests of the shared controls and the calendar
// (tests/qml/controls/tst_*.qml) against the compiled-in scene files.
// Any warning of the scene engine fails the run.

#include "testsupport.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlError>
#include <QtQuickTest>

#include <cstdio>

namespace {

QStringList &engineWarnings()
{
    static QStringList warnings;
    return warnings;
}

} // namespace

// Publishes the context flags that the scene set-up publishes for the real
// scene and records every warning of each engine that the test runner makes.
class Setup : public QObject
{
    Q_OBJECT

public slots:
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        const bool tablet = qEnvironmentVariableIntValue("KIV_TEST_TABLET_MODE") != 0;
        const bool lowEffects = qEnvironmentVariableIntValue("KIV_TEST_LOW_EFFECTS") != 0;
        engine->rootContext()->setContextProperty(QStringLiteral("tabletMode"), tablet);
        engine->rootContext()->setContextProperty(QStringLiteral("debug"), false);
        engine->rootContext()->setContextProperty(QStringLiteral("lowEffects"), lowEffects);
        connect(engine, &QQmlEngine::warnings, engine, [](const QList<QQmlError> &warnings) {
            for (const QQmlError &warning : warnings) {
                engineWarnings().append(warning.toString());
            }
        });
    }
};

int main(int argc, char *argv[])
{
    TestHome home;
    QApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("kiv"));
    app.setApplicationName(QStringLiteral("Contacts"));
    Setup setup;
    int result = quick_test_main_with_setup(argc, argv, "controls", QUICK_TEST_SOURCE_DIR, &setup);
    if (!engineWarnings().isEmpty()) {
        std::fprintf(stderr, "FAIL: the scene engine printed %d warning(s):\n",
                     int(engineWarnings().size()));
        for (const QString &warning : engineWarnings()) {
            std::fprintf(stderr, "  %s\n", qPrintable(warning));
        }
        if (result == 0) {
            result = 1;
        }
    }
    return result;
}

#include "tst_controls.moc"

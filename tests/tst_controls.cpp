// Runs the Qt Quick tests of the shared controls and the calendar (tests/qml/controls)
// against the compiled-in scene files; any warning of the scene engine fails the run.
#include "testsupport.h"

#include <QApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

// Publishes the context flags of the real scene and records each engine's warnings.
class Setup : public QObject
{
    Q_OBJECT

public:
    QStringList warnings;

public slots:
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        QQmlContext *context = engine->rootContext();
        context->setContextProperty("tabletMode",
                                    qEnvironmentVariableIntValue("KIV_TEST_TABLET_MODE") != 0);
        context->setContextProperty("debug", false);
        context->setContextProperty("lowEffects",
                                    qEnvironmentVariableIntValue("KIV_TEST_LOW_EFFECTS") != 0);
        connect(engine, &QQmlEngine::warnings, this, [this](const QList<QQmlError> &list) {
            for (const QQmlError &warning : list)
                warnings << warning.toString();
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
    const int result =
            quick_test_main_with_setup(argc, argv, "controls", QUICK_TEST_SOURCE_DIR, &setup);
    for (const QString &warning : setup.warnings)
        qCritical("FAIL: scene engine warning: %s", qPrintable(warning));
    return result != 0 || !setup.warnings.isEmpty() ? 1 : 0;
}

#include "tst_controls.moc"

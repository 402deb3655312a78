#include "app/kivintegration.h"

#include "testsupport.h"

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

// Our stand-in for the desktop integration library.
class tst_KivIntegration : public QObject
{
    Q_OBJECT

private slots:
    void initSetsSettingsScope();
    void tabletMode_data();
    void tabletMode();
    void tabletModeUnset();
    void helpCallsAcceptNull();
};

void tst_KivIntegration::initSetsSettingsScope()
{
    kivInit("1.0.0-5", "Contacts");
    QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("kiv"));
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Contacts"));
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.0.0-5"));
    // The default settings object lives under kiv/ in the configuration directory.
    QSettings settings;
    QCOMPARE(settings.fileName(),
             qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/kiv/Contacts.conf"));
}

void tst_KivIntegration::tabletMode_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("expected");
    QTest::newRow("one") << QByteArray("1") << true;
    QTest::newRow("true") << QByteArray("true") << true;
    QTest::newRow("TRUE upper case") << QByteArray("TRUE") << true;
    QTest::newRow("Yes mixed case") << QByteArray("Yes") << true;
    QTest::newRow("blanks around") << QByteArray("  yes \t") << true;
    QTest::newRow("empty") << QByteArray("") << false;
    QTest::newRow("zero") << QByteArray("0") << false;
    QTest::newRow("false") << QByteArray("false") << false;
    QTest::newRow("no") << QByteArray("no") << false;
    QTest::newRow("on is not listed") << QByteArray("on") << false;
    QTest::newRow("two") << QByteArray("2") << false;
    QTest::newRow("blank inside") << QByteArray("y es") << false;
}

void tst_KivIntegration::tabletMode()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, expected);
    qputenv("KIV_TABLET_MODE", value);
    QCOMPARE(kivInTabletMode(), expected);
    qunsetenv("KIV_TABLET_MODE");
}

void tst_KivIntegration::tabletModeUnset()
{
    qunsetenv("KIV_TABLET_MODE");
    QCOMPARE(kivInTabletMode(), false);
}

void tst_KivIntegration::helpCallsAcceptNull()
{
    // The calls are visible through the integration's logging category.
    QLoggingCategory::setFilterRules(QStringLiteral("kiv.integration.debug=true"));
    QTest::ignoreMessage(QtDebugMsg, "kivHelpLookForWidget");
    QWidget *widget = kivHelpLookForWidget();
    QVERIFY(!widget);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^kivHelpShow ")));
    kivHelpShow(widget);
    QLoggingCategory::setFilterRules(QString());
}

KIV_TEST_GUILESS_MAIN(tst_KivIntegration)
#include "tst_kivintegration.moc"

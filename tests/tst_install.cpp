#include "testsupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Installing the build into a fresh prefix gives a desktop the program and an
// entry it accepts.
class tst_Install : public QObject
{
    Q_OBJECT

private slots:
    void installsExecutableAndDesktopEntry();
};

void tst_Install::installsExecutableAndDesktopEntry()
{
    QTemporaryDir prefix;
    QVERIFY(prefix.isValid());
    QProcess install;
    install.start(QStringLiteral(KIV_CMAKE_COMMAND),
                  {QStringLiteral("--install"), QStringLiteral(TEST_BINARY_DIR),
                   QStringLiteral("--prefix"), prefix.path()});
    QVERIFY(install.waitForFinished(60000));
    QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
             install.readAllStandardError().constData());

    const QFileInfo program(prefix.filePath(QStringLiteral("bin/kiv-contacts")));
    QVERIFY(program.isFile());
    QVERIFY(program.isExecutable());

    const QString entry =
            prefix.filePath(QStringLiteral("share/applications/kiv-contacts.desktop"));
    QVERIFY(QFileInfo(entry).isFile());

    const QString validator =
            QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    QVERIFY2(!validator.isEmpty(), "desktop-file-validate (desktop-file-utils) is missing");
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start(validator, {entry});
    QVERIFY(validate.waitForFinished(30000));
    const QByteArray report = validate.readAll();
    QVERIFY2(validate.exitCode() == 0, report.constData());
    // Not even a warning or a hint.
    QVERIFY2(report.trimmed().isEmpty(), report.constData());

    QSettings desktop(entry, QSettings::IniFormat);
    desktop.beginGroup(QStringLiteral("Desktop Entry"));
    QCOMPARE(desktop.value(QStringLiteral("Name")).toString(), QStringLiteral("Kiv Contacts"));
    QCOMPARE(desktop.value(QStringLiteral("Icon")).toString(), QStringLiteral("view-pim-contacts"));
    QCOMPARE(desktop.value(QStringLiteral("Exec")).toString(), program.fileName());
    QCOMPARE(desktop.value(QStringLiteral("Type")).toString(), QStringLiteral("Application"));
    // INI parsing stops at ';', so the category list is read as a line.
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QVERIFY(lines.contains("Categories=Office;ContactManagement;"));
}

KIV_TEST_GUILESS_MAIN(tst_Install)
#include "tst_install.moc"

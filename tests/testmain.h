#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

// Every test program runs in a temporary home directory: HOME and the XDG
// configuration and data paths point into it before the application object
// exists, so that no test reads or writes the real user's files.
class TestHome
{
public:
    TestHome()
    {
        const QString path = m_dir.path();
        qputenv("HOME", path.toUtf8());
        qputenv("XDG_CONFIG_HOME", (path + QStringLiteral("/.config")).toUtf8());
        qputenv("XDG_DATA_HOME", (path + QStringLiteral("/.local/share")).toUtf8());
        qputenv("XDG_CACHE_HOME", (path + QStringLiteral("/.cache")).toUtf8());
        qputenv("XDG_RUNTIME_DIR", (path + QStringLiteral("/runtime")).toUtf8());
        QDir(path).mkpath(QStringLiteral(".config"));
        QDir(path).mkpath(QStringLiteral("runtime"));
        QFile::setPermissions(path + QStringLiteral("/runtime"), QFileDevice::ReadOwner
                                                                         | QFileDevice::WriteOwner
                                                                         | QFileDevice::ExeOwner);
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

#define KIV_TEST_MAIN_WITH(TestObject, AppClass) \
    int main(int argc, char *argv[]) \
    { \
        TestHome home; \
        AppClass app(argc, argv); \
        app.setOrganizationName(QStringLiteral("kiv")); \
        app.setApplicationName(QStringLiteral("Contacts")); \
        TestObject tc; \
        QTEST_SET_MAIN_SOURCE_PATH \
        return QTest::qExec(&tc, argc, argv); \
    }

// For tests of plain objects (no windows): a QGuiApplication is enough for
// images and fonts.
#define KIV_TEST_GUILESS_MAIN(TestObject) KIV_TEST_MAIN_WITH(TestObject, QGuiApplication)
// For tests that open windows, dialogs or scenes.
#define KIV_TEST_MAIN(TestObject) KIV_TEST_MAIN_WITH(TestObject, QApplication)

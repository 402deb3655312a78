// Where an export may write: never onto the address book in use, and with
// the permissions of the file it replaces (owner-only for a new file).

#include "importexport/importexport.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(ImportExport::ExportMethod)

class tst_ExportTarget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void activeDatabaseIsRefused_data();
    void activeDatabaseIsRefused();
    void targetKeepsPermissions_data();
    void targetKeepsPermissions();

private:
    // Exports one contact to path; true when no error was reported.
    bool exportTo(const QString &path, ImportExport::ExportMethod method, QString *error = nullptr);

    std::unique_ptr<Contact> m_contact;
};

void tst_ExportTarget::initTestCase()
{
    m_contact = std::make_unique<Contact>();
    m_contact->id = QStringLiteral("11");
    m_contact->surname = QStringLiteral("Adams");
    SqliteDatabase store;
    QVERIFY(store.open(QString()));
    store.insertContact(m_contact.get());
}

bool tst_ExportTarget::exportTo(const QString &path, ImportExport::ExportMethod method,
                                QString *error)
{
    ImportExport exporter;
    QSignalSpy errors(&exporter, &ImportExport::error);
    exporter.setContactsForExport({QVariant::fromValue(m_contact.get())});
    exporter.setExportFileAndMethod(path, method);
    exporter.exportContacts();
    if (error && !errors.isEmpty()) {
        *error = errors.first().first().toString();
    }
    return errors.isEmpty();
}

void tst_ExportTarget::activeDatabaseIsRefused_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<ImportExport::ExportMethod>("method");
    QTest::newRow("same path, database") << QString() << ImportExport::SQLITE_METHOD;
    QTest::newRow("same path, CSV") << QString() << ImportExport::GOOGLE_CSV_METHOD;
    QTest::newRow("symbolic link") << QStringLiteral("symlink") << ImportExport::SQLITE_METHOD;
    QTest::newRow("hard link") << QStringLiteral("hardlink") << ImportExport::VCARD_METHOD;
}

void tst_ExportTarget::activeDatabaseIsRefused()
{
    QFETCH(QString, link);
    QFETCH(ImportExport::ExportMethod, method);
    const QString database = SqliteDatabase::defaultPath();
    QString target = database;
    if (!link.isEmpty()) {
        target = QDir::homePath() + QLatin1Char('/') + link;
        QFile::remove(target);
        const QByteArray from = QFile::encodeName(database);
        const QByteArray to = QFile::encodeName(target);
        QVERIFY(link == QLatin1String("symlink") ? ::symlink(from, to) == 0
                                                 : ::link(from, to) == 0);
    }
    const QByteArray before = readFile(database);
    QString error;
    QVERIFY(!exportTo(target, method, &error));
    QVERIFY2(error.contains(QLatin1String("address book in use")), qPrintable(error));
    QCOMPARE(readFile(database), before);
}

void tst_ExportTarget::targetKeepsPermissions_data()
{
    QTest::addColumn<ImportExport::ExportMethod>("method");
    QTest::addColumn<int>("existingMode");
    QTest::addColumn<int>("expectedMode");
    for (auto method : {ImportExport::GOOGLE_CSV_METHOD, ImportExport::VCARD_METHOD,
                        ImportExport::SQLITE_METHOD}) {
        const QByteArray name = QByteArray::number(method);
        QTest::newRow(name + " new file") << method << -1 << 0600;
        QTest::newRow(name + " owner only") << method << 0600 << 0600;
        QTest::newRow(name + " group readable") << method << 0640 << 0640;
    }
}

void tst_ExportTarget::targetKeepsPermissions()
{
    QFETCH(ImportExport::ExportMethod, method);
    QFETCH(int, existingMode);
    QFETCH(int, expectedMode);
    const QString target = QDir::homePath() + QStringLiteral("/export.out");
    QFile::remove(target);
    if (existingMode >= 0) {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(::chmod(QFile::encodeName(target).constData(), mode_t(existingMode)) == 0);
    }
    QVERIFY(exportTo(target, method));
    struct stat info;
    QVERIFY(::stat(QFile::encodeName(target).constData(), &info) == 0);
    QCOMPARE(int(info.st_mode & 0777), expectedMode);
}

KIV_TEST_GUILESS_MAIN(tst_ExportTarget)
#include "tst_exporttarget.moc"

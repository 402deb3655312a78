#include "importexport/importexport.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include "testsupport.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>

// Files made to hurt the import end soon, in bounded memory, refused or imported.
class tst_HostileFiles : public QObject
{
    Q_OBJECT

private slots:
    void photoBombsImportWithoutPhoto_data();
    void photoBombsImportWithoutPhoto();
    void databaseImportReadsOnlyARealTable_data();
    void databaseImportReadsOnlyARealTable();
    void hugeTextFileIsRefused_data();
    void hugeTextFileIsRefused();

private:
    QTemporaryDir m_dir;
};

namespace {
// Peak resident memory since the last reset (VmHWM).
qint64 peakMemoryKiB()
{
    const QByteArray status = readFile(QStringLiteral("/proc/self/status"));
    return QRegularExpression("VmHWM:\\s*(\\d+)").match(status).captured(1).toLongLong();
}
} // namespace

void tst_HostileFiles::photoBombsImportWithoutPhoto_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<int>("photos");
    addRowsFromFile(TEST_DATA_DIR "/hostile/photo-bombs.jsonl", "SI");
}

// Three cards with one photo into the database store, which must not decode bombs.
void tst_HostileFiles::photoBombsImportWithoutPhoto()
{
    QFETCH(QString, image);
    QByteArray bytes = readFile(TEST_DATA_DIR "/hostile/" + image);
    bytes = image.endsWith(".qz") ? qUncompress(bytes) : bytes;
    QByteArray cards;
    for (const char *name : {"A", "B", "C"})
        cards += QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bomb\r\nN:Bomb;") + name
                 + ";;;\r\nPHOTO;ENCODING=b;TYPE=PNG:" + bytes.toBase64() + "\r\nEND:VCARD\r\n";
    const QString file = writeFile(m_dir.filePath("bombs.vcf"), cards);
    SqliteDatabase store;
    QVERIFY(store.open(m_dir.filePath(QTest::currentDataTag() + QStringLiteral(".sqlite"))));
    ImportExport backend;
    QStringList ids;
    connect(&backend, &ImportExport::importContact, this, [&](Contact *contact) {
        store.insertContact(contact);
        ids.append(contact->id);
    });
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    QVERIFY(reset.open(QIODevice::WriteOnly) && reset.write("5") == 1);
    reset.close();
    const qint64 before = peakMemoryKiB();
    backend.parseContactsFromFile(QStringLiteral("UTF-8"), file);
    QVERIFY(backend.importParsedContacts());
    const qint64 growth = peakMemoryKiB() - before;
#ifndef __SANITIZE_ADDRESS__ // the sanitizer's shadow and quarantine memory would count
    QVERIFY2(before > 0 && growth < 64 * 1024, qPrintable(QString::number(growth)));
#else
    Q_UNUSED(growth);
#endif
    QCOMPARE(ids.size(), 3);
    QTEST(int(std::count_if(ids.cbegin(), ids.cend(),
                            [&](const QString &id) { return !store.loadPhoto(id).isEmpty(); })),
          "photos");
}

void tst_HostileFiles::databaseImportReadsOnlyARealTable_data()
{
    QTest::addColumn<QString>("schema");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("message");
    addRowsFromFile(TEST_DATA_DIR "/hostile/databases.jsonl", "SIS");
}

// The file is read, never written, whatever it holds.
void tst_HostileFiles::databaseImportReadsOnlyARealTable()
{
    QFETCH(QString, schema);
    QFETCH(int, count);
    const QString file = m_dir.filePath(QStringLiteral("%1.sqlite").arg(QTest::currentDataTag()));
    if (schema.isEmpty() || schema == QLatin1String("garbage")) {
        writeFile(file, schema.isEmpty()
                                ? QByteArray()
                                : QByteArray("SQLite format 3\0", 16) + QByteArray(5000, 'Z'));
    } else {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), file);
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery query(db);
        for (const QString &statement : schema.split(QStringLiteral("; "))) {
            QVERIFY2(query.exec(statement), qPrintable(statement));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(file);
    const QByteArray before = readFile(file);

    ImportExport backend;
    QSignalSpy errors(&backend, &ImportExport::error);
    backend.parseContactsFromFile(QStringLiteral("UTF-8"), file);
    QCOMPARE(backend.contacts().size(), count);
    QCOMPARE(errors.size(), count ? 0 : 1);
    QFETCH(QString, message);
    if (!message.isEmpty()) {
        QCOMPARE(errors.at(0).at(0).toString(), message);
    }
    QVERIFY(readFile(file) == before);
    QVERIFY(!QFile::exists(file + QStringLiteral("-journal")));
}

void tst_HostileFiles::hugeTextFileIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("head");
    addRowsFromFile(TEST_DATA_DIR "/hostile/huge-text.jsonl", "SB");
}

// Beyond the size an import can hold the file is refused with a message.
void tst_HostileFiles::hugeTextFileIsRefused()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, head);
    QFile file(m_dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(head) == head.size());
    QVERIFY(file.resize(qint64(1100) * 1000 * 1000)); // sparse: no disk space needed
    file.close();
    ImportExport backend;
    QSignalSpy errors(&backend, &ImportExport::error);
    backend.parseContactsFromFile(QStringLiteral("UTF-8"), file.fileName());
    QCOMPARE(errors.value(0).value(0).toString(),
             QStringLiteral("The file is too large to import (the limit is 512 MB)."));
    QCOMPARE(errors.size(), 1);
    QVERIFY(backend.contacts().isEmpty());
}

KIV_TEST_GUILESS_MAIN(tst_HostileFiles)
#include "tst_hostilefiles.moc"

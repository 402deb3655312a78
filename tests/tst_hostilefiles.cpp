#include "importexport/importexport.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <zlib.h>

// Files made to hurt the import (photo bombs, endless database queries, huge
// text): each ends soon, in bounded memory, refused or imported.
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

QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), chunk.data());
    const QByteArray body = type + data;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(quint32(::crc32(0, reinterpret_cast<const Bytef *>(body.constData()),
                                          uInt(body.size()))),
                          crc.data());
    return chunk + body + crc;
}

// The zlib stream of size zero bytes: about a thousandth of their size.
QByteArray deflatedZeros(qint64 size)
{
    z_stream stream = {};
    deflateInit(&stream, Z_BEST_SPEED);
    const QByteArray zeros(1 << 20, '\0');
    QByteArray out(int(size / 100 + 4096), 0); // zeros shrink far more
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    for (qint64 left = size; left > 0; left -= zeros.size()) {
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.constData()));
        stream.avail_in = uInt(qMin<qint64>(left, zeros.size()));
        deflate(&stream, left <= zeros.size() ? Z_FINISH : Z_NO_FLUSH);
    }
    out.truncate(int(stream.total_out));
    deflateEnd(&stream);
    return out;
}

// A PNG whose header claims side x side RGBA pixels of the bit depth, all of
// them present as compressed zero rows: decoded whole it takes gigabytes.
QByteArray pngBomb(int side, int depth)
{
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(quint32(side), header.data());
    qToBigEndian<quint32>(quint32(side), header.data() + 4);
    header[8] = char(depth);
    header[9] = 6;
    const QByteArray rows = deflatedZeros(qint64(side) * (1 + qint64(side) * depth / 2));
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", rows)
           + pngChunk("IEND", QByteArray());
}

// A GIF whose screen and only image claim side x side pixels, with one byte
// of image data.
QByteArray gifBomb(int side)
{
    QByteArray size(4, '\0');
    qToLittleEndian<quint16>(quint16(side), size.data());
    qToLittleEndian<quint16>(quint16(side), size.data() + 2);
    return "GIF89a" + size + QByteArray("\x80\x00\x00\x00\x00\x00\xff\xff\xff", 9) + ','
           + QByteArray(4, '\0') + size + QByteArray("\x00\x02\x02\x44\x01\x00;", 8);
}

QByteArray photoCard(const QByteArray &image, int count)
{
    QByteArray cards;
    for (int i = 0; i < count; ++i) {
        cards += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bomb " + QByteArray::number(i) + "\r\nN:Bomb;"
                 + QByteArray::number(i) + ";;;\r\nPHOTO;ENCODING=b;TYPE=PNG:" + image.toBase64()
                 + "\r\nEND:VCARD\r\n";
    }
    return cards;
}

// Peak resident memory since the last reset (VmHWM).
qint64 peakMemoryKiB()
{
    const QByteArray status = readFile(QStringLiteral("/proc/self/status"));
    const int at = status.indexOf("VmHWM:");
    return at < 0 ? -1
                  : status.mid(at + 6, status.indexOf('\n', at) - at - 6)
                            .trimmed()
                            .split(' ')
                            .first()
                            .toLongLong();
}

} // namespace

void tst_HostileFiles::photoBombsImportWithoutPhoto_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("photos");

    QTest::newRow("GIF 9999x9999") << gifBomb(9999) << 0;
    QTest::newRow("PNG 8-bit 9999x9999") << pngBomb(9999, 8) << 0;
    QTest::newRow("PNG 16-bit 9999x9999") << pngBomb(9999, 16) << 0;
    QTest::newRow("PNG 8-bit 5000x5000 (just over the limit)") << pngBomb(5000, 8) << 0;
    QTest::newRow("small PNG is kept") << imageBytes(QSize(64, 48)) << 3;
}

// Three cards with the same photo imported into the database store, which
// must not decode the bombs.
void tst_HostileFiles::photoBombsImportWithoutPhoto()
{
    QFETCH(QByteArray, image);
    QFETCH(int, photos);
    const QString file =
            writeFile(m_dir.filePath(QStringLiteral("bombs.vcf")), photoCard(image, 3));
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
    QVERIFY2(before > 0 && growth < 64 * 1024, qPrintable(QString::number(growth)));
    QCOMPARE(ids.size(), 3);
    QTEST(int(std::count_if(ids.cbegin(), ids.cend(),
                            [&](const QString &id) { return !store.loadPhoto(id).isEmpty(); })),
          "photos");
}

void tst_HostileFiles::databaseImportReadsOnlyARealTable_data()
{
    QTest::addColumn<QString>("schema");
    QTest::addColumn<int>("count");

    const QString columns = QStringLiteral(
            "name, surname, middlename, isFavorite, organization, dateOfBirth, comment, "
            "phoneList, phoneGroupList, emailList, emailGroupList, addressList, "
            "addressGroupList, linkList, photoData");
    const QString table =
            QStringLiteral("create table contact (id bigint primary key, %1)").arg(columns);
    QTest::newRow("real table")
            << table
                       + QStringLiteral(
                               "; insert into contact (id, name) values (1, 'Ann'), (2, 'Bob')")
            << 2;
    QTest::newRow("endless recursive view")
            << QStringLiteral("create view contact as with recursive r(x) as (select 1 union "
                              "all select x + 1 from r) select x as id, 'Ann' as %1 from r")
                       .arg(columns.split(QStringLiteral(", ")).join(QStringLiteral(", 'x' as ")))
            << 0;
    QTest::newRow("virtual table")
            << QStringLiteral("create virtual table contact using fts4(id, %1)").arg(columns) << 0;
    QTest::newRow("field over 1 MB")
            << table
                       + QStringLiteral("; insert into contact (id, name, comment) values (1, "
                                        "'Ann', zeroblob(2000000))")
            << 0;
    QTest::newRow("no contact table") << QStringLiteral("create table people (id)") << 0;
    QTest::newRow("garbage after the SQLite mark") << QStringLiteral("garbage") << 0;
    QTest::newRow("empty file") << QString() << 0;
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
    if (!count && !schema.isEmpty()) { // an empty file is refused by its type
        QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("Can't find any contacts in file."));
    }
    QVERIFY(readFile(file) == before);
    QVERIFY(!QFile::exists(file + QStringLiteral("-journal")));
}

void tst_HostileFiles::hugeTextFileIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("head");

    QTest::newRow("CSV 1.1 GB") << "huge.csv"
                                << QByteArray("First Name,Last Name,E-mail Address\n"
                                              "Ann,Smith,ann@example.com\n");
    QTest::newRow("vCard 1.1 GB") << "huge.vcf"
                                  << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\n"
                                                "N:Smith;Ann;;;\r\nEND:VCARD\r\n");
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

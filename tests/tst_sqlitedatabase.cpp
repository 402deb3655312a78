#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "testmain.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <memory>

namespace {

const char CreateTable[] =
        "create table contact (id bigint primary key, name text, surname text, middlename text, "
        "isFavorite integer, organization text, dateOfBirth text, comment text, phoneList text, "
        "phoneGroupList text, emailList text, emailGroupList text, addressList text, "
        "addressGroupList text, linkList text, photoData text)";

QString configDir()
{
    return QDir::homePath() + QStringLiteral("/.config");
}

QString defaultFile()
{
    return configDir() + QStringLiteral("/kiv-phone.sqlite");
}

QString oldFile()
{
    return configDir() + QStringLiteral("/kiv-contacts.sqlite");
}

// Rows of a statement run on a connection of its own, to see what really
// is in the file.
QList<QVariantList> rawRows(const QString &file, const QString &sql)
{
    static int counter = 0;
    const QString name = QStringLiteral("raw_%1").arg(++counter);
    QList<QVariantList> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(sql)) {
                while (query.next()) {
                    QVariantList row;
                    for (int i = 0; i < query.record().count(); ++i) {
                        row << query.value(i);
                    }
                    rows << row;
                }
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

std::unique_ptr<Contact> makeContact(const QString &id, const QString &name,
                                     const QString &surname = QString())
{
    auto contact = std::make_unique<Contact>(nullptr);
    contact->id = id;
    contact->name = name;
    contact->surname = surname;
    return contact;
}

std::unique_ptr<SqliteDatabase> openStore(const QString &path = QString())
{
    auto store = std::make_unique<SqliteDatabase>();
    if (!store->open(path)) {
        return nullptr;
    }
    return store;
}

// Loads every record of a fresh store on the file, so that only what was
// written to the file counts.
QList<std::shared_ptr<Contact>> reload(const QString &path = QString())
{
    QList<std::shared_ptr<Contact>> result;
    SqliteDatabase store;
    if (store.open(path)) {
        const QList<Contact *> contacts = store.loadContacts();
        for (Contact *contact : contacts) {
            result << std::shared_ptr<Contact>(contact);
        }
    }
    return result;
}

// The number of records a store loads; the records are released.
int loadedCount(SqliteDatabase &store)
{
    const QList<Contact *> contacts = store.loadContacts();
    qDeleteAll(contacts);
    return contacts.size();
}

QStringList ids(const QList<std::shared_ptr<Contact>> &contacts)
{
    QStringList result;
    for (const auto &contact : contacts) {
        result << contact->id;
    }
    return result;
}

// The CRC-32 of PNG chunks (ISO 3309, as in RFC 2083).
quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = crc & 1 ? (crc >> 1) ^ 0xedb88320u : crc >> 1;
        }
    }
    return ~crc;
}

// A valid PNG of a black 1-bit image: a few kilobytes that claim any size.
QByteArray blackPng(int width, int height)
{
    auto chunk = [](const QByteArray &type, const QByteArray &data) {
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream << quint32(data.size());
        const QByteArray body = type + data;
        stream.writeRawData(body.constData(), body.size());
        stream << crc32(body);
        return bytes;
    };
    QByteArray header;
    QDataStream stream(&header, QIODevice::WriteOnly);
    stream << quint32(width) << quint32(height) << quint8(1) << quint8(0) << quint8(0) << quint8(0)
           << quint8(0);
    QByteArray row(1 + (width + 7) / 8, '\0');
    QByteArray pixels;
    pixels.reserve(row.size() * height);
    for (int i = 0; i < height; ++i) {
        pixels += row;
    }
    // qCompress writes the zlib stream after four bytes of length.
    const QByteArray compressed = qCompress(pixels, 9).mid(4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", compressed)
           + chunk("IEND", QByteArray());
}

QString writeImage(const QString &dir, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString path = dir + QStringLiteral("/image_%1x%2.png").arg(width).arg(height);
    return image.save(path, "PNG") ? path : QString();
}

} // namespace

// The SQLite store: file creation and take-over, the table and its list
// encoding, photos, and files that must not be touched.
class tst_SqliteDatabase : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void firstOpenCreatesFileWithTable();
    void takesOverOldFile_data();
    void takesOverOldFile();
    void blankPathUsesDefaultFile();
    void trailingBlankIsPartOfPath();
    void emptyFileGetsTable();
    void unusableFileIsLeftUntouched_data();
    void unusableFileIsLeftUntouched();
    void missingDirectoryFails();
    void foreignDatabaseIsLeftUntouched();

    void roundTripsAllFields();
    void listEncoding_data();
    void listEncoding();
    void emptyEntriesKeepPairs();
    void nonNumericIdIsStoredUnderZero();
    void duplicateIdChangesNothing();
    void updateReplacesFieldsAndKeepsPhoto();
    void namelessRecordsAreSkipped_data();
    void namelessRecordsAreSkipped();

    void toggleFavoriteTwiceRestoresMark();
    void toggleFavoriteOfUnknownIdAddsNoRow();
    void removeContactsRemovesRowsAndPhotos();

    void photoIsScaled_data();
    void photoIsScaled();
    void unreadableImageKeepsEarlierPhoto_data();
    void unreadableImageKeepsEarlierPhoto();
    void importedPhotoIsNormalized();
    void importedPhotoThatIsNoImageIsDropped();
    void hugeImportedPhotoIsNotDecoded_data();
    void hugeImportedPhotoIsNotDecoded();

    void connectionNamesAreUniqueAndReleased();
    void operationsBeforeOpenDoNothing();

    void writesAreCommittedWhenEventLoopRuns();
    void storesOfOneProcessSeeEachOthersWrites();
    void killedImportLeavesPrefix_data();
    void killedImportLeavesPrefix();

private:
    QTemporaryDir m_files;
};

void tst_SqliteDatabase::init()
{
    QDir(configDir()).removeRecursively();
    QVERIFY(!QFileInfo::exists(configDir()));
}

void tst_SqliteDatabase::firstOpenCreatesFileWithTable()
{
    auto store = openStore();
    QVERIFY(store);
    QVERIFY(QFileInfo(configDir()).isDir());
    QVERIFY(QFileInfo::exists(defaultFile()));
    QCOMPARE(SqliteDatabase::defaultPath(), defaultFile());
    QVERIFY(store->loadContacts().isEmpty());
    store.reset();

    const auto schema =
            rawRows(defaultFile(), QStringLiteral("select type, name, sql from sqlite_master"));
    QCOMPARE(schema.size(), 2); // the table and the automatic index of its primary key
    QCOMPARE(schema.at(0).at(0).toString(), QStringLiteral("table"));
    QCOMPARE(schema.at(0).at(1).toString(), QStringLiteral("contact"));
    // SQLite keeps the statement as written, with its first two words in capitals.
    QString statement = QLatin1String(CreateTable);
    statement.replace(0, 12, QStringLiteral("CREATE TABLE"));
    QCOMPARE(schema.at(0).at(2).toString(), statement);
    QCOMPARE(schema.at(1).at(0).toString(), QStringLiteral("index"));
    QVERIFY(schema.at(1).at(2).isNull());
}

void tst_SqliteDatabase::takesOverOldFile_data()
{
    QTest::addColumn<bool>("oldPresent");
    QTest::addColumn<bool>("newPresent");
    QTest::addColumn<QString>("expectedName");
    QTest::addColumn<bool>("oldRemains");

    QTest::newRow("only the old file") << true << false << "Old" << false;
    QTest::newRow("both files") << true << true << "New" << true;
    QTest::newRow("only the new file") << false << true << "New" << false;
}

void tst_SqliteDatabase::takesOverOldFile()
{
    QFETCH(bool, oldPresent);
    QFETCH(bool, newPresent);
    QFETCH(QString, expectedName);
    QFETCH(bool, oldRemains);

    QVERIFY(QDir().mkpath(configDir()));
    if (oldPresent) {
        auto store = openStore(oldFile());
        QVERIFY(store);
        store->insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Old")).get());
    }
    if (newPresent) {
        auto store = openStore(defaultFile());
        QVERIFY(store);
        store->insertContact(makeContact(QStringLiteral("2"), QStringLiteral("New")).get());
    }
    const QByteArray oldBytes = fileBytes(oldFile());

    const auto contacts = reload();
    QCOMPARE(contacts.size(), 1);
    QCOMPARE(contacts.first()->name, expectedName);
    QCOMPARE(QFileInfo::exists(oldFile()), oldRemains);
    if (oldRemains) {
        QCOMPARE(fileBytes(oldFile()), oldBytes);
    }
}

void tst_SqliteDatabase::blankPathUsesDefaultFile()
{
    auto store = openStore(QStringLiteral(" \t "));
    QVERIFY(store);
    store->insertContact(makeContact(QStringLiteral("5"), QStringLiteral("Anna")).get());
    store.reset();
    QCOMPARE(ids(reload()), QStringList{QStringLiteral("5")});
    QCOMPARE(QDir(QDir::homePath()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
}

void tst_SqliteDatabase::trailingBlankIsPartOfPath()
{
    const QString path = m_files.path() + QStringLiteral("/trailing.sqlite ");
    QVERIFY(openStore(path));
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(!QFileInfo::exists(path.trimmed()));
    QVERIFY(!QFileInfo::exists(defaultFile()));
}

void tst_SqliteDatabase::emptyFileGetsTable()
{
    QVERIFY(QDir().mkpath(configDir()));
    QVERIFY(writeFile(defaultFile(), QByteArray()));
    auto store = openStore();
    QVERIFY(store);
    store->insertContact(makeContact(QStringLiteral("7"), QStringLiteral("Anna")).get());
    store.reset();
    QCOMPARE(ids(reload()), QStringList{QStringLiteral("7")});
}

void tst_SqliteDatabase::unusableFileIsLeftUntouched_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QByteArray text;
    for (int i = 0; i < 200; ++i) {
        text += "Surname,Name,Phone\nSmith,Anna,123\n";
    }
    QByteArray garbage(8192, '\0');
    for (int i = 0; i < garbage.size(); ++i) {
        garbage[i] = char((i * 7919 + 13) % 251);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage(20, 20, QImage::Format_RGB32).save(&buffer, "PNG");
    QByteArray badHeader("SQLite format 3");
    badHeader.append('\0');
    badHeader.append(QByteArray(4080, '\xff'));

    QTest::newRow("text file") << text;
    QTest::newRow("garbage") << garbage;
    QTest::newRow("short text") << QByteArray("hello");
    QTest::newRow("image") << png;
    QTest::newRow("SQLite magic then garbage") << badHeader;
}

void tst_SqliteDatabase::unusableFileIsLeftUntouched()
{
    QFETCH(QByteArray, bytes);

    QVERIFY(QDir().mkpath(configDir()));
    QVERIFY(writeFile(defaultFile(), bytes));
    const QStringList connections = QSqlDatabase::connectionNames();

    SqliteDatabase store;
    QVERIFY(!store.open(QString()));
    QCOMPARE(QSqlDatabase::connectionNames(), connections);
    store.insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    QVERIFY(store.loadContacts().isEmpty());

    QCOMPARE(fileBytes(defaultFile()), bytes);
    QCOMPARE(QDir(configDir()).entryList(QDir::Files),
             QStringList{QStringLiteral("kiv-phone.sqlite")});
}

void tst_SqliteDatabase::missingDirectoryFails()
{
    const QString path = m_files.path() + QStringLiteral("/missing/contacts.sqlite");
    const QStringList connections = QSqlDatabase::connectionNames();
    SqliteDatabase store;
    QVERIFY(!store.open(path));
    QCOMPARE(QSqlDatabase::connectionNames(), connections);
    QVERIFY(!QFileInfo::exists(path));
}

void tst_SqliteDatabase::foreignDatabaseIsLeftUntouched()
{
    const QString path = m_files.path() + QStringLiteral("/foreign.sqlite");
    rawRows(path, QStringLiteral("create table other (a text)"));
    rawRows(path, QStringLiteral("insert into other values ('x')"));
    const QByteArray bytes = fileBytes(path);
    QVERIFY(!bytes.isEmpty());

    auto store = openStore(path);
    QVERIFY(store);
    store->insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    store->toggleFavorite(QStringLiteral("1"));
    QVERIFY(store->loadContacts().isEmpty());
    store.reset();
    QCOMPARE(fileBytes(path), bytes);
}

void tst_SqliteDatabase::roundTripsAllFields()
{
    Contact contact(nullptr);
    contact.id = QStringLiteral("1733500000123");
    contact.isFavorite = true;
    contact.name = QStringLiteral("Анна");
    contact.surname = QStringLiteral("Smith");
    contact.middlename = QStringLiteral("Ивановна");
    contact.fullname = QStringLiteral("Dr. Anna Smith");
    contact.organization = QStringLiteral("ACME; \"Labs\"");
    contact.dateOfBirth = QStringLiteral("01.02.1990");
    contact.comment = QStringLiteral("line one\nline two\n'quoted'");
    contact.phoneList = QStringList{QStringLiteral("+1 555 0100"), QStringLiteral("123")};
    contact.phoneGroupList = QStringList{QStringLiteral("Mobile"), QStringLiteral("Work")};
    contact.emailList = QStringList{QStringLiteral("anna@example.org")};
    contact.emailGroupList = QStringList{QStringLiteral("Home")};
    contact.addressList = QStringList{QStringLiteral("1 Main St, Springfield")};
    contact.addressGroupList = QStringList{QStringLiteral("Home")};
    contact.linkList = QStringList{QStringLiteral("https://example.org")};
    contact.importMe = false;

    auto store = openStore();
    QVERIFY(store);
    store->insertContact(&contact);
    store.reset();

    const auto contacts = reload();
    QCOMPARE(contacts.size(), 1);
    const Contact *loaded = contacts.first().get();
    QVERIFY(!loaded->parent());
    QCOMPARE(loaded->id, contact.id);
    QCOMPARE(loaded->isFavorite, true);
    QCOMPARE(loaded->name, contact.name);
    QCOMPARE(loaded->surname, contact.surname);
    QCOMPARE(loaded->middlename, contact.middlename);
    QCOMPARE(loaded->fullname, QStringLiteral("Smith Анна Ивановна"));
    QCOMPARE(loaded->organization, contact.organization);
    QCOMPARE(loaded->dateOfBirth, contact.dateOfBirth);
    QCOMPARE(loaded->comment, contact.comment);
    QCOMPARE(loaded->phoneList, contact.phoneList);
    QCOMPARE(loaded->phoneGroupList, contact.phoneGroupList);
    QCOMPARE(loaded->emailList, contact.emailList);
    QCOMPARE(loaded->emailGroupList, contact.emailGroupList);
    QCOMPARE(loaded->addressList, contact.addressList);
    QCOMPARE(loaded->addressGroupList, contact.addressGroupList);
    QCOMPARE(loaded->linkList, contact.linkList);
    QCOMPARE(loaded->importMe, true);
    QVERIFY(loaded->photoData.isEmpty());

    const auto raw =
            rawRows(defaultFile(), QStringLiteral("select isFavorite, photoData from contact"));
    QCOMPARE(raw.size(), 1);
    QCOMPARE(raw.first().at(0).toInt(), 1);
    QVERIFY(raw.first().at(1).isNull());
}

void tst_SqliteDatabase::listEncoding_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("column");

    QTest::newRow("two entries") << QStringList{"123", "456"} << "123;;;456";
    QTest::newRow("empty list") << QStringList() << "";
    QTest::newRow("one entry") << QStringList{"123"} << "123";
    QTest::newRow("empty entry in the middle") << QStringList{"a", "", "b"} << "a;;;;;;b";
    QTest::newRow("empty first entry") << QStringList{"", "b"} << ";;;b";
    QTest::newRow("empty last entry") << QStringList{"a", ""} << "a;;;";
    QTest::newRow("two empty entries") << QStringList{"", ""} << ";;;";
    QTest::newRow("semicolons inside") << QStringList{"a;b", "c;;d"} << "a;b;;;c;;d";
    QTest::newRow("cyrillic") << QStringList{"Дом", "Работа"} << "Дом;;;Работа";
}

void tst_SqliteDatabase::listEncoding()
{
    QFETCH(QStringList, list);
    QFETCH(QString, column);

    QCOMPARE(SqliteDatabase::encodeList(list), column);
    QCOMPARE(SqliteDatabase::decodeList(column), list);

    auto contact = makeContact(QStringLiteral("3"), QStringLiteral("Anna"));
    contact->phoneList = list;
    contact->linkList = list;
    auto store = openStore();
    QVERIFY(store);
    store->insertContact(contact.get());
    store.reset();

    const auto raw =
            rawRows(defaultFile(), QStringLiteral("select phoneList, linkList from contact"));
    QCOMPARE(raw.size(), 1);
    QVERIFY(!raw.first().at(0).isNull());
    QCOMPARE(raw.first().at(0).toString(), column);
    QCOMPARE(raw.first().at(1).toString(), column);
    const auto contacts = reload();
    QCOMPARE(contacts.size(), 1);
    QCOMPARE(contacts.first()->phoneList, list);
    QCOMPARE(contacts.first()->linkList, list);
}

void tst_SqliteDatabase::emptyEntriesKeepPairs()
{
    QVERIFY(openStore());
    rawRows(defaultFile(),
            QStringLiteral("insert into contact (id, name, phoneList, phoneGroupList, emailList) "
                           "values (9, 'Anna', 'a;;;;;;b', 'Home;;;Work;;;Mobile', NULL)"));
    const auto contacts = reload();
    QCOMPARE(contacts.size(), 1);
    QCOMPARE(contacts.first()->phoneList, (QStringList{"a", "", "b"}));
    QCOMPARE(contacts.first()->phoneGroupList, (QStringList{"Home", "Work", "Mobile"}));
    QCOMPARE(contacts.first()->emailList, QStringList());
}

void tst_SqliteDatabase::nonNumericIdIsStoredUnderZero()
{
    auto store = openStore();
    QVERIFY(store);
    store->insertContact(makeContact(QStringLiteral("abc"), QStringLiteral("Anna")).get());
    store.reset();
    const auto raw = rawRows(defaultFile(), QStringLiteral("select id from contact"));
    QCOMPARE(raw.size(), 1);
    QCOMPARE(raw.first().first().toLongLong(), 0);
    QCOMPARE(ids(reload()), QStringList{QStringLiteral("0")});
}

void tst_SqliteDatabase::duplicateIdChangesNothing()
{
    const QString image = writeImage(m_files.path(), 10, 10);
    auto store = openStore();
    QVERIFY(store);
    store->insertContact(makeContact(QStringLiteral("4"), QStringLiteral("Anna")).get());
    store->savePhoto(QStringLiteral("4"), image);
    const QByteArray photo = store->loadPhoto(QStringLiteral("4"));
    QVERIFY(!photo.isEmpty());

    auto other = makeContact(QStringLiteral("4"), QStringLiteral("Boris"));
    QImage big(50, 50, QImage::Format_RGB32);
    big.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    big.save(&buffer, "PNG");
    other->photoData = png.toBase64();
    store->insertContact(other.get());
    QCOMPARE(store->loadPhoto(QStringLiteral("4")), photo);
    store.reset();

    const auto contacts = reload();
    QCOMPARE(contacts.size(), 1);
    QCOMPARE(contacts.first()->name, QStringLiteral("Anna"));
}

void tst_SqliteDatabase::updateReplacesFieldsAndKeepsPhoto()
{
    const QString image = writeImage(m_files.path(), 10, 10);
    auto store = openStore();
    QVERIFY(store);
    auto contact = makeContact(QStringLiteral("8"), QStringLiteral("Anna"));
    contact->phoneList = QStringList{QStringLiteral("1")};
    store->insertContact(contact.get());
    store->savePhoto(contact->id, image);
    const QByteArray photo = store->loadPhoto(contact->id);
    QVERIFY(!photo.isEmpty());

    contact->name = QStringLiteral("Maria");
    contact->isFavorite = true;
    contact->phoneList.clear();
    store->updateContact(contact.get());
    store->updateContact(makeContact(QStringLiteral("99"), QStringLiteral("Nobody")).get());
    store.reset();

    const auto contacts = reload();
    QCOMPARE(contacts.size(), 1);
    QCOMPARE(contacts.first()->name, QStringLiteral("Maria"));
    QCOMPARE(contacts.first()->isFavorite, true);
    QCOMPARE(contacts.first()->phoneList, QStringList());
    QCOMPARE(openStore()->loadPhoto(contact->id), photo);
}

void tst_SqliteDatabase::namelessRecordsAreSkipped_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("middlename");

    QTest::newRow("all empty") << ""
                               << ""
                               << "";
    QTest::newRow("blanks") << "  "
                            << " "
                            << "";
    QTest::newRow("tabs and line breaks") << "\t"
                                          << "\n"
                                          << " \r\n";
}

void tst_SqliteDatabase::namelessRecordsAreSkipped()
{
    QFETCH(QString, name);
    QFETCH(QString, surname);
    QFETCH(QString, middlename);

    auto store = openStore();
    QVERIFY(store);
    auto nameless = makeContact(QStringLiteral("1"), name, surname);
    nameless->middlename = middlename;
    nameless->organization = QStringLiteral("ACME");
    store->insertContact(nameless.get());
    store->insertContact(makeContact(QStringLiteral("2"), QStringLiteral("Anna")).get());
    store.reset();

    QCOMPARE(ids(reload()), QStringList{QStringLiteral("2")});
    QCOMPARE(rawRows(defaultFile(), QStringLiteral("select id from contact")).size(), 2);
}

void tst_SqliteDatabase::toggleFavoriteTwiceRestoresMark()
{
    auto store = openStore();
    QVERIFY(store);
    store->insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    auto starred = makeContact(QStringLiteral("2"), QStringLiteral("Boris"));
    starred->isFavorite = true;
    store->insertContact(starred.get());

    store->toggleFavorite(QStringLiteral("1"));
    store->toggleFavorite(QStringLiteral("2"));
    store.reset();
    auto contacts = reload();
    QCOMPARE(contacts.size(), 2);
    QCOMPARE(contacts.at(0)->isFavorite, true);
    QCOMPARE(contacts.at(1)->isFavorite, false);

    store = openStore();
    store->toggleFavorite(QStringLiteral("1"));
    store->toggleFavorite(QStringLiteral("2"));
    store.reset();
    contacts = reload();
    QCOMPARE(contacts.at(0)->isFavorite, false);
    QCOMPARE(contacts.at(1)->isFavorite, true);
}

void tst_SqliteDatabase::toggleFavoriteOfUnknownIdAddsNoRow()
{
    auto store = openStore();
    QVERIFY(store);
    store->insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    store->toggleFavorite(QStringLiteral("2"));
    store.reset();
    const auto raw = rawRows(defaultFile(), QStringLiteral("select id, isFavorite from contact"));
    QCOMPARE(raw.size(), 1);
    QCOMPARE(raw.first().at(0).toLongLong(), 1);
    QCOMPARE(raw.first().at(1).toInt(), 0);
}

void tst_SqliteDatabase::removeContactsRemovesRowsAndPhotos()
{
    const QString image = writeImage(m_files.path(), 10, 10);
    auto store = openStore();
    QVERIFY(store);
    for (int i = 1; i <= 4; ++i) {
        store->insertContact(
                makeContact(QString::number(i), QStringLiteral("Name %1").arg(i)).get());
        store->savePhoto(QString::number(i), image);
    }

    store->removeContacts(QStringList());
    store.reset();
    QCOMPARE(ids(reload()), (QStringList{"1", "2", "3", "4"}));

    store = openStore();
    store->removeContacts(QStringList{"4", "2", "77"});
    QVERIFY(store->loadPhoto(QStringLiteral("2")).isEmpty());
    QVERIFY(!store->loadPhoto(QStringLiteral("3")).isEmpty());
    store.reset();
    QCOMPARE(ids(reload()), (QStringList{"1", "3"}));
    QCOMPARE(rawRows(defaultFile(),
                     QStringLiteral("select count(*) from contact where photoData is not null"))
                     .first()
                     .first()
                     .toInt(),
             2);
}

void tst_SqliteDatabase::photoIsScaled_data()
{
    QTest::addColumn<QSize>("original");
    QTest::addColumn<QSize>("stored");

    QTest::newRow("wide") << QSize(1000, 500) << QSize(400, 200);
    QTest::newRow("tall") << QSize(500, 1000) << QSize(200, 400);
    QTest::newRow("square") << QSize(600, 600) << QSize(400, 400);
    QTest::newRow("small") << QSize(300, 200) << QSize(300, 200);
    QTest::newRow("exactly 400") << QSize(400, 400) << QSize(400, 400);
    QTest::newRow("only height too big") << QSize(100, 401) << QSize(100, 400);
    QTest::newRow("long thin line") << QSize(1000, 1) << QSize(400, 1);
    QTest::newRow("tall thin line") << QSize(1, 1000) << QSize(1, 400);
}

void tst_SqliteDatabase::photoIsScaled()
{
    QFETCH(QSize, original);
    QFETCH(QSize, stored);

    const QString image = writeImage(m_files.path(), original.width(), original.height());
    auto store = openStore();
    QVERIFY(store);
    store->insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    store->savePhoto(QStringLiteral("1"), image);
    store.reset();

    const QByteArray photo = openStore()->loadPhoto(QStringLiteral("1"));
    QVERIFY(photo.startsWith("\x89PNG\r\n"));
    QCOMPARE(QImage::fromData(photo, "PNG").size(), stored);

    const auto raw = rawRows(defaultFile(), QStringLiteral("select photoData from contact"));
    const QByteArray column = raw.first().first().toByteArray();
    QCOMPARE(column, photo.toBase64());
    QVERIFY(!column.contains('\n'));
}

void tst_SqliteDatabase::unreadableImageKeepsEarlierPhoto_data()
{
    QTest::addColumn<QString>("path");

    const QString text = m_files.path() + QStringLiteral("/notes.txt");
    QVERIFY(writeFile(text, "This is not an image.\n"));
    QTest::newRow("text file") << text;
    QTest::newRow("empty path") << QString();
    QTest::newRow("missing file") << m_files.path() + QStringLiteral("/missing.png");
}

void tst_SqliteDatabase::unreadableImageKeepsEarlierPhoto()
{
    QFETCH(QString, path);

    const QString image = writeImage(m_files.path(), 30, 20);
    auto store = openStore();
    QVERIFY(store);
    store->insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    store->savePhoto(QStringLiteral("1"), image);
    const QByteArray photo = store->loadPhoto(QStringLiteral("1"));
    QCOMPARE(QImage::fromData(photo).size(), QSize(30, 20));

    store->savePhoto(QStringLiteral("1"), path);
    store.reset();
    QCOMPARE(openStore()->loadPhoto(QStringLiteral("1")), photo);
}

void tst_SqliteDatabase::importedPhotoIsNormalized()
{
    QImage image(1000, 500, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(image.save(&buffer, "BMP"));

    auto contact = makeContact(QStringLiteral("6"), QStringLiteral("Anna"));
    contact->photoData = bmp.toBase64();
    auto store = openStore();
    QVERIFY(store);
    store->insertContact(contact.get());
    store.reset();

    const QByteArray photo = openStore()->loadPhoto(QStringLiteral("6"));
    QVERIFY(photo.startsWith("\x89PNG\r\n"));
    QCOMPARE(QImage::fromData(photo, "PNG").size(), QSize(400, 200));
}

void tst_SqliteDatabase::importedPhotoThatIsNoImageIsDropped()
{
    auto contact = makeContact(QStringLiteral("6"), QStringLiteral("Anna"));
    contact->photoData = QByteArray("not an image at all").toBase64();
    auto store = openStore();
    QVERIFY(store);
    store->insertContact(contact.get());
    QVERIFY(store->loadPhoto(QStringLiteral("6")).isEmpty());
    store.reset();
    const auto raw = rawRows(defaultFile(), QStringLiteral("select id, photoData from contact"));
    QCOMPARE(raw.size(), 1);
    QVERIFY(raw.first().at(1).isNull());
}

void tst_SqliteDatabase::hugeImportedPhotoIsNotDecoded_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<bool>("stored");

    QTest::newRow("16 megapixels") << QSize(4000, 4000) << QByteArray("png") << true;
    QTest::newRow("more than 16 megapixels") << QSize(4000, 4001) << QByteArray("png") << false;
    // JPEG decodes at a reduced size, so a big camera photo still arrives.
    QTest::newRow("JPEG of more than 16 megapixels")
            << QSize(4001, 4001) << QByteArray("jpeg") << true;
}

// An imported photo is untrusted: a small file must not make the store
// decode an image of gigabytes.
void tst_SqliteDatabase::hugeImportedPhotoIsNotDecoded()
{
    QFETCH(QSize, size);
    QFETCH(QByteArray, format);
    QFETCH(bool, stored);

    auto contact = makeContact(QStringLiteral("6"), QStringLiteral("Anna"));
    if (format == "png") {
        contact->photoData = blackPng(size.width(), size.height()).toBase64();
        QVERIFY(contact->photoData.size() < 100000);
    } else {
        QImage image(size, QImage::Format_Grayscale8);
        image.fill(0);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(image.save(&buffer, format.constData()));
        contact->photoData = bytes.toBase64();
    }
    auto store = openStore();
    QVERIFY(store);
    store->insertContact(contact.get());
    const QByteArray photo = store->loadPhoto(QStringLiteral("6"));
    QCOMPARE(!photo.isEmpty(), stored);
    if (stored) {
        QCOMPARE(QImage::fromData(photo, "PNG").size(), QSize(400, 400));
    }
}

void tst_SqliteDatabase::connectionNamesAreUniqueAndReleased()
{
    const QStringList before = QSqlDatabase::connectionNames();
    const QString first = m_files.path() + QStringLiteral("/first.sqlite");
    const QString second = m_files.path() + QStringLiteral("/second.sqlite");
    {
        SqliteDatabase a;
        SqliteDatabase b;
        QVERIFY(a.open(first));
        QVERIFY(b.open(second));
        QVERIFY(a.connectionName().startsWith(QStringLiteral("sql_connection_")));
        QVERIFY(a.connectionName() != b.connectionName());
        QCOMPARE(QSqlDatabase::connectionNames().size(), before.size() + 2);

        a.insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
        b.insertContact(makeContact(QStringLiteral("2"), QStringLiteral("Boris")).get());
        QCOMPARE(loadedCount(a), 1);

        const QString oldName = a.connectionName();
        QVERIFY(a.open(second));
        QVERIFY(!QSqlDatabase::connectionNames().contains(oldName));
        QCOMPARE(QSqlDatabase::connectionNames().size(), before.size() + 2);
        const QList<Contact *> contacts = a.loadContacts();
        QCOMPARE(contacts.size(), 1);
        QCOMPARE(contacts.first()->name, QStringLiteral("Boris"));
        qDeleteAll(contacts);
    }
    QCOMPARE(QSqlDatabase::connectionNames(), before);
    QCOMPARE(reload(first).size(), 1);
}

void tst_SqliteDatabase::operationsBeforeOpenDoNothing()
{
    SqliteDatabase store;
    store.insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    store.updateContact(nullptr);
    store.insertContact(nullptr);
    store.toggleFavorite(QStringLiteral("1"));
    store.removeContacts(QStringList{QStringLiteral("1")});
    store.savePhoto(QStringLiteral("1"), writeImage(m_files.path(), 5, 5));
    QVERIFY(store.loadContacts().isEmpty());
    QVERIFY(store.loadPhoto(QStringLiteral("1")).isEmpty());
    QVERIFY(store.connectionName().isEmpty());
    QVERIFY(!QFileInfo::exists(defaultFile()));
}

void tst_SqliteDatabase::writesAreCommittedWhenEventLoopRuns()
{
    auto store = openStore();
    QVERIFY(store);
    const QString countRows = QStringLiteral("select count(*) from contact");
    for (int i = 1; i <= 100; ++i) {
        store->insertContact(makeContact(QString::number(i), QStringLiteral("Anna")).get());
    }
    // Another connection sees the batch only once it is committed.
    QCOMPARE(rawRows(defaultFile(), countRows).first().first().toInt(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(rawRows(defaultFile(), countRows).first().first().toInt(), 100);

    store->removeContacts(QStringList{QStringLiteral("1")});
    QCOMPARE(loadedCount(*store), 99);
    QCOMPARE(rawRows(defaultFile(), countRows).first().first().toInt(), 99);

    store->toggleFavorite(QStringLiteral("2"));
    store.reset();
    QCOMPARE(rawRows(defaultFile(), QStringLiteral("select isFavorite from contact where id = 2"))
                     .first()
                     .first()
                     .toInt(),
             1);
}

void tst_SqliteDatabase::storesOfOneProcessSeeEachOthersWrites()
{
    auto first = openStore();
    QVERIFY(first);
    first->insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());

    auto second = openStore();
    QVERIFY(second);
    const QList<Contact *> loaded = second->loadContacts();
    QCOMPARE(loaded.size(), 1);
    qDeleteAll(loaded);
    // The first store still holds no lock that would make this write wait.
    second->insertContact(makeContact(QStringLiteral("2"), QStringLiteral("Boris")).get());
    first->toggleFavorite(QStringLiteral("2"));

    const QList<Contact *> both = first->loadContacts();
    QCOMPARE(both.size(), 2);
    QCOMPARE(both.at(1)->isFavorite, true);
    qDeleteAll(both);
}

void tst_SqliteDatabase::killedImportLeavesPrefix_data()
{
    QTest::addColumn<QString>("mode");

    QTest::newRow("killed while importing") << "import";
    QTest::newRow("killed inside a large open transaction") << "pending";
}

// A child process imports into the store in a home of its own and is killed
// with SIGKILL; the file must be intact and hold a prefix of the import.
void tst_SqliteDatabase::killedImportLeavesPrefix()
{
    QFETCH(QString, mode);

    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral(CRASH_CHILD), QStringList{mode});
    QVERIFY(child.waitForStarted());

    int committed = -1;
    while (committed < 0) {
        if (!child.canReadLine()) {
            QVERIFY2(child.waitForReadyRead(60000), "the child reported nothing");
            continue;
        }
        const QByteArray line = child.readLine().trimmed();
        QVERIFY2(line != "done", "the import ended before the child was killed");
        if (mode == QLatin1String("pending")) {
            QVERIFY(line.startsWith("pending "));
            committed = line.mid(8).toInt();
        } else if (line.toInt() >= 2000) {
            committed = line.toInt();
        }
    }
    const QString file = home.path() + QStringLiteral("/.config/kiv-phone.sqlite");
    child.kill();
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    if (mode == QLatin1String("pending")) {
        // The transaction had written pages: the journal is hot.
        QVERIFY(QFileInfo(file + QStringLiteral("-journal")).size() > 0);
    }

    const auto check = rawRows(file, QStringLiteral("pragma integrity_check"));
    QCOMPARE(check.size(), 1);
    QCOMPARE(check.first().first().toString(), QStringLiteral("ok"));

    const auto rows = rawRows(file, QStringLiteral("select id from contact order by id"));
    QVERIFY(rows.size() >= committed);
    QVERIFY(rows.size() < 20000);
    if (mode == QLatin1String("pending")) {
        QCOMPARE(rows.size(), committed);
    }
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).first().toInt() != i + 1) {
            QFAIL(qPrintable(
                    QStringLiteral("row %1 holds id %2").arg(i).arg(rows.at(i).first().toInt())));
        }
    }
    if (mode == QLatin1String("import")) {
        // Every fourth contact came with a photo, written with its row.
        const auto photos = rawRows(file, QStringLiteral("select count(*), sum(id % 4 = 1) from "
                                                         "contact where photoData is not null"));
        QCOMPARE(photos.first().at(0).toInt(), (rows.size() + 3) / 4);
        QCOMPARE(photos.first().at(1).toInt(), (rows.size() + 3) / 4);
    }
}

KIV_TEST_GUILESS_MAIN(tst_SqliteDatabase)
#include "tst_sqlitedatabase.moc"

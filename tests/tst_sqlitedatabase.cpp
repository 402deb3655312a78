#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

// What only the SQLite store does: its file (creation, take-over of the old
// name, files it must not touch), the column format, connections, batched
// commits and crash safety. The store contract is in tst_store.
namespace {

QString configDir()
{
    return QDir::homePath() + QStringLiteral("/.config");
}

QString defaultFile()
{
    return configDir() + QStringLiteral("/kiv-phone.sqlite");
}

// The rows of a statement on a connection of its own, joined by "|" and ",".
QString raw(const QString &file, const QString &sql)
{
    static int counter = 0;
    const QString name = QStringLiteral("raw_%1").arg(++counter);
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        QSqlQuery query(db);
        if (db.open() && query.exec(sql)) {
            while (query.next()) {
                QStringList row;
                for (int i = 0; i < query.record().count(); ++i) {
                    row << (query.isNull(i) ? QStringLiteral("NULL") : query.value(i).toString());
                }
                rows << row.join(QLatin1Char(','));
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return rows.join(QLatin1Char('|'));
}

QString loadedNames(const QString &path = QString())
{
    SqliteDatabase store;
    QStringList names;
    if (store.open(path)) {
        const QList<Contact *> contacts = store.loadContacts();
        for (Contact *contact : contacts) {
            names << contact->name;
        }
        qDeleteAll(contacts);
    }
    return names.join(QLatin1Char('|'));
}

void insert(const QString &path, const QString &id, const QString &name)
{
    SqliteDatabase store;
    QVERIFY(store.open(path));
    store.insertContact(makeContact(id, name).get());
}

} // namespace

class tst_SqliteDatabase : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void firstOpenCreatesTableOfTheOldProgram();
    void takesOverOldFile_data();
    void takesOverOldFile();
    void unusableFileIsLeftUntouched_data();
    void unusableFileIsLeftUntouched();
    void foreignDatabaseIsLeftUntouched();
    void listColumns_data();
    void listColumns();
    void connectionsAreUniqueAndReleased();
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
}

void tst_SqliteDatabase::firstOpenCreatesTableOfTheOldProgram()
{
    // An empty file gets the table; a blank path means the default file.
    QVERIFY(!writeFile(defaultFile(), QByteArray()).isEmpty());
    insert(QStringLiteral(" \t "), QStringLiteral("1"), QStringLiteral("Anna"));
    QCOMPARE(loadedNames(), QStringLiteral("Anna"));
    QCOMPARE(SqliteDatabase::defaultPath(), defaultFile());
    // Files of the earlier program have exactly this table.
    QCOMPARE(raw(defaultFile(), QStringLiteral("select sql from sqlite_master where type='table'")),
             QStringLiteral("CREATE TABLE contact (id bigint primary key, name text, surname "
                            "text, middlename text, isFavorite integer, organization text, "
                            "dateOfBirth text, comment text, phoneList text, phoneGroupList text, "
                            "emailList text, emailGroupList text, addressList text, "
                            "addressGroupList text, linkList text, photoData text)"));
    QCOMPARE(QDir(configDir()).entryList(QDir::Files), QStringList{"kiv-phone.sqlite"});
}

void tst_SqliteDatabase::takesOverOldFile_data()
{
    QTest::addColumn<bool>("oldPresent");
    QTest::addColumn<bool>("newPresent");
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<bool>("oldRemains");

    QTest::newRow("only the old file") << true << false << "Old" << false;
    QTest::newRow("both files") << true << true << "New" << true;
    QTest::newRow("only the new file") << false << true << "New" << false;
}

void tst_SqliteDatabase::takesOverOldFile()
{
    QFETCH(bool, oldPresent);
    QFETCH(bool, newPresent);
    const QString oldFile = configDir() + QStringLiteral("/kiv-contacts.sqlite");
    QVERIFY(QDir().mkpath(configDir()));
    if (oldPresent) {
        insert(oldFile, QStringLiteral("1"), QStringLiteral("Old"));
    }
    if (newPresent) {
        insert(defaultFile(), QStringLiteral("2"), QStringLiteral("New"));
    }
    const QByteArray oldBytes = readFile(oldFile);
    QTEST(loadedNames(), "loaded");
    QTEST(QFileInfo::exists(oldFile), "oldRemains");
    if (QFileInfo::exists(oldFile)) {
        QCOMPARE(readFile(oldFile), oldBytes);
    }
}

void tst_SqliteDatabase::unusableFileIsLeftUntouched_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("text file") << QByteArray("Surname,Name,Phone\nSmith,Anna,123\n").repeated(200);
    QTest::newRow("image") << imageBytes(QSize(20, 20));
    QTest::newRow("SQLite magic then garbage")
            << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\xff');
}

void tst_SqliteDatabase::unusableFileIsLeftUntouched()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!writeFile(defaultFile(), bytes).isEmpty());
    const QStringList connections = QSqlDatabase::connectionNames();
    SqliteDatabase store;
    QVERIFY(!store.open(QString()));
    QVERIFY(!store.open(m_files.filePath(QStringLiteral("missing/contacts.sqlite"))));
    QCOMPARE(QSqlDatabase::connectionNames(), connections);
    store.insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    QCOMPARE(readFile(defaultFile()), bytes);
    QCOMPARE(QDir(configDir()).entryList(QDir::Files), QStringList{"kiv-phone.sqlite"});
}

void tst_SqliteDatabase::foreignDatabaseIsLeftUntouched()
{
    const QString path = m_files.filePath(QStringLiteral("foreign.sqlite"));
    raw(path, QStringLiteral("create table other (a text)"));
    const QByteArray bytes = readFile(path);
    QVERIFY(!bytes.isEmpty());
    SqliteDatabase store;
    QVERIFY(store.open(path));
    store.insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    store.toggleFavorite(QStringLiteral("1"));
    QVERIFY(store.loadContacts().isEmpty());
    QCOMPARE(readFile(path), bytes);
}

// The column format is shared with the files of the earlier program.
void tst_SqliteDatabase::listColumns_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("column");

    QTest::newRow("two entries") << QStringList{"123", "Дом"} << "123;;;Дом";
    QTest::newRow("empty list") << QStringList() << "";
    QTest::newRow("empty entry in the middle") << QStringList{"a", "", "b"} << "a;;;;;;b";
    QTest::newRow("empty last entry") << QStringList{"a", ""} << "a;;;";
    QTest::newRow("semicolons inside") << QStringList{"a;b", "c;;d"} << "a;b;;;c;;d";
}

void tst_SqliteDatabase::listColumns()
{
    QFETCH(QStringList, list);
    QFETCH(QString, column);
    auto contact = makeContact(QStringLiteral("3"), QStringLiteral("Anna"));
    contact->phoneList = list;
    contact->linkList = list;
    {
        SqliteDatabase store;
        QVERIFY(store.open(QString()));
        store.insertContact(contact.get());
    }
    QCOMPARE(raw(defaultFile(), QStringLiteral("select phoneList, linkList from contact")),
             column + QLatin1Char(',') + column);
    SqliteDatabase store;
    QVERIFY(store.open(QString()));
    const QList<Contact *> loaded = store.loadContacts();
    QCOMPARE(loaded.size(), 1);
    QCOMPARE(loaded.first()->phoneList, list);
    qDeleteAll(loaded);
}

void tst_SqliteDatabase::connectionsAreUniqueAndReleased()
{
    const QStringList before = QSqlDatabase::connectionNames();
    const QString first = m_files.filePath(QStringLiteral("first.sqlite"));
    const QString second = m_files.filePath(QStringLiteral("second.sqlite"));
    {
        SqliteDatabase a;
        SqliteDatabase b;
        QVERIFY(a.open(first));
        QVERIFY(b.open(second));
        QVERIFY(a.connectionName() != b.connectionName());
        a.insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
        b.insertContact(makeContact(QStringLiteral("2"), QStringLiteral("Boris")).get());
        const QString oldName = a.connectionName();
        QVERIFY(a.open(second));
        QVERIFY(!QSqlDatabase::connectionNames().contains(oldName));
        QCOMPARE(QSqlDatabase::connectionNames().size(), before.size() + 2);
    }
    QCOMPARE(QSqlDatabase::connectionNames(), before);
    QCOMPARE(loadedNames(first), QStringLiteral("Anna"));
    QCOMPARE(loadedNames(second), QStringLiteral("Boris"));
}

void tst_SqliteDatabase::operationsBeforeOpenDoNothing()
{
    SqliteDatabase store;
    store.insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    store.insertContact(nullptr);
    store.updateContact(nullptr);
    store.toggleFavorite(QStringLiteral("1"));
    store.removeContacts(QStringList{QStringLiteral("1")});
    store.savePhoto(QStringLiteral("1"), writeImage(m_files.path(), QSize(5, 5)));
    QVERIFY(store.loadContacts().isEmpty());
    QVERIFY(store.loadPhoto(QStringLiteral("1")).isEmpty());
    QVERIFY(!QFileInfo::exists(defaultFile()));
}

void tst_SqliteDatabase::writesAreCommittedWhenEventLoopRuns()
{
    auto store = std::make_unique<SqliteDatabase>();
    QVERIFY(store->open(QString()));
    const QString count = QStringLiteral("select count(*) from contact");
    for (int i = 1; i <= 100; ++i) {
        store->insertContact(makeContact(QString::number(i), QStringLiteral("Anna")).get());
    }
    // Another connection sees the batch only once it is committed.
    QCOMPARE(raw(defaultFile(), count), QStringLiteral("0"));
    QCoreApplication::processEvents();
    QCOMPARE(raw(defaultFile(), count), QStringLiteral("100"));
    store->removeContacts(QStringList{QStringLiteral("1")});
    store->toggleFavorite(QStringLiteral("2"));
    store.reset();
    QCOMPARE(raw(defaultFile(), QStringLiteral("select count(*), sum(isFavorite) from contact")),
             QStringLiteral("99,1"));
}

void tst_SqliteDatabase::storesOfOneProcessSeeEachOthersWrites()
{
    SqliteDatabase first;
    SqliteDatabase second;
    QVERIFY(first.open(QString()));
    QVERIFY(second.open(QString()));
    first.insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    QList<Contact *> loaded = second.loadContacts();
    QCOMPARE(loaded.size(), 1);
    qDeleteAll(loaded);
    // The first store holds no lock that would make this write wait.
    second.insertContact(makeContact(QStringLiteral("2"), QStringLiteral("Boris")).get());
    first.toggleFavorite(QStringLiteral("2"));
    loaded = first.loadContacts();
    QCOMPARE(loaded.size(), 2);
    QVERIFY(loaded.at(1)->isFavorite);
    qDeleteAll(loaded);
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
    const bool pending = mode == QLatin1String("pending");
    QTemporaryDir home;
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
        if (pending) {
            committed = line.mid(8).toInt();
        } else if (line.toInt() >= 2000) {
            committed = line.toInt();
        }
    }
    const QString file = home.path() + QStringLiteral("/.config/kiv-phone.sqlite");
    child.kill();
    QVERIFY(child.waitForFinished());
    if (pending) {
        // The transaction had written pages: the journal is hot.
        QVERIFY(QFileInfo(file + QStringLiteral("-journal")).size() > 0);
    }
    QCOMPARE(raw(file, QStringLiteral("pragma integrity_check")), QStringLiteral("ok"));
    const QStringList counts =
            raw(file, QStringLiteral("select count(*), max(id), count(photoData), "
                                     "sum(photoData is not null and id % 4 = 1) from contact"))
                    .split(QLatin1Char(','));
    const int rows = counts.at(0).toInt();
    QVERIFY(rows >= committed && rows < 20000);
    QCOMPARE(counts.at(1).toInt(), rows); // ids 1..rows: a prefix
    if (pending) {
        QCOMPARE(rows, committed);
    } else {
        // Every fourth contact came with a photo, written with its row.
        QCOMPARE(counts.at(2).toInt(), (rows + 3) / 4);
        QCOMPARE(counts.at(3).toInt(), (rows + 3) / 4);
    }
}

KIV_TEST_GUILESS_MAIN(tst_SqliteDatabase)
#include "tst_sqlitedatabase.moc"

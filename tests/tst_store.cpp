#include "record/contact.h"
#include "storage/defaultdatabase.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>

#include <cstdio>

// Both contact stores run scripts of tests/data/store/operations.jsonl; SQLite crash safety.
namespace {

QString configDir()
{
    return QDir::homePath() + QStringLiteral("/.config");
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
                for (int i = 0; i < query.record().count(); ++i)
                    row << (query.isNull(i) ? QStringLiteral("NULL") : query.value(i).toString());
                rows << row.join(QLatin1Char(','));
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return rows.join(QLatin1Char('|'));
}

// A record written as operations.jsonl's head explains ("ID Surname Name* tel:N/L WxH").
ContactPtr parseContact(const QString &text)
{
    QStringList words = text.split(QLatin1Char(' '));
    auto contact = std::make_unique<Contact>(nullptr);
    contact->id = words.takeFirst();
    QStringList name;
    for (const QString &word : qAsConst(words)) {
        const QStringList size = word.split(QLatin1Char('x'));
        if (word.startsWith(QLatin1String("tel:"))) {
            contact->phoneList << word.mid(4).section(QLatin1Char('/'), 0, 0);
            contact->phoneGroupList << word.section(QLatin1Char('/'), 1);
        } else if (size.size() == 2 && size[0].toInt() > 0) {
            contact->photoData =
                    imageBytes(QSize(size[0].toInt(), size[1].toInt()), "BMP").toBase64();
        } else if (word == QLatin1String("notimage")) {
            contact->photoData = QByteArray("no image").toBase64();
        } else if (word == QLatin1String("nameless")) {
            contact->name = QStringLiteral(" \t");
            contact->middlename = QStringLiteral("\r\n");
            contact->organization = QStringLiteral("ACME");
        } else {
            name << word;
        }
    }
    contact->isFavorite = !name.isEmpty() && name.last().endsWith(QLatin1Char('*'));
    if (contact->isFavorite)
        name.last().chop(1);
    contact->surname = name.size() > 1 ? name.takeFirst() : QString();
    contact->name += name.join(QLatin1Char(' '));
    return contact;
}

// Imports until killed, printing counts ("pending": 5,000 committed, 8,000 more open).
int importUntilKilled(const QString &mode, const QString &file)
{
    const bool pending = mode == QLatin1String("pending");
    SqliteDatabase store;
    if (!store.open(file))
        return 2;
    const QByteArray photo = imageBytes(QSize(64, 64)).toBase64();
    QElapsedTimer timer;
    timer.start();
    for (int i = 1; i <= (pending ? 13000 : 20000); ++i) {
        auto contact = makeContact(QString::number(i), QStringLiteral("Иванова Name %1").arg(i));
        contact->comment = QStringLiteral("A comment long enough to fill the pages of the file.");
        contact->phoneList = QStringList{QStringLiteral("+1 555 %1").arg(i)};
        contact->photoData = i % 4 == 1 ? photo : QByteArray();
        store.insertContact(contact.get());
        if (pending ? i == 5000 : timer.elapsed() >= 30) {
            QCoreApplication::processEvents();
            if (!pending)
                std::printf("%d\n", i), std::fflush(stdout);
            timer.restart();
        }
    }
    std::printf(pending ? "5000\n" : "done\n");
    std::fflush(stdout);
    char line[16];
    while (std::fgets(line, sizeof line, stdin)) { }
    return 0;
}

// How many of this process's file descriptors are open on the file.
int openHandlesOn(const QString &path)
{
    const QString file = QFileInfo(path).canonicalFilePath();
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    int count = 0;
    for (const QString &fd : descriptors.entryList(QDir::Files | QDir::System)) {
        count += QFileInfo(descriptors.filePath(fd)).symLinkTarget() == file ? 1 : 0;
    }
    return count;
}

} // namespace

class tst_Store : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
    void roundTripsAllFields();
    void operations_data();
    void operations();
    void operationsBeforeOpenDoNothing();
    void killedImportLeavesPrefix_data();
    void killedImportLeavesPrefix();
    void largeTableLoadsEveryRowInOrder_data();
    void largeTableLoadsEveryRowInOrder();
    void groupNamesStoredAsNumbersReadAlike();
    void newIdsPassStoredOnes();
    void keepsPairsNotTheSamePerson();
    void keepsGroups();

private:
    std::unique_ptr<DataBase> open() const;
    // What a freshly opened store loads, by id: "ID Full Name* tel:N/L WxH, ...".
    QString stored() const;
    QString photoFile(const QString &kind);
    // Opens store on a new file of this name; the file's path, empty when
    // it does not open.
    QString openNew(SqliteDatabase &store, const QString &name);
    QTemporaryDir m_files;
};

void tst_Store::initTestCase_data()
{
    QTest::addColumn<bool>("sqlite");
    QTest::newRow("sqlite") << true;
    QTest::newRow("settings file") << false;
}

void tst_Store::init()
{
    QDir(configDir()).removeRecursively();
    QSettings settings;
    settings.clear();
    settings.setValue(QStringLiteral("sortRole"), 262);
}

// A blank path selects the default file.
std::unique_ptr<DataBase> tst_Store::open() const
{
    QFETCH_GLOBAL(bool, sqlite);
    std::unique_ptr<DataBase> store(sqlite ? static_cast<DataBase *>(new SqliteDatabase)
                                           : new DefaultDatabase);
    return store->open(QStringLiteral(" \t ")) ? std::move(store) : nullptr;
}

QString tst_Store::stored() const
{
    auto store = open();
    QStringList result;
    for (Contact *contact : store ? store->loadContacts() : QList<Contact *>()) {
        QString text = contact->id + QLatin1Char(' ') + contact->fullname;
        text += contact->isFavorite ? QStringLiteral("*") : QString();
        for (int i = 0; i < contact->phoneList.size(); ++i) {
            const QString label = contact->phoneGroupList.value(i);
            text += QStringLiteral(" tel:") + contact->phoneList.at(i)
                    + (label.isEmpty() ? QString() : QLatin1Char('/') + label);
        }
        const QByteArray photo = store->loadPhoto(contact->id);
        const QSize size = QImage::fromData(photo, "PNG").size(); // PNG or nothing
        if (!photo.isEmpty())
            text += QStringLiteral(" %1x%2").arg(size.width()).arg(size.height());
        result << text;
        delete contact;
    }
    result.sort();
    return result.join(QStringLiteral(", "));
}

// An image file of WxH, a text file ("text") or no path at all ("none").
QString tst_Store::photoFile(const QString &kind)
{
    const QStringList size = kind.split(QLatin1Char('x'));
    if (kind == QLatin1String("text"))
        return writeFile(m_files.filePath(QStringLiteral("notes.txt")), "no image");
    return size.size() == 2 ? writeImage(m_files.path(), QSize(size[0].toInt(), size[1].toInt()))
                            : QString();
}

// The fullname is composed anew on loading; importMe is not stored.
void tst_Store::roundTripsAllFields()
{
    auto store = open();
    QStringList expected;
    for (const QByteArray &line : readFile(TEST_DATA_DIR "/store/records.jsonl").split('\n')) {
        if (line.isEmpty())
            continue;
        auto contact = contactFromJson(line);
        contact->importMe = false;
        store->insertContact(contact.get());
        contact->fullname =
                Contact::composeFullName(contact->surname, contact->name, contact->middlename);
        contact->importMe = true;
        expected << contactText(contact.get());
    }
    store.reset();
    store = open();
    QStringList loaded;
    for (Contact *contact : store->loadContacts()) {
        loaded << contactText(contact);
        delete contact;
    }
    loaded.sort();
    expected.sort();
    QCOMPARE(loaded, expected);
}

void tst_Store::operations_data()
{
    QTest::addColumn<QString>("stores");
    QTest::addColumn<QString>("script");
    addRowsFromFile(TEST_DATA_DIR "/store/operations.jsonl");
}

// Steps joined by " | "; the file's head explains them.
void tst_Store::operations()
{
    QFETCH_GLOBAL(bool, sqlite);
    QFETCH(QString, stores);
    QFETCH(QString, script);
    if (!stores.isEmpty() && stores != QLatin1String(sqlite ? "sqlite" : "settings file"))
        QSKIP("a step of the other store");
    std::unique_ptr<DataBase> first;
    std::unique_ptr<DataBase> second;
    QMap<QString, QByteArray> written;
    for (QString step : script.split(QStringLiteral(" | "))) {
        std::unique_ptr<DataBase> &store = step.startsWith(QLatin1String("2 ")) ? second : first;
        step.remove(QRegularExpression(QStringLiteral("^2 ")));
        const QString op = step.section(QLatin1Char(' '), 0, 0);
        const QString arg = step.section(QLatin1Char(' '), 1);
        const QString expected = step.section(QStringLiteral(" = "), 1);
        const QString file = configDir() + QLatin1Char('/') + arg.section(QLatin1Char(' '), 0, 0);
        if (!store && QStringList{"add", "update", "toggle", "remove", "photo"}.contains(op))
            QVERIFY2((store = open()), "the store does not open");
        if (op == QLatin1String("add")) {
            store->insertContact(parseContact(arg).get());
        } else if (op == QLatin1String("update")) {
            store->updateContact(parseContact(arg).get());
        } else if (op == QLatin1String("toggle")) {
            store->toggleFavorite(arg);
        } else if (op == QLatin1String("remove")) {
            store->removeContacts(arg.isEmpty() ? QStringList() : arg.split(QLatin1Char(',')));
        } else if (op == QLatin1String("photo")) {
            store->savePhoto(arg.section(QLatin1Char(' '), 0, 0),
                             photoFile(arg.section(QLatin1Char(' '), 1)));
        } else if (op == QLatin1String("close")) {
            store.reset();
        } else if (op == QLatin1String("events")) {
            QCoreApplication::processEvents();
        } else if (op == QLatin1String("=")) {
            QCOMPARE(stored(), arg);
        } else if (op == QLatin1String("sql")) {
            QCOMPARE(raw(configDir() + "/kiv-phone.sqlite", step.section(" = ", 0, 0).mid(4)),
                     expected);
        } else if (op == QLatin1String("keys")) {
            // The file as written on disk, read without QSettings and its cache.
            QStringList keys;
            QString section;
            const QString prefix = arg.section(QLatin1Char(' '), 0, 0);
            for (QString line : QString::fromUtf8(readFile(QSettings().fileName())).split('\n')) {
                if (line.startsWith(QLatin1Char('[')))
                    section = line.mid(1, line.size() - 2) + QLatin1Char('/');
                else if (line.contains('=')
                         && (section + line.replace('\\', '/')).startsWith(prefix))
                    keys << (section + line).mid(prefix.lastIndexOf('/') + 1).left(33);
            }
            keys.sort();
            QCOMPARE(keys.join(QStringLiteral("; ")), expected);
        } else if (op == QLatin1String("write")) {
            const QString kind = arg.section(QLatin1Char(' '), 1);
            QVERIFY(!writeFile(file, readFile(TEST_DATA_DIR "/store/" + kind)).isEmpty());
            if (kind.startsWith(QLatin1String("store:"))) {
                SqliteDatabase store;
                QVERIFY(store.open(file));
                store.insertContact(makeContact(QStringLiteral("1"), kind.mid(6)).get());
            } else if (kind == QLatin1String("foreign")) {
                raw(file, QStringLiteral("create table other (a text)"));
            }
            written[file] = readFile(file);
        } else if (op == QLatin1String("unchanged")) {
            QCOMPARE(readFile(file), written.value(file));
        } else if (op == QLatin1String("private")) {
            QCOMPARE(QFile::permissions(file),
                     QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        } else if (op == QLatin1String("files")) {
            QCOMPARE(QDir(configDir()).entryList(QDir::Files).join(QStringLiteral(", ")), expected);
        } else if (op == QLatin1String("refuses")) {
            // Neither the default file nor one in a missing folder opens; no connection stays.
            const QStringList connections = QSqlDatabase::connectionNames();
            SqliteDatabase store;
            QVERIFY(store.open(m_files.filePath(QStringLiteral("other.sqlite"))));
            QVERIFY(!store.open(QString()));
            QVERIFY(!store.open(m_files.filePath(QStringLiteral("missing/contacts.sqlite"))));
            QCOMPARE(QSqlDatabase::connectionNames(), connections);
            store.insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown step: ") + step));
        }
    }
    first.reset();
    second.reset();
    QCOMPARE(QSqlDatabase::connectionNames(), QStringList()); // every connection released
}

void tst_Store::operationsBeforeOpenDoNothing()
{
    QFETCH_GLOBAL(bool, sqlite);
    if (!sqlite)
        QSKIP("the settings-file store needs no opening");
    SqliteDatabase store;
    store.insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    store.insertContact(nullptr);
    store.updateContact(nullptr);
    store.toggleFavorite(QStringLiteral("1"));
    store.removeContacts(QStringList{QStringLiteral("1")});
    store.savePhoto(QStringLiteral("1"), writeImage(m_files.path(), QSize(5, 5)));
    QVERIFY(store.loadContacts().isEmpty());
    QVERIFY(store.loadPhoto(QStringLiteral("1")).isEmpty());
    QVERIFY(!QFileInfo::exists(SqliteDatabase::defaultPath()));
}

void tst_Store::killedImportLeavesPrefix_data()
{
    QTest::addColumn<QString>("mode");
    QTest::newRow("killed while importing") << "import";
    QTest::newRow("killed inside a large open transaction") << "pending";
}

// A killed import leaves an intact file with a prefix, each photo with its row.
void tst_Store::killedImportLeavesPrefix()
{
    QFETCH_GLOBAL(bool, sqlite);
    QFETCH(QString, mode);
    if (!sqlite)
        QSKIP("the SQLite store only");
    const QString file = m_files.filePath(mode + QStringLiteral(".sqlite"));
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {"--import-until-killed", mode, file});
    int committed = -1;
    while (committed < 0) {
        if (!child.canReadLine()) {
            QVERIFY2(child.waitForReadyRead(60000), "the child reported nothing");
            continue;
        }
        const QByteArray line = child.readLine().trimmed();
        QVERIFY2(line != "done", "the import ended before the child was killed");
        if (mode == QLatin1String("pending") || line.toInt() >= 2000)
            committed = line.toInt();
    }
    child.kill();
    QVERIFY(child.waitForFinished());
    if (mode == QLatin1String("pending")) // the transaction had written pages
        QVERIFY(QFileInfo(file + QStringLiteral("-journal")).size() > 0);
    QCOMPARE(raw(file, QStringLiteral("pragma integrity_check")), QStringLiteral("ok"));
    const QStringList counts =
            raw(file, QStringLiteral("select count(*), max(id), count(photoData), "
                                     "sum(photoData is not null and id % 4 = 1) "
                                     "from contact"))
                    .split(QLatin1Char(','));
    const int rows = counts.at(0).toInt();
    QVERIFY(rows >= committed && rows < 20000);
    QVERIFY(mode == QLatin1String("import") || rows == committed);
    QCOMPARE(counts.at(1).toInt(), rows); // ids 1..rows
    QCOMPARE(counts.at(2).toInt(), (rows + 3) / 4);
    QCOMPARE(counts.at(3).toInt(), (rows + 3) / 4);
}

QString tst_Store::openNew(SqliteDatabase &store, const QString &name)
{
    const QString file = m_files.filePath(name);
    QFile::remove(file);
    return store.open(file) ? file : QString();
}

void tst_Store::largeTableLoadsEveryRowInOrder_data()
{
    QTest::addColumn<bool>("renamed");
    QTest::newRow("read by two threads") << false;
    QTest::newRow("second connection cannot open the file") << true;
}

// A table spread over many row numbers is read by two threads: every
// record comes back once, in row order, owned by the loading thread. When
// the second connection cannot open the file (renamed since the open), the
// store's own connection reads every row.
void tst_Store::largeTableLoadsEveryRowInOrder()
{
    QFETCH_GLOBAL(bool, sqlite);
    QFETCH(bool, renamed);
    if (!sqlite)
        QSKIP("the SQLite store only");
    SqliteDatabase store;
    const QString file = openNew(store, QStringLiteral("spread.sqlite"));
    QVERIFY(!file.isEmpty());
    raw(file, QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n "
                             "where i < 300) insert into contact (rowid, id, name) "
                             "select i * 200, 1000 - i, 'N' || i from n"));
    // Each in a group, which both threads give the records they read.
    raw(file, QStringLiteral("create table contact_group_member (contactId bigint not null, "
                             "groupName text not null, primary key (contactId, groupName))"));
    raw(file, QStringLiteral("insert into contact_group_member select 1000 - rowid / 200, "
                             "'G' || (rowid / 200 % 3) from contact"));
    if (renamed)
        QVERIFY(QFile::rename(file, file + QStringLiteral(".moved")));
    const QList<Contact *> loaded = store.loadContacts();
    QStringList ids;
    for (const Contact *contact : loaded) {
        QCOMPARE(contact->thread(), QThread::currentThread());
        ids << contact->id + QLatin1Char(' ') + contact->groups.join(QLatin1Char(','));
    }
    qDeleteAll(loaded);
    QStringList expected;
    for (int i = 1; i <= 300; ++i)
        expected << QStringLiteral("%1 G%2").arg(1000 - i).arg(i % 3);
    QCOMPARE(ids, expected);
}

// A file written by other software may hold a group's name as a number
// (a column without a type keeps one): the members' lists name the group
// as the book's groups do.
void tst_Store::groupNamesStoredAsNumbersReadAlike()
{
    QFETCH_GLOBAL(bool, sqlite);
    if (!sqlite)
        QSKIP("the SQLite store only");
    SqliteDatabase store;
    const QString file = openNew(store, QStringLiteral("numbers.sqlite"));
    QVERIFY(!file.isEmpty());
    for (const char *sql :
         {"insert into contact (id, name) values (10, 'Anna')", "drop table contact_group_member",
          "drop table contact_group", "create table contact_group (name primary key not null)",
          "create table contact_group_member (contactId bigint not null, groupName not null, "
          "primary key (contactId, groupName))",
          "insert into contact_group values (2.0)", "insert into contact_group values ('Work')",
          "insert into contact_group_member values (10, 2.0)",
          "insert into contact_group_member values (10, 'Work')"}) {
        raw(file, QLatin1String(sql));
    }
    const QList<Contact *> loaded = store.loadContacts();
    QCOMPARE(loaded.size(), 1);
    QCOMPARE(store.groupNames(), (QStringList{"2", "Work"}));
    QCOMPARE(loaded.first()->groups, store.groupNames());
    qDeleteAll(loaded);
}

int main(int argc, char *argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--import-until-killed") == 0) {
        QCoreApplication app(argc, argv);
        return importUntilKilled(app.arguments().at(2), app.arguments().at(3));
    }
    TestHome home;
    QGuiApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("kiv"));
    app.setApplicationName(QStringLiteral("Contacts"));
    tst_Store test;
    return QTest::qExec(&test, argc, argv);
}

// An import hands out an id a millisecond, ahead of the clock: a session
// started before the clock caught up must not give a new contact an id
// its store holds (the SQLite store kept the old row and dropped the new
// one, the settings file overwrote the old one).
void tst_Store::newIdsPassStoredOnes()
{
    auto store = open();
    const qint64 ahead = Contact::makeId().toLongLong() + 1;
    for (int i = 0; i < 2000; ++i) {
        Contact imported;
        imported.id = QString::number(ahead + i);
        imported.name = QStringLiteral("Imported");
        store->insertContact(&imported);
    }
    store.reset();
    store = open();
    qDeleteAll(store->loadContacts());
    QVERIFY(Contact::makeId().toLongLong() >= ahead + 2000);
}

#include "tst_store.moc"

// "Not the same person" marks outlive the store object, each pair once.
void tst_Store::keepsPairsNotTheSamePerson()
{
    auto store = open();
    QVERIFY(store);
    QVERIFY(store->distinctPairs().isEmpty());
    store->addDistinctPair(QStringLiteral("20"), QStringLiteral("3"));
    store->addDistinctPair(QStringLiteral("3"), QStringLiteral("20"));
    store->addDistinctPair(QStringLiteral("5"), QStringLiteral("7"));
    store.reset();
    auto pairs = open()->distinctPairs();
    std::sort(pairs.begin(), pairs.end());
    QCOMPARE(pairs, (QList<QPair<QString, QString>>{{"20", "3"}, {"5", "7"}}));
}

// Groups outlive the store object, also without members; a rename onto an
// existing group keeps each member once; a removed group leaves its
// contacts, and a removed contact leaves its groups.
void tst_Store::keepsGroups()
{
    const auto state = [this] {
        auto store = open();
        QStringList text{store->groupNames().join(QLatin1Char(' '))};
        for (Contact *contact : store->loadContacts()) {
            text << contact->id + QLatin1String(": ") + contact->groups.join(QLatin1Char(' '));
            delete contact;
        }
        std::sort(text.begin() + 1, text.end());
        return text.join(QLatin1String(" | "));
    };
    auto store = open();
    Contact anna;
    anna.id = QStringLiteral("10");
    anna.name = QStringLiteral("Anna");
    anna.groups = QStringList{"Family", "Work"};
    Contact ben;
    ben.id = QStringLiteral("11");
    ben.name = QStringLiteral("Ben");
    ben.groups = QStringList{"Work"};
    // One group whose name is two others' joined is a list of its own.
    Contact cleo;
    cleo.id = QStringLiteral("12");
    cleo.name = QStringLiteral("Cleo");
    cleo.groups = QStringList{"FamilyWork"};
    store->insertContact(&anna);
    store->insertContact(&ben);
    store->insertContact(&cleo);
    store->addGroup(QStringLiteral("Football"));
    ben.groups = QStringList{"Family"};
    store->updateContact(&ben);
    store.reset();
    QCOMPARE(state(), QStringLiteral("Family Work FamilyWork Football | 10: Family Work | "
                                     "11: Family | 12: FamilyWork"));
    store = open();
    store->renameGroup(QStringLiteral("Work"), QStringLiteral("Family"));
    store->removeGroup(QStringLiteral("Football"));
    store->removeContacts({QStringLiteral("11")});
    store.reset();
    QCOMPARE(state(), QStringLiteral("Family FamilyWork | 10: Family | 12: FamilyWork"));
    // A statement left unfinalized keeps SQLite from closing the file.
    QCOMPARE(openHandlesOn(SqliteDatabase::defaultPath()), 0);
}

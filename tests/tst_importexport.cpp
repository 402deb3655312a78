#include "importexport/contactsfileparser.h"
#include "importexport/importexport.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QDir>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// The import/export backend: the export in its three formats (signals, the
// round trip through this program's importer and another reader, failures that
// must leave the earlier file as it was, where it may write), and the import's
// signals, re-parsing and turns of the event loop. Parsing itself is
// tst_parsers'; the store at the end is driven by the forms scene test.
namespace {

// Contacts with awkward characters in every text field; the second is not ticked.
std::vector<ContactPtr> awkwardContacts()
{
    auto contacts =
            makeContacts(QString::fromUtf8("Иванова-Петрова\nвторая Анна \"Аня\", тест; \\*|"
                                           "O'Neil, Jr. John|Cleo"));
    Contact *anna = contacts[0].get();
    anna->middlename = QString::fromUtf8("Сергеевна");
    anna->organization = QString::fromUtf8("ООО \"Рога, копыта; и Ко\" \\ филиал");
    anna->dateOfBirth = QStringLiteral("17.05.1990");
    anna->comment = QString::fromUtf8("first, \"quotes\"; \\backslash\nвторая строка\n\nlast");
    anna->phoneList = QStringList{"+7 916 123-45-67", "+7 (495) 1, ext. 2", "555;1"};
    anna->phoneGroupList = QStringList{"Mobile", "Home", "Work"};
    anna->emailList = QStringList{QString::fromUtf8("anna@пример.рф"), "a.b+c@example.org"};
    anna->emailGroupList = QStringList{"Home", "Work"};
    anna->addressList =
            QStringList{QString::fromUtf8("ул. Ленина, 1; кв. \"5\"\nМосква"), "W 5\\7"};
    anna->addressGroupList = QStringList{"Home", "Work"};
    anna->linkList = QStringList{"https://a.example/x?y=1,2;3", "http://b.example/\"q\""};
    contacts[1]->importMe = false;
    contacts[2]->dateOfBirth = QStringLiteral("01.01.2000");
    for (auto &contact : contacts) {
        contact->id = QStringLiteral("170000000000") + contact->id;
        contact->fullname = contact->composedFullName();
    }
    return contacts;
}

// Makes writes beyond a size fail (EFBIG) while it lives, like a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old;
    void (*m_oldHandler)(int);
};

} // namespace

class tst_ImportExport : public QObject
{
    Q_OBJECT

private slots:
    void exports_data();
    void exports();
    void failureLeavesEarlierFile_data();
    void failureLeavesEarlierFile();
    void pythonCsvModuleReadsExport();
    void target_data();
    void target();
    void importEmitsSignalsInOrder_data();
    void importEmitsSignalsInOrder();
    void reparsingReplacesAndReleasesList();
    void importLetsEventLoopRunButNotPerContact();

private:
    QString exportTo(const QString &name, int method, const std::vector<ContactPtr> &contacts);
    QTemporaryDir m_dir;
    SignalLog m_log;
    // The contacts the backend still holds after the last export.
    int m_leftOver = -1;
};

QString tst_ImportExport::exportTo(const QString &name, int method,
                                   const std::vector<ContactPtr> &contacts)
{
    const QString path = QDir::isAbsolutePath(name) ? name : m_dir.filePath(name);
    ImportExport backend;
    m_log.watch(&backend, &ImportExport::importContactStarted, QStringLiteral("started"));
    m_log.watch(&backend, &ImportExport::importContactProgress, QStringLiteral("progress"));
    m_log.watch(&backend, &ImportExport::importContactEnded, QStringLiteral("ended"));
    m_log.watch(&backend, &ImportExport::error, QStringLiteral("error"));
    QVariantList list;
    for (const ContactPtr &contact : contacts) {
        list << QVariant::fromValue(contact.get());
    }
    backend.setContactsForExport(list);
    backend.setExportFileAndMethod(path, ImportExport::ExportMethod(method));
    backend.exportContacts();
    m_leftOver = backend.contacts().size();
    return path;
}

void tst_ImportExport::exports_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("file");
    // The ticked contacts as the importer reads them back.
    QTest::addColumn<QString>("readBack");
    addRowsFromFile(TEST_DATA_DIR "/export/read-back.jsonl", "I");
}

void tst_ImportExport::exports()
{
    QFETCH(int, method);
    QFETCH(QString, file);
    m_log.entries.clear();
    writeFile(m_dir.filePath(file), "old content");
    const auto contacts = awkwardContacts();
    const QString path = exportTo(file, method, contacts);
    QCOMPARE(m_log.entries.join(' '), QStringLiteral("started(2) progress(1) progress(2) ended()"));
    QCOMPARE(m_leftOver, 0);
    // The exported records belong to the caller and stay as they were.
    QCOMPARE(contactText(contacts[0].get()), contactText(awkwardContacts()[0].get()));
    const Parsed parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")));
    QTEST(parsed.texts().join('\n'), "readBack");
    const QByteArray bytes = readFile(path);
    if (method != ImportExport::SQLITE_METHOD) {
        // UTF-8 without a mark, line feeds only, the last line ended.
        QVERIFY(bytes.contains(QString::fromUtf8("Сергеевна").toUtf8()));
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF") && bytes.endsWith('\n'));
    }

    // Nothing ticked: no signal, and the file is left alone.
    m_log.entries.clear();
    for (const ContactPtr &contact : contacts) {
        contact->importMe = false;
    }
    exportTo(file, method, contacts);
    QCOMPARE(m_log.entries, QStringList());
    QCOMPARE(readFile(path), bytes);
}

void tst_ImportExport::failureLeavesEarlierFile_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("failure");
    const char *names[] = {"Google CSV", "vCard", "database"};
    for (int method = 0; method < 3; ++method) {
        for (const char *failure : {"missing folder", "full disk", "killed"}) {
            QTest::addRow("%s, %s", names[method], failure) << method << failure;
        }
    }
}

// Whatever happens to the export, the earlier file stays as it was and no
// temporary file is left behind.
void tst_ImportExport::failureLeavesEarlierFile()
{
    QFETCH(int, method);
    QFETCH(QString, failure);
    m_log.entries.clear();
    const QString name = QStringLiteral("target-%1").arg(method);
    const QString path = m_dir.filePath(name);
    const QByteArray old("the earlier export\n");
    writeFile(path, old);
    if (failure == QLatin1String("missing folder")) {
        const QString missing = QStringLiteral("missing/") + name;
        exportTo(missing, method, awkwardContacts());
        QCOMPARE(m_log.entries.join('|'),
                 QStringLiteral("error(Unable to open file for writing: ") + m_dir.filePath(missing)
                         + QStringLiteral(" (No such file or directory))"));
        // A failed export keeps its contacts for a retry.
        QCOMPARE(m_leftOver, 3);
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("missing"))));
    } else if (failure == QLatin1String("full disk")) {
        // Enough data that the writer hits the limit after it started.
        std::vector<ContactPtr> contacts;
        for (int i = 0; i < 2000; ++i) {
            contacts.push_back(makeContact(QString::number(1700000000000LL + i),
                                           QStringLiteral("Name %1").arg(i)));
            contacts.back()->comment = QString(200, QLatin1Char('c'));
        }
        {
            FileSizeLimit limit(64 * 1024);
            exportTo(name, method, contacts);
        }
        QCOMPARE(m_log.entries.first(), QStringLiteral("started(2000)"));
        QCOMPARE(m_log.entries.last(), QStringLiteral("error(Unable to write file: ") + path + ')');
    } else {
        // A process killed in the middle of an export (power cut, crash).
        QProcess child;
        child.start(QStringLiteral(EXPORT_CRASH_CHILD), {QString::number(method), path});
        QVERIFY(child.waitForStarted(10000));
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT(
                (output += child.readAllStandardOutput()).contains("progress 1000"), 30000);
        child.kill();
        QVERIFY(child.waitForFinished(10000));
    }
    QCOMPARE(readFile(path), old);
    if (failure != QLatin1String("killed")) {
        QCOMPARE(QDir(m_dir.path())
                         .entryList({QLatin1Char('*') + name + QLatin1Char('*')},
                                    QDir::Files | QDir::Hidden),
                 QStringList{name});
    }
}

// Another reader: Python's csv module in strict mode reads every field back.
void tst_ImportExport::pythonCsvModuleReadsExport()
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        QSKIP("python3 is not installed");
    }
    auto contacts = awkwardContacts();
    contacts[1]->importMe = true;
    const QString path = exportTo(QStringLiteral("python.csv"), 0, contacts);
    QProcess process;
    process.start(python, {QStringLiteral("-c"), QStringLiteral(R"(
import csv, json, sys
rows = list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8'), strict=True))
values = lambda row, kind: [row[i + 1] for i, h in enumerate(rows[0])
                            if h.startswith(kind) and h.endswith(' - Type') and row[i]]
print(json.dumps([[row[rows[0].index('Given Name')], row[rows[0].index('Family Name')],
                   row[rows[0].index('Notes')]] + values(row, 'Phone') + values(row, 'E-mail')
                  for row in rows[1:] if len(row) == len(rows[0])]))
)"),
                           path});
    QVERIFY(process.waitForFinished(30000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    const QJsonArray rows = QJsonDocument::fromJson(process.readAllStandardOutput()).array();
    QCOMPARE(rows.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const Contact *c = contacts[size_t(i)].get();
        QCOMPARE(rows.at(i).toVariant().toStringList(),
                 QStringList({c->name, c->surname, c->comment}) + c->phoneList + c->emailList);
    }
}

void tst_ImportExport::target_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("target"); // the active database, a link to it, or a file mode
    QTest::addColumn<int>("mode");       // of the written file; -1: the export is refused
    QTest::newRow("active database, database") << 2 << "active" << -1;
    QTest::newRow("active database, CSV") << 0 << "active" << -1;
    QTest::newRow("symbolic link to it") << 2 << "symlink" << -1;
    QTest::newRow("hard link to it") << 1 << "hardlink" << -1;
    for (int method : {0, 1, 2}) {
        QTest::addRow("%d, new file owner-only", method) << method << "" << 0600;
        QTest::addRow("%d, replaced file keeps its mode", method) << method << "640" << 0640;
    }
}

// An export never writes onto the address book in use, however it is named,
// and keeps the permissions of the file it replaces.
void tst_ImportExport::target()
{
    QFETCH(int, method);
    QFETCH(QString, target);
    QFETCH(int, mode);
    const QString database = SqliteDatabase::defaultPath();
    if (!QFileInfo::exists(database)) {
        SqliteDatabase store;
        QVERIFY(store.open(QString()));
        store.insertContact(makeContact("11", "Adams").get());
    }
    const QByteArray before = readFile(database);
    QString path = m_dir.filePath("target.out");
    QFile::remove(path);
    if (target == "active")
        path = database;
    else if (target == "symlink")
        QVERIFY(QFile::link(database, path));
    else if (target == "hardlink")
        QCOMPARE(::link(QFile::encodeName(database), QFile::encodeName(path)), 0);
    else if (!target.isEmpty())
        QCOMPARE(::chmod(QFile::encodeName(writeFile(path, "")), target.toInt(nullptr, 8)), 0);
    m_log.entries.clear();
    exportTo(path, method, makeContacts("Adams"));
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(path), &info), 0);
    if (mode < 0) {
        QVERIFY2(m_log.entries.join(' ').contains("address book in use"),
                 qPrintable(m_log.entries.join(' ')));
        QCOMPARE(readFile(database), before);
    } else {
        QCOMPARE(m_log.entries.filter("error"), QStringList());
        QCOMPARE(int(info.st_mode & 0777), mode);
    }
}

void tst_ImportExport::importEmitsSignalsInOrder_data()
{
    QTest::addColumn<QString>("unticked");
    QTest::addColumn<QString>("log");
    QTest::newRow("one unticked") << "1"
                                  << "started(3), Anna(), progress(1), Cleo(), progress(2), "
                                     "Dan(), progress(3), ended()";
    QTest::newRow("nothing ticked") << "0123"
                                    << "";
}

void tst_ImportExport::importEmitsSignalsInOrder()
{
    QFETCH(QString, unticked);
    ImportExport backend;
    SignalLog log;
    log.watch(&backend, &ImportExport::importContactStarted, QStringLiteral("started"));
    connect(&backend, &ImportExport::importContact, this,
            [&](Contact *c) { log.append(c->name, {}); });
    log.watch(&backend, &ImportExport::importContactProgress, QStringLiteral("progress"));
    log.watch(&backend, &ImportExport::importContactEnded, QStringLiteral("ended"));
    backend.parseContactsFromFile(
            QStringLiteral("UTF-8"),
            writeFile(m_dir.filePath("four.csv"), "First Name\nAnna\nBob\nCleo\nDan\n"));
    QList<QPointer<Contact>> parsed;
    for (const QVariant &value : backend.contacts()) {
        parsed << value.value<Contact *>();
        parsed.last()->importMe = !unticked.contains(QString::number(parsed.size() - 1));
    }
    QSignalSpy changed(&backend, &ImportExport::contactsChanged);
    QCOMPARE(backend.importParsedContacts(), unticked.size() < 4);
    QTEST(log.entries.join(QStringLiteral(", ")), "log");
    QCOMPARE(changed.count(), 0);
    QVERIFY(backend.contacts().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(std::all_of(parsed.cbegin(), parsed.cend(), [](auto &c) { return c.isNull(); }));
}

void tst_ImportExport::reparsingReplacesAndReleasesList()
{
    const QString path = writeFile(m_dir.filePath("cp1251.csv"),
                                   "First Name,Last Name\n\xC0\xED\xED\xE0,Smith\n");
    QPointer<Contact> first;
    {
        ImportExport backend;
        QSignalSpy errors(&backend, &ImportExport::error);
        backend.parseContactsFromFile(QStringLiteral("UTF-8"),
                                      writeFile(m_dir.filePath("notes.txt"), "just text\n"));
        QCOMPARE(errors.value(0).value(0).toString(),
                 QStringLiteral("This file is not a contact file (a plain text document)"));
        backend.parseContactsFromFile(QStringLiteral("UTF-8"), path);
        // A new file's 8-bit text is read in the encoding detected for it.
        first = backend.contacts().value(0).value<Contact *>();
        QVERIFY(first && first->name == QString::fromUtf8("Анна"));
        QList<int> sizes;
        connect(&backend, &ImportExport::contactsChanged, this,
                [&] { sizes << backend.contacts().size(); });
        // Without a file name the last file is read again in the new codec.
        backend.parseContactsFromFile(QStringLiteral("UTF-8"));
        QCOMPARE(sizes, (QList<int>{0, 1}));
        QVERIFY(backend.contacts().first().value<Contact *>()->name != QString::fromUtf8("Анна"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        first = backend.contacts().first().value<Contact *>();
    }
    // The parsed records go with the backend.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
}

// The progress must be drawn during a long import, but turning the event
// loop for every contact would make the import itself slow.
void tst_ImportExport::importLetsEventLoopRunButNotPerContact()
{
    QByteArray csv("First Name\n");
    for (int i = 0; i < 3000; ++i) {
        csv += "N" + QByteArray::number(i) + "\n";
    }
    ImportExport backend;
    backend.parseContactsFromFile(QStringLiteral("UTF-8"), writeFile(m_dir.filePath("m.csv"), csv));
    int turns = 0;
    QObject context; // the queued calls end with it
    std::function<void()> repost = [&] {
        ++turns;
        QMetaObject::invokeMethod(&context, repost, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(&context, repost, Qt::QueuedConnection);
    int count = 0;
    connect(&backend, &ImportExport::importContact, this, [&](Contact *) {
        if (++count <= 300) {
            QTest::qSleep(1); // 300 ms in all
        }
    });
    QVERIFY(backend.importParsedContacts());
    QCOMPARE(count, 3000);
    QVERIFY2(turns >= 3 && turns <= 60, qPrintable(QString::number(turns)));
}

KIV_TEST_GUILESS_MAIN(tst_ImportExport)
#include "tst_importexport.moc"

#include "importexport/contactsfileparser.h"
#include "importexport/googlecsv.h"
#include "importexport/importexport.h"
#include "importexport/textdecoding.h"
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

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// The import/export backend: exports in three formats (read back here and by
// other readers, failures that keep the earlier file, where they may write),
// and the import's signals, re-parsing and event loop turns.
namespace {

// Contacts with awkward characters in every field; the second is not ticked.
std::vector<ContactPtr> awkwardContacts()
{
    std::vector<ContactPtr> contacts;
    for (const QByteArray &line : readFile(TEST_DATA_DIR "/awkward-contacts.jsonl").split('\n')) {
        if (!line.isEmpty()) {
            contacts.push_back(contactFromJson(line));
            contacts.back()->fullname = contacts.back()->composedFullName();
        }
    }
    return contacts;
}

std::vector<ContactPtr> manyContacts(int count)
{
    std::vector<ContactPtr> contacts;
    for (int i = 0; i < count; ++i) {
        contacts.push_back(makeContact(QString::number(1700000000000LL + i),
                                       QStringLiteral("Иванова Name%1").arg(i)));
        contacts.back()->comment = QString(200, QLatin1Char('c'));
    }
    return contacts;
}

QVariantList variants(const std::vector<ContactPtr> &contacts)
{
    QVariantList list;
    for (const ContactPtr &contact : contacts) {
        list << QVariant::fromValue(contact.get());
    }
    return list;
}

// Prints each contact's values as another program reads the file: Python's
// csv module in strict mode, or vobject.
const char *const peerReader = R"(
import csv, json, sys, vobject
f, out = sys.argv[1], []
if f.endswith('.csv'):
    rows = list(csv.reader(open(f, newline='', encoding='utf-8'), strict=True))
    for r in rows[1:]:
        v = lambda k, e: [x for h, x in zip(rows[0], r) if x and h.startswith(k) and h.endswith(e)]
        out.append(r[:4] + v('Organization 1 - Name', '') + [r[rows[0].index('Notes')]]
                   + v('Phone', 'Value') + v('E-mail', 'Value') + v('Address', 'Formatted'))
for c in [] if f.endswith('.csv') else vobject.readComponents(open(f, encoding='utf-8').read()):
    v = lambda n: [x.value for x in c.contents.get(n, [])]
    n = c.n.value
    out.append([c.fn.value, n.given, n.additional, n.family] + [';'.join(o) for o in v('org')]
               + [''.join(v('note'))] + v('tel') + v('email') + v('label'))
print(json.dumps(out)))";

// The child of the "killed" rows: exports until 1,000 contacts are written,
// says so and waits to be killed.
int exportUntilKilled(int method, const QString &path)
{
    const auto contacts = manyContacts(5000);
    ImportExport backend;
    QObject::connect(&backend, &ImportExport::importContactProgress, [](int written) {
        if (written == 1000) {
            std::printf("progress 1000\n");
            std::fflush(stdout);
            char buffer[16];
            while (std::fgets(buffer, sizeof buffer, stdin)) { }
        }
    });
    backend.setContactsForExport(variants(contacts));
    backend.setExportFileAndMethod(path, ImportExport::ExportMethod(method));
    backend.exportContacts();
    return 0;
}

} // namespace

class tst_ImportExport : public QObject
{
    Q_OBJECT

private slots:
    void exports_data();
    void exports();
    void failureLeavesEarlierFile_data();
    void failureLeavesEarlierFile();
    void typeOfLabel_data();
    void typeOfLabel();
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
    int m_leftOver = -1; // the contacts the backend still holds after the last export
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
    backend.setContactsForExport(variants(contacts));
    backend.setExportFileAndMethod(path, ImportExport::ExportMethod(method));
    backend.exportContacts();
    m_leftOver = backend.contacts().size();
    return path;
}

void tst_ImportExport::exports_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("readBack"); // the ticked contacts as the importer reads them
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
    QCOMPARE(m_log.entries.join(' '),
             QStringLiteral("started(5) progress(1) progress(2) progress(3) progress(4) "
                            "progress(5) ended()"));
    QCOMPARE(m_leftOver, 0);
    // The exported records belong to the caller and stay as they were.
    QCOMPARE(contactText(contacts[0].get()), contactText(awkwardContacts()[0].get()));
    const Parsed parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")));
    QTEST(parsed.texts().join('\n'), "readBack");
    const QByteArray bytes = readFile(path);
    if (method == ImportExport::GOOGLE_CSV_METHOD) {
        // Google's layout: header, padding, types, group membership, quoting.
        QCOMPARE(QString::fromUtf8(bytes),
                 QString::fromUtf8(readFile(TEST_DATA_DIR "/export/google-layout.csv")));
    }
    if (method == ImportExport::SQLITE_METHOD) {
        QCOMPARE(parsed.at(1)->id, contacts[2]->id);
    } else {
        // UTF-8 without a mark, line feeds only, the last line ended.
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF") && bytes.endsWith('\n') && !bytes.contains('\r'));
        // Another reader gets every value back as it was.
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), peerReader, path});
        QVERIFY(python.waitForFinished(60000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
        QJsonArray expected;
        for (const ContactPtr &c : contacts) {
            if (c->importMe) {
                expected << QJsonArray::fromStringList(
                        QStringList{c->fullname, c->name, c->middlename, c->surname}
                        + (c->organization.isEmpty() ? QStringList() : QStringList{c->organization})
                        + QStringList{c->comment} + c->phoneList + c->emailList + c->addressList);
            }
        }
        QCOMPARE(QJsonDocument::fromJson(python.readAllStandardOutput()).array(), expected);
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
        QCOMPARE(m_leftOver, 6); // kept for a retry
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("missing"))));
    } else if (failure == QLatin1String("full disk")) {
        // Writes beyond 64 KiB fail (EFBIG) after the writer has started.
        rlimit limit;
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlim_t old = limit.rlim_cur;
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        limit.rlim_cur = 64 * 1024;
        setrlimit(RLIMIT_FSIZE, &limit);
        exportTo(name, method, manyContacts(2000));
        limit.rlim_cur = old;
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, handler);
        QCOMPARE(m_log.entries.first(), QStringLiteral("started(2000)"));
        QCOMPARE(m_log.entries.last(), QStringLiteral("error(Unable to write file: ") + path + ')');
    } else {
        // A process killed in the middle of an export (power cut, crash).
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--export-child"), QString::number(method), path});
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

void tst_ImportExport::typeOfLabel_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("type"); // in Google CSV
    addRowsFromFile(TEST_DATA_DIR "/csv/google-label-types.jsonl");
}

void tst_ImportExport::typeOfLabel()
{
    QFETCH(QString, label);
    QTEST(GoogleCsv::typeOfLabel(label), "type");
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

// The form's codec: a new file is read in the encoding detected for it, the
// same file again in the codec the user chose; the old list is released.
void tst_ImportExport::reparsingReplacesAndReleasesList()
{
    QPointer<Contact> first;
    {
        ImportExport backend;
        SignalLog log;
        log.watch(&backend, &ImportExport::error, QStringLiteral("error"));
        log.watch(&backend, &ImportExport::codecChanged, QStringLiteral("codec"));
        connect(&backend, &ImportExport::contactsChanged, this,
                [&] { log.append(QString::number(backend.contacts().size()), {}); });
        backend.parseContactsFromFile(QStringLiteral("UTF-8"),
                                      writeFile(m_dir.filePath("notes.txt"), "just text\n"));
        backend.parseContactsFromFile(
                QStringLiteral("UTF-8"),
                QStringLiteral(TEST_DATA_DIR "/csv/outlook2013-de-cp1252.csv"));
        first = backend.contacts().value(1).value<Contact *>();
        QVERIFY(first && first->surname == QString::fromUtf8("Weiß"));
        QCOMPARE(backend.codec(), QStringLiteral("ISO-8859-1"));
        backend.parseContactsFromFile(QStringLiteral("Windows-1251"));
        QCOMPARE(backend.codec(), QStringLiteral("Windows-1251"));
        QCOMPARE(backend.contacts().value(1).value<Contact *>()->surname,
                 QString::fromUtf8("WeiЯ"));
        QCOMPARE(log.entries.join(' '),
                 QStringLiteral("0() codec() 0() error(This file is not a contact file (a plain "
                                "text document)) 0() codec() 2() 0() codec() 2()"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        first = backend.contacts().first().value<Contact *>();
        // Every offered codec exists and is found again under its own name.
        QCOMPARE(backend.codecNames().size(), backend.codecLabels().size());
        for (const QString &name : backend.codecNames()) {
            QCOMPARE(TextDecoding::offeredCodecName(name), name);
            QVERIFY2(TextDecoding::codecForName(name), qPrintable(name));
        }
    }
    // The parsed records go with the backend.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
}

// A long import draws its progress, but does not turn the event loop for
// every contact; the contacts come in file order under fresh increasing ids.
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
    qint64 lastId = 0;
    bool inOrder = true;
    connect(&backend, &ImportExport::importContact, this, [&](Contact *contact) {
        const qint64 id = contact->id.toLongLong();
        inOrder = inOrder && contact->name == 'N' + QString::number(count) && id > lastId;
        lastId = id;
        if (++count <= 300) {
            QTest::qSleep(1); // 300 ms in all
        }
    });
    QVERIFY(backend.importParsedContacts());
    QCOMPARE(count, 3000);
    QVERIFY(inOrder);
    QVERIFY2(turns >= 3 && turns <= 60, qPrintable(QString::number(turns)));
}

int main(int argc, char *argv[])
{
    TestHome home;
    QGuiApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--export-child") == 0) {
        return exportUntilKilled(atoi(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    app.setOrganizationName(QStringLiteral("kiv"));
    app.setApplicationName(QStringLiteral("Contacts"));
    tst_ImportExport tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_importexport.moc"

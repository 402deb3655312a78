#include "importexport/contactsfileparser.h"
#include "importexport/existingcontacts.h"
#include "importexport/googlecsv.h"
#include "importexport/importexport.h"
#include "vcard/textdecoding.h"
#include "model/contactsmodel.h"
#include "model/contactsproxymodel.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QThread>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// The import/export backend: exports, their failures and targets, imports, imports twice.
namespace {

// The contacts of a file of JSON lines, a photo as its Base64 "photo".
std::vector<ContactPtr> contactsFrom(const QString &file)
{
    std::vector<ContactPtr> contacts;
    for (const QByteArray &line : readFile(QStringLiteral(TEST_DATA_DIR "/") + file).split('\n')) {
        if (line.startsWith('{')) {
            contacts.push_back(contactFromJson(line));
            contacts.back()->fullname = contacts.back()->composedFullName();
            contacts.back()->photoData = contacts.back()->property("photo").toByteArray();
        }
    }
    return contacts;
}

// Contacts with awkward characters in every field; the second is not ticked.
std::vector<ContactPtr> awkwardContacts()
{
    return contactsFrom(QStringLiteral("awkward-contacts.jsonl"));
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

// An export as Python's strict csv module or vobject reads it (vobject: labels, photo).
QJsonArray peerReads(const QString &path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), R"(
import base64, csv, json, sys, vobject
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
               + [''.join(v('note'))] + v('tel') + v('email') + v('label')
               + [v('x-ablabel'), base64.b64encode(c.photo.value).decode() if 'photo' in c.contents else ''])
print(json.dumps(out)))",
                                                      path});
    python.waitForFinished(60000);
    const QByteArray out = python.readAllStandardOutput();
    return python.exitCode() ? QJsonArray{QString(python.readAllStandardError())}
                             : QJsonDocument::fromJson(out).array();
}

// The same values of the ticked contacts.
QJsonArray peerExpects(const std::vector<ContactPtr> &contacts, bool card)
{
    QJsonArray expected;
    for (const ContactPtr &c : contacts) {
        QJsonArray values = QJsonArray::fromStringList(
                QStringList{c->composedFullName(), c->name, c->middlename, c->surname}
                + (c->organization.isEmpty() ? QStringList() : QStringList{c->organization})
                + QStringList{c->comment} + c->phoneList + c->emailList + c->addressList);
        const QString labels = c->property("cardLabels").toString();
        if (card)
            values << QJsonArray::fromStringList(labels.split('|', Qt::SkipEmptyParts))
                   << QString(c->photoData);
        if (c->importMe)
            expected << values;
    }
    return expected;
}

// The child of the "killed" rows: says when 1,000 contacts are written, waits to be killed.
int exportUntilKilled(int method, const QString &path)
{
    const auto contacts = manyContacts(5000);
    ImportExport backend;
    QObject::connect(&backend, &ImportExport::importContactProgress, [](int written) {
        if (written >= 1000) {
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

// The table as it is stored: every column but the photo, of every row.
QStringList rows(SqliteDatabase *store)
{
    store->contactCount(); // commits what is pending
    QSqlQuery query(QSqlDatabase::database(store->connectionName()));
    query.exec(SqliteDatabase::selectContacts() + QStringLiteral(" order by id"));
    QStringList rows;
    while (query.next()) {
        for (int i = 0; i < 15; ++i) {
            rows << query.value(i).toString();
        }
    }
    return rows;
}

} // namespace

class tst_ImportExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void exports_data();
    void exports();
    void failureLeavesEarlierFile_data();
    void failureLeavesEarlierFile();
    void typeOfLabel_data();
    void typeOfLabel();
    void target_data();
    void target();
    void saysWhatItCouldNotRead_data();
    void saysWhatItCouldNotRead();
    void importEmitsSignalsInOrder_data();
    void importEmitsSignalsInOrder();
    void reparsingReplacesAndReleasesList_data();
    void reparsingReplacesAndReleasesList();
    void backgroundReadOffersOnlyTheLast();
    void importLetsEventLoopRunButNotPerContact();
    void importingTwiceChangesNothing_data();
    void importingTwiceChangesNothing();
    void findsContactsAlreadyThere_data();
    void findsContactsAlreadyThere();
    void keepsOtherProgramsCards_data();
    void keepsOtherProgramsCards();
    void keepsColumnsTheRecordLacks();
    void groupCardsMakeGroupsOfTheBook();

private:
    QString exportTo(const QString &name, int method, const QVariantList &contacts,
                     DataBase *store = nullptr, QObject *book = nullptr);
    QString exportAs(const QString &format, const QVariantList &contacts)
    {
        return exportTo(QStringLiteral("rt%1.").arg(++m_exports) + format,
                        QStringList{"csv", "vcf", "sqlite"}.indexOf(format), contacts);
    }
    // Photos, custom labels, birthdays without a year (tests/data/roundtrip).
    std::vector<ContactPtr> m_trip;
    QVariantList m_tripList;
    int m_exports = 0;
    QTemporaryDir m_dir;
    SignalLog m_log;
    int m_leftOver = -1; // the contacts the backend still holds after the last export
};

QString tst_ImportExport::exportTo(const QString &name, int method, const QVariantList &contacts,
                                   DataBase *store, QObject *book)
{
    const QString path = QDir::isAbsolutePath(name) ? name : m_dir.filePath(name);
    ImportExport backend;
    m_log.watch(&backend, &ImportExport::importContactStarted, QStringLiteral("started"));
    m_log.watch(&backend, &ImportExport::importContactProgress, QStringLiteral("progress"));
    m_log.watch(&backend, &ImportExport::importContactEnded, QStringLiteral("ended"));
    m_log.watch(&backend, &ImportExport::error, QStringLiteral("error"));
    backend.setStore(store);
    backend.setBook(book);
    backend.setContactsForExport(contacts);
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
    const QString path = exportTo(file, method, variants(contacts));
    QCOMPARE(m_log.entries.join(' '), QStringLiteral("started(5) progress(5) ended()"));
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
        QCOMPARE(peerReads(path), peerExpects(contacts, method == 1));
    }

    // Photos, custom labels, birthdays without a year: every field, photos pixel for pixel.
    const QString trip = exportTo("trip-" + file, method, m_tripList);
    const Parsed back(ContactsFileParser::parseFile(trip, QStringLiteral("UTF-8")));
    QCOMPARE(size_t(back.size()), m_trip.size());
    for (int i = 0; i < back.size(); ++i) {
        Contact expected(m_trip.at(size_t(i)).get(), nullptr);
        expected.fullname = back.at(i)->fullname = QString();
        expected.photoData = method == 0 ? QByteArray() : m_trip.at(size_t(i))->photoData;
        QCOMPARE(contactText(back.at(i)), contactText(&expected));
        QCOMPARE(QImage::fromData(QByteArray::fromBase64(back.at(i)->photoData)),
                 QImage::fromData(QByteArray::fromBase64(expected.photoData)));
    }
    if (method != ImportExport::SQLITE_METHOD)
        QCOMPARE(peerReads(trip), peerExpects(m_trip, method == 1));

    // Nothing ticked: no signal, and the file is left alone.
    m_log.entries.clear();
    for (const ContactPtr &contact : contacts) {
        contact->importMe = false;
    }
    exportTo(file, method, variants(contacts));
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

// A failed export keeps the earlier file and leaves no temporary file.
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
        exportTo(missing, method, variants(awkwardContacts()));
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
        exportTo(name, method, variants(manyContacts(2000)));
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
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("mode");
    addRowsFromFile(TEST_DATA_DIR "/export/targets.jsonl", "ISS");
}

// Never onto the address book in use, however named; a replaced file keeps its mode.
void tst_ImportExport::target()
{
    QFETCH(int, method);
    QFETCH(QString, target);
    QFETCH(QString, mode);
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
    exportTo(path, method, variants(makeContacts("Adams")));
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(path), &info), 0);
    if (mode.isEmpty()) {
        QVERIFY2(m_log.entries.join(' ').contains("address book in use"),
                 qPrintable(m_log.entries.join(' ')));
        QCOMPARE(readFile(database), before);
    } else {
        QCOMPARE(m_log.entries.filter("error"), QStringList());
        QCOMPARE(QString::number(info.st_mode & 0777, 8), mode);
    }
}

void tst_ImportExport::saysWhatItCouldNotRead_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("offered");
    QTest::addColumn<QString>("message");
    const QString quote = QStringLiteral("A quote opened on line %1 is never closed: the rows from "
                                         "that line to the end of the file could not be read.");
    QTest::addRow("csv rows before the quote offered")
            << "cut.csv" << QByteArray("First Name,Notes\nAnna,\"x\"\nBob,\"open\nCleo,\nDan,\n")
            << 1 << quote.arg(3);
    QTest::addRow("csv nothing before the quote")
            << "cut.csv" << QByteArray("First Name,Notes\nAnna,\"open\n") << 0 << quote.arg(2);
    QTest::addRow("csv rows with more values than columns, then a quote")
            << "cut.csv"
            << QByteArray("First Name,Last Name\nAnna,Smith\nBob,Jones,Jr\nCleo,Cole, ,III\n"
                          "Dan,\"open\n")
            << 3
            << QStringLiteral("2 rows hold more values than the header has columns: those beyond "
                              "them were not read. The first is on line 3.\n\n")
                       + quote.arg(5);
    QTest::addRow("vcf cards interrupted and cut off")
            << "cut.vcf"
            << QByteArray("BEGIN:VCARD\nN:Smith;Anna\nBEGIN:VCARD\nFN:Bob\nEND:VCARD\n"
                          "BEGIN:VCARD\nFN:Cleo\n")
            << 1
            << QStringLiteral("2 cards have no END:VCARD line, so they could not be read; the "
                              "first is the card of Smith Anna.");
    QTest::addRow("vcf nameless card cut off")
            << "cut.vcf" << QByteArray("BEGIN:VCARD\nNOTE:x\n") << 0
            << QStringLiteral("A card without a name has no END:VCARD line, so it could not be "
                              "read.");
}

// A file cut short (a CSV quote never closed, vCards without their end) or
// with values outside its columns offers what could be read and says, in
// words, what could not; with nothing read, that is the error.
void tst_ImportExport::saysWhatItCouldNotRead()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, text);
    QFETCH(int, offered);
    ImportExport backend;
    QSignalSpy completed(&backend, &ImportExport::parsingCompleted);
    QSignalSpy warnings(&backend, &ImportExport::warning);
    QSignalSpy errors(&backend, &ImportExport::error);
    backend.parseContactsFromFile(QStringLiteral("UTF-8"), writeFile(m_dir.filePath(name), text));
    QCOMPARE(backend.contacts().size(), offered);
    QCOMPARE(completed.size(), offered ? 1 : 0);
    QSignalSpy &said = offered ? warnings : errors;
    QCOMPARE((offered ? errors : warnings).size(), 0);
    QCOMPARE(said.size(), 1);
    QTEST(said.at(0).at(0).toString(), "message");
}

void tst_ImportExport::importEmitsSignalsInOrder_data()
{
    QTest::addColumn<QString>("unticked");
    QTest::addColumn<QString>("log");
    addRowsFromFile(TEST_DATA_DIR "/export/import-signals.jsonl");
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
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    QVERIFY(std::all_of(parsed.cbegin(), parsed.cend(), [](auto &c) { return c.isNull(); }));
}

void tst_ImportExport::reparsingReplacesAndReleasesList_data()
{
    QTest::addColumn<bool>("background");
    QTest::newRow("on the window's thread") << false;
    QTest::newRow("in the background") << true;
}

// A new file in its detected codec, the same again in the user's; the old list is freed.
// A read in the background gives what a parse on the window's thread gives,
// signals, codec and records alike.
void tst_ImportExport::reparsingReplacesAndReleasesList()
{
    QFETCH(bool, background);
    QPointer<Contact> first;
    {
        ImportExport backend;
        const auto parse = [&](const QString &codec, const QString &file = QString()) {
            if (!background) {
                backend.parseContactsFromFile(codec, file);
                return;
            }
            backend.readContactsFromFile(codec, file);
            QVERIFY(backend.reading());
            QVERIFY(QTest::qWaitFor([&] { return !backend.reading(); }));
        };
        SignalLog log;
        log.watch(&backend, &ImportExport::error, QStringLiteral("error"));
        log.watch(&backend, &ImportExport::codecChanged, QStringLiteral("codec"));
        connect(&backend, &ImportExport::contactsChanged, this,
                [&] { log.append(QString::number(backend.contacts().size()), {}); });
        parse(QStringLiteral("UTF-8"), writeFile(m_dir.filePath("notes.txt"), "just text\n"));
        parse(QStringLiteral("UTF-8"),
              QStringLiteral(TEST_DATA_DIR "/csv/outlook2013-de-cp1252.csv"));
        first = backend.contacts().value(1).value<Contact *>();
        QVERIFY(first && first->surname == QString::fromUtf8("Weiß"));
        QCOMPARE(first->thread(), QThread::currentThread());
        QCOMPARE(backend.codec(), QStringLiteral("ISO-8859-1"));
        parse(QStringLiteral("Windows-1251"));
        QCOMPARE(backend.codec(), QStringLiteral("Windows-1251"));
        QCOMPARE(backend.contacts().value(1).value<Contact *>()->surname,
                 QString::fromUtf8("WeiЯ"));
        QCOMPARE(log.entries.join(' '),
                 QStringLiteral("0() codec() 0() error(This file is not a contact file (a plain "
                                "text document)) 0() codec() 2() 0() codec() 2()"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
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
    QVERIFY(first.isNull());
}

// A read asked for while another runs replaces it, and a list set for an
// export meanwhile is not replaced by a read: only what the user asked for
// last is offered. A backend that goes while it reads takes the records along
// (the sanitizer build checks that nothing leaks).
void tst_ImportExport::backgroundReadOffersOnlyTheLast()
{
    ImportExport backend;
    QSignalSpy completed(&backend, &ImportExport::parsingCompleted);
    backend.readContactsFromFile(QStringLiteral("UTF-8"),
                                 TEST_DATA_DIR "/scenes/thirty-aarons.vcf");
    backend.readContactsFromFile(QStringLiteral("UTF-8"),
                                 TEST_DATA_DIR "/csv/outlook2013-de-cp1252.csv");
    QVERIFY(QTest::qWaitFor([&] { return !backend.reading(); }));
    QCOMPARE(completed.count(), 1);
    QCOMPARE(backend.contacts().size(), 2);

    const QVariantList chosen{backend.contacts().first()};
    backend.readContactsFromFile(QStringLiteral("UTF-8"),
                                 TEST_DATA_DIR "/scenes/thirty-aarons.vcf");
    backend.setContactsForExport(chosen);
    QVERIFY(QTest::qWaitFor([&] { return !backend.reading(); }));
    QCOMPARE(completed.count(), 1);
    QCOMPARE(backend.contacts(), chosen);

    auto *gone = new ImportExport;
    gone->readContactsFromFile(QStringLiteral("UTF-8"), TEST_DATA_DIR "/scenes/thirty-aarons.vcf");
    delete gone;
}

// The event loop turns, but not per contact; file order under increasing ids.
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
    QVector<int> progress;
    connect(&backend, &ImportExport::importContactProgress, this,
            [&](int done) { progress.append(done); });
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
    // The progress is told at the turns, where it can be shown, and at the end.
    QVERIFY2(progress.size() >= 2 && progress.size() <= turns + 1,
             qPrintable(QString::number(progress.size())));
    QVERIFY(std::is_sorted(progress.cbegin(), progress.cend()));
    QCOMPARE(progress.last(), 3000);
}

void tst_ImportExport::initTestCase()
{
    m_trip = contactsFrom(QStringLiteral("roundtrip/contacts.jsonl"));
    m_tripList = variants(m_trip);
}

void tst_ImportExport::importingTwiceChangesNothing_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("merged");
    addRowsFromFile(TEST_DATA_DIR "/roundtrip/twice.jsonl", "SSI");
}

void tst_ImportExport::importingTwiceChangesNothing()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, merged);
    SqliteDatabase store;
    QVERIFY(store.open(m_dir.filePath(first + second + ".sqlite")));
    ContactsModel model;
    model.setDataBase(&store);
    QStringList labels;
    QCOMPARE(importAsScene(exportAs(first, m_tripList), &model, &store, false, &labels),
             m_tripList.size());
    ContactsProxyModel editorLabels; // the imported labels join the editor's list
    editorLabels.addGroupLabels(labels);
    QCOMPARE(editorLabels.groupLabels(), (QStringList{"Mobile", "Home", "Work", "Dacha", "Home fax",
                                                      "Grandma's", "Create new"}));
    const QStringList once = rows(&store);
    QCOMPARE(once.size(), m_tripList.size() * 15);

    const QString again = exportAs(second, m_tripList);
    QCOMPARE(importAsScene(again, &model, &store, false), -1);
    QCOMPARE(importAsScene(again, &model, &store, true), merged);
    QCOMPARE(rows(&store), once);
    for (int row = 0; row < m_tripList.size(); ++row) {
        QCOMPARE(!store.loadPhoto(model.contactAt(row)->id).isEmpty(),
                 !m_trip[size_t(row)]->photoData.isEmpty() && (first != "csv" || merged > 0));
    }

    // A contact changed meanwhile gains what it lacks and keeps its own texts.
    Contact changed(model.contactAt(0), nullptr);
    changed.phoneList.removeLast();
    changed.phoneGroupList.removeLast();
    changed.organization.clear();
    changed.comment = QStringLiteral("mine");
    model.saveContactChanges(model.index(0), &changed, QString());
    QCOMPARE(importAsScene(again, &model, &store, true), 1);
    QCOMPARE(model.contactAt(0)->comment, changed.comment);
    Contact restored(model.contactAt(0), nullptr);
    restored.comment = m_trip[0]->comment;
    model.saveContactChanges(model.index(0), &restored, QString());
    QCOMPARE(rows(&store), once);
}

void tst_ImportExport::keepsOtherProgramsCards_data()
{
    QTest::addColumn<QString>("file");
    for (const QString &file : keptCardFiles()) {
        QTest::newRow(qPrintable(file)) << file;
    }
}

// A card another program wrote comes out of a vCard export as it came in,
// but for its version, also after a trip through the database format.
void tst_ImportExport::keepsOtherProgramsCards()
{
    QFETCH(QString, file);
    const QByteArray card = firstCard(file);
    const auto first = [](const ContactsModel &model) {
        return QVariantList{QVariant::fromValue(const_cast<Contact *>(model.contactAt(0)))};
    };
    // The lines but the version and the UID that a card without one gets.
    const auto kept = [](const QByteArray &card) {
        return cardLines(card).filter(QRegularExpression(QStringLiteral("^(?!VERSION:|UID:)")));
    };
    SqliteDatabase store;
    QVERIFY(store.open(m_dir.filePath(file + QStringLiteral(".sqlite"))));
    ContactsModel model;
    model.setDataBase(&store);
    QCOMPARE(importAsScene(writeFile(m_dir.filePath(file), card), &model, &store, true), 1);
    const QByteArray exported =
            readFile(exportTo(file + QStringLiteral(".out.vcf"), 1, first(model), &store));
    QCOMPARE(kept(exported), kept(card));
    // Its UID makes an import of it, renamed elsewhere, know the contact.
    QByteArray renamed = exported;
    renamed.replace("\nN:", "\nN:Renamed").replace("\nFN:", "\nFN:Renamed ");
    const QString renamedFile = m_dir.filePath(file + QStringLiteral(".renamed.vcf"));
    QCOMPARE(importAsScene(writeFile(renamedFile, renamed), &model, &store, false), -1);
    // A deletion undone brings the card back.
    model.removeContacts({model.index(0)});
    model.undoRemoval();
    QCOMPARE(readFile(exportTo(file + QStringLiteral(".undone.vcf"), 1, first(model), &store)),
             exported);

    const QString database =
            exportTo(file + QStringLiteral(".out.sqlite"), 2, first(model), &store);
    SqliteDatabase other;
    QVERIFY(other.open(m_dir.filePath(file + QStringLiteral(".other.sqlite"))));
    ContactsModel otherModel;
    otherModel.setDataBase(&other);
    QCOMPARE(importAsScene(database, &otherModel, &other, true), 1);
    QCOMPARE(kept(readFile(
                     exportTo(file + QStringLiteral(".again.vcf"), 1, first(otherModel), &other))),
             kept(exported));
}

// A Google CSV row keeps what the record has no field for in the contact's
// card: the vCard export carries it, the Google CSV export writes it back in
// its own columns.
void tst_ImportExport::keepsColumnsTheRecordLacks()
{
    SqliteDatabase store;
    QVERIFY(store.open(m_dir.filePath(QStringLiteral("columns.sqlite"))));
    ContactsModel model;
    model.setDataBase(&store);
    const QString file = writeFile(
            m_dir.filePath(QStringLiteral("columns.csv")),
            "Given Name,Family Name,Name Prefix,Name Suffix,Nickname,Organization 1 - Name,"
            "Organization 1 - Title,Organization 1 - Department\nAnna,Smith,Dr.,PhD,Annie,Acme,"
            "Engineer,Research\n");
    QCOMPARE(importAsScene(file, &model, &store, true), 1);
    QCOMPARE(contactText(model.contactAt(0)),
             QStringLiteral(
                     "{\"fullname\":\"Smith "
                     "Anna\",\"name\":\"Anna\",\"organization\":\"Acme\",\"surname\":\"Smith\"}"));
    const QVariantList contacts{QVariant::fromValue(const_cast<Contact *>(model.contactAt(0)))};
    const QStringList card =
            cardLines(readFile(exportTo(QStringLiteral("columns.vcf"), 1, contacts, &store)));
    for (const char *line :
         {"N:Smith;Anna;;Dr.;PhD", "NICKNAME:Annie", "TITLE:Engineer", "ORG:Acme;Research"}) {
        QVERIFY2(card.contains(QLatin1String(line)), qPrintable(card.join('\n')));
    }
    const QList<QByteArray> csv =
            readFile(exportTo(QStringLiteral("columns.out.csv"), 0, contacts, &store)).split('\n');
    const QList<QByteArray> header = csv.value(0).split(',');
    const QList<QByteArray> row = csv.value(1).split(',');
    for (const auto &[column, value] :
         {std::make_pair("Name Prefix", "Dr."), std::make_pair("Name Suffix", "PhD"),
          std::make_pair("Nickname", "Annie"), std::make_pair("Organization 1 - Title", "Engineer"),
          std::make_pair("Organization 1 - Department", "Research")}) {
        QCOMPARE(row.value(header.indexOf('"' + QByteArray(column) + '"')),
                 '"' + QByteArray(value) + '"');
    }
}

void tst_ImportExport::findsContactsAlreadyThere_data()
{
    QTest::addColumn<QByteArray>("parsed");
    QTest::addColumn<QString>("uid");
    QTest::addColumn<QString>("foundId");
    addRowsFromFile(TEST_DATA_DIR "/roundtrip/already-there.jsonl", "BSS");
}

void tst_ImportExport::findsContactsAlreadyThere()
{
    QFETCH(QByteArray, parsed);
    QFETCH(QString, uid);
    QFETCH(QString, foundId);
    const ContactPtr anna = contactFromJson(
            R"({"id":"17","surname":"Smith","name":"Anna","phones":["+7 (912) 345-67-89 / Mobile"],)"
            R"("emails":["Anna@Example.org / Home"]})");
    const ContactPtr annaAtWork = contactFromJson(
            R"({"id":"21","surname":"Smith","name":"Anna","organization":"Acme",)"
            R"("phones":["+1 555 0100 / Work"],"emails":["anna@work.example / Work"]})");
    const ContactPtr bob = contactFromJson(R"({"id":"22","surname":"Jones","name":"Bob"})");
    ContactPtr candidate = contactFromJson(parsed);
    candidate->uid = uid;
    // Parsed contacts that fit nothing around it must not change its match.
    ContactPtr other = contactFromJson(R"({"surname":"Smith","name":"Anna","phones":["3"]})");
    const QHash<Contact *, Contact *> found = ExistingContacts::find(
            {anna.get(), annaAtWork.get(), bob.get()}, {other.get(), candidate.get()});
    const Contact *match = found.value(candidate.get());
    QCOMPARE(match ? match->id : QString(), foundId);
    QVERIFY(!found.contains(other.get()));
}

// A file's group cards make groups of the book, an empty one too; a contact
// already there joins the group that lists the UID of its kept card.
void tst_ImportExport::groupCardsMakeGroupsOfTheBook()
{
    const QString path = m_dir.filePath(QStringLiteral("groups.sqlite"));
    const auto groups = [](const ContactsModel &model) {
        QStringList counts;
        for (const QVariant &group : model.groupCounts()) {
            counts << group.toMap().value("name").toString() + QLatin1Char(' ')
                            + group.toMap().value("count").toString();
        }
        return counts.join(QLatin1Char('|'));
    };
    SqliteDatabase store;
    QVERIFY(store.open(path));
    ContactsModel model;
    model.setDataBase(&store);
    const QString member = writeFile(m_dir.filePath(QStringLiteral("member.vcf")),
                                     "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Clark;Cid;;;\r\nUID:C7E1B2D4-"
                                     "8F3A-4E6B-9D10-5A4B3C2D1E03\r\nEND:VCARD\r\n");
    QCOMPARE(importAsScene(member, &model, &store, true), 1);
    QCOMPARE(importAsScene(TEST_DATA_DIR "/vcard/icloud-30-group-cards.vcf", &model, &store, true),
             2);
    const QString expected = QStringLiteral("Book club, Tuesdays 2|Family 2|Holiday cards 0");
    QCOMPARE(groups(model), expected);
    ContactsModel reopened;
    reopened.setDataBase(&store);
    reopened.loadModel();
    QCOMPARE(groups(reopened), expected);
    // A database export carries them, the empty one too.
    const QString exported = exportTo(QStringLiteral("groups-export.sqlite"), 2,
                                      model.getAllContacts(), &store, &model);
    SqliteDatabase other;
    QVERIFY(other.open(m_dir.filePath(QStringLiteral("groups-other.sqlite"))));
    ContactsModel fresh;
    fresh.setDataBase(&other);
    QCOMPARE(importAsScene(exported, &fresh, &other, true), 3);
    QCOMPARE(groups(fresh), expected);
    // A file of group cards alone is no empty file: the contact it lists joins.
    const QString cardsOnly = writeFile(
            m_dir.filePath(QStringLiteral("neighbours.vcf")),
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Neighbours;;;;\r\nFN:Neighbours\r\n"
            "X-ADDRESSBOOKSERVER-KIND:group\r\nX-ADDRESSBOOKSERVER-MEMBER:urn:uuid:C7E1B2D4-"
            "8F3A-4E6B-9D10-5A4B3C2D1E03\r\nEND:VCARD\r\n");
    QCOMPARE(importAsScene(cardsOnly, &model, &store, true), 0);
    QCOMPARE(groups(model), expected + QStringLiteral("|Neighbours 1"));
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

#include "importexport/contactsfileparser.h"
#include "importexport/importexport.h"
#include "record/contact.h"

#include "testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>

namespace {

using ContactPtr = std::unique_ptr<Contact>;

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Contacts with every awkward character in every text field.
std::vector<ContactPtr> awkwardContacts()
{
    std::vector<ContactPtr> list;
    auto anna = std::make_unique<Contact>();
    anna->id = QStringLiteral("1700000000001");
    anna->name = QString::fromUtf8("Анна \"Аня\", тест; \\");
    anna->surname = QString::fromUtf8("Иванова-Петрова\nвторая строка");
    anna->middlename = QString::fromUtf8("Сергеевна");
    anna->organization = QString::fromUtf8("ООО \"Рога, копыта; и Ко\" \\ филиал");
    anna->dateOfBirth = QStringLiteral("17.05.1990");
    anna->comment = QString::fromUtf8(
            "first line, with \"quotes\"; and \\backslash\nвторая строка\n\nlast");
    anna->isFavorite = true;
    anna->phoneList = QStringList{"+7 916 123-45-67", "+7 (495) 1, ext. 2", "555;1"};
    anna->phoneGroupList = QStringList{"Mobile", "Home", "Work"};
    anna->emailList = QStringList{QString::fromUtf8("anna@пример.рф"), "a.b+c@example.org"};
    anna->emailGroupList = QStringList{"Home", "Work"};
    anna->addressList =
            QStringList{QString::fromUtf8("ул. Ленина, 1; кв. \"5\"\nМосква"), "Work street 5\\7"};
    anna->addressGroupList = QStringList{"Home", "Work"};
    anna->linkList = QStringList{"https://a.example/x?y=1,2;3", "http://b.example/\"q\""};
    list.push_back(std::move(anna));

    auto john = std::make_unique<Contact>();
    john->id = QStringLiteral("1700000000002");
    john->name = QStringLiteral("John \"Johnny\"");
    john->surname = QStringLiteral("O'Neil, Jr.");
    john->comment = QStringLiteral("single line");
    john->phoneList = QStringList{"123"};
    john->phoneGroupList = QStringList{"Mobile"};
    list.push_back(std::move(john));

    auto cleo = std::make_unique<Contact>();
    cleo->id = QStringLiteral("1700000000003");
    cleo->name = QStringLiteral("Cleo");
    cleo->dateOfBirth = QStringLiteral("01.01.2000");
    list.push_back(std::move(cleo));
    for (ContactPtr &contact : list) {
        contact->fullname = contact->composedFullName();
    }
    return list;
}

QVariantList variants(const std::vector<ContactPtr> &list)
{
    QVariantList result;
    for (const ContactPtr &contact : list) {
        result.append(QVariant::fromValue(contact.get()));
    }
    return result;
}

struct Parsed
{
    explicit Parsed(const QVariantList &list)
    {
        for (const QVariant &value : list) {
            contacts.emplace_back(value.value<Contact *>());
        }
    }
    const Contact *byName(const QString &name) const
    {
        for (const ContactPtr &contact : contacts) {
            if (contact->name == name) {
                return contact.get();
            }
        }
        return nullptr;
    }
    std::vector<ContactPtr> contacts;
};

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

// The export half of the backend: the writers, their signals and failures,
// and round trips through this program's importer and other readers.
class tst_Export : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void exportEmitsSignalsInOrder_data();
    void exportEmitsSignalsInOrder();
    void nothingTickedLeavesTargetUntouched();
    void missingDirectoryReportsOpenError_data();
    void missingDirectoryReportsOpenError();
    void failedWriteLeavesTargetUnchanged_data();
    void failedWriteLeavesTargetUnchanged();
    void killedExportLeavesTargetUnchanged_data();
    void killedExportLeavesTargetUnchanged();
    void csvIsUtf8WithoutMark();
    void csvRoundTrip();
    void databaseRoundTrip();
    void pythonCsvModuleReadsExport();

private:
    QString exportTo(const QString &name, ImportExport::ExportMethod method,
                     const std::vector<ContactPtr> &contacts, QStringList *log = nullptr);
    QTemporaryDir m_dir;
};

void tst_Export::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString tst_Export::exportTo(const QString &name, ImportExport::ExportMethod method,
                             const std::vector<ContactPtr> &contacts, QStringList *log)
{
    const QString path = m_dir.filePath(name);
    ImportExport backend;
    if (log) {
        connect(&backend, &ImportExport::importContactStarted, this,
                [log](int n) { *log << QStringLiteral("started %1").arg(n); });
        connect(&backend, &ImportExport::importContactProgress, this,
                [log](int p) { *log << QStringLiteral("progress %1").arg(p); });
        connect(&backend, &ImportExport::importContactEnded, this, [log] { *log << "ended"; });
        connect(&backend, &ImportExport::error, this,
                [log](const QString &text) { *log << QStringLiteral("error ") + text; });
    }
    backend.setContactsForExport(variants(contacts));
    backend.setExportFileAndMethod(path, method);
    backend.exportContacts();
    return path;
}

void tst_Export::exportEmitsSignalsInOrder_data()
{
    QTest::addColumn<int>("method");
    QTest::newRow("Google CSV") << int(ImportExport::GOOGLE_CSV_METHOD);
    QTest::newRow("vCard") << int(ImportExport::VCARD_METHOD);
    QTest::newRow("database") << int(ImportExport::SQLITE_METHOD);
}

void tst_Export::exportEmitsSignalsInOrder()
{
    QFETCH(int, method);
    std::vector<ContactPtr> contacts = awkwardContacts();
    contacts.at(1)->importMe = false;
    const char *const extensions[] = {"csv", "vcf", "sqlite"};
    const QString path = m_dir.filePath(QStringLiteral("order.") + extensions[method]);
    QVERIFY(writeBytes(path, "old content"));

    ImportExport backend;
    QStringList log;
    connect(&backend, &ImportExport::importContactStarted, this,
            [&](int n) { log << QStringLiteral("started %1").arg(n); });
    connect(&backend, &ImportExport::importContactProgress, this,
            [&](int p) { log << QStringLiteral("progress %1").arg(p); });
    connect(&backend, &ImportExport::importContactEnded, this, [&] { log << "ended"; });
    QSignalSpy errors(&backend, &ImportExport::error);
    QSignalSpy changed(&backend, &ImportExport::contactsChanged);
    backend.setContactsForExport(variants(contacts));
    QCOMPARE(changed.count(), 1);
    backend.setContactsForExport(variants(contacts));
    QCOMPARE(changed.count(), 2);
    backend.setExportFileAndMethod(path, ImportExport::ExportMethod(method));
    backend.exportContacts();
    QCOMPARE(errors.count(), 0);
    QCOMPARE(log, (QStringList{"started 2", "progress 1", "progress 2", "ended"}));
    QVERIFY(backend.contacts().isEmpty());
    QCOMPARE(changed.count(), 2);
    QVERIFY(fileBytes(path) != "old content");

    // The exported contacts belong to the caller and stay as they were.
    QCOMPARE(contacts.at(0)->name, awkwardContacts().at(0)->name);
    // The list was emptied: a second export does nothing.
    log.clear();
    backend.exportContacts();
    QVERIFY(log.isEmpty());

    if (method == ImportExport::VCARD_METHOD) {
        const QByteArray bytes = fileBytes(path);
        QCOMPARE(bytes.count("BEGIN:VCARD\n"), 2);
        QVERIFY(bytes.contains("END:VCARD\nBEGIN:VCARD\n"));
        QVERIFY(bytes.contains(QString::fromUtf8("Сергеевна").toUtf8()));
        QVERIFY(bytes.endsWith("END:VCARD\n"));
    }
    const Parsed parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")));
    QCOMPARE(int(parsed.contacts.size()), 2);
    QVERIFY(parsed.byName(contacts.at(0)->name));
    QVERIFY(parsed.byName(contacts.at(2)->name));
}

void tst_Export::nothingTickedLeavesTargetUntouched()
{
    std::vector<ContactPtr> contacts = awkwardContacts();
    for (ContactPtr &contact : contacts) {
        contact->importMe = false;
    }
    const QString path = m_dir.filePath(QStringLiteral("untouched.csv"));
    QVERIFY(writeBytes(path, "keep me"));
    QStringList log;
    ImportExport backend;
    QSignalSpy errors(&backend, &ImportExport::error);
    QSignalSpy started(&backend, &ImportExport::importContactStarted);
    backend.setContactsForExport(variants(contacts));
    backend.setExportFileAndMethod(path, ImportExport::GOOGLE_CSV_METHOD);
    backend.exportContacts();
    QCOMPARE(errors.count() + started.count(), 0);
    QCOMPARE(fileBytes(path), QByteArray("keep me"));
    QCOMPARE(backend.contacts().size(), 3);
}

void tst_Export::missingDirectoryReportsOpenError_data()
{
    QTest::addColumn<int>("method");
    QTest::newRow("Google CSV") << int(ImportExport::GOOGLE_CSV_METHOD);
    QTest::newRow("vCard") << int(ImportExport::VCARD_METHOD);
    QTest::newRow("database") << int(ImportExport::SQLITE_METHOD);
}

void tst_Export::missingDirectoryReportsOpenError()
{
    QFETCH(int, method);
    const std::vector<ContactPtr> contacts = awkwardContacts();
    const QString path = m_dir.filePath(QStringLiteral("missing/dir/out.file"));
    ImportExport backend;
    QStringList log;
    connect(&backend, &ImportExport::importContactStarted, this, [&](int) { log << "started"; });
    connect(&backend, &ImportExport::importContactProgress, this, [&](int) { log << "progress"; });
    connect(&backend, &ImportExport::importContactEnded, this, [&] { log << "ended"; });
    connect(&backend, &ImportExport::error, this, [&](const QString &text) { log << text; });
    backend.setContactsForExport(variants(contacts));
    backend.setExportFileAndMethod(path, ImportExport::ExportMethod(method));
    backend.exportContacts();
    QCOMPARE(log, QStringList{QStringLiteral("Unable to open file for writing: ") + path});
    QVERIFY(backend.contacts().isEmpty());
    QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("missing"))));
}

void tst_Export::failedWriteLeavesTargetUnchanged_data()
{
    QTest::addColumn<int>("method");
    QTest::newRow("Google CSV") << int(ImportExport::GOOGLE_CSV_METHOD);
    QTest::newRow("vCard") << int(ImportExport::VCARD_METHOD);
    QTest::newRow("database") << int(ImportExport::SQLITE_METHOD);
}

void tst_Export::failedWriteLeavesTargetUnchanged()
{
    QFETCH(int, method);
    // Enough data that the writer hits the size limit after it started.
    std::vector<ContactPtr> contacts;
    for (int i = 0; i < 2000; ++i) {
        auto contact = std::make_unique<Contact>();
        contact->id = QString::number(1700000000000LL + i);
        contact->name = QStringLiteral("Name %1").arg(i);
        contact->comment = QString(200, QLatin1Char('c'));
        contacts.push_back(std::move(contact));
    }
    const QString name = QStringLiteral("full-%1").arg(method);
    const QString path = m_dir.filePath(name);
    const QByteArray old(1000, 'o');
    QVERIFY(writeBytes(path, old));

    QStringList log;
    {
        FileSizeLimit limit(64 * 1024);
        exportTo(name, ImportExport::ExportMethod(method), contacts, &log);
    }
    QVERIFY2(!log.isEmpty() && log.first() == QLatin1String("started 2000"),
             qPrintable(log.join('|')));
    QCOMPARE(log.last(), QStringLiteral("error Unable to write file: ") + path);
    QVERIFY(!log.contains(QStringLiteral("ended")));
    QCOMPARE(fileBytes(path), old);
    // No temporary file is left behind.
    QCOMPARE(QDir(m_dir.path())
                     .entryList(QStringList{QStringLiteral("*") + name + QStringLiteral("*")},
                                QDir::Files | QDir::Hidden),
             QStringList{name});
}

void tst_Export::killedExportLeavesTargetUnchanged_data()
{
    QTest::addColumn<int>("method");
    QTest::newRow("Google CSV") << int(ImportExport::GOOGLE_CSV_METHOD);
    QTest::newRow("vCard") << int(ImportExport::VCARD_METHOD);
    QTest::newRow("database") << int(ImportExport::SQLITE_METHOD);
}

// A process killed in the middle of an export (power cut, crash) must not
// leave a half-written file where the user's earlier export was.
void tst_Export::killedExportLeavesTargetUnchanged()
{
    QFETCH(int, method);
    const QString target = m_dir.filePath(QStringLiteral("killed-%1.out").arg(method));
    const QByteArray old("the earlier export\n");
    {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
    }

    QProcess child;
    child.start(QStringLiteral(EXPORT_CRASH_CHILD), {QString::number(method), target});
    QVERIFY(child.waitForStarted(10000));
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += child.readAllStandardOutput()).contains("progress 1000"),
                             30000);
    child.kill();
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
}

void tst_Export::csvIsUtf8WithoutMark()
{
    const std::vector<ContactPtr> contacts = awkwardContacts();
    const QString path =
            exportTo(QStringLiteral("utf8.csv"), ImportExport::GOOGLE_CSV_METHOD, contacts);
    const QByteArray bytes = fileBytes(path);
    QVERIFY(bytes.startsWith("\"Name\""));
    QVERIFY(bytes.contains(QString::fromUtf8("Сергеевна").toUtf8()));
    QVERIFY(!bytes.contains('\r'));
    QVERIFY(bytes.endsWith('\n'));
}

void tst_Export::csvRoundTrip()
{
    const std::vector<ContactPtr> contacts = awkwardContacts();
    const QString path =
            exportTo(QStringLiteral("roundtrip.csv"), ImportExport::GOOGLE_CSV_METHOD, contacts);
    // The codec offered by default must not matter: the file is UTF-8 and
    // read as such when the user picks UTF-8.
    const Parsed parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")));
    QCOMPARE(int(parsed.contacts.size()), 3);
    for (const ContactPtr &original : contacts) {
        const Contact *back = parsed.byName(original->name);
        QVERIFY2(back, qPrintable(original->name));
        QCOMPARE(back->surname, original->surname);
        QCOMPARE(back->middlename, original->middlename);
        QCOMPARE(back->organization, original->organization);
        QCOMPARE(back->dateOfBirth, original->dateOfBirth);
        QCOMPARE(back->isFavorite, original->isFavorite);
        QCOMPARE(back->comment,
                 original->comment.isEmpty() ? QString() : original->comment + QLatin1Char('\n'));
        QCOMPARE(back->phoneList, original->phoneList);
        QCOMPARE(back->phoneGroupList, original->phoneGroupList);
        QCOMPARE(back->emailList, original->emailList);
        QCOMPARE(back->emailGroupList,
                 QStringList(QVector<QString>(original->emailList.size(), "Home").toList()));
        QCOMPARE(back->addressList, original->addressList);
        QCOMPARE(back->addressGroupList, original->addressGroupList);
        QCOMPARE(back->linkList, original->linkList);
    }
}

void tst_Export::databaseRoundTrip()
{
    const std::vector<ContactPtr> contacts = awkwardContacts();
    const QString path =
            exportTo(QStringLiteral("roundtrip.sqlite"), ImportExport::SQLITE_METHOD, contacts);
    const Parsed parsed(ContactsFileParser::parseFile(path, QStringLiteral("Windows-1251")));
    QCOMPARE(int(parsed.contacts.size()), 3);
    for (const ContactPtr &original : contacts) {
        const Contact *back = parsed.byName(original->name);
        QVERIFY2(back, qPrintable(original->name));
        QCOMPARE(back->id, original->id);
        QCOMPARE(back->surname, original->surname);
        QCOMPARE(back->middlename, original->middlename);
        QCOMPARE(back->organization, original->organization);
        QCOMPARE(back->dateOfBirth, original->dateOfBirth);
        QCOMPARE(back->isFavorite, original->isFavorite);
        QCOMPARE(back->comment, original->comment);
        QCOMPARE(back->phoneList, original->phoneList);
        QCOMPARE(back->phoneGroupList, original->phoneGroupList);
        QCOMPARE(back->emailList, original->emailList);
        QCOMPARE(back->emailGroupList, original->emailGroupList);
        QCOMPARE(back->addressList, original->addressList);
        QCOMPARE(back->addressGroupList, original->addressGroupList);
        QCOMPARE(back->linkList, original->linkList);
    }
}

void tst_Export::pythonCsvModuleReadsExport()
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        QSKIP("python3 is not installed");
    }
    const std::vector<ContactPtr> contacts = awkwardContacts();
    const QString path =
            exportTo(QStringLiteral("python.csv"), ImportExport::GOOGLE_CSV_METHOD, contacts);
    const QString script = QStringLiteral(R"(
import csv, json, sys
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    rows = list(csv.reader(f, strict=True))
header = rows[0]
out = []
for row in rows[1:]:
    assert len(row) == len(header), (len(row), len(header))
    get = lambda name: row[header.index(name)]
    phones = [row[i + 1] for i, h in enumerate(header) if h.endswith(' - Type') and h.startswith('Phone') and row[i]]
    emails = [row[i + 1] for i, h in enumerate(header) if h.endswith(' - Type') and h.startswith('E-mail') and row[i]]
    out.append({'given': get('Given Name'), 'family': get('Family Name'), 'notes': get('Notes'),
                'phones': phones, 'emails': emails})
print(json.dumps(out))
)");
    QProcess process;
    process.start(python, {QStringLiteral("-c"), script, path});
    QVERIFY(process.waitForFinished(30000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    const QJsonArray rows = QJsonDocument::fromJson(process.readAllStandardOutput()).array();
    QCOMPARE(rows.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QJsonObject row = rows.at(i).toObject();
        const Contact &original = *contacts.at(size_t(i));
        QCOMPARE(row.value("given").toString(), original.name);
        QCOMPARE(row.value("family").toString(), original.surname);
        QCOMPARE(row.value("notes").toString(), original.comment);
        QStringList phones;
        for (const QJsonValue &phone : row.value("phones").toArray()) {
            phones << phone.toString();
        }
        QCOMPARE(phones, original.phoneList);
        QStringList emails;
        for (const QJsonValue &email : row.value("emails").toArray()) {
            emails << email.toString();
        }
        QCOMPARE(emails, original.emailList);
    }
}

KIV_TEST_GUILESS_MAIN(tst_Export)
#include "tst_export.moc"

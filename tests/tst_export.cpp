#include "importexport/contactsfileparser.h"
#include "importexport/importexport.h"
#include "record/contact.h"
#include "testsupport.h"

#include <QDir>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>
#include <sys/resource.h>

// The export half of the backend in its three formats: signals, the round
// trip through this program's importer and another reader, and failures that
// must leave the earlier file as it was.
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

class tst_Export : public QObject
{
    Q_OBJECT

private slots:
    void exports_data();
    void exports();
    void failureLeavesEarlierFile_data();
    void failureLeavesEarlierFile();
    void pythonCsvModuleReadsExport();

private:
    QString exportTo(const QString &name, int method, const std::vector<ContactPtr> &contacts);
    QTemporaryDir m_dir;
    SignalLog m_log;
    // The contacts the backend still holds after the last export.
    int m_leftOver = -1;
};

QString tst_Export::exportTo(const QString &name, int method,
                             const std::vector<ContactPtr> &contacts)
{
    const QString path = m_dir.filePath(name);
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

void tst_Export::exports_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("file");
    // The ticked contacts as the importer reads them back. Known losses, kept
    // visible here: CSV and vCard read every e-mail back as "Home", a CSV
    // note gains a line break, vCard writes the birthday as an ISO date.
    QTest::addColumn<QString>("readBack");

    QTest::newRow("Google CSV")
            << int(ImportExport::GOOGLE_CSV_METHOD) << "out.csv"
            << QString::fromUtf8(
                       R"({"addresses":["ул. Ленина, 1; кв. \"5\"\nМосква / Home","W 5\\7 / Work"],"comment":"first, \"quotes\"; \\backslash\nвторая строка\n\nlast\n","dateOfBirth":"17.05.1990","emails":["anna@пример.рф / Home","a.b+c@example.org / Home"],"favorite":true,"links":["https://a.example/x?y=1,2;3","http://b.example/\"q\""],"middlename":"Сергеевна","name":"Анна \"Аня\", тест; \\","organization":"ООО \"Рога, копыта; и Ко\" \\ филиал","phones":["+7 916 123-45-67 / Mobile","+7 (495) 1, ext. 2 / Home","555;1 / Work"],"surname":"Иванова-Петрова\nвторая"})"
                       "\n"
                       R"({"dateOfBirth":"01.01.2000","name":"Cleo"})");
    QTest::newRow("vCard")
            << int(ImportExport::VCARD_METHOD) << "out.vcf"
            << QString::fromUtf8(
                       R"({"addresses":["ул. Ленина, 1; кв. \"5\"\nМосква / Home","W 5\\7 / Work"],"comment":"first, \"quotes\"; \\backslash\nвторая строка\n\nlast","dateOfBirth":"1990-05-17","emails":["anna@пример.рф / Home","a.b+c@example.org / Home"],"favorite":true,"links":["https://a.example/x?y=1,2;3","http://b.example/\"q\""],"middlename":"Сергеевна","name":"Анна \"Аня\", тест; \\","organization":"ООО \"Рога, копыта; и Ко\" \\ филиал","phones":["+7 916 123-45-67 / Mobile","+7 (495) 1, ext. 2 / Home","555;1 / Work"],"surname":"Иванова-Петрова\nвторая"})"
                       "\n"
                       R"({"dateOfBirth":"2000-01-01","name":"Cleo"})");
    QTest::newRow("database")
            << int(ImportExport::SQLITE_METHOD) << "out.sqlite"
            << QString::fromUtf8(
                       R"({"addresses":["ул. Ленина, 1; кв. \"5\"\nМосква / Home","W 5\\7 / Work"],"comment":"first, \"quotes\"; \\backslash\nвторая строка\n\nlast","dateOfBirth":"17.05.1990","emails":["anna@пример.рф / Home","a.b+c@example.org / Work"],"favorite":true,"fullname":"Иванова-Петрова вторая Анна \"Аня\", тест; \\ Сергеевна","links":["https://a.example/x?y=1,2;3","http://b.example/\"q\""],"middlename":"Сергеевна","name":"Анна \"Аня\", тест; \\","organization":"ООО \"Рога, копыта; и Ко\" \\ филиал","phones":["+7 916 123-45-67 / Mobile","+7 (495) 1, ext. 2 / Home","555;1 / Work"],"surname":"Иванова-Петрова\nвторая"})"
                       "\n"
                       R"({"dateOfBirth":"01.01.2000","fullname":"Cleo","name":"Cleo"})");
}

void tst_Export::exports()
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

void tst_Export::failureLeavesEarlierFile_data()
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
void tst_Export::failureLeavesEarlierFile()
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
void tst_Export::pythonCsvModuleReadsExport()
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

KIV_TEST_GUILESS_MAIN(tst_Export)
#include "tst_export.moc"

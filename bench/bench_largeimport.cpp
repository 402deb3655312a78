// Large address books end to end, the way the main window works: parsing a
// vCard 3.0 and a Google CSV file (time and peak memory against the file's
// size), importing the parsed contacts into the list model on an SQLite store
// while the sorted view is attached (each import in a process of its own,
// the sizes taking turns), and starting up on the store that holds them
// (load, attach, sort) with its contacts in 50 groups, with the memory the
// loaded list holds.
#include "benchutil.h"

#include "importexport/contactsfileparser.h"
#include "importexport/importexport.h"
#include "model/contactsmodel.h"
#include "model/contactsproxymodel.h"
#include "record/contact.h"
#include "storage/groupschema.h"
#include "storage/sqlitedatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QLocale>
#include <QMap>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <utility>

namespace {

// Resident memory now and its peak, in MiB, from /proc/self/status.
double statusMiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toDouble() / 1024;
        }
    }
    return 0;
}

// The CPU time of this thread: on a shared machine the wall clock also
// counts the time other processes held the cores.
double threadCpuMs()
{
    timespec time{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return time.tv_sec * 1e3 + time.tv_nsec / 1e6;
}

// The CPU time of every thread of the process: the start-up reads a large
// table on two.
double processCpuMs()
{
    timespec time{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return time.tv_sec * 1e3 + time.tv_nsec / 1e6;
}

// Gives the heap's free memory back to the system, so that what an earlier
// step freed neither hides a parse's peak (the parse would reuse it) nor
// counts as held by its records.
void releaseFreeMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

// Starts a new peak-memory measurement (Linux 4.0 and later).
void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}

// The generated file under a name with the extension the type detection
// expects.
QString namedCopy(const QString &format, int count, const QString &suffix,
                  const QString &seed = QStringLiteral("1"))
{
    const QString source = Bench::generatedFile(format, count, {QStringLiteral("--seed"), seed});
    const QString path = QDir::homePath()
                         + QStringLiteral("/%1-%2-%3.%4").arg(format).arg(count).arg(seed, suffix);
    QFile::remove(path);
    QFile::link(source, path);
    return path;
}

// Parse time of the whole file, and the peak memory of one parse above what
// the process held before it, against the file's size and the memory the
// parsed contacts hold once parsed.
double benchParse(const QString &label, const QString &path, int count, const QString &target)
{
    const double fileMiB = QFileInfo(path).size() / (1024.0 * 1024.0);
    releaseFreeMemory();
    const double before = statusMiB("VmRSS:");
    resetPeakMemory();
    QList<Contact *> parsed = ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")).contacts;
    const double peak = statusMiB("VmHWM:") - before;
    releaseFreeMemory();
    const double held = statusMiB("VmRSS:") - before;
    if (parsed.size() != count) {
        std::fprintf(stderr, "%s: %d of %d contacts read\n", qPrintable(path), int(parsed.size()),
                     count);
        std::exit(1);
    }
    qDeleteAll(std::exchange(parsed, {}));
    QVector<double> cpu;
    const Bench::Stats stats = Bench::measureParse(3, [&] {
        const double start = threadCpuMs();
        QList<Contact *> contacts =
                ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")).contacts;
        cpu.append(threadCpuMs() - start);
        return contacts;
    });
    Bench::printRow(label, count, stats, target);
    Bench::printRow(QStringLiteral("  (thread CPU time)"), count, Bench::statsOf(cpu));
    std::printf("  file %.0f MiB, peak while parsing %.0f MiB (%.1fx the file), parsed "
                "contacts hold %.0f MiB; limit 2x file + contacts = %.0f MiB\n",
                fileMiB, peak, peak / fileMiB, held, 2 * fileMiB + held);
    std::fflush(stdout);
    return stats.median;
}

// The store an import of count contacts fills.
QString importStorePath(int count)
{
    return QDir::homePath() + QStringLiteral("/.config/import-%1.sqlite").arg(count);
}

// The main window's objects on a store: the list model loaded from it, the
// sorted view attached, and an import wired to both.
struct Window
{
    explicit Window(const QString &storePath)
    {
        Bench::openList(storePath, &store, &model, &view);
        Bench::wireImport(&backend, &model, &view);
    }

    SqliteDatabase store;
    ContactsModel model;
    ContactsProxyModel view;
    ImportExport backend;
};

// The import of every parsed contact into a new store at storePath, the
// model and the sorted view, wired as the main window does: its wall time,
// and its thread CPU time in cpu.
double importOnce(const QString &path, int count, const QString &storePath, double *cpu)
{
    QFile::remove(storePath);
    Window window(storePath);
    window.backend.parseContactsFromFile(QStringLiteral("UTF-8"), path);
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = threadCpuMs();
    window.backend.importParsedContacts();
    QCoreApplication::processEvents();
    const double elapsed = timer.nsecsElapsed() / 1e6;
    *cpu = threadCpuMs() - cpuStart;
    if (window.model.rowCount() != count || window.view.rowCount() != count
        || window.store.contactCount() != count) {
        std::fprintf(stderr, "import: %d rows, %d shown of %d\n", window.model.rowCount(),
                     window.view.rowCount(), count);
        std::exit(1);
    }
    return elapsed;
}

// The wall and thread CPU times of the imports of one file.
struct ImportTimes
{
    QVector<double> walls;
    QVector<double> cpus;
};

// The figures a run of this program with arguments prints on one line; the
// bench stops when it fails or prints another number of them.
QVector<double> childFigures(const QStringList &arguments, int expected)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    QVector<double> figures;
    if (child.waitForFinished(-1) && child.exitCode() == 0) {
        for (const QByteArray &figure : child.readAllStandardOutput().simplified().split(' ')) {
            figures.append(figure.toDouble());
        }
    }
    if (figures.size() != expected) {
        std::fprintf(stderr, "%s failed\n", qPrintable(arguments.join(QLatin1Char(' '))));
        std::exit(1);
    }
    return figures;
}

// One import in a process of its own, as a person's import runs in a
// program that has imported nothing before: prints its wall and thread CPU
// times for the parent.
int importInChild(const QString &path, int count, const QString &storePath)
{
    double cpu = 0;
    const double wall = importOnce(path, count, storePath, &cpu);
    std::printf("%f %f\n", wall, cpu);
    return 0;
}

// The import of each file five times (one run is at the machine's mercy: on
// two shared cores its wall time varies by a tenth and more), each in a new
// process and the files taking turns: the growth from one size to the next
// then compares runs made under the same load rather than a minute apart,
// each with a heap of its own (five imports of one size in one process
// would each find the blocks the one before freed, sized and placed for
// it). Each run imports into a new store; the last of each size stays for
// its start-up.
QHash<int, ImportTimes> timeImports(const QMap<int, QString> &files)
{
    QHash<int, ImportTimes> times;
    for (int run = 0; run < 5; ++run) {
        for (auto file = files.cbegin(); file != files.cend(); ++file) {
            const QVector<double> figures =
                    childFigures({QStringLiteral("--import"), file.value(),
                                  QString::number(file.key()), importStorePath(file.key())},
                                 2);
            times[file.key()].walls.append(figures[0]);
            times[file.key()].cpus.append(figures[1]);
        }
    }
    return times;
}

// Prints the imports' times; the median wall time.
double printImport(int count, const ImportTimes &times)
{
    const Bench::Stats wall = Bench::statsOf(times.walls);
    Bench::printRow(QStringLiteral("import end to end (store, model, sorted view)"), count, wall);
    Bench::printRow(QStringLiteral("  (thread CPU time)"), count, Bench::statsOf(times.cpus));
    std::fflush(stdout);
    return wall.median;
}

// A phone's worth of contacts (1,000, some of them already there) imported
// into the address book the large import left, as a person does it: the
// file is checked against the book's contacts when it is read, then
// imported into the store, the model and the sorted view. Each run starts
// from a copy of the book. The median wall time of three runs.
void benchPhoneIntoBook(int count)
{
    const QString phone =
            namedCopy(QStringLiteral("vcard30"), 1000, QStringLiteral("vcf"), QStringLiteral("7"));
    const QString bookPath = importStorePath(count) + QStringLiteral(".copy");
    QVector<double> walls;
    int added = -1;
    for (int run = 0; run < 3; ++run) {
        QFile::remove(bookPath);
        QFile::copy(importStorePath(count), bookPath);
        Window window(bookPath);
        QElapsedTimer timer;
        timer.start();
        window.backend.parseContactsFromFile(QStringLiteral("UTF-8"), phone);
        window.backend.importParsedContacts();
        QCoreApplication::processEvents();
        walls.append(timer.nsecsElapsed() / 1e6);
        added = window.view.rowCount() - count;
        if (added <= 0 || added >= 1000 || window.store.contactCount() != window.view.rowCount()) {
            std::fprintf(stderr, "phone into the book: %d added\n", added);
            std::exit(1);
        }
    }
    QFile::remove(bookPath);
    Bench::printRow(QStringLiteral("1,000 more into the book (check, import, sort)"), count,
                    Bench::statsOf(walls));
    std::printf("  %d of the 1,000 were new, the others already there\n", added);
    std::fflush(stdout);
}

// Puts the contacts of the import's store in 50 groups, each in one and
// every fifth in a second, as a book of many groups is; the start-up then
// loads the memberships too.
void addFiftyGroups(const QString &storePath)
{
    SqliteDatabase store;
    if (!store.open(storePath)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(storePath));
        std::exit(1);
    }
    QSqlDatabase db = store.connection();
    db.transaction();
    QSqlQuery query(db);
    const bool ok = !GroupSchema::create(db).isValid()
                    && query.exec(QStringLiteral(
                            "insert or ignore into contact_group_member (contactId, groupName) "
                            "select id, 'Group ' || (rowid % 50) from contact"))
                    && query.exec(QStringLiteral(
                            "insert or ignore into contact_group_member (contactId, groupName) "
                            "select id, 'Group ' || ((rowid / 5 + 17) % 50) from contact "
                            "where rowid % 5 = 0"))
                    && query.exec(QStringLiteral("insert or ignore into contact_group (name) "
                                                 "select distinct groupName from "
                                                 "contact_group_member"))
                    && db.commit();
    if (!ok) {
        std::fprintf(stderr, "groups not added: %s\n", qPrintable(query.lastError().text()));
        std::exit(1);
    }
}

// Start-up on the store of the import, in a process of its own, as the
// program starts: open, load, attach the view, sort. Prints, for the parent,
// the wall time, the CPU time of all threads (a large table is read by two),
// the rows shown, the memory the loaded list holds and the process's
// resident memory and its peak. With a locale, the list is sorted by that
// locale's collation instead of the environment's (the C locale orders by
// code points, without a collator).
int benchStartUp(const QString &storePath, const QString &locale)
{
    if (!locale.isEmpty()) {
        QLocale::setDefault(QLocale(locale));
    }
    const double before = statusMiB("VmRSS:");
    const double cpuStart = processCpuMs();
    QElapsedTimer timer;
    timer.start();
    auto *store = new SqliteDatabase;
    store->open(storePath);
    auto *model = new ContactsModel;
    model->setDataBase(store);
    model->loadModel();
    auto *view = new ContactsProxyModel;
    view->setSourceModel(model);
    view->sort();
    const double elapsed = timer.nsecsElapsed() / 1e6;
    const double cpu = processCpuMs() - cpuStart;
    // The memory once the event loop has turned, when the view has folded
    // the search texts too.
    QCoreApplication::processEvents();
    const double resident = statusMiB("VmRSS:");
    std::printf("%f %f %d %f %f %f\n", elapsed, cpu, view->rowCount(), resident - before, resident,
                statusMiB("VmHWM:"));
    std::fflush(stdout);
    delete view;
    delete model;
    delete store;
    return 0;
}

// The start-up three times, each in a new process, so that the memory it
// reports is that of a program that has only loaded its list; the median
// run's figures.
void benchStartUpInChild(int count, const QString &locale = QString())
{
    QVector<QVector<double>> runs;
    for (int run = 0; run < 3; ++run) {
        runs.append(childFigures({QStringLiteral("--startup"), importStorePath(count), locale}, 6));
    }
    std::sort(runs.begin(), runs.end(),
              [](const QVector<double> &a, const QVector<double> &b) { return a[0] < b[0]; });
    const QVector<double> &median = runs.at(1);
    const QString label = locale.isEmpty()
                                  ? QStringLiteral("start-up, 50 groups (load, attach, sort)")
                                  : QStringLiteral("start-up, 50 groups, %1 collation").arg(locale);
    Bench::printRow(label, count, Bench::Stats{median[0], runs.first()[0], runs.last()[0]},
                    count == 100000 ? QStringLiteral("300 ms") : QString());
    Bench::printRow(QStringLiteral("  (CPU time of all threads)"), count,
                    Bench::Stats{median[1], median[1], median[1]});
    std::printf("  %d rows shown, the loaded list holds %.0f MiB; process resident %.0f MiB, "
                "peak %.0f MiB%s\n",
                int(median[2]), median[3], median[4], median[5],
                count == 100000 ? " target <= 150 MiB" : "");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    Bench::useTemporaryHome();
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--startup")) {
        return benchStartUp(args.at(2), args.at(3));
    }
    if (args.size() == 5 && args.at(1) == QLatin1String("--import")) {
        return importInChild(args.at(2), args.at(3).toInt(), args.at(4));
    }
    // KIV_BENCH_QUICK=1 leaves out the 100,000-contact files.
    const bool quick = qEnvironmentVariableIntValue("KIV_BENCH_QUICK") == 1;
    const QList<int> counts = quick ? QList<int>{10000} : QList<int>{10000, 100000};

    Bench::printHeader(QStringLiteral("Large address books end to end"));
    QMap<int, QString> vcfs;
    for (const int count : counts) {
        vcfs.insert(count, namedCopy(QStringLiteral("vcard30"), count, QStringLiteral("vcf")));
    }
    const QHash<int, ImportTimes> imports = timeImports(vcfs);
    QHash<QString, double> first;
    for (const int count : counts) {
        const bool large = count == 100000;
        const QString vcf = vcfs.value(count);
        const QString csv = namedCopy(QStringLiteral("google-csv"), count, QStringLiteral("csv"));
        double ms = benchParse(QStringLiteral("parse vCard 3.0 file"), vcf, count, QString());
        if (large) {
            std::printf("  target <= 1500 ms, growth %.1fx for 10x (<= 11x)\n",
                        ms / first.value(QStringLiteral("vcf")));
        }
        first.insert(QStringLiteral("vcf"), ms);
        ms = benchParse(QStringLiteral("parse Google CSV file"), csv, count, QString());
        if (large) {
            std::printf("  target <= 800 ms, growth %.1fx for 10x (<= 11x)\n",
                        ms / first.value(QStringLiteral("csv")));
        }
        first.insert(QStringLiteral("csv"), ms);
        ms = printImport(count, imports.value(count));
        if (large) {
            std::printf("  target <= 3000 ms, growth %.1fx for 10x (<= 11x)\n",
                        ms / first.value(QStringLiteral("import")));
        }
        first.insert(QStringLiteral("import"), ms);
        benchPhoneIntoBook(count);
        addFiftyGroups(importStorePath(count));
        benchStartUpInChild(count);
        benchStartUpInChild(count, QStringLiteral("en_US"));
    }
    return 0;
}

// Large address books end to end, the way the main window works: parsing a
// vCard 3.0 and a Google CSV file (time and peak memory against the file's
// size), importing the parsed contacts into the list model on an SQLite store
// while the sorted view is attached, and starting up on the store that holds
// them (load, attach, sort), with the memory the loaded list holds.
#include "benchutil.h"

#include "importexport/contactsfileparser.h"
#include "importexport/importexport.h"
#include "model/contactsmodel.h"
#include "model/contactsproxymodel.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>

#include <cstdio>

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
QString namedCopy(const QString &format, int count, const QString &suffix)
{
    const QString source =
            Bench::generatedFile(format, count, {QStringLiteral("--seed"), QStringLiteral("1")});
    const QString path =
            QDir::homePath() + QStringLiteral("/%1-%2.%3").arg(format).arg(count).arg(suffix);
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
    const double before = statusMiB("VmRSS:");
    resetPeakMemory();
    QVariantList parsed = ContactsFileParser::parseFile(path, QStringLiteral("UTF-8"));
    const double peak = statusMiB("VmHWM:") - before;
    const double held = statusMiB("VmRSS:") - before;
    if (parsed.size() != count) {
        std::fprintf(stderr, "%s: %d of %d contacts read\n", qPrintable(path), int(parsed.size()),
                     count);
        std::exit(1);
    }
    Bench::releaseContacts(parsed);
    parsed.clear();
    const Bench::Stats stats = Bench::measure(
            3, [&] { parsed = ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")); },
            [&] {
                Bench::releaseContacts(parsed);
                parsed.clear();
            });
    Bench::releaseContacts(parsed);
    Bench::printRow(label, count, stats, target);
    std::printf("  file %.0f MiB, peak while parsing %.0f MiB (%.1fx the file), parsed "
                "contacts hold %.0f MiB; limit 2x file + contacts = %.0f MiB\n",
                fileMiB, peak, peak / fileMiB, held, 2 * fileMiB + held);
    std::fflush(stdout);
    return stats.median;
}

// The main window's wiring of an import (see main.qml), with the window's
// sorted view attached to the model; the import of every parsed contact
// into the store, the model and the view.
double benchImport(const QString &path, int count, const QString &target)
{
    const QString storePath =
            QDir::homePath() + QStringLiteral("/.config/import-%1.sqlite").arg(count);
    QFile::remove(storePath);
    SqliteDatabase store;
    store.open(storePath);
    ContactsModel model;
    model.setDataBase(&store);
    model.loadModel();
    ContactsProxyModel view;
    view.setSourceModel(&model);
    view.sort();

    ImportExport backend;
    // KIV_BENCH_PER_CONTACT=1: each contact becomes a row on its own, as
    // addContact does, for comparison.
    if (qEnvironmentVariableIntValue("KIV_BENCH_PER_CONTACT") == 1) {
        QObject::connect(&backend, &ImportExport::importContact, &model,
                         [&model](Contact *contact) { model.addContact(contact, QString()); });
    } else {
        QObject::connect(&backend, &ImportExport::importContact, &model,
                         &ContactsModel::queueContact);
    }
    QObject::connect(&backend, &ImportExport::importContactEnded, &model, [&] {
        model.addQueuedContacts();
        view.sort();
    });
    backend.parseContactsFromFile(QStringLiteral("UTF-8"), path);
    QElapsedTimer timer;
    timer.start();
    backend.importParsedContacts();
    QCoreApplication::processEvents();
    const double elapsed = timer.nsecsElapsed() / 1e6;
    if (model.rowCount() != count || view.rowCount() != count || store.contactCount() != count) {
        std::fprintf(stderr, "import: %d rows, %d shown of %d\n", model.rowCount(), view.rowCount(),
                     count);
        std::exit(1);
    }
    Bench::printRow(QStringLiteral("import end to end (store, model, sorted view)"), count,
                    Bench::Stats{elapsed, elapsed, elapsed}, target);
    std::fflush(stdout);
    return elapsed;
}

// Start-up on the store of the import: open, load, attach the view, sort;
// and the memory the loaded list holds.
void benchStartUp(int count, const QString &target)
{
    const QString storePath =
            QDir::homePath() + QStringLiteral("/.config/import-%1.sqlite").arg(count);
    const double before = statusMiB("VmRSS:");
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
    const double held = statusMiB("VmRSS:") - before;
    Bench::printRow(QStringLiteral("start-up (load, attach, sort)"), count,
                    Bench::Stats{elapsed, elapsed, elapsed}, target);
    std::printf("  %d rows shown, the loaded list holds %.0f MiB (process %.0f MiB)%s\n",
                view->rowCount(), held, statusMiB("VmRSS:"),
                count == 100000 ? " target <= 150 MiB" : "");
    std::fflush(stdout);
    delete view;
    delete model;
    delete store;
}

} // namespace

int main(int argc, char *argv[])
{
    Bench::useTemporaryHome();
    QGuiApplication app(argc, argv);
    // KIV_BENCH_QUICK=1 leaves out the 100,000-contact files.
    const bool quick = qEnvironmentVariableIntValue("KIV_BENCH_QUICK") == 1;
    const QList<int> counts = quick ? QList<int>{10000} : QList<int>{10000, 100000};

    Bench::printHeader(QStringLiteral("Large address books end to end"));
    QHash<QString, double> first;
    for (const int count : counts) {
        const bool large = count == 100000;
        const QString vcf = namedCopy(QStringLiteral("vcard30"), count, QStringLiteral("vcf"));
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
        ms = benchImport(vcf, count, QString());
        if (large) {
            std::printf("  target <= 3000 ms, growth %.1fx for 10x (<= 11x)\n",
                        ms / first.value(QStringLiteral("import")));
        }
        first.insert(QStringLiteral("import"), ms);
        benchStartUp(count, large ? QStringLiteral("300 ms") : QString());
    }
    return 0;
}

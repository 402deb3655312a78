// CardDAV sync against local servers: the first sync of every contact up from
// one address book and down into a fresh one, an incremental sync with 10
// changed contacts, and the longest stall of the event loop (the time the
// window could not repaint) during each run, with the contact list (model
// and sorted view) taking the sync's changes as the window's does.
//
// Radicale checks every stored card's UID on each new card, so uploading to
// it grows with the square of the count: it syncs 1,000 contacts. Xandikos
// grows linearly and syncs 10,000. KIV_BENCH_SYNC_SERVER (radicale or
// xandikos) runs one of them, KIV_BENCH_SYNC_COUNT sets the count.

#include "benchutil.h"
#include "davserver.h"
#include "importexport/contactsfileparser.h"
#include "model/contactsmodel.h"
#include "model/contactsproxymodel.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "sync/carddavsync.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

constexpr int Changes = 10;

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct Run
{
    double ms = 0;
    // The longest gap between two turns of the event loop, and the most
    // time this thread itself ran within one gap (without the time other
    // programs on the machine held the processor).
    double longestStallMs = 0;
    double longestBusyMs = 0;
    QString error;
};

// One sync, timed, while a 1 ms timer measures the longest gap between two
// of its turns of the event loop.
Run timedSync(CardDavSync &sync)
{
    Run run;
    QElapsedTimer sinceTurn;
    double cpuAtTurn = threadCpuMs();
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double cpu = threadCpuMs();
        run.longestStallMs = std::max(run.longestStallMs, sinceTurn.nsecsElapsed() / 1e6);
        run.longestBusyMs = std::max(run.longestBusyMs, cpu - cpuAtTurn);
        sinceTurn.restart();
        cpuAtTurn = cpu;
    });
    QSignalSpy finished(&sync, &CardDavSync::finished);
    QElapsedTimer clock;
    clock.start();
    sinceTurn.start();
    ticker.start();
    sync.start();
    finished.wait(3 * 3600 * 1000);
    run.ms = clock.nsecsElapsed() / 1e6;
    run.error = finished.isEmpty() ? QStringLiteral("no end") : finished.first().first().toString();
    // The changes of the last steps reach the list in the next turns.
    QCoreApplication::processEvents();
    return run;
}

void print(const char *operation, const Run &run, const char *target)
{
    std::printf("%-40s %9.0f ms   longest stall %6.1f ms (busy %5.1f ms)   %-10s %s\n", operation,
                run.ms, run.longestStallMs, run.longestBusyMs, target, qPrintable(run.error));
    std::fflush(stdout);
}

// An address book file with its contact list, which follows the sync as the
// window's list does.
struct Instance
{
    explicit Instance(const QString &path)
    {
        store.open(path);
        model.setDataBase(&store);
        model.loadModel();
        view.setSourceModel(&model);
        view.sort();
        QObject::connect(&sync, &CardDavSync::contactsChanged, [this] {
            const QList<Contact *> stored = sync.takeStoredContacts();
            QVariantList records;
            for (Contact *contact : stored) {
                records.append(QVariant::fromValue(contact));
            }
            model.takeStoredContacts(records, sync.takeRemovedIds());
            qDeleteAll(stored);
        });
    }

    SqliteDatabase store;
    ContactsModel model;
    ContactsProxyModel view;
    CardDavSync sync{&store};
};

bool benchServer(DavServer::Kind kind, int count, const QString &home)
{
    const char *name = kind == DavServer::Xandikos ? "Xandikos" : "Radicale";
    DavServer dav(kind, true);
    if (!dav.start() || !dav.addressBook().isValid()) {
        std::fprintf(stderr, "%s did not start\n", name);
        return false;
    }
    QFile file(Bench::generatedFile(QStringLiteral("vcard30"), count));
    file.open(QIODevice::ReadOnly);
    const QVariantList parsed =
            ContactsFileParser::parseVCardData(file.readAll(), QStringLiteral("UTF-8"));
    QList<Contact *> contacts;
    for (const QVariant &value : parsed) {
        contacts.append(value.value<Contact *>());
        contacts.last()->id = Contact::makeId();
    }
    const QString prefix = home + QLatin1Char('/') + QLatin1String(name);
    {
        SqliteDatabase seed;
        seed.open(prefix + QStringLiteral("-a.sqlite"));
        seed.insertContacts(contacts);
    }
    Bench::releaseContacts(parsed);

    Instance a(prefix + QStringLiteral("-a.sqlite"));
    Instance b(prefix + QStringLiteral("-b.sqlite"));
    a.sync.setAccount(dav.addressBook(), DavServer::User, DavServer::Password);
    b.sync.setAccount(dav.addressBook(), DavServer::User, DavServer::Password);
    std::printf("\nCardDAV sync with %s, %d contacts\n", name, count);
    print("first sync up (upload every contact)", timedSync(a.sync), "");
    print("first sync down (fresh address book)", timedSync(b.sync), "< 50 ms stall");
    std::printf("%-40s %9d of %d contacts\n", "contacts in the list after the first sync",
                b.model.rowCount(), count);

    for (int i = 0; i < Changes; ++i) {
        const QModelIndex index = a.model.index(i * (a.model.rowCount() / Changes));
        Contact changed(a.model.contactAt(index.row()), &a.model);
        changed.comment = QStringLiteral("Changed %1").arg(i);
        a.model.saveContactChanges(index, &changed, QString());
    }
    QCoreApplication::processEvents();
    print("incremental sync up, 10 changed", timedSync(a.sync), "< 1000 ms");
    print("incremental sync down, 10 changed", timedSync(b.sync), "< 1000 ms");
    print("incremental sync, nothing changed", timedSync(b.sync), "< 1000 ms");
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    const QString home = Bench::useTemporaryHome();
    QCoreApplication app(argc, argv);
    const QByteArray server = qgetenv("KIV_BENCH_SYNC_SERVER");
    const int count = qEnvironmentVariableIntValue("KIV_BENCH_SYNC_COUNT");
    bool ok = true;
    if (server != "xandikos") {
        ok = benchServer(DavServer::Radicale, count > 0 ? count : 1000, home) && ok;
    }
    if (server != "radicale") {
        ok = benchServer(DavServer::Xandikos, count > 0 ? count : 10000, home) && ok;
    }
    std::printf("peak memory %.0f MiB\n", Bench::peakMemoryMiB());
    return ok ? 0 : 1;
}

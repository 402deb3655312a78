// CardDAV sync against a local Radicale: the first sync of 10,000 contacts up
// from one address book and down into a fresh one, an incremental sync with
// 10 changed contacts, and the longest stall of the event loop (the time the
// window could not repaint) during each run.

#include "benchutil.h"
#include "davserver.h"
#include "importexport/contactsfileparser.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "sync/carddavsync.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int Changes = 10;

// The number of contacts: 10,000, or KIV_BENCH_SYNC_COUNT. Radicale checks
// every stored card's UID on each new card, so uploading grows with the
// square of the count on the server's side.
int contactCount()
{
    const int count = qEnvironmentVariableIntValue("KIV_BENCH_SYNC_COUNT");
    return count > 0 ? count : 10000;
}

struct Run
{
    double ms = 0;
    double longestStallMs = 0;
    QString error;
};

// One sync, timed, while a 1 ms timer measures the longest gap between two
// of its turns of the event loop.
Run timedSync(CardDavSync &sync)
{
    Run run;
    QElapsedTimer sinceTurn;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        run.longestStallMs = std::max(run.longestStallMs, sinceTurn.nsecsElapsed() / 1e6);
        sinceTurn.restart();
    });
    QSignalSpy finished(&sync, &CardDavSync::finished);
    QElapsedTimer clock;
    clock.start();
    sinceTurn.start();
    ticker.start();
    sync.start();
    finished.wait(3600 * 1000);
    run.ms = clock.nsecsElapsed() / 1e6;
    run.error = finished.isEmpty() ? QStringLiteral("no end") : finished.first().first().toString();
    return run;
}

void print(const char *operation, const Run &run, const char *target)
{
    std::printf("%-44s %10.0f ms   longest stall %6.1f ms   %-10s %s\n", operation, run.ms,
                run.longestStallMs, target, qPrintable(run.error));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    const QString home = Bench::useTemporaryHome();
    QCoreApplication app(argc, argv);
    DavServer dav(DavServer::Radicale);
    if (!dav.start() || !dav.addressBook().isValid()) {
        std::fprintf(stderr, "Radicale did not start\n");
        return 1;
    }
    SqliteDatabase a;
    SqliteDatabase b;
    a.open(home + QStringLiteral("/a.sqlite"));
    b.open(home + QStringLiteral("/b.sqlite"));
    const int count = contactCount();
    QFile file(Bench::generatedFile(QStringLiteral("vcard30"), count));
    file.open(QIODevice::ReadOnly);
    const QVariantList parsed =
            ContactsFileParser::parseVCardData(file.readAll(), QStringLiteral("UTF-8"));
    QList<Contact *> contacts;
    for (const QVariant &value : parsed) {
        contacts.append(value.value<Contact *>());
        contacts.last()->id = Contact::makeId();
    }
    a.insertContacts(contacts);
    Bench::releaseContacts(parsed);

    CardDavSync up(&a);
    CardDavSync down(&b);
    up.setAccount(dav.addressBook(), DavServer::User, DavServer::Password);
    down.setAccount(dav.addressBook(), DavServer::User, DavServer::Password);
    std::printf("\nCardDAV sync with Radicale, %d contacts\n", count);
    print("first sync up (upload every contact)", timedSync(up), "");
    print("first sync down (fresh address book)", timedSync(down), "");

    const QList<Contact *> stored = a.loadContacts();
    for (int i = 0; i < Changes; ++i) {
        Contact *contact = stored.at(i * (stored.size() / Changes));
        contact->comment = QStringLiteral("Changed %1").arg(i);
        a.updateContact(contact);
    }
    qDeleteAll(stored);
    print("incremental sync up, 10 changed", timedSync(up), "< 1000 ms");
    print("incremental sync down, 10 changed", timedSync(down), "< 1000 ms");
    print("incremental sync, nothing changed", timedSync(down), "< 1000 ms");
    std::printf("peak memory %.0f MiB\n", Bench::peakMemoryMiB());
    return 0;
}

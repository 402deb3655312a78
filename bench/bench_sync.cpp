// CardDAV sync against a local server, with the longest stall of the event
// loop (the time the window could not repaint) during each run, while the
// contact list (model and sorted view) takes the sync's changes as the
// window's does.
//
// Round trip: the first sync of every contact up from one address book and
// down into a fresh one, then incremental syncs with 10 changed contacts.
// Contacts changed here go up as the window sends them after an edit,
// without listing the server; a run both ways with 10 more changed follows
// for comparison.
// Both servers spend time on each new card that grows with the cards stored
// (Radicale checks every stored UID, Xandikos commits the whole folder to
// git), so uploads grow with the square of the count: the round trip runs
// 1,000 contacts on Radicale (KIV_BENCH_SYNC_SERVER=xandikos and
// KIV_BENCH_SYNC_COUNT choose others).
//
// Large address book: 10,000 cards (KIV_BENCH_SYNC_LARGE, 0 skips it) put
// into Radicale's folder directly, as if uploaded over time, then the first
// sync down into a fresh address book and incremental syncs of 10 cards
// changed on the server and 10 contacts changed here; last, the time the
// server alone takes for the requests of the sync up.

#include "benchutil.h"
#include "davserver.h"
#include "importexport/contactsfileparser.h"
#include "model/contactsmodel.h"
#include "model/contactsproxymodel.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "sync/carddavsync.h"
#include "sync/davclient.h"
#include "sync/davmultistatus.h"
#include "sync/synccard.h"
#include "sync/syncstatetable.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>
#include <QUuid>

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
// of its turns of the event loop: a run both ways, or the one that follows
// edits here.
Run timedSync(CardDavSync &sync, void (CardDavSync::*how)() = &CardDavSync::start)
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
    (sync.*how)();
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
        Bench::openList(path, &store, &model, &view);
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

QList<Contact *> generatedContacts(int count, const QStringList &extraArgs = {})
{
    QFile file(Bench::generatedFile(QStringLiteral("vcard30"), count, extraArgs));
    file.open(QIODevice::ReadOnly);
    const QList<Contact *> contacts =
            ContactsFileParser::parseVCardData(file.readAll(), QStringLiteral("UTF-8")).contacts;
    for (Contact *contact : contacts) {
        contact->id = Contact::makeId();
    }
    return contacts;
}

// Changes the comment of 10 contacts of the list, spread over it, to a text
// no earlier call gave them.
void changeTen(Instance &instance)
{
    static int round = 0;
    ++round;
    for (int i = 0; i < Changes; ++i) {
        const QModelIndex index = instance.model.index(i * (instance.model.rowCount() / Changes));
        Contact changed(instance.model.contactAt(index.row()), &instance.model);
        changed.comment = QStringLiteral("Changed %1 in round %2").arg(i).arg(round);
        instance.model.saveContactChanges(index, &changed, QString());
    }
    QCoreApplication::processEvents();
}

bool roundTrip(DavServer::Kind kind, int count, const QString &home)
{
    const char *name = kind == DavServer::Xandikos ? "Xandikos" : "Radicale";
    DavServer dav(kind, true);
    if (!dav.start() || !dav.addressBook().isValid()) {
        std::fprintf(stderr, "%s did not start\n", name);
        return false;
    }
    const QList<Contact *> contacts = generatedContacts(count);
    const QString prefix = home + QLatin1Char('/') + QLatin1String(name);
    {
        SqliteDatabase seed;
        seed.open(prefix + QStringLiteral("-a.sqlite"));
        seed.insertContacts(contacts);
    }
    qDeleteAll(contacts);

    Instance a(prefix + QStringLiteral("-a.sqlite"));
    Instance b(prefix + QStringLiteral("-b.sqlite"));
    a.sync.setAccount(dav.addressBook(), DavServer::User, DavServer::Password);
    b.sync.setAccount(dav.addressBook(), DavServer::User, DavServer::Password);
    std::printf("\nCardDAV sync with %s, %d contacts\n", name, count);
    print("first sync up (upload every contact)", timedSync(a.sync), "");
    print("first sync down (fresh address book)", timedSync(b.sync), "< 50 ms stall");
    std::printf("%-40s %9d of %d contacts\n", "contacts in the list after the first sync",
                b.model.rowCount(), count);

    changeTen(a);
    print("incremental sync up, 10 changed", timedSync(a.sync, &CardDavSync::push), "< 1000 ms");
    changeTen(a);
    print("  a run both ways instead", timedSync(a.sync), "");
    print("incremental sync down, 10 changed", timedSync(b.sync), "< 1000 ms");
    print("incremental sync, nothing changed", timedSync(b.sync), "< 1000 ms");
    return true;
}

// Writes the contacts as cards into the server's folder; the first `changed`
// get a changed comment.
void writeCards(const QString &folder, const QList<Contact *> &contacts, int changed)
{
    for (int i = 0; i < contacts.size(); ++i) {
        Contact *contact = contacts.at(i);
        if (i < changed) {
            contact->comment = QStringLiteral("Changed on the server %1").arg(i);
        }
        QFile card(folder + QLatin1Char('/') + contact->id + QStringLiteral(".vcf"));
        card.open(QIODevice::WriteOnly);
        card.write(SyncCard::write(*contact, contact->id, contact->photoData));
    }
}

// A sync-collection report of the cards' ETags since the token, or of every
// card without one.
QByteArray syncReport(const QString &token)
{
    return "<sync-collection xmlns=\"DAV:\"><sync-token>" + token.toUtf8()
           + "</sync-token><sync-level>1</sync-level><prop><getetag/></prop></sync-collection>";
}

// The number of cards the server lists (a sync-collection report without a
// token; Radicale's depth-1 PROPFIND takes seconds per thousand cards), or -1.
int listedCards(DavServer &dav)
{
    DavClient client;
    client.setCredentials(dav.url(), DavServer::User, DavServer::Password);
    QEventLoop loop;
    int count = -1;
    client.report(dav.addressBook(), 1, syncReport(QString()), [&](const DavResponse &response) {
        if (response.isSuccess()) {
            count = DavMultiStatus::parse(response.body, dav.addressBook()).resources.size();
        }
        loop.quit();
    });
    loop.exec();
    return count;
}

// The server's own time for what an incremental sync up of 10 contacts
// asks of it: the listing since the saved token and 10 uploads, one after
// another (Radicale takes one upload at a time either way), or -1 when one
// fails. The uploads change the 10 cards on the server.
double serverAlone(DavServer &dav, const QString &token, const QList<Contact *> &contacts)
{
    DavClient client;
    client.setCredentials(dav.url(), DavServer::User, DavServer::Password);
    QEventLoop loop;
    bool ok = true;
    const auto waitFor = [&loop, &ok](const DavResponse &response) {
        ok = ok && response.isSuccess();
        loop.quit();
    };
    QElapsedTimer clock;
    clock.start();
    client.report(dav.addressBook(), 1, syncReport(token), waitFor);
    loop.exec();
    for (const Contact *contact : contacts) {
        client.send("PUT", dav.addressBook().resolved(QUrl(contact->id + QStringLiteral(".vcf"))),
                    SyncCard::write(*contact, contact->id, contact->photoData),
                    {{"Content-Type", "text/vcard; charset=utf-8"}}, waitFor);
        loop.exec();
    }
    return ok ? clock.nsecsElapsed() / 1e6 : -1;
}

bool largeAddressBook(int count, const QString &home)
{
    DavServer dav(DavServer::Radicale, true);
    if (!dav.start() || !dav.addressBook().isValid()) {
        std::fprintf(stderr, "Radicale did not start\n");
        return false;
    }
    // Every tenth card with a photo.
    QList<Contact *> contacts =
            generatedContacts(count, {QStringLiteral("--photos"),
                                      QStringLiteral("--photo-fraction"), QStringLiteral("0.1")});
    for (Contact *contact : qAsConst(contacts)) {
        contact->id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    }
    // The server reads new files on the next listing, a thousand at a time
    // here, so that no listing outlasts the client's patience.
    for (int from = 0; from < count; from += 1000) {
        writeCards(dav.cardFolder(), contacts.mid(from, 1000), 0);
        listedCards(dav);
    }
    int listed = -1;
    for (int attempt = 0; attempt < 20 && listed != count; ++attempt) {
        listed = listedCards(dav);
    }
    if (listed != count) {
        std::fprintf(stderr, "Radicale does not list the %d cards\n", count);
        return false;
    }
    Instance b(home + QStringLiteral("/large.sqlite"));
    b.sync.setAccount(dav.addressBook(), DavServer::User, DavServer::Password);
    std::printf("\nCardDAV sync with Radicale, %d cards put on the server\n", count);
    print("first sync down (fresh address book)", timedSync(b.sync), "< 50 ms stall");
    std::printf("%-40s %9d of %d contacts\n", "contacts in the list after the first sync",
                b.model.rowCount(), count);
    writeCards(dav.cardFolder(), contacts.mid(0, Changes), Changes);
    print("incremental sync down, 10 changed there", timedSync(b.sync), "< 1000 ms");
    changeTen(b);
    print("incremental sync up, 10 changed here", timedSync(b.sync, &CardDavSync::push),
          "< 1000 ms");
    changeTen(b);
    print("  a run both ways instead", timedSync(b.sync), "");
    print("incremental sync, nothing changed", timedSync(b.sync), "< 1000 ms");
    std::printf("%-40s %9.0f ms\n", "the server alone for a sync up of 10",
                serverAlone(dav, SyncStateTable(&b.store).syncToken(), contacts.mid(0, Changes)));
    qDeleteAll(contacts);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    const QString home = Bench::useTemporaryHome();
    QCoreApplication app(argc, argv);
    const bool xandikos = qgetenv("KIV_BENCH_SYNC_SERVER") == "xandikos";
    const int count = qEnvironmentVariableIntValue("KIV_BENCH_SYNC_COUNT");
    bool large = false;
    const int largeCount = qEnvironmentVariableIntValue("KIV_BENCH_SYNC_LARGE", &large);
    bool ok = roundTrip(xandikos ? DavServer::Xandikos : DavServer::Radicale,
                        count > 0 ? count : 1000, home);
    if (!large || largeCount > 0) {
        ok = largeAddressBook(large ? largeCount : 10000, home) && ok;
    }
    std::printf("peak memory %.0f MiB\n", Bench::peakMemoryMiB());
    return ok ? 0 : 1;
}

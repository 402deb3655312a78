#include "davserver.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "sync/carddavsync.h"
#include "sync/davclient.h"
#include "sync/davdiscovery.h"
#include "sync/davorigin.h"
#include "sync/syncstatetable.h"
#include "testsupport.h"
#include "vcard/groupcard.h"

#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>

#include <functional>

#include <unistd.h>

// Two-way sync against real servers: each instance is a store file of its
// own with its own sync state, as two devices on one account are.
namespace {

struct Instance
{
    Instance(const QString &name, const QUrl &book, const QString &password = DavServer::Password)
        : sync(&store)
    {
        store.open(QDir::homePath() + QLatin1Char('/') + name + QStringLiteral(".sqlite"));
        sync.setAccount(book, DavServer::User, password);
    }

    // Runs one sync to its end, both ways or the one after an edit here;
    // its error text.
    QString run(void (CardDavSync::*how)() = &CardDavSync::start)
    {
        QSignalSpy finished(&sync, &CardDavSync::finished);
        (sync.*how)();
        return finished.wait(3000 * 1000) ? finished.first().first().toString()
                                          : QStringLiteral("no end");
    }

    // The stored contact with that surname, if any.
    ContactPtr withSurname(const QString &surname)
    {
        ContactPtr found;
        for (Contact *contact : store.loadContacts()) {
            if (!found && contact->surname == surname) {
                found.reset(contact);
            } else {
                delete contact;
            }
        }
        return found;
    }

    // Every contact as a line without its id, its photo as its size, sorted.
    QStringList texts()
    {
        QStringList lines;
        for (Contact *contact : store.loadContacts()) {
            contact->photoData = store.loadPhoto(contact->id).toBase64();
            contact->id.clear();
            lines << contactText(contact);
            delete contact;
        }
        lines.sort();
        return lines;
    }

    // Each contact's surname with its groups, then the book's groups:
    // "Brown:Family|Dean:|=Family".
    QString groupsText()
    {
        QStringList lines;
        for (Contact *contact : store.loadContacts()) {
            contact->groups.sort();
            lines << contact->surname + QLatin1Char(':') + contact->groups.join(QLatin1Char(','));
            delete contact;
        }
        lines.sort();
        QStringList names = store.groupNames();
        names.sort();
        return lines.join(QLatin1Char('|')) + QStringLiteral("|=") + names.join(QLatin1Char(','));
    }

    SqliteDatabase store;
    CardDavSync sync;
};

// The sizes of the round trip and of the killed first sync: 1,000 and 5,000 in the full
// run; `make test` sets smaller ones (Radicale checks every stored card on each upload).
int sizeFromEnvironment(const char *name, int full)
{
    const int size = qEnvironmentVariableIntValue(name);
    return size > 0 ? size : full;
}

// Contacts with every field the card mapping carries, a photo in every fifth.
void fill(SqliteDatabase &store, int count)
{
    const QByteArray photo = imageBytes(QSize(64, 48)).toBase64();
    for (int i = 0; i < count; ++i) {
        auto contact = makeContact(Contact::makeId(), QStringLiteral("Surname%1 Name%1").arg(i));
        contact->middlename = QStringLiteral("Мидл%1").arg(i % 7);
        contact->organization = QStringLiteral("Firm %1, \"Ltd\"; Co").arg(i % 13);
        contact->dateOfBirth =
                i % 3 ? QStringLiteral("%1.05.19%2").arg(10 + i % 18).arg(50 + i % 50)
                      : QStringLiteral("%1.12").arg(10 + i % 18);
        contact->phoneList = QStringList{QStringLiteral("+49 171 %1").arg(1000000 + i), "030 1"};
        contact->phoneGroupList = QStringList{"Mobile", "Dacha"};
        contact->emailList = QStringList{QStringLiteral("n%1@example.org").arg(i)};
        contact->emailGroupList = QStringList{"Work"};
        contact->addressList = QStringList{QStringLiteral("Street %1\nTown").arg(i)};
        contact->addressGroupList = QStringList{"Home"};
        contact->linkList = QStringList{QStringLiteral("https://example.org/%1").arg(i)};
        contact->comment = QStringLiteral("Line one\nline %1").arg(i);
        contact->isFavorite = i % 4 == 0;
        contact->fullname = contact->composedFullName();
        if (i % 5 == 0) {
            contact->photoData = photo;
        }
        store.insertContact(contact.get());
    }
}

// A card as the server has it.
QByteArray getCard(const QUrl &url)
{
    DavClient client;
    client.setCredentials(url, DavServer::User, DavServer::Password);
    QByteArray card;
    client.send("GET", url, {}, {}, [&card](const DavResponse &response) {
        card = response.isSuccess() ? response.body : QByteArray("failed");
    });
    return QTest::qWaitFor([&card] { return !card.isEmpty(); }, 20000) ? card : QByteArray();
}

// Writes a card straight to the server.
void putCard(const QUrl &url, const QByteArray &card)
{
    DavClient client;
    client.setCredentials(url, DavServer::User, DavServer::Password);
    int status = 0;
    client.send("PUT", url, card, {},
                [&status](const DavResponse &response) { status = response.status; });
    QTRY_VERIFY(status >= 200 && status < 300);
}

// The memory the process holds now.
qint64 residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    statm.open(QIODevice::ReadOnly);
    return statm.readAll().split(' ').value(1).toLongLong() * getpagesize() / (1024 * 1024);
}

} // namespace

class tst_CardDavSync : public QObject
{
    Q_OBJECT

private slots:
    void everyChangeReachesTheOther_data();
    void everyChangeReachesTheOther();
    void pushSendsTheChangesMadeHere();
    void conflictKeepsBothEdits_data();
    void conflictKeepsBothEdits();
    void faultLosesNothing_data();
    void faultLosesNothing();
    void killedFirstSyncCompletes();
    void hostileAnswerLosesNothing_data();
    void hostileAnswerLosesNothing();
    void redirectGetsNoPassword_data();
    void redirectGetsNoPassword();
    void groupCardPatchKeepsItsForm_data();
    void groupCardPatchKeepsItsForm();
    void groupsReachTheOther_data();
    void groupsReachTheOther();
    void otherProgramsCardsStayWhole_data();
    void otherProgramsCardsStayWhole();
};

void tst_CardDavSync::everyChangeReachesTheOther_data()
{
    QTest::addColumn<int>("server");
    QTest::newRow("Radicale") << int(DavServer::Radicale);
    QTest::newRow("Xandikos") << int(DavServer::Xandikos);
    QTest::newRow("without sync report") << int(DavServer::RadicaleWithoutSyncReport);
    QTest::newRow("listing cut short") << int(DavServer::RadicaleCuttingListings);
}

// Contacts up from one instance and down into a fresh one; then
// edits, a star, a photo, a deletion and an addition on either side.
void tst_CardDavSync::everyChangeReachesTheOther()
{
    QFETCH(int, server);
    DavServer dav{DavServer::Kind(server)};
    QVERIFY(dav.start());
    Instance a(QStringLiteral("a") + QTest::currentDataTag(), dav.addressBook());
    Instance b(QStringLiteral("b") + QTest::currentDataTag(), dav.addressBook());
    const int count = sizeFromEnvironment("KIV_SYNC_TEST_CONTACTS", 1000);
    fill(a.store, count);
    QCOMPARE(a.run(), QString());
    QCOMPARE(dav.cardCount(), count);
    QCOMPARE(b.run(), QString());
    QCOMPARE(b.texts(), a.texts());

    QList<Contact *> mine = a.store.loadContacts();
    mine.at(0)->name = QStringLiteral("Edited here");
    a.store.updateContact(mine.at(0));
    a.store.toggleFavorite(mine.at(1)->id);
    a.store.savePhoto(mine.at(2)->id, writeImage(QDir::homePath(), QSize(500, 300)));
    a.store.removeContacts({mine.at(3)->id});
    // The other instance edits a contact this one left alone: its rows come
    // in the order the server listed the cards.
    const ContactPtr untouched = b.withSurname(mine.at(4)->surname);
    QVERIFY(untouched);
    untouched->comment = QStringLiteral("Edited there");
    b.store.updateContact(untouched.get());
    b.store.insertContact(makeContact(Contact::makeId(), QStringLiteral("Added There")).get());
    qDeleteAll(mine);
    QCOMPARE(a.run(), QString());
    QCOMPARE(b.run(), QString());
    QCOMPARE(a.run(), QString());
    QCOMPARE(b.texts(), a.texts());
    QCOMPARE(a.texts().size(), count);
    QCOMPARE(dav.cardCount(), count);
    QVERIFY(a.texts().join(QString()).contains(QStringLiteral("Edited there")));
    QVERIFY(b.texts().join(QString()).contains(QStringLiteral("Edited here")));
    QVERIFY(b.texts().join(QString()).contains(QStringLiteral("400x240")));
}

// A push sends the changes made here and lists nothing; the next run both ways
// finds its cards as they are. Without an earlier run it syncs both ways.
void tst_CardDavSync::pushSendsTheChangesMadeHere()
{
    DavServer dav(DavServer::Radicale);
    QVERIFY(dav.start());
    Instance a(QStringLiteral("pushA"), dav.addressBook());
    Instance b(QStringLiteral("pushB"), dav.addressBook());
    fill(a.store, 4);
    QCOMPARE(a.run(), QString());
    QCOMPARE(b.run(), QString());
    const ContactPtr there = b.withSurname(QStringLiteral("Surname0"));
    there->comment = QStringLiteral("Edited there");
    b.store.updateContact(there.get());
    QCOMPARE(b.run(), QString());
    const ContactPtr here = a.withSurname(QStringLiteral("Surname1"));
    here->comment = QStringLiteral("Edited here");
    a.store.updateContact(here.get());
    a.store.removeContacts({a.withSurname(QStringLiteral("Surname2"))->id});
    a.store.insertContact(makeContact(Contact::makeId(), QStringLiteral("Added Here")).get());

    QCOMPARE(a.run(&CardDavSync::push), QString());
    QVERIFY(!a.texts().join(QString()).contains(QStringLiteral("Edited there")));
    // What b took from the push alone is what a has after a run both ways.
    QCOMPARE(b.run(), QString());
    QCOMPARE(a.run(), QString());
    QCOMPARE(a.texts(), b.texts());
    QCOMPARE(a.texts().size(), 4);
    QCOMPARE(dav.cardCount(), 4);

    // A push's answer never recorded (a crash), the contact deleted since: only a
    // listing tells whether its card is there, and the run both ways deletes it.
    const ContactPtr begun = makeContact(Contact::makeId(), QStringLiteral("Begun Upload"));
    a.store.insertContact(begun.get());
    QCOMPARE(a.run(&CardDavSync::push), QString());
    SyncStateTable table(&a.store);
    for (SyncItem item : table.items(QString(), 10)) {
        if (item.contactId == begun->id.toLongLong()) {
            item.etag.clear();
            table.putItem(item);
        }
    }
    a.store.removeContacts({begun->id});
    QCOMPARE(a.run(&CardDavSync::push), QString());
    QCOMPARE(a.run(), QString());
    QCOMPARE(a.texts().size(), 4);
    QCOMPARE(dav.cardCount(), 4);

    Instance c(QStringLiteral("pushC"), dav.addressBook());
    QCOMPARE(c.run(&CardDavSync::push), QString());
    QCOMPARE(c.texts(), a.texts());
}

void tst_CardDavSync::conflictKeepsBothEdits_data()
{
    QTest::addColumn<int>("server");
    QTest::addColumn<bool>("pushed");
    QTest::addColumn<QString>("hereEdit");
    QTest::addColumn<QString>("thereEdit");
    QTest::addColumn<QString>("expected");
    // tag|edit here|edit there|texts expected on both sides; an edit sets the
    // comment, "delete" deletes the contact.
    for (const char *row : {"both edit|Here|There|Conflict copy,Here,There",
                            "other fields edited|Here|org:There|Here,There",
                            "deleted here, edited there|delete|There|There",
                            "edited here, deleted there|Here|delete|Here"}) {
        const QStringList cells = QString::fromLatin1(row).split(QLatin1Char('|'));
        // Pushed: here the edit goes up as after an edit; the server's newer
        // version refuses it, and the run syncs both ways after all.
        for (int server : {int(DavServer::Radicale), int(DavServer::Xandikos)}) {
            for (bool pushed : {false, true}) {
                QTest::addRow("%s%s %s", server ? "Xandikos" : "Radicale", pushed ? " pushed," : "",
                              qPrintable(cells.at(0)))
                        << server << pushed << cells.at(1) << cells.at(2) << cells.at(3);
            }
        }
    }
}

void tst_CardDavSync::conflictKeepsBothEdits()
{
    QFETCH(int, server);
    QFETCH(bool, pushed);
    QFETCH(QString, hereEdit);
    QFETCH(QString, thereEdit);
    QFETCH(QString, expected);
    DavServer dav{DavServer::Kind(server)};
    QVERIFY(dav.start());
    const QString tag = QString::fromLatin1(QTest::currentDataTag()).remove(QLatin1Char(' '));
    Instance a(QStringLiteral("a") + tag, dav.addressBook());
    Instance b(QStringLiteral("b") + tag, dav.addressBook());
    a.store.insertContact(makeContact(Contact::makeId(), QStringLiteral("Smith Anna")).get());
    QCOMPARE(a.run(), QString());
    QCOMPARE(b.run(), QString());
    for (auto [instance, edit] : {std::make_pair(&a, hereEdit), std::make_pair(&b, thereEdit)}) {
        const std::unique_ptr<Contact> contact(instance->store.loadContacts().value(0));
        if (edit.startsWith(QLatin1String("org:"))) {
            contact->organization = edit.mid(4);
        } else {
            contact->comment = edit;
        }
        if (edit == QLatin1String("delete")) {
            instance->store.removeContacts({contact->id});
        } else {
            instance->store.updateContact(contact.get());
        }
    }
    QCOMPARE(b.run(), QString());
    QCOMPARE(a.run(pushed ? &CardDavSync::push : &CardDavSync::start), QString());
    QCOMPARE(b.run(), QString());
    QCOMPARE(a.texts(), b.texts());
    const QString all = a.texts().join(QLatin1Char('\n'));
    for (const QString &part : expected.split(QLatin1Char(','))) {
        QVERIFY2(all.contains(part), qPrintable(all));
    }
    // Edits of different fields meet in one contact.
    QCOMPARE(all.contains(QLatin1String("Conflict copy")), expected.contains("Conflict copy"));
    QCOMPARE(dav.cardCount(), a.texts().size());
}

void tst_CardDavSync::faultLosesNothing_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    for (const char *row : {"wrong password|password|Wrong user name or password (HTTP 401",
                            "server killed|kill|Server not reachable",
                            "address book deleted|delete|The address book was not found",
                            "server error|500|The server answered with an error (HTTP 500",
                            "unreadable card|card|1 card(s) on the server cannot be read",
                            "untrusted certificate|tls|Certificate not trusted"}) {
        const QStringList cells = QString::fromLatin1(row).split(QLatin1Char('|'));
        QTest::newRow(qPrintable(cells.at(0))) << cells.at(1) << cells.at(2);
    }
}

// Each fault gives its message and leaves the contacts as they were; once it
// is mended the next sync converges.
void tst_CardDavSync::faultLosesNothing()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    DavServer dav(DavServer::Radicale);
    QVERIFY(dav.start());
    const QUrl book = dav.addressBook();
    Instance a(fault, book);
    fill(a.store, 60);
    QCOMPARE(a.run(), QString());
    a.store.insertContact(makeContact(Contact::makeId(), QStringLiteral("Added Later")).get());
    const QUrl card = book.resolved(QUrl(QStringLiteral("broken.vcf")));
    const auto put = [&card](const QByteArray &verb, const QUrl &url, const QByteArray &name) {
        DavClient client;
        client.setCredentials(url, DavServer::User, DavServer::Password);
        int status = 0;
        client.send(verb, url,
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:b\r\nN:" + name + ";;;;\r\nFN:" + name
                            + "\r\nEND:VCARD\r\n",
                    {}, [&status](const DavResponse &response) { status = response.status; });
        QTRY_VERIFY(status >= 200 && status < 300);
    };
    DavServer other(fault == QLatin1String("tls") ? DavServer::Untrusted : DavServer::Failing);
    if (fault == QLatin1String("password")) {
        a.sync.setAccount(book, DavServer::User, QStringLiteral("wrong"));
    } else if (fault == QLatin1String("kill")) {
        fill(a.store, 100);
        QObject::connect(&a.sync, &CardDavSync::progressChanged, &a.sync,
                         [&dav, &a, killed = false]() mutable {
                             if (a.sync.done() == 50 && !std::exchange(killed, true)) {
                                 dav.kill();
                             }
                         });
    } else if (fault == QLatin1String("500") || fault == QLatin1String("tls")) {
        QVERIFY(other.start());
        a.sync.setAccount(other.url().resolved(QUrl(book.path())), DavServer::User,
                          DavServer::Password);
    } else {
        put(fault == QLatin1String("delete") ? "DELETE" : "PUT",
            fault == QLatin1String("delete") ? book : card, QByteArray());
    }
    const QStringList before = a.texts();
    const QString error = a.run();
    QVERIFY2(error.startsWith(message), qPrintable(error));
    QCOMPARE(a.texts(), before);

    a.sync.setAccount(book, DavServer::User, DavServer::Password);
    if (fault == QLatin1String("kill")) {
        QVERIFY(dav.start());
    } else if (fault == QLatin1String("delete")) {
        QCOMPARE(dav.addressBook(true), book);
    } else if (fault == QLatin1String("card")) {
        put("PUT", card, "Mended");
    }
    QCOMPARE(a.run(), QString());
    QStringList after = a.texts();
    QCOMPARE(after.removeAll(after.filter(QStringLiteral("Mended")).value(0)),
             int(fault == QLatin1String("card")));
    QCOMPARE(after, before);
    QCOMPARE(dav.cardCount(), a.texts().size());
}

// A program killed in the middle of its first sync; the next start's sync ends with
// exactly as many contacts on both sides.
void tst_CardDavSync::killedFirstSyncCompletes()
{
    DavServer dav(DavServer::Radicale);
    QVERIFY(dav.start());
    const QString file = QDir::homePath() + QStringLiteral("/crash.sqlite");
    const int count = sizeFromEnvironment("KIV_SYNC_TEST_CRASH_CONTACTS", 5000);
    {
        SqliteDatabase store;
        QVERIFY(store.open(file));
        fill(store, count);
    }
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("child"), file, dav.addressBook().toString(), DavServer::User,
                 DavServer::Password});
    QVERIFY(child.waitForStarted());
    QByteArray output;
    QVERIFY(QTest::qWaitFor(
            [&] {
                child.waitForReadyRead(100);
                output += child.readAll();
                return output.trimmed().split('\n').last().toInt() >= count / 2;
            },
            600000));
    child.kill();
    QVERIFY(child.waitForFinished());
    QVERIFY(dav.cardCount() > 0);

    Instance again(QStringLiteral("crash"), dav.addressBook());
    QCOMPARE(again.run(), QString());
    QCOMPARE(again.texts().size(), count);
    QCOMPARE(dav.cardCount(), count);
}

void tst_CardDavSync::hostileAnswerLosesNothing_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("countAfterFault");
    QTest::addColumn<int>("countAfterMend");
    // tag|mode|what happens before the run|its message|contacts after it|after
    // the next run: 10 contacts were synced; "forget token" lists everything,
    // "deleted there" and "added there" change the server, "edited here" and
    // "edited and deleted here" the contacts here.
    for (const char *row :
         {"cut with length, no token|cut-length|forget token|The server's answer was cut off|10|10",
          "cut and closed, no token|cut-close|forget token|The server's answer was cut off|10|10",
          "cut with length, token|cut-length|deleted there|The server's answer was cut off|10|3",
          "cut and closed, token|cut-close|deleted there|The server's answer was cut off|10|3",
          "endless listing|endless|forget token|The server's answer is too large|10|10",
          "2 GB listing|huge|forget token|The server's answer is too large|10|10",
          "one byte a second|slow|slow|The server answers too slowly|10|10",
          "hrefs outside|hrefs|edited and deleted here|3 card(s) named outside|9|9",
          "412 forever|refuse-put|edited here|The server refused the changes made here|10|10",
          "report in parts|part|added there||13|13",
          "50 MB card|big|big card|1 card(s) on the server are too large|10|10",
          "JPEG bombs|none|bombs||13|13"}) {
        const QStringList cells = QString::fromUtf8(row).split(QLatin1Char('|'));
        QTest::newRow(qPrintable(cells.at(0))) << cells.at(1).toUtf8() << cells.at(2) << cells.at(3)
                                               << cells.at(4).toInt() << cells.at(5).toInt();
    }
}

// Whatever a server sends, no contact is lost, nothing is written outside
// the address book, nothing reaches another origin and memory stays bounded;
// once the server behaves, the next run converges.
void tst_CardDavSync::hostileAnswerLosesNothing()
{
    QFETCH(QByteArray, mode);
    QFETCH(QString, before);
    QFETCH(QString, message);
    DavServer dav(DavServer::Hostile);
    QVERIFY(dav.start());
    const QUrl book = dav.addressBook();
    const QString tag = QString::fromLatin1(QTest::currentDataTag()).remove(QLatin1Char(' '));
    Instance a(QStringLiteral("hostileA") + tag, book);
    Instance b(QStringLiteral("hostileB") + tag, book);
    fill(a.store, 10);
    QCOMPARE(a.run(), QString());
    QCOMPARE(b.run(), QString());
    const QList<Contact *> mine = a.store.loadContacts();
    const QList<Contact *> theirs = b.store.loadContacts();
    if (before == QLatin1String("forget token")) {
        SyncStateTable(&a.store).setCollection(book.toString(), QString());
    } else if (before == QLatin1String("deleted there")) {
        b.store.removeContacts({theirs.at(0)->id, theirs.at(1)->id, theirs.at(2)->id,
                                theirs.at(3)->id, theirs.at(4)->id, theirs.at(5)->id,
                                theirs.at(6)->id});
    } else if (before == QLatin1String("added there")) {
        fill(b.store, 3);
    } else if (before.startsWith(QLatin1String("edited"))) {
        mine.at(0)->comment = QStringLiteral("Edited here");
        a.store.updateContact(mine.at(0));
        if (before.endsWith(QLatin1String("deleted here"))) {
            a.store.removeContacts({mine.at(1)->id});
        }
    } else if (before == QLatin1String("slow")) {
        a.sync.setLimits({DavLimits().bodyBytes, 1000, 1000});
    } else if (before == QLatin1String("big card")) {
        putCard(book.resolved(QUrl(QStringLiteral("big.vcf"))),
                "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:big\r\nFN:Big Card\r\nN:Card;Big;;;\r\n"
                "NOTE:big\r\nEND:VCARD\r\n");
    } else if (before == QLatin1String("bombs")) {
        for (const char *name :
             {"bomb-jpeg-baseline-30000.jpg", "bomb-jpeg-progressive-30000.jpg", "bomb-9999.png"}) {
            putCard(book.resolved(QUrl(QLatin1String(name) + QStringLiteral(".vcf"))),
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + QByteArray(name) + "\r\nFN:Bomb "
                            + QByteArray(name) + "\r\nN:Bomb;" + QByteArray(name)
                            + ";;;\r\nPHOTO;ENCODING=b:"
                            + readFile(QStringLiteral(TEST_DATA_DIR "/fuzz/photo/")
                                       + QLatin1String(name))
                                      .toBase64()
                            + "\r\nEND:VCARD\r\n");
        }
    }
    qDeleteAll(mine);
    qDeleteAll(theirs);
    QCOMPARE(b.run(), QString());
    QVERIFY(dav.setMode(mode));
    // The longest turn of the event loop and the most memory while the run goes on.
    QElapsedTimer clock;
    qint64 longestTurn = 0;
    qint64 memory = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        longestTurn = qMax(longestTurn, clock.restart());
        memory = qMax(memory, residentMegabytes());
    });
    clock.start();
    beat.start(0);
    const QString error = a.run(before == QLatin1String("edited here") ? &CardDavSync::push
                                                                       : &CardDavSync::start);
    beat.stop();
    QVERIFY2(message.isEmpty() ? error.isEmpty() : error.startsWith(message), qPrintable(error));
    QTEST(a.texts().size(), "countAfterFault");
    // Address sanitizer's shadow memory and quarantine would count as the
    // run's own, and its checks slow the turn that reads a photo; its build
    // checks what it was made for instead. The bound is an answer's largest
    // body (64 MiB) and Qt's read-ahead beside the test's own: an answer that
    // floods in must not pile up unread (it reached 400 MB).
#ifndef __SANITIZE_ADDRESS__
    QVERIFY2(memory < 200, qPrintable(QString::number(memory)));
    if (before == QLatin1String("bombs")) {
        QVERIFY2(longestTurn < 100, qPrintable(QString::number(longestTurn)));
    }
#endif
    if (before == QLatin1String("bombs")) {
        QVERIFY(!a.texts().filter(QStringLiteral("Bomb")).join(QString()).contains("photo"));
    }
    for (const QString &line : dav.requests()) {
        const QStringList cells = line.split(QLatin1Char(' '));
        QVERIFY2(cells.first() != QLatin1String("catcher"), qPrintable(line));
        if (cells.value(1) == QLatin1String("PUT") || cells.value(1) == QLatin1String("DELETE")) {
            QVERIFY2(DavOrigin::isMember(book.resolved(QUrl::fromEncoded(cells.value(2).toUtf8())),
                                         book),
                     qPrintable(line));
        }
    }

    QVERIFY(dav.setMode("none"));
    a.sync.setLimits(DavLimits());
    QCOMPARE(a.run(), QString());
    QTEST(a.texts().size(), "countAfterMend");
    // A card too large to take stays on the server alone.
    QCOMPARE(dav.cardCount(), a.texts().size() + int(before == QLatin1String("big card")));
    QCOMPARE(a.texts().join(QString()).contains(QStringLiteral("Edited here")),
             before.startsWith(QLatin1String("edited")));
}

void tst_CardDavSync::redirectGetsNoPassword_data()
{
    QTest::addColumn<QByteArray>("code");
    for (const char *code : {"301", "302", "307", "308"}) {
        QTest::newRow(code) << QByteArray(code);
    }
}

// A redirect to another origin takes neither discovery nor the sync there,
// and the password never arrives.
void tst_CardDavSync::redirectGetsNoPassword()
{
    QFETCH(QByteArray, code);
    DavServer dav(DavServer::Hostile);
    QVERIFY(dav.start());
    Instance a(QStringLiteral("redirect") + code, dav.addressBook());
    QVERIFY(dav.setMode("redirect-" + code));
    DavDiscovery discovery;
    QSignalSpy found(&discovery, &DavDiscovery::finished);
    discovery.start(dav.url(), DavServer::User, DavServer::Password);
    QVERIFY(found.wait(20000));
    QVERIFY2(found.first().at(1).toString().startsWith(
                     QStringLiteral("The server sends the request on to another server")),
             qPrintable(found.first().at(1).toString()));
    QVERIFY(!a.run().isEmpty());
    for (const QString &line : dav.requests()) {
        QVERIFY2(!line.startsWith(QLatin1String("catcher")), qPrintable(line));
    }
}

void tst_CardDavSync::groupCardPatchKeepsItsForm_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("removed");
    QTest::newRow("Apple: renamed, a double and a member out, one in")
            << "family"
            << "Kin" << QStringList{"NEW-1", "8D5C1E0A-5B7E-4C4A-9F0E-2A6D1B3C4E01"}
            << QStringList{"8D5C1E0A-5B7E-4C4A-9F0E-2A6D1B3C4E01"};
    QTest::newRow("vCard 4.0: plain UID out, MEMBER in")
            << "work"
            << "Work" << QStringList{"NEW-1"}
            << QStringList{"8D5C1E0A-5B7E-4C4A-9F0E-2A6D1B3C4E99"};
}

// A group card is patched in its own form, every other line as it was; the
// result is beside the card as name.patched.vcf.
void tst_CardDavSync::groupCardPatchKeepsItsForm()
{
    QFETCH(QString, file);
    QFETCH(QString, name);
    QFETCH(QStringList, added);
    QFETCH(QStringList, removed);
    const QString path = QStringLiteral(TEST_DATA_DIR "/sync/groups/apple/") + file;
    const QByteArray patched = GroupCard::patch(readFile(path + ".vcf"), name, added, removed);
    QCOMPARE(patched, readFile(path + ".patched"));
    const GroupCard::Group group = GroupCard::read(patched);
    QCOMPARE(group.name, name);
    QVERIFY(group.members.contains("NEW-1"));
    QVERIFY(!group.members.contains(removed.first()));
}

void tst_CardDavSync::groupsReachTheOther_data()
{
    QTest::addColumn<QString>("cards");
    QTest::newRow("CATEGORIES") << QStringLiteral("categories");
    QTest::newRow("Apple group cards") << QStringLiteral("apple");
}

// Groups made on other devices come in; assigning, renaming, deleting and
// making groups on one instance reaches the other. With group cards on the
// server the group cards change, never the contacts' CATEGORIES; their
// unknown members, doubles and a card without a usable name change nothing.
void tst_CardDavSync::groupsReachTheOther()
{
    QFETCH(QString, cards);
    const bool groupCards = cards == QLatin1String("apple");
    DavServer dav(DavServer::Radicale, true);
    QVERIFY(dav.start());
    const QDir dir(QStringLiteral(TEST_DATA_DIR "/sync/groups/") + cards);
    for (const QString &file : dir.entryList({QStringLiteral("*.vcf")}, QDir::Files)) {
        QByteArray card = readFile(dir.filePath(file));
        for (int i = 0; file == QLatin1String("family.vcf") && i < 3000; ++i) {
            card.insert(card.indexOf("REV:"), QStringLiteral("X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:"
                                                             "%1\r\n")
                                                      .arg(i)
                                                      .toUtf8());
        }
        putCard(dav.addressBook().resolved(QUrl(file)), card);
    }
    const int cardCount = dav.cardCount();
    Instance a(QStringLiteral("groupsA") + cards, dav.addressBook());
    Instance b(QStringLiteral("groupsB") + cards, dav.addressBook());
    QCOMPARE(a.run(), QString());
    QCOMPARE(b.run(), QString());
    QCOMPARE(b.groupsText(), QStringLiteral("Brown:Family|Clark:Family|Dean:Work|=Family,Work"));

    const auto change = [&](const std::function<void()> &edit, const QString &expected) {
        edit();
        QCOMPARE(a.run(&CardDavSync::push), QString());
        QCOMPARE(b.run(), QString());
        QCOMPARE(b.groupsText(), expected);
        QCOMPARE(a.groupsText(), expected);
    };
    change(
            [&] {
                const ContactPtr dean = a.withSurname(QStringLiteral("Dean"));
                dean->groups << QStringLiteral("Family");
                a.store.updateContact(dean.get());
            },
            QStringLiteral("Brown:Family|Clark:Family|Dean:Family,Work|=Family,Work"));
    const QByteArray deanCard = getCard(dav.addressBook().resolved(QUrl("dean.vcf")));
    const QByteArray family = getCard(dav.addressBook().resolved(QUrl("family.vcf")));
    QCOMPARE(cardLines(deanCard)
                     .filter(QStringLiteral("CATEGORIES"))
                     .join(QString())
                     .contains("Family"),
             !groupCards);
    QCOMPARE(family.contains("urn:uuid:8D5C1E0A-5B7E-4C4A-9F0E-2A6D1B3C4E03"), groupCards);
    QVERIFY(!groupCards || family.contains("urn:uuid:2999\r\n"));

    change([&] { a.store.renameGroup(QStringLiteral("Family"), QStringLiteral("Kin")); },
           QStringLiteral("Brown:Kin|Clark:Kin|Dean:Kin,Work|=Kin,Work"));
    QCOMPARE(getCard(dav.addressBook().resolved(QUrl("family.vcf"))).contains("\nFN:Kin\r"),
             groupCards);
    change([&] { a.store.removeGroup(QStringLiteral("Work")); },
           QStringLiteral("Brown:Kin|Clark:Kin|Dean:Kin|=Kin"));
    change(
            [&] {
                const ContactPtr brown = a.withSurname(QStringLiteral("Brown"));
                brown->groups << QStringLiteral("Football");
                a.store.updateContact(brown.get());
            },
            QStringLiteral("Brown:Football,Kin|Clark:Kin|Dean:Kin|=Football,Kin"));
    // Work's card went, Football's came.
    QCOMPARE(dav.cardCount(), cardCount);
    QVERIFY(!groupCards || getCard(dav.addressBook().resolved(QUrl("work.vcf"))) == "failed");
}

void tst_CardDavSync::otherProgramsCardsStayWhole_data()
{
    QTest::addColumn<int>("server");
    QTest::addColumn<QString>("file");
    for (int server : {int(DavServer::Hostile), int(DavServer::Xandikos)}) {
        for (const QString &file : keptCardFiles()) {
            QTest::addRow("%s %s", server == DavServer::Xandikos ? "Xandikos" : "Radicale",
                          qPrintable(file))
                    << server << file;
        }
    }
}

// A card another program wrote comes down, and goes up again only when it
// was edited here: then every line but the edited phone and the star is the
// same on the server, its photo and version included.
void tst_CardDavSync::otherProgramsCardsStayWhole()
{
    QFETCH(int, server);
    QFETCH(QString, file);
    DavServer dav{DavServer::Kind(server), true};
    QVERIFY(dav.start());
    const QUrl url = dav.addressBook().resolved(QUrl(QStringLiteral("card.vcf")));
    // A server keeps CR LF line ends (iOS wrote CR CR LF).
    QByteArray card = firstCard(file).replace("\r\r\n", "\r\n");
    if (!card.contains("\nUID")) {
        card.insert(card.indexOf("\nN:") + 1, "UID:kept-" + file.toUtf8() + "\r\n");
    }
    putCard(url, card);
    const QStringList before = cardLines(getCard(url));
    Instance a(QStringLiteral("whole") + QString::number(server) + file, dav.addressBook());
    QCOMPARE(a.run(), QString());
    QCOMPARE(a.run(), QString());
    QCOMPARE(cardLines(getCard(url)), before);
    // The card was put there once, by the test.
    QCOMPARE(dav.requests().filter(QStringLiteral(" PUT ")).size(),
             int(server == DavServer::Hostile));

    const std::unique_ptr<Contact> contact(a.store.loadContacts().value(0));
    QVERIFY(contact);
    QStringList phones = contact->phones().mid(1);
    contact->setPhones(phones << QStringLiteral("+49 30 7654321"));
    if (contact->phoneGroupList.size() < phones.size()) {
        contact->phoneGroupList << QStringLiteral("Mobile");
    }
    a.store.updateContact(contact.get());
    a.store.toggleFavorite(contact->id);
    QCOMPARE(a.run(&CardDavSync::push), QString());
    const auto unedited = [](const QStringList &lines) {
        return lines.filter(
                QRegularExpression(QStringLiteral("^(?!([^:;]*\\.)?(TEL|CATEGORIES)[:;])"),
                                   QRegularExpression::CaseInsensitiveOption));
    };
    const QStringList after = cardLines(getCard(url));
    QCOMPARE(unedited(after), unedited(before));
    QVERIFY(after.join(QLatin1Char('\n')).contains(QLatin1String("+49 30 7654321")));
}

// With "child <store file> <address book> <user> <password>" the program is the
// crash test's helper: it syncs and prints its progress until it is killed.
int main(int argc, char *argv[])
{
    if (argc == 6 && qstrcmp(argv[1], "child") == 0) {
        QCoreApplication app(argc, argv);
        SqliteDatabase store;
        store.open(app.arguments().at(2));
        CardDavSync sync(&store);
        sync.setAccount(QUrl(app.arguments().at(3)), app.arguments().at(4), app.arguments().at(5));
        QObject::connect(&sync, &CardDavSync::progressChanged, [&sync] {
            std::printf("%d\n", sync.done());
            std::fflush(stdout);
        });
        sync.start();
        return app.exec();
    }
    TestHome home;
    QGuiApplication app(argc, argv);
    tst_CardDavSync test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_carddavsync.moc"

#include "davserver.h"
#include "importexport/contactsfileparser.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "sync/carddavsync.h"
#include "sync/davclient.h"
#include "testsupport.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>

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

    // Runs one sync to its end; its error text.
    QString run()
    {
        QSignalSpy finished(&sync, &CardDavSync::finished);
        sync.start();
        return finished.wait(600000) ? finished.first().first().toString()
                                     : QStringLiteral("no end");
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

    Contact *find(const QString &name)
    {
        for (Contact *contact : store.loadContacts()) {
            if (contact->name == name) {
                return contact;
            }
            delete contact;
        }
        return nullptr;
    }

    SqliteDatabase store;
    CardDavSync sync;
};

// Generated contacts with every field, photos in a fraction of them.
void fill(SqliteDatabase &store, int count)
{
    QProcess generator;
    generator.start(QStringLiteral("python3"),
                    {QStringLiteral(GEN_CONTACTS), QStringLiteral("--format=vcard30"),
                     QStringLiteral("--photos"), QStringLiteral("--count=%1").arg(count)});
    generator.waitForFinished(120000);
    Parsed parsed(ContactsFileParser::parseVCardData(generator.readAllStandardOutput(),
                                                     QStringLiteral("UTF-8")));
    for (Contact *contact : parsed.all()) {
        contact->id = Contact::makeId();
        store.insertContact(contact);
    }
}

} // namespace

class tst_CardDavSync : public QObject
{
    Q_OBJECT

private slots:
    void everyChangeReachesTheOther_data();
    void everyChangeReachesTheOther();
    void conflictKeepsBothEdits_data();
    void conflictKeepsBothEdits();
    void faultLosesNothing_data();
    void faultLosesNothing();
    void killedFirstSyncCompletes();
};

void tst_CardDavSync::everyChangeReachesTheOther_data()
{
    QTest::addColumn<int>("server");
    QTest::newRow("Radicale") << int(DavServer::Radicale);
    QTest::newRow("Xandikos") << int(DavServer::Xandikos);
}

// 1,000 contacts up from one instance and down into a fresh one; then
// edits, a star, a photo, a deletion and an addition on either side.
void tst_CardDavSync::everyChangeReachesTheOther()
{
    QFETCH(int, server);
    DavServer dav{DavServer::Kind(server)};
    QVERIFY(dav.start());
    Instance a(QStringLiteral("a") + QTest::currentDataTag(), dav.addressBook());
    Instance b(QStringLiteral("b") + QTest::currentDataTag(), dav.addressBook());
    fill(a.store, 1000);
    QCOMPARE(a.run(), QString());
    QCOMPARE(dav.cardCount(), 1000);
    QCOMPARE(b.run(), QString());
    QCOMPARE(b.texts().size(), 1000);
    QCOMPARE(b.texts(), a.texts());

    QList<Contact *> mine = a.store.loadContacts();
    QList<Contact *> theirs = b.store.loadContacts();
    mine.at(0)->name = QStringLiteral("Edited here");
    a.store.updateContact(mine.at(0));
    a.store.toggleFavorite(mine.at(1)->id);
    a.store.savePhoto(mine.at(2)->id, writeImage(QDir::homePath(), QSize(500, 300)));
    a.store.removeContacts({mine.at(3)->id});
    theirs.at(4)->comment = QStringLiteral("Edited there");
    b.store.updateContact(theirs.at(4));
    b.store.insertContact(makeContact(Contact::makeId(), QStringLiteral("Added There")).get());
    qDeleteAll(mine);
    qDeleteAll(theirs);
    QCOMPARE(a.run(), QString());
    QCOMPARE(b.run(), QString());
    QCOMPARE(a.run(), QString());
    QCOMPARE(b.texts(), a.texts());
    QCOMPARE(a.texts().size(), 1000);
    QCOMPARE(dav.cardCount(), 1000);
    QVERIFY(a.texts().join(QString()).contains(QStringLiteral("Edited there")));
    QVERIFY(b.texts().join(QString()).contains(QStringLiteral("Edited here")));
    QVERIFY(b.texts().join(QString()).contains(QStringLiteral("400x240")));
}

void tst_CardDavSync::conflictKeepsBothEdits_data()
{
    QTest::addColumn<int>("server");
    QTest::addColumn<QString>("hereEdit");
    QTest::addColumn<QString>("thereEdit");
    QTest::addColumn<QString>("expected");
    // Each edit: "comment" sets a comment, "delete" deletes the contact.
    const QString both = QStringLiteral("Conflict copy|Here|There");
    for (int server : {int(DavServer::Radicale), int(DavServer::Xandikos)}) {
        const QByteArray name = server == DavServer::Radicale ? "Radicale " : "Xandikos ";
        QTest::newRow(name + "both edit") << server << "Here"
                                          << "There" << both;
        QTest::newRow(name + "deleted here, edited there") << server << "delete"
                                                           << "There"
                                                           << "There";
        QTest::newRow(name + "edited here, deleted there") << server << "Here"
                                                           << "delete"
                                                           << "Here";
    }
}

void tst_CardDavSync::conflictKeepsBothEdits()
{
    QFETCH(int, server);
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
        const std::unique_ptr<Contact> contact(instance->find(QStringLiteral("Anna")));
        QVERIFY(contact);
        contact->comment = edit;
        if (edit == QLatin1String("delete")) {
            instance->store.removeContacts({contact->id});
        } else {
            instance->store.updateContact(contact.get());
        }
    }
    QCOMPARE(b.run(), QString());
    QCOMPARE(a.run(), QString());
    QCOMPARE(b.run(), QString());
    QCOMPARE(a.texts(), b.texts());
    const QString all = a.texts().join(QLatin1Char('\n'));
    for (const QString &part : expected.split(QLatin1Char('|'))) {
        QVERIFY2(all.contains(part), qPrintable(all));
    }
    QCOMPARE(dav.cardCount(), a.texts().size());
}

void tst_CardDavSync::faultLosesNothing_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("wrong password") << "password"
                                    << "Wrong user name or password (HTTP 401";
    QTest::newRow("server killed") << "kill"
                                   << "Server not reachable";
    QTest::newRow("address book deleted") << "delete"
                                          << "The address book was not found";
    QTest::newRow("server error") << "500"
                                  << "The server answered with an error (HTTP 500";
    QTest::newRow("unreadable card") << "card"
                                     << "1 card(s) on the server cannot be read";
    QTest::newRow("untrusted certificate") << "tls"
                                           << "Certificate not trusted";
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
    const QString tag = QString::fromLatin1(QTest::currentDataTag()).remove(QLatin1Char(' '));
    Instance a(tag, book);
    fill(a.store, 60);
    QCOMPARE(a.run(), QString());
    a.store.insertContact(makeContact(Contact::makeId(), QStringLiteral("Added Later")).get());
    const QStringList before = a.texts();

    DavServer other(fault == QLatin1String("tls") ? DavServer::Untrusted : DavServer::Failing);
    DavClient client;
    client.setCredentials(DavServer::User, DavServer::Password);
    QUrl card = book;
    card.setPath(book.path() + QStringLiteral("broken.vcf"));
    if (fault == QLatin1String("password")) {
        a.sync.setAccount(book, DavServer::User, QStringLiteral("wrong"));
    } else if (fault == QLatin1String("kill")) {
        // Killed while the second sync uploads.
        fill(a.store, 100);
        auto killer = std::make_shared<QMetaObject::Connection>();
        *killer = QObject::connect(&a.sync, &CardDavSync::progressChanged, [&, killer] {
            if (a.sync.done() >= 50) {
                QObject::disconnect(*killer);
                dav.kill();
            }
        });
    } else if (fault == QLatin1String("500") || fault == QLatin1String("tls")) {
        QVERIFY(other.start());
        a.sync.setAccount(other.url().resolved(QUrl(book.path())), DavServer::User,
                          DavServer::Password);
    } else {
        bool sent = false;
        const auto done = [&sent](const DavResponse &response) {
            sent = true;
            QVERIFY2(response.isSuccess(), response.body.constData());
        };
        if (fault == QLatin1String("delete")) {
            client.remove(book, QByteArray(), done);
        } else {
            client.put(card,
                       "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:broken\r\nN:;;;;\r\nFN:\r\nEND:VCARD\r\n",
                       QByteArray(), done);
        }
        QTRY_VERIFY(sent);
    }
    const QString error = a.run();
    QVERIFY2(error.startsWith(message), qPrintable(error));
    if (fault != QLatin1String("kill")) {
        QCOMPARE(a.texts(), before);
    }
    const QStringList expected = a.texts();

    // Mending.
    a.sync.setAccount(book, DavServer::User, DavServer::Password);
    if (fault == QLatin1String("kill")) {
        QVERIFY(dav.start());
    } else if (fault == QLatin1String("delete")) {
        QCOMPARE(dav.addressBook(true), book);
    } else if (fault == QLatin1String("card")) {
        bool sent = false;
        client.send("PUT", card,
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:broken\r\nN:Mended;Card;;;\r\n"
                    "FN:Card Mended\r\nEND:VCARD\r\n",
                    {}, [&sent](const DavResponse &) { sent = true; });
        QTRY_VERIFY(sent);
    }
    QCOMPARE(a.run(), QString());
    QStringList after = a.texts();
    if (fault == QLatin1String("card")) {
        QCOMPARE(after.filter(QStringLiteral("Mended")).size(), 1);
        after = after.filter(QRegularExpression(QStringLiteral("^((?!Mended).)*$")));
    }
    QCOMPARE(after, expected);
    QCOMPARE(dav.cardCount(), a.texts().size());
}

// A program killed in the middle of its first sync of 5,000 contacts; the
// next start's sync ends with exactly 5,000 on both sides.
void tst_CardDavSync::killedFirstSyncCompletes()
{
    DavServer dav(DavServer::Radicale);
    QVERIFY(dav.start());
    const QString file = QDir::homePath() + QStringLiteral("/crash.sqlite");
    {
        SqliteDatabase store;
        QVERIFY(store.open(file));
        fill(store, 5000);
    }
    QProcess child;
    child.start(QStringLiteral(SYNC_CHILD),
                {file, dav.addressBook().toString(), DavServer::User, DavServer::Password});
    QVERIFY(child.waitForStarted());
    QByteArray output;
    QVERIFY(QTest::qWaitFor(
            [&] {
                child.waitForReadyRead(100);
                output += child.readAll();
                return output.trimmed().split('\n').last().toInt() >= 2500;
            },
            600000));
    child.kill();
    QVERIFY(child.waitForFinished());
    QVERIFY(dav.cardCount() > 0);

    Instance again(QStringLiteral("crash"), dav.addressBook());
    QCOMPARE(again.run(), QString());
    QCOMPARE(again.texts().size(), 5000);
    QCOMPARE(dav.cardCount(), 5000);
}

KIV_TEST_GUILESS_MAIN(tst_CardDavSync)
#include "tst_carddavsync.moc"

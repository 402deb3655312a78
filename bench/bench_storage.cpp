// Contact stores at scale: SQLite insert strategies for imports, and the
// settings-file store at 1,000 and 10,000 contacts.

#include "record/contact.h"
#include "storage/defaultdatabase.h"
#include "storage/listencoding.h"
#include "storage/sqlitedatabase.h"

#include "benchutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

const int Runs = 5;

// A contact of the size a real address book has: three phones, two
// e-mails, an address, a link, a comment; every other one Cyrillic.
std::unique_ptr<Contact> makeContact(int i)
{
    auto contact = std::make_unique<Contact>(nullptr);
    contact->id = QString::number(1700000000000LL + i);
    if (i % 2) {
        contact->name = QStringLiteral("Анна");
        contact->surname = QStringLiteral("Иванова-%1").arg(i);
        contact->middlename = QStringLiteral("Петровна");
    } else {
        contact->name = QStringLiteral("Anna");
        contact->surname = QStringLiteral("Smith-%1").arg(i);
    }
    contact->isFavorite = i % 7 == 0;
    contact->organization = QStringLiteral("ACME Corporation, Sales");
    contact->dateOfBirth = QStringLiteral("01.02.1980");
    contact->comment =
            QStringLiteral("Met at the conference; call back, about the offer.\nSecond line.");
    contact->phoneList = QStringList{QStringLiteral("+1 555 %1").arg(i, 6, 10, QLatin1Char('0')),
                                     QStringLiteral("+1 555 0100"), QStringLiteral("123")};
    contact->phoneGroupList =
            QStringList{QStringLiteral("Mobile"), QStringLiteral("Home"), QStringLiteral("Work")};
    contact->emailList = QStringList{QStringLiteral("anna%1@example.org").arg(i),
                                     QStringLiteral("a.smith@example.com")};
    contact->emailGroupList = QStringList{QStringLiteral("Home"), QStringLiteral("Work")};
    contact->addressList = QStringList{QStringLiteral("1 Main St, Springfield, 12345")};
    contact->addressGroupList = QStringList{QStringLiteral("Home")};
    contact->linkList = QStringList{QStringLiteral("https://example.org/anna")};
    return contact;
}

std::vector<std::unique_ptr<Contact>> makeContacts(int count)
{
    std::vector<std::unique_ptr<Contact>> contacts;
    contacts.reserve(count);
    for (int i = 0; i < count; ++i) {
        contacts.push_back(makeContact(i));
    }
    return contacts;
}

// Inserts as the import loop does: the event loop runs when `everyMs` of
// work have passed (0: after every contact), and once at the end.
void importLoop(DataBase *store, const std::vector<std::unique_ptr<Contact>> &contacts, int everyMs)
{
    QElapsedTimer timer;
    timer.start();
    for (const auto &contact : contacts) {
        store->insertContact(contact.get());
        if (everyMs == 0 || timer.elapsed() >= everyMs) {
            QCoreApplication::processEvents();
            timer.restart();
        }
    }
    QCoreApplication::processEvents();
}

QString databaseFile()
{
    return QDir::homePath() + QStringLiteral("/.config/bench.sqlite");
}

void removeDatabaseFiles()
{
    for (const QString &suffix :
         {QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        QFile::remove(databaseFile() + suffix);
    }
}

// The same insert statement on a plain connection, one autocommitted
// statement per contact, in the given journal mode: the strategies the
// store's batching is compared with.
void rawInsert(const std::vector<std::unique_ptr<Contact>> &contacts, bool wal)
{
    const QString name = QStringLiteral("bench_raw");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(databaseFile());
        db.open();
        QSqlQuery query(db);
        if (wal) {
            query.exec(QStringLiteral("pragma journal_mode=WAL"));
            query.exec(QStringLiteral("pragma synchronous=NORMAL"));
        }
        query.exec(QStringLiteral(
                "create table if not exists contact (id bigint primary key, name text, "
                "surname text, middlename text, isFavorite integer, organization text, "
                "dateOfBirth text, comment text, phoneList text, phoneGroupList text, "
                "emailList text, emailGroupList text, addressList text, addressGroupList text, "
                "linkList text, photoData text)"));
        query.prepare(QStringLiteral(
                "insert into contact (id, name, surname, middlename, isFavorite, organization, "
                "dateOfBirth, comment, phoneList, phoneGroupList, emailList, emailGroupList, "
                "addressList, addressGroupList, linkList) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                "?, ?, ?, ?, ?)"));
        for (const auto &c : contacts) {
            const QVariantList values{c->id.toLongLong(),
                                      c->name,
                                      c->surname,
                                      c->middlename,
                                      c->isFavorite,
                                      c->organization,
                                      c->dateOfBirth,
                                      c->comment,
                                      ListEncoding::encode(c->phoneList),
                                      ListEncoding::encode(c->phoneGroupList),
                                      ListEncoding::encode(c->emailList),
                                      ListEncoding::encode(c->emailGroupList),
                                      ListEncoding::encode(c->addressList),
                                      ListEncoding::encode(c->addressGroupList),
                                      ListEncoding::encode(c->linkList)};
            for (int i = 0; i < values.size(); ++i) {
                query.bindValue(i, values.at(i));
            }
            query.exec();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void benchSqlite()
{
    Bench::printHeader(QStringLiteral("SQLite store"));

    // One synced commit per contact is slow enough that a few hundred show
    // the cost per contact.
    for (int count : {200}) {
        const auto contacts = makeContacts(count);
        Bench::printRow(QStringLiteral("insert: plain autocommit, rollback journal"), count,
                        Bench::measure(
                                Runs, [&] { rawInsert(contacts, false); }, removeDatabaseFiles));
    }
    for (int count : {1000, 10000}) {
        const auto contacts = makeContacts(count);
        Bench::printRow(QStringLiteral("insert: plain autocommit, WAL + synchronous=NORMAL"), count,
                        Bench::measure(
                                Runs, [&] { rawInsert(contacts, true); }, removeDatabaseFiles));
    }
    {
        const auto contacts = makeContacts(200);
        std::unique_ptr<SqliteDatabase> store;
        auto setup = [&] {
            store.reset();
            removeDatabaseFiles();
            store = std::make_unique<SqliteDatabase>();
            store->open(databaseFile());
        };
        Bench::printRow(QStringLiteral("insert: store, event loop after every contact"), 200,
                        Bench::measure(
                                Runs, [&] { importLoop(store.get(), contacts, 0); }, setup));
    }
    for (int count : {10000, 100000}) {
        const auto contacts = makeContacts(count);
        std::unique_ptr<SqliteDatabase> store;
        auto setup = [&] {
            store.reset();
            removeDatabaseFiles();
            store = std::make_unique<SqliteDatabase>();
            store->open(databaseFile());
        };
        if (count == 10000) {
            Bench::printRow(
                    QStringLiteral("insert: store, one transaction (no event loop)"), count,
                    Bench::measure(
                            Runs, [&] { importLoop(store.get(), contacts, 1 << 30); }, setup));
        }
        Bench::printRow(QStringLiteral("insert: store, event loop every 30 ms"), count,
                        Bench::measure(
                                Runs, [&] { importLoop(store.get(), contacts, 30); }, setup),
                        count == 10000 ? QStringLiteral("<= 1000") : QStringLiteral("<= 10000"));
        Bench::printRow(QStringLiteral("loadContacts"), count,
                        Bench::measure(Runs, [&] { qDeleteAll(store->loadContacts()); }));
        QStringList ids;
        for (int i = 0; i < 1000; ++i) {
            ids << contacts.at(size_t(i) * (count / 1000))->id;
        }
        Bench::printRow(QStringLiteral("removeContacts of 1,000 ids"), count,
                        Bench::measure(
                                Runs,
                                [&] {
                                    store->removeContacts(ids);
                                    QCoreApplication::processEvents();
                                },
                                [&] {
                                    for (int i = 0; i < 1000; ++i) {
                                        store->insertContact(
                                                contacts.at(size_t(i) * (count / 1000)).get());
                                    }
                                    QCoreApplication::processEvents();
                                }));
    }
    removeDatabaseFiles();
}

void clearSettings()
{
    QSettings settings;
    settings.clear();
    settings.sync();
}

void benchSettings(const QString &imagePath)
{
    Bench::printHeader(QStringLiteral("Settings-file store"));

    for (int count : {1000, 10000}) {
        const auto contacts = makeContacts(count);
        auto fill = [&] {
            clearSettings();
            DefaultDatabase store;
            importLoop(&store, contacts, 30);
        };
        Bench::printRow(QStringLiteral("insert: event loop every 30 ms"), count,
                        Bench::measure(Runs, fill, clearSettings));
        std::printf("%-48s %9d %12.1f\n", "settings file size, KiB", count,
                    QFile(QSettings().fileName()).size() / 1024.0);

        DefaultDatabase store;
        Bench::printRow(QStringLiteral("loadContacts"), count,
                        Bench::measure(Runs, [&] { qDeleteAll(store.loadContacts()); }));
        Contact *middle = contacts.at(size_t(count / 2)).get();
        auto turn = [] {
            QCoreApplication::processEvents();
        };
        Bench::printRow(QStringLiteral("updateContact of one contact"), count,
                        Bench::measure(Runs, [&] {
                            store.updateContact(middle);
                            turn();
                        }));
        Bench::printRow(QStringLiteral("toggleFavorite of one contact"), count,
                        Bench::measure(Runs, [&] {
                            store.toggleFavorite(middle->id);
                            turn();
                        }));
        Bench::printRow(QStringLiteral("savePhoto of one contact"), count,
                        Bench::measure(Runs, [&] {
                            store.savePhoto(middle->id, imagePath);
                            turn();
                        }));
        Bench::printRow(QStringLiteral("loadPhoto of one contact"), count,
                        Bench::measure(Runs, [&] { store.loadPhoto(middle->id); }));
        Bench::printRow(QStringLiteral("removeContacts of one id"), count,
                        Bench::measure(
                                Runs,
                                [&] {
                                    store.removeContacts(QStringList{middle->id});
                                    turn();
                                },
                                [&] {
                                    store.insertContact(middle);
                                    turn();
                                }));
        QStringList ids;
        for (const auto &contact : contacts) {
            ids << contact->id;
        }
        Bench::printRow(QStringLiteral("removeContacts of all ids"), count,
                        Bench::measure(
                                Runs,
                                [&] {
                                    store.removeContacts(ids);
                                    turn();
                                },
                                fill));
    }
    clearSettings();
}

} // namespace

int main(int argc, char *argv[])
{
    Bench::useTemporaryHome();
    QCoreApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("kiv"));
    app.setApplicationName(QStringLiteral("Contacts"));

    QImage photo(64, 64, QImage::Format_RGB32);
    photo.fill(Qt::darkCyan);
    const QString imagePath = QDir::homePath() + QStringLiteral("/photo.png");
    photo.save(imagePath, "PNG");

    const QStringList args = app.arguments();
    if (!args.contains(QStringLiteral("--settings-only"))) {
        benchSqlite();
    }
    if (!args.contains(QStringLiteral("--sqlite-only"))) {
        benchSettings(imagePath);
    }
    std::printf("\npeak memory: %.1f MiB\n", Bench::peakMemoryMiB());
    return 0;
}

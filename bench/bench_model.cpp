// Start-up, search and favourites of the contact list with 10,000 and
// 100,000 generated contacts (half Cyrillic, half Latin) in an SQLite store.
//
// Each size runs in a child process of its own, so that the peak memory it
// reports is that of one loaded list; the store is built once per size in a
// separate child and kept beside the generated data.

#include "benchutil.h"

#include "model/contactsmodel.h"
#include "model/contactsproxymodel.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>

#include <cstdio>
#include <ctime>
#include <memory>

namespace {

QString storePath(int count)
{
    return QDir::tempPath() + QStringLiteral("/kiv-bench-data/model-store-%1-v2.sqlite").arg(count);
}

QStringList texts(const QJsonArray &array, const QString &key)
{
    QStringList list;
    for (const QJsonValue &value : array) {
        list << value.toObject().value(key).toString();
    }
    return list;
}

// One generated record (gen_contacts.py --format jsonl) as a contact.
void fillContact(Contact &contact, const QJsonObject &json)
{
    contact.surname = json.value(QStringLiteral("family")).toString();
    contact.name = json.value(QStringLiteral("given")).toString();
    contact.middlename = json.value(QStringLiteral("middle")).toString();
    contact.organization = json.value(QStringLiteral("org")).toString();
    contact.comment = json.value(QStringLiteral("note")).toString();
    contact.isFavorite = json.value(QStringLiteral("starred")).toBool();
    const QJsonArray birthday = json.value(QStringLiteral("birthday")).toArray();
    if (birthday.size() == 3) {
        contact.dateOfBirth = QStringLiteral("%1-%2-%3")
                                      .arg(birthday.at(0).toInt(), 4, 10, QLatin1Char('0'))
                                      .arg(birthday.at(1).toInt(), 2, 10, QLatin1Char('0'))
                                      .arg(birthday.at(2).toInt(), 2, 10, QLatin1Char('0'));
    }
    const QJsonArray phones = json.value(QStringLiteral("phones")).toArray();
    contact.phoneList = texts(phones, QStringLiteral("number"));
    for (const QJsonValue &phone : phones) {
        contact.phoneGroupList
                << phone.toObject().value(QStringLiteral("types")).toArray().at(0).toString();
    }
    const QJsonArray emails = json.value(QStringLiteral("emails")).toArray();
    contact.emailList = texts(emails, QStringLiteral("address"));
    contact.emailGroupList = texts(emails, QStringLiteral("type"));
    const QJsonArray addresses = json.value(QStringLiteral("addresses")).toArray();
    for (const QJsonValue &value : addresses) {
        const QJsonObject address = value.toObject();
        contact.addressList << QStringList{address.value(QStringLiteral("street")).toString(),
                                           address.value(QStringLiteral("city")).toString(),
                                           address.value(QStringLiteral("postal")).toString(),
                                           address.value(QStringLiteral("country")).toString()}
                                       .join(QStringLiteral(", "));
        contact.addressGroupList << address.value(QStringLiteral("type")).toString();
    }
    const QString url = json.value(QStringLiteral("url")).toString();
    if (!url.isEmpty()) {
        contact.linkList << url;
    }
}

int buildStore(int count)
{
    const QString path = storePath(count);
    if (QFileInfo::exists(path)) {
        return 0;
    }
    QFile source(Bench::generatedFile(QStringLiteral("jsonl"), count));
    if (!source.open(QIODevice::ReadOnly)) {
        return 2;
    }
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    {
        SqliteDatabase store;
        if (!store.open(partial)) {
            return 2;
        }
        // One transaction: the store's own autocommitted inserts would take
        // minutes here, and how fast the store fills is not measured.
        QSqlDatabase db = QSqlDatabase::database(store.connectionName());
        db.transaction();
        qint64 id = 1600000000000;
        while (!source.atEnd()) {
            const QByteArray line = source.readLine();
            if (line.trimmed().isEmpty()) {
                continue;
            }
            Contact contact;
            fillContact(contact, QJsonDocument::fromJson(line).object());
            // 50 groups: each contact in one, every fifth in a second one.
            const qint64 n = id - 1600000000000;
            contact.groups << QStringLiteral("Group %1").arg(n % 50);
            if (n % 5 == 0) {
                contact.groups << QStringLiteral("Group %1").arg((n / 5 + 17) % 50);
            }
            contact.id = QString::number(id++);
            store.insertContact(&contact);
        }
        db.commit();
    }
    return QFile::rename(partial, path) ? 0 : 2;
}

// The CPU time of every thread of the process: a large table is read by two.
double processCpuMs()
{
    timespec time{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return time.tv_sec * 1e3 + time.tv_nsec / 1e6;
}

// Bench::measure's wall-clock figures, and beside them the CPU time of the
// process for the same runs: on a shared machine the wall clock also counts
// the time other processes held the cores.
void measureRow(const QString &operation, int count, int runs, const std::function<void()> &fn,
                const std::function<void()> &setup, const QString &target)
{
    QVector<double> cpu;
    const Bench::Stats wall = Bench::measure(
            runs,
            [&] {
                const double start = processCpuMs();
                fn();
                cpu.append(processCpuMs() - start);
            },
            setup);
    Bench::printRow(operation, count, wall, target);
    Bench::printRow(QStringLiteral("  (process CPU time)"), count, Bench::statsOf(cpu), QString());
}

struct View
{
    std::unique_ptr<ContactsModel> model;
    std::unique_ptr<ContactsProxyModel> proxy;

    void reset()
    {
        proxy.reset();
        model.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

int measureSize(int count, int runs)
{
    SqliteDatabase store;
    if (!store.open(storePath(count))) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(storePath(count)));
        return 2;
    }
    const bool small = count <= 10000;
    View view;
    // What a list view does after a change: ask for the rows again. The
    // base class builds its row map lazily, so without this the work of a
    // re-mapping would escape the measurement.
    auto shown = [&] {
        const int rows = view.proxy->rowCount();
        if (rows > 0) {
            view.proxy->index(rows - 1, 0).data(ContactsModel::FullNameRole);
        }
    };
    auto loaded = [&] {
        view.reset();
        view.model.reset(new ContactsModel);
        view.model->setDataBase(&store);
        view.model->loadModel();
        view.proxy.reset(new ContactsProxyModel);
    };
    // The shown list, once the event loop has turned: the view folds the
    // search texts then.
    auto sorted = [&] {
        loaded();
        view.proxy->setSourceModel(view.model.get());
        view.proxy->sort();
        shown();
        QCoreApplication::processEvents();
    };

    measureRow(
            QStringLiteral("loadModel"), count, runs,
            [&] {
                view.model->setDataBase(&store);
                view.model->loadModel();
            },
            [&] {
                view.reset();
                view.model.reset(new ContactsModel);
            },
            QString());
    measureRow(
            QStringLiteral("first sort() after setSourceModel"), count, runs,
            [&] {
                view.proxy->setSourceModel(view.model.get());
                view.proxy->sort();
                shown();
            },
            loaded, QString());
    measureRow(
            QStringLiteral("start-up: loadModel + setSourceModel + sort"), count, runs,
            [&] {
                view.model->setDataBase(&store);
                view.model->loadModel();
                view.proxy->setSourceModel(view.model.get());
                view.proxy->sort();
                shown();
            },
            [&] {
                view.reset();
                view.model.reset(new ContactsModel);
                view.proxy.reset(new ContactsProxyModel);
            },
            small ? QStringLiteral("<= 150") : QStringLiteral("<= 1500"));

    const QString keystrokeTarget = small ? QStringLiteral("<= 5") : QStringLiteral("<= 8");
    sorted();
    // One change of the sorted view, measured from the state that `from`
    // leaves; both are followed by a list view's look at the rows.
    auto step = [&](const QString &operation, const std::function<void()> &change,
                    const std::function<void()> &from, const QString &target) {
        measureRow(
                operation, count, runs,
                [&] {
                    change();
                    shown();
                },
                [&] {
                    from();
                    shown();
                },
                target);
    };
    // The view finds the selected contact again and rebuilds the letter
    // index once the rows have changed, on the next turn of the event loop;
    // each change below includes that work.
    auto settle = [&view] {
        QCoreApplication::sendPostedEvents(view.proxy.get(), QEvent::MetaCall);
    };
    auto search = [&view, settle](const QString &text) {
        return [&view, settle, text] {
            view.proxy->setFilterFixedString(text);
            settle();
        };
    };
    auto favourites = [&view, settle](bool show) {
        return [&view, settle, show] {
            view.proxy->showFavouriteGroup(show);
            settle();
        };
    };
    auto group = [&view, settle](const QString &name) {
        return [&view, settle, name] {
            view.proxy->showGroup(name);
            settle();
        };
    };
    auto sortBy = [&view, settle](ContactsModel::ContactRoles role) {
        return [&view, settle, role] {
            view.proxy->setSortRole(role);
            settle();
        };
    };
    step(QStringLiteral("search keystroke \"\" -> \"a\""), search(QStringLiteral("a")),
         search(QString()), keystrokeTarget);
    step(QStringLiteral("search keystroke \"a\" -> \"an\""), search(QStringLiteral("an")),
         search(QStringLiteral("a")), keystrokeTarget);
    step(QStringLiteral("search keystroke \"an\" -> \"ann\""), search(QStringLiteral("ann")),
         search(QStringLiteral("an")), keystrokeTarget);
    step(QStringLiteral("search keystroke \"\" -> Cyrillic o"), search(QStringLiteral("о")),
         search(QString()), keystrokeTarget);
    step(QStringLiteral("search backspace \"an\" -> \"a\""), search(QStringLiteral("a")),
         search(QStringLiteral("an")), keystrokeTarget);
    step(QStringLiteral("clearing the search \"an\" -> \"\""), search(QString()),
         search(QStringLiteral("an")), keystrokeTarget);
    step(QStringLiteral("showFavouriteGroup(true)"), favourites(true), favourites(false),
         QString());
    step(QStringLiteral("showFavouriteGroup(false)"), favourites(false), favourites(true),
         QString());
    const QString switchTarget = small ? QString() : QStringLiteral("<= 16");
    step(QStringLiteral("group filter: all -> one of 50 groups"), group(QStringLiteral("Group 7")),
         group(QString()), switchTarget);
    step(QStringLiteral("group filter: one group -> another"), group(QStringLiteral("Group 8")),
         group(QStringLiteral("Group 7")), switchTarget);
    step(QStringLiteral("group filter: a group -> all"), group(QString()),
         group(QStringLiteral("Group 7")), switchTarget);
    group(QStringLiteral("Group 7"))();
    step(QStringLiteral("search keystroke in a group \"\" -> \"a\""), search(QStringLiteral("a")),
         search(QString()), keystrokeTarget);
    step(QStringLiteral("search keystroke in a group \"a\" -> \"an\""),
         search(QStringLiteral("an")), search(QStringLiteral("a")), keystrokeTarget);
    search(QString())();
    group(QString())();
    step(QStringLiteral("sort order change: surname -> first name"),
         sortBy(ContactsModel::NameRole), sortBy(ContactsModel::FullNameRole), QString());
    sortBy(ContactsModel::FullNameRole)();
    step(QStringLiteral("search keystroke \"\" -> phone digits \"0171\""),
         search(QStringLiteral("0171")), search(QString()), keystrokeTarget);
    step(QStringLiteral("search keystroke \"\" -> e-mail \"@\""), search(QStringLiteral("@")),
         search(QString()), keystrokeTarget);
    search(QString())();
    // The folded search text (names, organisation, e-mails, phone digits)
    // of all rows and the character sets each row keeps beside it.
    std::printf("%-48s %9d %12.1f %12s %12s %10s\n", "folded search text of all rows (MiB)", count,
                view.proxy->searchTextBytes() / 1048576.0, "", "", "");
    std::printf("%-48s %9d %12.1f %12s %12s %10s\n", "peak memory, list loaded and sorted (MiB)",
                count, Bench::peakMemoryMiB(), "", "", small ? "<= 60" : "<= 400");
    std::fflush(stdout);

    // Removal writes to the store: each run gets its own copy of it.
    const QString copyPath = QDir::homePath() + QStringLiteral("/remove-copy.sqlite");
    std::unique_ptr<SqliteDatabase> copy;
    measureRow(
            QStringLiteral("removing 1,000 marked rows"), count, runs,
            [&] {
                view.proxy->removeContacts();
                shown();
            },
            [&] {
                view.reset();
                copy.reset();
                QFile::remove(copyPath);
                QFile::copy(storePath(count), copyPath);
                copy.reset(new SqliteDatabase);
                copy->open(copyPath);
                view.model.reset(new ContactsModel);
                view.model->setDataBase(copy.get());
                view.model->loadModel();
                view.proxy.reset(new ContactsProxyModel);
                view.proxy->setSourceModel(view.model.get());
                view.proxy->sort();
                QStringList marked;
                for (int row = 0; row < count; row += count / 1000) {
                    marked << QString::number(row);
                }
                view.proxy->setContactsToRemove(marked);
                shown();
            },
            small ? QString() : QStringLiteral("<= 100"));
    view.reset();
    copy.reset();
    QFile::remove(copyPath);

    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    Bench::useTemporaryHome();
    QCoreApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("kiv"));
    app.setApplicationName(QStringLiteral("Contacts"));

    QStringList args = app.arguments().mid(1);
    int runs = 5;
    const int runsAt = args.indexOf(QStringLiteral("--runs"));
    if (runsAt >= 0 && runsAt + 1 < args.size()) {
        runs = qMax(1, args.at(runsAt + 1).toInt());
        args.erase(args.begin() + runsAt, args.begin() + runsAt + 2);
    }
    if (args.size() == 2 && args.at(0) == QLatin1String("--store")) {
        return buildStore(args.at(1).toInt());
    }
    if (args.size() == 2 && args.at(0) == QLatin1String("--size")) {
        return measureSize(args.at(1).toInt(), runs);
    }

    QList<int> counts{10000, 100000};
    if (!args.isEmpty()) {
        counts.clear();
        for (const QString &arg : qAsConst(args)) {
            counts << arg.toInt();
        }
    }
    Bench::printHeader(QStringLiteral("Contact list model on an SQLite store, Russian locale "
                                      "(%1 runs each)")
                               .arg(runs));
    // Russian collation (Cyrillic before Latin, case and accents weighed)
    // is what a user of the program sorts with, and costs more than the
    // plain order of the C locale.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("LC_ALL"));
    environment.remove(QStringLiteral("LC_COLLATE"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("ru_RU.UTF-8"));
    for (int count : qAsConst(counts)) {
        for (const QStringList &step :
             {QStringList{"--store", QString::number(count)},
              QStringList{"--size", QString::number(count), "--runs", QString::number(runs)}}) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            child.setProcessEnvironment(environment);
            child.start(app.applicationFilePath(), step);
            if (!child.waitForFinished(-1) || child.exitCode() != 0) {
                std::fprintf(stderr, "%s failed\n", qPrintable(step.join(QLatin1Char(' '))));
                return 1;
            }
        }
    }
    return 0;
}

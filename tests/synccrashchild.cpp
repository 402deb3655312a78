// Helper process of the sync crash test: syncs the store file with the
// address book and prints the number of steps done as they grow, until it is
// killed.
//
//   synccrashchild <store file> <address book URL> <user> <password>

#include "storage/sqlitedatabase.h"
#include "sync/carddavsync.h"

#include <QCoreApplication>
#include <QUrl>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        return 2;
    }
    SqliteDatabase store;
    if (!store.open(args.at(1))) {
        return 1;
    }
    CardDavSync sync(&store);
    sync.setAccount(QUrl(args.at(2)), args.at(3), args.at(4));
    QObject::connect(&sync, &CardDavSync::progressChanged, [&sync] {
        std::printf("%d\n", sync.done());
        std::fflush(stdout);
    });
    QObject::connect(&sync, &CardDavSync::finished, &app, &QCoreApplication::quit);
    sync.start();
    return app.exec();
}

// Helper process of the crash-safety test: imports contacts into the SQLite
// store in $HOME and reports its progress on stdout, until it is killed.
//
//   sqlitecrashchild import   inserts 20,000 contacts as an import does (the
//                             event loop runs every 30 ms; every fourth
//                             contact carries a photo) and prints the
//                             number inserted after each turn of it
//   sqlitecrashchild pending  commits 5,000 contacts, then inserts 8,000 more
//                             without letting the event loop run, prints
//                             "pending 5000" and waits

#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>

#include <cstdio>

namespace {

const int Total = 20000;

QByteArray photo()
{
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png.toBase64();
}

void insert(SqliteDatabase &store, int i, const QByteArray &photoData = QByteArray())
{
    Contact contact(nullptr);
    contact.id = QString::number(i + 1);
    contact.name = QStringLiteral("Name %1").arg(i + 1);
    contact.surname = i % 2 ? QStringLiteral("Иванова") : QStringLiteral("Smith");
    contact.organization = QStringLiteral("ACME Corporation");
    contact.comment = QStringLiteral("A comment long enough to fill the pages of the file.");
    contact.phoneList = QStringList{QStringLiteral("+1 555 %1").arg(i), QStringLiteral("123")};
    contact.phoneGroupList = QStringList{QStringLiteral("Mobile"), QStringLiteral("Work")};
    contact.emailList = QStringList{QStringLiteral("name%1@example.org").arg(i)};
    contact.emailGroupList = QStringList{QStringLiteral("Home")};
    contact.photoData = photoData;
    store.insertContact(&contact);
}

void waitForKill()
{
    char buffer[16];
    while (std::fgets(buffer, sizeof buffer, stdin)) { }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString mode = app.arguments().value(1);
    SqliteDatabase store;
    if (!store.open(QString())) {
        return 2;
    }

    if (mode == QLatin1String("import")) {
        const QByteArray photoData = photo();
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < Total; ++i) {
            insert(store, i, i % 4 ? QByteArray() : photoData);
            if (timer.elapsed() >= 30) {
                QCoreApplication::processEvents();
                std::printf("%d\n", i + 1);
                std::fflush(stdout);
                timer.restart();
            }
        }
        QCoreApplication::processEvents();
        std::printf("done\n");
        std::fflush(stdout);
    } else if (mode == QLatin1String("pending")) {
        const int committed = 5000;
        for (int i = 0; i < committed; ++i) {
            insert(store, i);
        }
        QCoreApplication::processEvents();
        for (int i = committed; i < committed + 8000; ++i) {
            insert(store, i);
        }
        std::printf("pending %d\n", committed);
        std::fflush(stdout);
    } else {
        return 2;
    }
    waitForKill();
    return 0;
}

// Photo provider at scale: how long the scenes wait for 100 contact photos
// (the rows of a screen or two) in an SQLite store of N contacts.

#include "app/contactsimageprovider.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include "benchutil.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const int Runs = 5;
const int Photos = 100;

// Fills the store with count named contacts and gives the first 100 a
// 400 x 400 photo with some detail in it, as a camera picture would have.
void fillStore(SqliteDatabase &store, int count, const QString &imageDir)
{
    for (int i = 0; i < count; ++i) {
        Contact contact;
        contact.id = QString::number(1000000 + i);
        contact.name = i % 2 ? QStringLiteral("Анна") : QStringLiteral("Anna");
        contact.surname = QStringLiteral("Smith-%1").arg(i);
        contact.phoneList = QStringList{QStringLiteral("+1 555 %1").arg(i)};
        contact.phoneGroupList = QStringList{QStringLiteral("Mobile")};
        store.insertContact(&contact);
        if (i < Photos) {
            QImage image(400, 400, QImage::Format_RGB32);
            QPainter painter(&image);
            QLinearGradient gradient(0, 0, 400, 400);
            gradient.setColorAt(0, QColor::fromHsv(i * 3 % 360, 200, 220));
            gradient.setColorAt(1, QColor::fromHsv((i * 7 + 90) % 360, 160, 90));
            painter.fillRect(image.rect(), gradient);
            painter.drawEllipse(100, 60, 200, 200);
            painter.end();
            const QString path = QStringLiteral("%1/%2.png").arg(imageDir).arg(i);
            image.save(path);
            store.savePhoto(contact.id, path);
        }
        if (i % 1000 == 999) {
            QCoreApplication::processEvents();
        }
    }
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char *argv[])
{
    const QString home = Bench::useTemporaryHome();
    QGuiApplication app(argc, argv);
    QTemporaryDir images;

    Bench::printHeader(QStringLiteral("Photo provider: 100 photo requests (SQLite store)"));
    for (const int count : {10000, 100000}) {
        SqliteDatabase store;
        if (!store.open(QStringLiteral("%1/photos-%2.sqlite").arg(home).arg(count))) {
            std::fprintf(stderr, "cannot open the benchmark database\n");
            return 1;
        }
        fillStore(store, count, images.path());
        ContactsImageProvider provider;
        provider.setDataBase(&store);
        int decoded = 0;
        const Bench::Stats stats = Bench::measure(Runs, [&] {
            decoded = 0;
            for (int i = 0; i < Photos; ++i) {
                QSize size;
                const QImage image =
                        provider.requestImage(QString::number(1000000 + i), &size, QSize(80, 80));
                decoded += image.width() == 400;
            }
        });
        if (decoded != Photos) {
            std::fprintf(stderr, "only %d of %d photos came back\n", decoded, Photos);
            return 1;
        }
        Bench::printRow(QStringLiteral("photo provider, 100 requests"), count, stats);
    }
    std::printf("peak memory: %.1f MiB\n", Bench::peakMemoryMiB());
    return 0;
}

// Imports of heavy files: vCards with camera-sized JPEG photos (the cost of
// preparing each photo, and how long the window's thread goes without an
// event-loop turn meanwhile), cards whose photos claim gigapixels, and a
// database file of 100,000 contacts.
#include "benchutil.h"

#include "importexport/contactsfileparser.h"
#include "importexport/importexport.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <cstdio>

namespace {

// A 1000 x 1000 JPEG with detail in it, as a camera picture would have.
QByteArray cameraPhoto()
{
    QImage image(1000, 1000, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 1000, 1000);
    gradient.setColorAt(0, QColor(200, 120, 40));
    gradient.setColorAt(1, QColor(30, 60, 160));
    painter.fillRect(image.rect(), gradient);
    for (int i = 0; i < 200; ++i) {
        painter.drawEllipse((i * 37) % 1000, (i * 91) % 1000, 20 + i % 50, 20 + i % 70);
    }
    painter.end();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return jpeg;
}

// A GIF whose only image claims 9999 x 9999 pixels.
QByteArray gifBomb()
{
    return QByteArray("GIF89a\x0f\x27\x0f\x27\x80\x00\x00\x00\x00\x00\xff\xff\xff,"
                      "\x00\x00\x00\x00\x0f\x27\x0f\x27\x00\x02\x02\x44\x01\x00;",
                      35);
}

QString writeCards(const QString &name, const QByteArray &photo, int count)
{
    const QString path = QDir::homePath() + QLatin1Char('/') + name;
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    const QByteArray base64 = photo.toBase64();
    for (int i = 0; i < count; ++i) {
        file.write("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna " + QByteArray::number(i) + "\r\nN:Smith-"
                   + QByteArray::number(i) + ";Anna;;;\r\nPHOTO;ENCODING=b;" + "TYPE=JPEG:" + base64
                   + "\r\nEND:VCARD\r\n");
    }
    return path;
}

// Parses and imports the file into a new database store; prints the time per
// contact and the longest stretch without an event-loop turn.
void benchPhotoImport(const QString &label, const QString &path, int count, const QString &target)
{
    int run = 0;
    qint64 longestGap = 0;
    const Bench::Stats stats = Bench::measure(1, [&] {
        SqliteDatabase store;
        store.open(QDir::homePath() + QStringLiteral("/.config/photos-%1.sqlite").arg(run++));
        ImportExport backend;
        QObject::connect(&backend, &ImportExport::importContact, &store,
                         &SqliteDatabase::insertContact);
        QElapsedTimer sinceTurn;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout,
                         [&] { longestGap = qMax(longestGap, sinceTurn.restart()); });
        ticker.start(1);
        backend.parseContactsFromFile(QStringLiteral("UTF-8"), path);
        sinceTurn.start();
        backend.importParsedContacts();
        QCoreApplication::processEvents();
    });
    Bench::printRow(label, count, stats, target);
    std::printf("  %.1f ms per contact, longest stretch without an event-loop turn %lld ms, "
                "peak memory %.0f MiB\n",
                stats.median / count, longestGap, Bench::peakMemoryMiB());
}

void benchDatabaseImport(int count, const QString &target)
{
    const QString path = QDir::homePath() + QStringLiteral("/import-%1.sqlite").arg(count);
    {
        SqliteDatabase store;
        store.open(path);
        for (int i = 0; i < count; ++i) {
            Contact contact;
            contact.id = QString::number(1000000 + i);
            contact.name = QStringLiteral("Anna");
            contact.surname = QStringLiteral("Smith-%1").arg(i);
            contact.phoneList = QStringList{QStringLiteral("+1 555 %1").arg(i)};
            contact.phoneGroupList = QStringList{QStringLiteral("Mobile")};
            contact.emailList = QStringList{QStringLiteral("anna%1@example.com").arg(i)};
            contact.emailGroupList = QStringList{QStringLiteral("Home")};
            store.insertContact(&contact);
            if (i % 1000 == 999) {
                QCoreApplication::processEvents();
            }
        }
        QCoreApplication::processEvents();
    }
    int parsed = 0;
    const Bench::Stats stats = Bench::measureParse(
            3, [&] { return ContactsFileParser::parseFile(path, QString()).contacts; }, &parsed);
    Bench::printRow(QStringLiteral("database import (parse)"), count, stats, target);
    std::printf("  %d contacts read, peak memory %.0f MiB\n", parsed, Bench::peakMemoryMiB());
}

} // namespace

int main(int argc, char *argv[])
{
    Bench::useTemporaryHome();
    QGuiApplication app(argc, argv);

    Bench::printHeader(QStringLiteral("Heavy imports"));
    benchPhotoImport(QStringLiteral("vCards with 1-megapixel JPEG photos"),
                     writeCards(QStringLiteral("photos.vcf"), cameraPhoto(), 1000), 1000,
                     QString());
    benchPhotoImport(QStringLiteral("vCards with 9999x9999 GIF photos"),
                     writeCards(QStringLiteral("bombs.vcf"), gifBomb(), 100), 100,
                     QStringLiteral("well under 1 s each"));
    benchDatabaseImport(100000, QString());
    return 0;
}

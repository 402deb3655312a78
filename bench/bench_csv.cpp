// CSV import figures: parsing generated Google and Outlook CSV files, beside
// a plain scan of the same file, and importing parsed contacts through the
// import backend into the list model on an SQLite store.
#include "benchutil.h"

#include "importexport/contactsfileparser.h"
#include "importexport/importexport.h"
#include "model/contactsmodel.h"
#include "model/contactsproxymodel.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

// The lower limit of any parser: read the file and count its line feeds.
Bench::Stats plainScan(const QString &path)
{
    return Bench::measure(5, [&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return;
        }
        const QByteArray bytes = file.readAll();
        volatile int lines = bytes.count('\n');
        (void)lines;
    });
}

// The parser tells file types by their names: the generated file gets one.
QString csvFile(const QString &format, int count)
{
    const QString path = QDir::homePath() + QStringLiteral("/%1-%2.csv").arg(format).arg(count);
    QFile::link(Bench::generatedFile(format, count), path);
    return path;
}

void benchParse(const QString &label, const QString &format, int count, const QString &target)
{
    const QString path = csvFile(format, count);
    const double megabytes = QFileInfo(path).size() / (1024.0 * 1024.0);
    int contacts = 0;
    const Bench::Stats stats = Bench::measureParse(
            5,
            [&] { return ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")).contacts; },
            &contacts);
    Bench::printRow(label, count, stats, target);
    const Bench::Stats scan = plainScan(path);
    Bench::printRow(
            QStringLiteral("  plain scan (read + count LF), %1 MB").arg(megabytes, 0, 'f', 1),
            count, scan);
    std::printf("  %d contacts, %.0f contacts/s, %.1fx plain scan, peak memory %.0f MiB\n",
                contacts, contacts / (stats.median / 1000.0), stats.median / scan.median,
                Bench::peakMemoryMiB());
    std::fflush(stdout);
}

// Parsed contacts imported through the backend into the list model, wired
// as the main scene wires it: importContact adds to the model, the end of the
// import sorts the view.
void benchImport(int count, const QString &target)
{
    const QString path = csvFile(QStringLiteral("google-csv"), count);
    int run = 0;
    std::unique_ptr<SqliteDatabase> store;
    std::unique_ptr<ContactsModel> model;
    std::unique_ptr<ContactsProxyModel> proxy;
    std::unique_ptr<ImportExport> backend;
    const Bench::Stats stats = Bench::measure(
            5,
            [&] {
                backend->importParsedContacts();
                // Whatever the store left for the event loop (a pending
                // commit) and the released records belong to the import.
                QCoreApplication::processEvents();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            },
            [&] {
                backend.reset();
                proxy.reset();
                model.reset();
                store.reset();
                const QString file = QDir::homePath()
                                     + QStringLiteral("/.config/bench-import-%1.sqlite").arg(run++);
                QFile::remove(file);
                store = std::make_unique<SqliteDatabase>();
                store->open(file);
                model = std::make_unique<ContactsModel>();
                model->setDataBase(store.get());
                model->loadModel();
                proxy = std::make_unique<ContactsProxyModel>();
                proxy->setSourceModel(model.get());
                proxy->sort();
                backend = std::make_unique<ImportExport>();
                Bench::wireImport(backend.get(), model.get(), proxy.get());
                backend->parseContactsFromFile(QStringLiteral("UTF-8"), path);
            });
    const int imported = model ? model->rowCount() : 0;
    backend.reset();
    proxy.reset();
    model.reset();
    store.reset();
    Bench::printRow(QStringLiteral("import parsed Google CSV into SQLite model"), count, stats,
                    target);
    std::printf("  %d rows in the model, %.0f contacts/s, peak memory %.0f MiB\n", imported,
                imported / (stats.median / 1000.0), Bench::peakMemoryMiB());
    std::fflush(stdout);
}

// Parsing text that is built in memory, three runs; the records are
// released outside the clock.
void benchText(const QString &label, int count, const QString &text, const QString &target)
{
    int contacts = 0;
    const Bench::Stats stats = Bench::measureParse(
            3, [&] { return ContactsFileParser::parseCsv(text).contacts; }, &contacts);
    Bench::printRow(label, count, stats, target);
    std::printf("  %.1f MB, %d contacts, peak memory %.0f MiB\n", text.size() / (1024.0 * 1024.0),
                contacts, Bench::peakMemoryMiB());
    std::fflush(stdout);
}

// A spreadsheet with thousands of extra columns: the header names the
// usual Google columns, then repeated, numbered and unknown ones.
void benchWideHeader(int rows, int columns)
{
    QStringList header{QStringLiteral("Given Name"), QStringLiteral("Family Name"),
                       QStringLiteral("E-mail 1 - Value"), QStringLiteral("Phone 1 - Type"),
                       QStringLiteral("Phone 1 - Value")};
    for (int i = header.size(); i < columns; ++i) {
        switch (i % 4) {
        case 0:
            header.append(QStringLiteral("Home Address"));
            break;
        case 1:
            header.append(QStringLiteral("Custom %1").arg(i));
            break;
        case 2:
            header.append(QStringLiteral("Phone %1 - Value").arg(i));
            break;
        default:
            header.append(QString());
        }
    }
    QString text = header.join(QLatin1Char(',')) + QLatin1Char('\n');
    for (int row = 0; row < rows; ++row) {
        text += QStringLiteral("Anna%1,Smith,anna%1@example.org,Mobile,+49 30 %1\n").arg(row);
    }
    benchText(QStringLiteral("parse CSV, %1-column header").arg(columns), rows, text,
              QStringLiteral("<= 1.5 s"));
}

// One data row under a header of about ten megabytes of one shape.
void benchLongHeader(const QString &label, const QString &column, const QString &value)
{
    const int bytes = 10 * 1024 * 1024;
    const int columns = bytes / (column.size() + 1);
    QString header;
    QString row;
    header.reserve(bytes + 16);
    row.reserve(columns * (value.size() + 1) + 16);
    for (int i = 0; i < columns; ++i) {
        header += column;
        header += QLatin1Char(',');
        row += value;
        row += QLatin1Char(',');
    }
    benchText(QStringLiteral("parse CSV, 10 MB header: %1").arg(label), 1,
              header + QStringLiteral("Given Name\n") + row + QStringLiteral("Anna\n"),
              QStringLiteral("<= 1 s"));
}

} // namespace

int main(int argc, char *argv[])
{
    Bench::useTemporaryHome();
    QGuiApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("kiv"));
    app.setApplicationName(QStringLiteral("Contacts"));

    Bench::printHeader(QStringLiteral("CSV import"));
    benchParse(QStringLiteral("parse Google CSV, incl. records"), QStringLiteral("google-csv"),
               10000, QStringLiteral("<= 80 ms"));
    benchParse(QStringLiteral("parse Outlook CSV, incl. records"), QStringLiteral("outlook-csv"),
               10000, QString());
    benchImport(10000, QStringLiteral("<= 1 s"));
    benchParse(QStringLiteral("parse Google CSV, incl. records"), QStringLiteral("google-csv"),
               100000, QStringLiteral("<= 0.8 s"));
    benchParse(QStringLiteral("parse Outlook CSV, incl. records"), QStringLiteral("outlook-csv"),
               100000, QString());
    benchWideHeader(100000, 10000);
    benchLongHeader(QStringLiteral("commas"), QString(), QString());
    benchLongHeader(QStringLiteral("\"Home Address\" repeated"), QStringLiteral("Home Address"),
                    QStringLiteral("x"));
    benchLongHeader(QStringLiteral("\"Phone 7 - Value\" repeated"),
                    QStringLiteral("Phone 7 - Value"), QStringLiteral("1"));
    return 0;
}

#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class Contact;
class ImportExport;
class ContactsModel;
class ContactsProxyModel;
class SqliteDatabase;

// Small helpers shared by the benchmark programs.
namespace Bench {

struct Stats
{
    double median = 0;
    double min = 0;
    double max = 0;
};

// Runs fn `runs` times and returns the median, min and max in milliseconds.
// setup runs before each measured run and is not timed.
Stats measure(int runs, const std::function<void()> &fn,
              const std::function<void()> &setup = nullptr);
// The median, min and max of times (at least one).
Stats statsOf(QVector<double> times);
// Times parse `runs` times; the records of the previous run are deleted
// before the clock starts. contacts, when given, gets the number of records
// of the last run.
Stats measureParse(int runs, const std::function<QList<Contact *>()> &parse,
                   int *contacts = nullptr);
// Peak resident memory of this process so far, in MiB (VmHWM).
double peakMemoryMiB();
// Points HOME and the settings paths at a fresh temporary directory that
// lives until the process ends. Call before the application object exists.
QString useTemporaryHome();
// Writes a generated address book (gen_contacts.py) to a cached file in the
// temporary directory and returns its path; format as the generator names it.
QString generatedFile(const QString &format, int count, const QStringList &extraArgs = {});
// The window's list at start: the store at path opened, the model loaded
// from it and the sorted view attached.
void openList(const QString &path, SqliteDatabase *store, ContactsModel *model,
              ContactsProxyModel *view);
// The main window's wiring of an import: the model is the import's address
// book, where each imported contact waits, and the view its list, which the
// end of the import sorts once the waiting contacts are rows.
void wireImport(ImportExport *backend, ContactsModel *model, ContactsProxyModel *view);
// One row of the results table.
void printRow(const QString &operation, int count, const Stats &stats,
              const QString &target = QString());
void printHeader(const QString &title);

} // namespace Bench

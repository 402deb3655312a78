#include "benchutil.h"

#include "importexport/importexport.h"
#include "model/contactsmodel.h"
#include "model/contactsproxymodel.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace Bench {

Stats measure(int runs, const std::function<void()> &fn, const std::function<void()> &setup)
{
    QVector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (setup) {
            setup();
        }
        QElapsedTimer timer;
        timer.start();
        fn();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    return statsOf(times);
}

Stats statsOf(QVector<double> times)
{
    std::sort(times.begin(), times.end());
    Stats stats;
    stats.min = times.first();
    stats.max = times.last();
    stats.median = times.size() % 2 ? times[times.size() / 2]
                                    : (times[times.size() / 2 - 1] + times[times.size() / 2]) / 2;
    return stats;
}

double peakMemoryMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    return 0;
}

QString useTemporaryHome()
{
    static QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/.local/share")).toUtf8());
    QDir(home.path()).mkpath(QStringLiteral(".config"));
    return home.path();
}

QString generatedFile(const QString &format, int count, const QStringList &extraArgs)
{
    const QString cacheDir = QDir::tempPath() + QStringLiteral("/kiv-bench-data");
    QDir().mkpath(cacheDir);
    const QString key = QString::fromLatin1(
            QCryptographicHash::hash(
                    (format + QString::number(count) + extraArgs.join(QLatin1Char(' '))).toUtf8(),
                    QCryptographicHash::Md5)
                    .toHex()
                    .left(12));
    const QString path = QStringLiteral("%1/%2-%3-%4").arg(cacheDir, format).arg(count).arg(key);
    if (QFileInfo::exists(path)) {
        return path;
    }
    QStringList args{
            QStringLiteral(GEN_CONTACTS),  QStringLiteral("--format"), format,
            QStringLiteral("--count"),     QString::number(count),     QStringLiteral("-o"),
            path + QStringLiteral(".part")};
    args += extraArgs;
    QProcess gen;
    gen.start(QStringLiteral("python3"), args);
    if (!gen.waitForFinished(-1) || gen.exitCode() != 0) {
        std::fprintf(stderr, "gen_contacts.py failed: %s\n",
                     gen.readAllStandardError().constData());
        std::exit(2);
    }
    QFile::rename(path + QStringLiteral(".part"), path);
    return path;
}

void printHeader(const QString &title)
{
    std::printf("\n%s\n%-48s %9s %12s %12s %12s %10s\n", qPrintable(title), "operation", "N",
                "median ms", "min ms", "max ms", "target");
    std::fflush(stdout);
}

void printRow(const QString &operation, int count, const Stats &stats, const QString &target)
{
    std::printf("%-48s %9d %12.2f %12.2f %12.2f %10s\n", qPrintable(operation), count, stats.median,
                stats.min, stats.max, qPrintable(target));
    std::fflush(stdout);
}

Stats measureParse(int runs, const std::function<QList<Contact *>()> &parse, int *contacts)
{
    QList<Contact *> parsed;
    const auto release = [&parsed] {
        qDeleteAll(std::exchange(parsed, {}));
    };
    const Stats stats = measure(
            runs,
            [&] {
                parsed = parse();
                if (contacts) {
                    *contacts = parsed.size();
                }
            },
            release);
    release();
    return stats;
}

void openList(const QString &path, SqliteDatabase *store, ContactsModel *model,
              ContactsProxyModel *view)
{
    store->open(path);
    model->setDataBase(store);
    model->loadModel();
    view->setSourceModel(model);
    view->sort();
}

void wireImport(ImportExport *backend, ContactsModel *model, ContactsProxyModel *view)
{
    backend->setBook(model);
    backend->setList(view);
}

} // namespace Bench

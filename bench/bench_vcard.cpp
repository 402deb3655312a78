#include "benchutil.h"

#include "importexport/contactsfileparser.h"
#include "record/contact.h"

#include <KContacts/VCardConverter>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <ctime>

// vCard import: generated address books in the three versions, with and
// without photos, read from memory by the import's vCard reader, beside a
// plain scan of the same bytes (read and count line feeds); then the version
// 3.0 files with photos read by KDE's KContacts too, the peer figure.
namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(2);
    }
    return file.readAll();
}

// Processor time of this process in milliseconds: on a shared machine the
// wall-clock medians also count the time other programs had the processor.
double cpuMilliseconds()
{
    return std::clock() * 1000.0 / CLOCKS_PER_SEC;
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// Starts a new peak-memory measurement (Linux 4.0 and later), so that each
// file's row shows its own peak rather than the largest so far.
void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}

// The rows of one generated file: our parse, a plain scan of its bytes, and
// the file's size, speed and peak memory. False when a contact was lost.
bool benchFile(const QString &format, int count, bool photos)
{
    QStringList extra{QStringLiteral("--seed"), QStringLiteral("1")};
    if (photos) {
        extra << QStringLiteral("--photos");
    }
    const QString path = Bench::generatedFile(format, count, extra);
    resetPeakMemory();
    const QByteArray data = readFile(path);
    const double megabytes = data.size() / 1e6;

    int lines = 0;
    const Bench::Stats scan = Bench::measure(5, [&data, &lines] { lines = data.count('\n'); });
    int parsed = 0;
    QVector<double> cpu;
    const Bench::Stats parse = Bench::measure(5, [&data, &parsed, &cpu] {
        const double start = cpuMilliseconds();
        const QList<Contact *> contacts =
                ContactsFileParser::parseVCardData(data, QStringLiteral("Windows-1251")).contacts;
        cpu.append(cpuMilliseconds() - start);
        parsed = contacts.size();
        qDeleteAll(contacts);
    });
    if (parsed != count) {
        std::fprintf(stderr, "%s: %d of %d contacts read\n", qPrintable(format), parsed, count);
        return false;
    }
    const QString name = format + (photos ? QStringLiteral(" + photos") : QString());
    QString target;
    if (format == QLatin1String("vcard30") && !photos) {
        target = count == 10000 ? QStringLiteral("150 ms") : QStringLiteral("1500 ms");
    }
    Bench::printRow(QStringLiteral("parse ") + name, count, parse, target);
    Bench::printRow(QStringLiteral("plain scan ") + name + QStringLiteral(" (")
                            + QString::number(lines) + QStringLiteral(" lines)"),
                    count, scan);
    std::printf("%-48s %9d %12.1f %12.1f %12.0f %12.1f %12.1f\n", qPrintable(name), count,
                megabytes, median(cpu), count / (parse.median / 1000.0),
                megabytes / (parse.median / 1000.0), Bench::peakMemoryMiB());
    std::fflush(stdout);
    return true;
}

// Wall and processor times of one reader's runs, in milliseconds.
struct Runs
{
    QVector<double> wall;
    QVector<double> cpu;
};

template<typename Parse>
void timeRun(Runs *runs, Parse parse)
{
    QElapsedTimer timer;
    const double start = cpuMilliseconds();
    timer.start();
    parse();
    runs->wall.append(timer.nsecsElapsed() / 1e6);
    runs->cpu.append(cpuMilliseconds() - start);
}

// The same file read by our import and by KContacts, the runs taking turns so
// that the load of the machine falls on both alike; rows for each and for
// KContacts' time over ours (medians, minimums, maximums; cpu: medians of
// processor time).
bool compareWithKContacts(const QString &format, int count)
{
    const QString path = Bench::generatedFile(
            format, count,
            {QStringLiteral("--seed"), QStringLiteral("1"), QStringLiteral("--photos")});
    const QByteArray data = readFile(path);
    const KContacts::VCardConverter converter;
    Runs ours;
    Runs peer;
    int parsed = 0;
    int peerParsed = 0;
    // The smaller file's runs are short enough for more of them, which
    // steadies its medians on a shared machine.
    const int runs = count <= 10000 ? 9 : 5;
    for (int run = 0; run < runs; ++run) {
        timeRun(&ours, [&data, &parsed] {
            const QList<Contact *> contacts =
                    ContactsFileParser::parseVCardData(data, QStringLiteral("Windows-1251"))
                            .contacts;
            parsed = contacts.size();
            qDeleteAll(contacts);
        });
        timeRun(&peer, [&data, &converter, &peerParsed] {
            peerParsed = converter.parseVCards(data).size();
        });
    }
    if (parsed != count || peerParsed != count) {
        std::fprintf(stderr, "%s: %d and %d (KContacts) of %d contacts read\n", qPrintable(format),
                     parsed, peerParsed, count);
        return false;
    }
    const QString name = format + QStringLiteral(" + photos");
    const Bench::Stats oursWall = Bench::statsOf(ours.wall);
    const Bench::Stats peerWall = Bench::statsOf(peer.wall);
    Bench::printRow(QStringLiteral("parse ") + name + QStringLiteral(" (ours)"), count, oursWall);
    Bench::printRow(QStringLiteral("parse ") + name + QStringLiteral(" (KContacts)"), count,
                    peerWall);
    const QString ratio =
            QStringLiteral("KContacts / ours, ") + name
            + QStringLiteral(", cpu %1x").arg(median(peer.cpu) / median(ours.cpu), 0, 'f', 2);
    std::printf("%-48s %9d %11.2fx %11.2fx %11.2fx %10s\n", qPrintable(ratio), count,
                peerWall.median / oursWall.median, peerWall.min / oursWall.min,
                peerWall.max / oursWall.max, "≥ 3×");
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    Bench::useTemporaryHome();
    QCoreApplication app(argc, argv);
    // KIV_BENCH_QUICK=1 leaves out the 100,000-contact files.
    const bool quick = qEnvironmentVariableIntValue("KIV_BENCH_QUICK") == 1;

    Bench::printHeader(
            QStringLiteral("vCard import (median of 5 runs; contacts/s and MB/s from the "
                           "median wall time; cpu ms: median processor time of a run; "
                           "peak MiB: resident peak while the file is read and parsed)"));
    std::printf("%-48s %9s %12s %12s %12s %12s %12s\n", "file", "N", "MB", "cpu ms", "contacts/s",
                "MB/s", "peak MiB");
    const QList<int> counts = quick ? QList<int>{10000} : QList<int>{10000, 100000};
    const QStringList formats{QStringLiteral("vcard21"), QStringLiteral("vcard30"),
                              QStringLiteral("vcard40")};
    for (const int count : counts) {
        for (const QString &format : formats) {
            for (const bool photos : {false, true}) {
                if (!benchFile(format, count, photos)) {
                    return 1;
                }
            }
        }
    }

    Bench::printHeader(QStringLiteral(
            "vCard import beside KDE KContacts (VCardConverter::parseVCards): the same file in "
            "the same run, 9 runs each at 10,000 and 5 at 100,000, taking turns; the ratio rows "
            "give KContacts' wall time over ours (of the medians, minimums, maximums) and of the "
            "processor-time medians"));
    for (const int count : counts) {
        if (!compareWithKContacts(QStringLiteral("vcard30"), count)) {
            return 1;
        }
    }
    return 0;
}

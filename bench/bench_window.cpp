// Large imports and exports through the real window, as a person does them:
// a file chosen in the settings form is read and offered in the import form,
// the form's OK imports it into the store, the list and the sorted view, and
// an export of the whole list goes through the same form. The scene, its
// handlers and its progress display are part of what is measured, which the
// benches of the import path leave out. For each step: its time and the
// longest time the window's event loop did not run.
#include "benchutil.h"

#include "scenedriver.h"
#include "testsupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

// The longest time between two runs of the event loop while it measures: a
// timer that asks to run every millisecond notes each time it gets to.
class StallMeter
{
public:
    StallMeter()
    {
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { note(); });
        m_clock.start();
    }

    void start()
    {
        m_longest = 0;
        m_last = m_clock.nsecsElapsed();
        m_timer.start();
    }

    double stop()
    {
        note();
        m_timer.stop();
        return m_longest / 1e6;
    }

private:
    void note()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

struct Step
{
    double ms = 0;
    double stallMs = 0;
};

// The steps of one run, by name.
using Run = std::map<QString, Step>;

bool waitCompleted(SceneDriver &scene)
{
    return QTest::qWaitFor(
            [&scene] {
                return scene.item(QStringLiteral("importExportForm"))
                        ->property("completed")
                        .toBool();
            },
            600000);
}

// Times action from its start until done holds.
Step timed(StallMeter &meter, const std::function<void()> &action,
           const std::function<bool()> &done)
{
    QElapsedTimer timer;
    meter.start();
    timer.start();
    action();
    if (!done()) {
        std::fprintf(stderr, "a step of the window did not end\n");
        std::exit(1);
    }
    Step step;
    step.ms = timer.nsecsElapsed() / 1e6;
    step.stallMs = meter.stop();
    return step;
}

// One import of the file into an empty address book, then an export of the
// whole list.
Run runOnce(const QString &file, int count, const QString &exportPath)
{
    QFile::remove(QDir::homePath() + QStringLiteral("/.config/kiv-phone.sqlite"));
    QFile::remove(exportPath);
    SceneDriver scene;
    if (!scene.start()) {
        std::fprintf(stderr, "the window did not start\n");
        std::exit(1);
    }
    StallMeter meter;
    Run run;
    // A file chosen in the settings form until the import/export form offers
    // it, then the form's work until it is complete; the form is closed.
    const auto throughForm = [&](const QString &choose, const QString &offerKey,
                                 const QString &workKey) {
        run[offerKey] = timed(
                meter, [&] { scene.eval(choose); },
                [&] { return scene.waitShown(QStringLiteral("importExportForm")); });
        run[workKey] = timed(
                meter, [&] { scene.click(QStringLiteral("importExportOkButton")); },
                [&] { return waitCompleted(scene); });
        scene.click(QStringLiteral("importExportOkButton"));
        scene.waitHidden(QStringLiteral("importExportForm"));
    };
    throughForm(QStringLiteral("settingsForm.onImportFileChosen('%1')").arg(file),
                QStringLiteral("open"), QStringLiteral("import"));
    const int rows = scene.eval(QStringLiteral("contactsModel.rowCount()")).toInt();
    if (rows != count) {
        std::fprintf(stderr, "%d of %d contacts in the list after the import\n", rows, count);
        std::exit(1);
    }
    throughForm(QStringLiteral("settingsForm.onExportFileChosen('%1')").arg(exportPath),
                QStringLiteral("offer"), QStringLiteral("export"));
    scene.stop();
    return run;
}

void printStep(const QVector<Run> &runs, const QString &key, const QString &label, int count,
               const QString &target)
{
    QVector<double> times;
    double longest = 0;
    for (const Run &run : runs) {
        times.append(run.at(key).ms);
        longest = std::max(longest, run.at(key).stallMs);
    }
    Bench::printRow(label, count, Bench::statsOf(times), target);
    std::printf("  longest the window did not respond: %.0f ms\n", longest);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    Bench::useTemporaryHome();
    // Without a display the scene draws in software.
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen"
        && !qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) {
        qputenv("QT_QUICK_BACKEND", "software");
    }
    QApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("kiv"));
    app.setApplicationName(QStringLiteral("Contacts"));
    // KIV_BENCH_QUICK=1 leaves out the 100,000-contact file.
    const bool quick = qEnvironmentVariableIntValue("KIV_BENCH_QUICK") == 1;
    const QList<int> counts = quick ? QList<int>{10000} : QList<int>{10000, 100000};

    Bench::printHeader(QStringLiteral("Import and export through the window"));
    for (const int count : counts) {
        const QString source = Bench::generatedFile(
                QStringLiteral("vcard30"), count, {QStringLiteral("--seed"), QStringLiteral("1")});
        const QString file = QDir::homePath() + QStringLiteral("/book-%1.vcf").arg(count);
        QFile::remove(file);
        QFile::link(source, file);
        const QString exportPath = QDir::homePath() + QStringLiteral("/export-%1.csv").arg(count);
        QVector<Run> runs;
        for (int i = 0; i < 3; ++i) {
            runs.append(runOnce(file, count, exportPath));
        }
        const bool large = count == 100000;
        printStep(runs, QStringLiteral("open"),
                  QStringLiteral("choose a vCard file: the form offers it"), count, QString());
        printStep(runs, QStringLiteral("import"),
                  QStringLiteral("import it through the form (store, list, view)"), count,
                  large ? QStringLiteral("3000 ms") : QString());
        printStep(runs, QStringLiteral("offer"),
                  QStringLiteral("export all: the form offers the list"), count, QString());
        printStep(runs, QStringLiteral("export"), QStringLiteral("export them as Google CSV"),
                  count, QString());
    }
    return 0;
}

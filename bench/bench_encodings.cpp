// The cost of telling a CSV file's encoding: parsing generated Google CSV
// files in UTF-8 and in Windows-1251 with the form's codec as given and
// with the encoding detection on, the way a newly picked file is read.
#include "benchutil.h"

#include "importexport/contactsfileparser.h"
#include "record/contact.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

void releaseAll(QVariantList &list)
{
    for (const QVariant &value : list) {
        delete value.value<Contact *>();
    }
    list.clear();
}

Bench::Stats parse(const QString &path, bool detect, int runs, QString *used)
{
    QVariantList parsed;
    const Bench::Stats stats = Bench::measure(
            runs,
            [&] { parsed = ContactsFileParser::parseFile(path, QStringLiteral("UTF-8"), detect); },
            [&] {
                releaseAll(parsed);
                plainContactList.clear();
            });
    *used = ContactsFileParser::usedCodec;
    releaseAll(parsed);
    plainContactList.clear();
    return stats;
}

void benchDetection(const QString &encoding, int count)
{
    // The parser tells file types by their names: the generated file gets one.
    const QString path =
            QDir::homePath() + QStringLiteral("/google-%1-%2.csv").arg(encoding).arg(count);
    QFile::link(Bench::generatedFile(QStringLiteral("google-csv"), count,
                                     {QStringLiteral("--encoding"), encoding}),
                path);
    const int runs = count > 10000 ? 3 : 5;
    QString plainCodec;
    QString detectedCodec;
    const Bench::Stats plain = parse(path, false, runs, &plainCodec);
    const Bench::Stats detected = parse(path, true, runs, &detectedCodec);
    Bench::printRow(QStringLiteral("parse Google CSV, %1, codec as given").arg(encoding), count,
                    plain);
    Bench::printRow(QStringLiteral("parse Google CSV, %1, detection on").arg(encoding), count,
                    detected, QStringLiteral("<= +10 %"));
    std::printf("  read as %s / %s, detection costs %+.1f %%\n", qPrintable(plainCodec),
                qPrintable(detectedCodec), (detected.median / plain.median - 1.0) * 100.0);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    Bench::useTemporaryHome();
    QCoreApplication app(argc, argv);

    Bench::printHeader(QStringLiteral("CSV encoding detection"));
    for (const int count : {10000, 100000}) {
        for (const char *encoding : {"utf-8", "cp1251"}) {
            benchDetection(QLatin1String(encoding), count);
        }
    }
    return 0;
}

// The cost of telling a CSV file's encoding: parsing generated Google CSV
// files in UTF-8 and in Windows-1251 with the form's default codec as given
// and with the encoding detection on, the way a newly picked file is read.
// Both read each file in the same encoding: the difference is the detection.
#include "benchutil.h"

#include "importexport/contactsfileparser.h"
#include "record/contact.h"
#include "vcard/textdecoding.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

Bench::Stats parse(const QString &path, bool detect, int runs, QString *used)
{
    return Bench::measureParse(runs, [&] {
        ParsedFile parsed =
                ContactsFileParser::parseFile(path, QStringLiteral("Windows-1251"), detect);
        *used = parsed.usedCodec;
        return parsed.contacts;
    });
}

void benchDetection(const QString &encoding, int count)
{
    // The parser tells file types by their names: the generated file gets one.
    const QString path =
            QDir::homePath() + QStringLiteral("/google-%1-%2.csv").arg(encoding).arg(count);
    QFile::link(Bench::generatedFile(QStringLiteral("google-csv"), count,
                                     {QStringLiteral("--encoding"), encoding}),
                path);
    const int runs = 7;
    QString plainCodec;
    QString detectedCodec;
    const Bench::Stats plain = parse(path, false, runs, &plainCodec);
    const Bench::Stats detected = parse(path, true, runs, &detectedCodec);
    Bench::printRow(QStringLiteral("parse Google CSV, %1, codec as given").arg(encoding), count,
                    plain);
    Bench::printRow(QStringLiteral("parse Google CSV, %1, detection on").arg(encoding), count,
                    detected, QStringLiteral("<= +10 %"));
    // The detection alone, on the bytes of the file: what it adds to a parse.
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const Bench::Stats alone = Bench::measure(
            runs, [&] { TextDecoding::encodingOf(bytes, QStringLiteral("Windows-1251"), true); });
    std::printf("  read as %s / %s, parse medians differ by %+.1f %%; choosing the encoding "
                "takes %.2f ms, %.1f %% of the parse\n",
                qPrintable(plainCodec), qPrintable(detectedCodec),
                (detected.median / plain.median - 1.0) * 100.0, alone.median,
                alone.median / plain.median * 100.0);
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

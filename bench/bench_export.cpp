// Export figures: writing generated contacts as Google CSV, vCard 3.0 and a
// database file through the import/export backend.
#include "benchutil.h"

#include "importexport/contactsfileparser.h"
#include "importexport/importexport.h"
#include "record/contact.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>

namespace {

void benchExport(const QString &label, ImportExport::ExportMethod method, const QString &suffix,
                 const QVariantList &contacts, const QString &target)
{
    const QString path = QDir::homePath() + QStringLiteral("/export.") + suffix;
    ImportExport backend;
    bool failed = false;
    QObject::connect(&backend, &ImportExport::error, [&](const QString &) { failed = true; });
    const Bench::Stats stats = Bench::measure(
            5, [&] { backend.exportContacts(); },
            [&] {
                backend.setContactsForExport(contacts);
                backend.setExportFileAndMethod(path, method);
            });
    Bench::printRow(label, contacts.size(), stats, target);
    std::printf("  %s, %.1f MB written, peak memory %.0f MiB\n", failed ? "FAILED" : "ok",
                QFileInfo(path).size() / (1024.0 * 1024.0), Bench::peakMemoryMiB());
    std::fflush(stdout);
    QFile::remove(path);
}

void benchCount(int count, const QString &target)
{
    // The parser tells file types by their names: give the generated file one.
    const QString csv = QDir::homePath() + QStringLiteral("/contacts-%1.csv").arg(count);
    QFile::link(Bench::generatedFile(QStringLiteral("google-csv"), count), csv);
    const QList<Contact *> records =
            ContactsFileParser::parseFile(csv, QStringLiteral("UTF-8")).contacts;
    // Exported contacts come from the list model, which gives every one an
    // id; the scene hands them over as a list of variants.
    QVariantList contacts;
    for (Contact *contact : records) {
        contact->id = Contact::makeId();
        contact->fullname = contact->composedFullName();
        contacts.append(QVariant::fromValue(contact));
    }
    benchExport(QStringLiteral("export Google CSV"), ImportExport::GOOGLE_CSV_METHOD,
                QStringLiteral("csv"), contacts, target);
    benchExport(QStringLiteral("export vCard 3.0"), ImportExport::VCARD_METHOD,
                QStringLiteral("vcf"), contacts, target);
    benchExport(QStringLiteral("export database file"), ImportExport::SQLITE_METHOD,
                QStringLiteral("sqlite"), contacts, target);
    qDeleteAll(records);
}

} // namespace

int main(int argc, char *argv[])
{
    Bench::useTemporaryHome();
    QGuiApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("kiv"));
    app.setApplicationName(QStringLiteral("Contacts"));

    Bench::printHeader(QStringLiteral("Export"));
    benchCount(10000, QStringLiteral("<= 0.5 s"));
    benchCount(100000, QStringLiteral("<= 5 s"));
    return 0;
}

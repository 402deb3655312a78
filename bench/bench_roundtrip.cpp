// Round trips at size: the vCard export of 10,000 contacts of which one in
// five has a photo (read from the store as each card is written), and the
// import of the same 10,000 contacts into an address book that already holds
// them, against a plain import into an empty one (target: at most twice its
// time, so the check for contacts already there stays near-linear).
#include "benchutil.h"

#include "importexport/importexport.h"
#include "model/contactsmodel.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>

namespace {

constexpr int Count = 10000;

} // namespace

int main(int argc, char *argv[])
{
    Bench::useTemporaryHome();
    QGuiApplication app(argc, argv);
    const QString file =
            Bench::generatedFile(QStringLiteral("vcard30"), Count,
                                 {QStringLiteral("--photos"), QStringLiteral("--photo-fraction"),
                                  QStringLiteral("0.2")});

    Bench::printHeader(QStringLiteral("Round trips"));
    int run = 0;
    int imported = 0;
    const Bench::Stats plain = Bench::measure(3, [&] {
        SqliteDatabase store;
        store.open(QDir::homePath() + QStringLiteral("/.config/plain-%1.sqlite").arg(run++));
        ContactsModel model;
        model.setDataBase(&store);
        imported = importAsScene(file, &model, &store, false);
    });
    Bench::printRow(QStringLiteral("import into an empty book (parse, check, store)"), imported,
                    plain);

    SqliteDatabase store;
    store.open(QString());
    ContactsModel model;
    model.setDataBase(&store);
    importAsScene(file, &model, &store, false);
    const QString target = QStringLiteral("<= %1 ms").arg(2 * plain.median, 0, 'f', 0);
    const Bench::Stats again = Bench::measure(3, [&] {
        imported = importAsScene(file, &model, &store, false);
        store.contactCount(); // the writes are committed
    });
    Bench::printRow(QStringLiteral("the same file again (all already there)"), Count, again,
                    target);
    const Bench::Stats ticked = Bench::measure(3, [&] {
        imported = importAsScene(file, &model, &store, true);
        store.contactCount();
    });
    Bench::printRow(QStringLiteral("again, every row ticked (merges checked)"), Count, ticked,
                    target);
    std::printf("  %d contacts in the book, %d merged by the last run; %.2fx and %.2fx the plain "
                "import\n",
                model.rowCount(), imported, again.median / plain.median,
                ticked.median / plain.median);

    const QVariantList contacts = model.getAllContacts();
    int photos = 0;
    for (const QVariant &contact : contacts) {
        photos += store.loadPhoto(contact.value<Contact *>()->id).isEmpty() ? 0 : 1;
    }
    const QString out = QDir::homePath() + QStringLiteral("/export.vcf");
    const Bench::Stats exported = Bench::measure(3, [&] {
        ImportExport backend;
        backend.setStore(&store);
        backend.setContactsForExport(contacts);
        backend.setExportFileAndMethod(out, ImportExport::VCARD_METHOD);
        backend.exportContacts();
    });
    Bench::printRow(QStringLiteral("vCard export, photos from the store"), contacts.size(),
                    exported);
    std::printf("  %d photos, %.1f MB written, peak memory %.0f MiB\n", photos,
                QFileInfo(out).size() / 1e6, Bench::peakMemoryMiB());
    return 0;
}

// Helper process of the export crash-safety test: exports 5,000 contacts
// with the given method to the given file, and when 1,000 have been
// written reports "progress 1000" on stdout and waits to be killed.
//
//   exportcrashchild <method number> <target file>

#include "importexport/importexport.h"
#include "record/contact.h"

#include <QCoreApplication>
#include <QVariantList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3) {
        return 2;
    }
    QVariantList contacts;
    for (int i = 0; i < 5000; ++i) {
        auto *contact = new Contact(&app);
        contact->id = QString::number(i + 1);
        contact->name = QStringLiteral("Name %1").arg(i + 1);
        contact->surname = i % 2 ? QStringLiteral("Иванова") : QStringLiteral("Smith");
        contact->comment = QStringLiteral("First line, \"quoted\";\nsecond line.");
        contact->phoneList = QStringList{QStringLiteral("+1 555 %1").arg(i)};
        contact->phoneGroupList = QStringList{QStringLiteral("Mobile")};
        contacts << QVariant::fromValue(contact);
    }
    ImportExport backend;
    QObject::connect(&backend, &ImportExport::importContactProgress, [](int written) {
        if (written == 1000) {
            std::printf("progress %d\n", written);
            std::fflush(stdout);
            char buffer[16];
            while (std::fgets(buffer, sizeof buffer, stdin)) { }
        }
    });
    backend.setContactsForExport(contacts);
    backend.setExportFileAndMethod(arguments.at(2),
                                   ImportExport::ExportMethod(arguments.at(1).toInt()));
    backend.exportContacts();
    return 0;
}

#include "fuzzsupport.h"
#include "importexport/contactsfileparser.h"

#include <QFile>

// The whole import entry point: type detection by name and content, then the
// matching reader. The input is written once, in memory, and read under each
// of the names an import file usually has (links to it made once).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ensureApplication();
    static const char *const names[] = {"contacts.csv", "contacts.vcf", "contacts.sqlite"};
    const QString input = writeInput(QStringLiteral("input"), data, size);
    if (input.isEmpty()) {
        return 0;
    }
    for (const char *name : names) {
        const QString path = scratchDir() + QLatin1Char('/') + QLatin1String(name);
        if (!QFile::exists(path)) {
            QFile::link(input, path);
        }
        deleteContacts(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")).contacts);
    }
    return 0;
}

#include "fuzzsupport.h"
#include "importexport/contactsfileparser.h"

// Database import of arbitrary bytes: whatever the file holds, the import
// reads it read-only, ends and stays within its limits.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ensureApplication();
    const QString path = writeInput(QStringLiteral("contacts.sqlite"), data, size);
    if (!path.isEmpty()) {
        deleteContacts(ContactsFileParser::parseSqlite(path).contacts);
    }
    return 0;
}

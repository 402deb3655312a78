#include "fuzzsupport.h"
#include "importexport/contactsfileparser.h"

#include <QFile>
#include <QTemporaryDir>

// The whole import entry point: type detection by name and content, then the
// matching reader, on a temporary file. The same bytes are tried under each
// of the names an import file usually has.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ensureApplication();
    static QTemporaryDir dir;
    static const char *const names[] = {"contacts.csv", "contacts.vcf", "contacts.sqlite"};
    for (const char *name : names) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return 0;
        }
        file.write(reinterpret_cast<const char *>(data), qint64(size));
        file.close();
        deleteContacts(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8")));
    }
    return 0;
}

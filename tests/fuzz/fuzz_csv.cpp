#include "fuzzsupport.h"
#include "importexport/contactsfileparser.h"
#include "vcard/textdecoding.h"

// The CSV tokenizer and the header mapping on arbitrary bytes, decoded the
// way an import decodes them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    deleteContacts(
            ContactsFileParser::parseCsv(TextDecoding::decode(bytes, QStringLiteral("UTF-8"))));
    deleteContacts(ContactsFileParser::parseCsv(
            TextDecoding::decode(bytes, QStringLiteral("Windows-1251"))));
    return 0;
}

#include "fuzzsupport.h"
#include "importexport/contactsfileparser.h"
#include "vcard/textdecoding.h"

// The CSV tokenizer and the header mapping on arbitrary bytes, decoded the
// way an import decodes them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    for (const char *codec : {"UTF-8", "Windows-1251"}) {
        deleteContacts(ContactsFileParser::parseCsv(
                                   TextDecoding::decode(bytes, QString::fromLatin1(codec)))
                               .contacts);
    }
    return 0;
}

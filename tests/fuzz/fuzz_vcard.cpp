#include "fuzzsupport.h"
#include "importexport/contactsfileparser.h"
#include "vcard/vcard.h"

// The vCard reader (document model) and the vCard-to-contact mapping on
// arbitrary bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QList<vCard> cards = vCard::fromByteArray(bytes);
    for (const vCard &card : cards) {
        card.toByteArray(vCardVersion::Version3_0);
    }
    deleteContacts(ContactsFileParser::parseVCardData(bytes, QStringLiteral("UTF-8")).contacts);
    return 0;
}

#include "sync/davmultistatus.h"
#include "sync/davorigin.h"
#include "sync/synccard.h"

#include "record/contact.h"

#include <cstdlib>

// The sync's readers on arbitrary bytes: a server's multistatus answer (a
// listing, a sync report, a multiget), the check of its hrefs against the
// address book, and the mapping of each card in it, and of the bytes
// themselves, to a contact.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QUrl book(QStringLiteral("https://dav.example.org/anna/contacts/"));
    const DavMultiStatus status = DavMultiStatus::parse(bytes, book);
    const QString addressData = DavNames::cardDav("address-data");
    QString uid;
    for (const DavResource &resource : status.resources) {
        if (!DavOrigin::isMember(resource.url, book)) {
            continue;
        }
        // What passes as a card of the book is one name right inside it.
        const QString name = resource.path.mid(book.path().size());
        if (!resource.path.startsWith(book.path()) || name.contains(QLatin1Char('/'))
            || name == QLatin1String("..") || resource.url.host() != book.host()) {
            abort();
        }
        if (resource.has(addressData)) {
            SyncCard::read(resource.text(addressData).toUtf8(), &uid);
        }
    }
    SyncCard::read(bytes, &uid);
    return 0;
}

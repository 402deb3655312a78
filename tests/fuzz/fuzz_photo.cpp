#include "fuzzsupport.h"
#include "storage/photoencoding.h"

// Photo preparation on arbitrary image bytes, as an imported vCard photo
// reaches it: the header is read first, then the image is decoded at the
// photo's size or refused.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ensureApplication();
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QByteArray photo = PhotoEncoding::normalizeBase64(bytes.toBase64());
    // A prepared photo is prepared again unchanged.
    if (!photo.isEmpty() && PhotoEncoding::normalizeBase64(photo) != photo) {
        __builtin_trap();
    }
    return 0;
}

#include "storage/photoencoding.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <cstring>

namespace PhotoEncoding {

namespace {

// A small file can claim a huge image (an imported photo is untrusted input),
// and decoding it whole would take gigabytes. The size is read from the
// header first, and an image whose header tells no size is refused. Images
// are refused above this many pixels, because their decoders build the whole
// image before it can be scaled, and so are the JPEGs that libjpeg reads
// whole first (see JpegLayout).
constexpr qint64 MaxPixels = 16 * 1000 * 1000;
// A JPEG whose first scan holds every component is decoded in one pass and
// scaled as it goes (to an eighth at most), so memory follows the photo's
// size; time follows the image's size and its data. The bound takes the
// largest phone photos of today (200 megapixels, 16320x12240): a file that
// claims that size with no data costs about 50 ms and 15 MB, a real photo
// about 18 ms for each MB of its file (0.6 s for 108 megapixels in 33 MB).
constexpr qint64 MaxSingleScanJpegPixels = 200 * 1000 * 1000;
// libjpeg holds a JPEG of several scans (progressive, or its components in
// scans of their own) whole as coefficients, two bytes for each pixel of
// each component, and every scan goes over all of them, though a scan may
// take only a few bytes of the file. Real files have about ten scans; at
// these bounds (Qt reads 1, 3 or 4 components) a file costs at most about
// 130 MB and 0.35 s.
constexpr int MaxJpegScans = 64;
constexpr int MaxJpegComponents = 4;
// The PNG writer's quality for the stored photo. Qt maps it to zlib level 1:
// the default level spent most of a photo's preparation on compressing it,
// for files only about a tenth smaller.
constexpr int PngQuality = 80;
// More than any PNG of the photo's size needs: a larger one carries other
// data, which is dropped by encoding the image again.
constexpr int MaxPreparedBytes = 4 * 1024 * 1024;

// The size of the photo of an image of this size: at most MaxSide on the
// longer side, the shorter side rounded and at least one pixel.
QSize photoSize(const QSize &size)
{
    if (size.width() <= MaxSide && size.height() <= MaxSide) {
        return size;
    }
    if (size.width() >= size.height()) {
        return QSize(MaxSide, qMax(1, qRound(size.height() * qreal(MaxSide) / size.width())));
    }
    return QSize(qMax(1, qRound(size.width() * qreal(MaxSide) / size.height())), MaxSide);
}

// What the markers of a JPEG tell of the cost of decoding it; its header,
// which Qt reads, tells only the size.
struct JpegLayout
{
    QSize size;
    int components = 0;
    bool progressive = false;
    // The first scan holds every component: libjpeg decodes the image in
    // one pass, scaled as it goes, and reads no further scan.
    bool singleScan = false;
    int scans = 0;
};

enum JpegMarker : uchar {
    Tem = 0x01,
    Sof0 = 0xC0,
    Sof1 = 0xC1,
    Sof2 = 0xC2,
    Dht = 0xC4,
    Jpg = 0xC8,
    Sof9 = 0xC9,
    Sof10 = 0xCA,
    Dac = 0xCC,
    Rst0 = 0xD0,
    Rst7 = 0xD7,
    Soi = 0xD8,
    Eoi = 0xD9,
    Sos = 0xDA,
};

// Whether a byte after 0xFF makes a marker: a zero is a stuffed 0xFF of a
// scan's data, and restart markers belong to that data too.
bool isMarkerCode(uchar code)
{
    return code != 0 && (code < Rst0 || code > Rst7);
}

bool isFrameMarker(int marker)
{
    return (marker & 0xF0) == Sof0 && marker != Dht && marker != Jpg && marker != Dac;
}

// Moves the device to the next 0xFF that begins a marker, past a scan's data
// and past any other bytes, as libjpeg does. False at the end of the data.
bool seekMarker(QIODevice *device)
{
    char chunk[4096];
    for (;;) {
        const qint64 at = device->pos();
        const qint64 read = device->read(chunk, sizeof chunk);
        if (read < 2) {
            return false;
        }
        const char *end = chunk + read - 1;
        for (const char *ff = chunk;
             (ff = static_cast<const char *>(std::memchr(ff, 0xFF, size_t(end - ff)))); ++ff) {
            if (isMarkerCode(uchar(ff[1]))) {
                return device->seek(at + (ff - chunk));
            }
        }
        // The last byte is looked at again: it may begin a marker.
        device->seek(at + read - 1);
    }
}

// The code of the next marker, read past its 0xFF and any further 0xFF
// (fill bytes); -1 at the end of the data.
int nextMarker(QIODevice *device)
{
    for (;;) {
        if (!seekMarker(device)) {
            return -1;
        }
        char code = char(0xFF);
        while (uchar(code) == 0xFF) {
            if (!device->getChar(&code)) {
                return -1;
            }
        }
        if (isMarkerCode(uchar(code))) {
            return uchar(code);
        }
    }
}

// Reads a frame header (its first six bytes) into layout; false for a kind
// of frame that libjpeg does not decode (lossless, hierarchical).
bool readFrame(int marker, const QByteArray &head, JpegLayout *layout)
{
    const auto *bytes = reinterpret_cast<const uchar *>(head.constData());
    layout->progressive = marker == Sof2 || marker == Sof10;
    layout->size = QSize(bytes[3] << 8 | bytes[4], bytes[1] << 8 | bytes[2]);
    layout->components = bytes[5];
    return (layout->progressive || marker == Sof0 || marker == Sof1 || marker == Sof9)
           && !layout->size.isEmpty() && layout->components > 0;
}

// Reads the markers of a JPEG up to its first scan, and for a file of several
// scans on to its end or past MaxJpegScans, skipping segments by their
// lengths as libjpeg does. Anything libjpeg would refuse gives a layout
// without scans, and so do the reserved marker codes, which libjpeg drops
// inside a scan's data: no scan can hide behind one.
JpegLayout walkMarkers(QIODevice *device)
{
    JpegLayout layout;
    if (device->read(2) != QByteArray("\xFF\xD8", 2)) {
        return {};
    }
    for (;;) {
        const int marker = nextMarker(device);
        if (marker < 0 || marker == Eoi) {
            return layout;
        }
        if (marker == Tem) {
            continue;
        }
        uchar bytes[2];
        if (marker < Sof0 || marker == Soi
            || device->read(reinterpret_cast<char *>(bytes), 2) != 2) {
            return {};
        }
        const qint64 length = (bytes[0] << 8 | bytes[1]) - 2;
        if (length < 0) {
            return {};
        }
        if (device->pos() + length > device->size()) {
            return layout; // libjpeg ends a cut file where it is cut
        }
        const QByteArray head = device->peek(qMin<qint64>(length, 6));
        if (marker == Sos) {
            if (layout.components == 0 || head.isEmpty()) {
                return {};
            }
            ++layout.scans;
            layout.singleScan = layout.scans == 1 && !layout.progressive
                                && uchar(head.at(0)) == layout.components;
            if (layout.singleScan || layout.scans > MaxJpegScans) {
                return layout;
            }
        } else if (isFrameMarker(marker)
                   && (layout.components != 0 || head.size() < 6
                       || !readFrame(marker, head, &layout))) {
            return {};
        }
        device->seek(device->pos() + length);
    }
}

// Whether decoding the JPEG at the device stays within the bounds above: its
// markers are read first (the header alone does not tell its kind), and the
// device is left where it was.
bool jpegWithinBounds(QIODevice *device)
{
    const qint64 start = device->pos();
    const JpegLayout layout = walkMarkers(device);
    device->seek(start);
    const qint64 pixels = qint64(layout.size.width()) * layout.size.height();
    if (layout.scans == 0 || layout.components > MaxJpegComponents) {
        return false;
    }
    if (layout.singleScan) {
        return pixels <= MaxSingleScanJpegPixels;
    }
    return pixels <= MaxPixels && layout.scans <= MaxJpegScans;
}

QImage readImage(QImageReader &reader)
{
    const bool jpeg = reader.format() == "jpeg";
    if (jpeg && !jpegWithinBounds(reader.device())) {
        return QImage();
    }
    const QSize size = reader.size();
    if (!size.isValid()) {
        return QImage();
    }
    if (jpeg) {
        if (size != photoSize(size)) {
            reader.setScaledSize(photoSize(size));
        }
    } else if (qint64(size.width()) * size.height() > MaxPixels) {
        return QImage();
    }
    return reader.read();
}

} // namespace

QByteArray encodeImage(const QImage &image)
{
    if (image.isNull()) {
        return QByteArray();
    }
    QImage scaled = image;
    if (image.size() != photoSize(image.size())) {
        scaled = image.scaled(photoSize(image.size()), Qt::IgnoreAspectRatio,
                              Qt::FastTransformation);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!scaled.save(&buffer, "PNG", PngQuality)) {
        return QByteArray();
    }
    return png.toBase64();
}

QByteArray encodeFile(const QString &path)
{
    if (path.isEmpty()) {
        return QByteArray();
    }
    QImageReader reader(path);
    return encodeImage(readImage(reader));
}

// A photo that already is a PNG of at most the photo's size (one this
// function prepared before, on another thread during an import) is kept as
// it is once it decodes, instead of being encoded a second time.
QByteArray normalizeBase64(const QByteArray &base64)
{
    if (base64.isEmpty()) {
        return QByteArray();
    }
    QByteArray bytes = QByteArray::fromBase64(base64);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const bool png = bytes.startsWith("\x89PNG\r\n\x1a\n");
    QImageReader reader(&buffer, "png");
    const QSize size = png ? reader.size() : QSize();
    if (png && bytes.size() <= MaxPreparedBytes && size.isValid() && size == photoSize(size)) {
        if (!reader.read().isNull()) {
            return bytes.toBase64();
        }
        return QByteArray();
    }
    buffer.seek(0);
    QImageReader anyFormat(&buffer);
    return encodeImage(readImage(anyFormat));
}

} // namespace PhotoEncoding

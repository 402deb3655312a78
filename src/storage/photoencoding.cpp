#include "storage/photoencoding.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

namespace PhotoEncoding {

namespace {

// A small file can claim a huge image (an imported photo is untrusted input),
// and decoding it whole would take gigabytes. The size is read from the
// header first. JPEG is decoded straight at the photo's size (its decoder
// scales while decoding, so camera photos of any size work); other formats
// are refused above this many pixels, because their decoders build the whole
// image before it can be scaled. An image whose header tells no size is
// refused as well.
constexpr qint64 MaxPixels = 16 * 1000 * 1000;
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

QImage readImage(QImageReader &reader)
{
    const QSize size = reader.size();
    if (!size.isValid()) {
        return QImage();
    }
    if (reader.format() == "jpeg") {
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

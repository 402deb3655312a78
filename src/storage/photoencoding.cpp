#include "storage/photoencoding.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

namespace PhotoEncoding {

namespace {

// A small file can claim a huge image (an imported photo is untrusted input),
// and decoding it whole would take gigabytes. Larger images are decoded at a
// reduced size when they are JPEG (its decoder scales while decoding, so
// camera photos of any size still work) and refused otherwise: other
// decoders would build the whole image before scaling it.
constexpr qint64 MaxPixels = 100 * 1000 * 1000;
constexpr int ReducedSide = 4 * MaxSide;

QImage readImage(QImageReader &reader)
{
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > MaxPixels) {
        if (reader.format() != "jpeg") {
            return QImage();
        }
        reader.setScaledSize(
                size.scaled(ReducedSide, ReducedSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
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
    if (image.width() > MaxSide || image.height() > MaxSide) {
        scaled = image.width() > image.height()
                         ? image.scaledToWidth(MaxSide, Qt::FastTransformation)
                         : image.scaledToHeight(MaxSide, Qt::FastTransformation);
        if (scaled.isNull()) {
            // A very long and thin image would round its short side to
            // nothing; keep one pixel of it.
            const QSize size = image.size().scaled(MaxSide, MaxSide, Qt::KeepAspectRatio);
            scaled = image.scaled(size.expandedTo(QSize(1, 1)), Qt::IgnoreAspectRatio,
                                  Qt::FastTransformation);
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!scaled.save(&buffer, "PNG")) {
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

QByteArray normalizeBase64(const QByteArray &base64)
{
    if (base64.isEmpty()) {
        return QByteArray();
    }
    QByteArray bytes = QByteArray::fromBase64(base64);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return encodeImage(readImage(reader));
}

} // namespace PhotoEncoding

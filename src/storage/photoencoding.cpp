#include "photoencoding.h"

#include <QBuffer>
#include <QImage>

namespace PhotoEncoding {

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
    return encodeImage(QImage(path));
}

QByteArray normalizeBase64(const QByteArray &base64)
{
    if (base64.isEmpty()) {
        return QByteArray();
    }
    return encodeImage(QImage::fromData(QByteArray::fromBase64(base64)));
}

} // namespace PhotoEncoding

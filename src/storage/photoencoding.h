#pragma once

#include <QByteArray>
#include <QString>

class QImage;

// The one photo preparation used by both stores: at most 400 pixels on the
// longer side, PNG, Base64 without line breaks.
namespace PhotoEncoding {

constexpr int MaxSide = 400;

// Base64 PNG text of the image file at path; empty when the path is empty or
// holds no readable image.
QByteArray encodeFile(const QString &path);
// The same for an image already in memory; empty for a null image.
QByteArray encodeImage(const QImage &image);
// Base64 PNG text of the image held in Base64 text of any image format (an
// imported vCard photo); empty when it does not decode to an image.
QByteArray normalizeBase64(const QByteArray &base64);

} // namespace PhotoEncoding

#include "storage/photoencoding.h"
#include "testsupport.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>

// The one photo preparation of both stores: at most 400 pixels on the longer
// side, PNG in Base64, and untrusted photos that claim huge sizes refused.
namespace {

// A black image in the format: small in memory and on disk whatever it claims.
QByteArray blackImage(QSize size, const char *format)
{
    QImage image(size, QImage::Format_Mono);
    image.fill(0);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QString sizeOf(const QByteArray &base64)
{
    const QByteArray png = QByteArray::fromBase64(base64);
    if (!png.startsWith("\x89PNG") || base64.contains('\n')) {
        return base64.isEmpty() ? QStringLiteral("none") : QStringLiteral("not PNG Base64");
    }
    const QImage image = QImage::fromData(png, "PNG");
    return QStringLiteral("%1x%2").arg(image.width()).arg(image.height());
}

} // namespace

class tst_PhotoEncoding : public QObject
{
    Q_OBJECT

private slots:
    void scalesFiles_data();
    void scalesFiles();
    void normalizesImportedPhotos_data();
    void normalizesImportedPhotos();

private:
    QTemporaryDir m_files;
};

void tst_PhotoEncoding::scalesFiles_data()
{
    QTest::addColumn<QSize>("original");
    QTest::addColumn<QString>("stored");

    QTest::newRow("wide") << QSize(1000, 500) << "400x200";
    QTest::newRow("tall") << QSize(500, 1000) << "200x400";
    QTest::newRow("small") << QSize(300, 200) << "300x200";
    QTest::newRow("exactly 400") << QSize(400, 400) << "400x400";
    QTest::newRow("only height too big") << QSize(100, 401) << "100x400";
    QTest::newRow("long thin line") << QSize(1000, 1) << "400x1";
    QTest::newRow("tall thin line") << QSize(1, 1000) << "1x400";
}

void tst_PhotoEncoding::scalesFiles()
{
    QFETCH(QSize, original);
    QTEST(sizeOf(PhotoEncoding::encodeFile(writeImage(m_files.path(), original))), "stored");
}

void tst_PhotoEncoding::normalizesImportedPhotos_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("stored");

    QTest::newRow("BMP") << imageBytes(QSize(1000, 500), "BMP") << "400x200";
    QTest::newRow("not an image") << QByteArray("hello") << "none";
    QTest::newRow("empty") << QByteArray() << "none";
    QTest::newRow("PNG of 16 megapixels") << blackImage(QSize(4000, 4000), "PNG") << "400x400";
    // A small file must not make the store decode an image of gigabytes.
    QTest::newRow("PNG of more than 16 megapixels")
            << blackImage(QSize(4000, 4001), "PNG") << "none";
    // JPEG decodes at a reduced size, so a big camera photo still arrives.
    QTest::newRow("JPEG of more than 16 megapixels")
            << blackImage(QSize(4001, 4001), "JPEG") << "400x400";
}

void tst_PhotoEncoding::normalizesImportedPhotos()
{
    QFETCH(QByteArray, bytes);
    QTEST(sizeOf(PhotoEncoding::normalizeBase64(bytes.toBase64())), "stored");
}

KIV_TEST_GUILESS_MAIN(tst_PhotoEncoding)
#include "tst_photoencoding.moc"

#include "storage/photoencoding.h"
#include "testsupport.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>

// The stores' photo preparation: at most 400 pixels a side, PNG Base64, bombs refused.
class tst_PhotoEncoding : public QObject
{
    Q_OBJECT

private slots:
    void preparesPhoto_data();
    void preparesPhoto();

private:
    QTemporaryDir m_files;
};

void tst_PhotoEncoding::preparesPhoto_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("stored");
    addRowsFromFile(TEST_DATA_DIR "/store/photos.jsonl", "SSS");
}

void tst_PhotoEncoding::preparesPhoto()
{
    QFETCH(QString, entry);
    QFETCH(QString, image);
    // A black image is small in memory and on disk whatever size it claims.
    const QStringList size = image.section(' ', 0, 0).split('x');
    QByteArray bytes = image.toUtf8();
    if (image.startsWith('@')) {
        bytes = readFile(TEST_DATA_DIR "/" + image.mid(1));
        bytes = image.endsWith(".qz") ? qUncompress(bytes) : bytes;
    } else if (size.size() == 2) {
        QImage black(size[0].toInt(), size[1].toInt(), QImage::Format_Mono);
        black.fill(0);
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::WriteOnly | QIODevice::Truncate)
                && black.save(&buffer, qPrintable(image.section(' ', 1))));
    }
    const QByteArray base64 =
            entry == "file" ? PhotoEncoding::encodeFile(writeFile(m_files.filePath("p"), bytes))
                            : PhotoEncoding::normalizeBase64(bytes.toBase64());
    const QByteArray png = QByteArray::fromBase64(base64);
    const QImage stored = QImage::fromData(png, "PNG");
    QVERIFY2(base64.isEmpty() || (png.startsWith("\x89PNG") && !base64.contains('\n')), base64);
    QTEST(stored.isNull() ? QString("none")
                          : QString("%1x%2").arg(stored.width()).arg(stored.height()),
          "stored");
}

KIV_TEST_GUILESS_MAIN(tst_PhotoEncoding)
#include "tst_photoencoding.moc"

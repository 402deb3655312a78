#include "app/contactsimageprovider.h"
#include "storage/defaultdatabase.h"
#include "testsupport.h"

#include <QImage>

namespace {
// A store that answers loadPhoto with one photo and records what was asked.
class PhotoTable : public DefaultDatabase
{
public:
    QByteArray loadPhoto(const QString &id) override { return asked.append(id), photo; }
    QByteArray photo;
    QStringList asked;
};
} // namespace

// Photos for the scenes, fresh from the store at their size; else the placeholder.
class tst_ContactsImageProvider : public QObject
{
    Q_OBJECT

private slots:
    void servesPhotoOrPlaceholder_data();
    void servesPhotoOrPlaceholder();
};

void tst_ContactsImageProvider::servesPhotoOrPlaceholder_data()
{
    QTest::addColumn<bool>("withStore");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("placeholder");
    QTest::newRow("photo") << true << imageBytes(QSize(40, 90)) << false;
    QTest::newRow("no photo") << true << QByteArray() << true;
    QTest::newRow("not an image") << true << QByteArray("text, not a PNG") << true;
    QTest::newRow("truncated PNG") << true << imageBytes(QSize(50, 50)).left(40) << true;
    QTest::newRow("no store") << false << QByteArray() << true;
}

void tst_ContactsImageProvider::servesPhotoOrPlaceholder()
{
    QFETCH(bool, withStore);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, placeholder);
    PhotoTable store;
    store.photo = bytes;
    ContactsImageProvider provider;
    if (withStore)
        provider.setDataBase(&store);
    QSize size;
    const QImage image = provider.requestImage("7", &size, QSize());
    const QImage expected =
            placeholder ? QImage(":/qml/images/user_128.png") : QImage::fromData(bytes);
    QVERIFY(!expected.isNull());
    QCOMPARE(image.convertToFormat(QImage::Format_ARGB32),
             expected.convertToFormat(QImage::Format_ARGB32));
    QCOMPARE(store.asked, withStore ? QStringList{"7"} : QStringList());
}

KIV_TEST_GUILESS_MAIN(tst_ContactsImageProvider)

#include "tst_contactsimageprovider.moc"

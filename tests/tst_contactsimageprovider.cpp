#include "app/contactsimageprovider.h"

#include "record/contact.h"
#include "storage/database.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

// Contact photos for the scenes: sizes, the placeholder, and fresh reads.
class tst_ContactsImageProvider : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void returnsStoredPhotoAtItsOwnSize();
    void placeholderForUnusablePhotos_data();
    void placeholderForUnusablePhotos();
    void placeholderWithoutStore();

private:
    QImage m_placeholder;
};

namespace {

QByteArray png(const QSize &size, const QColor &color)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A store that answers loadPhoto from a table and records what was asked.
class PhotoTable : public DataBase
{
public:
    bool open(const QString &) override { return true; }
    QList<Contact *> loadContacts() override { return {}; }
    void insertContact(Contact *) override { }
    void updateContact(Contact *) override { }
    void removeContacts(const QStringList &) override { }
    void toggleFavorite(const QString &) override { }
    QByteArray loadPhoto(const QString &id) override
    {
        asked.append(id);
        return photos.value(id);
    }
    void savePhoto(const QString &, const QString &) override { }

    QHash<QString, QByteArray> photos;
    QStringList asked;
};

} // namespace

void tst_ContactsImageProvider::initTestCase()
{
    m_placeholder = QImage(QStringLiteral(":/qml/images/user_128.png"));
    QCOMPARE(m_placeholder.size(), QSize(128, 128));
}

void tst_ContactsImageProvider::returnsStoredPhotoAtItsOwnSize()
{
    PhotoTable store;
    store.photos.insert(QStringLiteral("7"), png(QSize(40, 90), Qt::blue));
    ContactsImageProvider provider;
    provider.setDataBase(&store);
    QSize size;
    const QImage image = provider.requestImage(QStringLiteral("7"), &size, QSize());
    QCOMPARE(image.size(), QSize(40, 90));
    QCOMPARE(image.pixelColor(20, 45), QColor(Qt::blue));
    QCOMPARE(store.asked, QStringList{QStringLiteral("7")});
}

void tst_ContactsImageProvider::placeholderForUnusablePhotos_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("no photo") << QStringLiteral("1") << QByteArray();
    QTest::newRow("not an image") << QStringLiteral("1") << QByteArray("this is text, not a PNG");
    QTest::newRow("truncated PNG") << QStringLiteral("1") << png(QSize(50, 50), Qt::red).left(40);
    QTest::newRow("empty id") << QString() << QByteArray();
}

void tst_ContactsImageProvider::placeholderForUnusablePhotos()
{
    QFETCH(QString, id);
    QFETCH(QByteArray, bytes);
    PhotoTable store;
    if (!bytes.isEmpty()) {
        store.photos.insert(id, bytes);
    }
    ContactsImageProvider provider;
    provider.setDataBase(&store);
    QSize size;
    const QImage image = provider.requestImage(id, &size, QSize());
    QCOMPARE(image, m_placeholder);
    QCOMPARE(size, QSize(100, 100));
    // The store was asked for exactly this id.
    QCOMPARE(store.asked, QStringList{id});
}

void tst_ContactsImageProvider::placeholderWithoutStore()
{
    ContactsImageProvider provider;
    QSize size;
    QCOMPARE(provider.requestImage(QStringLiteral("1"), &size, QSize(0, 50)), m_placeholder);
    QCOMPARE(size, QSize(100, 50));
}

KIV_TEST_GUILESS_MAIN(tst_ContactsImageProvider)
#include "tst_contactsimageprovider.moc"

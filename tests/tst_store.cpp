#include "record/contact.h"
#include "storage/defaultdatabase.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QSettings>

// The contract of a contact store, run on the SQLite store and on the
// settings-file store: every check reopens the store to prove the write.
class tst_Store : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
    void roundTripsAllFields();
    void updateKeepsPhoto();
    void removeTakesRowsAndPhotos();
    void toggleFavoriteTwiceRestoresMark();
    void unknownIdsChangeNothing();
    void namelessRecordsAreNotLoaded();
    void photoIsPreparedAndKeptOnBadImage();
    void importedPhotoIsNormalized();

private:
    std::unique_ptr<DataBase> open() const;
    // What a freshly opened store loads: "id contactText()" lines by id.
    QString stored() const;
    QTemporaryDir m_files;
};

void tst_Store::initTestCase_data()
{
    QTest::addColumn<bool>("sqlite");
    QTest::newRow("sqlite") << true;
    QTest::newRow("settings file") << false;
}

void tst_Store::init()
{
    QFile::remove(SqliteDatabase::defaultPath());
    QSettings().clear();
}

std::unique_ptr<DataBase> tst_Store::open() const
{
    QFETCH_GLOBAL(bool, sqlite);
    std::unique_ptr<DataBase> store;
    if (sqlite) {
        store = std::make_unique<SqliteDatabase>();
    } else {
        store = std::make_unique<DefaultDatabase>();
    }
    return store->open(QString()) ? std::move(store) : nullptr;
}

QString tst_Store::stored() const
{
    auto store = open();
    const QList<Contact *> contacts = store->loadContacts();
    QStringList result;
    for (Contact *contact : contacts) {
        result << contact->id + QLatin1Char(' ') + contactText(contact);
        delete contact;
    }
    result.sort();
    return result.join(QLatin1Char('\n'));
}

void tst_Store::roundTripsAllFields()
{
    Contact contact(nullptr);
    contact.id = QStringLiteral("1733500000123");
    contact.isFavorite = true;
    contact.name = QStringLiteral("Анна");
    contact.surname = QStringLiteral("Smith");
    contact.middlename = QStringLiteral("Ивановна");
    contact.fullname = QStringLiteral("Dr. Anna Smith");
    contact.organization = QStringLiteral("ACME; \"Labs\", =x");
    contact.dateOfBirth = QStringLiteral("01.02.1990");
    contact.comment = QStringLiteral("line one\nline two\\ 'quoted'");
    contact.phoneList = QStringList{"+1 555 0100", "", "3"};
    contact.phoneGroupList = QStringList{"Mobile", "Home", "Work"};
    contact.emailList = QStringList{"anna@example.org"};
    contact.emailGroupList = QStringList{"Home, sweet"};
    contact.addressList = QStringList{"1 Main St;;Springfield"};
    contact.addressGroupList = QStringList{"Home"};
    contact.linkList = QStringList{"https://example.org/?a=1&b=2"};
    contact.importMe = false;
    open()->insertContact(&contact);

    // The full name is composed anew; importMe is not stored.
    const QString expected = QString::fromUtf8(
            R"(1733500000123 {"addresses":["1 Main St;;Springfield / Home"],)"
            R"("comment":"line one\nline two\\ 'quoted'","dateOfBirth":"01.02.1990",)"
            R"("emails":["anna@example.org / Home, sweet"],"favorite":true,)"
            R"("fullname":"Smith Анна Ивановна","links":["https://example.org/?a=1&b=2"],)"
            R"("middlename":"Ивановна","name":"Анна","organization":"ACME; \"Labs\", =x",)"
            R"("phones":["+1 555 0100 / Mobile"," / Home","3 / Work"],"surname":"Smith"})");
    QCOMPARE(stored(), expected);
}

void tst_Store::updateKeepsPhoto()
{
    auto store = open();
    auto contact = makeContact(QStringLiteral("8"), QStringLiteral("Smith Anna"));
    contact->phoneList = QStringList{"1"};
    contact->phoneGroupList = QStringList{"Home"};
    store->insertContact(contact.get());
    store->savePhoto(contact->id, writeImage(m_files.path(), QSize(10, 10)));
    const QByteArray photo = store->loadPhoto(contact->id);
    QVERIFY(!photo.isEmpty());

    contact->name = QStringLiteral("Maria");
    contact->isFavorite = true;
    contact->phoneList.clear();
    contact->phoneGroupList.clear();
    store->updateContact(contact.get());
    store.reset();
    const QString expected =
            R"(8 {"favorite":true,"fullname":"Smith Maria","name":"Maria","surname":"Smith"})";
    QCOMPARE(stored(), expected);
    QCOMPARE(open()->loadPhoto(contact->id), photo);
}

void tst_Store::removeTakesRowsAndPhotos()
{
    auto store = open();
    const QString image = writeImage(m_files.path(), QSize(10, 10));
    for (const auto &contact : makeContacts(QStringLiteral("A|B|C|D"))) {
        store->insertContact(contact.get());
        store->savePhoto(contact->id, image);
    }
    store->removeContacts(QStringList());
    store->removeContacts(QStringList{"4", "2", "77", QString()});
    store.reset();
    const QString expected = R"(1 {"fullname":"A","name":"A"})"
                             "\n"
                             R"(3 {"fullname":"C","name":"C"})";
    QCOMPARE(stored(), expected);
    store = open();
    QVERIFY(store->loadPhoto(QStringLiteral("2")).isEmpty());
    QVERIFY(!store->loadPhoto(QStringLiteral("3")).isEmpty());
}

void tst_Store::toggleFavoriteTwiceRestoresMark()
{
    auto store = open();
    for (const auto &contact : makeContacts(QStringLiteral("A|B*"))) {
        store->insertContact(contact.get());
    }
    store->toggleFavorite(QStringLiteral("1"));
    store->toggleFavorite(QStringLiteral("2"));
    store.reset();
    const QString toggled = R"(1 {"favorite":true,"fullname":"A","name":"A"})"
                            "\n"
                            R"(2 {"fullname":"B","name":"B"})";
    QCOMPARE(stored(), toggled);
    store = open();
    store->toggleFavorite(QStringLiteral("1"));
    store.reset();
    const QString back = R"(1 {"fullname":"A","name":"A"})"
                         "\n"
                         R"(2 {"fullname":"B","name":"B"})";
    QCOMPARE(stored(), back);
}

void tst_Store::unknownIdsChangeNothing()
{
    auto store = open();
    store->insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    store->toggleFavorite(QStringLiteral("5"));
    store->savePhoto(QStringLiteral("98"), writeImage(m_files.path(), QSize(10, 10)));
    const QString expected = R"(1 {"fullname":"Anna","name":"Anna"})";
    QCOMPARE(stored(), expected);

    store->updateContact(makeContact(QStringLiteral("99"), QStringLiteral("Nobody")).get());
    store->insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Boris")).get());
    QCOMPARE(stored(), expected);
}

void tst_Store::namelessRecordsAreNotLoaded()
{
    auto store = open();
    auto nameless = makeContact(QStringLiteral("1"), QStringLiteral(" \t"));
    nameless->middlename = QStringLiteral("\r\n");
    nameless->organization = QStringLiteral("ACME");
    store->insertContact(nameless.get());
    store->insertContact(makeContact(QStringLiteral("2"), QStringLiteral("Anna")).get());
    store.reset();
    const QString expected = R"(2 {"fullname":"Anna","name":"Anna"})";
    QCOMPARE(stored(), expected);
}

// The preparation itself is tested on its own; here: the store uses it and
// keeps the earlier photo when the new file is no image.
void tst_Store::photoIsPreparedAndKeptOnBadImage()
{
    auto store = open();
    store->insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    store->savePhoto(QStringLiteral("1"), writeImage(m_files.path(), QSize(1000, 500)));
    store->savePhoto(QStringLiteral("1"), writeFile(m_files.filePath("notes.txt"), "no image"));
    store->savePhoto(QStringLiteral("1"), QString());
    store.reset();
    const QByteArray photo = open()->loadPhoto(QStringLiteral("1"));
    QVERIFY(photo.startsWith("\x89PNG\r\n"));
    QCOMPARE(QImage::fromData(photo, "PNG").size(), QSize(400, 200));
}

void tst_Store::importedPhotoIsNormalized()
{
    auto withPhoto = makeContact(QStringLiteral("1"), QStringLiteral("Anna"));
    withPhoto->photoData = imageBytes(QSize(500, 1000), "BMP").toBase64();
    auto withGarbage = makeContact(QStringLiteral("2"), QStringLiteral("Boris"));
    withGarbage->photoData = QByteArray("no image").toBase64();
    auto store = open();
    store->insertContact(withPhoto.get());
    store->insertContact(withGarbage.get());
    store.reset();
    store = open();
    QCOMPARE(QImage::fromData(store->loadPhoto(QStringLiteral("1")), "PNG").size(),
             QSize(200, 400));
    QVERIFY(store->loadPhoto(QStringLiteral("2")).isEmpty());
}

KIV_TEST_GUILESS_MAIN(tst_Store)
#include "tst_store.moc"

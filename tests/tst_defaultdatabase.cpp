#include "record/contact.h"
#include "storage/defaultdatabase.h"
#include "testmain.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

namespace {

const QStringList StoredKeys{QStringLiteral("addressGroupList"), QStringLiteral("addressList"),
                             QStringLiteral("comment"),          QStringLiteral("dateOfBirth"),
                             QStringLiteral("emailGroupList"),   QStringLiteral("emailList"),
                             QStringLiteral("isFavorite"),       QStringLiteral("linkList"),
                             QStringLiteral("middlename"),       QStringLiteral("name"),
                             QStringLiteral("organization"),     QStringLiteral("phoneGroupList"),
                             QStringLiteral("phoneList"),        QStringLiteral("surname")};

QString settingsFile()
{
    return QSettings().fileName();
}

// The keys of the settings file as written on disk once the event loop has
// run ("section/key" with the INI file's backslashes read as group
// separators), read without QSettings so that its in-process cache cannot
// hide a missing write.
QMap<QString, QString> keysOnDisk()
{
    QCoreApplication::processEvents();
    QMap<QString, QString> keys;
    QFile file(settingsFile());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return keys;
    }
    QString section;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2);
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            continue;
        }
        QString key = line.left(equals);
        key.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (section != QLatin1String("General")) {
            key.prepend(section + QLatin1Char('/'));
        }
        keys.insert(key, line.mid(equals + 1));
    }
    return keys;
}

// The key names directly inside one group on disk.
QStringList keysOfGroup(const QString &group)
{
    QStringList result;
    const QStringList all = keysOnDisk().keys();
    for (const QString &key : all) {
        if (key.startsWith(group + QLatin1Char('/'))) {
            result << key.mid(group.size() + 1);
        }
    }
    return result;
}

std::unique_ptr<Contact> makeContact(const QString &id, const QString &name)
{
    auto contact = std::make_unique<Contact>(nullptr);
    contact->id = id;
    contact->name = name;
    return contact;
}

QString writeImage(const QString &dir, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString path = dir + QStringLiteral("/image_%1x%2.png").arg(width).arg(height);
    return image.save(path, "PNG") ? path : QString();
}

QStringList ids(const QList<Contact *> &contacts)
{
    QStringList result;
    for (const Contact *contact : contacts) {
        result << contact->id;
    }
    return result;
}

} // namespace

// The settings-file store: its layout in the settings file, photos, and
// groups that are written but never loaded.
class tst_DefaultDatabase : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void emptyFileLoadsNothing();
    void insertWritesTheFourteenKeys();
    void roundTripsAllFields();
    void photoKeyOnlyAfterPhoto();
    void updateKeepsPhoto();
    void removeContactsRemovesGroupWithPhoto();
    void removeContactsNeverTouchesOtherGroups_data();
    void removeContactsNeverTouchesOtherGroups();
    void toggleFavoriteTwiceRestoresMark();
    void toggleFavoriteOfUnknownIdLeavesUnloadedGroup();
    void namelessGroupsAreSkippedButKept();
    void photoIsScaled_data();
    void photoIsScaled();
    void unreadableImageKeepsEarlierPhoto();
    void importedPhotoIsNormalized();
    void changesReachFileWhenEventLoopRuns();

private:
    QTemporaryDir m_files;
};

void tst_DefaultDatabase::init()
{
    QSettings settings;
    settings.clear();
    settings.setValue(QStringLiteral("sortRole"), 262);
    settings.sync();
}

void tst_DefaultDatabase::emptyFileLoadsNothing()
{
    QFile::remove(settingsFile());
    DefaultDatabase store;
    QVERIFY(store.open(QString()));
    QVERIFY(store.loadContacts().isEmpty());
    QVERIFY(store.loadPhoto(QStringLiteral("17")).isEmpty());
}

void tst_DefaultDatabase::insertWritesTheFourteenKeys()
{
    {
        DefaultDatabase store;
        store.insertContact(makeContact(QStringLiteral("17"), QStringLiteral("Anna")).get());
    }
    QCOMPARE(keysOfGroup(QStringLiteral("contacts")).size(), StoredKeys.size());
    QStringList keys = keysOfGroup(QStringLiteral("contacts/17"));
    keys.sort();
    QCOMPARE(keys, StoredKeys);
    QCOMPARE(keysOnDisk().value(QStringLiteral("sortRole")), QStringLiteral("262"));

    DefaultDatabase store;
    const QList<Contact *> contacts = store.loadContacts();
    QCOMPARE(contacts.size(), 1);
    QCOMPARE(contacts.first()->id, QStringLiteral("17"));
    QCOMPARE(contacts.first()->fullname, QStringLiteral("Anna"));
    QCOMPARE(contacts.first()->parent(), &store);
}

void tst_DefaultDatabase::roundTripsAllFields()
{
    Contact contact(nullptr);
    contact.id = QStringLiteral("1733500000123");
    contact.isFavorite = true;
    contact.name = QStringLiteral("Анна");
    contact.surname = QStringLiteral("Smith");
    contact.middlename = QStringLiteral("Ивановна");
    contact.fullname = QStringLiteral("Dr. Anna Smith");
    contact.organization = QStringLiteral("ACME, \"Labs\"; =x");
    contact.dateOfBirth = QStringLiteral("01.02.1990");
    contact.comment = QStringLiteral("line one\nline two\\");
    contact.phoneList = QStringList{QStringLiteral("+1 555 0100"), QString(), QStringLiteral("3")};
    contact.phoneGroupList =
            QStringList{QStringLiteral("Mobile"), QStringLiteral("Home"), QStringLiteral("Work")};
    contact.emailList = QStringList{QStringLiteral("anna@example.org")};
    contact.emailGroupList = QStringList{QStringLiteral("Home, sweet")};
    contact.addressList = QStringList{QStringLiteral("1 Main St, Springfield")};
    contact.addressGroupList = QStringList{QStringLiteral("Home")};
    contact.linkList = QStringList{QStringLiteral("https://example.org/?a=1&b=2")};
    {
        DefaultDatabase store;
        store.insertContact(&contact);
    }

    DefaultDatabase store;
    const QList<Contact *> contacts = store.loadContacts();
    QCOMPARE(contacts.size(), 1);
    const Contact *loaded = contacts.first();
    QCOMPARE(loaded->id, contact.id);
    QCOMPARE(loaded->isFavorite, true);
    QCOMPARE(loaded->name, contact.name);
    QCOMPARE(loaded->surname, contact.surname);
    QCOMPARE(loaded->middlename, contact.middlename);
    QCOMPARE(loaded->fullname, QStringLiteral("Smith Анна Ивановна"));
    QCOMPARE(loaded->organization, contact.organization);
    QCOMPARE(loaded->dateOfBirth, contact.dateOfBirth);
    QCOMPARE(loaded->comment, contact.comment);
    QCOMPARE(loaded->phoneList, (QStringList{"+1 555 0100", "", "3"}));
    QCOMPARE(loaded->phoneGroupList, contact.phoneGroupList);
    QCOMPARE(loaded->emailList, contact.emailList);
    QCOMPARE(loaded->emailGroupList, contact.emailGroupList);
    QCOMPARE(loaded->addressList, contact.addressList);
    QCOMPARE(loaded->addressGroupList, contact.addressGroupList);
    QCOMPARE(loaded->linkList, contact.linkList);
    QVERIFY(loaded->photoData.isEmpty());
}

void tst_DefaultDatabase::photoKeyOnlyAfterPhoto()
{
    const QString image = writeImage(m_files.path(), 10, 10);
    DefaultDatabase store;
    store.insertContact(makeContact(QStringLiteral("17"), QStringLiteral("Anna")).get());
    QVERIFY(!keysOfGroup(QStringLiteral("contacts/17")).contains(QStringLiteral("photoData")));
    QVERIFY(store.loadPhoto(QStringLiteral("17")).isEmpty());

    store.savePhoto(QStringLiteral("17"), image);
    QStringList keys = keysOfGroup(QStringLiteral("contacts/17"));
    keys.sort();
    QStringList expected = StoredKeys;
    expected << QStringLiteral("photoData");
    expected.sort();
    QCOMPARE(keys, expected);
    QCOMPARE(QImage::fromData(DefaultDatabase().loadPhoto(QStringLiteral("17")), "PNG").size(),
             QSize(10, 10));
}

void tst_DefaultDatabase::updateKeepsPhoto()
{
    const QString image = writeImage(m_files.path(), 10, 10);
    auto contact = makeContact(QStringLiteral("17"), QStringLiteral("Anna"));
    DefaultDatabase store;
    store.insertContact(contact.get());
    store.savePhoto(contact->id, image);
    const QByteArray photo = store.loadPhoto(contact->id);
    QVERIFY(!photo.isEmpty());

    contact->name = QStringLiteral("Maria");
    contact->phoneList = QStringList{QStringLiteral("1")};
    store.updateContact(contact.get());

    DefaultDatabase reopened;
    QCOMPARE(reopened.loadPhoto(contact->id), photo);
    const QList<Contact *> contacts = reopened.loadContacts();
    QCOMPARE(contacts.size(), 1);
    QCOMPARE(contacts.first()->name, QStringLiteral("Maria"));
    QCOMPARE(contacts.first()->phoneList, QStringList{QStringLiteral("1")});
}

void tst_DefaultDatabase::removeContactsRemovesGroupWithPhoto()
{
    const QString image = writeImage(m_files.path(), 10, 10);
    DefaultDatabase store;
    for (int i = 1; i <= 4; ++i) {
        store.insertContact(
                makeContact(QString::number(i), QStringLiteral("Name %1").arg(i)).get());
        store.savePhoto(QString::number(i), image);
    }
    store.removeContacts(QStringList{"4", "2", "77"});

    QVERIFY(keysOfGroup(QStringLiteral("contacts/2")).isEmpty());
    QVERIFY(keysOfGroup(QStringLiteral("contacts/4")).isEmpty());
    QVERIFY(keysOfGroup(QStringLiteral("contacts/3")).contains(QStringLiteral("photoData")));
    QVERIFY(store.loadPhoto(QStringLiteral("2")).isEmpty());
    QStringList loaded = ids(DefaultDatabase().loadContacts());
    loaded.sort();
    QCOMPARE(loaded, (QStringList{"1", "3"}));
}

void tst_DefaultDatabase::removeContactsNeverTouchesOtherGroups_data()
{
    QTest::addColumn<QStringList>("ids");

    QTest::newRow("empty list") << QStringList();
    QTest::newRow("empty id") << QStringList{QString()};
    QTest::newRow("id with a separator") << QStringList{QStringLiteral("1/name")};
    QTest::newRow("unknown id") << QStringList{QStringLiteral("5")};
}

void tst_DefaultDatabase::removeContactsNeverTouchesOtherGroups()
{
    QFETCH(QStringList, ids);

    DefaultDatabase store;
    store.insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    store.insertContact(makeContact(QStringLiteral("2"), QStringLiteral("Boris")).get());
    const QMap<QString, QString> before = keysOnDisk();

    store.removeContacts(ids);
    QCOMPARE(keysOnDisk(), before);
}

void tst_DefaultDatabase::toggleFavoriteTwiceRestoresMark()
{
    DefaultDatabase store;
    store.insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    store.toggleFavorite(QStringLiteral("1"));
    QCOMPARE(DefaultDatabase().loadContacts().first()->isFavorite, true);
    store.toggleFavorite(QStringLiteral("1"));
    QCOMPARE(DefaultDatabase().loadContacts().first()->isFavorite, false);
}

void tst_DefaultDatabase::toggleFavoriteOfUnknownIdLeavesUnloadedGroup()
{
    DefaultDatabase store;
    store.insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    store.toggleFavorite(QStringLiteral("5"));

    QCOMPARE(keysOfGroup(QStringLiteral("contacts/5")), QStringList{QStringLiteral("isFavorite")});
    QCOMPARE(keysOnDisk().value(QStringLiteral("contacts/5/isFavorite")), QStringLiteral("true"));
    QCOMPARE(ids(DefaultDatabase().loadContacts()), QStringList{QStringLiteral("1")});
}

void tst_DefaultDatabase::namelessGroupsAreSkippedButKept()
{
    auto nameless = makeContact(QStringLiteral("2"), QStringLiteral(" \t"));
    nameless->organization = QStringLiteral("ACME");
    DefaultDatabase store;
    store.insertContact(nameless.get());
    store.insertContact(makeContact(QStringLiteral("3"), QStringLiteral("Anna")).get());

    QCOMPARE(ids(DefaultDatabase().loadContacts()), QStringList{QStringLiteral("3")});
    QCOMPARE(keysOfGroup(QStringLiteral("contacts/2")).size(), StoredKeys.size());
}

void tst_DefaultDatabase::photoIsScaled_data()
{
    QTest::addColumn<QSize>("original");
    QTest::addColumn<QSize>("stored");

    QTest::newRow("wide") << QSize(1000, 500) << QSize(400, 200);
    QTest::newRow("tall") << QSize(500, 1000) << QSize(200, 400);
    QTest::newRow("square") << QSize(600, 600) << QSize(400, 400);
    QTest::newRow("small") << QSize(300, 200) << QSize(300, 200);
}

void tst_DefaultDatabase::photoIsScaled()
{
    QFETCH(QSize, original);
    QFETCH(QSize, stored);

    DefaultDatabase store;
    store.insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    store.savePhoto(QStringLiteral("1"),
                    writeImage(m_files.path(), original.width(), original.height()));
    const QByteArray photo = DefaultDatabase().loadPhoto(QStringLiteral("1"));
    QVERIFY(photo.startsWith("\x89PNG\r\n"));
    QCOMPARE(QImage::fromData(photo, "PNG").size(), stored);
}

void tst_DefaultDatabase::unreadableImageKeepsEarlierPhoto()
{
    const QString text = m_files.path() + QStringLiteral("/notes.txt");
    {
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("This is not an image.\n");
    }
    DefaultDatabase store;
    store.insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    store.savePhoto(QStringLiteral("1"), writeImage(m_files.path(), 30, 20));
    const QByteArray photo = store.loadPhoto(QStringLiteral("1"));
    QCOMPARE(QImage::fromData(photo).size(), QSize(30, 20));

    store.savePhoto(QStringLiteral("1"), text);
    store.savePhoto(QStringLiteral("1"), QString());
    QCOMPARE(DefaultDatabase().loadPhoto(QStringLiteral("1")), photo);
}

void tst_DefaultDatabase::importedPhotoIsNormalized()
{
    QImage image(500, 1000, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(image.save(&buffer, "BMP"));

    auto withPhoto = makeContact(QStringLiteral("1"), QStringLiteral("Anna"));
    withPhoto->photoData = bmp.toBase64();
    auto withGarbage = makeContact(QStringLiteral("2"), QStringLiteral("Boris"));
    withGarbage->photoData = QByteArray("no image").toBase64();
    DefaultDatabase store;
    store.insertContact(withPhoto.get());
    store.insertContact(withGarbage.get());

    const QByteArray photo = DefaultDatabase().loadPhoto(QStringLiteral("1"));
    QVERIFY(photo.startsWith("\x89PNG\r\n"));
    QCOMPARE(QImage::fromData(photo, "PNG").size(), QSize(200, 400));
    QVERIFY(!keysOfGroup(QStringLiteral("contacts/2")).contains(QStringLiteral("photoData")));
}

void tst_DefaultDatabase::changesReachFileWhenEventLoopRuns()
{
    const QString nameKey = QStringLiteral("contacts/17/name");
    auto store = std::make_unique<DefaultDatabase>();
    store->insertContact(makeContact(QStringLiteral("17"), QStringLiteral("Anna")).get());
    // Other settings objects of the process see the change at once ...
    QCOMPARE(QSettings().value(nameKey).toString(), QStringLiteral("Anna"));
    // ... and the file gets it when the event loop runs.
    QCOMPARE(keysOnDisk().value(nameKey), QStringLiteral("Anna"));

    store->toggleFavorite(QStringLiteral("17"));
    store.reset();
    QFile file(settingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("17\\isFavorite=true"));
}

KIV_TEST_GUILESS_MAIN(tst_DefaultDatabase)
#include "tst_defaultdatabase.moc"

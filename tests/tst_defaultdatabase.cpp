#include "record/contact.h"
#include "storage/defaultdatabase.h"
#include "testsupport.h"

#include <QGuiApplication>
#include <QSettings>

// What only the settings-file store does: its layout in the settings file
// (shared with the earlier program), removal that never reaches other groups,
// and writes that reach the file when the event loop runs. The store contract
// is in tst_store.
namespace {

// The "section/key=value" lines of the file as written on disk, read
// without QSettings so that its in-process cache cannot hide a missing write.
QStringList keysOnDisk(const QString &prefix = QString())
{
    QCoreApplication::processEvents();
    QStringList keys;
    QString section;
    for (QString line : QString::fromUtf8(readFile(QSettings().fileName())).split('\n')) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            section = line.mid(1, line.size() - 2) + QLatin1Char('/');
        } else if (line.contains(QLatin1Char('='))) {
            const QString key = section + line.replace(QLatin1Char('\\'), QLatin1Char('/'));
            if (key.startsWith(prefix)) {
                keys << key.mid(prefix.size());
            }
        }
    }
    keys.sort();
    return keys;
}

} // namespace

class tst_DefaultDatabase : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void writesTheKeysOfTheEarlierProgram();
    void removalNeverTouchesOtherGroups_data();
    void removalNeverTouchesOtherGroups();
    void changesReachFileWhenEventLoopRuns();

private:
    QTemporaryDir m_files;
};

void tst_DefaultDatabase::init()
{
    QSettings settings;
    settings.clear();
    settings.setValue(QStringLiteral("sortRole"), 262);
}

void tst_DefaultDatabase::writesTheKeysOfTheEarlierProgram()
{
    DefaultDatabase store;
    auto contact = makeContact(QStringLiteral("17"), QStringLiteral("Smith Anna"));
    contact->phoneList = QStringList{"1", "2"};
    contact->phoneGroupList = QStringList{"Home", "Work"};
    store.insertContact(contact.get());
    store.savePhoto(contact->id, writeImage(m_files.path(), QSize(2, 2)));
    QStringList keys = keysOnDisk(QStringLiteral("contacts/17/"));
    QCOMPARE(keys.size(), 15);
    QVERIFY(keys.takeAt(13).startsWith(QStringLiteral("photoData=\"@ByteArray(iVBORw0KGgo")));
    QCOMPARE(keys, (QStringList{"addressGroupList=@Invalid()", "addressList=@Invalid()",
                                "comment=", "dateOfBirth=", "emailGroupList=@Invalid()",
                                "emailList=@Invalid()", "isFavorite=false", "linkList=@Invalid()",
                                "middlename=", "name=Anna", "organization=",
                                "phoneGroupList=Home, Work", "phoneList=1, 2", "surname=Smith"}));
    QCOMPARE(keysOnDisk(QStringLiteral("General/")), QStringList{"sortRole=262"});
}

void tst_DefaultDatabase::removalNeverTouchesOtherGroups_data()
{
    QTest::addColumn<QStringList>("ids");
    QTest::newRow("empty list") << QStringList();
    QTest::newRow("empty id") << QStringList{QString()};
    QTest::newRow("id with a separator") << QStringList{QStringLiteral("1/name")};
    QTest::newRow("unknown id") << QStringList{QStringLiteral("5")};
}

void tst_DefaultDatabase::removalNeverTouchesOtherGroups()
{
    QFETCH(QStringList, ids);
    DefaultDatabase store;
    store.insertContact(makeContact(QStringLiteral("1"), QStringLiteral("Anna")).get());
    store.insertContact(makeContact(QStringLiteral("2"), QStringLiteral("Boris")).get());
    const QStringList before = keysOnDisk();
    store.removeContacts(ids);
    QCOMPARE(keysOnDisk(), before);
}

void tst_DefaultDatabase::changesReachFileWhenEventLoopRuns()
{
    auto store = std::make_unique<DefaultDatabase>();
    store->insertContact(makeContact(QStringLiteral("17"), QStringLiteral("Anna")).get());
    // Other settings objects of the process see the change at once ...
    QCOMPARE(QSettings().value(QStringLiteral("contacts/17/name")).toString(),
             QStringLiteral("Anna"));
    // ... and the file gets it when the event loop runs, or when the store goes.
    QVERIFY(keysOnDisk(QStringLiteral("contacts/17/")).contains(QStringLiteral("name=Anna")));
    store->toggleFavorite(QStringLiteral("17"));
    store.reset();
    QVERIFY(readFile(QSettings().fileName()).contains("17\\isFavorite=true"));
}

KIV_TEST_GUILESS_MAIN(tst_DefaultDatabase)
#include "tst_defaultdatabase.moc"

// The address book when its file misbehaves, through the real main scene:
// locked by another program at start or mid-session, on a full or read-only
// file system, or of an older version without the photo column. No change is
// dropped without a message, and the window never waits on the file.

#include "model/contactsmodel.h"
#include "record/contact.h"
#include "scenedriver.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include <memory>
#include <unistd.h>

namespace {

enum class Failure { Busy, FullDisk, ReadOnly };

const QString UnableToSave = QStringLiteral("Unable to save changes: ");

QStringList storedNames()
{
    QStringList names;
    for (const QString &text : SceneDriver::storedTexts()) {
        names << QJsonDocument::fromJson(text.section(QLatin1Char(' '), 1).toUtf8())
                         .object()
                         .value(QLatin1String("fullname"))
                         .toString();
    }
    names.sort();
    return names;
}

// Another program's hold on the database file: an exclusive transaction on a
// connection of its own.
class ForeignLock
{
public:
    ForeignLock()
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name());
        db.setDatabaseName(SqliteDatabase::defaultPath());
        m_locked = db.open() && QSqlQuery(db).exec(QStringLiteral("begin exclusive"));
    }
    ~ForeignLock() { release(); }
    bool isLocked() const { return m_locked; }
    void release()
    {
        if (QSqlDatabase::contains(name())) {
            QSqlDatabase::database(name()).rollback();
            QSqlDatabase::removeDatabase(name());
        }
        m_locked = false;
    }

private:
    static QString name() { return QStringLiteral("foreign"); }
    bool m_locked = false;
};

bool run(const QString &program, const QStringList &arguments)
{
    return QProcess::execute(program, arguments) == 0;
}

QString configDir()
{
    return QDir::homePath() + QStringLiteral("/.config");
}

// Fills the file system of the configuration directory to the last byte.
void fillDisk()
{
    QFile filler(configDir() + QStringLiteral("/filler"));
    filler.open(QIODevice::WriteOnly);
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) { }
}

} // namespace

Q_DECLARE_METATYPE(Failure)

class tst_StoreFailures : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void lockedAtStartIsWaitedFor();
    void failedWriteIsReportedAndKept_data();
    void failedWriteIsReportedAndKept();
    void tableWithoutPhotoColumnStoresContacts();

private:
    QString statusText() const;
    void addContact(const QString &surname);

    std::unique_ptr<SceneDriver> m_scene;
    bool m_mounted = false;
};

void tst_StoreFailures::init()
{
    SceneDriver::resetHome();
    m_scene = std::make_unique<SceneDriver>();
}

void tst_StoreFailures::cleanup()
{
    m_scene.reset();
    if (m_mounted) {
        run(QStringLiteral("umount"), {QStringLiteral("-l"), configDir()});
        m_mounted = false;
    }
    const QStringList warnings = SceneDriver::warnings();
    SceneDriver::clearWarnings();
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
}

QString tst_StoreFailures::statusText() const
{
    QQuickItem *text = m_scene->item(QStringLiteral("storeStatusText"));
    return text && SceneDriver::isShown(text) ? text->property("text").toString() : QString();
}

void tst_StoreFailures::addContact(const QString &surname)
{
    auto *model = qobject_cast<ContactsModel *>(m_scene->object(QStringLiteral("contactsModel")));
    QVERIFY(model);
    const auto contact = makeContact(QString(), surname);
    model->addContact(contact.get(), QString());
    m_scene->eval(QStringLiteral("contactsProxyModel.sort()"));
}

void tst_StoreFailures::lockedAtStartIsWaitedFor()
{
    SceneDriver::storeContacts(QStringLiteral("Adams"));
    ForeignLock lock;
    QVERIFY(lock.isLocked());
    QVERIFY(m_scene->start());
    QTRY_COMPARE(statusText(),
                 QString::fromUtf8("The address book is in use by another program: waiting…"));
    QCOMPARE(m_scene->listedNames(), QStringList());

    lock.release();
    QTRY_COMPARE(m_scene->listedNames(), QStringList{QStringLiteral("Adams")});
    QTRY_COMPARE(statusText(), QString());
}

void tst_StoreFailures::failedWriteIsReportedAndKept_data()
{
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<bool>("curable");
    QTest::newRow("locked mid-session") << Failure::Busy << true;
    QTest::newRow("full disk") << Failure::FullDisk << true;
    QTest::newRow("read-only file system") << Failure::ReadOnly << false;
}

void tst_StoreFailures::failedWriteIsReportedAndKept()
{
    QFETCH(Failure, failure);
    QFETCH(bool, curable);
    if (failure != Failure::Busy) {
        if (::geteuid() != 0) {
            QSKIP("needs root to mount a small file system");
        }
        m_mounted = run(QStringLiteral("mount"),
                        {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                         QStringLiteral("size=256k"), QStringLiteral("tmpfs"), configDir()});
        if (!m_mounted) {
            QSKIP("cannot mount a file system here");
        }
    }
    SceneDriver::storeContacts(QStringLiteral("Adams"));
    if (failure == Failure::ReadOnly) {
        QVERIFY(run(QStringLiteral("mount"),
                    {QStringLiteral("-o"), QStringLiteral("remount,ro"), configDir()}));
    }
    QVERIFY(m_scene->start());
    std::unique_ptr<ForeignLock> lock;
    if (failure == Failure::Busy) {
        lock = std::make_unique<ForeignLock>();
        QVERIFY(lock->isLocked());
    } else if (failure == Failure::FullDisk) {
        fillDisk();
    }

    addContact(QStringLiteral("Brown"));
    QTRY_VERIFY2(statusText().startsWith(UnableToSave), qPrintable(statusText()));
    // The change stays in the list, and the window keeps drawing frames.
    QCOMPARE(m_scene->listedNames(),
             (QStringList{QStringLiteral("Adams"), QStringLiteral("Brown")}));
    QSignalSpy frames(m_scene->window(), &QQuickWindow::frameSwapped);
    for (const char *colour : {"#fefefe", "white", "#fefefe"}) {
        const int before = frames.count();
        m_scene->rootItem()->setProperty("color", QColor(colour));
        QTRY_VERIFY(frames.count() > before);
    }

    if (curable) {
        lock.reset();
        QFile::remove(configDir() + QStringLiteral("/filler"));
        QVERIFY(m_scene->click(QStringLiteral("storeRetryButton")) || statusText().isEmpty());
        QTRY_COMPARE(statusText(), QString());
    }
    m_scene->stop();
    QVERIFY(m_scene->start());
    QStringList listed = m_scene->listedNames();
    listed.sort();
    QCOMPARE(listed, storedNames());
    QCOMPARE(listed.contains(QStringLiteral("Brown")), curable);
}

void tst_StoreFailures::tableWithoutPhotoColumnStoresContacts()
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "old");
        db.setDatabaseName(SqliteDatabase::defaultPath());
        QVERIFY(db.open());
        QVERIFY(QSqlQuery(db).exec(QStringLiteral(
                "create table contact (id bigint primary key, name text, surname text, "
                "middlename text, isFavorite integer, organization text, dateOfBirth text, "
                "comment text, phoneList text, phoneGroupList text, emailList text, "
                "emailGroupList text, addressList text, addressGroupList text, linkList text)")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("old"));
    QVERIFY(m_scene->start());
    addContact(QStringLiteral("Clark"));
    auto *model = qobject_cast<ContactsModel *>(m_scene->object(QStringLiteral("contactsModel")));
    model->savePhoto(model->index(0), SceneDriver::writePicture(QStringLiteral("p.png"), Qt::red));
    const QString id = model->index(0).data(ContactsModel::IdRole).toString();
    m_scene->stop();
    QCOMPARE(storedNames(), QStringList{QStringLiteral("Clark")});
    QVERIFY(!SceneDriver::storedPhoto(id).isEmpty());
}

KIV_TEST_MAIN(tst_StoreFailures)
#include "tst_storefailures.moc"

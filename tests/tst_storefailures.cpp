// A locked, full, read-only or old database file: no silent loss, no waiting window.

#include "model/contactsmodel.h"
#include "record/contact.h"
#include "scenedriver.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QProcess>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <unistd.h>

namespace {

// A statement on an own connection to the database, kept (with its lock) until release().
bool foreign(const QString &sql)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "foreign");
    db.setDatabaseName(SqliteDatabase::defaultPath());
    return db.open() && QSqlQuery(db).exec(sql);
}

void release()
{
    if (QSqlDatabase::contains("foreign")) {
        QSqlDatabase::database("foreign").rollback();
        QSqlDatabase::removeDatabase("foreign");
    }
}

bool run(const QString &arguments)
{
    return QProcess::execute(QStringLiteral("sh"), {"-c", arguments}) == 0;
}

QString config()
{
    return QDir::homePath() + QStringLiteral("/.config");
}

} // namespace

class tst_StoreFailures : public SceneTest
{
    Q_OBJECT

private slots:
    void cleanup();
    void lockedAtStartIsWaitedFor();
    void failedWriteIsReportedAndKept_data();
    void failedWriteIsReportedAndKept();
    void tableWithoutPhotoColumnStoresContacts();
    void quitWithLockedFileAsks();

private:
    QString statusText() const;
    QString messageText() const;
    ContactsModel *addContact(const QString &surname);
    QStringList stored() const;
};

void tst_StoreFailures::cleanup()
{
    SceneTest::cleanup();
    release();
    run("mountpoint -q " + config() + " && umount -l " + config());
}

QString tst_StoreFailures::statusText() const
{
    QQuickItem *text = m_scene->item(QStringLiteral("storeStatusText"));
    return text && SceneDriver::isShown(text) ? text->property("text").toString() : QString();
}

QString tst_StoreFailures::messageText() const
{
    return m_scene->waitShown(QStringLiteral("messageForm"))
                   ? m_scene->item(QStringLiteral("messageText"))->property("text").toString()
                   : QString();
}

ContactsModel *tst_StoreFailures::addContact(const QString &surname)
{
    auto *model = qobject_cast<ContactsModel *>(m_scene->object(QStringLiteral("contactsModel")));
    model->addContact(makeContact(QString(), surname).get(), QString());
    m_scene->eval(QStringLiteral("contactsProxyModel.sort()"));
    return model;
}

// The stored full names, sorted.
QStringList tst_StoreFailures::stored() const
{
    QStringList names;
    for (const Contact *contact : SceneDriver::storedContacts()) {
        names << contact->fullname;
        delete contact;
    }
    names.sort();
    return names;
}

void tst_StoreFailures::lockedAtStartIsWaitedFor()
{
    SceneDriver::storeContacts(QStringLiteral("Adams"));
    QVERIFY(foreign(QStringLiteral("begin exclusive")));
    QVERIFY(m_scene->start());
    QTRY_COMPARE(statusText(),
                 QString::fromUtf8("The address book is in use by another program: waiting…"));
    QCOMPARE(m_scene->listedNames(), QStringList());
    release();
    QTRY_COMPARE(m_scene->listedNames(), QStringList{QStringLiteral("Adams")});
    QTRY_COMPARE(statusText(), QString());
}

void tst_StoreFailures::failedWriteIsReportedAndKept_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<bool>("curable");
    addRowsFromFile(TEST_DATA_DIR "/scenes/store-failures.jsonl", "ST");
}

void tst_StoreFailures::failedWriteIsReportedAndKept()
{
    QFETCH(QString, failure);
    QFETCH(bool, curable);
    if (failure != QLatin1String("locked")
        && (::geteuid() != 0 || !run("mount -t tmpfs -o size=256k tmpfs " + config())))
        QSKIP("needs root to mount a small file system");
    SceneDriver::storeContacts(QStringLiteral("Adams"));
    if (failure == QLatin1String("read-only"))
        QVERIFY(run("mount -o remount,ro " + config()));
    QVERIFY(m_scene->start());
    if (failure == QLatin1String("locked"))
        QVERIFY(foreign(QStringLiteral("begin exclusive")));
    else if (failure == QLatin1String("full"))
        run("cat /dev/zero > " + config() + "/filler");

    addContact(QStringLiteral("Brown"));
    QTRY_VERIFY2(statusText().startsWith("Unable to save changes: "), qPrintable(statusText()));
    // The change stays in the list, and the window keeps drawing frames.
    QCOMPARE(m_scene->listedNames(), (QStringList{"Adams", "Brown"}));
    QSignalSpy frames(m_scene->window(), &QQuickWindow::frameSwapped);
    for (const char *colour : {"#fefefe", "white", "#fefefe"}) {
        const int before = frames.count();
        m_scene->rootItem()->setProperty("color", QColor(colour));
        QTRY_VERIFY(frames.count() > before);
    }
    if (curable) {
        release();
        QFile::remove(config() + QStringLiteral("/filler"));
        QVERIFY(m_scene->click(QStringLiteral("storeRetryButton")) || statusText().isEmpty());
        QTRY_COMPARE(statusText(), QString());
    }
    m_scene->stop();
    QVERIFY(m_scene->start());
    QStringList listed = m_scene->listedNames();
    listed.sort();
    QCOMPARE(listed, stored());
    QCOMPARE(listed.contains(QStringLiteral("Brown")), curable);
}

void tst_StoreFailures::tableWithoutPhotoColumnStoresContacts()
{
    QVERIFY(foreign(QStringLiteral(
            "create table contact (id bigint primary key, name text, surname text, "
            "middlename text, isFavorite integer, organization text, dateOfBirth text, "
            "comment text, phoneList text, phoneGroupList text, emailList text, "
            "emailGroupList text, addressList text, addressGroupList text, linkList text)")));
    release();
    QVERIFY(m_scene->start());
    ContactsModel *model = addContact(QStringLiteral("Clark"));
    model->savePhoto(model->index(0), SceneDriver::writePicture(QStringLiteral("p.png"), Qt::red));
    const QString id = model->index(0).data(ContactsModel::IdRole).toString();
    m_scene->stop();
    QCOMPARE(stored(), QStringList{QStringLiteral("Clark")});
    QVERIFY(!SceneDriver::storedPhoto(id).isEmpty());
}

// Closing while writes wait for a locked file asks (the count grows with the
// changes); Keep waiting keeps the window, Quit loses them, and the next start
// tells so once.
void tst_StoreFailures::quitWithLockedFileAsks()
{
    SceneDriver::storeContacts(QStringLiteral("Adams"));
    QVERIFY(m_scene->start());
    QVERIFY(foreign(QStringLiteral("begin exclusive")));
    ContactsModel *model = addContact(QStringLiteral("Brown"));
    QTRY_VERIFY(!statusText().isEmpty());
    const QString question("Changes to %1 contact(s) could not be saved yet: "
                           "the address book is in use by another program");
    QVERIFY(!m_scene->window()->close());
    QCOMPARE(messageText(), question.arg(1));
    QCOMPARE(m_scene->item("messageCancelButton")->property("buttonText"), "Keep waiting");
    QVERIFY(m_scene->click(QStringLiteral("messageCancelButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("messageForm")));
    QVERIFY(m_scene->window()->isVisible());

    model->toggleFavorite(model->match(model->index(0), ContactsModel::FullNameRole, "Adams")[0]);
    addContact(QStringLiteral("Clark"));
    QVERIFY(!m_scene->window()->close());
    QCOMPARE(messageText(), question.arg(3));
    QVERIFY(m_scene->click(QStringLiteral("messageOkButton")));
    QTRY_VERIFY(!m_scene->window()->isVisible());
    m_scene->stop();
    release();
    QCOMPARE(stored(), QStringList{QStringLiteral("Adams")});

    for (const QString &told : {QStringLiteral("Changes to 3 contact(s) were not saved when Kiv "
                                               "Contacts was last closed.\nAdded or edited: "
                                               "Brown, Clark"),
                                QString()}) {
        QVERIFY(m_scene->start());
        QCOMPARE(m_scene->item("messageForm")->property("opened").toBool() ? messageText()
                                                                           : QString(),
                 told);
    }
}

KIV_TEST_MAIN(tst_StoreFailures)
#include "tst_storefailures.moc"

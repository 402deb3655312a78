#include "importexport/importexport.h"
#include "model/contactsmodel.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include "testmain.h"

#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The import half of the backend: parsing, the contact list and the import
// signals.
class tst_ImportExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void parsingWithoutFileFindsNothing();
    void parsingUnsupportedTypeReportsIt();
    void reparsingWithAnotherCodecReplacesList();
    void importWithNothingTickedEmitsNothing();
    void importEmitsSignalsInOrder();
    void importLetsEventLoopRunButNotPerContact();
    void parsedContactsAreReleasedWithBackend();
    void importedContactsReachTheStore();

private:
    QString writeFile(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_dir;
};

void tst_ImportExport::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString tst_ImportExport::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        return QString();
    }
    return path;
}

void tst_ImportExport::parsingWithoutFileFindsNothing()
{
    ImportExport backend;
    QSignalSpy errors(&backend, &ImportExport::error);
    QSignalSpy completed(&backend, &ImportExport::parsingCompleted);
    QSignalSpy changed(&backend, &ImportExport::contactsChanged);
    backend.parseContactsFromFile();
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().first().toString(), QStringLiteral("Can't find any contacts in file."));
    QCOMPARE(completed.count(), 0);
    QCOMPARE(changed.count(), 2);
    QVERIFY(backend.contacts().isEmpty());
}

void tst_ImportExport::parsingUnsupportedTypeReportsIt()
{
    ImportExport backend;
    QSignalSpy errors(&backend, &ImportExport::error);
    backend.parseContactsFromFile(QStringLiteral("UTF-8"),
                                  writeFile(QStringLiteral("notes.txt"), "just text\n"));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().first().toString(),
             QStringLiteral("Unsupported file type: text/plain"));
}

void tst_ImportExport::reparsingWithAnotherCodecReplacesList()
{
    const QByteArray cp1251("First Name,Last Name\n\xC0\xED\xED\xE0,Smith\n");
    const QString path = writeFile(QStringLiteral("cp1251.csv"), cp1251);
    ImportExport backend;
    QSignalSpy completed(&backend, &ImportExport::parsingCompleted);
    backend.parseContactsFromFile(QStringLiteral("UTF-8"), path);
    QCOMPARE(completed.count(), 1);
    QCOMPARE(backend.contacts().size(), 1);
    // A new file's 8-bit text is read in the encoding detected for it.
    QPointer<Contact> first = backend.contacts().first().value<Contact *>();
    QCOMPARE(first->name, QString::fromUtf8("Анна"));

    QSignalSpy changed(&backend, &ImportExport::contactsChanged);
    QList<int> sizes;
    connect(&backend, &ImportExport::contactsChanged, this,
            [&] { sizes.append(backend.contacts().size()); });
    backend.parseContactsFromFile(QStringLiteral("UTF-8"));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(sizes, (QList<int>{0, 1}));
    QCOMPARE(completed.count(), 2);
    QVERIFY(backend.contacts().first().value<Contact *>()->name != QString::fromUtf8("Анна"));
    // The list of the first parse is released.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
}

void tst_ImportExport::importWithNothingTickedEmitsNothing()
{
    const QString path = writeFile(QStringLiteral("two.csv"), "First Name\nAnna\nBob\n");
    ImportExport backend;
    backend.parseContactsFromFile(QStringLiteral("UTF-8"), path);
    QCOMPARE(backend.contacts().size(), 2);
    QList<QPointer<Contact>> parsed;
    for (const QVariant &value : backend.contacts()) {
        Contact *contact = value.value<Contact *>();
        contact->importMe = false;
        parsed.append(contact);
    }
    QSignalSpy started(&backend, &ImportExport::importContactStarted);
    QSignalSpy imported(&backend, &ImportExport::importContact);
    QSignalSpy progress(&backend, &ImportExport::importContactProgress);
    QSignalSpy ended(&backend, &ImportExport::importContactEnded);
    QSignalSpy changed(&backend, &ImportExport::contactsChanged);
    QCOMPARE(backend.importParsedContacts(), false);
    QCOMPARE(started.count() + imported.count() + progress.count() + ended.count(), 0);
    QCOMPARE(changed.count(), 0);
    QVERIFY(backend.contacts().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<Contact> &contact : parsed) {
        QVERIFY(contact.isNull());
    }
}

void tst_ImportExport::importEmitsSignalsInOrder()
{
    const QString path =
            writeFile(QStringLiteral("four.csv"), "First Name\nAnna\nBob\nCleo\nDan\n");
    ImportExport backend;
    backend.parseContactsFromFile(QStringLiteral("UTF-8"), path);
    QCOMPARE(backend.contacts().size(), 4);
    backend.contacts().at(1).value<Contact *>()->importMe = false;

    QStringList log;
    connect(&backend, &ImportExport::importContactStarted, this,
            [&](int n) { log << QStringLiteral("started %1").arg(n); });
    connect(&backend, &ImportExport::importContact, this,
            [&](Contact *c) { log << QStringLiteral("contact ") + c->name; });
    connect(&backend, &ImportExport::importContactProgress, this,
            [&](int p) { log << QStringLiteral("progress %1").arg(p); });
    connect(&backend, &ImportExport::importContactEnded, this, [&] { log << "ended"; });
    QSignalSpy changed(&backend, &ImportExport::contactsChanged);

    QVERIFY(backend.importParsedContacts());
    QCOMPARE(log, (QStringList{"started 3", "contact Anna", "progress 1", "contact Cleo",
                               "progress 2", "contact Dan", "progress 3", "ended"}));
    QCOMPARE(changed.count(), 0);
    QVERIFY(backend.contacts().isEmpty());
}

void tst_ImportExport::importLetsEventLoopRunButNotPerContact()
{
    QByteArray csv("First Name\n");
    for (int i = 0; i < 3000; ++i) {
        csv += "N" + QByteArray::number(i) + "\n";
    }
    const QString path = writeFile(QStringLiteral("many.csv"), csv);
    ImportExport backend;
    backend.parseContactsFromFile(QStringLiteral("UTF-8"), path);
    QCOMPARE(backend.contacts().size(), 3000);

    // A queued call runs only when the loop lets the event loop turn. Each
    // contact takes 1 ms here, so the loop must turn during the import but
    // far less often than once per contact.
    int turns = 0;
    // The queued calls go to an object of this test, so they end with it.
    QObject context;
    std::function<void()> repost;
    repost = [&] {
        ++turns;
        QMetaObject::invokeMethod(&context, repost, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(&context, repost, Qt::QueuedConnection);
    int count = 0;
    connect(&backend, &ImportExport::importContact, this, [&](Contact *) {
        ++count;
        if (count <= 300) {
            QTest::qSleep(1);
        }
    });
    QVERIFY(backend.importParsedContacts());
    QCOMPARE(count, 3000);
    QVERIFY2(turns >= 3 && turns <= 60, qPrintable(QString::number(turns)));
}

void tst_ImportExport::parsedContactsAreReleasedWithBackend()
{
    const QString path = writeFile(QStringLiteral("one.csv"), "First Name\nAnna\n");
    QPointer<Contact> contact;
    {
        ImportExport backend;
        backend.parseContactsFromFile(QStringLiteral("UTF-8"), path);
        contact = backend.contacts().first().value<Contact *>();
        QVERIFY(contact);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(contact.isNull());
}

void tst_ImportExport::importedContactsReachTheStore()
{
    const QString path =
            writeFile(QStringLiteral("store.csv"),
                      QString::fromUtf8("First Name,Last Name,Mobile Phone,Categories\n"
                                        "Анна,Иванова,+7 916 1,Marked\n"
                                        "Bob,Brown,,\n"
                                        "Cleo,Stone,555,\n")
                              .toUtf8());
    const QString storeFile = m_dir.filePath(QStringLiteral("contacts.sqlite"));
    SqliteDatabase store;
    QVERIFY(store.open(storeFile));
    ContactsModel model;
    model.setDataBase(&store);
    model.loadModel();
    QCOMPARE(model.rowCount(), 0);

    ImportExport backend;
    // As the main scene wires it.
    connect(&backend, &ImportExport::importContact, &model,
            [&](Contact *contact) { model.addContact(contact, QString()); });
    backend.parseContactsFromFile(QStringLiteral("UTF-8"), path);
    QCOMPARE(backend.contacts().size(), 3);
    backend.contacts().at(1).value<Contact *>()->importMe = false;
    QVERIFY(backend.importParsedContacts());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(model.rowCount(), 2);

    SqliteDatabase reopened;
    QVERIFY(reopened.open(storeFile));
    const QList<Contact *> stored = reopened.loadContacts();
    QStringList names;
    QSet<QString> ids;
    for (Contact *contact : stored) {
        names << contact->fullname;
        ids.insert(contact->id);
        if (contact->name == QString::fromUtf8("Анна")) {
            QVERIFY(contact->isFavorite);
            QCOMPARE(contact->phoneList, QStringList{"+7 916 1"});
            QCOMPARE(contact->phoneGroupList, QStringList{"Mobile"});
        }
    }
    qDeleteAll(stored);
    names.sort();
    QCOMPARE(names, (QStringList{"Stone Cleo", QString::fromUtf8("Иванова Анна")}));
    QCOMPARE(ids.size(), 2);
}

KIV_TEST_GUILESS_MAIN(tst_ImportExport)
#include "tst_importexport.moc"

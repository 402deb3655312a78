#include "importexport/importexport.h"
#include "record/contact.h"
#include "testsupport.h"

#include <QGuiApplication>
#include <QPointer>
#include <QSignalSpy>

// The import half of the backend: parsing, re-parsing in another codec,
// the import's signals and its turns of the event loop. Parsing itself is
// tst_parsers'; the store at the end is driven by the forms scene test.
class tst_ImportExport : public QObject
{
    Q_OBJECT

private slots:
    void importEmitsSignalsInOrder_data();
    void importEmitsSignalsInOrder();
    void reparsingReplacesAndReleasesList();
    void importLetsEventLoopRunButNotPerContact();

private:
    QTemporaryDir m_dir;
};

void tst_ImportExport::importEmitsSignalsInOrder_data()
{
    QTest::addColumn<QString>("unticked");
    QTest::addColumn<QString>("log");
    QTest::newRow("one unticked") << "1"
                                  << "started(3), Anna(), progress(1), Cleo(), progress(2), "
                                     "Dan(), progress(3), ended()";
    QTest::newRow("nothing ticked") << "0123"
                                    << "";
}

void tst_ImportExport::importEmitsSignalsInOrder()
{
    QFETCH(QString, unticked);
    ImportExport backend;
    SignalLog log;
    log.watch(&backend, &ImportExport::importContactStarted, QStringLiteral("started"));
    connect(&backend, &ImportExport::importContact, this,
            [&](Contact *c) { log.append(c->name, {}); });
    log.watch(&backend, &ImportExport::importContactProgress, QStringLiteral("progress"));
    log.watch(&backend, &ImportExport::importContactEnded, QStringLiteral("ended"));
    backend.parseContactsFromFile(
            QStringLiteral("UTF-8"),
            writeFile(m_dir.filePath("four.csv"), "First Name\nAnna\nBob\nCleo\nDan\n"));
    QList<QPointer<Contact>> parsed;
    for (const QVariant &value : backend.contacts()) {
        parsed << value.value<Contact *>();
        parsed.last()->importMe = !unticked.contains(QString::number(parsed.size() - 1));
    }
    QSignalSpy changed(&backend, &ImportExport::contactsChanged);
    QCOMPARE(backend.importParsedContacts(), unticked.size() < 4);
    QTEST(log.entries.join(QStringLiteral(", ")), "log");
    QCOMPARE(changed.count(), 0);
    QVERIFY(backend.contacts().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(std::all_of(parsed.cbegin(), parsed.cend(), [](auto &c) { return c.isNull(); }));
}

void tst_ImportExport::reparsingReplacesAndReleasesList()
{
    const QString path = writeFile(m_dir.filePath("cp1251.csv"),
                                   "First Name,Last Name\n\xC0\xED\xED\xE0,Smith\n");
    QPointer<Contact> first;
    {
        ImportExport backend;
        QSignalSpy errors(&backend, &ImportExport::error);
        backend.parseContactsFromFile(QStringLiteral("UTF-8"),
                                      writeFile(m_dir.filePath("notes.txt"), "just text\n"));
        QCOMPARE(errors.value(0).value(0).toString(),
                 QStringLiteral("Unsupported file type: text/plain"));
        backend.parseContactsFromFile(QStringLiteral("UTF-8"), path);
        // A new file's 8-bit text is read in the encoding detected for it.
        first = backend.contacts().value(0).value<Contact *>();
        QVERIFY(first && first->name == QString::fromUtf8("Анна"));
        QList<int> sizes;
        connect(&backend, &ImportExport::contactsChanged, this,
                [&] { sizes << backend.contacts().size(); });
        // Without a file name the last file is read again in the new codec.
        backend.parseContactsFromFile(QStringLiteral("UTF-8"));
        QCOMPARE(sizes, (QList<int>{0, 1}));
        QVERIFY(backend.contacts().first().value<Contact *>()->name != QString::fromUtf8("Анна"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        first = backend.contacts().first().value<Contact *>();
    }
    // The parsed records go with the backend.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
}

// The progress must be drawn during a long import, but turning the event
// loop for every contact would make the import itself slow.
void tst_ImportExport::importLetsEventLoopRunButNotPerContact()
{
    QByteArray csv("First Name\n");
    for (int i = 0; i < 3000; ++i) {
        csv += "N" + QByteArray::number(i) + "\n";
    }
    ImportExport backend;
    backend.parseContactsFromFile(QStringLiteral("UTF-8"), writeFile(m_dir.filePath("m.csv"), csv));
    int turns = 0;
    QObject context; // the queued calls end with it
    std::function<void()> repost = [&] {
        ++turns;
        QMetaObject::invokeMethod(&context, repost, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(&context, repost, Qt::QueuedConnection);
    int count = 0;
    connect(&backend, &ImportExport::importContact, this, [&](Contact *) {
        if (++count <= 300) {
            QTest::qSleep(1); // 300 ms in all
        }
    });
    QVERIFY(backend.importParsedContacts());
    QCOMPARE(count, 3000);
    QVERIFY2(turns >= 3 && turns <= 60, qPrintable(QString::number(turns)));
}

KIV_TEST_GUILESS_MAIN(tst_ImportExport)
#include "tst_importexport.moc"

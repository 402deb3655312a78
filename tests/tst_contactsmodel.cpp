#include "model/contactsmodel.h"

#include "record/contact.h"
#include "storage/defaultdatabase.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QGuiApplication>
#include <QPointer>
#include <QSettings>
#include <QSignalSpy>

// A store that logs every call by contact name into one log with the
// model's signals, and passes it on to a real store.
class RecordingStore : public DataBase
{
public:
    RecordingStore(DataBase *inner, QStringList *log)
        : m_inner(inner),
          m_log(log)
    {
        m_inner->setParent(this);
    }
    bool open(const QString &path) override { return m_inner->open(path); }
    QList<Contact *> loadContacts() override
    {
        *m_log << QStringLiteral("load");
        const QList<Contact *> contacts = m_inner->loadContacts();
        for (const Contact *contact : contacts) {
            m_names.insert(contact->id, contact->name);
        }
        return contacts;
    }
    void insertContact(Contact *contact) override
    {
        m_names.insert(contact->id, contact->name);
        *m_log << QStringLiteral("insert ") + contact->name;
        m_inner->insertContact(contact);
    }
    void updateContact(Contact *contact) override
    {
        *m_log << QStringLiteral("update ") + m_names.value(contact->id) + "=" + contact->name;
        m_inner->updateContact(contact);
    }
    void removeContacts(const QStringList &ids) override
    {
        QStringList names;
        for (const QString &id : ids) {
            names << m_names.value(id);
        }
        *m_log << QStringLiteral("remove ") + names.join(QLatin1Char(','));
        m_inner->removeContacts(ids);
    }
    void toggleFavorite(const QString &id) override
    {
        *m_log << QStringLiteral("favorite ") + m_names.value(id);
        m_inner->toggleFavorite(id);
    }
    QByteArray loadPhoto(const QString &id) override { return m_inner->loadPhoto(id); }
    void savePhoto(const QString &id, const QString &imagePath) override
    {
        *m_log << QStringLiteral("photo %1 [%2]").arg(m_names.value(id), imagePath);
        m_inner->savePhoto(id, imagePath);
    }

private:
    DataBase *m_inner;
    QStringList *m_log;
    QHash<QString, QString> m_names;
};

// The list model over both stores. Rows: the stored names in, steps, then
// one log of store calls and model signals, the rows and the stored names out.
class tst_ContactsModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
    void operations_data();
    void operations();
    void alphabet_data();
    void alphabet();
    void changeAlphabetWritesAndSignalsInOrder();
    void reloadReleasesOldRows();
    void queuedContactsJoinInOneInsertion();
    void undoKeepsTheCardAsItWasKept();

private:
    std::unique_ptr<RecordingStore> makeStore(const QString &contacts);
    QStringList m_log;
    QTemporaryDir m_dir;
};

namespace {

QString rows(const QAbstractItemModel *model)
{
    QStringList result;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        result << index.data(ContactsModel::FullNameRole).toString()
                          + (index.data(ContactsModel::FavoriteRole).toBool() ? "*" : "");
    }
    return result.join(QLatin1Char('|'));
}

} // namespace

void tst_ContactsModel::initTestCase_data()
{
    QTest::addColumn<bool>("sqlite");
    QTest::newRow("sqlite") << true;
    QTest::newRow("settings file") << false;
}

void tst_ContactsModel::init()
{
    QLocale::setDefault(QLocale::c());
    QSettings().clear();
    QFile::remove(m_dir.filePath(QStringLiteral("contacts.sqlite")));
    m_log.clear();
}

std::unique_ptr<RecordingStore> tst_ContactsModel::makeStore(const QString &contacts)
{
    QFETCH_GLOBAL(bool, sqlite);
    DataBase *inner = sqlite ? static_cast<DataBase *>(new SqliteDatabase)
                             : static_cast<DataBase *>(new DefaultDatabase);
    inner->open(sqlite ? m_dir.filePath(QStringLiteral("contacts.sqlite")) : QString());
    for (const auto &contact : makeContacts(contacts)) {
        inner->insertContact(contact.get());
    }
    return std::make_unique<RecordingStore>(inner, &m_log);
}

void tst_ContactsModel::operations_data()
{
    QTest::addColumn<QString>("contacts");
    // The steps of runListSteps() on the model alone, and drop (the store
    // goes).
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("stored");
    addRowsFromFile(TEST_DATA_DIR "/model/model-operations.jsonl");
}

void tst_ContactsModel::operations()
{
    QFETCH(QString, contacts);
    QFETCH(QString, steps);
    auto store = makeStore(contacts);
    auto model = std::make_unique<ContactsModel>();
    QAbstractItemModelTester tester(model.get(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    connect(model.get(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) {
                m_log << QStringLiteral("inserted %1-%2").arg(first).arg(last);
            });
    connect(model.get(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) {
                m_log << QStringLiteral("removing %1-%2").arg(first).arg(last);
            });
    connect(model.get(), &QAbstractItemModel::layoutChanged, this,
            [this] { m_log << QStringLiteral("moved"); });
    connect(model.get(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &first, const QModelIndex &last, const QVector<int> &roles) {
                QStringList names;
                for (int role : roles) {
                    names << QString::number(role);
                }
                m_log << QStringLiteral("changed %1-%2 [%3]")
                                 .arg(first.row())
                                 .arg(last.row())
                                 .arg(names.join(QLatin1Char(',')));
            });
    model->setDataBase(store.get());
    model->loadModel();
    for (const QString &step : steps.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (step == QLatin1String("drop")) {
            store.reset();
        } else {
            runListSteps(*model, nullptr, step);
        }
    }
    QTEST(m_log.join(QStringLiteral("; ")), "log");
    QTEST(rows(model.get()), "rows");
    model.reset();
    store = makeStore(QString());
    ContactsModel reloaded;
    reloaded.setDataBase(store.get());
    reloaded.loadModel();
    QStringList stored = rows(&reloaded).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    stored.sort();
    QTEST(stored.join(QLatin1Char('|')), "stored");
}

void tst_ContactsModel::alphabet_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QVariant>("saved");
    QTest::addColumn<QString>("alphabet");

    const QString english = "#ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const QString russian = QString::fromUtf8("#АБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЭЮЯ");
    QTest::newRow("ru_RU") << "ru_RU" << QVariant() << russian;
    QTest::newRow("ru_UA") << "ru_UA" << QVariant() << english;
    QTest::newRow("en_US") << "en_US" << QVariant() << english;
    QTest::newRow("ru_RU, saved English") << "ru_RU" << QVariant(true) << english;
    QTest::newRow("C, saved Russian") << "C" << QVariant(false) << russian;
}

void tst_ContactsModel::alphabet()
{
    QFETCH(QString, locale);
    QFETCH(QVariant, saved);
    QLocale::setDefault(QLocale(locale));
    if (saved.isValid()) {
        QSettings().setValue(QStringLiteral("englishAlphabet"), saved);
    }
    ContactsModel model;
    QTEST(model.alphabet().join(QString()), "alphabet");
    // Construction reads the setting but never writes it.
    QCOMPARE(QSettings().value(QStringLiteral("englishAlphabet")), saved);
}

void tst_ContactsModel::changeAlphabetWritesAndSignalsInOrder()
{
    ContactsModel model;
    connect(&model, &ContactsModel::englishAlphabetChanged, this,
            [&] { m_log << QStringLiteral("englishAlphabetChanged"); });
    connect(&model, &ContactsModel::alphabetChanged, this, [&] {
        // The new letters are in place when the alphabet is announced.
        m_log << QStringLiteral("alphabetChanged ") + model.alphabet().value(1);
    });
    model.changeAlphabet(true);
    model.changeAlphabet(false);
    model.changeAlphabet(false);
    QCOMPARE(m_log,
             (QStringList{"englishAlphabetChanged", QString::fromUtf8("alphabetChanged А")}));
    QCOMPARE(ContactsModel().englishAlphabet(), false);
}

void tst_ContactsModel::reloadReleasesOldRows()
{
    auto store = makeStore(QStringLiteral("A|B|C"));
    ContactsModel model;
    model.setDataBase(store.get());
    model.loadModel();
    QList<QPointer<Contact>> old;
    for (const QVariant &contact : model.getAllContacts()) {
        old << contact.value<Contact *>();
    }
    connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [&](const QModelIndex &, int, int last) {
                // Still readable while the removal is being announced.
                m_log << model.index(last).data(ContactsModel::NameRole).toString();
            });
    model.loadModel();
    QCOMPARE(m_log, (QStringList{"load", "C", "load"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<Contact> &contact : old) {
        QVERIFY(contact.isNull());
    }
    // The rows are the model's: a store that goes away leaves them.
    store.reset();
    QCOMPARE(rows(&model), QStringLiteral("A|B|C"));
}

// An import's contacts reach the store at once and the list in one insertion,
// even when a contact added by hand comes in between; the groups they
// bring are one change of the book, sorted.
void tst_ContactsModel::queuedContactsJoinInOneInsertion()
{
    auto store = makeStore(QString());
    ContactsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setDataBase(store.get());
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy groups(&model, &ContactsModel::groupsChanged);
    int group = 0;
    for (const auto &contact : makeContacts(QStringLiteral("Smith Anna|Brown Bob|Cole Cy"))) {
        contact->groups = QStringList{QStringLiteral("Group %1").arg(3 - group++)};
        model.queueContact(contact.get());
    }
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(m_log.filter("insert"), (QStringList{"insert Anna", "insert Bob", "insert Cy"}));
    // The groups of an import are one change of the book, announced with its rows.
    model.addGroups({QStringLiteral("Group 0"), QStringLiteral("Group 4")});
    QCOMPARE(groups.size(), 1);
    model.addContact(makeContact(QStringLiteral("9"), QStringLiteral("Dale Di")).get(), QString());
    QCOMPARE(inserted.size(), 2);
    QCOMPARE(inserted.at(0).mid(1), (QVariantList{0, 2}));
    QCOMPARE(model.contactAt(3)->surname, QStringLiteral("Dale"));
    QCOMPARE(groups.size(), 1);
    QCOMPARE(model.groupNames(), (QStringList{"Group 0", "Group 1", "Group 2", "Group 3",
                                              "Group 4"}));
    model.addQueuedContacts();
    QCOMPARE(inserted.size(), 2);
    QCOMPARE(groups.size(), 1);
}

// A removal undone stores the card with the photo digest it was kept with:
// a photo changed after the card was kept stays the one an export writes.
void tst_ContactsModel::undoKeepsTheCardAsItWasKept()
{
    QFETCH_GLOBAL(bool, sqlite);
    if (!sqlite)
        QSKIP("the settings-file store keeps no cards");
    SqliteDatabase store;
    QVERIFY(store.open(m_dir.filePath(QStringLiteral("contacts.sqlite"))));
    ContactsModel model;
    model.setDataBase(&store);
    model.addContact(makeContact(QString(), QStringLiteral("Smith Anna")).get(), QString());
    const QString id = model.contactAt(0)->id;
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Smith\r\nEND:VCARD\r\n";
    store.saveCard(id, card, "digest of the photo the card came with");
    model.removeContacts({model.index(0)});
    model.undoRemoval();
    QByteArray digest;
    QCOMPARE(store.loadCard(id, &digest), card);
    QCOMPARE(digest, QByteArray("digest of the photo the card came with"));
}

KIV_TEST_GUILESS_MAIN(tst_ContactsModel)
#include "tst_contactsmodel.moc"

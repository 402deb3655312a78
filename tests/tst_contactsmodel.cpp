#include "model/contactsmodel.h"

#include "model/contactsproxymodel.h"
#include "record/contact.h"
#include "storage/defaultdatabase.h"
#include "storage/sqlitedatabase.h"

#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

// A store that records every call in order and passes it on to a real store,
// so that the same test proves both the calls the model makes and that the
// whole path works against that store.
class RecordingStore : public DataBase
{
    Q_OBJECT

public:
    explicit RecordingStore(DataBase *inner)
        : m_inner(inner)
    {
        m_inner->setParent(this);
    }

    bool open(const QString &path) override { return m_inner->open(path); }
    QList<Contact *> loadContacts() override
    {
        log << QStringLiteral("load");
        return m_inner->loadContacts();
    }
    void insertContact(Contact *contact) override
    {
        log << QStringLiteral("insert ") + contact->id;
        m_inner->insertContact(contact);
    }
    void updateContact(Contact *contact) override
    {
        log << QStringLiteral("update ") + contact->id;
        m_inner->updateContact(contact);
    }
    void removeContacts(const QStringList &ids) override
    {
        log << QStringLiteral("remove ") + ids.join(QLatin1Char(','));
        m_inner->removeContacts(ids);
    }
    void toggleFavorite(const QString &id) override
    {
        log << QStringLiteral("favorite ") + id;
        m_inner->toggleFavorite(id);
    }
    QByteArray loadPhoto(const QString &id) override { return m_inner->loadPhoto(id); }
    void savePhoto(const QString &id, const QString &imagePath) override
    {
        log << QStringLiteral("photo %1 [%2]").arg(id, imagePath);
        m_inner->savePhoto(id, imagePath);
    }

    DataBase *inner() const { return m_inner; }
    QStringList log;

private:
    DataBase *m_inner;
};

// The contacts list model: alphabet, loading, adding, editing, starring and
// removing, each against the SQLite store and the settings-file store.
class tst_ContactsModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void alphabetFollowsLocale_data();
    void alphabetFollowsLocale();
    void savedAlphabetWins_data();
    void savedAlphabetWins();
    void changeAlphabetToCurrentValueDoesNothing();
    void changeAlphabetWritesAndSignalsInOrder();

    void loadingEmptyStoreAnnouncesNothing_data();
    void loadingEmptyStoreAnnouncesNothing();
    void loadsStoredContactsInStoreOrder_data();
    void loadsStoredContactsInStoreOrder();
    void importAppendsCopiesWithNewIds_data();
    void importAppendsCopiesWithNewIds();
    void toggleFavoriteAnnouncesOnlyTheStar_data();
    void toggleFavoriteAnnouncesOnlyTheStar();
    void removeContactsHighestRowFirst_data();
    void removeContactsHighestRowFirst();
    void removeContactsIgnoresRepeatedAndForeignRows();
    void saveContactChangesCopiesFieldsAndKeepsIdAndStar_data();
    void saveContactChangesCopiesFieldsAndKeepsIdAndStar();
    void rowOperationsOutsideTheListDoNothing();
    void dataAnswersExactlyTheContactRoles();
    void reloadReleasesOldRows();
    void rowsOutliveTheStoreThatLoadedThem();
    void passesModelTesterThroughEveryChange_data();
    void passesModelTesterThroughEveryChange();
    void viewOrdersPlainlyInTheCLocale();

private:
    void addStoreRows();
    RecordingStore *makeStore(const QString &kind);
    // Stores count contacts through the store's own interface.
    QStringList fill(DataBase *store, int count);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingStore> m_store;
};

void tst_ContactsModel::init()
{
    QLocale::setDefault(QLocale::c());
    QSettings().clear();
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void tst_ContactsModel::cleanup()
{
    m_store.reset();
    m_dir.reset();
    QSettings().clear();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void tst_ContactsModel::addStoreRows()
{
    QTest::addColumn<QString>("store");
    QTest::newRow("SQLite store") << QStringLiteral("sqlite");
    QTest::newRow("settings store") << QStringLiteral("settings");
}

RecordingStore *tst_ContactsModel::makeStore(const QString &kind)
{
    DataBase *inner = nullptr;
    if (kind == QLatin1String("sqlite")) {
        inner = new SqliteDatabase;
        if (!inner->open(m_dir->filePath(QStringLiteral("contacts.sqlite")))) {
            delete inner;
            return nullptr;
        }
    } else {
        inner = new DefaultDatabase;
        inner->open(QString());
    }
    m_store.reset(new RecordingStore(inner));
    return m_store.get();
}

QStringList tst_ContactsModel::fill(DataBase *store, int count)
{
    QStringList ids;
    for (int i = 0; i < count; ++i) {
        Contact contact;
        contact.id = QString::number(1000 + i);
        contact.surname = QStringLiteral("Surname%1").arg(i);
        contact.name = QStringLiteral("Name%1").arg(i);
        contact.phoneList =
                QStringList{QStringLiteral("+7 900 000 00 %1").arg(i, 2, 10, QLatin1Char('0'))};
        contact.phoneGroupList = QStringList{QStringLiteral("Mobile")};
        store->insertContact(&contact);
        ids << contact.id;
    }
    return ids;
}

void tst_ContactsModel::alphabetFollowsLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("english");
    QTest::newRow("ru_RU") << QStringLiteral("ru_RU") << false;
    QTest::newRow("ru_UA") << QStringLiteral("ru_UA") << true;
    QTest::newRow("en_US") << QStringLiteral("en_US") << true;
    QTest::newRow("C") << QStringLiteral("C") << true;
}

void tst_ContactsModel::alphabetFollowsLocale()
{
    QFETCH(QString, locale);
    QFETCH(bool, english);
    QLocale::setDefault(QLocale(locale));

    ContactsModel model;
    QCOMPARE(model.englishAlphabet(), english);
    const QStringList expected =
            english ? QStringList{"#", "A", "B", "C", "D", "E", "F", "G", "H",
                                  "I", "J", "K", "L", "M", "N", "O", "P", "Q",
                                  "R", "S", "T", "U", "V", "W", "X", "Y", "Z"}
                    : QStringList{"#", "А", "Б", "В", "Г", "Д", "Е", "Ж", "З", "И",
                                  "К", "Л", "М", "Н", "О", "П", "Р", "С", "Т", "У",
                                  "Ф", "Х", "Ц", "Ч", "Ш", "Э", "Ю", "Я"};
    QCOMPARE(model.alphabet(), expected);
    // Construction reads the setting but never writes it.
    QVERIFY(!QSettings().contains(QStringLiteral("englishAlphabet")));
}

void tst_ContactsModel::savedAlphabetWins_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("saved");
    QTest::newRow("ru_RU, saved English") << QStringLiteral("ru_RU") << true;
    QTest::newRow("en_US, saved Russian") << QStringLiteral("en_US") << false;
    QTest::newRow("C, saved Russian") << QStringLiteral("C") << false;
}

void tst_ContactsModel::savedAlphabetWins()
{
    QFETCH(QString, locale);
    QFETCH(bool, saved);
    QLocale::setDefault(QLocale(locale));
    QSettings().setValue(QStringLiteral("englishAlphabet"), saved);

    ContactsModel model;
    QCOMPARE(model.englishAlphabet(), saved);
    QCOMPARE(model.alphabet().size(), saved ? 27 : 28);
    QCOMPARE(model.alphabet().at(1), saved ? QStringLiteral("A") : QStringLiteral("А"));
}

void tst_ContactsModel::changeAlphabetToCurrentValueDoesNothing()
{
    ContactsModel model;
    QVERIFY(model.englishAlphabet());
    QSignalSpy english(&model, &ContactsModel::englishAlphabetChanged);
    QSignalSpy alphabet(&model, &ContactsModel::alphabetChanged);

    model.changeAlphabet(true);

    QCOMPARE(english.count(), 0);
    QCOMPARE(alphabet.count(), 0);
    QVERIFY(!QSettings().contains(QStringLiteral("englishAlphabet")));
}

void tst_ContactsModel::changeAlphabetWritesAndSignalsInOrder()
{
    ContactsModel model;
    QStringList order;
    connect(&model, &ContactsModel::englishAlphabetChanged, this,
            [&] { order << QStringLiteral("englishAlphabetChanged"); });
    connect(&model, &ContactsModel::alphabetChanged, this, [&] {
        // The new letters are in place when the alphabet is announced.
        order << QStringLiteral("alphabetChanged ") + model.alphabet().value(1);
    });

    model.changeAlphabet(false);

    QCOMPARE(order, (QStringList{"englishAlphabetChanged", "alphabetChanged А"}));
    QCOMPARE(QSettings().value(QStringLiteral("englishAlphabet")).toBool(), false);
    ContactsModel reopened;
    QCOMPARE(reopened.englishAlphabet(), false);
}

void tst_ContactsModel::loadingEmptyStoreAnnouncesNothing_data()
{
    addStoreRows();
}

void tst_ContactsModel::loadingEmptyStoreAnnouncesNothing()
{
    QFETCH(QString, store);
    RecordingStore *db = makeStore(store);
    QVERIFY(db);
    ContactsModel model;
    model.setDataBase(db);
    QSignalSpy aboutToInsert(&model, &QAbstractItemModel::rowsAboutToBeInserted);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    model.loadModel();

    QCOMPARE(db->log, QStringList{"load"});
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(aboutToInsert.count(), 0);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(removed.count(), 0);
    QCOMPARE(reset.count(), 0);
}

void tst_ContactsModel::loadsStoredContactsInStoreOrder_data()
{
    addStoreRows();
}

void tst_ContactsModel::loadsStoredContactsInStoreOrder()
{
    QFETCH(QString, store);
    RecordingStore *db = makeStore(store);
    QVERIFY(db);
    const QStringList ids = fill(db, 4);
    ContactsModel model;
    model.setDataBase(db);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    model.loadModel();

    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);
    QCOMPARE(inserted.at(0).at(2).toInt(), 3);
    QStringList loaded;
    for (int row = 0; row < model.rowCount(); ++row) {
        loaded << model.index(row).data(ContactsModel::IdRole).toString();
    }
    QStringList sortedLoaded = loaded;
    sortedLoaded.sort();
    QCOMPARE(sortedLoaded, ids);
    QCOMPARE(model.index(0).data(ContactsModel::FullNameRole).toString(),
             QStringLiteral("Surname%1 Name%1").arg(ids.indexOf(loaded.at(0))));
}

void tst_ContactsModel::importAppendsCopiesWithNewIds_data()
{
    addStoreRows();
}

void tst_ContactsModel::importAppendsCopiesWithNewIds()
{
    QFETCH(QString, store);
    RecordingStore *db = makeStore(store);
    QVERIFY(db);
    const QStringList storedIds = fill(db, 2);
    ContactsModel model;
    model.setDataBase(db);
    model.loadModel();
    db->log.clear();
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    QList<Contact *> parsed;
    for (int i = 0; i < 3; ++i) {
        auto *contact = new Contact(this);
        contact->id = QStringLiteral("parsed%1").arg(i);
        contact->name = QStringLiteral("Imported%1").arg(i);
        parsed << contact;
        model.addContact(contact, QString());
    }

    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(inserted.count(), 3);
    QStringList expectedLog;
    QSet<QString> ids(storedIds.begin(), storedIds.end());
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(inserted.at(i).at(1).toInt(), 2 + i);
        QCOMPARE(inserted.at(i).at(2).toInt(), 2 + i);
        const QModelIndex index = model.index(2 + i);
        const QString id = index.data(ContactsModel::IdRole).toString();
        QVERIFY2(!ids.contains(id), qPrintable(id));
        ids.insert(id);
        const QString name = QStringLiteral("Imported%1").arg(i);
        QCOMPARE(index.data(ContactsModel::NameRole).toString(), name);
        QCOMPARE(index.data(ContactsModel::FullNameRole).toString(), name);
        // The parsed record is neither kept nor changed.
        QCOMPARE(parsed.at(i)->id, QStringLiteral("parsed%1").arg(i));
        expectedLog << QStringLiteral("insert ") + id << QStringLiteral("photo %1 []").arg(id);
    }
    QCOMPARE(db->log, expectedLog);
    qDeleteAll(parsed);

    // Each copy was written to the store.
    ContactsModel reloaded;
    reloaded.setDataBase(db);
    reloaded.loadModel();
    QCOMPARE(reloaded.rowCount(), 5);
}

void tst_ContactsModel::toggleFavoriteAnnouncesOnlyTheStar_data()
{
    addStoreRows();
}

void tst_ContactsModel::toggleFavoriteAnnouncesOnlyTheStar()
{
    QFETCH(QString, store);
    RecordingStore *db = makeStore(store);
    QVERIFY(db);
    fill(db, 8);
    ContactsModel model;
    model.setDataBase(db);
    model.loadModel();
    db->log.clear();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const QString id = model.index(5).data(ContactsModel::IdRole).toString();

    model.toggleFavorite(model.index(5));

    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), model.index(5));
    QCOMPARE(changed.at(0).at(1).toModelIndex(), model.index(5));
    QCOMPARE(changed.at(0).at(2).value<QVector<int>>(), QVector<int>{258});
    QCOMPARE(model.index(5).data(ContactsModel::FavoriteRole).toBool(), true);
    QCOMPARE(db->log, QStringList{QStringLiteral("favorite ") + id});

    ContactsModel reloaded;
    reloaded.setDataBase(db);
    reloaded.loadModel();
    int starred = 0;
    for (int row = 0; row < reloaded.rowCount(); ++row) {
        const QModelIndex index = reloaded.index(row);
        if (index.data(ContactsModel::FavoriteRole).toBool()) {
            ++starred;
            QCOMPARE(index.data(ContactsModel::IdRole).toString(), id);
        }
    }
    QCOMPARE(starred, 1);
}

void tst_ContactsModel::removeContactsHighestRowFirst_data()
{
    addStoreRows();
}

void tst_ContactsModel::removeContactsHighestRowFirst()
{
    QFETCH(QString, store);
    RecordingStore *db = makeStore(store);
    QVERIFY(db);
    fill(db, 8);
    ContactsModel model;
    model.setDataBase(db);
    model.loadModel();
    db->log.clear();
    QStringList ids;
    for (int row = 0; row < 8; ++row) {
        ids << model.index(row).data(ContactsModel::IdRole).toString();
    }
    QSignalSpy aboutToRemove(&model, &QAbstractItemModel::rowsAboutToBeRemoved);

    model.removeContacts({model.index(1), model.index(3), model.index(7)});

    QCOMPARE(aboutToRemove.count(), 3);
    const int expected[] = {7, 3, 1};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(aboutToRemove.at(i).at(1).toInt(), expected[i]);
        QCOMPARE(aboutToRemove.at(i).at(2).toInt(), expected[i]);
    }
    QCOMPARE(db->log, QStringList{QStringLiteral("remove %1,%2,%3").arg(ids[7], ids[3], ids[1])});
    QStringList left;
    for (int row = 0; row < model.rowCount(); ++row) {
        left << model.index(row).data(ContactsModel::IdRole).toString();
    }
    QCOMPARE(left, (QStringList{ids[0], ids[2], ids[4], ids[5], ids[6]}));

    ContactsModel reloaded;
    reloaded.setDataBase(db);
    reloaded.loadModel();
    QCOMPARE(reloaded.rowCount(), 5);
}

void tst_ContactsModel::removeContactsIgnoresRepeatedAndForeignRows()
{
    RecordingStore *db = makeStore(QStringLiteral("sqlite"));
    QVERIFY(db);
    fill(db, 6);
    ContactsModel model;
    model.setDataBase(db);
    model.loadModel();
    db->log.clear();
    const QString id2 = model.index(2).data(ContactsModel::IdRole).toString();
    const QString id4 = model.index(4).data(ContactsModel::IdRole).toString();
    ContactsModel other;

    // A repeated row must not take its neighbour along, and an index of
    // another model names no row here.
    model.removeContacts(
            {model.index(4), model.index(2), model.index(4), other.index(0), QModelIndex()});

    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(db->log, QStringList{QStringLiteral("remove %1,%2").arg(id4, id2)});

    db->log.clear();
    model.removeContacts({});
    QVERIFY(db->log.isEmpty());
}

void tst_ContactsModel::saveContactChangesCopiesFieldsAndKeepsIdAndStar_data()
{
    addStoreRows();
}

void tst_ContactsModel::saveContactChangesCopiesFieldsAndKeepsIdAndStar()
{
    QFETCH(QString, store);
    RecordingStore *db = makeStore(store);
    QVERIFY(db);
    fill(db, 3);
    ContactsModel model;
    model.setDataBase(db);
    model.loadModel();
    model.toggleFavorite(model.index(1));
    db->log.clear();
    const QString id = model.index(1).data(ContactsModel::IdRole).toString();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    Contact edited;
    edited.id = QStringLiteral("other");
    edited.isFavorite = false;
    edited.name = QStringLiteral("Анна");
    edited.surname = QStringLiteral("Иванова");
    edited.fullname = QStringLiteral("Иванова Анна");
    edited.organization = QStringLiteral("ACME");
    edited.dateOfBirth = QStringLiteral("1990-01-02");
    edited.comment = QStringLiteral("line one\nline two");
    edited.phoneList = QStringList{"1", "2"};
    edited.phoneGroupList = QStringList{"Home", "Car"};
    edited.emailList = QStringList{"a@example.org"};
    edited.emailGroupList = QStringList{"Work"};
    edited.addressList = QStringList{"Street 1"};
    edited.addressGroupList = QStringList{"Home"};
    edited.linkList = QStringList{"https://example.org"};

    model.saveContactChanges(model.index(1), &edited, QString());

    const QModelIndex index = model.index(1);
    QCOMPARE(index.data(ContactsModel::IdRole).toString(), id);
    QCOMPARE(index.data(ContactsModel::FavoriteRole).toBool(), true);
    QCOMPARE(index.data(ContactsModel::FullNameRole).toString(), QStringLiteral("Иванова Анна"));
    QCOMPARE(index.data(ContactsModel::PhoneGroupListRole).toStringList(), edited.phoneGroupList);
    QCOMPARE(index.data(ContactsModel::LinkListRole).toStringList(), edited.linkList);
    QCOMPARE(db->log,
             (QStringList{QStringLiteral("update ") + id, QStringLiteral("photo %1 []").arg(id)}));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), index);
    QCOMPARE(changed.at(0).at(1).toModelIndex(), index);
    QVERIFY(changed.at(0).at(2).value<QVector<int>>().isEmpty());

    ContactsModel reloaded;
    reloaded.setDataBase(db);
    reloaded.loadModel();
    bool found = false;
    for (int row = 0; row < reloaded.rowCount(); ++row) {
        const QModelIndex again = reloaded.index(row);
        if (again.data(ContactsModel::IdRole).toString() == id) {
            found = true;
            QCOMPARE(again.data(ContactsModel::CommentRole).toString(), edited.comment);
            QCOMPARE(again.data(ContactsModel::EmailListRole).toStringList(), edited.emailList);
            QCOMPARE(again.data(ContactsModel::FavoriteRole).toBool(), true);
        }
    }
    QVERIFY(found);
}

void tst_ContactsModel::rowOperationsOutsideTheListDoNothing()
{
    RecordingStore *db = makeStore(QStringLiteral("sqlite"));
    QVERIFY(db);
    fill(db, 2);
    ContactsModel model;
    model.setDataBase(db);
    model.loadModel();
    db->log.clear();
    ContactsModel other;
    other.addContact(model.getAllContacts().at(0).value<Contact *>(), QString());
    db->log.clear();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    Contact edited;
    edited.name = QStringLiteral("X");

    model.saveContactChanges(QModelIndex(), &edited, QString());
    model.saveContactChanges(other.index(0), &edited, QString());
    model.saveContactChanges(model.index(0), nullptr, QString());
    model.toggleFavorite(QModelIndex());
    model.toggleFavorite(other.index(0));
    model.savePhoto(QModelIndex(), QStringLiteral("/nonexistent.png"));

    QCOMPARE(changed.count(), 0);
    QVERIFY(db->log.isEmpty());
    QCOMPARE(model.index(0).data(ContactsModel::FavoriteRole).toBool(), false);
}

void tst_ContactsModel::dataAnswersExactlyTheContactRoles()
{
    ContactsModel model;
    Contact contact;
    contact.isFavorite = true;
    contact.name = QStringLiteral("n");
    contact.surname = QStringLiteral("s");
    contact.middlename = QStringLiteral("m");
    contact.organization = QStringLiteral("o");
    contact.dateOfBirth = QStringLiteral("d");
    contact.comment = QStringLiteral("c");
    contact.phoneList = QStringList{"p"};
    contact.phoneGroupList = QStringList{"pg"};
    contact.emailList = QStringList{"e"};
    contact.emailGroupList = QStringList{"eg"};
    contact.addressList = QStringList{"a"};
    contact.addressGroupList = QStringList{"ag"};
    contact.linkList = QStringList{"l"};
    model.addContact(&contact, QString());
    const QModelIndex index = model.index(0);

    const QHash<int, QByteArray> names = model.roleNames();
    QCOMPARE(names.size(), 16);
    const QList<QPair<int, QByteArray>> expected{
            {257, "idString"},    {258, "isFavorite"}, {259, "name"},          {260, "surname"},
            {261, "middlename"},  {262, "fullname"},   {263, "organization"},  {264, "dateOfBirth"},
            {265, "comment"},     {266, "phones"},     {267, "phoneGroups"},   {268, "emails"},
            {269, "emailGroups"}, {270, "addresses"},  {271, "addressGroups"}, {272, "links"}};
    for (const auto &role : expected) {
        QCOMPARE(names.value(role.first), role.second);
        // Each role reads the property of the same name (the two list
        // roles with short names aside, checked below).
        QVERIFY2(index.data(role.first).isValid(), role.second.constData());
    }
    QCOMPARE(index.data(257).toString(), model.getAllContacts().at(0).value<Contact *>()->id);
    QCOMPARE(index.data(258).toBool(), true);
    QCOMPARE(index.data(262).toString(), QStringLiteral("s n m"));
    QCOMPARE(index.data(265).toString(), QStringLiteral("c"));
    QCOMPARE(index.data(266).toStringList(), QStringList{"p"});
    QCOMPARE(index.data(267).toStringList(), QStringList{"pg"});
    QCOMPARE(index.data(271).toStringList(), QStringList{"ag"});
    QCOMPARE(index.data(272).toStringList(), QStringList{"l"});
    QVERIFY(!index.data(256).isValid());
    QVERIFY(!index.data(273).isValid());
    QVERIFY(!index.data(Qt::DisplayRole).isValid());
    QCOMPARE(QMetaEnum::fromType<ContactsModel::ContactRoles>().keyToValue("LinkListRole"), 272);
}

void tst_ContactsModel::reloadReleasesOldRows()
{
    RecordingStore *db = makeStore(QStringLiteral("sqlite"));
    QVERIFY(db);
    fill(db, 3);
    ContactsModel model;
    model.setDataBase(db);
    model.loadModel();
    QList<QPointer<Contact>> old;
    for (const QVariant &contact : model.getAllContacts()) {
        old << QPointer<Contact>(contact.value<Contact *>());
    }
    QStringList signalLog;
    connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [&](const QModelIndex &, int first, int last) {
                // Still readable while the removal is being announced.
                const QString name = model.index(last).data(ContactsModel::NameRole).toString();
                signalLog << QStringLiteral("remove %1-%2 %3").arg(first).arg(last).arg(name);
            });
    connect(&model, &QAbstractItemModel::rowsInserted, this,
            [&](const QModelIndex &, int first, int last) {
                signalLog << QStringLiteral("insert %1-%2").arg(first).arg(last);
            });

    model.loadModel();

    QCOMPARE(signalLog.size(), 2);
    QVERIFY(signalLog.at(0).startsWith(QStringLiteral("remove 0-2 Name")));
    QCOMPARE(signalLog.at(1), QStringLiteral("insert 0-2"));
    QCOMPARE(model.rowCount(), 3);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<Contact> &contact : old) {
        QVERIFY(contact.isNull());
    }
    for (const QVariant &contact : model.getAllContacts()) {
        QVERIFY(!old.contains(contact.value<Contact *>()));
        QCOMPARE(contact.value<Contact *>()->parent(), &model);
    }
}

void tst_ContactsModel::rowsOutliveTheStoreThatLoadedThem()
{
    // The settings store parents the records it hands out to itself; the
    // model takes them over, so the store going first leaves them intact.
    auto *store = new DefaultDatabase;
    fill(store, 2);
    ContactsModel model;
    model.setDataBase(store);
    model.loadModel();
    delete store;

    QCOMPARE(model.rowCount(), 2);
    QVERIFY(model.index(1).data(ContactsModel::FullNameRole).toString().startsWith("Surname"));
    // Operations that reach the store are skipped, the rows still change.
    model.toggleFavorite(model.index(0));
    QCOMPARE(model.index(0).data(ContactsModel::FavoriteRole).toBool(), true);
    model.removeContacts({model.index(0)});
    QCOMPARE(model.rowCount(), 1);
}

void tst_ContactsModel::passesModelTesterThroughEveryChange_data()
{
    addStoreRows();
}

void tst_ContactsModel::passesModelTesterThroughEveryChange()
{
    QFETCH(QString, store);
    RecordingStore *db = makeStore(store);
    QVERIFY(db);
    fill(db, 5);
    ContactsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setDataBase(db);
    model.loadModel();
    QCOMPARE(model.rowCount(), 5);

    Contact added;
    added.name = QStringLiteral("Zed");
    model.addContact(&added, QString());
    Contact edited;
    edited.surname = QStringLiteral("Ёжиков");
    edited.fullname = edited.composedFullName();
    model.saveContactChanges(model.index(0), &edited, QString());
    model.toggleFavorite(model.index(2));
    model.removeContacts({model.index(0), model.index(5)});
    QCOMPARE(model.rowCount(), 4);
    model.loadModel();
    QCOMPARE(model.rowCount(), 4);
    model.removeContacts({model.index(0), model.index(1), model.index(2), model.index(3)});
    QCOMPARE(model.rowCount(), 0);
    model.loadModel();
    QCOMPARE(model.rowCount(), 0);
}

void tst_ContactsModel::viewOrdersPlainlyInTheCLocale()
{
    // QString::localeAwareCompare takes its locale on first use in a
    // process; here that is the C locale set by init(), which orders by
    // UTF-16 code units (so a surrogate pair sorts before U+FFE0, unlike
    // in UTF-8). The view's own keys must agree.
    ContactsModel model;
    const QStringList names{"zoe", "Zoë", "ivan", "Ivan", "Иван", "иван", "𝐀bc",   "\uffe0",
                            "ﬁ",   "fi",  "",     "Ёлка", "Елка", "1st",  "#hash", "e\u0301clair"};
    for (const QString &name : names) {
        Contact contact;
        contact.name = name;
        contact.surname = QStringLiteral("S");
        model.addContact(&contact, QString());
    }
    ContactsProxyModel proxy;
    proxy.setSourceModel(&model);
    proxy.setSortRole(ContactsModel::NameRole);
    proxy.sort();

    QStringList expected = names;
    std::stable_sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) {
        return QString::localeAwareCompare(a, b) < 0;
    });
    QStringList shown;
    for (int row = 0; row < proxy.rowCount(); ++row) {
        shown << proxy.index(row, 0).data(ContactsModel::NameRole).toString();
    }
    QCOMPARE(shown, expected);
    QVERIFY(expected.indexOf(QStringLiteral("𝐀bc")) < expected.indexOf(QStringLiteral("\uffe0")));
    QCOMPARE(expected.first(), QString());
}

KIV_TEST_GUILESS_MAIN(tst_ContactsModel)
#include "tst_contactsmodel.moc"

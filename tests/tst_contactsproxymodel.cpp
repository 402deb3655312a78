#include "model/contactsproxymodel.h"

#include "model/contactsmodel.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QImage>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QRandomGenerator>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

// The sorted and grouped contact view over a list model on an SQLite store.
class tst_ContactsProxyModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void defaultsWithoutSavedSettings();
    void readsSavedSettings();
    void damagedSavedSortRoleFallsBackToFullName();
    void addGroupLabelInsertsBeforeTheAction();
    void removeGroupLabel();
    void ordersLikeLocaleAwareCompare_data();
    void ordersLikeLocaleAwareCompare();
    void staysInOrderThroughChanges();
    void upperAndLowerInitialShareOneLetter();
    void letterIndexPointsAtFirstRowOfEachLetter();
    void favouritesOnlyShowsStarredAndAddsStarred();
    void searchMatchesAnyCase();
    void searchThenFavouritesThenClear();
    void removeContactsByViewRows();
    void removeContactsSkipsEntriesThatAreNoViewRow();
    void setSortRoleResortsAndSavesButKeepsLetters();
    void saveContactChangesEditsCurrentRow();
    void operationsWithoutCurrentRowDoNothing();
    void indexOfContact();
    void passesModelTesterThroughEveryChange();
    void agreesWithPlainProxy_data();
    void agreesWithPlainProxy();
    void sceneSearchReachesTheViewsOwnSlot();
    void otherPatternsUseTheBaseRowTest();
    void searchFindsDottedCapitalI();
    void sourceAttachedAsPlainModelKeepsInStep();
    void survivesItsSourceModel();

private:
    // A new list model on a fresh store holding one contact per name, each
    // "Surname Name" pair given as surname and name.
    void makeModel(const QList<QPair<QString, QString>> &names);
    QStringList viewColumn(int role) const;
    QString addOne(const QString &surname, const QString &name, bool favourite = false);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SqliteDatabase> m_store;
    std::unique_ptr<ContactsModel> m_model;
    std::unique_ptr<ContactsProxyModel> m_proxy;
};

void tst_ContactsProxyModel::initTestCase()
{
    // Russian collation puts Cyrillic before Latin and lower before upper
    // case, far from plain code order; QString::localeAwareCompare keeps the
    // locale it first sees, so it is set before anything compares.
    QLocale::setDefault(QLocale(QStringLiteral("ru_RU")));
}

void tst_ContactsProxyModel::init()
{
    QSettings().clear();
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_store.reset(new SqliteDatabase);
    QVERIFY(m_store->open(m_dir->filePath(QStringLiteral("contacts.sqlite"))));
}

void tst_ContactsProxyModel::cleanup()
{
    m_proxy.reset();
    m_model.reset();
    m_store.reset();
    m_dir.reset();
    QSettings().clear();
}

void tst_ContactsProxyModel::makeModel(const QList<QPair<QString, QString>> &names)
{
    for (const auto &name : names) {
        Contact contact;
        contact.id = Contact::makeId();
        contact.surname = name.first;
        contact.name = name.second;
        m_store->insertContact(&contact);
    }
    m_model.reset(new ContactsModel);
    m_model->setDataBase(m_store.get());
    m_model->loadModel();
    m_proxy.reset(new ContactsProxyModel);
    m_proxy->setSourceModel(m_model.get());
}

QString tst_ContactsProxyModel::addOne(const QString &surname, const QString &name, bool favourite)
{
    Contact contact;
    contact.surname = surname;
    contact.name = name;
    contact.isFavorite = favourite;
    m_model->addContact(&contact, QString());
    return m_model->index(m_model->rowCount() - 1).data(ContactsModel::IdRole).toString();
}

QStringList tst_ContactsProxyModel::viewColumn(int role) const
{
    QStringList column;
    for (int row = 0; row < m_proxy->rowCount(); ++row) {
        column << m_proxy->index(row, 0).data(role).toString();
    }
    return column;
}

void tst_ContactsProxyModel::defaultsWithoutSavedSettings()
{
    ContactsProxyModel proxy;
    QCOMPARE(int(proxy.sortRole()), 262);
    QCOMPARE(proxy.QSortFilterProxyModel::sortRole(), 262);
    QCOMPARE(proxy.filterRole(), 262);
    QCOMPARE(proxy.filterCaseSensitivity(), Qt::CaseInsensitive);
    QCOMPARE(proxy.groupLabels(), (QStringList{"Mobile", "Home", "Work", "Create new"}));
    QCOMPARE(proxy.currentIndex(), 0);
    QVERIFY(proxy.existingLetters().isEmpty());
    QVERIFY(proxy.newContact());
    QCOMPARE(proxy.newContact()->parent(), &proxy);
    QCOMPARE(proxy.rowCount(), 0);
    QCOMPARE(proxy.indexOfLetter(QStringLiteral("A")), 0);
    QCOMPARE(proxy.currentData(ContactsModel::FullNameRole), QVariant());
}

void tst_ContactsProxyModel::readsSavedSettings()
{
    QSettings().setValue(QStringLiteral("sortRole"), 259);
    QSettings().setValue(QStringLiteral("groupLabels"), QStringList{"Home", "Create new"});
    ContactsProxyModel proxy;
    QCOMPARE(int(proxy.sortRole()), 259);
    QCOMPARE(proxy.QSortFilterProxyModel::sortRole(), 259);
    QCOMPARE(proxy.groupLabels(), (QStringList{"Home", "Create new"}));
}

void tst_ContactsProxyModel::damagedSavedSortRoleFallsBackToFullName()
{
    QSettings().setValue(QStringLiteral("sortRole"), QStringLiteral("garbage"));
    QCOMPARE(int(ContactsProxyModel().sortRole()), 262);
    QSettings().setValue(QStringLiteral("sortRole"), 0);
    QCOMPARE(int(ContactsProxyModel().sortRole()), 262);
}

void tst_ContactsProxyModel::addGroupLabelInsertsBeforeTheAction()
{
    ContactsProxyModel proxy;
    QSignalSpy changed(&proxy, &ContactsProxyModel::groupLabelsChanged);

    proxy.addGroupLabel(QStringLiteral("Car"));
    const QStringList withCar{"Mobile", "Home", "Work", "Car", "Create new"};
    QCOMPARE(proxy.groupLabels(), withCar);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(QSettings().value(QStringLiteral("groupLabels")).toStringList(), withCar);

    proxy.addGroupLabel(QStringLiteral("Car"));
    QCOMPARE(proxy.groupLabels(), withCar);
    QCOMPARE(changed.count(), 1);

    proxy.addGroupLabel(QStringLiteral("car"));
    const QStringList withBoth{"Mobile", "Home", "Work", "Car", "car", "Create new"};
    QCOMPARE(proxy.groupLabels(), withBoth);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(ContactsProxyModel().groupLabels(), withBoth);

    // A blank label would be indistinguishable from no label.
    proxy.addGroupLabel(QString());
    proxy.addGroupLabel(QStringLiteral("  "));
    QCOMPARE(changed.count(), 2);

    // The property write signals but is not saved.
    proxy.setGroupLabels({QStringLiteral("Only")});
    QCOMPARE(changed.count(), 3);
    QCOMPARE(QSettings().value(QStringLiteral("groupLabels")).toStringList(), withBoth);
    proxy.setGroupLabels({});
    proxy.addGroupLabel(QStringLiteral("First"));
    QCOMPARE(proxy.groupLabels(), QStringList{"First"});
}

void tst_ContactsProxyModel::removeGroupLabel()
{
    ContactsProxyModel proxy;
    QSignalSpy changed(&proxy, &ContactsProxyModel::groupLabelsChanged);

    proxy.removeGroupLabel(QStringLiteral("Boat"));
    proxy.removeGroupLabel(QStringLiteral("home"));
    QCOMPARE(changed.count(), 0);
    QVERIFY(!QSettings().contains(QStringLiteral("groupLabels")));

    proxy.removeGroupLabel(QStringLiteral("Home"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(proxy.groupLabels(), (QStringList{"Mobile", "Work", "Create new"}));
    QCOMPARE(QSettings().value(QStringLiteral("groupLabels")).toStringList(), proxy.groupLabels());
}

void tst_ContactsProxyModel::ordersLikeLocaleAwareCompare_data()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<QStringList>("surnames");

    const QStringList mixed{"Иванов",     "иванов",       "ИВАНОВ",  "Ivanov",  "ivanov",
                            "IVANOV",     "Ёлкин",        "Елкин",   "елкин",   "Ælfric",
                            "Zoë",        "zoe",          "Zoe",     "Ånström", "Anström",
                            "Яковлев",    "Щукин",        "Шукин",   "éclair",  "Eclair",
                            "eclair",     "e\u0301clair", "O'Brien", "OBrien",  "de la Cruz",
                            "De La Cruz", "1st Avenue",   "#hash",   "Ülker",   "Uelker",
                            "Straße",     "Strasse",      "Ґалич",   "Галич",   "Їжак",
                            "Іваненко",   "Ivanenko",     "𝐀ngle",   "Angle"};
    QTest::newRow("Latin, Cyrillic, upper and lower case, accents") << 262 << mixed;

    // The first-name column is empty for contacts with a surname only: an
    // empty text sorts before every other, as in localeAwareCompare.
    QTest::newRow("first name, some empty") << 259 << mixed;

    QStringList generated;
    QRandomGenerator random(20261206);
    const QString letters = QStringLiteral("aAbBeEéÉiIoOАаБбЕеЁёИиЯяЖж -'");
    for (int i = 0; i < 1500; ++i) {
        QString name;
        const int length = 1 + random.bounded(5);
        for (int c = 0; c < length; ++c) {
            name += letters.at(random.bounded(letters.size()));
        }
        generated << name;
    }
    QTest::newRow("generated, many ties") << 262 << generated;
}

void tst_ContactsProxyModel::ordersLikeLocaleAwareCompare()
{
    QFETCH(int, role);
    QFETCH(QStringList, surnames);
    // Kept in memory only: the order is the view's business, not the store's.
    m_model.reset(new ContactsModel);
    for (int i = 0; i < surnames.size(); ++i) {
        Contact contact;
        contact.surname = surnames.at(i);
        contact.name = i % 3 ? surnames.at((i * 7) % surnames.size()) : QString();
        m_model->addContact(&contact, QString());
    }
    m_proxy.reset(new ContactsProxyModel);
    m_proxy->setSourceModel(m_model.get());
    m_proxy->setSortRole(role);
    m_proxy->sort();

    // What the view must show: the source rows stably sorted with
    // QString::localeAwareCompare on the sort role's text.
    QStringList expected;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        expected << m_model->index(row).data(role).toString();
    }
    std::stable_sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) {
        return QString::localeAwareCompare(a, b) < 0;
    });
    QCOMPARE(viewColumn(role), expected);

    QStringList codeOrder = expected;
    std::stable_sort(codeOrder.begin(), codeOrder.end());
    QVERIFY2(codeOrder != expected, "the locale order should differ from plain code order");
}

void tst_ContactsProxyModel::staysInOrderThroughChanges()
{
    makeModel({{"Борисов", "Пётр"}, {"adams", "John"}, {"Юрьев", "Олег"}, {"Smith", "Ann"}});
    m_proxy->sort();
    addOne(QStringLiteral("Аксёнов"), QStringLiteral("Иван"));
    addOne(QStringLiteral("zimmer"), QStringLiteral("Kurt"));
    m_proxy->setCurrentIndex(
            m_proxy->indexOfContact(m_model->index(0).data(ContactsModel::IdRole).toString()));
    m_proxy->newContact()->surname = QStringLiteral("Ягодкин");
    m_proxy->newContact()->name = QStringLiteral("Пётр");
    m_proxy->saveContactChanges(QString());
    m_proxy->setContactsToRemove({QStringLiteral("1")});
    m_proxy->removeContacts();
    addOne(QStringLiteral("Berg"), QStringLiteral("Ola"));

    QStringList expected;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        expected << m_model->index(row).data(ContactsModel::FullNameRole).toString();
    }
    std::sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) {
        return QString::localeAwareCompare(a, b) < 0;
    });
    QCOMPARE(viewColumn(ContactsModel::FullNameRole), expected);
    QCOMPARE(expected.first(), QStringLiteral("Аксёнов Иван"));
}

void tst_ContactsProxyModel::upperAndLowerInitialShareOneLetter()
{
    makeModel({{"Ivanov", "Ivan"}, {"ivy", "Ann"}});
    m_proxy->sort();
    QCOMPARE(m_proxy->existingLetters(), (QStringList{"#", "I"}));
    QCOMPARE(m_proxy->indexOfLetter(QStringLiteral("I")), 0);
}

void tst_ContactsProxyModel::letterIndexPointsAtFirstRowOfEachLetter()
{
    makeModel({{"Смирнов", "Иван"},
               {"Adams", "John"},
               {"Brown", "Bob"},
               {"смирнова", "Анна"},
               {"Алексеев", "Пётр"},
               {"Bell", "Ann"},
               {"ёжиков", "Олег"}});
    QSignalSpy lettersChanged(m_proxy.get(), &ContactsProxyModel::existingLettersChanged);
    m_proxy->sort();

    // Russian collation: Cyrillic first, ё with е after д.
    QCOMPARE(viewColumn(ContactsModel::FullNameRole),
             (QStringList{"Алексеев Пётр", "ёжиков Олег", "Смирнов Иван", "смирнова Анна",
                          "Adams John", "Bell Ann", "Brown Bob"}));
    QCOMPARE(m_proxy->existingLetters(), (QStringList{"#", "А", "Ё", "С", "A", "B"}));
    QCOMPARE(lettersChanged.count(), 1);
    QCOMPARE(m_proxy->indexOfLetter(QStringLiteral("А")), 0);
    QCOMPARE(m_proxy->indexOfLetter(QStringLiteral("С")), 2);
    QCOMPARE(m_proxy->indexOfLetter(QStringLiteral("B")), 5);
    QCOMPARE(m_proxy->indexOfLetter(QStringLiteral("Z")), 0);
    QCOMPARE(m_proxy->indexOfLetter(QStringLiteral("#")), 0);
    QCOMPARE(m_proxy->indexOfLetter(QStringLiteral("b")), 0);

    // A rebuild that finds the same letters at the same rows says nothing.
    m_proxy->sort();
    QCOMPARE(lettersChanged.count(), 1);
}

void tst_ContactsProxyModel::favouritesOnlyShowsStarredAndAddsStarred()
{
    makeModel({{"Adams", "John"}, {"Brown", "Bob"}, {"Clark", "Carl"}, {"Davis", "Dan"}});
    m_proxy->sort();
    m_proxy->setCurrentIndex(1);
    m_proxy->toggleFavorite();
    m_proxy->setCurrentIndex(3);
    m_proxy->toggleFavorite();
    QSignalSpy lettersChanged(m_proxy.get(), &ContactsProxyModel::existingLettersChanged);

    m_proxy->showFavouriteGroup(true);
    QCOMPARE(viewColumn(ContactsModel::FullNameRole), (QStringList{"Brown Bob", "Davis Dan"}));
    QCOMPARE(m_proxy->existingLetters(), (QStringList{"#", "B", "D"}));
    QCOMPARE(m_proxy->indexOfLetter(QStringLiteral("D")), 1);
    QCOMPARE(lettersChanged.count(), 1);
    m_proxy->showFavouriteGroup(true);
    QCOMPARE(lettersChanged.count(), 1);

    m_proxy->newContact()->surname = QStringLiteral("Evans");
    m_proxy->newContact()->name = QStringLiteral("Eve");
    m_proxy->addNewContact(QString());
    QCOMPARE(viewColumn(ContactsModel::FullNameRole),
             (QStringList{"Brown Bob", "Davis Dan", "Evans Eve"}));
    QCOMPARE(m_proxy->existingLetters(), (QStringList{"#", "B", "D", "E"}));

    // Stored starred: a fresh model from the same store sees it.
    ContactsModel reloaded;
    reloaded.setDataBase(m_store.get());
    reloaded.loadModel();
    int starred = 0;
    for (int row = 0; row < reloaded.rowCount(); ++row) {
        starred += reloaded.index(row).data(ContactsModel::FavoriteRole).toBool();
    }
    QCOMPARE(reloaded.rowCount(), 5);
    QCOMPARE(starred, 3);

    // Unstarring the current contact takes it out of the view at once.
    m_proxy->setCurrentIndex(0);
    m_proxy->toggleFavorite();
    QCOMPARE(viewColumn(ContactsModel::FullNameRole), (QStringList{"Davis Dan", "Evans Eve"}));

    m_proxy->showFavouriteGroup(false);
    QCOMPARE(m_proxy->rowCount(), 5);
    QCOMPARE(m_proxy->existingLetters(), (QStringList{"#", "A", "B", "C", "D", "E"}));
}

void tst_ContactsProxyModel::searchMatchesAnyCase()
{
    makeModel({{"Karenina", "Anna"},
               {"Joanne", "Smith"},
               {"ANNETTE", "Bell"},
               {"Ana", "Lopez"},
               {"Hanna", "Kowalski"},
               {"Bob", "Ward"},
               {"Жанна", "Анна"},
               {"an", "Na"}});
    m_proxy->sort();
    m_proxy->setFilterFixedString(QStringLiteral("ann"));
    QCOMPARE(viewColumn(ContactsModel::FullNameRole),
             (QStringList{"ANNETTE Bell", "Hanna Kowalski", "Joanne Smith", "Karenina Anna"}));

    m_proxy->setFilterFixedString(QStringLiteral("анн"));
    QCOMPARE(viewColumn(ContactsModel::FullNameRole), (QStringList{"Жанна Анна"}));

    m_proxy->setFilterFixedString(QString());
    QCOMPARE(m_proxy->rowCount(), 8);
}

void tst_ContactsProxyModel::searchThenFavouritesThenClear()
{
    makeModel({{"Karenina", "Anna"}, {"Joanne", "Smith"}, {"Bob", "Ward"}, {"Hanna", "Kowalski"}});
    m_proxy->sort();
    m_proxy->setCurrentIndex(
            m_proxy->indexOfContact(m_model->index(1).data(ContactsModel::IdRole).toString()));
    m_proxy->toggleFavorite();

    m_proxy->setFilterFixedString(QStringLiteral("an"));
    m_proxy->setFilterFixedString(QStringLiteral("ann"));
    QCOMPARE(m_proxy->rowCount(), 3);
    m_proxy->showFavouriteGroup(true);
    QCOMPARE(viewColumn(ContactsModel::FullNameRole), (QStringList{"Joanne Smith"}));
    m_proxy->setFilterFixedString(QStringLiteral("an"));
    QCOMPARE(viewColumn(ContactsModel::FullNameRole), (QStringList{"Joanne Smith"}));
    m_proxy->showFavouriteGroup(false);
    QCOMPARE(viewColumn(ContactsModel::FullNameRole),
             (QStringList{"Hanna Kowalski", "Joanne Smith", "Karenina Anna"}));
    m_proxy->setFilterFixedString(QString());
    QCOMPARE(viewColumn(ContactsModel::FullNameRole),
             (QStringList{"Bob Ward", "Hanna Kowalski", "Joanne Smith", "Karenina Anna"}));
}

void tst_ContactsProxyModel::removeContactsByViewRows()
{
    // Stored out of order, so that view rows and source rows differ.
    makeModel({{"Hill", "H"},
               {"Clark", "C"},
               {"Adams", "A"},
               {"Gray", "G"},
               {"Evans", "E"},
               {"Brown", "B"},
               {"Fox", "F"},
               {"Dean", "D"}});
    m_proxy->sort();
    const QStringList ids = viewColumn(ContactsModel::IdRole);
    QCOMPARE(viewColumn(ContactsModel::FullNameRole).value(5), QStringLiteral("Fox F"));
    QSignalSpy lettersChanged(m_proxy.get(), &ContactsProxyModel::existingLettersChanged);

    m_proxy->setContactsToRemove({QStringLiteral("3"), QStringLiteral("0"), QStringLiteral("5")});
    m_proxy->removeContacts();

    QCOMPARE(viewColumn(ContactsModel::FullNameRole),
             (QStringList{"Brown B", "Clark C", "Evans E", "Gray G", "Hill H"}));
    QCOMPARE(m_proxy->existingLetters(), (QStringList{"#", "B", "C", "E", "G", "H"}));
    QCOMPARE(lettersChanged.count(), 1);
    QCOMPARE(m_proxy->contactsToRemove().size(), 3);
    ContactsModel reloaded;
    reloaded.setDataBase(m_store.get());
    reloaded.loadModel();
    QCOMPARE(reloaded.rowCount(), 5);
    for (int row = 0; row < reloaded.rowCount(); ++row) {
        const QString id = reloaded.index(row).data(ContactsModel::IdRole).toString();
        QVERIFY(id != ids[0] && id != ids[3] && id != ids[5]);
    }
}

void tst_ContactsProxyModel::removeContactsSkipsEntriesThatAreNoViewRow()
{
    makeModel({{"Adams", "A"}, {"Brown", "B"}, {"Clark", "C"}, {"Dean", "D"}, {"Evans", "E"}});
    m_proxy->sort();

    // Junk is not read as row 0, and a repeated row removes one contact.
    m_proxy->setContactsToRemove({"x", "", "-1", "5", "99", "3", "3"});
    m_proxy->removeContacts();
    QCOMPARE(viewColumn(ContactsModel::FullNameRole),
             (QStringList{"Adams A", "Brown B", "Clark C", "Evans E"}));

    m_proxy->setContactsToRemove({});
    m_proxy->removeContacts();
    QCOMPARE(m_proxy->rowCount(), 4);
}

void tst_ContactsProxyModel::setSortRoleResortsAndSavesButKeepsLetters()
{
    makeModel({{"Adams", "Zack"}, {"Brown", "Yuri"}, {"Clark", "Xena"}});
    m_proxy->sort();
    const QStringList letters{"#", "A", "B", "C"};
    QCOMPARE(m_proxy->existingLetters(), letters);
    QSignalSpy roleChanged(m_proxy.get(), &ContactsProxyModel::sortRoleChanged);

    m_proxy->setSortRole(259);

    QCOMPARE(roleChanged.count(), 1);
    QCOMPARE(int(m_proxy->sortRole()), 259);
    QCOMPARE(QSettings().value(QStringLiteral("sortRole")).toInt(), 259);
    QCOMPARE(viewColumn(ContactsModel::NameRole), (QStringList{"Xena", "Yuri", "Zack"}));
    QCOMPARE(m_proxy->existingLetters(), letters);

    m_proxy->setSortRole(259);
    m_proxy->setSortRole(0);
    QCOMPARE(roleChanged.count(), 1);
    QCOMPARE(int(m_proxy->sortRole()), 259);

    m_proxy->sort();
    QCOMPARE(m_proxy->existingLetters(), (QStringList{"#", "X", "Y", "Z"}));

    // The property write signals only: no saving.
    m_proxy->setProperty("sortRole", 260);
    QCOMPARE(roleChanged.count(), 2);
    QCOMPARE(QSettings().value(QStringLiteral("sortRole")).toInt(), 259);
    QCOMPARE(m_proxy->QSortFilterProxyModel::sortRole(), 259);
    // The next sort() orders by the written role.
    m_proxy->setProperty("sortRole", 263);
    m_proxy->setProperty("sortRole", 260);
    m_proxy->sort();
    QCOMPARE(viewColumn(ContactsModel::SurnameRole), (QStringList{"Adams", "Brown", "Clark"}));
    QCOMPARE(m_proxy->existingLetters(), letters);
}

void tst_ContactsProxyModel::saveContactChangesEditsCurrentRow()
{
    makeModel({{"Adams", "A"}, {"Brown", "B"}, {"Clark", "C"}});
    m_proxy->sort();
    m_proxy->setCurrentIndex(0);
    const QString id = m_proxy->currentData(ContactsModel::IdRole).toString();
    Contact *edit = m_proxy->newContact();
    edit->surname = QStringLiteral("  Zed ");
    edit->name = QStringLiteral("Zoe\t");
    edit->middlename = QString();
    edit->phoneList = QStringList{"123"};
    edit->phoneGroupList = QStringList{"Car"};

    m_proxy->saveContactChanges(QString());

    QCOMPARE(viewColumn(ContactsModel::FullNameRole),
             (QStringList{"Brown B", "Clark C", "Zed Zoe"}));
    QCOMPARE(m_proxy->indexOfContact(id), 2);
    QCOMPARE(m_proxy->existingLetters(), (QStringList{"#", "B", "C", "Z"}));
    QCOMPARE(edit->fullname, QStringLiteral("Zed Zoe"));
    const QList<Contact *> stored = m_store->loadContacts();
    for (Contact *contact : stored) {
        if (contact->id == id) {
            QCOMPARE(contact->phoneGroupList, QStringList{"Car"});
        }
    }
    qDeleteAll(stored);
}

void tst_ContactsProxyModel::operationsWithoutCurrentRowDoNothing()
{
    makeModel({{"Adams", "A"}, {"Brown", "B"}});
    m_proxy->sort();
    const QString photo = m_dir->filePath(QStringLiteral("photo.png"));
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(photo));
    m_proxy->newContact()->surname = QStringLiteral("Changed");
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);

    for (int current : {-1, 2, 100}) {
        m_proxy->setCurrentIndex(current);
        m_proxy->toggleFavorite();
        m_proxy->saveContactChanges(photo);
        m_proxy->savePhoto(photo);
        QCOMPARE(m_proxy->currentData(ContactsModel::FullNameRole), QVariant());
    }

    QCOMPARE(changed.count(), 0);
    QCOMPARE(viewColumn(ContactsModel::FullNameRole), (QStringList{"Adams A", "Brown B"}));
    for (const QString &id : viewColumn(ContactsModel::IdRole)) {
        QVERIFY(m_store->loadPhoto(id).isEmpty());
    }
    QCOMPARE(viewColumn(ContactsModel::FavoriteRole), (QStringList{"false", "false"}));

    m_proxy->setCurrentIndex(1);
    m_proxy->savePhoto(photo);
    QVERIFY(!m_store->loadPhoto(m_proxy->currentData(ContactsModel::IdRole).toString()).isEmpty());
}

void tst_ContactsProxyModel::indexOfContact()
{
    makeModel({{"Brown", "B"}, {"Adams", "A"}});
    m_proxy->sort();
    const QString id = m_model->index(0).data(ContactsModel::IdRole).toString();
    QCOMPARE(m_proxy->indexOfContact(id), 1);
    QCOMPARE(m_proxy->indexOfContact(id.left(id.size() - 1)), -1);
    QCOMPARE(m_proxy->indexOfContact(QString()), -1);
}

void tst_ContactsProxyModel::passesModelTesterThroughEveryChange()
{
    makeModel({{"Борисов", "Пётр"},
               {"adams", "John"},
               {"Юрьев", "Олег"},
               {"Smith", "Ann"},
               {"Ivanova", "Anna"}});
    QAbstractItemModelTester sourceTester(m_model.get(),
                                          QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester tester(m_proxy.get(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    m_proxy->sort();
    addOne(QStringLiteral("Абрамов"), QStringLiteral("Илья"), true);
    m_proxy->newContact()->surname = QStringLiteral("Zed");
    m_proxy->addNewContact(QString());
    m_proxy->setCurrentIndex(2);
    m_proxy->newContact()->surname = QStringLiteral("Aaron");
    m_proxy->saveContactChanges(QString());
    m_proxy->toggleFavorite();
    m_proxy->showFavouriteGroup(true);
    QCOMPARE(m_proxy->rowCount(), 2);
    m_proxy->setCurrentIndex(0);
    m_proxy->toggleFavorite();
    QCOMPARE(m_proxy->rowCount(), 1);
    m_proxy->showFavouriteGroup(false);
    m_proxy->setFilterFixedString(QStringLiteral("a"));
    m_proxy->setFilterFixedString(QStringLiteral("an"));
    m_proxy->setFilterFixedString(QStringLiteral("a"));
    m_proxy->setFilterFixedString(QString());
    m_proxy->setSortRole(259);
    m_proxy->setSortRole(260);
    m_proxy->sort();
    m_proxy->setContactsToRemove({"0", "2", "4"});
    m_proxy->removeContacts();
    QCOMPARE(m_proxy->rowCount(), 4);
    m_model->loadModel();
    QCOMPARE(m_proxy->rowCount(), 4);
    m_proxy->setContactsToRemove({"0", "1", "2", "3"});
    m_proxy->removeContacts();
    QCOMPARE(m_proxy->rowCount(), 0);
}

namespace {
QStringList rowsOf(const QAbstractItemModel *model, int role)
{
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        rows << model->index(row, 0).data(role).toString();
    }
    return rows;
}

// Distinct names, so that the order has no ties to settle.
QStringList generatedNames(int count)
{
    const QStringList parts{"Anna",    "Joanne",  "Олег",    "Ольга", "ivanov", "Иванова", "Straße",
                            "STRASSE", "Σίσυφος", "ΣΊΣΥΦΟΣ", "İnci",  "inci",   "Ǆuro",    "ǆuro",
                            "𝐀ngle",   "Zoë",     "zoe",     "Hanna", "Ёлкин",  "елкин"};
    QStringList names;
    QRandomGenerator random(7);
    for (int i = 0; i < count; ++i) {
        names << QStringLiteral("%1 %2 %3")
                         .arg(parts.at(random.bounded(parts.size())),
                              parts.at(random.bounded(parts.size())))
                         .arg(i);
    }
    return names;
}
} // namespace

void tst_ContactsProxyModel::agreesWithPlainProxy_data()
{
    QTest::addColumn<int>("count");
    // Few rows change row by row; thousands of changed rows re-map the view.
    QTest::newRow("small list") << 40;
    QTest::newRow("large list") << 3000;
}

void tst_ContactsProxyModel::agreesWithPlainProxy()
{
    QFETCH(int, count);
    m_model.reset(new ContactsModel);
    const QStringList names = generatedNames(count);
    for (int i = 0; i < names.size(); ++i) {
        Contact contact;
        contact.surname = names.at(i);
        contact.isFavorite = i % 3 == 0;
        m_model->addContact(&contact, QString());
    }
    m_proxy.reset(new ContactsProxyModel);
    m_proxy->setSourceModel(m_model.get());
    QAbstractItemModelTester tester(m_proxy.get(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    m_proxy->sort();

    // The literal view: the base class sorting with localeAwareCompare and
    // testing the full name for the fixed text in any case.
    QSortFilterProxyModel plain;
    plain.setSortRole(ContactsModel::FullNameRole);
    plain.setSortLocaleAware(true);
    plain.setFilterRole(ContactsModel::FullNameRole);
    plain.setFilterCaseSensitivity(Qt::CaseInsensitive);
    plain.setSourceModel(m_model.get());
    plain.sort(0);
    QCOMPARE(rowsOf(m_proxy.get(), ContactsModel::IdRole), rowsOf(&plain, ContactsModel::IdRole));

    // The same rows in the same order as the literal view would show, with
    // the favourites-only flag applied on top.
    auto expectedRows = [this](const QString &text) {
        QSortFilterProxyModel reference;
        reference.setSortRole(ContactsModel::FullNameRole);
        reference.setSortLocaleAware(true);
        reference.setFilterRole(ContactsModel::FullNameRole);
        reference.setFilterCaseSensitivity(Qt::CaseInsensitive);
        reference.setSourceModel(m_model.get());
        reference.setFilterFixedString(text);
        reference.sort(0);
        QStringList expected;
        for (int row = 0; row < reference.rowCount(); ++row) {
            const QModelIndex index = reference.index(row, 0);
            if (!m_proxy->favouritesOnly() || index.data(ContactsModel::FavoriteRole).toBool()) {
                expected << index.data(ContactsModel::IdRole).toString();
            }
        }
        return expected;
    };

    const QStringList keystrokes{"a",    "an", "ann", "an", "a", "",  "ß", "ss", "SS",
                                 "σ",    "Σ",  "ς",   "i",  "ǅ", "ǆ", "𝐀", "о",  "ол",
                                 "олег", "о",  "z",   "3",  "",  "1", "12"};
    int step = 0;
    for (const QString &text : keystrokes) {
        m_proxy->setFilterFixedString(text);
        QCOMPARE(rowsOf(m_proxy.get(), ContactsModel::IdRole), expectedRows(text));
        // Now and then the favourites, an edit and an addition in between.
        switch (++step % 5) {
        case 1:
            m_proxy->showFavouriteGroup(!m_proxy->favouritesOnly());
            break;
        case 2:
            m_proxy->setCurrentIndex(m_proxy->rowCount() / 2);
            m_proxy->newContact()->surname = QStringLiteral("Edited %1").arg(step);
            m_proxy->saveContactChanges(QString());
            break;
        case 3: {
            Contact added;
            added.surname = QStringLiteral("Anna Added %1").arg(step);
            added.isFavorite = true;
            m_model->addContact(&added, QString());
            break;
        }
        default:
            m_proxy->setCurrentIndex(0);
            m_proxy->toggleFavorite();
            break;
        }
        QCOMPARE(rowsOf(m_proxy.get(), ContactsModel::IdRole), expectedRows(text));

        // The letter index, rebuilt from the rows as the view shows them.
        m_proxy->sort();
        QStringList letters{QStringLiteral("#")};
        QHash<QString, int> firstRows;
        const QStringList shown = rowsOf(m_proxy.get(), ContactsModel::FullNameRole);
        for (int row = 0; row < shown.size(); ++row) {
            const QString letter =
                    shown.at(row).left(shown.at(row).at(0).isSurrogate() ? 2 : 1).toUpper();
            if (!firstRows.contains(letter)) {
                firstRows.insert(letter, row);
                letters << letter;
            }
        }
        QCOMPARE(m_proxy->existingLetters(), letters);
        for (auto it = firstRows.cbegin(); it != firstRows.cend(); ++it) {
            QCOMPARE(m_proxy->indexOfLetter(it.key()), it.value());
        }
    }
}

void tst_ContactsProxyModel::sceneSearchReachesTheViewsOwnSlot()
{
    m_model.reset(new ContactsModel);
    const QStringList names = generatedNames(3000);
    for (const QString &name : names) {
        Contact contact;
        contact.surname = name;
        m_model->addContact(&contact, QString());
    }
    m_proxy.reset(new ContactsProxyModel);
    m_proxy->setSourceModel(m_model.get());
    m_proxy->sort();
    int removed = 0;
    int layoutChanged = 0;
    connect(m_proxy.get(), &QAbstractItemModel::rowsRemoved, this, [&] { ++removed; });
    connect(m_proxy.get(), &QAbstractItemModel::layoutChanged, this, [&] { ++layoutChanged; });

    // Thousands of rows leave the view: this class re-maps it in one layout
    // change, where the base class would announce every run of rows.
    QQmlEngine engine;
    engine.rootContext()->setContextProperty(QStringLiteral("contactsProxyModel"), m_proxy.get());
    QQmlExpression search(engine.rootContext(), nullptr,
                          QStringLiteral("contactsProxyModel.setFilterFixedString(\"Олег\")"));
    search.evaluate();
    QVERIFY(!search.hasError());

    QCOMPARE(removed, 0);
    QCOMPARE(layoutChanged, 1);
    QVERIFY(m_proxy->rowCount() > 0);
    QVERIFY(m_proxy->rowCount() < 1000);
    for (const QString &name : rowsOf(m_proxy.get(), ContactsModel::FullNameRole)) {
        QVERIFY2(name.contains(QStringLiteral("олег"), Qt::CaseInsensitive), qPrintable(name));
    }
    QCOMPARE(m_proxy->filterRegExp().pattern(), QStringLiteral("Олег"));
}

void tst_ContactsProxyModel::otherPatternsUseTheBaseRowTest()
{
    makeModel({{"Anna", "A"}, {"Bob", "B"}, {"Hanna", "H"}, {"Jo", "J"}});
    m_proxy->sort();
    m_proxy->setFilterFixedString(QStringLiteral("ann"));
    QCOMPARE(m_proxy->rowCount(), 2);

    m_proxy->setFilterRegExp(QStringLiteral("^(Bob|Jo) "));
    QCOMPARE(rowsOf(m_proxy.get(), ContactsModel::FullNameRole), (QStringList{"Bob B", "Jo J"}));
    m_proxy->setFilterWildcard(QStringLiteral("*nna*"));
    QCOMPARE(rowsOf(m_proxy.get(), ContactsModel::FullNameRole),
             (QStringList{"Anna A", "Hanna H"}));
    m_proxy->setFilterRegularExpression(QStringLiteral("^H"));
    QCOMPARE(rowsOf(m_proxy.get(), ContactsModel::FullNameRole), (QStringList{"Hanna H"}));
    m_proxy->setFilterFixedString(QStringLiteral("o"));
    QCOMPARE(rowsOf(m_proxy.get(), ContactsModel::FullNameRole), (QStringList{"Bob B", "Jo J"}));
    m_proxy->setFilterCaseSensitivity(Qt::CaseSensitive);
    m_proxy->setFilterFixedString(QStringLiteral("A"));
    QCOMPARE(rowsOf(m_proxy.get(), ContactsModel::FullNameRole), (QStringList{"Anna A"}));
}

void tst_ContactsProxyModel::searchFindsDottedCapitalI()
{
    // The base class's fixed-text pattern lower-cases İ to two characters
    // (i and a combining dot) and then finds it in no name at all; the
    // search finds the names that hold the letter.
    makeModel({{"İnci", "A"}, {"inci", "B"}, {"Inci", "C"}, {"Aydın", "D"}});
    m_proxy->sort();
    m_proxy->setFilterFixedString(QStringLiteral("İ"));
    QCOMPARE(rowsOf(m_proxy.get(), ContactsModel::FullNameRole), (QStringList{"İnci A"}));
    m_proxy->setFilterFixedString(QStringLiteral("ın"));
    QCOMPARE(rowsOf(m_proxy.get(), ContactsModel::FullNameRole), (QStringList{"Aydın D"}));
    m_proxy->setFilterFixedString(QStringLiteral("INCI"));
    QCOMPARE(rowsOf(m_proxy.get(), ContactsModel::FullNameRole), (QStringList{"inci B", "Inci C"}));
}

void tst_ContactsProxyModel::sourceAttachedAsPlainModelKeepsInStep()
{
    makeModel({{"Brown", "B"}, {"Adams", "A"}});
    m_proxy.reset(new ContactsProxyModel);
    // Through the base class, as a sourceModel binding would.
    static_cast<QSortFilterProxyModel *>(m_proxy.get())->setSourceModel(m_model.get());
    m_proxy->sort();
    addOne(QStringLiteral("Aaron"), QStringLiteral("Z"));
    m_proxy->setCurrentIndex(2);
    m_proxy->newContact()->surname = QStringLiteral("Abbot");
    m_proxy->saveContactChanges(QString());
    QCOMPARE(rowsOf(m_proxy.get(), ContactsModel::FullNameRole),
             (QStringList{"Aaron Z", "Abbot", "Adams A"}));
    m_proxy->setFilterFixedString(QStringLiteral("ab"));
    QCOMPARE(rowsOf(m_proxy.get(), ContactsModel::FullNameRole), (QStringList{"Abbot"}));
}

void tst_ContactsProxyModel::survivesItsSourceModel()
{
    makeModel({{"Brown", "B"}, {"Adams", "A"}});
    m_proxy->sort();
    m_proxy->setCurrentIndex(0);
    m_model.reset();

    QCOMPARE(m_proxy->rowCount(), 0);
    m_proxy->toggleFavorite();
    m_proxy->saveContactChanges(QString());
    m_proxy->addNewContact(QString());
    m_proxy->setContactsToRemove({QStringLiteral("0")});
    m_proxy->removeContacts();
    m_proxy->setFilterFixedString(QStringLiteral("a"));
    m_proxy->showFavouriteGroup(true);
    m_proxy->sort();
    QCOMPARE(m_proxy->existingLetters(), QStringList{"#"});
    QCOMPARE(m_proxy->currentData(ContactsModel::IdRole), QVariant());
}

KIV_TEST_GUILESS_MAIN(tst_ContactsProxyModel)
#include "tst_contactsproxymodel.moc"

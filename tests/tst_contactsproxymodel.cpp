#include "model/contactsproxymodel.h"

#include "model/contactsmodel.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QAbstractProxyModel>

#include <algorithm>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QSettings>
#include <QSignalSpy>
#include <QSortFilterProxyModel>

// The sorted, filtered view over the list model on an SQLite store. States
// are compact strings: "Surname Name|Other*" (a star marks a favourite) in,
// the view, the letter index ("#,A=0,B=2": letter and its first row) and what
// a fresh model loads from the store out.
namespace {

QStringList column(const QAbstractItemModel *model, int role)
{
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        rows << model->index(row, 0).data(role).toString();
    }
    return rows;
}

QString names(const QAbstractItemModel *model)
{
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        const QStringList groups = index.data(ContactsModel::GroupsRole).toStringList();
        rows << index.data(ContactsModel::FullNameRole).toString()
                        + (index.data(ContactsModel::FavoriteRole).toBool() ? "*" : "")
                        + (groups.isEmpty() ? QString() : " [" + groups.join(",") + "]");
    }
    return rows.join(QLatin1Char('|'));
}

QString letters(const ContactsProxyModel &proxy)
{
    QStringList result;
    for (const QString &letter : proxy.existingLetters()) {
        result << (letter == QLatin1String("#")
                           ? letter
                           : letter + QLatin1Char('=')
                                     + QString::number(proxy.indexOfLetter(letter)));
    }
    return result.join(QLatin1Char(','));
}

// The letter index a view of these full names should show, as letters()
// gives it: each initial once, at the first row it starts.
QString lettersOfRows(const QStringList &shown)
{
    QStringList result{QStringLiteral("#")};
    QStringList seen;
    for (int row = 0; row < shown.size(); ++row) {
        const QString letter =
                shown.at(row).left(shown.at(row).at(0).isSurrogate() ? 2 : 1).toUpper();
        if (!seen.contains(letter)) {
            seen << letter;
            result << letter + QLatin1Char('=') + QString::number(row);
        }
    }
    return result.join(QLatin1Char(','));
}

// Distinct names in many scripts and cases, so that the order has no ties
// to settle and differs from code order.
QStringList generatedNames(int count)
{
    const QStringList parts{"Anna",    "Joanne",     "Олег",    "Ольга",   "ivanov", "Иванова",
                            "Straße",  "STRASSE",    "Σίσυφος", "ΣΊΣΥΦΟΣ", "İnci",   "inci",
                            "Ǆuro",    "ǆuro",       "𝐀ngle",   "Zoë",     "zoe",    "Hanna",
                            "Ёлкин",   "елкин",      "Ælfric",  "Ånström", "éclair", "e\u0301clair",
                            "O'Brien", "de la Cruz", "1st",     "Ґалич",   "Їжак"};
    QStringList result;
    QRandomGenerator random(7);
    for (int i = 0; i < count; ++i) {
        result << QStringLiteral("%1 %2 %3")
                          .arg(parts.at(random.bounded(parts.size())),
                               parts.at(random.bounded(parts.size())))
                          .arg(i);
    }
    return result;
}

} // namespace

class tst_ContactsProxyModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void follows_data();
    void follows();
    void agreesWithPlainProxyThroughChanges_data();
    void agreesWithPlainProxyThroughChanges();
    void largeListSortsAsPlainProxy();
    void manyRowsLeaveInOneLayoutChange();
    void settingsAndGroupLabels();
    void survivesItsSourceModel();

private:
    void makeModel(const QString &contacts);

    QTemporaryDir m_dir;
    std::unique_ptr<SqliteDatabase> m_store;
    std::unique_ptr<ContactsModel> m_model;
    std::unique_ptr<ContactsProxyModel> m_proxy;
    std::unique_ptr<QAbstractItemModelTester> m_testers[2];
};

void tst_ContactsProxyModel::initTestCase()
{
    // Russian collation puts Cyrillic before Latin, far from code order;
    // QString::localeAwareCompare keeps the locale it first sees.
    QLocale::setDefault(QLocale(QStringLiteral("ru_RU")));
}

void tst_ContactsProxyModel::init()
{
    QSettings().clear();
    QFile::remove(m_dir.filePath(QStringLiteral("contacts.sqlite")));
    m_store = std::make_unique<SqliteDatabase>();
    QVERIFY(m_store->open(m_dir.filePath(QStringLiteral("contacts.sqlite"))));
}

void tst_ContactsProxyModel::cleanup()
{
    for (auto &tester : m_testers) {
        tester.reset();
    }
    m_proxy.reset();
    m_model.reset();
    m_store.reset();
}

void tst_ContactsProxyModel::makeModel(const QString &contacts)
{
    for (const QString &compact : contacts.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const ContactPtr contact = compactContact(compact);
        contact->id = Contact::makeId();
        m_store->insertContact(contact.get());
    }
    m_model = std::make_unique<ContactsModel>();
    m_model->setDataBase(m_store.get());
    m_model->loadModel();
    m_proxy = std::make_unique<ContactsProxyModel>();
    // Through the base class, as a sourceModel binding would.
    static_cast<QAbstractProxyModel *>(m_proxy.get())->setSourceModel(m_model.get());
    const auto fatal = QAbstractItemModelTester::FailureReportingMode::Fatal;
    m_testers[0] = std::make_unique<QAbstractItemModelTester>(m_model.get(), fatal);
    m_testers[1] = std::make_unique<QAbstractItemModelTester>(m_proxy.get(), fatal);
    m_proxy->sort();
}

// Steps of runListSteps() (and reload: the model reads its store again),
// each optionally followed by " = " and what the view then shows and how
// the change was announced: "rows" (removed or inserted), "layout" or none.
void tst_ContactsProxyModel::follows_data()
{
    QTest::addColumn<QString>("contacts");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QString>("stored");
    addRowsFromFile(TEST_DATA_DIR "/model/proxy-follows.jsonl");
}

void tst_ContactsProxyModel::follows()
{
    QFETCH(QString, contacts);
    QFETCH(QString, steps);
    makeModel(contacts);
    QStringList announced;
    const auto note = [&announced](const char *kind) {
        return [&announced, kind] {
            announced << QLatin1String(kind);
        };
    };
    connect(m_proxy.get(), &QAbstractItemModel::rowsRemoved, this, note("rows"));
    connect(m_proxy.get(), &QAbstractItemModel::rowsInserted, this, note("rows"));
    connect(m_proxy.get(), &QAbstractItemModel::layoutChanged, this, note("layout"));
    connect(m_proxy.get(), &QAbstractItemModel::modelReset, this, note("reset"));
    for (const QString &step : steps.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString command = step.section(QLatin1String(" = "), 0, 0);
        announced.clear();
        if (command == QLatin1String("reload")) {
            m_model->loadModel();
        } else {
            runListSteps(*m_model, m_proxy.get(), command);
        }
        announced.removeDuplicates();
        if (step.contains(QLatin1String(" = "))) {
            QCOMPARE(QStringLiteral("%1 [%2]").arg(column(m_proxy.get(), ContactsModel::FullNameRole)
                                                           .join(QLatin1Char(',')),
                                                   announced.join(QLatin1Char(' '))),
                     step.section(QLatin1String(" = "), 1));
        }
    }
    ContactsModel reloaded;
    reloaded.setDataBase(m_store.get());
    reloaded.loadModel();
    QStringList stored = names(&reloaded).split(QLatin1Char('|'));
    stored.sort();
    QTEST(names(m_proxy.get()), "view");
    QTEST(letters(*m_proxy), "letters");
    QTEST(stored.join(QLatin1Char('|')), "stored");
}

void tst_ContactsProxyModel::agreesWithPlainProxyThroughChanges_data()
{
    QTest::addColumn<int>("count");
    // Few rows change row by row; thousands of changed rows re-map the view.
    QTest::newRow("small list") << 40;
    QTest::newRow("large list") << 3000;
}

// The literal view as a reference: the base class sorting with
// localeAwareCompare and testing the full name for the text in any case,
// with the favourites-only flag applied on top.
void tst_ContactsProxyModel::agreesWithPlainProxyThroughChanges()
{
    QFETCH(int, count);
    m_model = std::make_unique<ContactsModel>();
    const QStringList generated = generatedNames(count);
    for (int i = 0; i < generated.size(); ++i) {
        Contact contact;
        contact.surname = generated.at(i);
        contact.isFavorite = i % 3 == 0;
        m_model->addContact(&contact, QString());
    }
    m_proxy = std::make_unique<ContactsProxyModel>();
    m_proxy->setSourceModel(m_model.get());
    QAbstractItemModelTester tester(m_proxy.get(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    m_proxy->sort();
    // The search ignores case, the accents of Latin letters and the
    // diaeresis of "ё": the full name and each word typed compared that way.
    auto fold = [](const QString &text) {
        const QString split = text.normalized(QString::NormalizationForm_D);
        QString kept;
        for (int i = 0; i < split.size(); ++i) {
            const QChar c = split.at(i);
            const QChar base = kept.isEmpty() ? QChar() : kept.back();
            const bool mark = c.category() == QChar::Mark_NonSpacing;
            if (mark
                && (base.script() == QChar::Script_Latin
                    || (c.unicode() == 0x0308 && base.toLower().unicode() == 0x0435))) {
                continue;
            }
            kept += c;
        }
        QString folded;
        for (const uint code : kept.normalized(QString::NormalizationForm_C).toUcs4()) {
            const uint simple = QChar::toCaseFolded(code);
            folded += QString::fromUcs4(&simple, 1);
        }
        return folded;
    };
    auto expectedRows = [this, fold](const QString &text) {
        QSortFilterProxyModel reference;
        reference.setSortRole(ContactsModel::FullNameRole);
        reference.setSortLocaleAware(true);
        reference.setSourceModel(m_model.get());
        reference.sort(0);
        QStringList expected;
        for (int row = 0; row < reference.rowCount(); ++row) {
            const QModelIndex index = reference.index(row, 0);
            const QString name = fold(index.data(ContactsModel::FullNameRole).toString());
            const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if ((!m_proxy->favouritesOnly() || index.data(ContactsModel::FavoriteRole).toBool())
                && std::all_of(words.begin(), words.end(),
                               [&](const QString &word) { return name.contains(fold(word)); })) {
                expected << index.data(ContactsModel::IdRole).toString();
            }
        }
        return expected;
    };
    const QStringList keystrokes{"a",  "an", "ann",  "an", "a", "",  "ß", "ss",
                                 "SS", "σ",  "Σ",    "ς",  "i", "ǅ", "ǆ", "𝐀",
                                 "о",  "ол", "олег", "о",  "z", "3", "",  "12",
                                 "ann 1", "1 ann", "олег an", "1 2", " "};
    int step = 0;
    for (const QString &text : keystrokes) {
        m_proxy->setFilterFixedString(text);
        QCOMPARE(column(m_proxy.get(), ContactsModel::IdRole), expectedRows(text));
        // Now and then the favourites, an edit and an addition in between.
        switch (++step % 4) {
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
        QCOMPARE(column(m_proxy.get(), ContactsModel::IdRole), expectedRows(text));
        // The letter index, rebuilt from the rows as the view shows them.
        m_proxy->sort();
        QCOMPARE(letters(*m_proxy),
                 lettersOfRows(column(m_proxy.get(), ContactsModel::FullNameRole)));
    }
}

// A list large enough to be ordered in two halves at once: the order of one
// stable sort (ties in row order, across the halves too) and its letter
// index.
void tst_ContactsProxyModel::largeListSortsAsPlainProxy()
{
    m_model = std::make_unique<ContactsModel>();
    const QStringList generated = generatedNames(25000);
    for (int i = 0; i < generated.size(); ++i) {
        Contact contact;
        contact.surname = i % 5 == 0 ? QStringLiteral("Олег") : generated.at(i);
        m_model->addContact(&contact, QString());
    }
    m_proxy = std::make_unique<ContactsProxyModel>();
    m_proxy->setSourceModel(m_model.get());
    m_proxy->sort();
    QSortFilterProxyModel reference;
    reference.setSortRole(ContactsModel::FullNameRole);
    reference.setSortLocaleAware(true);
    reference.setSourceModel(m_model.get());
    reference.sort(0);
    QCOMPARE(column(m_proxy.get(), ContactsModel::IdRole),
             column(&reference, ContactsModel::IdRole));
    QCOMPARE(letters(*m_proxy), lettersOfRows(column(&reference, ContactsModel::FullNameRole)));
}

void tst_ContactsProxyModel::manyRowsLeaveInOneLayoutChange()
{
    m_model = std::make_unique<ContactsModel>();
    for (const QString &name : generatedNames(3000)) {
        Contact contact;
        contact.surname = name;
        m_model->addContact(&contact, QString());
    }
    m_proxy = std::make_unique<ContactsProxyModel>();
    m_proxy->setSourceModel(m_model.get());
    m_proxy->sort();
    QSignalSpy removed(m_proxy.get(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy layoutChanged(m_proxy.get(), &QAbstractItemModel::layoutChanged);
    // Thousands of rows leave the view: one layout change, not thousands of
    // removals the views would each pass over every row for.
    m_proxy->setFilterFixedString(QStringLiteral("Олег"));
    QCOMPARE(removed.count(), 0);
    QCOMPARE(layoutChanged.count(), 1);
    QVERIFY(m_proxy->rowCount() > 0 && m_proxy->rowCount() < 1000);
}

void tst_ContactsProxyModel::settingsAndGroupLabels()
{
    QCOMPARE(int(ContactsProxyModel().sortRole()), int(ContactsModel::FullNameRole));
    QSettings().setValue(QStringLiteral("sortRole"), QStringLiteral("garbage"));
    QCOMPARE(int(ContactsProxyModel().sortRole()), int(ContactsModel::FullNameRole));
    QSettings().setValue(QStringLiteral("sortRole"), 259);
    QCOMPARE(int(ContactsProxyModel().sortRole()), 259);

    ContactsProxyModel proxy;
    QSignalSpy changed(&proxy, &ContactsProxyModel::groupLabelsChanged);
    QCOMPARE(proxy.groupLabels(), (QStringList{"Mobile", "Home", "Work", "Create new"}));
    for (const char *label : {"Car", "Car", "car", "", "  "}) {
        proxy.addGroupLabel(QString::fromLatin1(label));
    }
    proxy.removeGroupLabel(QStringLiteral("Home"));
    proxy.removeGroupLabel(QStringLiteral("Boat"));
    const QStringList labels{"Mobile", "Work", "Car", "car", "Create new"};
    QCOMPARE(proxy.groupLabels(), labels);
    QCOMPARE(changed.count(), 3);
    QCOMPARE(ContactsProxyModel().groupLabels(), labels);
    QCOMPARE(QSettings().value(QStringLiteral("sortRole")).toInt(), 259);
}

void tst_ContactsProxyModel::survivesItsSourceModel()
{
    makeModel(QStringLiteral("Brown B|Adams A"));
    m_proxy->setCurrentIndex(0);
    m_testers[0].reset();
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

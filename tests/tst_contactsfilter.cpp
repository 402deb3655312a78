#include "model/contactsmodel.h"
#include "model/contactsproxymodel.h"
#include "record/contact.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QGuiApplication>

// The list as the row cache sorts and searches it, step by step: searches
// that narrow, widen and clear, in names, organisations, e-mails and phone
// digits, the favourites filter, sort role switches, edits, additions and
// removals. Each step names what the view then shows and how the change was
// announced: "rows" (rows removed or inserted), "layout" or "none".
class tst_ContactsFilter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void viewFollowsEachStep_data();
    void viewFollowsEachStep();
};

namespace {

// "Surname Name*;org=Acme;email=a@acme.com;phone=+49 171 2" ("*": starred).
void addContact(ContactsModel &model, const QString &compact)
{
    QStringList fields = compact.split(QLatin1Char(';'));
    QString name = fields.takeFirst();
    Contact contact;
    contact.isFavorite = name.endsWith(QLatin1Char('*'));
    name.remove(QLatin1Char('*'));
    contact.surname = name.section(QLatin1Char(' '), 0, 0);
    contact.name = name.section(QLatin1Char(' '), 1);
    for (const QString &field : qAsConst(fields)) {
        const QString value = field.section(QLatin1Char('='), 1);
        if (field.startsWith(QLatin1String("org="))) {
            contact.organization = value;
        } else if (field.startsWith(QLatin1String("email="))) {
            contact.emailList << value;
        } else {
            contact.phoneList << value;
        }
    }
    model.addContact(&contact, QString());
}

QString shownNames(const QAbstractItemModel &view)
{
    QStringList names;
    for (int row = 0; row < view.rowCount(); ++row) {
        names << view.index(row, 0).data(ContactsModel::FullNameRole).toString();
    }
    return names.join(QLatin1Char(','));
}

} // namespace

void tst_ContactsFilter::initTestCase()
{
    QLocale::setDefault(QLocale(QStringLiteral("ru_RU")));
}

void tst_ContactsFilter::viewFollowsEachStep_data()
{
    QTest::addColumn<QString>("contacts");
    // "command argument = view [announcement]" steps, " / " between them.
    // Commands: search TEXT, fav, all, role ROLE, edit ROW SURNAME, star ROW,
    // add CONTACT, remove ROWS.
    QTest::addColumn<QString>("steps");
    addRowsFromFile(TEST_DATA_DIR "/model/filter-steps.jsonl");
}

void tst_ContactsFilter::viewFollowsEachStep()
{
    QFETCH(QString, contacts);
    QFETCH(QString, steps);
    ContactsModel model;
    for (const QString &contact : contacts.split(QLatin1Char('|'))) {
        addContact(model, contact);
    }
    ContactsProxyModel view;
    QAbstractItemModelTester tester(&view, QAbstractItemModelTester::FailureReportingMode::Fatal);
    view.setSourceModel(&model);
    view.sort();
    QStringList announced;
    const auto note = [&announced](const char *kind) {
        return [&announced, kind] {
            announced << QLatin1String(kind);
        };
    };
    connect(&view, &QAbstractItemModel::rowsRemoved, this, note("rows"));
    connect(&view, &QAbstractItemModel::rowsInserted, this, note("rows"));
    connect(&view, &QAbstractItemModel::layoutChanged, this, note("layout"));
    connect(&view, &QAbstractItemModel::modelReset, this, note("reset"));
    for (const QString &step : steps.split(QLatin1String(" / "))) {
        const QString command = step.section(QLatin1String(" = "), 0, 0);
        const QString argument = command.section(QLatin1Char(' '), 1);
        announced.clear();
        if (command.startsWith(QLatin1String("search"))) {
            view.setFilterFixedString(argument);
        } else if (command == QLatin1String("fav") || command == QLatin1String("all")) {
            view.showFavouriteGroup(command == QLatin1String("fav"));
        } else if (command.startsWith(QLatin1String("role"))) {
            view.setSortRole(argument.toInt());
        } else if (command.startsWith(QLatin1String("edit"))) {
            view.setCurrentIndex(argument.section(QLatin1Char(' '), 0, 0).toInt());
            view.newContact()->surname = argument.section(QLatin1Char(' '), 1);
            view.saveContactChanges(QString());
        } else if (command.startsWith(QLatin1String("star"))) {
            view.setCurrentIndex(argument.toInt());
            view.toggleFavorite();
        } else if (command.startsWith(QLatin1String("add"))) {
            addContact(model, argument);
        } else if (command.startsWith(QLatin1String("remove"))) {
            view.setContactsToRemove(argument.split(QLatin1Char(',')));
            view.removeContacts();
        }
        announced.removeDuplicates();
        QCOMPARE(QStringLiteral("%1 [%2]").arg(shownNames(view), announced.join(QLatin1Char(' '))),
                 step.section(QLatin1String(" = "), 1));
    }
}

KIV_TEST_GUILESS_MAIN(tst_ContactsFilter)
#include "tst_contactsfilter.moc"

#include "record/contact.h"
#include "record/duplicatefinder.h"
#include "testsupport.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTranslator>

// The duplicate search: which contacts it groups and the reasons it gives,
// from a table of cases.
class tst_DuplicateFinder : public QObject
{
    Q_OBJECT

private slots:
    void groupsLikelyDuplicates_data();
    void groupsLikelyDuplicates();
    void findsEachPairOfALargeBook();
};

void tst_DuplicateFinder::groupsLikelyDuplicates_data()
{
    QTest::addColumn<QByteArray>("contacts");
    QTest::addColumn<QStringList>("groups");
    QTest::addColumn<QStringList>("distinct");
    QTest::addColumn<QString>("language");
    const QList<QByteArray> lines = readFile(TEST_DATA_DIR "/duplicates/matches.jsonl").split('\n');
    for (const QByteArray &line : lines) {
        const QJsonArray row = QJsonDocument::fromJson(line).array();
        if (!row.isEmpty()) {
            QTest::newRow(qPrintable(row.at(0).toString()))
                    << QJsonDocument(row.at(1).toArray()).toJson()
                    << row.at(2).toVariant().toStringList() << row.at(3).toVariant().toStringList()
                    << row.at(4).toString();
        }
    }
}

void tst_DuplicateFinder::groupsLikelyDuplicates()
{
    QFETCH(QByteArray, contacts);
    QFETCH(QStringList, groups);
    QFETCH(QStringList, distinct);
    QFETCH(QString, language);
    QTranslator catalogue;
    if (!language.isEmpty()) {
        QVERIFY(catalogue.load(":/translations/kiv-contacts_" + language + ".qm"));
        QCoreApplication::installTranslator(&catalogue);
    }
    QVector<DuplicateFinder::Entry> entries;
    for (const QJsonValue &value : QJsonDocument::fromJson(contacts).array()) {
        const ContactPtr contact =
                contactFromJson(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
        contact->id = QString::number(entries.size() + 1);
        entries.append(DuplicateFinder::entryOf(*contact));
    }
    DuplicateFinder finder;
    QSet<QPair<QString, QString>> pairs;
    for (const QString &pair : distinct) {
        pairs.insert(DuplicateFinder::pairOf(pair.section(' ', 0, 0), pair.section(' ', 1)));
    }
    finder.setDistinctPairs(pairs);
    QStringList found;
    for (const DuplicateFinder::Group &group : finder.find(entries)) {
        found << (QStringList{group.ids.join(' ')} + group.reasons).join(QStringLiteral(" | "));
    }
    QCoreApplication::removeTranslator(&catalogue);
    QCOMPARE(found, groups);
}

// A book large enough that many keys share the top bits the search orders
// them by: every second card is found, with its own first card only.
void tst_DuplicateFinder::findsEachPairOfALargeBook()
{
    QVector<DuplicateFinder::Entry> entries;
    const int people = 20000;
    for (int i = 0; i < people; ++i) {
        const QString n = QString::number(i);
        entries.append({n,
                        "Family" + n,
                        "Given" + n,
                        QString(),
                        QStringList{QStringLiteral("+49 30 %1").arg(1000000 + i)},
                        {"Mobile"},
                        QStringList{"person" + n + "@example.org"},
                        "Given" + n + " Family" + n});
    }
    QStringList expected;
    for (int i = 0; i < people; i += 97) {
        DuplicateFinder::Entry copy = entries.at(i);
        copy.id = QString::number(entries.size());
        switch (i % 3) {
        case 0: // the name parts swapped, nothing else
            std::swap(copy.surname, copy.name);
            copy.phones = TextList();
            copy.emails = TextList();
            break;
        case 1: // the number in national form
            copy.phones = QStringList{QStringLiteral("030 %1").arg(1000000 + i)};
            copy.emails = TextList();
            break;
        default: // the address in capitals
            copy.emails = QStringList{copy.emails.first().toUpper()};
            copy.phones = TextList();
        }
        expected << QString::number(i) + ' ' + copy.id;
        entries.append(copy);
    }
    QStringList found;
    for (const DuplicateFinder::Group &group : DuplicateFinder().find(entries)) {
        found << group.ids.join(' ');
    }
    QCOMPARE(found, expected);
}

KIV_TEST_GUILESS_MAIN(tst_DuplicateFinder)
#include "tst_duplicatefinder.moc"

#include "model/contactsmodel.h"
#include "model/duplicatesmodel.h"
#include "record/contact.h"
#include "record/duplicatemerge.h"
#include "storage/defaultdatabase.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSettings>
#include <QThread>

// Merging duplicates on each store, field by field and photo by photo, from
// a table of cases; and the undo that puts every contact back as it was.
class tst_DuplicateMerge : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
    void mergesAndUndoes_data();
    void mergesAndUndoes();
    void closedWhileSearching();

private:
    std::unique_ptr<DataBase> open() const;
};

namespace {

QByteArray photoOf(const QString &colour)
{
    if (colour.isEmpty()) {
        return QByteArray();
    }
    return imageBytes(QSize(8, 8), "PNG", colour == QLatin1String("red") ? Qt::red : Qt::blue)
            .toBase64();
}

// The record's text with the photo's colour and, where the store keeps
// cards, the card: what a merge must keep and an undo give back.
QString stateOf(DataBase &store, const Contact &contact)
{
    QJsonObject json = contactJson(&contact);
    const QImage photo =
            QImage::fromData(store.loadPhoto(contact.id)).convertToFormat(QImage::Format_ARGB32);
    for (const char *colour : {"red", "blue"}) {
        if (!photo.isNull()
            && photo
                       == QImage::fromData(QByteArray::fromBase64(photoOf(colour)))
                                  .convertToFormat(QImage::Format_ARGB32)) {
            json.insert(QStringLiteral("photoColour"), QLatin1String(colour));
        }
    }
    QByteArray digest;
    const QByteArray card = store.loadCard(contact.id, &digest);
    if (!card.isEmpty()) {
        json.insert(QStringLiteral("card"), QString::fromUtf8(card + ' ' + digest.toHex()));
    }
    return contact.id + QLatin1Char(' ')
           + QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact));
}

QStringList storedStates(DataBase &store)
{
    const Parsed stored(store.loadContacts());
    QStringList states;
    for (const Contact *contact : stored.all()) {
        states << stateOf(store, *contact);
    }
    states.sort();
    return states;
}

} // namespace

void tst_DuplicateMerge::initTestCase_data()
{
    QTest::addColumn<bool>("sqlite");
    QTest::newRow("sqlite") << true;
    QTest::newRow("settings file") << false;
}

void tst_DuplicateMerge::init()
{
    QDir(QDir::homePath() + QStringLiteral("/.config")).removeRecursively();
    QSettings().clear();
}

std::unique_ptr<DataBase> tst_DuplicateMerge::open() const
{
    QFETCH_GLOBAL(bool, sqlite);
    std::unique_ptr<DataBase> store(sqlite ? static_cast<DataBase *>(new SqliteDatabase)
                                           : new DefaultDatabase);
    return store->open(QString()) ? std::move(store) : nullptr;
}

void tst_DuplicateMerge::mergesAndUndoes_data()
{
    QTest::addColumn<QByteArray>("row");
    for (const QByteArray &line : readFile(TEST_DATA_DIR "/duplicates/merges.jsonl").split('\n')) {
        const QJsonArray row = QJsonDocument::fromJson(line).array();
        if (!row.isEmpty()) {
            QTest::newRow(qPrintable(row.at(0).toString())) << line;
        }
    }
}

void tst_DuplicateMerge::mergesAndUndoes()
{
    QFETCH_GLOBAL(bool, sqlite);
    QFETCH(QByteArray, row);
    const QJsonArray data = QJsonDocument::fromJson(row).array();
    std::unique_ptr<DataBase> store = open();
    QVERIFY(store);
    QStringList ids;
    for (const QJsonValue &value : data.at(1).toArray()) {
        QJsonObject json = value.toObject();
        const ContactPtr contact = contactFromJson(QJsonDocument(json).toJson());
        contact->photoData = photoOf(json.value(QStringLiteral("photoColour")).toString());
        store->insertContact(contact.get());
        ids << contact->id;
    }
    const QStringList before = storedStates(*store);
    ContactsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setDataBase(store.get());
    model.loadModel();

    const QVariantMap choices = data.at(2).toObject().toVariantMap();
    QVector<DuplicateMerge::Conflict> conflicts;
    const QVector<Contact *> records = model.storedRecords(ids);
    DuplicateMerge::mergeAll(QVector<const Contact *>(records.cbegin(), records.cend()), choices,
                             &conflicts);
    qDeleteAll(records);
    QStringList offered;
    for (const DuplicateMerge::Conflict &conflict : qAsConst(conflicts)) {
        offered << conflict.label + QStringLiteral(": ")
                           + conflict.values.join(QStringLiteral(" | "));
    }
    QCOMPARE(offered, data.at(4).toVariant().toStringList());

    QVERIFY(model.mergeContacts(ids, choices));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.undoableCount(), ids.size());
    QJsonObject expected = data.at(3).toObject();
    const QString kept = expected.take(QStringLiteral("kept")).toString();
    const QStringList cardHas = expected.take(QStringLiteral("cardHas")).toVariant().toStringList();
    const QStringList cardLacks =
            expected.take(QStringLiteral("cardLacks")).toVariant().toStringList();
    const QStringList after = storedStates(*store);
    QCOMPARE(after.size(), 1);
    QCOMPARE(after.first().section(' ', 0, 0), kept);
    QJsonObject merged = QJsonDocument::fromJson(after.first().section(' ', 1).toUtf8()).object();
    const QStringList card = cardLines(merged.take(QStringLiteral("card")).toString().toUtf8());
    QCOMPARE(merged, expected);
    for (const QString &line : cardHas) {
        QVERIFY2(!sqlite || card.contains(line), qPrintable(line));
    }
    for (const QString &line : cardLacks) {
        QVERIFY2(!card.contains(line), qPrintable(line));
    }

    model.undoRemoval();
    QCOMPARE(model.undoableCount(), 0);
    QCOMPARE(model.rowCount(), ids.size());
    QCOMPARE(storedStates(*store), before);
}

// The duplicates form closed while its search runs: the search is waited
// for, and its thread goes with the form even though it never got to say
// it was done.
void tst_DuplicateMerge::closedWhileSearching()
{
    const std::unique_ptr<DataBase> store = open();
    QVERIFY(store);
    ContactsModel model;
    model.setDataBase(store.get());
    for (const char *compact : {"Smith Anna,phone=+49 30 1234567", "Anna Smith,phone=030 1234567"}) {
        model.addContact(compactContact(QLatin1String(compact)).get(), QString());
    }
    auto *duplicates = new DuplicatesModel;
    duplicates->setContactsModel(&model);
    duplicates->find();
    QVERIFY(duplicates->isBusy());
    const QPointer<QThread> worker = duplicates->findChild<QThread *>();
    QVERIFY(worker);
    delete duplicates;
    QVERIFY(worker.isNull());
}

KIV_TEST_MAIN(tst_DuplicateMerge)
#include "tst_duplicatemerge.moc"

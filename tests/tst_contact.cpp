#include "record/contact.h"
#include "testsupport.h"

#include <QGuiApplication>

// The record: its composed full name and its copy (how the import makes contacts).
class tst_Contact : public QObject
{
    Q_OBJECT

private slots:
    void composesFullName_data();
    void composesFullName();
    void copyCarriesDataUnderFreshIncreasingId();
};

void tst_Contact::composesFullName_data()
{
    QTest::addColumn<QString>("parts");
    addRowsFromFile(TEST_DATA_DIR "/model/full-names.jsonl");
}

void tst_Contact::composesFullName()
{
    QFETCH(QString, parts);
    const QStringList p = parts.split('|');
    QCOMPARE(Contact::composeFullName(p[0], p[1], p[2]), p[3]);
}

// A copy: every field, ticked, a fresh never-repeating id, a full name only if none.
void tst_Contact::copyCarriesDataUnderFreshIncreasingId()
{
    auto source = contactFromJson(R"({"id":"1","surname":"Smith","name":"Anna","favorite":true,)"
                                  R"("phones":["1 / Home","2 / "],"comment":"c"})");
    source->importMe = false;
    source->photoData = QByteArrayLiteral("iVBORw0K");
    QObject parent;
    const Contact *copy = new Contact(source.get(), &parent);
    QCOMPARE(copy->parent(), &parent);
    QVERIFY(copy->importMe);
    QCOMPARE(copy->photoData, source->photoData);
    source->fullname = QStringLiteral("Smith Anna");
    source->importMe = true;
    QCOMPARE(contactText(copy), contactText(source.get()));
    source->fullname = QStringLiteral("Dr. Anna Smith");
    QCOMPARE(Contact(source.get(), &parent).fullname, source->fullname);
    qint64 last = copy->id.toLongLong();
    QVERIFY(last > 1);
    for (int i = 0; i < 10000; ++i) {
        const qint64 id = Contact(source.get(), &parent).id.toLongLong();
        QVERIFY2(id > last, qPrintable(QString::number(id)));
        last = id;
    }
}

KIV_TEST_GUILESS_MAIN(tst_Contact)
#include "tst_contact.moc"

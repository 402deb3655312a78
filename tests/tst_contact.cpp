#include "record/contact.h"
#include "testsupport.h"

#include <QGuiApplication>

// The record: its composed full name, its copy (how the import makes
// contacts) and the packed lists it keeps its phones, e-mails, addresses and
// links in.
class tst_Contact : public QObject
{
    Q_OBJECT

private slots:
    void composesFullName_data();
    void composesFullName();
    void copyCarriesDataUnderFreshIncreasingId();
    void listKeepsEveryEntry_data();
    void listKeepsEveryEntry();
    void listFromStoredTextSplitsLikeTheText_data();
    void listFromStoredTextSplitsLikeTheText();
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

void tst_Contact::listKeepsEveryEntry_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("none") << QStringList();
    QTest::newRow("one empty") << QStringList{QString()};
    QTest::newRow("empty ones keep their places") << QStringList{"", "+49 30 1", "", ""};
    QTest::newRow("separators and line breaks")
            << QStringList{"a;;;b", ";", "Main St 1\nBerlin", "tab\there"};
    QTest::newRow("beyond ASCII") << QStringList{"Müller ÿ", "日本語", "😀 smile", "é"};
}

// Every entry comes back as it went in, whole and in place, through the
// list itself, appending and removing at its end, and the record's property
// as the scenes use it.
void tst_Contact::listKeepsEveryEntry()
{
    QFETCH(QStringList, entries);
    const TextList list(entries);
    QCOMPARE(list.toList(), entries);
    QCOMPARE(list.size(), entries.size());
    QCOMPARE(list.isEmpty(), entries.isEmpty());
    for (int i = 0; i < entries.size(); ++i) {
        QCOMPARE(list.at(i), entries.at(i));
    }
    QCOMPARE(list.joinedUtf8(";;;"), entries.join(QStringLiteral(";;;")).toUtf8());

    TextList grown;
    for (const QString &entry : entries) {
        grown << entry;
    }
    QCOMPARE(grown, list);
    for (QStringList shrunk = entries; !shrunk.isEmpty();) {
        shrunk.removeLast();
        grown.removeLast();
        QCOMPARE(grown.toList(), shrunk);
    }

    Contact contact;
    QVERIFY(contact.setProperty("phoneList", entries));
    QCOMPARE(contact.phoneList, list);
    QCOMPARE(contact.property("phoneList").toStringList(), entries);
}

void tst_Contact::listFromStoredTextSplitsLikeTheText_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("empty: no entries") << QByteArray() << QStringList();
    QTest::newRow("one") << QByteArray("+1 555") << QStringList{"+1 555"};
    QTest::newRow("empty entries") << QByteArray(";;;x;;;") << QStringList{"", "x", ""};
    QTest::newRow("four semicolons") << QByteArray("a;;;;b") << QStringList{"a", ";b"};
    QTest::newRow("UTF-8") << QByteArray("K\xc3\xb6ln;;;\xf0\x9f\x98\x80")
                           << QStringList{"Köln", "😀"};
    // Bytes that are not UTF-8 read as they always read, the end mark's
    // byte among them.
    QTest::newRow("not UTF-8") << QByteArray("a\xff;;;\xc3") << QStringList{"a\ufffd", "\ufffd"};
}

void tst_Contact::listFromStoredTextSplitsLikeTheText()
{
    QFETCH(QByteArray, stored);
    QFETCH(QStringList, entries);
    const TextList list = TextList::fromJoinedUtf8(
            std::string_view(stored.constData(), size_t(stored.size())), ";;;");
    QCOMPARE(list.toList(), entries);
    QCOMPARE(list.size(), entries.size());
}

KIV_TEST_GUILESS_MAIN(tst_Contact)
#include "tst_contact.moc"

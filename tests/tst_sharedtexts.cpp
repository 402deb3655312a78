#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

// Records loaded from the store share the texts that records repeat (name
// parts, organisations, group labels) instead of holding a copy each, and a
// full name of one part is that part.
class tst_SharedTexts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loadedRecordsShareRepeatedTexts_data();
    void loadedRecordsShareRepeatedTexts();
    void cleanupTestCase();

private:
    // A text of a loaded record: "record.field", field being name, fullname,
    // organization, phoneGroup<i> or emailGroup<i>.
    QString text(const QString &place) const;

    QList<Contact *> m_loaded;
};

void tst_SharedTexts::initTestCase()
{
    SqliteDatabase store;
    QVERIFY(store.open(QString()));
    const std::vector<ContactPtr> contacts = makeContacts(QStringLiteral("Smith Anna|Brown Anna"));
    for (const ContactPtr &contact : contacts) {
        contact->organization = QStringLiteral("ACME");
        contact->phoneGroupList = QStringList{QStringLiteral("Mobile"), QStringLiteral("Home")};
        contact->phoneList = QStringList{QStringLiteral("1"), QStringLiteral("2")};
        contact->emailGroupList = QStringList{QStringLiteral("Home")};
        contact->emailList = QStringList{QStringLiteral("a@example.org")};
        store.insertContact(contact.get());
    }
    const ContactPtr single = makeContact(QStringLiteral("3"), QStringLiteral("Clara"));
    single->surname.clear();
    store.insertContact(single.get());
    SqliteDatabase reopened;
    QVERIFY(reopened.open(QString()));
    m_loaded = reopened.loadContacts();
    QCOMPARE(m_loaded.size(), 3);
}

QString tst_SharedTexts::text(const QString &place) const
{
    const Contact *contact = m_loaded.at(place.section(QLatin1Char('.'), 0, 0).toInt());
    const QString field = place.section(QLatin1Char('.'), 1);
    if (field.startsWith(QLatin1String("phoneGroup"))) {
        return contact->phoneGroupList.at(field.right(1).toInt());
    }
    if (field.startsWith(QLatin1String("emailGroup"))) {
        return contact->emailGroupList.at(field.right(1).toInt());
    }
    return contact->property(field.toLatin1()).toString();
}

void tst_SharedTexts::loadedRecordsShareRepeatedTexts_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("given name") << "0.name"
                                << "1.name";
    QTest::newRow("organisation") << "0.organization"
                                  << "1.organization";
    QTest::newRow("group label") << "0.phoneGroup1"
                                 << "1.phoneGroup1";
    QTest::newRow("label of another list") << "0.phoneGroup1"
                                           << "1.emailGroup0";
    QTest::newRow("full name of one part") << "2.fullname"
                                           << "2.name";
}

void tst_SharedTexts::loadedRecordsShareRepeatedTexts()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    const QString a = text(first);
    const QString b = text(second);
    QCOMPARE(a, b);
    QVERIFY(!a.isEmpty());
    QCOMPARE(a.constData(), b.constData());
}

void tst_SharedTexts::cleanupTestCase()
{
    qDeleteAll(m_loaded);
}

KIV_TEST_GUILESS_MAIN(tst_SharedTexts)
#include "tst_sharedtexts.moc"

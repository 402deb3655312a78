// A contact survives any trip through this program's exports, and importing
// the same file twice leaves the address book as it was.

#include "importexport/contactsfileparser.h"
#include "importexport/existingcontacts.h"
#include "importexport/importexport.h"
#include "model/contactsmodel.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include "testsupport.h"

#include <QCryptographicHash>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>

class tst_RoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void exportReadsBack_data();
    void exportReadsBack();
    void importingTwiceChangesNothing_data();
    void importingTwiceChangesNothing();
    void findsContactsAlreadyThere_data();
    void findsContactsAlreadyThere();

private:
    QString exportAs(const QString &format);
    // Parses the file into the book the way the main scene does; the number
    // of contacts the import ran for (-1: none was ticked).
    int import(const QString &file, ContactsModel *model, DataBase *store, bool tickAll);
    QStringList rows(SqliteDatabase *store);

    QTemporaryDir m_dir;
    std::vector<ContactPtr> m_awkward;
    QVariantList m_list;
};

void tst_RoundTrip::initTestCase()
{
    const QByteArray lines = readFile(QStringLiteral(TEST_DATA_DIR "/roundtrip/contacts.jsonl"));
    for (const QByteArray &line : lines.split('\n')) {
        if (!line.startsWith('{')) {
            continue;
        }
        m_awkward.push_back(contactFromJson(line));
        const QStringList size = m_awkward.back()->property("photo").toString().split('x');
        if (size.size() == 2) {
            m_awkward.back()->photoData =
                    imageBytes(QSize(size[0].toInt(), size[1].toInt()), "PNG", Qt::darkRed)
                            .toBase64();
        }
        m_list << QVariant::fromValue(m_awkward.back().get());
    }
}

QString tst_RoundTrip::exportAs(const QString &format)
{
    static const QStringList formats{"csv", "vcf", "sqlite"};
    static int exports = 0;
    const QString file = m_dir.filePath(QStringLiteral("out%1.").arg(++exports) + format);
    ImportExport backend;
    backend.setContactsForExport(m_list);
    backend.setExportFileAndMethod(file, ImportExport::ExportMethod(formats.indexOf(format)));
    backend.exportContacts();
    return file;
}

void tst_RoundTrip::exportReadsBack_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("vCard") << "vcf";
    QTest::newRow("Google CSV") << "csv";
    QTest::newRow("database") << "sqlite";
}

// Every field comes back, photos pixel for pixel; vobject reads the cards
// with their photos and custom labels.
void tst_RoundTrip::exportReadsBack()
{
    QFETCH(QString, format);
    const QString file = exportAs(format);
    const Parsed back(ContactsFileParser::parseFile(file, QStringLiteral("UTF-8")));
    QCOMPARE(size_t(back.size()), m_awkward.size());
    QJsonArray cards;
    for (int i = 0; i < back.size(); ++i) {
        Contact expected(m_awkward.at(size_t(i)).get(), nullptr);
        expected.fullname.clear();
        back.at(i)->fullname.clear();
        expected.photoData = format == "csv" ? QByteArray() : m_awkward.at(size_t(i))->photoData;
        QCOMPARE(contactText(back.at(i)), contactText(&expected));
        const auto image = [](const QByteArray &base64) {
            return QImage::fromData(QByteArray::fromBase64(base64))
                    .convertToFormat(QImage::Format_ARGB32);
        };
        QCOMPARE(image(back.at(i)->photoData), image(expected.photoData));
        QStringList labels;
        for (const QString &label :
             expected.phoneGroupList + expected.emailGroupList + expected.addressGroupList) {
            if (!QStringList{"Mobile", "Home", "Work"}.contains(label)) {
                labels << label;
            }
        }
        cards.append(QJsonArray{
                expected.composedFullName(), QJsonArray::fromStringList(labels),
                QString(QCryptographicHash::hash(QByteArray::fromBase64(expected.photoData),
                                                 QCryptographicHash::Md5)
                                .toHex())});
    }
    if (format == "vcf") {
        QProcess python;
        python.start("/usr/bin/python3", {"-c", R"(
import hashlib, json, sys, vobject
print(json.dumps([[c.fn.value, [l.value for l in c.contents.get('x-ablabel', [])],
                   hashlib.md5(c.photo.value if 'photo' in c.contents else b'').hexdigest()]
                  for c in vobject.readComponents(open(sys.argv[1], encoding='utf-8').read())])))",
                                          file});
        QVERIFY(python.waitForFinished(30000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
        QCOMPARE(QJsonDocument::fromJson(python.readAllStandardOutput()).array(), cards);
    }
}

int tst_RoundTrip::import(const QString &file, ContactsModel *model, DataBase *store, bool tickAll)
{
    ImportExport backend;
    int count = -1;
    connect(&backend, &ImportExport::importContact, model, &ContactsModel::queueContact);
    connect(&backend, &ImportExport::mergeContact, model, &ContactsModel::mergeContact);
    connect(&backend, &ImportExport::importContactEnded, model, &ContactsModel::addQueuedContacts);
    connect(&backend, &ImportExport::importContactStarted, [&count](int n) { count = n; });
    backend.setStore(store);
    backend.setExistingContacts(model->getAllContacts());
    backend.parseContactsFromFile(QStringLiteral("UTF-8"), file);
    for (const QVariant &contact : backend.contacts()) {
        contact.value<Contact *>()->importMe |= tickAll;
    }
    backend.importParsedContacts();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return count;
}

// The table as it is stored, every column of every row.
QStringList tst_RoundTrip::rows(SqliteDatabase *store)
{
    store->contactCount(); // commits what is pending
    QSqlQuery query(QSqlDatabase::database(store->connectionName()));
    query.exec(QStringLiteral("select * from contact order by id"));
    QStringList rows;
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < query.record().count(); ++i) {
            fields << query.value(i).toString();
        }
        rows << fields.join('|');
    }
    return rows;
}

void tst_RoundTrip::importingTwiceChangesNothing_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("merged"); // contacts the second file, all ticked, adds to
    QTest::newRow("Google CSV") << "csv"
                                << "csv" << 0;
    QTest::newRow("vCard") << "vcf"
                           << "vcf" << 0;
    QTest::newRow("database") << "sqlite"
                              << "sqlite" << 0;
    QTest::newRow("the vCard brings the photos the CSV lacked") << "csv"
                                                                << "vcf" << 2;
}

void tst_RoundTrip::importingTwiceChangesNothing()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, merged);
    SqliteDatabase store;
    QVERIFY(store.open(m_dir.filePath(first + second + ".sqlite")));
    ContactsModel model;
    model.setDataBase(&store);
    QCOMPARE(import(exportAs(first), &model, &store, false), 4);
    const QStringList once = rows(&store);
    QCOMPARE(once.size(), 4);

    const QString again = exportAs(second);
    QCOMPARE(import(again, &model, &store, false), -1);
    QCOMPARE(import(again, &model, &store, true), merged);
    QCOMPARE(rows(&store).size(), 4);
    if (merged == 0) {
        QCOMPARE(rows(&store), once);
    }
    for (int row = 0; row < 4; ++row) {
        QCOMPARE(!store.loadPhoto(model.contactAt(row)->id).isEmpty(),
                 !m_awkward[size_t(row)]->photoData.isEmpty() && (first != "csv" || merged > 0));
    }

    // A contact changed meanwhile gains what it lacks and keeps its own texts.
    Contact changed(model.contactAt(0), nullptr);
    changed.phoneList.removeLast();
    changed.phoneGroupList.removeLast();
    changed.organization.clear();
    changed.comment = QStringLiteral("mine");
    model.saveContactChanges(model.index(0), &changed, QString());
    QCOMPARE(import(again, &model, &store, true), 1);
    QCOMPARE(model.contactAt(0)->phoneList, m_awkward[0]->phoneList);
    QCOMPARE(model.contactAt(0)->phoneGroupList, m_awkward[0]->phoneGroupList);
    QCOMPARE(model.contactAt(0)->organization, m_awkward[0]->organization);
    QCOMPARE(model.contactAt(0)->comment, QStringLiteral("mine"));
    QCOMPARE(SqliteDatabase::decodeList(rows(&store).value(0).section('|', 8, 8)),
             m_awkward[0]->phoneList);
}

void tst_RoundTrip::findsContactsAlreadyThere_data()
{
    QTest::addColumn<QByteArray>("parsed");
    QTest::addColumn<QString>("uid");
    QTest::addColumn<bool>("found");
    addRowsFromFile(TEST_DATA_DIR "/roundtrip/already-there.jsonl", "BST");
}

void tst_RoundTrip::findsContactsAlreadyThere()
{
    QFETCH(QByteArray, parsed);
    QFETCH(QString, uid);
    QFETCH(bool, found);
    ContactPtr stored = contactFromJson(
            R"({"id":"17","surname":"Smith","name":"Anna","phones":["+7 (912) 345-67-89 / Mobile"],)"
            R"("emails":["Anna@Example.org / Home"]})");
    ExistingContacts existing;
    existing.setContacts({stored.get()});
    ContactPtr candidate = contactFromJson(parsed);
    candidate->uid = uid;
    QCOMPARE(existing.find(*candidate) == stored.get(), found);
}

KIV_TEST_GUILESS_MAIN(tst_RoundTrip)
#include "tst_roundtrip.moc"

// A contact survives any trip through this program's exports, and importing
// the same file twice leaves the address book as it was.

#include "importexport/contactsfileparser.h"
#include "importexport/existingcontacts.h"
#include "importexport/importexport.h"
#include "model/contactsmodel.h"
#include "model/contactsproxymodel.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"

#include "testsupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSqlQuery>

namespace {

QTemporaryDir dir;

QString exportAs(const QString &format, const QVariantList &contacts)
{
    static int exports = 0;
    const QString file = dir.filePath(QStringLiteral("out%1.").arg(++exports) + format);
    ImportExport backend;
    backend.setContactsForExport(contacts);
    backend.setExportFileAndMethod(
            file, ImportExport::ExportMethod(QStringList{"csv", "vcf", "sqlite"}.indexOf(format)));
    backend.exportContacts();
    return file;
}

// Parses the file into the book the way the main scene does; the number of
// contacts the import ran for (-1: none was ticked).
int import(const QString &file, ContactsModel *model, DataBase *store, bool tickAll,
           QStringList *labels = nullptr)
{
    ImportExport backend;
    int count = -1;
    QObject::connect(&backend, &ImportExport::importContact, model, &ContactsModel::queueContact);
    QObject::connect(&backend, &ImportExport::mergeContact, model, &ContactsModel::mergeContact);
    QObject::connect(&backend, &ImportExport::importContactEnded, model,
                     &ContactsModel::addQueuedContacts);
    QObject::connect(&backend, &ImportExport::importContactStarted, [&count](int n) { count = n; });
    backend.setStore(store);
    backend.setExistingContacts(model->getAllContacts());
    backend.parseContactsFromFile(QStringLiteral("UTF-8"), file);
    for (const QVariant &contact : backend.contacts()) {
        contact.value<Contact *>()->importMe |= tickAll;
    }
    backend.importParsedContacts();
    if (labels) {
        *labels = backend.importedLabels();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return count;
}

// The table as it is stored: every column but the photo, of every row.
QStringList rows(SqliteDatabase *store)
{
    store->contactCount(); // commits what is pending
    QSqlQuery query(QSqlDatabase::database(store->connectionName()));
    query.exec(SqliteDatabase::selectContacts() + QStringLiteral(" order by id"));
    QStringList rows;
    while (query.next()) {
        for (int i = 0; i < 15; ++i) {
            rows << query.value(i).toString();
        }
    }
    return rows;
}

} // namespace

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
    std::vector<ContactPtr> m_awkward;
    QVariantList m_list;
};

void tst_RoundTrip::initTestCase()
{
    const QByteArray lines = readFile(QStringLiteral(TEST_DATA_DIR "/roundtrip/contacts.jsonl"));
    for (const QByteArray &line : lines.split('\n')) {
        if (line.startsWith('{')) {
            m_awkward.push_back(contactFromJson(line));
            m_awkward.back()->photoData = m_awkward.back()->property("photo").toByteArray();
            m_list << QVariant::fromValue(m_awkward.back().get());
        }
    }
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
    const QString file = exportAs(format, m_list);
    const Parsed back(ContactsFileParser::parseFile(file, QStringLiteral("UTF-8")));
    QCOMPARE(size_t(back.size()), m_awkward.size());
    QJsonArray cards;
    for (int i = 0; i < back.size(); ++i) {
        Contact expected(m_awkward.at(size_t(i)).get(), nullptr);
        expected.fullname = back.at(i)->fullname = QString();
        expected.photoData = format == "csv" ? QByteArray() : m_awkward.at(size_t(i))->photoData;
        QCOMPARE(contactText(back.at(i)), contactText(&expected));
        QCOMPARE(QImage::fromData(QByteArray::fromBase64(back.at(i)->photoData)),
                 QImage::fromData(QByteArray::fromBase64(expected.photoData)));
        const QString labels = m_awkward.at(size_t(i))->property("cardLabels").toString();
        cards.append(QJsonArray{expected.composedFullName(),
                                QJsonArray::fromStringList(labels.split('|', Qt::SkipEmptyParts)),
                                QString(expected.photoData)});
    }
    if (format == "vcf") {
        QProcess python;
        python.start("/usr/bin/python3", {"-c", R"(
import base64, json, sys, vobject
print(json.dumps([[c.fn.value, [l.value for l in c.contents.get('x-ablabel', [])],
                   base64.b64encode(c.photo.value).decode() if 'photo' in c.contents else '']
                  for c in vobject.readComponents(open(sys.argv[1], encoding='utf-8').read())])))",
                                          file});
        QVERIFY(python.waitForFinished(30000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
        QCOMPARE(QJsonDocument::fromJson(python.readAllStandardOutput()).array(), cards);
    }
}

void tst_RoundTrip::importingTwiceChangesNothing_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("merged");
    addRowsFromFile(TEST_DATA_DIR "/roundtrip/twice.jsonl", "SSI");
}

void tst_RoundTrip::importingTwiceChangesNothing()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, merged);
    SqliteDatabase store;
    QVERIFY(store.open(dir.filePath(first + second + ".sqlite")));
    ContactsModel model;
    model.setDataBase(&store);
    QStringList labels;
    QCOMPARE(import(exportAs(first, m_list), &model, &store, false, &labels), m_list.size());
    ContactsProxyModel editorLabels; // the imported labels join the editor's list
    editorLabels.addGroupLabels(labels);
    QCOMPARE(editorLabels.groupLabels(), (QStringList{"Mobile", "Home", "Work", "Dacha", "Home fax",
                                                      "Grandma's", "Create new"}));
    const QStringList once = rows(&store);
    QCOMPARE(once.size(), m_list.size() * 15);

    const QString again = exportAs(second, m_list);
    QCOMPARE(import(again, &model, &store, false), -1);
    QCOMPARE(import(again, &model, &store, true), merged);
    QCOMPARE(rows(&store), once);
    for (int row = 0; row < m_list.size(); ++row) {
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
    QCOMPARE(model.contactAt(0)->comment, changed.comment);
    Contact restored(model.contactAt(0), nullptr);
    restored.comment = m_awkward[0]->comment;
    model.saveContactChanges(model.index(0), &restored, QString());
    QCOMPARE(rows(&store), once);
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

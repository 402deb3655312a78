#include "importexport/contactsfileparser.h"
#include "importexport/importexport.h"
#include "record/contact.h"

#include "testmain.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

using ContactPtr = std::unique_ptr<Contact>;

// Awkward texts in every field: quotes in pairs and at both ends,
// separators, line breaks, backslashes, Cyrillic, CJK and emoji, two
// addresses of one label, custom labels and an empty middle name.
std::vector<ContactPtr> awkwardContacts()
{
    std::vector<ContactPtr> list;
    auto a = std::make_unique<Contact>();
    a->id = QStringLiteral("1700000000011");
    a->name = QStringLiteral("\"Quoted\"");
    a->surname = QStringLiteral("a\"\"b, c; d\\e");
    a->middlename = QString::fromUtf8("山田 😀");
    a->organization = QStringLiteral("\"\"ACME\"\"");
    a->dateOfBirth = QStringLiteral("29.02.2000");
    a->comment = QString::fromUtf8("line \"one\";\nline, two \\n 東京 🎉");
    a->isFavorite = true;
    a->phoneList = QStringList{"+1 555 0100", "+1 555 0101", "0102"};
    a->phoneGroupList = QStringList{"Home", "Work", "Mobile"};
    a->emailList = QStringList{"a@example.org", "b@example.org"};
    a->emailGroupList = QStringList{"Work", "Home"};
    a->addressList = QStringList{"Main St 1\nTown", "Side St \"2\"; back", "Hill 3, Village"};
    a->addressGroupList = QStringList{"Home", "Home", "Cottage"};
    a->linkList = QStringList{"https://example.org/a,b;c\\d"};
    list.push_back(std::move(a));

    auto b = std::make_unique<Contact>();
    b->id = QStringLiteral("1700000000012");
    b->name = QString::fromUtf8("Иосиф");
    b->surname = QString::fromUtf8("Циммер");
    b->organization = QString::fromUtf8("株式会社");
    b->phoneList = QStringList{"7"};
    b->phoneGroupList = QStringList{"Work phone"};
    b->addressList = QStringList{QString::fromUtf8("ул. Мира, 1"), "Office 9"};
    b->addressGroupList = QStringList{"Work", "Work"};
    list.push_back(std::move(b));
    for (ContactPtr &contact : list) {
        contact->fullname = contact->composedFullName();
    }
    return list;
}

// The class a label keeps in a file that has only home, work and a third
// type (the third named by other).
QStringList labelClasses(const QStringList &labels, const QString &other)
{
    QStringList classes;
    for (const QString &label : labels) {
        classes << (label.contains(QLatin1String("Home"), Qt::CaseInsensitive)   ? "Home"
                    : label.contains(QLatin1String("Work"), Qt::CaseInsensitive) ? "Work"
                                                                                 : other);
    }
    return classes;
}

// Every field the format carries, as the format carries it.
QStringList carried(const Contact &c, const QString &format)
{
    const bool csv = format == QLatin1String("csv");
    const bool vcard = format == QLatin1String("vcard");
    const bool exact = !csv && !vcard;
    // vCard writes the editor's dd.MM.yyyy as yyyy-MM-dd.
    const QDate date = QDate::fromString(c.dateOfBirth, "dd.MM.yyyy");
    const QString birthday = vcard && date.isValid() ? date.toString(Qt::ISODate) : c.dateOfBirth;
    QStringList emailLabels = labelClasses(c.emailGroupList, "Home");
    if (csv) {
        emailLabels.replaceInStrings("Work", "Home");
    }
    return QStringList{
            c.name, c.surname, c.middlename, c.organization, birthday,
            // The CSV importer ends the notes with a line feed.
            csv && c.comment.endsWith('\n') ? c.comment.chopped(1) : c.comment,
            c.isFavorite ? "favourite" : "", c.phoneList.join('|'),
            exact ? c.phoneGroupList.join('|') : labelClasses(c.phoneGroupList, "Mobile").join('|'),
            c.emailList.join('|'), exact ? c.emailGroupList.join('|') : emailLabels.join('|'),
            c.addressList.join('|'),
            exact ? c.addressGroupList.join('|')
                  : labelClasses(c.addressGroupList, csv ? "Mobile" : "Work").join('|'),
            c.linkList.join('|'), exact ? c.id : ""};
}

QVariantList variants(const std::vector<ContactPtr> &list)
{
    QVariantList result;
    for (const ContactPtr &contact : list) {
        result.append(QVariant::fromValue(contact.get()));
    }
    return result;
}

} // namespace

// This program's own exports read back whole, and other readers read them.
class tst_RoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void exportReadsBackUnchanged_data();
    void exportReadsBackUnchanged();
    void pythonReadsExport_data();
    void pythonReadsExport();

private:
    QString exportTo(const QString &name, int method, const std::vector<ContactPtr> &contacts);
    QTemporaryDir m_dir;
};

QString tst_RoundTrip::exportTo(const QString &name, int method,
                                const std::vector<ContactPtr> &contacts)
{
    const QString path = m_dir.filePath(name);
    ImportExport backend;
    backend.setContactsForExport(variants(contacts));
    backend.setExportFileAndMethod(path, ImportExport::ExportMethod(method));
    backend.exportContacts();
    return path;
}

void tst_RoundTrip::exportReadsBackUnchanged_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("method");
    QTest::newRow("Google CSV") << "csv" << int(ImportExport::GOOGLE_CSV_METHOD);
    QTest::newRow("vCard") << "vcard" << int(ImportExport::VCARD_METHOD);
    QTest::newRow("database") << "sqlite" << int(ImportExport::SQLITE_METHOD);
}

void tst_RoundTrip::exportReadsBackUnchanged()
{
    QFETCH(QString, file);
    QFETCH(int, method);
    const std::vector<ContactPtr> contacts = awkwardContacts();
    const QString path = exportTo(QStringLiteral("round.") + file, method, contacts);
    const QVariantList parsed = ContactsFileParser::parseFile(path, QStringLiteral("UTF-8"));
    std::vector<ContactPtr> back;
    for (const QVariant &value : parsed) {
        back.emplace_back(value.value<Contact *>());
    }
    QCOMPARE(ContactsFileParser::errorString, QString());
    QCOMPARE(back.size(), contacts.size());
    for (size_t i = 0; i < contacts.size(); ++i) {
        QCOMPARE(carried(*back.at(i), file), carried(*contacts.at(i), file));
    }
}

void tst_RoundTrip::pythonReadsExport_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("script");
    QTest::newRow("csv module") << int(ImportExport::GOOGLE_CSV_METHOD) << QStringLiteral(R"(
import csv, json, sys
rows = list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8'), strict=True))
h = rows[0]
out = []
for r in rows[1:]:
    assert len(r) == len(h)
    col = lambda p: [r[i] for i, x in enumerate(h) if x.startswith(p[0]) and x.endswith(p[1]) and r[i]]
    out.append([r[h.index('Name')], r[h.index('Given Name')], r[h.index('Family Name')],
                r[h.index('Organization 1 - Name')], r[h.index('Notes')],
                col(('Phone', 'Value')), col(('E-mail', 'Value')), col(('Address', 'Formatted'))])
print(json.dumps(out))
)");
    QTest::newRow("vobject") << int(ImportExport::VCARD_METHOD) << QStringLiteral(R"(
import json, sys, vobject
out = []
for c in vobject.readComponents(open(sys.argv[1], encoding='utf-8').read()):
    v = lambda n: [x.value for x in c.contents.get(n, [])]
    out.append([c.fn.value, c.n.value.given, c.n.value.family, ';'.join(c.org.value),
                (v('note') or [''])[0], v('tel'), v('email'), v('label')])
print(json.dumps(out))
)");
}

void tst_RoundTrip::pythonReadsExport()
{
    QFETCH(int, method);
    QFETCH(QString, script);
    const QString python =
            QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
    if (python.isEmpty()) {
        QSKIP("python3 is not installed");
    }
    const std::vector<ContactPtr> contacts = awkwardContacts();
    QProcess process;
    process.start(python, {"-c", script, exportTo(QStringLiteral("python"), method, contacts)});
    QVERIFY(process.waitForFinished(30000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    const QJsonArray rows = QJsonDocument::fromJson(process.readAllStandardOutput()).array();
    QCOMPARE(size_t(rows.size()), contacts.size());
    for (size_t i = 0; i < contacts.size(); ++i) {
        const Contact &c = *contacts.at(i);
        const QJsonArray expected{c.fullname,
                                  c.name,
                                  c.surname,
                                  c.organization,
                                  c.comment,
                                  QJsonArray::fromStringList(c.phoneList),
                                  QJsonArray::fromStringList(c.emailList),
                                  QJsonArray::fromStringList(c.addressList)};
        QCOMPARE(rows.at(int(i)).toArray(), expected);
    }
}

KIV_TEST_GUILESS_MAIN(tst_RoundTrip)
#include "tst_roundtrip.moc"

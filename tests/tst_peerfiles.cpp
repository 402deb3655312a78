#include "importexport/contactsfileparser.h"
#include "importexport/importexport.h"
#include "record/contact.h"

#include "testsupport.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString parsedTexts(const QString &path)
{
    return Parsed(ContactsFileParser::parseFile(path, QStringLiteral("UTF-8"))).texts().join('\n');
}

// A label as a file with only home, work and one other type keeps it.
QStringList kept(QStringList labels, const QString &other)
{
    for (QString &label : labels) {
        label = label.contains("Home") ? "Home" : label.contains("Work") ? "Work" : other;
    }
    return labels;
}

// The fields a format carries, each as the format carries it: CSV and vCard
// keep label kinds (CSV e-mails all "Home").
QStringList carried(const Contact &c, const QString &format)
{
    const bool exact = format == "sqlite", csv = format == "csv";
    const auto labels = [&](const QStringList &list, const QString &other) {
        return (exact ? list : kept(list, other)).join('|');
    };
    return {c.name,
            c.surname,
            c.middlename,
            c.organization,
            c.dateOfBirth,
            c.comment,
            QString::number(c.isFavorite),
            (c.phoneList + c.emailList + c.addressList).join('|'),
            labels(c.phoneGroupList, "Mobile"),
            labels(csv ? QStringList() : c.emailGroupList, "Home"),
            labels(c.addressGroupList, csv ? "Mobile" : "Work"),
            c.linkList.join('|'),
            exact ? c.id : QString()};
}

} // namespace

// Files of other programs read whatever their name, and this program's own
// exports read back whole by this program and by other readers.
class tst_PeerFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void recognisesByContent_data();
    void recognisesByContent();
    void readsPeerLabels_data();
    void readsPeerLabels();
    void exportReadsBack_data();
    void exportReadsBack();

private:
    QString write(const QString &name, const QByteArray &bytes)
    {
        return writeFile(m_dir.filePath(name), bytes);
    }
    QTemporaryDir m_dir;
    std::vector<ContactPtr> m_awkward;
};

// Contacts with quotes in pairs and at both ends, separators, line breaks,
// backslashes, Cyrillic, CJK and emoji, two addresses of one label, custom
// labels and an empty middle name.
void tst_PeerFiles::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QByteArray lines = readFile(QStringLiteral(TEST_DATA_DIR "/awkward-contacts.jsonl"));
    for (const QByteArray &line : lines.trimmed().split('\n')) {
        m_awkward.push_back(contactFromJson(line));
        m_awkward.back()->fullname = m_awkward.back()->composedFullName();
    }
}

void tst_PeerFiles::recognisesByContent_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("twin");
    QTest::addColumn<QString>("name");
    QTest::newRow("Thunderbird tab export as .txt")
            << readFile(TEST_DATA_DIR "/csv/thunderbird-trailing-comma.csv").replace(',', '\t')
            << "a.csv"
            << "export.txt";
    QTest::newRow("Google CSV as .txt")
            << readFile(TEST_DATA_DIR "/csv/google-current-layout.csv") << "b.csv"
            << "contacts.txt";
    QTest::newRow("German Outlook, semicolons, as .vcf")
            << readFile(TEST_DATA_DIR "/csv/outlook2013-de-cp1252.csv").replace(',', ';') << "c.csv"
            << "c.vcf";
    QTest::newRow("vCard as .dat")
            << readFile(TEST_DATA_DIR "/vcard/gmail-30-custom-labels.vcf") << "d.vcf"
            << "card.dat";
    QTest::newRow("vCard after a mark and blank lines, no extension")
            << "\xEF\xBB\xBF\r\n\n" + readFile(TEST_DATA_DIR "/vcard/thunderbird-40-export.vcf")
            << "e.vcf"
            << "card";
}

void tst_PeerFiles::recognisesByContent()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, twin);
    QFETCH(QString, name);
    const QString expected = parsedTexts(write(twin, bytes));
    QVERIFY(!expected.isEmpty());
    QCOMPARE(parsedTexts(write(name, bytes)), expected);
    QCOMPARE(ContactsFileParser::errorString, QString());

    QVERIFY(parsedTexts(write("run.sh", "#!/bin/sh\necho hi\n")).isEmpty());
    QCOMPARE(ContactsFileParser::errorString, "This file is not a contact file (a shell script)");
}

void tst_PeerFiles::readsPeerLabels_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QByteArray outlook = readFile(TEST_DATA_DIR "/csv/outlook-de-headers.csv");
    const QString outlookRead = QString::fromUtf8(
            R"({"addresses":["Country: DE  Fax: 5 Street: Hauptstr. 1 City: Berlin Postal: 10115 / )"
            R"(Home","Country: DE  Street: Werkstr. 2 City: Köln Postal: 50667 / Work"],)"
            R"("comment":"Business Fax: 4\nPager: 8\nHallo","dateOfBirth":"01.02.1980",)"
            R"("emails":["a@x.de / Home","b@x.de / Home","c@x.de / Home"],"links":["http://x.de"],)"
            R"("name":"Jörg","phones":["1 / Home","2 / Work","3 / Work","6 / Mobile","7 / Home"],)"
            R"("surname":"Weiß"})");
    QTest::newRow("German Outlook") << outlook << outlookRead;
    QString damaged = QString::fromUtf8(outlook.left(outlook.indexOf('\n')));
    for (QChar &ch : damaged) {
        ch = ch.unicode() > 0x7f ? QChar::ReplacementCharacter : ch;
    }
    QTest::newRow("German Outlook, U+FFFD for each umlaut")
            << damaged.toUtf8() + outlook.mid(outlook.indexOf('\n')) << outlookRead;
    const QByteArray card = "BEGIN:VCARD\nVERSION:3.0\nN:A;B\n";
    QTest::newRow("vCard e-mails by first type")
            << card
                       + "EMAIL;TYPE=INTERNET,WORK:a\nEMAIL;INTERNET;WORK:b\nEMAIL;TYPE=pref,home:"
                         "c\n"
                         "EMAIL:d\nEND:VCARD\n"
            << R"({"emails":["a / Work","b / Work","c / Home","d / Home"],"name":"B","surname":"A"})";
    QTest::newRow("vCard LABEL dropped only when it repeats an ADR")
            << card
                       + "LABEL;TYPE=WORK:X\nADR;TYPE=HOME:;;Main 1;Town;;;\nLABEL;TYPE=HOME:Main 1"
                         "\\nTown\nLABEL;TYPE=HOME:Lane 2\nLABEL;TYPE=HOME:Lane 3\nEND:VCARD\n"
            << R"({"addresses":["X / Work","Main 1, Town / Home","Lane 2 / Home","Lane 3 / Home"],)"
               R"("name":"B","surname":"A"})";
}

void tst_PeerFiles::readsPeerLabels()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(parsedTexts(write("peer.txt", bytes)),
             QString(QJsonDocument::fromJson(expected.toUtf8()).toJson(QJsonDocument::Compact)));
}

void tst_PeerFiles::exportReadsBack_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("reader"); // a Python program that prints the values as JSON
    QTest::newRow("Google CSV") << "csv" << int(ImportExport::GOOGLE_CSV_METHOD) << R"(
import csv, sys, json
rows = list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8'), strict=True))
out = []
for r in rows[1:]:
    v = lambda *p: [x for h, x in zip(rows[0], r) if x and h.startswith(p) and h.endswith(p[-1])]
    out.append([v('Name')[0], r[1], r[3], v('Organization 1 - Name')[0], ''.join(v('Notes')),
                v('Phone', 'Value') + v('E-mail', 'Value') + v('Address', 'Formatted')])
print(json.dumps(out)))";
    QTest::newRow("vCard") << "vcf" << int(ImportExport::VCARD_METHOD) << R"(
import sys, json, vobject
out = []
for c in vobject.readComponents(open(sys.argv[1], encoding='utf-8').read()):
    v = lambda n: [x.value for x in c.contents.get(n, [])]
    out.append([c.fn.value, c.n.value.given, c.n.value.family, ';'.join(c.org.value),
                ''.join(v('note')), v('tel') + v('email') + v('label')])
print(json.dumps(out)))";
    QTest::newRow("database") << "sqlite" << int(ImportExport::SQLITE_METHOD) << QString();
}

void tst_PeerFiles::exportReadsBack()
{
    QFETCH(QString, format);
    QFETCH(int, method);
    QFETCH(QString, reader);
    ImportExport backend;
    QVariantList list;
    for (const auto &contact : m_awkward) {
        list << QVariant::fromValue(contact.get());
    }
    backend.setContactsForExport(list);
    backend.setExportFileAndMethod(m_dir.filePath("out." + format),
                                   ImportExport::ExportMethod(method));
    backend.exportContacts();
    const Parsed back(ContactsFileParser::parseFile(m_dir.filePath("out." + format), "UTF-8"));
    QCOMPARE(size_t(back.size()), m_awkward.size());
    QJsonArray expected;
    for (int i = 0; i < back.size(); ++i) {
        const Contact &c = *m_awkward.at(size_t(i));
        QCOMPARE(carried(*back.at(i), format), carried(c, format));
        expected << QJsonArray{
                c.fullname, c.name,
                c.surname,  c.organization,
                c.comment,  QJsonArray::fromStringList(c.phoneList + c.emailList + c.addressList)};
    }
    if (!reader.isEmpty()) {
        QProcess python;
        python.start("/usr/bin/python3", {"-c", reader, m_dir.filePath("out." + format)});
        QVERIFY(python.waitForFinished(30000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
        QCOMPARE(QJsonDocument::fromJson(python.readAllStandardOutput()).array(), expected);
    }
}

KIV_TEST_GUILESS_MAIN(tst_PeerFiles)
#include "tst_peerfiles.moc"

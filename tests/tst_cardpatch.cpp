#include "record/contact.h"
#include "testsupport.h"
#include "vcard/carddetails.h"
#include "vcard/cardpatch.h"

#include <QGuiApplication>
#include <QRegularExpression>

// Cards of other programs written back by patching: what was not edited
// stays byte for byte.
class tst_CardPatch : public QObject
{
    Q_OBJECT

private slots:
    void keepsWhatWasNotEdited_data();
    void keepsWhatWasNotEdited();
    void keepsCategoriesOfTheSameGroups();
    void describesWhatItKeeps_data();
    void describesWhatItKeeps();
};

void tst_CardPatch::keepsWhatWasNotEdited_data()
{
    QTest::addColumn<QByteArray>("card");
    QTest::addColumn<QString>("edit");
    // The edits, each with the properties it may change.
    const QStringList edits{QStringLiteral("phone, star and groups|TEL,CATEGORIES"),
                            QStringLiteral("names, note and birthday|N,FN,NOTE,BDAY"),
                            QStringLiteral("first address and e-mail removed, a link "
                                           "added|ADR,LABEL,EMAIL,X-ABLABEL,X-ABADR,URL"),
                            QStringLiteral("photo replaced|PHOTO")};
    for (const QString &name : keptCardFiles()) {
        for (const QString &edit : edits) {
            QTest::addRow("%s, %s", qPrintable(name), qPrintable(edit.section('|', 0, 0)))
                    << firstCard(name) << edit;
        }
    }
}

// Untouched, a card comes back as it is and the file export changes its
// version alone. Edited, only the properties of the edited fields differ,
// and the card reads back as the edited record.
void tst_CardPatch::keepsWhatWasNotEdited()
{
    QFETCH(QByteArray, card);
    QFETCH(QString, edit);
    const std::unique_ptr<Contact> record = CardPatch::read(card);
    QVERIFY(record);
    QCOMPARE(CardPatch::patch(card, *record, {}), card);
    const QStringList before = cardLines(card);
    const QStringList exported =
            cardLines(CardPatch::patch(card, *record, {}, CardPatch::Version::File));
    QCOMPARE(exported.filter(QRegularExpression(QStringLiteral("^VERSION:"))),
             QStringList{QStringLiteral("VERSION:3.0")});
    // A card without a UID of its own gets the contact's id.
    const QRegularExpression notUid(QStringLiteral("^(?!UID:)"));
    QCOMPARE(exported.filter(notUid).size(), before.filter(notUid).size());

    CardPatch::Photo photo;
    if (edit.startsWith(QLatin1String("phone"))) {
        QStringList phones = record->phoneList;
        if (phones.isEmpty()) {
            phones << QString();
            record->phoneGroupList << QStringLiteral("Mobile");
        }
        phones[0] = QStringLiteral("+49 30 7654321");
        record->phoneList = phones;
        record->isFavorite = !record->isFavorite;
        // The first group leaves; one with a comma and a semicolon joins.
        record->groups = record->groups.mid(1) << QStringLiteral("Football, 5-a-side; Sundays");
    } else if (edit.startsWith(QLatin1String("names"))) {
        record->surname = QStringLiteral("Édité");
        record->name = QStringLiteral("Anna; Maria");
        record->comment = QStringLiteral("New note,\nwith a line");
        record->dateOfBirth = QStringLiteral("17.05");
    } else if (edit.startsWith(QLatin1String("first address"))) {
        record->setAddresses(record->addresses().mid(1));
        record->addressGroupList = record->addressGroupList.mid(1);
        record->setEmails(record->emails().mid(1));
        record->emailGroupList = record->emailGroupList.mid(1);
        record->setLinks(record->links() << QStringLiteral("https://example.org/added"));
    } else {
        photo = {true, imageBytes(QSize(40, 30))};
        record->photoData = photo.bytes.toBase64();
    }
    const QByteArray patched = CardPatch::patch(card, *record, photo);
    const QStringList changeable = edit.section('|', 1).split(QLatin1Char(','));
    const auto untouched = [&changeable](QStringList lines) {
        for (int i = lines.size() - 1; i >= 0; --i) {
            const QString name =
                    lines.at(i).section(QRegularExpression(QStringLiteral("[:;]")), 0, 0);
            if (changeable.contains(name.section(QLatin1Char('.'), -1).toUpper())) {
                lines.removeAt(i);
            }
        }
        return lines;
    };
    QCOMPARE(untouched(cardLines(patched)), untouched(before));
    const std::unique_ptr<Contact> back = CardPatch::read(patched);
    QCOMPARE(contactText(back.get()), contactText(record.get()));
}

// The stores list a contact's groups in an order of their own: the same
// groups leave the card's CATEGORIES as they are written.
void tst_CardPatch::keepsCategoriesOfTheSameGroups()
{
    const QByteArray card =
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\ncategories:Work, Family\r\nEND:VCARD\r\n";
    const std::unique_ptr<Contact> record = CardPatch::read(card);
    QCOMPARE(record->groups, (QStringList{"Work", "Family"}));
    record->groups = QStringList{"Family", "Work"};
    QCOMPARE(CardPatch::patch(card, *record, {}), card);
}

void tst_CardPatch::describesWhatItKeeps_data()
{
    QTest::addColumn<QByteArray>("card");
    QTest::addColumn<QString>("details");
    for (const char *row :
         {"gmail-30-ablabel-folded-note.vcf|Mr. John Richter, James Doe Sr.|Job title: Money "
          "Counter|Anniversary: 01.03.1975|Spouse: Jenny",
          "macos-30-abadr-photo.vcf|Mr. John Richter,James Doe Sr.|Nickname: Johny|Department: "
          "Accounting|Job title: Money Counter|Spouse: Jenny",
          "evolution-30-fold-inside-escape.vcf|Title First Middle Last Suffix|Department: "
          "department, office|Role: profession|Job title: title|Nickname: nickname|Jabber: jabber|"
          "Yahoo: yahoo|MSN: msn"}) {
        const QString cells = QString::fromLatin1(row);
        QTest::newRow(qPrintable(cells.section('|', 0, 0)))
                << firstCard(cells.section('|', 0, 0)) << cells.section('|', 1);
    }
}

// The entries the details show of a card, "label: value" each.
void tst_CardPatch::describesWhatItKeeps()
{
    QFETCH(QByteArray, card);
    QFETCH(QString, details);
    const CardDetails described = CardDetails::of(card);
    QStringList entries{described.formattedName};
    for (int i = 0; i < described.labels.size(); ++i) {
        entries << described.labels.at(i) + QStringLiteral(": ") + described.values.at(i);
    }
    QCOMPARE(entries.join(QLatin1Char('|')), details);
}

int main(int argc, char *argv[])
{
    TestHome home;
    QGuiApplication app(argc, argv);
    tst_CardPatch test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_cardpatch.moc"

#include "importexport/contactsfileparser.h"
#include "importexport/importexport.h"
#include "record/contact.h"

#include "testsupport.h"

#include <QTest>

// The text of import files: marks, UTF-8, detected 8-bit encodings, the
// form's codec, and bytes no codec can read (the form marks them).
class tst_Encodings : public QObject
{
    Q_OBJECT

private slots:
    void readsTextInTheRightEncoding_data();
    void readsTextInTheRightEncoding();
};

void tst_Encodings::readsTextInTheRightEncoding_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<bool>("detect");
    QTest::addColumn<QString>("used");
    QTest::addColumn<QString>("names");
    addRowsFromFile(TEST_DATA_DIR "/encodings/read.jsonl", "SSTSS");
}

void tst_Encodings::readsTextInTheRightEncoding()
{
    QFETCH(QString, file);
    QFETCH(QString, codec);
    QFETCH(bool, detect);
    QFETCH(QString, used);
    QFETCH(QString, names);

    const QVariantList parsed =
            ContactsFileParser::parseFile(QStringLiteral(TEST_DATA_DIR "/") + file, codec, detect);
    QCOMPARE(ContactsFileParser::usedCodec, used);
    QStringList read;
    bool marked = false;
    const ImportExport backend;
    for (const QVariant &value : parsed) {
        QScopedPointer<Contact> contact(value.value<Contact *>());
        read.append(contact->composedFullName());
        marked = marked || backend.hasUnreadableLetters(contact.data());
    }
    QCOMPARE(read.join(QLatin1Char('|')), names);
    QCOMPARE(marked, names.contains(QChar::ReplacementCharacter));
}

KIV_TEST_GUILESS_MAIN(tst_Encodings)

#include "tst_encodings.moc"

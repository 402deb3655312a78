#include "importexport/vcard.h"

#include "testmain.h"

#include <QTest>

// The vCard document model and codec: reading content lines and cards,
// writing parameters, properties and cards, and the factories.
class tst_vCard : public QObject
{
    Q_OBJECT

private slots:
    void readsCards_data();
    void readsCards();
    void readsGroupedPropertyWithTypes();
    void readsParameters_data();
    void readsParameters();
    void unfoldsBeforeDecoding_data();
    void unfoldsBeforeDecoding();
    void unescapesValues_data();
    void unescapesValues();
    void decodesQuotedPrintable_data();
    void decodesQuotedPrintable();
    void joinsBase64RunUpToEmptyLine();
    void decodesCharsets_data();
    void decodesCharsets();
    void writesCards();
    void writesTelTypes();
    void writesParameterLists();
    void escapesTextButNotLinks();
    void writesVersion21AsQuotedPrintable();
    void rejectsUnknownVersion();
    void factoriesOrderValues();
    void findsProperties();
    void savesToFile();
};

void tst_vCard::readsCards_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("CRLF and blank lines")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:One;;;;\r\nEND:VCARD\r\n\r\n\r\n"
                          "BEGIN:VCARD\r\nN:Two;;;;\r\nEND:VCARD\r\n")
            << QStringList{"One", "Two"};
    QTest::newRow("CR CR LF") << QByteArray("BEGIN:VCARD\r\r\nN:One\r\r\nEND:VCARD\r\r\n")
                              << QStringList{"One"};
    QTest::newRow("CR only") << QByteArray("BEGIN:VCARD\rN:One\rEND:VCARD\r") << QStringList{"One"};
    QTest::newRow("lower-case begin")
            << QByteArray("begin:vCard\nn:One\nend:vcard") << QStringList{"One"};
    QTest::newRow("no END") << QByteArray("BEGIN:VCARD\nN:One\n") << QStringList();
    QTest::newRow("no END before next card")
            << QByteArray("BEGIN:VCARD\nN:Lost\nBEGIN:VCARD\nN:Two\nEND:VCARD\n")
            << QStringList{"Two"};
    QTest::newRow("nested cards") << QByteArray(
            "BEGIN:VCARD\nN:parent\nBEGIN:VCARD\nN:nest1\nEND:VCARD\n"
            "BEGIN:VCARD\nN:nest2\nEND:VCARD\nTEL:1\nEND:VCARD\n")
                                  << QStringList{"nest1", "nest2"};
    QTest::newRow("junk between cards")
            << QByteArray("BEGIN:VCARD\nN:One\ngarbage without colon\nEND:VCARD\n\x01\x02\xff\n"
                          "BEGIN:VCARD\nN:Two\nEND:VCARD")
            << QStringList{"One", "Two"};
    QTest::newRow("empty") << QByteArray() << QStringList();
}

void tst_vCard::readsCards()
{
    QFETCH(QByteArray, data);
    QFETCH(QStringList, names);
    const QList<vCard> cards = vCard::fromByteArray(data);
    QStringList read;
    for (const vCard &card : cards) {
        QVERIFY(!card.contains(QStringLiteral("VERSION")));
        read.append(card.property(QStringLiteral("N")).values().value(0));
    }
    QCOMPARE(read, names);
}

void tst_vCard::readsGroupedPropertyWithTypes()
{
    const vCardPropertyList properties =
            vCardProperty::fromByteArray("item1.TEL;TYPE=CELL,VOICE:+1 555");
    QCOMPARE(properties.size(), 1);
    QCOMPARE(properties.first().name(), QStringLiteral("TEL"));
    QCOMPARE(properties.first().value(), QStringLiteral("+1 555"));
    const vCardParameterList expected{
            vCardParameter(QStringLiteral("CELL"), vCardParameter::Type),
            vCardParameter(QStringLiteral("VOICE"), vCardParameter::Type)};
    QCOMPARE(properties.first().params(), expected);

    const vCardPropertyList url = vCardProperty::fromByteArray("URL:http://www.example.com:8080/a");
    QCOMPARE(url.first().value(), QStringLiteral("http://www.example.com:8080/a"));
}

void tst_vCard::readsParameters_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("params"); // group:value

    QTest::newRow("bare 2.1 types")
            << QByteArray("TEL;HOME;VOICE:123") << QStringList{"3:HOME", "3:VOICE"};
    QTest::newRow("lower-case type") << QByteArray("TEL;type=home:1") << QStringList{"0:home"};
    QTest::newRow("repeated type")
            << QByteArray("TEL;TYPE=HOME;TYPE=FAX:1") << QStringList{"0:HOME", "0:FAX"};
    QTest::newRow("quoted type list") << QByteArray("TEL;VALUE=uri;TYPE=\"work,voice\":tel:1")
                                      << QStringList{"3:VALUE=uri", "0:work", "0:voice"};
    QTest::newRow("empty trailing parameter")
            << QByteArray("ADR;HOME;PREF;:;;x") << QStringList{"3:HOME", "3:PREF"};
    QTest::newRow("base64 kept") << QByteArray("PHOTO;encoding=b;TYPE=PNG:AAAA")
                                 << QStringList{"1:b", "0:PNG"};
    QTest::newRow("charset spent") << QByteArray("FN;CHARSET=UTF-8:x") << QStringList();
    QTest::newRow("colon in quoted parameter")
            << QByteArray("ADR;LABEL=\"a:b\":;;Street") << QStringList{"3:LABEL=a:b"};
}

void tst_vCard::readsParameters()
{
    QFETCH(QByteArray, line);
    QFETCH(QStringList, params);
    const vCardPropertyList properties = vCardProperty::fromByteArray(line);
    QCOMPARE(properties.size(), 1);
    QStringList read;
    for (const vCardParameter &param : properties.first().params()) {
        read.append(QString::number(param.group()) + QLatin1Char(':') + param.value());
    }
    QCOMPARE(read, params);
}

void tst_vCard::unfoldsBeforeDecoding_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("value");

    QTest::newRow("folded line") << QByteArray("NOTE:abc\r\n def\r\n") << "abcdef";
    QTest::newRow("tab fold") << QByteArray("NOTE:abc\n\tdef") << "abcdef";
    QTest::newRow("only one blank removed") << QByteArray("NOTE:abc\n  def") << "abc def";
    QTest::newRow("fold inside UTF-8 character")
            << QByteArray("NOTE:\xd0\xb0\xd0\r\n \xb1") << QString::fromUtf8("аб");
    QTest::newRow("fold inside escape") << QByteArray("NOTE:a\\\r\n nb") << "a\nb";
    QTest::newRow("fold inside parameters")
            << QByteArray("NOTE;CHAR\n SET=UTF-8:x\xc3\xa4") << QString::fromUtf8("xä");
    QTest::newRow("double spaces kept") << QByteArray("NOTE:a  b") << "a  b";
}

void tst_vCard::unfoldsBeforeDecoding()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, value);
    const vCardPropertyList properties = vCardProperty::fromByteArray(data);
    QCOMPARE(properties.size(), 1);
    QCOMPARE(properties.first().value(), value);
}

void tst_vCard::unescapesValues_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("values");

    QTest::newRow("escapes") << QByteArray("NOTE:a\\nb\\Nc\\,d\\;e\\:f\\\"g\\\\h")
                             << QStringList{"a\nb\nc,d;e:f\"g\\h"};
    QTest::newRow("unknown escape kept")
            << QByteArray("NOTE:C:\\Users\\share") << QStringList{"C:\\Users\\share"};
    QTest::newRow("escaped semicolon does not split")
            << QByteArray("ORG:Shrimp Co.;Sales\\;Manager")
            << QStringList{"Shrimp Co.", "Sales;Manager"};
    QTest::newRow("empty components kept")
            << QByteArray("N:Doe;John;;;") << QStringList{"Doe", "John", "", "", ""};
    QTest::newRow("escaped backslash before semicolon")
            << QByteArray("N:a\\\\;b") << QStringList{"a\\", "b"};
}

void tst_vCard::unescapesValues()
{
    QFETCH(QByteArray, line);
    QFETCH(QStringList, values);
    const vCardPropertyList properties = vCardProperty::fromByteArray(line);
    QCOMPARE(properties.size(), 1);
    QCOMPARE(properties.first().values(), values);
}

void tst_vCard::decodesQuotedPrintable_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("value");

    QTest::newRow("soft break inside character")
            << QByteArray("N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=93=D0=\r\n=BE;\r\nTEL:1")
            << QString::fromUtf8("Го;");
    QTest::newRow("bare parameter, lower case")
            << QByteArray("NOTE;quoted-printable:a=3Db=0D=0Ac") << "a=b\nc";
    QTest::newRow("continuation blank is text")
            << QByteArray("NOTE;ENCODING=QUOTED-PRINTABLE:Now's the time =\r\nfor all folk to "
                          "come=\r\n to the aid.\r\n")
            << "Now's the time for all folk to come to the aid.";
    QTest::newRow("indented continuation lines") << QByteArray(
            "NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=A4=\r\n =C3=B6=\r\n =C3=BC\r\n")
                                                 << QString::fromUtf8("äöü");
    QTest::newRow("empty line inside value")
            << QByteArray("NOTE;CHARSET=utf-8;ENCODING=QUOTED-PRINTABLE:x =C3=\r\n\r\n=A4y\r\n")
            << QString::fromUtf8("x äy");
    QTest::newRow("soft break before next property")
            << QByteArray("ORG;ENCODING=QUOTED-PRINTABLE:abc=\r\n\r\nORG:x\r\n") << "abc";
    QTest::newRow("soft break before END")
            << QByteArray("ADR;ENCODING=QUOTED-PRINTABLE:;=\r\n;Ulm;=\r\n \r\nEND:VCARD")
            << ";;Ulm;";
    QTest::newRow("trailing transport blanks")
            << QByteArray("NOTE;ENCODING=QUOTED-PRINTABLE:ab  \r\n") << "ab";
    QTest::newRow("euro split across soft break")
            << QByteArray("NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=utf-8:1 =E2=82=\n=AC")
            << QString::fromUtf8("1 €");
    QTest::newRow("escaped text inside quoted-printable")
            << QByteArray("ADR;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Evil \\\\ way;New\\nline")
            << "Evil \\ way;New\nline";
}

void tst_vCard::decodesQuotedPrintable()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, value);
    const vCardPropertyList properties = vCardProperty::fromByteArray(data);
    QVERIFY(!properties.isEmpty());
    QCOMPARE(properties.first().value(), value);
    for (const vCardParameter &param : properties.first().params()) {
        QVERIFY(param.group() != vCardParameter::Encoding);
        QVERIFY(param.group() != vCardParameter::Charset);
    }
}

void tst_vCard::joinsBase64RunUpToEmptyLine()
{
    const QByteArray data =
            "BEGIN:VCARD\r\nPHOTO;ENCODING=BASE64;JPEG:AAAA\r\n    BBBB\r\nCCCC==\r\n"
            "\r\nTEL:1\r\nPHOTO;BASE64:\r\n\r\nEND:VCARD\r\n";
    const QList<vCard> cards = vCard::fromByteArray(data);
    QCOMPARE(cards.size(), 1);
    const vCardPropertyList properties = cards.first().properties();
    QCOMPARE(properties.size(), 3);
    QCOMPARE(properties.at(0).value(), QStringLiteral("AAAABBBBCCCC=="));
    QCOMPARE(properties.at(1).value(), QStringLiteral("1"));
    QCOMPARE(properties.at(2).value(), QString());
}

void tst_vCard::decodesCharsets_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("fallback");
    QTest::addColumn<QString>("value");

    QTest::newRow("valid UTF-8 without charset")
            << QByteArray("FN:J\xc3\xbcrgen") << QByteArray("Windows-1251")
            << QString::fromUtf8("Jürgen");
    QTest::newRow("import codec for other bytes")
            << QByteArray("FN:\xcf\xe5\xf2\xf0\xee") << QByteArray("Windows-1251")
            << QString::fromUtf8("Петро");
    QTest::newRow("charset parameter wins")
            << QByteArray("FN;CHARSET=ISO-8859-1:J\xfcrgen") << QByteArray("Windows-1251")
            << QString::fromUtf8("Jürgen");
    QTest::newRow("quoted-printable Shift_JIS")
            << QByteArray("FN;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=93=FA=96=7B")
            << QByteArray("UTF-8") << QString::fromUtf8("日本");
    QTest::newRow("stray byte in declared UTF-8 stays visible")
            << QByteArray("ORG;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=91=80")
            << QByteArray("Windows-1251") << QString::fromUtf8("Ñ\uFFFD");
}

void tst_vCard::decodesCharsets()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, fallback);
    QFETCH(QString, value);
    QList<vCard> cards;
    vCard::readCards("BEGIN:VCARD\n" + line + "\nEND:VCARD\n", vCardReader::RawBytes, fallback,
                     [&cards](const vCard &card) { cards.append(card); });
    QCOMPARE(cards.size(), 1);
    QCOMPARE(cards.first().properties().first().value(), value);
}

void tst_vCard::writesCards()
{
    vCard card(vCardProperty::fromByteArray("N:Doe;John;;;"));
    QCOMPARE(card.toByteArray(vCardVersion::Version3_0),
             QByteArray("BEGIN:VCARD\nVERSION:3.0\nN:Doe;John;;;\nEND:VCARD"));
    QCOMPARE(card.toByteArray(vCardVersion::Version2_1),
             QByteArray("BEGIN:VCARD\nVERSION:2.1\nN:Doe;John;;;\nEND:VCARD"));
}

void tst_vCard::writesTelTypes()
{
    const vCardProperty tel(
            QStringLiteral("tel"), QStringLiteral("123"),
            vCardParameterList{vCardParameter(QStringLiteral("home"), vCardParameter::Type),
                               vCardParameter(QStringLiteral("cell"), vCardParameter::Type)});
    QCOMPARE(tel.toByteArray(vCardVersion::Version3_0), QByteArray("TEL;TYPE=HOME,CELL:123"));
    QCOMPARE(tel.toByteArray(vCardVersion::Version2_1), QByteArray("TEL;HOME;CELL:123"));
}

void tst_vCard::writesParameterLists()
{
    const vCardParameterList params{
            vCardParameter(QStringLiteral("QUOTED-PRINTABLE"), vCardParameter::Encoding),
            vCardParameter(QStringLiteral("utf-8"), vCardParameter::Charset),
            vCardParameter(QStringLiteral("pref"), vCardParameter::Undefined),
            vCardParameter(QStringLiteral("work"), vCardParameter::Type),
            vCardParameter(QStringLiteral("voice"), vCardParameter::Type)};
    QCOMPARE(vCardParameter::listToByteArray(params, vCardVersion::Version3_0),
             QByteArray("TYPE=WORK,VOICE;PREF;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE"));
    QCOMPARE(vCardParameter::listToByteArray(params, vCardVersion::Version2_1),
             QByteArray("ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8;PREF;WORK;VOICE"));
}

void tst_vCard::escapesTextButNotLinks()
{
    const vCardProperty note(QStringLiteral("NOTE"),
                             QStringList{QStringLiteral("a,b;c\\d\r\ne\nf")});
    QCOMPARE(note.toByteArray(vCardVersion::Version3_0), QByteArray("NOTE:a\\,b\\;c\\\\d\\ne\\nf"));
    const vCardProperty url(QStringLiteral("URL"),
                            QStringList{QStringLiteral("http://x.org/a,b?c=\\d")});
    QCOMPARE(url.toByteArray(vCardVersion::Version3_0), QByteArray("URL:http://x.org/a,b?c=\\d"));

    // What is written reads back unchanged.
    const vCardPropertyList back =
            vCardProperty::fromByteArray(note.toByteArray(vCardVersion::Version3_0));
    QCOMPARE(back.first().values(), QStringList{QStringLiteral("a,b;c\\d\ne\nf")});
}

void tst_vCard::writesVersion21AsQuotedPrintable()
{
    const vCardProperty note(QStringLiteral("NOTE"),
                             QStringList{QString::fromUtf8("Привет;\nC:\\new")});
    const QByteArray line = note.toByteArray(vCardVersion::Version2_1);
    QVERIFY(line.startsWith("NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=9F"));
    QVERIFY(!line.contains('\n'));
    QCOMPARE(vCardProperty::fromByteArray(line).first().values(), note.values());
}

void tst_vCard::rejectsUnknownVersion()
{
    const auto unknown = static_cast<vCardVersion>(7);
    const vCardProperty tel(QStringLiteral("TEL"), QStringLiteral("1"));
    QVERIFY(tel.toByteArray(unknown).isEmpty());
    QVERIFY(vCard(vCardPropertyList{tel}).toByteArray(unknown).isEmpty());
    QVERIFY(vCardParameter(QStringLiteral("x"), vCardParameter::Type)
                    .toByteArray(unknown)
                    .isEmpty());
}

void tst_vCard::factoriesOrderValues()
{
    QCOMPARE(vCardProperty::nameProperty("Anna", "Smith", "Maria", "Dr.", "Jr.").values(),
             (QStringList{"Smith", "Anna", "Maria", "Dr.", "Jr."}));
    QCOMPARE(vCardProperty::addressProperty("Main St 1", "Town", "Region", "123", "Land", "PO 5",
                                            "Apt 2")
                     .values(),
             (QStringList{"PO 5", "Apt 2", "Main St 1", "Town", "Region", "123", "Land"}));
    QCOMPARE(vCardProperty::organizationProperty("Co", QStringList{"Sales", "East"}).values(),
             (QStringList{"Co", "Sales", "East"}));
    QCOMPARE(vCardProperty::geoProperty(37.386013, -122.082932).value(),
             QStringLiteral("37.386013;-122.082932"));
    QCOMPARE(vCardProperty::birthdayProperty(QDate(1990, 5, 17))
                     .toByteArray(vCardVersion::Version3_0),
             QByteArray("BDAY:1990-05-17"));
    QCOMPARE(
            vCardProperty::birthdayProperty(QDateTime(QDate(1990, 5, 17), QTime(8, 30, 5))).value(),
            QStringLiteral("1990-05-17T08:30:05Z"));
}

void tst_vCard::findsProperties()
{
    const vCardParameterList home{vCardParameter(QStringLiteral("HOME"), vCardParameter::Type)};
    vCard card;
    card.addProperty(vCardProperty(QStringLiteral("TEL"), QStringLiteral("1")));
    card.addProperty(vCardProperty(QStringLiteral("TEL"), QStringLiteral("2"), home));
    QCOMPARE(card.property(QStringLiteral("TEL")).value(), QStringLiteral("1"));
    QCOMPARE(card.property(QStringLiteral("TEL"), home, true).value(), QStringLiteral("2"));
    QVERIFY(!card.contains(QStringLiteral("EMAIL")));
    QVERIFY(card.contains(vCardProperty(QStringLiteral("TEL"), QStringLiteral("2"))));
    QCOMPARE(card.property(QStringLiteral("EMAIL")).name(), QString());
    QVERIFY(card.isValid());
    card.addProperty(vCardProperty(QStringLiteral("X"), QStringLiteral("1"),
                                   vCardParameterList{vCardParameter()}));
    QVERIFY(!card.isValid());
    QVERIFY(!vCard().isValid());
}

void tst_vCard::savesToFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("card.vcf"));
    vCard card(vCardPropertyList{vCardProperty::nameProperty("John", "Doe", "", "", "")});
    QVERIFY(card.saveToFile(path));
    const QList<vCard> back = vCard::fromFile(path);
    QCOMPARE(back.size(), 1);
    QCOMPARE(back.first().properties(), card.properties());
    QVERIFY(!card.saveToFile(dir.filePath(QStringLiteral("missing/card.vcf"))));
    QVERIFY(vCard::fromFile(dir.filePath(QStringLiteral("missing.vcf"))).isEmpty());
}

KIV_TEST_GUILESS_MAIN(tst_vCard)
#include "tst_vcard.moc"

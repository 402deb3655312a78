#include "importexport/vcard.h"
#include "testsupport.h"

#include <QGuiApplication>

// The vCard reader and writer. Reading: bytes in, each card's properties out
// as "NAME[group:param,...]=value|value", cards joined by " // ". Writing:
// a property out in vCard 3.0 and 2.1. The mapping onto records is tst_parsers'.
namespace {

QString describe(const QList<vCard> &cards)
{
    QStringList result;
    for (const vCard &card : cards) {
        QStringList properties;
        for (const vCardProperty &property : card.properties()) {
            QStringList params;
            for (const vCardParameter &param : property.params()) {
                params << QString::number(param.group()) + QLatin1Char(':') + param.value();
            }
            properties << property.name()
                                  + (params.isEmpty() ? QString() : '[' + params.join(',') + ']')
                                  + '=' + property.values().join('|');
        }
        result << properties.join(QStringLiteral(" ; "));
    }
    return result.join(QStringLiteral(" // "));
}

} // namespace

class tst_vCard : public QObject
{
    Q_OBJECT

private slots:
    void reads_data();
    void reads();
    void writes_data();
    void writes();
};

void tst_vCard::reads_data()
{
    QTest::addColumn<QByteArray>("data"); // without BEGIN: one card around it
    QTest::addColumn<QByteArray>("fallback");
    QTest::addColumn<QString>("cards");

    auto row = [](const char *tag, const QByteArray &data, const QString &cards,
                  const QByteArray &fallback = "Windows-1251") {
        QTest::newRow(tag) << data << fallback << cards;
    };
    // Cards and lines.
    row("CRLF, blank lines, VERSION dropped",
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:One\r\nEND:VCARD\r\n\r\n\r\nBEGIN:VCARD\r\nN:Two\r\nEND:"
        "VCARD",
        "N=One // N=Two");
    row("CR CR LF", "BEGIN:VCARD\r\r\nN:One\r\r\nEND:VCARD\r\r\n", "N=One");
    row("CR only, lower case", "begin:vCard\rn:One\rend:vcard\r", "N=One");
    row("no END before the next card, junk between cards",
        "BEGIN:VCARD\nN:Lost\nBEGIN:VCARD\nN:Two\nno colon\nEND:VCARD\n\x01\xff\nBEGIN:VCARD\nN:3",
        "N=Two");
    row("nested cards",
        "BEGIN:VCARD\nN:p\nBEGIN:VCARD\nN:n1\nEND:VCARD\nBEGIN:VCARD\nN:n2\n"
        "END:VCARD\nTEL:1\nEND:VCARD\n",
        "N=n1 // N=n2");
    // Parameters (group 0 type, 1 encoding, 3 other).
    row("grouped property, type list, colon in value",
        "item1.TEL;TYPE=CELL,VOICE:+1 555\nURL:http://x.com:8080/a",
        "TEL[0:CELL,0:VOICE]=+1 555 ; URL=http://x.com:8080/a");
    row("bare 2.1 types, empty trailing parameter", "TEL;HOME;VOICE:1\nADR;HOME;PREF;:;;x",
        "TEL[3:HOME,3:VOICE]=1 ; ADR[3:HOME,3:PREF]=||x");
    row("repeated and quoted types",
        "TEL;type=home;TYPE=FAX:1\nTEL;VALUE=uri;TYPE=\"work,voice\":t",
        "TEL[0:home,0:FAX]=1 ; TEL[3:VALUE=uri,0:work,0:voice]=t");
    row("base64 kept, charset spent, quoted colon",
        "PHOTO;encoding=b;TYPE=PNG:AAAA\nFN;CHARSET=UTF-8:x\nADR;LABEL=\"a:b\":;;S",
        "PHOTO[1:b,0:PNG]=AAAA ; FN=x ; ADR[3:LABEL=a:b]=||S");
    // Folding (before decoding), escapes.
    row("folds: CRLF, tab, one blank only, in a character, escape, parameter",
        "NOTE:ab\r\n c\nNOTE:ab\n\tc\nNOTE:a\n  b\nNOTE:\xd0\xb0\xd0\r\n \xb1\nNOTE:a\\\r\n nb\n"
        "NOTE;CHAR\n SET=UTF-8:x\xc3\xa4",
        QString::fromUtf8("NOTE=abc ; NOTE=abc ; NOTE=a b ; NOTE=аб ; NOTE=a\nb ; NOTE=xä"));
    row("escapes; unknown escape kept; components",
        "NOTE:a\\nb\\Nc\\,d\\;e\\:f\\\"g\\\\h  i\nNOTE:C:\\Users\nORG:Co;Sales\\;Mgr\nN:Doe;J;;;\n"
        "N:a\\\\;b",
        "NOTE=a\nb\nc,d;e:f\"g\\h  i ; NOTE=C:\\Users ; ORG=Co|Sales;Mgr ; N=Doe|J||| ; N=a\\|b");
    // Quoted-printable.
    row("QP: soft break in a character, bare lower-case parameter",
        "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=93=D0=\r\n=BE;\r\nNOTE;quoted-printable:a="
        "3Db=0D=0Ac",
        QString::fromUtf8("N=Го| ; NOTE=a=b\nc"));
    row("QP: continuation blanks, indented lines, empty line inside",
        "NOTE;ENCODING=QUOTED-PRINTABLE:time =\r\nfor all=\r\n to\r\n"
        "NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=A4=\r\n =C3=B6\r\n"
        "NOTE;CHARSET=utf-8;ENCODING=QUOTED-PRINTABLE:x =C3=\r\n\r\n=A4y",
        QString::fromUtf8("NOTE=time for all to ; NOTE=äö ; NOTE=x äy"));
    row("QP: soft break before the next property and before END, transport blanks",
        "ORG;ENCODING=QUOTED-PRINTABLE:abc=\r\n\r\nORG:x\r\nNOTE;ENCODING=QUOTED-PRINTABLE:ab  \r\n"
        "ADR;ENCODING=QUOTED-PRINTABLE:;=\r\n;Ulm;=\r\n \r\n",
        "ORG=abc ; ORG=x ; NOTE=ab ; ADR=||Ulm|");
    row("QP: escapes inside", "ADR;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:E \\\\ w;N\\nl",
        "ADR=E \\ w|N\nl");
    row("base64 run up to an empty line",
        "PHOTO;ENCODING=BASE64;JPEG:AAAA\r\n    BBBB\r\nCC==\r\n\r\nTEL:1\r\nPHOTO;BASE64:\r\n\r\n",
        "PHOTO[1:BASE64,3:JPEG]=AAAABBBBCC== ; TEL=1 ; PHOTO[1:BASE64]=");
    // Charsets.
    row("valid UTF-8 without charset", "FN:J\xc3\xbcrgen", QString::fromUtf8("FN=Jürgen"));
    row("import codec for other bytes", "FN:\xcf\xe5\xf2\xf0\xee", QString::fromUtf8("FN=Петро"));
    row("charset parameter wins", "FN;CHARSET=ISO-8859-1:J\xfcrgen",
        QString::fromUtf8("FN=Jürgen"));
    row("QP Shift_JIS", "FN;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=93=FA=96=7B",
        QString::fromUtf8("FN=日本"), "UTF-8");
    row("stray byte in declared UTF-8 stays visible",
        "ORG;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=91=80", QString::fromUtf8("ORG=Ñ\uFFFD"));
}

void tst_vCard::reads()
{
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, fallback);
    if (!data.contains("BEGIN") && !data.contains("begin")) {
        data = "BEGIN:VCARD\n" + data + "\nEND:VCARD\n";
    }
    QList<vCard> cards;
    vCard::readCards(data, vCardReader::RawBytes, fallback,
                     [&cards](const vCard &card) { cards.append(card); });
    QTEST(describe(cards), "cards");
}

void tst_vCard::writes_data()
{
    QTest::addColumn<QString>("property"); // read from this line
    QTest::addColumn<QByteArray>("version30");
    QTest::addColumn<QByteArray>("version21");

    QTest::newRow("types") << "tel;type=home;type=cell:123" << QByteArray("TEL;TYPE=HOME,CELL:123")
                           << QByteArray("TEL;HOME;CELL:123");
    QTest::newRow("parameter order")
            << "TEL;pref;TYPE=work,voice:1" << QByteArray("TEL;TYPE=WORK,VOICE;PREF:1")
            << QByteArray("TEL;PREF;WORK;VOICE:1");
    QTest::newRow("text escaped, 2.1 as quoted-printable")
            << QString::fromUtf8("NOTE:a\\,b\\;c\\\\d\\nПр")
            << QString::fromUtf8("NOTE:a\\,b\\;c\\\\d\\nПр").toUtf8()
            << QByteArray("NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:a,b\\;c\\\\d=0D=0A=D0=9F="
                          "D1=80");
    QTest::newRow("links not escaped")
            << "URL:http://x.org/a,b?c=\\d" << QByteArray("URL:http://x.org/a,b?c=\\d")
            << QByteArray("URL:http://x.org/a,b?c=\\d");
    QTest::newRow("components") << "N:Doe;John;;;" << QByteArray("N:Doe;John;;;")
                                << QByteArray("N:Doe;John;;;");
}

// Each written line reads back as the property it came from.
void tst_vCard::writes()
{
    QFETCH(QString, property);
    const vCardProperty read = vCardProperty::fromByteArray(property.toUtf8()).value(0);
    QTEST(read.toByteArray(vCardVersion::Version3_0), "version30");
    QTEST(read.toByteArray(vCardVersion::Version2_1), "version21");
    for (vCardVersion version : {vCardVersion::Version3_0, vCardVersion::Version2_1}) {
        QCOMPARE(vCardProperty::fromByteArray(read.toByteArray(version)).value(0).values(),
                 read.values());
    }
    QVERIFY(read.toByteArray(static_cast<vCardVersion>(7)).isEmpty());
}

KIV_TEST_GUILESS_MAIN(tst_vCard)
#include "tst_vcard.moc"

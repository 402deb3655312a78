#include "app/startup.h"

#include "testsupport.h"

#include <QTest>

// The rules of process start-up that need no second process.
class tst_StartUp : public QObject
{
    Q_OBJECT

private slots:
    void lowEffects_data();
    void lowEffects();
    void lowEffectsUnset();
    void instanceMessage_data();
    void instanceMessage();
};

void tst_StartUp::lowEffects_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("expected");
    QTest::newRow("empty") << QByteArray("") << false;
    QTest::newRow("blanks only") << QByteArray("  \t ") << false;
    QTest::newRow("zero") << QByteArray("0") << false;
    QTest::newRow("zero with blanks") << QByteArray(" 0 ") << false;
    QTest::newRow("false") << QByteArray("false") << false;
    QTest::newRow("FALSE") << QByteArray("FALSE") << false;
    QTest::newRow("False mixed case") << QByteArray("fAlSe") << false;
    QTest::newRow("one") << QByteArray("1") << true;
    QTest::newRow("one with blanks") << QByteArray(" 1 ") << true;
    QTest::newRow("yes") << QByteArray("yes") << true;
    QTest::newRow("no is still set") << QByteArray("no") << true;
    QTest::newRow("off is still set") << QByteArray("off") << true;
    QTest::newRow("double zero") << QByteArray("00") << true;
    QTest::newRow("UTF-8 text") << QByteArray("ja\xc3\xa4") << true;
}

void tst_StartUp::lowEffects()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, expected);
    QCOMPARE(StartUp::lowEffects(value), expected);
    qputenv("KIV_PHONE_LOW_EFFECTS", value);
    QCOMPARE(StartUp::lowEffectsFromEnvironment(), expected);
    qunsetenv("KIV_PHONE_LOW_EFFECTS");
}

void tst_StartUp::lowEffectsUnset()
{
    qunsetenv("KIV_PHONE_LOW_EFFECTS");
    QCOMPARE(StartUp::lowEffectsFromEnvironment(), false);
}

void tst_StartUp::instanceMessage_data()
{
    QTest::addColumn<QString>("contactId");
    QTest::addColumn<QString>("message");
    QTest::newRow("no id") << QString() << QStringLiteral("raise");
    QTest::newRow("empty id") << QStringLiteral("") << QStringLiteral("raise");
    QTest::newRow("plain id") << QStringLiteral("42") << QStringLiteral("contactId 42");
    QTest::newRow("blank inside kept") << QStringLiteral("4 2") << QStringLiteral("contactId 4 2");
    QTest::newRow("only a blank") << QStringLiteral(" ") << QStringLiteral("contactId  ");
}

void tst_StartUp::instanceMessage()
{
    QFETCH(QString, contactId);
    QFETCH(QString, message);
    QCOMPARE(StartUp::instanceMessage(contactId), message);
}

KIV_TEST_GUILESS_MAIN(tst_StartUp)
#include "tst_startup.moc"

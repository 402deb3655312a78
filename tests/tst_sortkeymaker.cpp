#include "record/sortkeymaker.h"
#include "testsupport.h"

#include <QCollator>

// Byte keys order texts as QCollator of the same locale does, and as
// QString::compare does in the C locale, the empty text first.
class tst_SortKeyMaker : public QObject
{
    Q_OBJECT

private slots:
    void keysOrderAsCollator_data();
    void keysOrderAsCollator();
};

void tst_SortKeyMaker::keysOrderAsCollator_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("English") << QStringLiteral("en_US");
    QTest::newRow("Russian: Cyrillic before Latin") << QStringLiteral("ru_RU");
    QTest::newRow("Swedish: Ö after Z") << QStringLiteral("sv_SE");
    QTest::newRow("C: code units") << QStringLiteral("C");
}

void tst_SortKeyMaker::keysOrderAsCollator()
{
    QFETCH(QString, locale);
    const QStringList texts{
            QString(), QStringLiteral("anna"), QStringLiteral("Anna"), QStringLiteral("Ånna"),
            QStringLiteral("Zoe"), QStringLiteral("Öberg"), QStringLiteral("Олег"),
            QStringLiteral("Ёлкин"), QStringLiteral("O'Neil"), QStringLiteral("ONeil"),
            QStringLiteral("10"), QStringLiteral("9"), QStringLiteral("e\u0301"),
            QStringLiteral("\u00e9"), QStringLiteral("\U0001F600"),
            // Where byte lengths change, and units beyond a
            // surrogate pair's (code units order them first).
            QStringLiteral("\u007f"), QStringLiteral("\u0080"), QStringLiteral("\u07ff"),
            QStringLiteral("\u0800"), QStringLiteral("\ud7ff"), QStringLiteral("\ue000"),
            QStringLiteral("\uffff"), QStringLiteral("Anna\U0001F600"),
            QStringLiteral("Anna\ue000"), QStringLiteral("Annabelle Maria")};
    const SortKeyMaker maker{QLocale(locale)};
    QCollator collator{QLocale(locale)};
    for (const QString &left : texts) {
        for (const QString &right : texts) {
            const int expected = locale == QLatin1String("C") ? QString::compare(left, right)
                                                              : collator.compare(left, right);
            const int result = maker.key(left).compare(maker.key(right));
            QVERIFY2((result > 0) - (result < 0) == (expected > 0) - (expected < 0),
                     qPrintable(left + QLatin1String(" vs ") + right));
        }
    }
}

KIV_TEST_GUILESS_MAIN(tst_SortKeyMaker)
#include "tst_sortkeymaker.moc"

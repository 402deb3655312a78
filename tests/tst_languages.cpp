// The program in the language the environment asks for (the test runs once
// under LANGUAGE=en, ru and de): the texts of the main scene, the editor and
// the settings form, the list's order and letters as in English, and the
// rules that pick the language and format dates.

#include "app/translations.h"
#include "record/displayformat.h"
#include "scenedriver.h"
#include "testsupport.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QProcessEnvironment>
#include <QQuickItem>
#include <QQuickWindow>

class tst_Languages : public SceneTest
{
    Q_OBJECT

private slots:
    void initTestCase();
    void showsTextsOfTheLanguage_data();
    void showsTextsOfTheLanguage();
    void countsInTheLanguage_data();
    void countsInTheLanguage();
    void choosesLanguageFromEnvironment_data();
    void choosesLanguageFromEnvironment();
    void formatsDatesForTheLocale_data();
    void formatsDatesForTheLocale();

private:
    // "object.property=text" for every row of the stage, as shown or as expected.
    QStringList texts(const QString &stage, bool shown) const;
    QString shownText(const QString &path, const QString &property) const;

    int m_column = 3; // English
};

void tst_Languages::initTestCase()
{
    const QString language = Translations::install(qApp);
    m_column = QStringList{QString(), "ru", "de"}.indexOf(language) + 3;
    QVERIFY2(m_column >= 3, qPrintable(language));
}

void tst_Languages::showsTextsOfTheLanguage_data()
{
    QTest::addColumn<QString>("open");
    QTest::newRow("main") << QString();
    QTest::newRow("editor") << "addButton";
    QTest::newRow("settings") << "settingsButton";
}

void tst_Languages::showsTextsOfTheLanguage()
{
    QFETCH(QString, open);
    SceneDriver::storeContacts(QStringLiteral("Smith Anna|Adams Bob|Иванов Иван|Brown Carl*|Müller Eva"));
    QVERIFY(m_scene->start());
    if (!open.isEmpty()) {
        QVERIFY(m_scene->click(open));
        m_scene->waitForFrame();
    }
    QCOMPARE(texts(QTest::currentDataTag(), true), texts(QTest::currentDataTag(), false));
}

QStringList tst_Languages::texts(const QString &stage, bool shown) const
{
    QStringList lines;
    for (const QByteArray &line : readFile(TEST_DATA_DIR "/languages/texts.jsonl").split('\n')) {
        const QJsonArray row = QJsonDocument::fromJson(line).array();
        if (row.at(0).toString() == stage) {
            const QString path = row.at(1).toString();
            const QString property = row.at(2).toString();
            lines << path + '.' + property + '='
                             + (shown ? shownText(path, property) : row.at(m_column).toString());
        }
    }
    return lines;
}

QString tst_Languages::shownText(const QString &path, const QString &property) const
{
    if (path == QLatin1String("(window)")) {
        return m_scene->window()->title();
    }
    if (path == QLatin1String("(list)")) {
        return m_scene->listedNames().join('|');
    }
    if (path == QLatin1String("(index)")) {
        return m_scene->eval("contactsProxyModel." + property).toStringList().join('|');
    }
    QObject *object = nullptr;
    for (const QString &name : path.split('/')) {
        object = m_scene->object(name, object);
    }
    return object ? object->property(qPrintable(property)).toString() : "(missing)";
}

void tst_Languages::countsInTheLanguage_data()
{
    for (const char *column : {"context", "source"}) {
        QTest::addColumn<QString>(column);
    }
    QTest::addColumn<int>("count");
    for (const char *column : {"en", "ru", "de"}) {
        QTest::addColumn<QString>(column);
    }
    addRowsFromFile(TEST_DATA_DIR "/languages/counts.jsonl", "SSI");
}

void tst_Languages::countsInTheLanguage()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(int, count);
    const char *const languages[] = {"en", "ru", "de"};
    const QString shown = *static_cast<QString *>(
            QTest::qData(languages[m_column - 3], qMetaTypeId<QString>()));
    QCOMPARE(QCoreApplication::translate(qPrintable(context), qPrintable(source), nullptr, count),
             shown);
}

void tst_Languages::choosesLanguageFromEnvironment_data()
{
    for (const char *column : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG", "preferred", "chosen"}) {
        QTest::addColumn<QString>(column);
    }
    addRowsFromFile(TEST_DATA_DIR "/languages/environment.jsonl");
}

void tst_Languages::choosesLanguageFromEnvironment()
{
    QProcessEnvironment environment;
    for (const char *variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        environment.insert(variable,
                           *static_cast<QString *>(QTest::qData(variable, qMetaTypeId<QString>())));
    }
    QFETCH(QString, preferred);
    QFETCH(QString, chosen);
    const QStringList languages = Translations::preferredLanguages(environment);
    QCOMPARE(languages.join(','), preferred);
    QCOMPARE(Translations::chooseLanguage(languages), chosen);
}

void tst_Languages::formatsDatesForTheLocale_data()
{
    for (const char *column : {"locale", "stored", "shown", "time"}) {
        QTest::addColumn<QString>(column);
    }
    addRowsFromFile(TEST_DATA_DIR "/languages/formats.jsonl");
}

void tst_Languages::formatsDatesForTheLocale()
{
    QFETCH(QString, locale);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QFETCH(QString, time);
    const QLocale before;
    QLocale::setDefault(locale == QLatin1String("C") ? QLocale::c() : QLocale(locale));
    const QString birthday = DisplayFormat::birthday(stored);
    const QString clock = DisplayFormat::time(QTime(15, 4));
    QLocale::setDefault(before);
    QCOMPARE(birthday, shown);
    QCOMPARE(clock, time);
}

KIV_TEST_MAIN(tst_Languages)
#include "tst_languages.moc"

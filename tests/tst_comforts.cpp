// Undo, the wider search, the keyboard, the first start, the window place and contrast.
#include "scenedriver.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

namespace {
// The WCAG relative luminance of a colour.
double luminance(const QColor &colour)
{
    const auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF())
           + 0.0722 * channel(colour.blueF());
}
} // namespace

class tst_Comforts : public SceneTest
{
    Q_OBJECT

private slots:
    void init();
    void undoBringsRemovedBack_data();
    void undoBringsRemovedBack();
    void searchFindsWhatIsTyped_data();
    void searchFindsWhatIsTyped();
    void keyboardDrivesTheList_data();
    void keyboardDrivesTheList();
    void firstStartOffersImport();
    void windowPlaceSurvivesRestart_data();
    void windowPlaceSurvivesRestart();
    void headerMeetsContrast_data();
    void headerMeetsContrast();
    void iconButtonsNameThemselves_data();
    void iconButtonsNameThemselves();

private:
    QVariant eval(const QString &expression) const { return m_scene->eval(expression); }
};

// Five people, the first three with photos; none at the first start.
void tst_Comforts::init()
{
    SceneTest::init();
    if (QString(QTest::currentTestFunction()) != QLatin1String("firstStartOffersImport")) {
        SceneDriver::storeContactsFrom(TEST_DATA_DIR "/scenes/comforts-people.jsonl");
        SqliteDatabase store;
        QVERIFY(store.open(QString()));
        for (int id = 1; id <= 3; ++id) {
            store.savePhoto(QString::number(id),
                            SceneDriver::writePicture(QStringLiteral("%1.png").arg(id),
                                                      QColor(40 * id, 90, 0)));
        }
    }
    QVERIFY(m_scene->start());
}

void tst_Comforts::undoBringsRemovedBack_data()
{
    QTest::addColumn<QString>("undoBy");
    QTest::newRow("undo") << "undoButton";
    QTest::newRow("Ctrl+Z") << "Ctrl+Z";
    QTest::newRow("bar runs out") << "";
}

void tst_Comforts::undoBringsRemovedBack()
{
    QFETCH(QString, undoBy);
    const bool undo = !undoBy.isEmpty();
    QHash<QString, QByteArray> photos;
    for (const QString id : {"1", "2", "3"}) {
        photos.insert(id, SceneDriver::storedPhoto(id));
        QVERIFY(!photos.value(id).isEmpty());
    }
    // The bar's time runs out quickly only where that is what is tried: a
    // busy machine may take longer than that from the bar to the click.
    if (!undo) {
        m_scene->object(QStringLiteral("undoTimer"))->setProperty("interval", 200);
    }
    QVERIFY(m_scene->click(QStringLiteral("deleteButton")));
    for (const QString id : {"1", "2", "3"}) {
        QVERIFY(m_scene->click(m_scene->listRow(id)));
    }
    QVERIFY(m_scene->click(QStringLiteral("okButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
    QVERIFY(m_scene->click(QStringLiteral("messageOkButton")));
    QTRY_COMPARE(SceneDriver::storedIds(), QStringList({"4", "5"}));
    QQuickItem *bar = m_scene->item(QStringLiteral("undoBar"));
    QTRY_VERIFY(SceneDriver::isShown(bar));
    QCOMPARE(m_scene->item(QStringLiteral("undoText"))->property("text").toString(),
             QStringLiteral("3 contacts deleted"));
    if (undoBy == QLatin1String("Ctrl+Z")) {
        QVERIFY(m_scene->waitHidden(QStringLiteral("messageForm")));
        m_scene->window()->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(m_scene->window()));
        QTest::keySequence(m_scene->window(), QKeySequence::Undo);
    } else if (undo) {
        QVERIFY(m_scene->click(undoBy));
    }
    QTRY_VERIFY(!bar->isVisible());
    const QStringList expected =
            undo ? QStringList{"1", "2", "3", "4", "5"} : QStringList{"4", "5"};
    QTRY_COMPARE(SceneDriver::storedIds(), expected);
    QCOMPARE(eval("contactsModel.count").toInt(), expected.size());
    for (const QString id : {"1", "2", "3"}) {
        QCOMPARE(SceneDriver::storedPhoto(id), undo ? photos.value(id) : QByteArray());
    }
}

void tst_Comforts::searchFindsWhatIsTyped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("found");
    addRowsFromFile(TEST_DATA_DIR "/scenes/comforts-search.jsonl");
}

void tst_Comforts::searchFindsWhatIsTyped()
{
    QFETCH(QString, text);
    QFETCH(QString, found);
    const QStringList ids = found.split(QLatin1Char(','), Qt::SkipEmptyParts);
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("searchField")), text));
    QTRY_COMPARE(eval("contactsProxyModel.rowCount()").toInt(), ids.size());
    for (const QString &id : qAsConst(ids)) {
        QVERIFY(eval(QString("contactsProxyModel.indexOfContact('%1') >= 0").arg(id)).toBool());
    }
    QTRY_COMPARE(SceneDriver::isShown(m_scene->item(QStringLiteral("noMatchText"))), ids.isEmpty());
}

void tst_Comforts::keyboardDrivesTheList_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("check");
    QTest::addColumn<QString>("stored");
    addRowsFromFile(TEST_DATA_DIR "/scenes/comforts-keys.jsonl");
}

void tst_Comforts::keyboardDrivesTheList()
{
    QFETCH(QString, keys);
    QFETCH(QString, check);
    QFETCH(QString, stored);
    m_scene->window()->requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(m_scene->window()));
    // Keys separated by blanks ("Down", "Ctrl+N"); "=text" types the text.
    for (const QString &key : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (key.startsWith(QLatin1Char('='))) {
            for (const QChar c : key.mid(1)) {
                QTest::sendKeyEvent(QTest::Click, m_scene->window(), Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
            }
        } else {
            QTest::keySequence(m_scene->window(), QKeySequence(key));
        }
        m_scene->waitForFrame();
    }
    QTRY_VERIFY2(eval(check).toBool(), qPrintable(check));
    if (!stored.isEmpty()) {
        QTRY_COMPARE(SceneDriver::storedIds().join(QLatin1Char(',')), stored);
    }
}

void tst_Comforts::firstStartOffersImport()
{
    QQuickItem *hint = m_scene->item(QStringLiteral("emptyHint"));
    QTRY_VERIFY(SceneDriver::isShown(hint));
    QFile file(QDir::homePath() + QStringLiteral("/one.vcf"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("BEGIN:VCARD\nVERSION:3.0\nN:Young;Mary;;;\nFN:Mary Young\nEND:VCARD\n");
    file.close();
    m_scene->answerFileDialog(file.fileName());
    QVERIFY(m_scene->click(QStringLiteral("importHintButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("importExportForm")));
}

void tst_Comforts::windowPlaceSurvivesRestart_data()
{
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("on screen") << QRect(120, 90, 700, 640) << QRect(120, 90, 700, 640);
    QTest::newRow("screen got smaller")
            << QRect(5000, 4000, 700, 640) << QRect(1280 - 700, 1024 - 640, 700, 640);
}

void tst_Comforts::windowPlaceSurvivesRestart()
{
    QFETCH(QRect, place);
    QFETCH(QRect, expected);
    QQuickWindow *window = m_scene->window();
    QVERIFY(window->width() >= window->minimumWidth()
            && window->height() >= window->minimumHeight());
    QSignalSpy moved(window, &QWindow::xChanged);
    window->setGeometry(place);
    QTRY_VERIFY(!moved.isEmpty());
    m_scene->stop();
    QVERIFY(m_scene->start());
    QCOMPARE(m_scene->window()->screen()->availableGeometry(), QRect(0, 0, 1280, 1024));
    QTRY_COMPARE(m_scene->window()->geometry(), expected);
}

void tst_Comforts::headerMeetsContrast_data()
{
    QTest::addColumn<QString>("foreground");
    QTest::newRow("labels and icons") << "styles.header.textColor";
    QTest::newRow("search placeholder") << "styles.header.placeholderColor";
}

void tst_Comforts::headerMeetsContrast()
{
    QFETCH(QString, foreground);
    const double a = luminance(eval(foreground).value<QColor>());
    const double b = luminance(eval("styles.header.color").value<QColor>());
    const double ratio = (qMax(a, b) + 0.05) / (qMin(a, b) + 0.05);
    QVERIFY2(ratio >= 4.5, qPrintable(QString::number(ratio)));
}

void tst_Comforts::iconButtonsNameThemselves_data()
{
    QTest::addColumn<QString>("opener"); // clicked first, when not empty
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("name");
    QTest::newRow("header") << ""
                            << "settingsButton"
                            << "Settings";
    QTest::newRow("details") << "contact_2"
                             << "star"
                             << "Favourite";
    QTest::newRow("editor") << "addButton"
                            << "calendarButton"
                            << "Choose date of birth";
}

void tst_Comforts::iconButtonsNameThemselves()
{
    QFETCH(QString, opener);
    QFETCH(QString, button);
    if (!opener.isEmpty())
        QVERIFY(m_scene->click(opener));
    QQuickItem *target = m_scene->item(button);
    QTRY_VERIFY(SceneDriver::isShown(target));
    m_scene->waitForFrame();
    QTest::mouseMove(
            m_scene->window(),
            target->mapToScene(QPointF(target->width() / 2, target->height() / 2)).toPoint());
    QQuickItem *tip = m_scene->item(QStringLiteral("toolTip"), target);
    QVERIFY(tip);
    QTRY_VERIFY(tip->isVisible());
    QTEST(tip->property("text").toString(), "name");
}

KIV_TEST_MAIN_WITH(tst_Comforts, QApplication)
#include "tst_comforts.moc"

// Undo of a removal, the wider search, the keyboard, the first start, the
// remembered window place and the header's contrast, each driven through the
// real main scene in a temporary home.
#include "record/contact.h"
#include "scenedriver.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <memory>

namespace {
// Id, surname, name, organisation, phone, e-mail; the first three have photos.
const QList<QStringList> people{{"1", "Adams", "Ann", "", "+49 171 2345678", ""},
                                {"2", "Baker", "Bob", "Acme Tools", "", "bob.baker@example.org"},
                                {"3", "Clark", "Mäx", "", "", ""},
                                {"4", "Ёлкина", "Вера", "", "", ""},
                                {"5", "Evans", "Eve", "", "030 9876", ""}};

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

class tst_Comforts : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

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

private:
    QVariant eval(const QString &expression) const { return m_scene->eval(expression); }
    QStringList storedIds() const;
    // Keys separated by blanks ("Down", "Ctrl+N"); "=text" types the text.
    void press(const QString &keys);

    std::unique_ptr<SceneDriver> m_scene;
};

void tst_Comforts::init()
{
    SceneDriver::resetHome();
    SceneDriver::clearWarnings();
    QList<Contact *> contacts;
    for (const QStringList &person : people) {
        auto *c = new Contact(nullptr);
        c->id = person.at(0);
        c->surname = person.at(1);
        c->name = person.at(2);
        c->fullname = Contact::composeFullName(c->surname, c->name, QString());
        c->organization = person.at(3);
        c->phoneList = person.at(4).isEmpty() ? QStringList() : QStringList{person.at(4)};
        c->emailList = person.at(5).isEmpty() ? QStringList() : QStringList{person.at(5)};
        if (c->id.toInt() <= 3) {
            QFile picture(
                    SceneDriver::writePicture(c->id + ".png", QColor(40 * c->id.toInt(), 90, 0)));
            QVERIFY(picture.open(QIODevice::ReadOnly));
            c->photoData = picture.readAll().toBase64();
        }
        contacts.append(c);
    }
    if (QString(QTest::currentTestFunction()) != QLatin1String("firstStartOffersImport")) {
        SceneDriver::storeContacts(contacts);
    }
    qDeleteAll(contacts);
    m_scene = std::make_unique<SceneDriver>();
    QVERIFY(m_scene->start());
}

void tst_Comforts::cleanup()
{
    m_scene.reset();
    const QStringList warnings = SceneDriver::warnings();
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
}

QStringList tst_Comforts::storedIds() const
{
    QStringList ids;
    const QList<Contact *> stored = SceneDriver::storedContacts();
    for (const Contact *contact : stored) {
        ids << contact->id;
    }
    qDeleteAll(stored);
    ids.sort();
    return ids;
}

void tst_Comforts::press(const QString &keys)
{
    for (const QString &key : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (key.startsWith(QLatin1Char('='))) {
            for (const QChar c : key.mid(1)) {
                QTest::sendKeyEvent(QTest::KeyAction::Click, m_scene->window(), Qt::Key_unknown,
                                    QString(c), Qt::NoModifier);
            }
        } else {
            const QKeySequence sequence(key);
            QTest::keySequence(m_scene->window(), sequence);
        }
        m_scene->waitForFrame();
    }
}

void tst_Comforts::undoBringsRemovedBack_data()
{
    QTest::addColumn<bool>("undo");
    QTest::newRow("undo") << true;
    QTest::newRow("bar runs out") << false;
}

void tst_Comforts::undoBringsRemovedBack()
{
    QFETCH(bool, undo);
    QHash<QString, QByteArray> photos;
    for (const QString id : {"1", "2", "3"}) {
        photos.insert(id, SceneDriver::storedPhoto(id));
        QVERIFY(!photos.value(id).isEmpty());
    }
    m_scene->object(QStringLiteral("undoTimer"))->setProperty("interval", 200);
    QVERIFY(m_scene->click(QStringLiteral("deleteButton")));
    for (const QString id : {"1", "2", "3"}) {
        QVERIFY(m_scene->click(m_scene->listRow(id)));
    }
    QVERIFY(m_scene->click(QStringLiteral("okButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
    QVERIFY(m_scene->click(QStringLiteral("messageOkButton")));
    QTRY_COMPARE(storedIds(), QStringList({"4", "5"}));
    QQuickItem *bar = m_scene->item(QStringLiteral("undoBar"));
    QTRY_VERIFY(SceneDriver::isShown(bar));
    QCOMPARE(m_scene->item(QStringLiteral("undoText"))->property("text").toString(),
             QStringLiteral("3 contacts deleted"));
    if (undo) {
        QVERIFY(m_scene->click(QStringLiteral("undoButton")));
    }
    QTRY_VERIFY(!bar->isVisible());
    const QStringList expected =
            undo ? QStringList{"1", "2", "3", "4", "5"} : QStringList{"4", "5"};
    QTRY_COMPARE(storedIds(), expected);
    QCOMPARE(eval("contactsModel.count").toInt(), expected.size());
    for (const QString id : {"1", "2", "3"}) {
        QCOMPARE(SceneDriver::storedPhoto(id), undo ? photos.value(id) : QByteArray());
    }
}

void tst_Comforts::searchFindsWhatIsTyped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("ids");
    QTest::newRow("phone digits, other separators") << "0171-234" << QStringList{"1"};
    QTest::newRow("phone with country code") << "+49171" << QStringList{"1"};
    QTest::newRow("e-mail fragment") << "r@exam" << QStringList{"2"};
    QTest::newRow("organisation") << "acme" << QStringList{"2"};
    QTest::newRow("accent folded") << "max" << QStringList{"3"};
    QTest::newRow("yo as ye") << "елкина" << QStringList{"4"};
    QTest::newRow("no match") << "zzz" << QStringList();
}

void tst_Comforts::searchFindsWhatIsTyped()
{
    QFETCH(QString, text);
    QFETCH(QStringList, ids);
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
    QTest::addColumn<QStringList>("stored");
    const QStringList all{"1", "2", "3", "4", "5"};
    QTest::newRow("Down twice, Enter edits the third")
            << "Home Down Down Return"
            << "bigPhotoRect.visible && contactDetails.detailsToSave.nameText === 'Mäx'" << all;
    QTest::newRow("Escape closes the editor unchanged")
            << "Home Down Down F2 =zz Escape"
            << "!bigPhotoRect.visible && contactsProxyModel.currentData(259) === 'Mäx'" << all;
    QTest::newRow("Ctrl+N, a name, Ctrl+S adds")
            << "Ctrl+N =Quentin Ctrl+S"
            << "!bigPhotoRect.visible && contactsModel.count === 6" << QStringList();
    QTest::newRow("Delete, confirm removes the selected")
            << "Home Delete Return"
            << "contactsModel.count === 4 && contactsProxyModel.indexOfContact('1') < 0"
            << QStringList{"2", "3", "4", "5"};
    QTest::newRow("typing on the list searches")
            << "Home =ac"
            << "header.searchText === 'ac' && contactsProxyModel.rowCount() === 1" << all;
    QTest::newRow("Ctrl+F, Escape clears the search") << "Ctrl+F =bob Escape"
                                                      << "header.searchText === ''" << all;
}

void tst_Comforts::keyboardDrivesTheList()
{
    QFETCH(QString, keys);
    QFETCH(QString, check);
    QFETCH(QStringList, stored);
    m_scene->window()->requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(m_scene->window()));
    press(keys);
    if (keys.endsWith(QLatin1String("Return")) && keys.contains(QLatin1String("Delete"))) {
        QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
        QVERIFY(m_scene->click(QStringLiteral("messageOkButton")));
    }
    QTRY_VERIFY2(eval(check).toBool(), qPrintable(check));
    if (!stored.isEmpty()) {
        QTRY_COMPARE(storedIds(), stored);
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

KIV_TEST_MAIN_WITH(tst_Comforts, QApplication)
#include "tst_comforts.moc"

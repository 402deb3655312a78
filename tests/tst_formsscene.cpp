// The settings form and the import/export form, driven through the real main
// scene with the SQLite store in a temporary home directory.

#include "record/contact.h"
#include "scenedriver.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QQuickItem>
#include <QTest>

#include <algorithm>
#include <memory>

// Records every text of a status line as it changes.
class StatusRecorder : public QObject
{
    Q_OBJECT

public:
    explicit StatusRecorder(QQuickItem *item)
        : m_item(item)
    {
        connect(item, SIGNAL(textChanged(QString)), this, SLOT(record()));
    }

    QStringList texts;

private slots:
    void record() { texts.append(m_item->property("text").toString()); }

private:
    QQuickItem *m_item;
};

class tst_FormsScene : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void settingsRowsFollowChoicesAndSurviveRestart();
    void importThroughForm_data();
    void importThroughForm();
    void exportThroughForm_data();
    void exportThroughForm();
    void failedExportLeavesFormChoosing();
    void errorDuringRunReturnsToChoosing();

private:
    static Contact *contact(const QString &surname, const QString &name);
    QQuickItem *form() const { return m_scene->item(QStringLiteral("importExportForm")); }
    QQuickItem *row(int index) const;
    // The names of the rows of the import/export form, top to bottom.
    QStringList formNames() const;
    // Opens the settings form and its import dialog, answered with `file`.
    void importFile(const QString &file);
    // Opens the settings form, picks the export format and answers the dialog.
    void exportTo(const QString &format, const QString &file);
    void chooseCodec(int index);

    std::unique_ptr<SceneDriver> m_scene;
};

Contact *tst_FormsScene::contact(const QString &surname, const QString &name)
{
    auto *c = new Contact(nullptr);
    c->id = Contact::makeId();
    c->surname = surname;
    c->name = name;
    c->fullname = Contact::composeFullName(surname, name, QString());
    return c;
}

void tst_FormsScene::init()
{
    SceneDriver::resetHome();
    SceneDriver::clearWarnings();
    m_scene = std::make_unique<SceneDriver>();
}

void tst_FormsScene::cleanup()
{
    m_scene.reset();
    const QStringList warnings = SceneDriver::warnings();
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
}

QQuickItem *tst_FormsScene::row(int index) const
{
    return m_scene->item(QStringLiteral("contactRow%1").arg(index), form());
}

QStringList tst_FormsScene::formNames() const
{
    QStringList names;
    for (int i = 0; row(i); ++i) {
        names.append(row(i)->property("contactName").toString());
    }
    return names;
}

void tst_FormsScene::importFile(const QString &file)
{
    QVERIFY(m_scene->click(QStringLiteral("settingsButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("settingsForm")));
    m_scene->answerFileDialog(file);
    QVERIFY(m_scene->click(QStringLiteral("importRow")));
    QTRY_VERIFY(m_scene->fileDialogAnswered());
    QVERIFY(m_scene->waitHidden(QStringLiteral("settingsForm")));
}

void tst_FormsScene::exportTo(const QString &format, const QString &file)
{
    QVERIFY(m_scene->click(QStringLiteral("settingsButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("settingsForm")));
    QVERIFY(m_scene->click(QStringLiteral("exportRow")));
    m_scene->answerFileDialog(file);
    QVERIFY(m_scene->chooseInList(format));
    QTRY_VERIFY(m_scene->fileDialogAnswered());
    QVERIFY(m_scene->waitHidden(QStringLiteral("settingsForm")));
}

void tst_FormsScene::chooseCodec(int index)
{
    QVERIFY(m_scene->click(QStringLiteral("codecComboBox")));
    QTRY_VERIFY(SceneDriver::isShown(m_scene->item(QStringLiteral("comboBoxRow%1").arg(index))));
    QVERIFY(m_scene->click(QStringLiteral("comboBoxRow%1").arg(index)));
}

void tst_FormsScene::settingsRowsFollowChoicesAndSurviveRestart()
{
    QVERIFY(m_scene->start());
    QVERIFY(m_scene->click(QStringLiteral("settingsButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("settingsForm")));
    QQuickItem *alphabet = m_scene->item(QStringLiteral("alphabetRow"));
    QQuickItem *sort = m_scene->item(QStringLiteral("sortRow"));
    QCOMPARE(alphabet->property("itemText").toString(),
             QStringLiteral("Alphabetical Index: english"));
    QCOMPARE(sort->property("itemText").toString(), QStringLiteral("Sorted by: surname"));

    QVERIFY(m_scene->click(alphabet));
    QVERIFY(m_scene->chooseInList(QStringLiteral("russian")));
    QTRY_COMPARE(alphabet->property("itemText").toString(),
                 QStringLiteral("Alphabetical Index: russian"));
    QCOMPARE(m_scene->eval(QStringLiteral("contactsModel.alphabet[1]")).toString(),
             QString(QChar(0x0410)));
    QVERIFY(m_scene->waitHidden(QStringLiteral("listViewForm")));
    QVERIFY(m_scene->click(sort));
    QVERIFY(m_scene->chooseInList(QStringLiteral("name")));
    QTRY_COMPARE(sort->property("itemText").toString(), QStringLiteral("Sorted by: name"));
    QVERIFY(m_scene->waitHidden(QStringLiteral("listViewForm")));
    QVERIFY(m_scene->click(QStringLiteral("settingsCloseButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("settingsForm")));

    m_scene->stop();
    QVERIFY(m_scene->start());
    QCOMPARE(m_scene->item(QStringLiteral("alphabetRow"))->property("itemText").toString(),
             QStringLiteral("Alphabetical Index: russian"));
    QCOMPARE(m_scene->item(QStringLiteral("sortRow"))->property("itemText").toString(),
             QStringLiteral("Sorted by: name"));

    // And back: the rows follow every switch.
    QVERIFY(m_scene->click(QStringLiteral("settingsButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("settingsForm")));
    QVERIFY(m_scene->click(QStringLiteral("sortRow")));
    QVERIFY(m_scene->chooseInList(QStringLiteral("surname")));
    QTRY_COMPARE(m_scene->item(QStringLiteral("sortRow"))->property("itemText").toString(),
                 QStringLiteral("Sorted by: surname"));
}

void tst_FormsScene::importThroughForm_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("codecMatters");
    QTest::newRow("vCard 3.0, UTF-16LE with BOM")
            << QStringLiteral("google-30-utf16le-bom.vcf")
            << QStringList{QStringLiteral("Kinzel Folker"), QStringLiteral("KMS WSF")} << false;
    QTest::newRow("Outlook CSV, Windows-1251")
            << QStringLiteral("outlook-ru-cp1251-semicolon.csv")
            << QStringList{QString::fromUtf8("Иванова Анна Сергеевна"),
                           QString::fromUtf8("Сидоров Пётр"), QString::fromUtf8("Ким Ольга")}
            << true;
}

void tst_FormsScene::importThroughForm()
{
    QFETCH(QString, fixture);
    QFETCH(QStringList, names);
    QFETCH(bool, codecMatters);
    const QString file = QDir::homePath() + QLatin1Char('/') + fixture;
    QFile::remove(file);
    QVERIFY(QFile::copy(QStringLiteral(TEST_DATA_DIR "/scenes/") + fixture, file));
    QVERIFY(m_scene->start());

    importFile(file);
    QVERIFY2(m_scene->waitShown(QStringLiteral("importExportForm")),
             qPrintable(m_scene->item(QStringLiteral("messageText"))->property("text").toString()));
    QQuickItem *master = m_scene->item(QStringLiteral("masterCheckBox"));
    QQuickItem *status = m_scene->item(QStringLiteral("statusText"), form());
    QCOMPARE(status->property("text").toString(), QStringLiteral("Choose contacts to import:"));
    QVERIFY(m_scene->item(QStringLiteral("codecComboBox"))->isVisible());
    QCOMPARE(formNames(), names);
    const int n = names.size();
    for (int i = 0; i < n; ++i) {
        QVERIFY(row(i)->property("checked").toBool());
        QVERIFY(m_scene->eval(QStringLiteral("importExport.contacts[%1].importMe").arg(i))
                        .toBool());
    }

    // Unticking the master box unticks every row; ticking one row leaves the
    // master box alone.
    QVERIFY(m_scene->click(master));
    QVERIFY(!master->property("on").toBool());
    for (int i = 0; i < n; ++i) {
        QVERIFY(!row(i)->property("checked").toBool());
        QVERIFY(!m_scene->eval(QStringLiteral("importExport.contacts[%1].importMe").arg(i))
                         .toBool());
    }
    QVERIFY(m_scene->click(row(0)));
    QVERIFY(row(0)->property("checked").toBool());
    QVERIFY(m_scene->eval(QStringLiteral("importExport.contacts[0].importMe")).toBool());
    QVERIFY(!master->property("on").toBool());

    // Another codec parses the file again and ticks everything again.
    chooseCodec(1);
    QTRY_VERIFY(row(n - 1) && row(n - 1)->property("checked").toBool());
    for (int i = 0; i < n; ++i) {
        QVERIFY(row(i)->property("checked").toBool());
    }
    QVERIFY(master->property("on").toBool());
    if (codecMatters) {
        QVERIFY(formNames() != names);
    } else {
        QCOMPARE(formNames(), names);
    }
    chooseCodec(0);
    QTRY_COMPARE(formNames(), names);

    // Import all but the last; the status line counts up, then reports success.
    QVERIFY(m_scene->click(row(n - 1)));
    QVERIFY(!row(n - 1)->property("checked").toBool());
    StatusRecorder recorder(status);
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QTRY_COMPARE(status->property("text").toString(),
                 QStringLiteral("Contacts successfully imported."));
    QStringList expected;
    for (int i = 0; i < n; ++i) {
        expected.append(QStringLiteral("Importing contacts: %1/%2").arg(i).arg(n - 1));
    }
    expected.append(QStringLiteral("Contacts successfully imported."));
    QCOMPARE(recorder.texts, expected);
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("importExportForm")));

    QStringList imported = names.mid(0, n - 1);
    std::sort(imported.begin(), imported.end(), [](const QString &a, const QString &b) {
        return QString::localeAwareCompare(a, b) < 0;
    });
    QCOMPARE(m_scene->listedNames(), imported);
    const QList<Contact *> stored = SceneDriver::storedContacts();
    QCOMPARE(stored.size(), n - 1);
    qDeleteAll(stored);
}

void tst_FormsScene::exportThroughForm_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("Google CSV") << QStringLiteral("Google CSV format") << QStringLiteral("out.csv");
    QTest::newRow("vCard") << QStringLiteral("vCard format") << QStringLiteral("out.vcf");
    QTest::newRow("own database") << QStringLiteral("kiv-contacts format")
                                  << QStringLiteral("out.sqlite");
}

void tst_FormsScene::exportThroughForm()
{
    QFETCH(QString, format);
    QFETCH(QString, fileName);
    Contact *a = contact(QStringLiteral("Adams"), QStringLiteral("Ann"));
    a->phoneList = QStringList{QStringLiteral("+7 912 000-11-22")};
    a->phoneGroupList = QStringList{QStringLiteral("Mobile")};
    a->emailList = QStringList{QStringLiteral("ann@example.com")};
    a->emailGroupList = QStringList{QStringLiteral("Home")};
    Contact *b = contact(QStringLiteral("Brown"), QStringLiteral("Bob"));
    Contact *c = contact(QStringLiteral("Clark"), QStringLiteral("Cid"));
    SceneDriver::storeContacts({a, b, c});
    qDeleteAll(QList<Contact *>{a, b, c});
    const QString file = QDir::homePath() + QLatin1Char('/') + fileName;
    QFile::remove(file);
    QVERIFY(m_scene->start());

    exportTo(format, file);
    QVERIFY(m_scene->waitShown(QStringLiteral("importExportForm")));
    QQuickItem *status = m_scene->item(QStringLiteral("statusText"), form());
    QCOMPARE(status->property("text").toString(), QStringLiteral("Choose contacts to export:"));
    QVERIFY(!m_scene->item(QStringLiteral("codecComboBox"))->isVisible());
    QVERIFY(!m_scene->item(QStringLiteral("codecLabel"))->isVisible());
    QCOMPARE(formNames(), (QStringList{QStringLiteral("Adams Ann"), QStringLiteral("Brown Bob"),
                                       QStringLiteral("Clark Cid")}));
    QVERIFY(m_scene->click(row(1)));

    StatusRecorder recorder(status);
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QTRY_COMPARE(status->property("text").toString(),
                 QStringLiteral("Contacts successfully exported."));
    QCOMPARE(recorder.texts.last(), QStringLiteral("Contacts successfully exported."));
    QVERIFY(recorder.texts.contains(QStringLiteral("Exporting contacts: 2/2")));
    QVERIFY(QFileInfo(file).size() > 0);
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("importExportForm")));

    // The file reads back through the import form with the ticked contacts.
    importFile(file);
    QVERIFY(m_scene->waitShown(QStringLiteral("importExportForm")));
    QStringList names = formNames();
    names.sort();
    QCOMPARE(names, (QStringList{QStringLiteral("Adams Ann"), QStringLiteral("Clark Cid")}));
    QVERIFY(m_scene->click(QStringLiteral("importExportCancelButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("importExportForm")));
    const QList<Contact *> stored = SceneDriver::storedContacts();
    QCOMPARE(stored.size(), 3);
    qDeleteAll(stored);
}

void tst_FormsScene::failedExportLeavesFormChoosing()
{
    SceneDriver::storeContacts({contact(QStringLiteral("Adams"), QStringLiteral("Ann"))});
    QVERIFY(m_scene->start());
    // The chosen folder is gone by the time the export runs.
    const QString folder = QDir::homePath() + QStringLiteral("/gone");
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/out.csv");
    exportTo(QStringLiteral("Google CSV format"), file);
    QVERIFY(m_scene->waitShown(QStringLiteral("importExportForm")));
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));

    QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
    QCOMPARE(m_scene->item(QStringLiteral("messageText"))->property("text").toString(),
             QStringLiteral("Unable to open file for writing: ") + file);
    QVERIFY(m_scene->click(QStringLiteral("messageOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("messageForm")));
    QCOMPARE(form()->property("count").toInt(), 0);
    QVERIFY(SceneDriver::isShown(m_scene->item(QStringLiteral("importExportCancelButton"))));
    QVERIFY(m_scene->click(QStringLiteral("importExportCancelButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("importExportForm")));
}

void tst_FormsScene::errorDuringRunReturnsToChoosing()
{
    // A writer that fails half-way has already announced its count: the
    // form must not stay in the running state with every control disabled.
    SceneDriver::storeContacts({contact(QStringLiteral("Adams"), QStringLiteral("Ann"))});
    QVERIFY(m_scene->start());
    const QString file = QDir::homePath() + QStringLiteral("/interrupted.vcf");
    QFile::remove(file);
    exportTo(QStringLiteral("vCard format"), file);
    QVERIFY(m_scene->waitShown(QStringLiteral("importExportForm")));
    QObject *backend = m_scene->object(QStringLiteral("importExport"));
    QVERIFY(QMetaObject::invokeMethod(backend, "importContactStarted", Q_ARG(int, 3)));
    QVERIFY(QMetaObject::invokeMethod(backend, "importContactProgress", Q_ARG(int, 1)));
    QQuickItem *ok = m_scene->item(QStringLiteral("importExportOkButton"));
    QQuickItem *master = m_scene->item(QStringLiteral("masterCheckBox"));
    QVERIFY(!ok->isEnabled());
    QVERIFY(!master->isEnabled());

    QVERIFY(QMetaObject::invokeMethod(backend, "error",
                                      Q_ARG(QString, QStringLiteral("Disk full"))));
    QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
    QVERIFY(m_scene->click(QStringLiteral("messageOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("messageForm")));
    QCOMPARE(form()->property("count").toInt(), 0);
    QVERIFY(ok->isEnabled());
    QVERIFY(master->isEnabled());
    QCOMPARE(m_scene->item(QStringLiteral("statusText"), form())->property("text").toString(),
             QStringLiteral("Choose contacts to export:"));
    QVERIFY(m_scene->click(QStringLiteral("importExportCancelButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("importExportForm")));
}

KIV_TEST_MAIN(tst_FormsScene)
#include "tst_formsscene.moc"

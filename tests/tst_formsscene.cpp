// The settings form and the import/export form, driven through the real main scene.

#include "scenedriver.h"
#include "testsupport.h"

#include <QApplication>
#include <QDir>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>

class tst_FormsScene : public SceneTest
{
    Q_OBJECT

private slots:
    void settingsSurviveRestart();
    void importThroughForm();
    void cutFileSaysWhatWasNotRead();
    void groupCardsAloneJoinTheBook();
    void exportThroughForm_data();
    void exportThroughForm();
    void failedExportCanBeRetried();

private:
    QQuickItem *form() const { return m_scene->item(QStringLiteral("importExportForm")); }
    QQuickItem *row(int index) const
    {
        return m_scene->item(QStringLiteral("contactRow%1").arg(index), form());
    }
    QString status() const
    {
        return m_scene->item(QStringLiteral("statusText"), form())->property("text").toString();
    }
    QStringList formNames() const
    {
        QStringList names;
        for (int i = 0; row(i); ++i) {
            QQuickItem *mark = m_scene->item(QStringLiteral("rowMark"), row(i));
            names << row(i)->property("contactName").toString()
                             + (row(i)->property("checked").toBool() ? "+" : "")
                             + (mark->isVisible() ? ": " + mark->property("text").toString() : "");
        }
        return names;
    }
    // Opens the settings form and the import (no format) or export dialog.
    bool openFile(const QString &format, const QString &file)
    {
        if (!m_scene->click(QStringLiteral("settingsButton"))
            || !m_scene->waitShown(QStringLiteral("settingsForm"))) {
            return false;
        }
        m_scene->answerFileDialog(file);
        if (format.isEmpty()) {
            m_scene->click(QStringLiteral("importRow"));
        } else if (!m_scene->click(QStringLiteral("exportRow")) || !m_scene->chooseInList(format)) {
            return false;
        }
        return QTest::qWaitFor([this] { return m_scene->fileDialogAnswered(); })
               && m_scene->waitShown(QStringLiteral("importExportForm"));
    }
    bool chooseCodec(int index)
    {
        const QString name = QStringLiteral("comboBoxRow%1").arg(index);
        return m_scene->click(QStringLiteral("codecComboBox"))
               && QTest::qWaitFor([&] { return SceneDriver::isShown(m_scene->item(name)); })
               && m_scene->click(name);
    }
};

void tst_FormsScene::settingsSurviveRestart()
{
    QVERIFY(m_scene->start());
    QVERIFY(m_scene->click(QStringLiteral("settingsButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("settingsForm")));
    QVERIFY(m_scene->click(QStringLiteral("alphabetRow")));
    QVERIFY(m_scene->chooseInList(QStringLiteral("russian")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("listViewForm")));
    QVERIFY(m_scene->click(QStringLiteral("sortRow")));
    QVERIFY(m_scene->chooseInList(QStringLiteral("name")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("listViewForm")));
    QCOMPARE(m_scene->eval(QStringLiteral("contactsModel.alphabet[1]")).toString(),
             QString(QChar(0x0410)));
    m_scene->stop();
    QVERIFY(m_scene->start());
    QCOMPARE(m_scene->item(QStringLiteral("alphabetRow"))->property("itemText").toString(),
             QStringLiteral("Alphabetical Index: russian"));
    QCOMPARE(m_scene->item(QStringLiteral("sortRow"))->property("itemText").toString(),
             QStringLiteral("Sorted by: name"));
}

void tst_FormsScene::importThroughForm()
{
    const QString file = QDir::homePath() + QStringLiteral("/outlook.csv");
    QVERIFY(QFile::copy(QStringLiteral(TEST_DATA_DIR "/scenes/outlook-ru-cp1251-semicolon.csv"),
                        file));
    QVERIFY(m_scene->start());
    QVERIFY(openFile(QString(), file));
    QCOMPARE(status(), QStringLiteral("Choose contacts to import:"));
    const QStringList names{QString::fromUtf8("Иванова Анна Сергеевна+"),
                            QString::fromUtf8("Сидоров Пётр+"), QString::fromUtf8("Ким Ольга+")};
    QCOMPARE(formNames(), names);

    // The master box unticks every row; one row ticks alone; another codec
    // reads the file again with every row ticked.
    QQuickItem *master = m_scene->item(QStringLiteral("masterCheckBox"));
    QVERIFY(m_scene->click(master));
    QVERIFY(m_scene->click(row(0)));
    QCOMPARE(formNames().join(QString()).count(QLatin1Char('+')), 1);
    QVERIFY(!master->property("on").toBool());
    QVERIFY(chooseCodec(1));
    QTRY_VERIFY(formNames() != names && formNames().join(QString()).count('+') == 3);
    QVERIFY(chooseCodec(0));
    QTRY_COMPARE(formNames(), names);

    // Import all but the last: the status counts up, then reports success.
    QVERIFY(m_scene->click(row(2)));
    QSignalSpy texts(m_scene->item(QStringLiteral("statusText"), form()),
                     SIGNAL(textChanged(QString)));
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QTRY_COMPARE(status(), QStringLiteral("Contacts successfully imported."));
    QStringList seen;
    for (const QList<QVariant> &text : texts) {
        seen << text.value(0).toString();
    }
    // The count is told at the event loop's turns (1/2 only when one falls
    // between the two contacts) and at the end.
    seen.removeAll(QStringLiteral("Importing contacts: 1/2"));
    QCOMPARE(seen, (QStringList{"Importing contacts: 0/2", "Importing contacts: 2/2",
                                "Contacts successfully imported."}));
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("importExportForm")));
    QCOMPARE(m_scene->listedNames(), (QStringList{QString::fromUtf8("Иванова Анна Сергеевна"),
                                                  QString::fromUtf8("Сидоров Пётр")}));
    QCOMPARE(SceneDriver::storedTexts().size(), 2);
}

// A quote never closed: the message says from which line on nothing was
// read, over the form that offers the rows before it, which still import.
void tst_FormsScene::cutFileSaysWhatWasNotRead()
{
    const QString file = writeFile(QDir::homePath() + QStringLiteral("/cut.csv"),
                                   "First Name,Last Name,Notes\nNora,North,\n"
                                   "Oscar,Owen,\"Call after 6\nPaula,Price,\n");
    QVERIFY(m_scene->start());
    QVERIFY(openFile(QString(), file));
    QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
    QCOMPARE(m_scene->item(QStringLiteral("messageText"))->property("text").toString(),
             QStringLiteral("A quote opened on line 3 is never closed: the rows from that line to "
                            "the end of the file could not be read."));
    QVERIFY(m_scene->click(QStringLiteral("messageOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("messageForm")));
    QCOMPARE(formNames(), QStringList{QStringLiteral("North Nora+")});
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QTRY_COMPARE(status(), QStringLiteral("Contacts successfully imported."));
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("importExportForm")));
    QCOMPARE(m_scene->listedNames(), QStringList{QStringLiteral("North Nora")});
}

// A file of group cards alone is offered, with no contact to tick; its
// import puts the book's contact it lists into its group.
void tst_FormsScene::groupCardsAloneJoinTheBook()
{
    const QString member = writeFile(QDir::homePath() + QStringLiteral("/member.vcf"),
                                     "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Clark;Cid;;;\r\n"
                                     "UID:C7E1B2D4-8F3A-4E6B-9D10-5A4B3C2D1E03\r\nEND:VCARD\r\n");
    const QString cards = writeFile(
            QDir::homePath() + QStringLiteral("/neighbours.vcf"),
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Neighbours;;;;\r\nFN:Neighbours\r\n"
            "X-ADDRESSBOOKSERVER-KIND:group\r\nX-ADDRESSBOOKSERVER-MEMBER:urn:uuid:C7E1B2D4-"
            "8F3A-4E6B-9D10-5A4B3C2D1E03\r\nEND:VCARD\r\n");
    QVERIFY(m_scene->start());
    for (const QString &file : {member, cards}) {
        QVERIFY(openFile(QString(), file));
        QCOMPARE(formNames().size(), file == member ? 1 : 0);
        QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
        QTRY_VERIFY(form()->property("completed").toBool());
        QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
        QVERIFY(m_scene->waitHidden(QStringLiteral("importExportForm")));
    }
    QCOMPARE(m_scene->listedNames(), QStringList{QStringLiteral("Clark Cid")});
    QCOMPARE(m_scene->eval(QStringLiteral("contactsModel.groupNames")).toStringList(),
             QStringList{QStringLiteral("Neighbours")});
    QCOMPARE(m_scene->eval(QStringLiteral("contactsModel.groupCounts()[0].count")).toInt(), 1);
}

void tst_FormsScene::exportThroughForm_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("Google CSV") << "Google CSV format"
                                << "out.csv";
    QTest::newRow("vCard") << "vCard format"
                           << "out.vcf";
    QTest::newRow("own database") << "kiv-contacts format"
                                  << "out.sqlite";
}

// The unticked contact stays out; the file reads back through the import form.
void tst_FormsScene::exportThroughForm()
{
    QFETCH(QString, format);
    QFETCH(QString, fileName);
    SceneDriver::storeContacts(QStringLiteral("Adams Ann|Brown Bob|Clark Cid"));
    const QString file = QDir::homePath() + QLatin1Char('/') + fileName;
    QFile::remove(file);
    QVERIFY(m_scene->start());
    QVERIFY(openFile(format, file));
    QCOMPARE(status(), QStringLiteral("Choose contacts to export:"));
    QVERIFY(!m_scene->item(QStringLiteral("codecComboBox"))->isVisible());
    // The form's search finds Bob; the master box unticks only the rows it shows.
    QQuickItem *search = m_scene->item(QStringLiteral("formSearchField"), form());
    QVERIFY(m_scene->typeInto(search, QStringLiteral("BRO")));
    QTRY_COMPARE(formNames(), QStringList{"Brown Bob+"});
    QVERIFY(m_scene->click(QStringLiteral("masterCheckBox")));
    search->setProperty("text", QString());
    QTRY_COMPARE(formNames(), (QStringList{"Adams Ann+", "Brown Bob", "Clark Cid+"}));
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QTRY_COMPARE(status(), QStringLiteral("Contacts successfully exported."));
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("importExportForm")));
    QVERIFY(openFile(QString(), file));
    QStringList names = formNames();
    names.sort();
    QCOMPARE(names,
             (QStringList{"Adams Ann: Already in contacts", "Clark Cid: Already in contacts"}));
    QVERIFY(m_scene->click(QStringLiteral("importExportCancelButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("importExportForm")));
    QCOMPARE(SceneDriver::storedTexts().size(), 3);
}

// The chosen folder is gone when the export runs: the error is shown over
// the forms (the list behind them does not scroll), the form returns to
// choosing with its controls enabled, and a retry once the folder is back
// writes the file.
void tst_FormsScene::failedExportCanBeRetried()
{
    QStringList names; // enough that the list could scroll
    for (int i = 0; i < 60; ++i)
        names << QStringLiteral("Name%1 N").arg(i, 2, 10, QLatin1Char('0'));
    SceneDriver::storeContacts(names.join('|'));
    QVERIFY(m_scene->start());
    const QString folder = QDir::homePath() + QStringLiteral("/gone");
    const QString target = folder + QStringLiteral("/out.csv");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(openFile(QStringLiteral("Google CSV format"), target));
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
    QCOMPARE(m_scene->item(QStringLiteral("messageText"))->property("text").toString(),
             QStringLiteral("Unable to open file for writing: ") + target
                     + QStringLiteral(" (No such file or directory)"));

    QQuickItem *list = m_scene->item(QStringLiteral("contactListView"));
    const QPoint centre =
            list->mapToScene(QPointF(list->width() / 2, list->height() / 2)).toPoint();
    QWheelEvent wheel(centre, m_scene->window()->mapToGlobal(centre), QPoint(), QPoint(0, -360),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(m_scene->window(), &wheel);
    m_scene->waitForFrame();
    QCOMPARE(list->property("contentY").toReal(), 0.0);

    QVERIFY(m_scene->click(QStringLiteral("messageOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("messageForm")));
    QCOMPARE(status(), QStringLiteral("Choose contacts to export:"));
    QVERIFY(m_scene->item(QStringLiteral("importExportOkButton"))->isEnabled());
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QTRY_VERIFY(form()->property("completed").toBool());
    QVERIFY(QFile::exists(target));
    QVERIFY(!m_scene->item(QStringLiteral("messageForm"))->isVisible());
}

KIV_TEST_MAIN(tst_FormsScene)
#include "tst_formsscene.moc"

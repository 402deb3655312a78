// A whole session as a person would have it, through the real main scene
// with the SQLite store in a temporary home directory: import, star, filter,
// edit, delete, export, quit and start again.

#include "record/contact.h"
#include "scenedriver.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QQuickItem>
#include <QTest>

#include <memory>

class tst_Session : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void wholeSession();

private:
    // Ids of the stored contacts by full name.
    static QHash<QString, QString> idsByName();
    void select(const QString &id);
    void openFile(const QString &row, const QString &file, const QString &format = QString());

    std::unique_ptr<SceneDriver> m_scene;
};

void tst_Session::cleanup()
{
    m_scene.reset();
    const QStringList warnings = SceneDriver::warnings();
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
}

QHash<QString, QString> tst_Session::idsByName()
{
    QHash<QString, QString> ids;
    const QList<Contact *> stored = SceneDriver::storedContacts();
    for (Contact *c : stored) {
        ids.insert(c->fullname, c->id);
    }
    qDeleteAll(stored);
    return ids;
}

void tst_Session::select(const QString &id)
{
    QVERIFY(m_scene->click(m_scene->listRow(id)));
    QTRY_VERIFY(SceneDriver::isShown(m_scene->item(QStringLiteral("detailsView"))));
    QTRY_COMPARE(m_scene->eval(QStringLiteral("contactsProxyModel.currentData(257)")).toString(),
                 id);
}

void tst_Session::openFile(const QString &row, const QString &file, const QString &format)
{
    QVERIFY(m_scene->click(QStringLiteral("settingsButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("settingsForm")));
    m_scene->answerFileDialog(file);
    QVERIFY(m_scene->click(row));
    if (!format.isEmpty()) {
        QVERIFY(m_scene->chooseInList(format));
    }
    QTRY_VERIFY(m_scene->fileDialogAnswered());
    QVERIFY(m_scene->waitShown(QStringLiteral("importExportForm")));
}

void tst_Session::wholeSession()
{
    SceneDriver::resetHome();
    SceneDriver::clearWarnings();
    m_scene = std::make_unique<SceneDriver>();
    const QString anna = QString::fromUtf8("Иванова Анна Сергеевна");
    const QString olga = QString::fromUtf8("Ким Ольга");
    const QString petr = QString::fromUtf8("Сидоров Пётр");
    const QString fixture = QDir::homePath() + QStringLiteral("/contacts.csv");
    QVERIFY(QFile::copy(QStringLiteral(TEST_DATA_DIR "/scenes/outlook-ru-cp1251-semicolon.csv"),
                        fixture));
    QVERIFY(m_scene->start());
    QVERIFY(m_scene->listedNames().isEmpty());

    // Import the file with everything ticked.
    openFile(QStringLiteral("importRow"), fixture);
    QQuickItem *status = m_scene->item(QStringLiteral("statusText"),
                                       m_scene->item(QStringLiteral("importExportForm")));
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QTRY_COMPARE(status->property("text").toString(),
                 QStringLiteral("Contacts successfully imported."));
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("importExportForm")));
    QCOMPARE(m_scene->listedNames(), (QStringList{anna, olga, petr}));
    const QHash<QString, QString> ids = idsByName();
    QCOMPARE(ids.size(), 3);

    // The "Marked" contact of the file comes in starred: take its star away
    // and star the two others.
    select(ids.value(anna));
    QQuickItem *star = m_scene->item(QStringLiteral("star"));
    QVERIFY(star->property("favourite").toBool());
    QVERIFY(m_scene->click(star));
    QTRY_VERIFY(!star->property("favourite").toBool());
    for (const QString &name : {olga, petr}) {
        select(ids.value(name));
        QVERIFY(!star->property("favourite").toBool());
        QVERIFY(m_scene->click(star));
        QTRY_VERIFY(star->property("favourite").toBool());
    }

    // Only the favourites, and edit one of them there.
    QVERIFY(m_scene->click(QStringLiteral("favoritesButton")));
    QTRY_COMPARE(m_scene->listedNames(), (QStringList{olga, petr}));
    select(ids.value(olga));
    QVERIFY(m_scene->click(QStringLiteral("editButton")));
    QTRY_VERIFY(m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("organizationEdit")),
                              QStringLiteral("Kim & Co")));
    QVERIFY(m_scene->click(QStringLiteral("okButton"),
                           m_scene->item(QStringLiteral("headerOkCancel"))));
    QTRY_VERIFY(m_scene->item(QStringLiteral("detailsView"))->isVisible());
    QCOMPARE(m_scene->item(QStringLiteral("organization"))->property("text").toString(),
             QStringLiteral("Kim & Co"));

    // Back to everyone; delete one.
    QVERIFY(m_scene->click(QStringLiteral("allButton")));
    QTRY_COMPARE(m_scene->listedNames().size(), 3);
    select(ids.value(anna));
    QVERIFY(m_scene->click(QStringLiteral("deleteButton")));
    QVERIFY(m_scene->click(QStringLiteral("okButton"),
                           m_scene->item(QStringLiteral("headerOkCancel"))));
    QVERIFY(m_scene->waitShown(QStringLiteral("messageForm")));
    QVERIFY(m_scene->click(QStringLiteral("messageOkButton")));
    QTRY_COMPARE(m_scene->listedNames(), (QStringList{olga, petr}));

    // Export to vCard.
    const QString exported = QDir::homePath() + QStringLiteral("/session.vcf");
    openFile(QStringLiteral("exportRow"), exported, QStringLiteral("vCard format"));
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QTRY_COMPARE(status->property("text").toString(),
                 QStringLiteral("Contacts successfully exported."));
    QVERIFY(m_scene->click(QStringLiteral("importExportOkButton")));
    QVERIFY(m_scene->waitHidden(QStringLiteral("importExportForm")));
    QFile vcf(exported);
    QVERIFY(vcf.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(vcf.readAll());
    QCOMPARE(text.count(QStringLiteral("BEGIN:VCARD")), 2);
    QVERIFY(text.contains(QStringLiteral("Kim & Co")));
    QVERIFY(!text.contains(QString::fromUtf8("Иванова")));

    // Quit and start again: the list is as it was left.
    m_scene->stop();
    QVERIFY(m_scene->start());
    QCOMPARE(m_scene->listedNames(), (QStringList{olga, petr}));
    QVERIFY(m_scene->click(QStringLiteral("favoritesButton")));
    QTRY_COMPARE(m_scene->listedNames(), (QStringList{olga, petr}));
    select(ids.value(olga));
    QCOMPARE(m_scene->item(QStringLiteral("organization"))->property("text").toString(),
             QStringLiteral("Kim & Co"));
    QVERIFY(m_scene->item(QStringLiteral("star"))->property("favourite").toBool());
}

KIV_TEST_MAIN(tst_Session)
#include "tst_session.moc"

// The contact details view and the contact editor, driven through the real
// main scene with the SQLite store in a temporary home directory.

#include "record/contact.h"
#include "scenedriver.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <memory>

class tst_DetailsScene : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void viewHidesEmptyBlocks();
    void valueAlignmentFollowsLabel();
    void clicksOnValues();
    void phoneChoices();
    void unstarInFavouritesClearsSelection();
    void addContactStoresEverything();
    void plusFollowsLastRow();
    void newGroupLabelSurvivesRestart();
    void editChangesRecordAndCancelDiscards();
    void renamedContactStaysShown();
    void pictureWhileBrowsingUpdatesAtOnce();
    void pictureWhileAddingStoredOnSave();

private:
    // A stored contact made from the given fields.
    static Contact *contact(const QString &surname, const QString &name);
    void selectContact(const QString &id);
    QQuickItem *group(const QString &name) const;
    QQuickItem *editGroup(const QString &name) const;
    QQuickItem *editRow(const QString &groupName, int row) const;
    bool plusShown(const QString &groupName) const;

    std::unique_ptr<SceneDriver> m_scene;
    QString m_smsLog;
};

Contact *tst_DetailsScene::contact(const QString &surname, const QString &name)
{
    auto *c = new Contact(nullptr);
    c->id = Contact::makeId();
    c->surname = surname;
    c->name = name;
    c->fullname = Contact::composeFullName(surname, name, QString());
    return c;
}

void tst_DetailsScene::initTestCase()
{
    // A stand-in for the desktop's message program: it writes its arguments,
    // one per line, where the test can read them.
    const QString bin = QDir::homePath() + QStringLiteral("/bin");
    QDir().mkpath(bin);
    m_smsLog = QDir::homePath() + QStringLiteral("/kiv-sms.log");
    QFile script(bin + QStringLiteral("/kiv-sms"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$HOME/kiv-sms.tmp\"\n"
                 "mv \"$HOME/kiv-sms.tmp\" \"$HOME/kiv-sms.log\"\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("PATH", bin.toUtf8() + ':' + qgetenv("PATH"));
}

void tst_DetailsScene::init()
{
    SceneDriver::resetHome();
    SceneDriver::clearWarnings();
    m_scene = std::make_unique<SceneDriver>();
}

void tst_DetailsScene::cleanup()
{
    m_scene.reset();
    const QStringList warnings = SceneDriver::warnings();
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
}

void tst_DetailsScene::selectContact(const QString &id)
{
    QVERIFY(m_scene->click(m_scene->listRow(id)));
    QTRY_VERIFY(SceneDriver::isShown(m_scene->item(QStringLiteral("detailsView"))));
}

QQuickItem *tst_DetailsScene::group(const QString &name) const
{
    return m_scene->item(name, m_scene->item(QStringLiteral("detailsView")));
}

QQuickItem *tst_DetailsScene::editGroup(const QString &name) const
{
    return m_scene->item(name, m_scene->item(QStringLiteral("detailsEditor")));
}

QQuickItem *tst_DetailsScene::editRow(const QString &groupName, int row) const
{
    return m_scene->item(QStringLiteral("editRow%1").arg(row), editGroup(groupName));
}

bool tst_DetailsScene::plusShown(const QString &groupName) const
{
    QQuickItem *plus = m_scene->item(QStringLiteral("groupLabelButton"), editGroup(groupName));
    return plus && plus->isVisible();
}

void tst_DetailsScene::viewHidesEmptyBlocks()
{
    Contact *plain = contact(QStringLiteral("Adams"), QStringLiteral("Ann"));
    plain->phoneList = QStringList{QStringLiteral("+7 912 000-11-22")};
    plain->phoneGroupList = QStringList{QStringLiteral("Mobile")};
    Contact *full = contact(QStringLiteral("Brown"), QStringLiteral("Bob"));
    full->linkList = QStringList{QStringLiteral("https://example.com/bob")};
    full->comment = QStringLiteral("Plays the cello");
    SceneDriver::storeContacts({plain, full});
    QVERIFY(m_scene->start());

    selectContact(plain->id);
    QVERIFY(group(QStringLiteral("phoneGroup"))->isVisible());
    QVERIFY(!group(QStringLiteral("emailGroup"))->isVisible());
    QVERIFY(!group(QStringLiteral("addressGroup"))->isVisible());
    QVERIFY(!group(QStringLiteral("linkGroup"))->isVisible());
    QVERIFY(!group(QStringLiteral("commentGroup"))->isVisible());
    QCOMPARE(group(QStringLiteral("commentGroup"))->height(), 0.0);

    selectContact(full->id);
    QVERIFY(!group(QStringLiteral("phoneGroup"))->isVisible());
    QVERIFY(group(QStringLiteral("linkGroup"))->isVisible());
    QVERIFY(group(QStringLiteral("commentGroup"))->isVisible());
    QQuickItem *comment =
            m_scene->item(QStringLiteral("detailsRow0"), group(QStringLiteral("commentGroup")));
    QCOMPARE(comment->property("value").toString(), QStringLiteral("Plays the cello"));
    qDeleteAll(QList<Contact *>{plain, full});
}

void tst_DetailsScene::valueAlignmentFollowsLabel()
{
    Contact *c = contact(QStringLiteral("Adams"), QStringLiteral("Ann"));
    // The second number has no label: the label list is one short.
    c->phoneList = QStringList{QStringLiteral("+7 912 000-11-22"), QStringLiteral("555-12-12")};
    c->phoneGroupList = QStringList{QStringLiteral("Work")};
    SceneDriver::storeContacts({c});
    QVERIFY(m_scene->start());
    selectContact(c->id);

    QQuickItem *phones = group(QStringLiteral("phoneGroup"));
    QQuickItem *labelled = m_scene->item(QStringLiteral("detailsRow0"), phones);
    QQuickItem *bare = m_scene->item(QStringLiteral("detailsRow1"), phones);
    QVERIFY(labelled && bare);
    QCOMPARE(labelled->property("name").toString(), QStringLiteral("Work"));
    QCOMPARE(labelled->property("valueAlignment").toInt(), int(Qt::AlignRight));
    QCOMPARE(bare->property("name").toString(), QString());
    QCOMPARE(bare->property("valueAlignment").toInt(), int(Qt::AlignLeft));
    delete c;
}

void tst_DetailsScene::clicksOnValues()
{
    Contact *c = contact(QStringLiteral("Adams"), QStringLiteral("Ann"));
    c->phoneList = QStringList{QString(), QStringLiteral("+7 912 000-11-22")};
    c->phoneGroupList = QStringList{QStringLiteral("Mobile"), QStringLiteral("Work")};
    c->emailList = QStringList{QStringLiteral("ann@example.com")};
    c->emailGroupList = QStringList{QStringLiteral("Home")};
    c->addressList = QStringList{QStringLiteral("Moscow, Tverskaya 1")};
    c->addressGroupList = QStringList{QStringLiteral("Home")};
    c->linkList = QStringList{QStringLiteral("https://example.com/Ann?tab=1#top")};
    c->comment = QStringLiteral("Call after six");
    SceneDriver::storeContacts({c});
    QVERIFY(m_scene->start());
    selectContact(c->id);
    QQuickItem *chooser = m_scene->item(QStringLiteral("listViewForm"));

    // Nothing happens for an empty value, an address or the comment.
    for (const QString &name : {QStringLiteral("phoneGroup"), QStringLiteral("addressGroup"),
                                QStringLiteral("commentGroup")}) {
        QVERIFY(m_scene->click(QStringLiteral("detailsRow0"), group(name)));
        QTest::qWait(50);
        QCOMPARE(chooser->opacity(), 0.0);
        QVERIFY2(m_scene->openedUrls().isEmpty(), qPrintable(name));
    }

    QVERIFY(m_scene->click(QStringLiteral("detailsRow0"), group(QStringLiteral("emailGroup"))));
    QTRY_COMPARE(m_scene->openedUrls().size(), 1);
    QCOMPARE(m_scene->openedUrls().at(0), QUrl(QStringLiteral("mailto:ann@example.com")));

    QVERIFY(m_scene->click(QStringLiteral("detailsRow0"), group(QStringLiteral("linkGroup"))));
    QTRY_COMPARE(m_scene->openedUrls().size(), 2);
    QCOMPARE(m_scene->openedUrls().at(1).toString(),
             QStringLiteral("https://example.com/Ann?tab=1#top"));
    delete c;
}

void tst_DetailsScene::phoneChoices()
{
    Contact *c = contact(QStringLiteral("Adams"), QStringLiteral("Ann"));
    c->phoneList = QStringList{QStringLiteral("+7 912 000-11-22")};
    c->phoneGroupList = QStringList{QStringLiteral("Mobile")};
    SceneDriver::storeContacts({c});
    QVERIFY(m_scene->start());
    selectContact(c->id);
    QQuickItem *phone =
            m_scene->item(QStringLiteral("detailsRow0"), group(QStringLiteral("phoneGroup")));

    QFile::remove(m_smsLog);
    QVERIFY(m_scene->click(phone));
    QVERIFY(m_scene->chooseInList(QStringLiteral("SMS")));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(m_smsLog), 10000);
    QFile log(m_smsLog);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(log.readAll()), QStringLiteral("--send-sms\n+7 912 000-11-22\n"));

    // No dialling service is published: the number goes to the desktop as a
    // tel: address, without a script error.
    QVERIFY(m_scene->waitHidden(QStringLiteral("listViewForm")));
    QVERIFY(m_scene->click(phone));
    QVERIFY(m_scene->chooseInList(QStringLiteral("Call")));
    QTRY_COMPARE(m_scene->openedUrls().size(), 1);
    QCOMPARE(m_scene->openedUrls().at(0).scheme(), QStringLiteral("tel"));
    QCOMPARE(m_scene->openedUrls().at(0).path(), QStringLiteral("+7912000-11-22"));
    delete c;
}

void tst_DetailsScene::unstarInFavouritesClearsSelection()
{
    Contact *a = contact(QStringLiteral("Adams"), QStringLiteral("Ann"));
    a->isFavorite = true;
    Contact *b = contact(QStringLiteral("Brown"), QStringLiteral("Bob"));
    b->isFavorite = true;
    SceneDriver::storeContacts({a, b});
    QVERIFY(m_scene->start());

    QVERIFY(m_scene->click(QStringLiteral("favoritesButton")));
    QTRY_COMPARE(m_scene->listedNames().size(), 2);
    selectContact(b->id);
    QQuickItem *star = m_scene->item(QStringLiteral("star"));
    QVERIFY(star->property("favourite").toBool());
    QVERIFY(m_scene->click(star));

    QTRY_COMPARE(m_scene->eval(QStringLiteral("contactsProxyModel.currentIndex")).toInt(), -1);
    QVERIFY(!m_scene->item(QStringLiteral("detailsView"))->isVisible());
    QCOMPARE(m_scene->listedNames(), QStringList{QStringLiteral("Adams Ann")});
    const QList<Contact *> stored = SceneDriver::storedContacts();
    for (Contact *s : stored) {
        QCOMPARE(s->isFavorite, s->id == a->id);
    }
    qDeleteAll(stored);
    qDeleteAll(QList<Contact *>{a, b});
}

void tst_DetailsScene::addContactStoresEverything()
{
    Contact *a = contact(QStringLiteral("Adams"), QStringLiteral("Ann"));
    Contact *z = contact(QStringLiteral("Zimmer"), QStringLiteral("Zoe"));
    SceneDriver::storeContacts({a, z});
    QVERIFY(m_scene->start());

    QVERIFY(m_scene->click(QStringLiteral("addButton")));
    QTRY_VERIFY(m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("nameField")), QStringLiteral("Mary")));
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("surnameField")),
                              QStringLiteral("Miller")));

    // Two labelled phones: the first keeps "Mobile", the second becomes "Work";
    // a third row left empty is not stored.
    const QString phones = QStringLiteral("phoneEdit");
    QVERIFY(m_scene->click(QStringLiteral("groupLabelButton"), editGroup(phones)));
    QTRY_VERIFY(editRow(phones, 0));
    QCOMPARE(m_scene->item(QStringLiteral("label"), editRow(phones, 0))
                     ->property("currentString")
                     .toString(),
             QStringLiteral("Mobile"));
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("field"), editRow(phones, 0)),
                              QStringLiteral("+7 912 345-67-89")));
    QVERIFY(m_scene->click(QStringLiteral("groupLabelButton"), editGroup(phones)));
    QTRY_VERIFY(editRow(phones, 1));
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("field"), editRow(phones, 1)),
                              QStringLiteral("8 495 123-45-67")));
    QVERIFY(m_scene->click(QStringLiteral("label"), editRow(phones, 1)));
    QVERIFY(m_scene->chooseInList(QStringLiteral("Work")));
    QTRY_COMPARE(m_scene->item(QStringLiteral("label"), editRow(phones, 1))
                         ->property("currentString")
                         .toString(),
                 QStringLiteral("Work"));
    QVERIFY(m_scene->waitHidden(QStringLiteral("listViewForm")));
    QVERIFY(m_scene->click(QStringLiteral("groupLabelButton"), editGroup(phones)));
    QTRY_VERIFY(editRow(phones, 2));

    const QString emails = QStringLiteral("emailEdit");
    QVERIFY(m_scene->click(QStringLiteral("groupLabelButton"), editGroup(emails)));
    QTRY_VERIFY(editRow(emails, 0));
    QCOMPARE(m_scene->item(QStringLiteral("label"), editRow(emails, 0))
                     ->property("currentString")
                     .toString(),
             QStringLiteral("Home"));
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("field"), editRow(emails, 0)),
                              QStringLiteral("mary@example.com")));

    // The address group also holds a row of blanks, which is not stored.
    const QString addresses = QStringLiteral("addressEdit");
    QVERIFY(m_scene->click(QStringLiteral("groupLabelButton"), editGroup(addresses)));
    QTRY_VERIFY(editRow(addresses, 0));
    QCOMPARE(m_scene->item(QStringLiteral("label"), editRow(addresses, 0))
                     ->property("currentString")
                     .toString(),
             QStringLiteral("Home"));
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("field"), editRow(addresses, 0)),
                              QStringLiteral("Moscow, Tverskaya 1")));
    QVERIFY(m_scene->click(QStringLiteral("groupLabelButton"), editGroup(addresses)));
    QTRY_VERIFY(editRow(addresses, 1));
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("field"), editRow(addresses, 1)),
                              QStringLiteral("   ")));

    const QString links = QStringLiteral("linkEdit");
    QVERIFY(m_scene->click(QStringLiteral("groupLabelButton"), editGroup(links)));
    QTRY_VERIFY(editRow(links, 0));
    QVERIFY(!m_scene->item(QStringLiteral("label"), editRow(links, 0))->isVisible());
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("field"), editRow(links, 0)),
                              QStringLiteral("https://example.com/mary")));

    // The birthday: preset the calendar with a date in March 1990, then pick
    // the 5th there.
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("dateOfBirthEdit")),
                              QStringLiteral("15.03.1990")));
    QVERIFY(m_scene->click(QStringLiteral("calendarButton")));
    QVERIFY(m_scene->waitShown(QStringLiteral("calendarForm")));
    const int march1990 = (1990 - 1930) * 12 + 2;
    QQuickItem *page = m_scene->item(QStringLiteral("calendarPage%1").arg(march1990));
    QVERIFY(page);
    const int firstWeekday = page->property("firstWeekday").toInt();
    QVERIFY(m_scene->click(QStringLiteral("day%1").arg(firstWeekday + 4), page));
    QVERIFY(m_scene->click(QStringLiteral("calendarOkButton")));
    QTRY_COMPARE(m_scene->item(QStringLiteral("dateOfBirthEdit"))->property("text").toString(),
                 QStringLiteral("05.03.1990"));
    QVERIFY(m_scene->waitHidden(QStringLiteral("calendarForm")));

    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("commentEdit")),
                              QStringLiteral("Met at the conference")));
    QVERIFY(m_scene->click(QStringLiteral("okButton"),
                           m_scene->item(QStringLiteral("headerOkCancel"))));
    QTRY_VERIFY(!m_scene->item(QStringLiteral("detailsEditor"))->isVisible());

    QCOMPARE(m_scene->listedNames(),
             (QStringList{QStringLiteral("Adams Ann"), QStringLiteral("Miller Mary"),
                          QStringLiteral("Zimmer Zoe")}));
    const QList<Contact *> stored = SceneDriver::storedContacts();
    QCOMPARE(stored.size(), 3);
    Contact *mary = nullptr;
    for (Contact *s : stored) {
        if (s->surname == QStringLiteral("Miller")) {
            mary = s;
        }
    }
    QVERIFY(mary);
    QCOMPARE(mary->name, QStringLiteral("Mary"));
    QCOMPARE(mary->middlename, QString());
    QCOMPARE(mary->phoneList,
             (QStringList{QStringLiteral("+7 912 345-67-89"), QStringLiteral("8 495 123-45-67")}));
    QCOMPARE(mary->phoneGroupList, (QStringList{QStringLiteral("Mobile"), QStringLiteral("Work")}));
    QCOMPARE(mary->emailList, QStringList{QStringLiteral("mary@example.com")});
    QCOMPARE(mary->emailGroupList, QStringList{QStringLiteral("Home")});
    QCOMPARE(mary->addressList, QStringList{QStringLiteral("Moscow, Tverskaya 1")});
    QCOMPARE(mary->addressGroupList, QStringList{QStringLiteral("Home")});
    QCOMPARE(mary->linkList, QStringList{QStringLiteral("https://example.com/mary")});
    QCOMPARE(mary->dateOfBirth, QStringLiteral("05.03.1990"));
    QCOMPARE(mary->comment, QStringLiteral("Met at the conference"));
    QCOMPARE(mary->organization, QString());
    qDeleteAll(stored);
    qDeleteAll(QList<Contact *>{a, z});
}

void tst_DetailsScene::plusFollowsLastRow()
{
    QVERIFY(m_scene->start());
    QVERIFY(m_scene->click(QStringLiteral("addButton")));
    QTRY_VERIFY(m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    const QString emails = QStringLiteral("emailEdit");
    QVERIFY(plusShown(emails));

    QVERIFY(m_scene->click(QStringLiteral("groupLabelButton"), editGroup(emails)));
    QTRY_VERIFY(editRow(emails, 0));
    QVERIFY(!plusShown(emails));
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("field"), editRow(emails, 0)),
                              QStringLiteral("a")));
    QVERIFY(plusShown(emails));
    QTest::keyClick(m_scene->window(), Qt::Key_Backspace);
    QVERIFY(!plusShown(emails));

    QVERIFY(m_scene->click(QStringLiteral("removeMark"), editRow(emails, 0)));
    QTRY_VERIFY(!editRow(emails, 0));
    QVERIFY(plusShown(emails));

    QVERIFY(m_scene->click(QStringLiteral("cancelButton"),
                           m_scene->item(QStringLiteral("headerOkCancel"))));
    QTRY_VERIFY(!m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    QVERIFY(SceneDriver::storedContacts().isEmpty());
}

void tst_DetailsScene::newGroupLabelSurvivesRestart()
{
    QVERIFY(m_scene->start());
    QVERIFY(m_scene->click(QStringLiteral("addButton")));
    QTRY_VERIFY(m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    const QString phones = QStringLiteral("phoneEdit");
    QVERIFY(m_scene->click(QStringLiteral("groupLabelButton"), editGroup(phones)));
    QTRY_VERIFY(editRow(phones, 0));
    QVERIFY(m_scene->click(QStringLiteral("label"), editRow(phones, 0)));
    QVERIFY(m_scene->chooseInList(QStringLiteral("Create new")));
    QVERIFY(m_scene->waitShown(QStringLiteral("lineEditForm")));
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("lineEditFormInput")),
                              QStringLiteral("Dacha")));
    QVERIFY(m_scene->click(QStringLiteral("lineEditOkButton")));
    QTRY_COMPARE(m_scene->item(QStringLiteral("label"), editRow(phones, 0))
                         ->property("currentString")
                         .toString(),
                 QStringLiteral("Dacha"));

    // Offered from then on, in front of "Create new".
    QVERIFY(m_scene->waitHidden(QStringLiteral("lineEditForm")));
    QVERIFY(m_scene->click(QStringLiteral("groupLabelButton"),
                           editGroup(QStringLiteral("emailEdit"))));
    QTRY_VERIFY(editRow(QStringLiteral("emailEdit"), 0));
    QVERIFY(m_scene->click(QStringLiteral("label"), editRow(QStringLiteral("emailEdit"), 0)));
    QVERIFY(m_scene->chooseInList(QStringLiteral("Dacha")));
    QTRY_COMPARE(m_scene->item(QStringLiteral("label"), editRow(QStringLiteral("emailEdit"), 0))
                         ->property("currentString")
                         .toString(),
                 QStringLiteral("Dacha"));
    QVERIFY(m_scene->click(QStringLiteral("cancelButton"),
                           m_scene->item(QStringLiteral("headerOkCancel"))));

    m_scene->stop();
    QVERIFY(m_scene->start());
    QCOMPARE(m_scene->eval(QStringLiteral("contactsProxyModel.groupLabels")).toStringList(),
             (QStringList{QStringLiteral("Mobile"), QStringLiteral("Home"), QStringLiteral("Work"),
                          QStringLiteral("Dacha"), QStringLiteral("Create new")}));
    QVERIFY(m_scene->click(QStringLiteral("addButton")));
    QTRY_VERIFY(m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    QVERIFY(m_scene->click(QStringLiteral("groupLabelButton"), editGroup(phones)));
    QTRY_VERIFY(editRow(phones, 0));
    QVERIFY(m_scene->click(QStringLiteral("label"), editRow(phones, 0)));
    QVERIFY(m_scene->chooseInList(QStringLiteral("Dacha")));
    QVERIFY(m_scene->click(QStringLiteral("cancelButton"),
                           m_scene->item(QStringLiteral("headerOkCancel"))));
}

void tst_DetailsScene::editChangesRecordAndCancelDiscards()
{
    Contact *c = contact(QStringLiteral("Adams"), QStringLiteral("Ann"));
    c->organization = QStringLiteral("Acme");
    c->phoneList = QStringList{QStringLiteral("+7 912 000-11-22")};
    c->phoneGroupList = QStringList{QStringLiteral("Mobile")};
    SceneDriver::storeContacts({c});
    QVERIFY(m_scene->start());
    selectContact(c->id);

    QVERIFY(m_scene->click(QStringLiteral("editButton")));
    QTRY_VERIFY(m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    QQuickItem *organization = m_scene->item(QStringLiteral("organizationEdit"));
    QCOMPARE(organization->property("text").toString(), QStringLiteral("Acme"));
    QVERIFY(m_scene->typeInto(organization, QStringLiteral(" Ltd")));
    // Removing the only phone row stores no phone at all.
    QVERIFY(m_scene->click(QStringLiteral("removeMark"), editRow(QStringLiteral("phoneEdit"), 0)));
    QTRY_VERIFY(!editRow(QStringLiteral("phoneEdit"), 0));
    QVERIFY(m_scene->click(QStringLiteral("okButton"),
                           m_scene->item(QStringLiteral("headerOkCancel"))));
    QTRY_VERIFY(m_scene->item(QStringLiteral("detailsView"))->isVisible());
    QCOMPARE(m_scene->item(QStringLiteral("organization"))->property("text").toString(),
             QStringLiteral("Acme Ltd"));
    QVERIFY(!group(QStringLiteral("phoneGroup"))->isVisible());
    QList<Contact *> stored = SceneDriver::storedContacts();
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.at(0)->organization, QStringLiteral("Acme Ltd"));
    QCOMPARE(stored.at(0)->phoneList, QStringList());
    QCOMPARE(stored.at(0)->phoneGroupList, QStringList());
    qDeleteAll(stored);

    QVERIFY(m_scene->click(QStringLiteral("editButton")));
    QTRY_VERIFY(m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("nameField")), QStringLiteral("bel")));
    QCOMPARE(m_scene->item(QStringLiteral("nameField"))->property("text").toString(),
             QStringLiteral("Annbel"));
    QVERIFY(m_scene->click(QStringLiteral("cancelButton"),
                           m_scene->item(QStringLiteral("headerOkCancel"))));
    QTRY_VERIFY(m_scene->item(QStringLiteral("detailsView"))->isVisible());
    QCOMPARE(m_scene->item(QStringLiteral("nameField"))->property("text").toString(),
             QStringLiteral("Ann"));
    QCOMPARE(m_scene->item(QStringLiteral("fullName"))->property("text").toString(),
             QStringLiteral("Adams Ann"));
    stored = SceneDriver::storedContacts();
    QCOMPARE(stored.at(0)->name, QStringLiteral("Ann"));
    qDeleteAll(stored);
    delete c;
}

void tst_DetailsScene::renamedContactStaysShown()
{
    Contact *a = contact(QStringLiteral("Adams"), QStringLiteral("Ann"));
    Contact *b = contact(QStringLiteral("Brown"), QStringLiteral("Bob"));
    SceneDriver::storeContacts({a, b});
    QVERIFY(m_scene->start());
    selectContact(a->id);

    // The new surname sorts the contact after Brown: the details still show it.
    QVERIFY(m_scene->click(QStringLiteral("editButton")));
    QTRY_VERIFY(m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    QQuickItem *surname = m_scene->item(QStringLiteral("surnameField"));
    QVERIFY(m_scene->click(surname));
    QTest::keyClick(m_scene->window(), Qt::Key_End);
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(m_scene->window(), Qt::Key_Backspace);
    }
    QVERIFY(m_scene->typeInto(surname, QStringLiteral("Young")));
    QVERIFY(m_scene->click(QStringLiteral("okButton"),
                           m_scene->item(QStringLiteral("headerOkCancel"))));
    QTRY_VERIFY(m_scene->item(QStringLiteral("detailsView"))->isVisible());
    QCOMPARE(m_scene->listedNames(),
             (QStringList{QStringLiteral("Brown Bob"), QStringLiteral("Young Ann")}));
    QCOMPARE(m_scene->item(QStringLiteral("fullName"))->property("text").toString(),
             QStringLiteral("Young Ann"));
    QCOMPARE(m_scene->eval(QStringLiteral("contactsProxyModel.currentData(257)")).toString(),
             a->id);
    qDeleteAll(QList<Contact *>{a, b});
}

void tst_DetailsScene::pictureWhileBrowsingUpdatesAtOnce()
{
    Contact *c = contact(QStringLiteral("Adams"), QStringLiteral("Ann"));
    SceneDriver::storeContacts({c});
    const QString picture = SceneDriver::writePicture(QStringLiteral("red.png"), Qt::red);
    QVERIFY(m_scene->start());
    selectContact(c->id);

    QVERIFY(m_scene->click(QStringLiteral("detailsPhoto")));
    QVERIFY(m_scene->waitShown(QStringLiteral("listViewForm")));
    // No camera: choosing a file is the only choice.
    QVERIFY(m_scene->item(QStringLiteral("listViewFormRow0")));
    QVERIFY(!m_scene->item(QStringLiteral("listViewFormRow1")));
    m_scene->answerFileDialog(picture);
    QVERIFY(m_scene->chooseInList(QStringLiteral("Choose existing picture...")));
    QTRY_VERIFY(m_scene->fileDialogAnswered());

    QTRY_VERIFY(!SceneDriver::storedPhoto(c->id).isEmpty());
    QQuickItem *photo = m_scene->item(QStringLiteral("detailsPhoto"));
    QTRY_COMPARE(m_scene->colourAt(photo), QColor(Qt::red));
    QQuickItem *rowPhoto = m_scene->item(QStringLiteral("photoImage"), m_scene->listRow(c->id));
    QTRY_COMPARE(m_scene->colourAt(rowPhoto), QColor(Qt::red));
    // The big photo over the list shows it as soon as editing starts.
    QVERIFY(m_scene->click(QStringLiteral("editButton")));
    QTRY_VERIFY(m_scene->item(QStringLiteral("bigPhotoRect"))->isVisible());
    QTRY_COMPARE(m_scene->colourAt(m_scene->item(QStringLiteral("bigPhoto"))), QColor(Qt::red));
    QVERIFY(m_scene->click(QStringLiteral("cancelButton"),
                           m_scene->item(QStringLiteral("headerOkCancel"))));
    delete c;
}

void tst_DetailsScene::pictureWhileAddingStoredOnSave()
{
    const QString picture = SceneDriver::writePicture(QStringLiteral("blue.png"), Qt::blue);
    QVERIFY(m_scene->start());

    for (bool save : {false, true}) {
        QVERIFY(m_scene->click(QStringLiteral("addButton")));
        QTRY_VERIFY(m_scene->item(QStringLiteral("bigPhotoRect"))->isVisible());
        QVERIFY(m_scene->click(QStringLiteral("bigPhoto")));
        m_scene->answerFileDialog(picture);
        QVERIFY(m_scene->chooseInList(QStringLiteral("Choose existing picture...")));
        QTRY_VERIFY(m_scene->fileDialogAnswered());
        QTRY_COMPARE(m_scene->colourAt(m_scene->item(QStringLiteral("bigPhoto"))),
                     QColor(Qt::blue));
        QVERIFY(SceneDriver::storedContacts().isEmpty());
        QVERIFY(m_scene->typeInto(m_scene->item(QStringLiteral("nameField")),
                                  QStringLiteral("Bella")));
        QVERIFY(m_scene->click(save ? QStringLiteral("okButton") : QStringLiteral("cancelButton"),
                               m_scene->item(QStringLiteral("headerOkCancel"))));
        QTRY_VERIFY(!m_scene->item(QStringLiteral("detailsEditor"))->isVisible());
    }

    const QList<Contact *> stored = SceneDriver::storedContacts();
    QCOMPARE(stored.size(), 1);
    QImage photo;
    QVERIFY(photo.loadFromData(SceneDriver::storedPhoto(stored.at(0)->id)));
    QCOMPARE(photo.pixelColor(photo.width() / 2, photo.height() / 2), QColor(Qt::blue));
    qDeleteAll(stored);
}

KIV_TEST_MAIN(tst_DetailsScene)
#include "tst_detailsscene.moc"

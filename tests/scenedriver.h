#pragma once

#include <QColor>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QVariant>

#include <memory>

class Contact;
class QQuickItem;
class QQuickWindow;
class SceneSetup;

// Runs the real main scene of the program (scene set-up with the SQLite store
// in the test's home directory) and drives it as a person would: clicks on
// items found by object name, typing, answering the native file dialogs.
// Every warning of the scene engine is recorded; the scene tests fail on any.
class SceneDriver : public QObject
{
    Q_OBJECT

public:
    explicit SceneDriver(QObject *parent = nullptr);
    ~SceneDriver() override;

    // Starts the program's scene (again), as a start with the contact id on
    // the command line would, and waits until the window is shown.
    bool start(bool tabletMode = false, const QString &contactId = QString());
    // Closes the window and tears the scene down, as quitting the program does.
    void stop();

    QQuickWindow *window() const;
    SceneSetup *setup() const { return m_setup.get(); }
    QQuickItem *rootItem() const;
    // The first object below `parent` (the scene root when null) with this name.
    QObject *object(const QString &name, QObject *parent = nullptr) const;
    QQuickItem *item(const QString &name, QObject *parent = nullptr) const;
    // Evaluates a scene expression in the main scene's context (for reading state).
    QVariant eval(const QString &expression) const;

    // True when the item and all its ancestors are visible and enabled and the
    // item has a size.
    static bool isShown(QQuickItem *item);
    // True when the item is shown and all of it lies inside the window and
    // every ancestor that clips: nothing of it is cut off.
    static bool isUnclipped(QQuickItem *item);
    // Waits until the window has rendered its next frame (layout included).
    void waitForFrame();
    // Clicks the middle of the item (it must be shown).
    bool click(QQuickItem *item);
    bool click(const QString &name, QObject *parent = nullptr);
    // Clicks the item, then types the text into what has the focus.
    bool typeInto(QQuickItem *item, const QString &text);
    // Waits until an overlay form is fully shown or fully hidden.
    bool waitShown(const QString &formName);
    bool waitHidden(const QString &formName);
    // Clicks the row of the list chooser that shows `text`.
    bool chooseInList(const QString &text);

    // The next native file dialog is answered with `path` (empty: cancelled).
    void answerFileDialog(const QString &path);
    bool fileDialogAnswered() const { return m_dialogAnswered; }

    // URLs the scene handed to the desktop, by scheme handlers of this driver.
    QList<QUrl> openedUrls() const { return m_urls; }

    // The names in the contact list, top to bottom.
    QStringList listedNames() const;
    // The list row of the contact with this id.
    QQuickItem *listRow(const QString &id) const;
    // The colour in the middle of an item as the window shows it.
    QColor colourAt(QQuickItem *item) const;

    // The database file of the program, read and written outside the scene
    // (only while the scene is stopped, or for reading).
    static void storeContacts(const QList<Contact *> &contacts);
    // Stores "Surname Name|Other*" (a star marks a favourite) under ids 1, 2, ...
    static void storeContacts(const QString &compact);
    // Stores the records of a file of contact JSON lines (as contactJson writes them).
    static void storeContactsFrom(const QString &jsonLinesPath);
    static QList<Contact *> storedContacts();
    // The stored records as "id contactText()" lines, sorted.
    static QStringList storedTexts();
    // The stored ids, sorted.
    static QStringList storedIds();
    static QByteArray storedPhoto(const QString &id);
    // Removes the database file and the settings: a first start.
    static void resetHome();
    // Writes a square picture of one colour into the home directory.
    static QString writePicture(const QString &name, const QColor &colour);

    // Warnings of the scene engine since the start of the process.
    static QStringList warnings();
    static void clearWarnings();

public slots:
    void openUrl(const QUrl &url);

private:
    std::unique_ptr<SceneSetup> m_setup;
    QList<QUrl> m_urls;
    bool m_dialogAnswered = false;
    QPointer<QTimer> m_dialogPoll;
};

// The base of a scene test program: every test function gets a first-start
// home and a driver (not started), and fails on any warning of the scenes.
class SceneTest : public QObject
{
    Q_OBJECT

protected slots:
    void init();
    void cleanup();

protected:
    std::unique_ptr<SceneDriver> m_scene;
};

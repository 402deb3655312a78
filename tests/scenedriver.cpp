#include "scenedriver.h"

#include "app/customqtquick2applicationviewer.h"
#include "app/scenesetup.h"
#include "model/contactsmodel.h"
#include "record/contact.h"
#include "storage/sqlitedatabase.h"
#include "testsupport.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// Scene engine messages come through the categories "qml" and "js", or as
// default-category warnings that name a scene file or a QML type.
bool isSceneMessage(QtMsgType, const QMessageLogContext &context, const QString &text)
{
    const QString category = QString::fromLatin1(context.category ? context.category : "");
    if (category == QLatin1String("qml") || category == QLatin1String("js")) {
        return true;
    }
    return text.contains(QLatin1String("qrc:/")) || text.contains(QLatin1String("QML"))
           || text.contains(QLatin1String("QQmlExpression"))
           || text.contains(QLatin1String("non-NOTIFYable"))
           || text.contains(QLatin1String("Binding loop"));
}

// Every warning of the scenes since the first driver of the process.
MessageRecorder &recorder()
{
    static MessageRecorder instance(isSceneMessage);
    return instance;
}

// The schemes whose addresses the scenes' tests record instead of handing
// them to the desktop; file and smb, so that a test sees any such address
// the scenes would open.
const char *const recordedSchemes[] = {"mailto", "http", "https", "tel", "file", "smb"};

} // namespace

SceneDriver::SceneDriver(QObject *parent)
    : QObject(parent)
{
    recorder();
    for (const char *scheme : recordedSchemes) {
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "openUrl");
    }
}

SceneDriver::~SceneDriver()
{
    for (const char *scheme : recordedSchemes) {
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    stop();
}

bool SceneDriver::start(bool tabletMode, const QString &contactId)
{
    stop();
    // The scene tests also run in the touch layout (see tests/scenes.cmake).
    tabletMode = tabletMode || qEnvironmentVariableIntValue("KIV_TEST_TABLET_MODE") != 0;
    m_setup = std::make_unique<SceneSetup>(nullptr, contactId, false, tabletMode);
    QQmlEngine *engine = m_setup->viewer()->engine();
    connect(engine, &QQmlEngine::warnings, this, [](const QList<QQmlError> &list) {
        for (const QQmlError &error : list) {
            recorder().append(error.toString());
        }
    });
    if (!m_setup->viewer()->rootObject()) {
        return false;
    }
    m_setup->viewer()->resize(1000, 700);
    m_setup->showWindow();
    return QTest::qWaitForWindowExposed(m_setup->viewer());
}

void SceneDriver::stop()
{
    if (!m_setup) {
        return;
    }
    m_setup->viewer()->close();
    // Items and records released by deferred deletion go while their window
    // still exists.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_setup.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QQuickWindow *SceneDriver::window() const
{
    return m_setup ? m_setup->viewer() : nullptr;
}

QQuickItem *SceneDriver::rootItem() const
{
    return m_setup ? m_setup->viewer()->rootObject() : nullptr;
}

QObject *SceneDriver::object(const QString &name, QObject *parent) const
{
    QObject *base = parent ? parent : rootItem();
    if (!base) {
        return nullptr;
    }
    if (base->objectName() == name) {
        return base;
    }
    if (auto *found = base->findChild<QObject *>(name)) {
        return found;
    }
    // Delegates of views are visual children only.
    if (auto *baseItem = qobject_cast<QQuickItem *>(base)) {
        const QList<QQuickItem *> children = baseItem->childItems();
        for (QQuickItem *child : children) {
            if (QObject *found = object(name, child)) {
                return found;
            }
        }
    }
    return nullptr;
}

QQuickItem *SceneDriver::item(const QString &name, QObject *parent) const
{
    return qobject_cast<QQuickItem *>(object(name, parent));
}

QVariant SceneDriver::eval(const QString &expression) const
{
    QQmlContext *context = QQmlEngine::contextForObject(rootItem());
    QQmlExpression expr(context, rootItem(), expression);
    const QVariant result = expr.evaluate();
    if (expr.hasError()) {
        qWarning("eval: %s", qPrintable(expr.error().toString()));
    }
    return result;
}

bool SceneDriver::isShown(QQuickItem *item)
{
    if (!item || item->width() <= 0 || item->height() <= 0) {
        return false;
    }
    for (QQuickItem *it = item; it; it = it->parentItem()) {
        if (!it->isVisible() || !it->isEnabled() || it->opacity() <= 0) {
            return false;
        }
    }
    return true;
}

bool SceneDriver::isUnclipped(QQuickItem *item)
{
    if (!isShown(item) || !item->window()) {
        return false;
    }
    const auto box = [](QQuickItem *it) {
        return it->mapRectToScene(QRectF(0, 0, it->width(), it->height()));
    };
    QRectF seen(0, 0, item->window()->width(), item->window()->height());
    for (QQuickItem *it = item->parentItem(); it; it = it->parentItem()) {
        seen &= it->clip() ? box(it) : seen;
    }
    return seen.adjusted(-1, -1, 1, 1).contains(box(item));
}

// Scrolls every flickable around the item, innermost first, so that the item
// comes into view, as a person would by flicking.
static void scrollIntoView(QQuickItem *item)
{
    for (QQuickItem *it = item->parentItem(); it; it = it->parentItem()) {
        if (!it->inherits("QQuickFlickable")) {
            continue;
        }
        auto *content = it->property("contentItem").value<QQuickItem *>();
        if (!content) {
            continue;
        }
        const QRectF box =
                item->mapRectToItem(content, QRectF(0, 0, item->width(), item->height()));
        const qreal top = it->property("contentY").toReal();
        if (box.top() >= top && box.bottom() <= top + it->height()) {
            continue;
        }
        const qreal maxY = qMax<qreal>(0, it->property("contentHeight").toReal() - it->height());
        const qreal wanted = box.top() - qMax<qreal>(0, (it->height() - box.height()) / 2);
        it->setProperty("contentY", qBound<qreal>(0, wanted, maxY));
    }
}

void SceneDriver::waitForFrame()
{
    QSignalSpy frame(window(), SIGNAL(frameSwapped()));
    window()->update();
    frame.wait(2000);
}

bool SceneDriver::click(QQuickItem *item)
{
    if (!isShown(item)) {
        qWarning("SceneDriver: cannot click %s", item ? qPrintable(item->objectName()) : "null");
        return false;
    }
    // Positioners lay out at the next frame: a person sees that frame
    // before clicking, so the click waits for it too.
    waitForFrame();
    scrollIntoView(item);
    waitForFrame();
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    if (!QRectF(0, 0, window()->width(), window()->height()).contains(centre)) {
        qWarning("SceneDriver: %s is outside the window", qPrintable(item->objectName()));
        return false;
    }
    QTest::mouseClick(window(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    return true;
}

bool SceneDriver::click(const QString &name, QObject *parent)
{
    return click(item(name, parent));
}

bool SceneDriver::typeInto(QQuickItem *target, const QString &text)
{
    if (!click(target)) {
        return false;
    }
    for (const QChar c : text) {
        const Qt::Key key =
                c.unicode() < 128 ? QTest::asciiToKey(char(c.unicode())) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, window(), key, QString(c), Qt::NoModifier);
    }
    return true;
}

bool SceneDriver::waitShown(const QString &formName)
{
    QQuickItem *form = item(formName);
    if (!form) {
        return false;
    }
    return QTest::qWaitFor([form] { return form->opacity() == 1.0; }, 3000);
}

bool SceneDriver::waitHidden(const QString &formName)
{
    QQuickItem *form = item(formName);
    if (!form) {
        return false;
    }
    return QTest::qWaitFor([form] { return form->opacity() == 0.0 && !form->isVisible(); }, 3000);
}

bool SceneDriver::chooseInList(const QString &text)
{
    if (!waitShown(QStringLiteral("listViewForm"))) {
        return false;
    }
    QQuickItem *form = item(QStringLiteral("listViewForm"));
    for (int i = 0; i < 100; ++i) {
        QQuickItem *row = item(QStringLiteral("listViewFormRow%1").arg(i), form);
        if (!row) {
            break;
        }
        const QList<QQuickItem *> children = row->childItems();
        for (QQuickItem *child : children) {
            if (child->property("text").toString() == text && child->isVisible()) {
                return click(row);
            }
        }
    }
    qWarning("SceneDriver: no list entry %s", qPrintable(text));
    return false;
}

void SceneDriver::answerFileDialog(const QString &path)
{
    m_dialogAnswered = false;
    delete m_dialogPoll;
    auto *poll = new QTimer(this);
    m_dialogPoll = poll;
    poll->setInterval(20);
    connect(poll, &QTimer::timeout, this, [this, poll, path] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) {
            return;
        }
        poll->stop();
        m_dialogAnswered = true;
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // A question of the dialog (replace a file, missing folder) would
        // block the test: note it and close it.
        auto *guard = new QTimer(poll);
        guard->setInterval(50);
        connect(guard, &QTimer::timeout, guard, [] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box && box->isVisible()) {
                recorder().append(QStringLiteral("unexpected dialog: ") + box->text());
                box->reject();
            }
        });
        guard->start();
        // Entered as a user would, in the dialog's name field.
        if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))) {
            edit->setText(path);
        } else {
            dialog->selectFile(path);
        }
        static_cast<QDialog *>(dialog)->accept();
        guard->stop();
    });
    poll->start();
}

QStringList SceneDriver::listedNames() const
{
    QStringList names;
    auto *model = qobject_cast<QAbstractItemModel *>(object(QStringLiteral("contactsProxyModel")));
    if (!model) {
        return names;
    }
    for (int row = 0; row < model->rowCount(); ++row) {
        names.append(model->index(row, 0).data(ContactsModel::FullNameRole).toString());
    }
    return names;
}

QQuickItem *SceneDriver::listRow(const QString &id) const
{
    return item(QStringLiteral("contact_") + id);
}

QColor SceneDriver::colourAt(QQuickItem *target) const
{
    if (!target || !window()) {
        return QColor();
    }
    const QImage image = window()->grabWindow();
    const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
    const qreal ratio = image.width() / qreal(window()->width());
    return image.pixelColor((centre * ratio).toPoint());
}

void SceneDriver::storeContacts(const QList<Contact *> &contacts)
{
    SqliteDatabase store;
    if (!store.open(QString())) {
        qWarning("SceneDriver: cannot open the database file");
        return;
    }
    for (Contact *contact : contacts) {
        store.insertContact(contact);
    }
}

void SceneDriver::storeContacts(const QString &compact)
{
    QList<Contact *> contacts;
    for (auto &contact : makeContacts(compact)) {
        contact->fullname = contact->composedFullName();
        contacts << contact.release();
    }
    storeContacts(contacts);
    qDeleteAll(contacts);
}

void SceneDriver::storeContactsFrom(const QString &jsonLinesPath)
{
    QList<Contact *> contacts;
    for (const QByteArray &line : readFile(jsonLinesPath).split('\n')) {
        if (line.startsWith('{')) {
            contacts << contactFromJson(line).release();
            contacts.last()->fullname = contacts.last()->composedFullName();
        }
    }
    storeContacts(contacts);
    qDeleteAll(contacts);
}

QStringList SceneDriver::storedIds()
{
    QStringList ids;
    for (const QString &text : storedTexts()) {
        ids << text.section(QLatin1Char(' '), 0, 0);
    }
    ids.sort();
    return ids;
}

QStringList SceneDriver::storedTexts()
{
    QStringList texts;
    const QList<Contact *> contacts = storedContacts();
    for (Contact *contact : contacts) {
        texts << contact->id + QLatin1Char(' ') + contactText(contact);
    }
    qDeleteAll(contacts);
    texts.sort();
    return texts;
}

QList<Contact *> SceneDriver::storedContacts()
{
    SqliteDatabase store;
    if (!store.open(QString())) {
        return {};
    }
    return store.loadContacts();
}

QByteArray SceneDriver::storedPhoto(const QString &id)
{
    SqliteDatabase store;
    if (!store.open(QString())) {
        return {};
    }
    return store.loadPhoto(id);
}

void SceneDriver::resetHome()
{
    QFile::remove(SqliteDatabase::defaultPath());
    QSettings().clear();
    QSettings().sync();
}

QString SceneDriver::writePicture(const QString &name, const QColor &colour)
{
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = QDir::homePath() + QLatin1Char('/') + name;
    image.save(path);
    return path;
}

QStringList SceneDriver::warnings()
{
    return recorder().messages();
}

void SceneDriver::clearWarnings()
{
    recorder().clear();
}

void SceneDriver::openUrl(const QUrl &url)
{
    m_urls.append(url);
}

void SceneTest::init()
{
    SceneDriver::resetHome();
    SceneDriver::clearWarnings();
    m_scene = std::make_unique<SceneDriver>();
}

void SceneTest::cleanup()
{
    m_scene.reset();
    const QStringList warnings = SceneDriver::warnings();
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
}

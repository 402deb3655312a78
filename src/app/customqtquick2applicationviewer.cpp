#include "app/customqtquick2applicationviewer.h"

#include "app/kivintegration.h"

#include <QKeyEvent>
#include <QProcess>

CustomQtQuick2ApplicationViewer::CustomQtQuick2ApplicationViewer(QWindow *parent)
    : QtQuick2ApplicationViewer(parent)
{
}

void CustomQtQuick2ApplicationViewer::processAppMessage(QString message)
{
    if (message == QLatin1String("raise")) {
        bringForward();
        return;
    }
    if (message.startsWith(QLatin1String("contactId"))) {
        const QStringList pieces = message.split(QLatin1Char(' '));
        if (pieces.size() >= 2) {
            emit showContact(pieces.at(1));
        }
        bringForward();
    }
}

void CustomQtQuick2ApplicationViewer::bringForward()
{
    // A minimised window would stay invisible after show() and raise(): the
    // user started the program again to see it, so restore it (keeping a
    // maximised window maximised).
    if (windowStates().testFlag(Qt::WindowMinimized)) {
        setWindowStates(windowStates() & ~Qt::WindowMinimized);
    }
    show();
    raise();
}

bool CustomQtQuick2ApplicationViewer::startDetachedProcess(QString program, QStringList arguments)
{
    return QProcess::startDetached(program, arguments);
}

void CustomQtQuick2ApplicationViewer::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        kivHelpShow(kivHelpLookForWidget());
    }
    QtQuick2ApplicationViewer::keyPressEvent(event);
}

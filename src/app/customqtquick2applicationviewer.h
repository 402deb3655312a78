#pragma once

#include "app/qtquick2applicationviewer.h"

#include <QString>
#include <QStringList>

// The main window as the scenes see it (context property `viewer`): answers
// the messages of a second start, opens desktop help on F1 and starts
// external programs for the scenes.
class CustomQtQuick2ApplicationViewer : public QtQuick2ApplicationViewer
{
    Q_OBJECT

public:
    explicit CustomQtQuick2ApplicationViewer(QWindow *parent = nullptr);

signals:
    // Asks the scene to select the contact with this id.
    void showContact(QString contactId);

public slots:
    // "raise" shows, restores and raises the window; "contactId <id>" also emits
    // showContact with the text between the first and second blank. Anything
    // else is ignored.
    void processAppMessage(QString message);
    // Starts program with arguments as a detached process; false when it
    // could not be started (not installed, not executable).
    bool startDetachedProcess(QString program, QStringList arguments);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Shows the window, restored if it was minimised, and puts it on top.
    void bringForward();
};

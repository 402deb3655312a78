#pragma once

#include <QApplication>
#include <QString>

class LocalPeer;

// The application object of a program that runs once per user: a second
// start finds the running instance through isRunning() and hands it a text
// message, which the running instance emits as messageReceived() on its GUI
// thread. The identity is derived from the executable's path, the user and
// the home directory.
class QtSingleApplication : public QApplication
{
    Q_OBJECT

public:
    QtSingleApplication(int &argc, char **argv);
    ~QtSingleApplication() override;

    // The identity shared by all instances that see each other.
    QString id() const;
    // True when another instance is running; otherwise this instance becomes
    // the running one and starts accepting messages.
    bool isRunning();
    // Sends a message to the running instance; true when it was delivered
    // within timeoutMs.
    bool sendMessage(const QString &message, int timeoutMs = 5000);

signals:
    void messageReceived(const QString &message);

private:
    LocalPeer *m_peer = nullptr;
};

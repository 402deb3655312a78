#include "app/qtsingleapplication.h"

#include "app/localpeer.h"

#include <QDir>

QtSingleApplication::QtSingleApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    m_peer = new LocalPeer(LocalPeer::keyFor(applicationFilePath(), QDir::homePath()), this);
    connect(m_peer, &LocalPeer::messageReceived, this, &QtSingleApplication::messageReceived);
}

QtSingleApplication::~QtSingleApplication() = default;

QString QtSingleApplication::id() const
{
    return m_peer->key();
}

bool QtSingleApplication::isRunning()
{
    return m_peer->isClient();
}

bool QtSingleApplication::sendMessage(const QString &message, int timeoutMs)
{
    return m_peer->sendMessage(message, timeoutMs);
}

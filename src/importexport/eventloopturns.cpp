#include "importexport/eventloopturns.h"

#include <QCoreApplication>

EventLoopTurns::EventLoopTurns(QEventLoop::ProcessEventsFlags flags)
    : m_flags(flags)
{
    m_sinceTurn.start();
}

void EventLoopTurns::maybeTurn()
{
    if (m_sinceTurn.elapsed() >= IntervalMs) {
        turn();
    }
}

void EventLoopTurns::turn()
{
    QCoreApplication::processEvents(m_flags);
    m_sinceTurn.restart();
}

#include "importexport/eventloopturns.h"

#include <QCoreApplication>

EventLoopTurns::EventLoopTurns(QEventLoop::ProcessEventsFlags flags)
    : m_flags(flags)
{
    m_sinceTurn.start();
}

bool EventLoopTurns::due() const
{
    return m_sinceTurn.elapsed() >= IntervalMs;
}

void EventLoopTurns::maybeTurn()
{
    if (due()) {
        turn();
    }
}

void EventLoopTurns::turn()
{
    QCoreApplication::processEvents(m_flags);
    m_sinceTurn.restart();
}

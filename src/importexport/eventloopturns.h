#pragma once

#include <QElapsedTimer>
#include <QEventLoop>

// Lets the event loop run about every 30 ms of work inside a long loop on the
// window's thread: often enough for the progress text to repaint smoothly,
// rarely enough that the loop is not tied to the screen's frame rate. All
// imports and exports share this pace.
class EventLoopTurns
{
public:
    static constexpr qint64 IntervalMs = 30;

    explicit EventLoopTurns(QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);
    // True when the interval has passed since the last turn: the next
    // maybeTurn() runs the event loop.
    bool due() const;
    // Runs the event loop now when the interval has passed since its last turn.
    void maybeTurn();
    // Runs the event loop now.
    void turn();

private:
    QEventLoop::ProcessEventsFlags m_flags;
    QElapsedTimer m_sinceTurn;
};

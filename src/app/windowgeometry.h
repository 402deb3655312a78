#pragma once

#include <QRect>

class QWindow;

// The main window's size, position and maximised state across starts. A
// saved place is brought back on the screen when the screen got smaller,
// and never below the window's minimum size.
class WindowGeometry
{
public:
    // The place to open at: the saved one kept on `available`, or `fallback`
    // (centred on it) when nothing was saved; both at least `minimum`.
    static QRect fitted(const QRect &saved, const QRect &available, const QSize &minimum,
                        const QSize &fallback);
    // Places the window as saved and shows it (maximised when it was); from
    // then on its place is saved whenever it changes.
    static void restoreAndShow(QWindow *window);
    // Remembers the window's place; a maximised window keeps the place it
    // had before.
    static void save(const QWindow *window);
};

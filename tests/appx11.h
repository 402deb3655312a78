#pragma once

// What the X server knows about top-level windows, for the application shell
// tests that check showing, raising and maximising from outside the window
// classes. Without a window manager (Xvfb), top-level windows are direct
// children of the root window, listed bottom to top. The X11 headers stay in
// appx11.cpp: their macros clash with Qt's names.

#include <QList>
#include <QString>
#include <QStringList>

class X11Windows
{
public:
    X11Windows();
    ~X11Windows();
    X11Windows(const X11Windows &) = delete;
    X11Windows &operator=(const X11Windows &) = delete;

    bool isValid() const;
    // Viewable top-level windows, bottom to top.
    QList<unsigned long> stackingOrder() const;
    // The viewable top-level window of a process (by _NET_WM_PID), or 0.
    unsigned long windowOfProcess(qint64 pid) const;
    bool isTopmost(unsigned long window) const;
    QString title(unsigned long window) const;
    // The atom names in _NET_WM_STATE, e.g. "_NET_WM_STATE_MAXIMIZED_VERT".
    QStringList netWmState(unsigned long window) const;

private:
    void *m_display;
};

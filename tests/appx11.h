#pragma once

#include <QList>
#include <QString>

// What the X server shows, seen from outside the window classes. Without a
// window manager (Xvfb) the top-level windows are the root's children, listed
// bottom to top. The X11 headers stay in appx11.cpp: their macros clash with Qt.
namespace X11 {
// The viewable top-level windows, bottom to top.
QList<unsigned long> windows();
// A property as text: a UTF-8 string, or the numbers or atom names it holds,
// joined by spaces ("_NET_WM_PID", "_NET_WM_NAME", "_NET_WM_STATE").
QString property(unsigned long window, const char *name);
} // namespace X11

#include "appx11.h"

#include <QByteArray>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

Display *display(void *handle)
{
    return static_cast<Display *>(handle);
}

Atom atom(Display *dpy, const char *name)
{
    return XInternAtom(dpy, name, False);
}

// The raw items of a window property (longs and atoms as the client library
// stores them: one C long each).
QByteArray property(Display *dpy, unsigned long window, const char *name, Atom type)
{
    Atom actualType = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long bytesAfter = 0;
    unsigned char *data = nullptr;
    QByteArray result;
    if (XGetWindowProperty(dpy, window, atom(dpy, name), 0, 1024, False, type, &actualType, &format,
                           &items, &bytesAfter, &data)
                == Success
        && data) {
        const int itemSize = format == 32 ? int(sizeof(long)) : format / 8;
        result = QByteArray(reinterpret_cast<const char *>(data), int(items) * itemSize);
        XFree(data);
    }
    return result;
}

} // namespace

X11Windows::X11Windows()
    : m_display(XOpenDisplay(nullptr))
{
}

X11Windows::~X11Windows()
{
    if (m_display) {
        XCloseDisplay(display(m_display));
    }
}

bool X11Windows::isValid() const
{
    return m_display != nullptr;
}

QList<unsigned long> X11Windows::stackingOrder() const
{
    Display *dpy = display(m_display);
    QList<unsigned long> result;
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    XSync(dpy, False);
    if (XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(dpy, children[i], &attributes)
                && attributes.map_state == IsViewable) {
                result.append(children[i]);
            }
        }
        XFree(children);
    }
    return result;
}

unsigned long X11Windows::windowOfProcess(qint64 pid) const
{
    const QList<unsigned long> windows = stackingOrder();
    for (unsigned long window : windows) {
        const QByteArray value = property(display(m_display), window, "_NET_WM_PID", XA_CARDINAL);
        if (value.size() >= int(sizeof(long))
            && *reinterpret_cast<const long *>(value.constData()) == pid) {
            return window;
        }
    }
    return 0;
}

bool X11Windows::isTopmost(unsigned long window) const
{
    const QList<unsigned long> windows = stackingOrder();
    return !windows.isEmpty() && windows.last() == window;
}

QString X11Windows::title(unsigned long window) const
{
    Display *dpy = display(m_display);
    return QString::fromUtf8(property(dpy, window, "_NET_WM_NAME", atom(dpy, "UTF8_STRING")));
}

QStringList X11Windows::netWmState(unsigned long window) const
{
    Display *dpy = display(m_display);
    QStringList names;
    const QByteArray value = property(dpy, window, "_NET_WM_STATE", XA_ATOM);
    const auto *atoms = reinterpret_cast<const Atom *>(value.constData());
    for (int i = 0; i < value.size() / int(sizeof(Atom)); ++i) {
        if (char *name = XGetAtomName(dpy, atoms[i])) {
            names.append(QString::fromLatin1(name));
            XFree(name);
        }
    }
    return names;
}

#include "appx11.h"

#include <QStringList>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {
Display *display()
{
    static Display *const dpy = XOpenDisplay(nullptr);
    return dpy;
}
} // namespace

QList<unsigned long> X11::windows()
{
    QList<unsigned long> result;
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    XSync(display(), False);
    if (XQueryTree(display(), DefaultRootWindow(display()), &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display(), children[i], &attributes)
                && attributes.map_state == IsViewable)
                result.append(children[i]);
        }
        XFree(children);
    }
    return result;
}

QString X11::property(unsigned long window, const char *name)
{
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display(), window, XInternAtom(display(), name, False), 0, 1024, False,
                           AnyPropertyType, &type, &format, &items, &after, &data)
                != Success
        || !data)
        return QString();
    QStringList values;
    for (unsigned long i = 0; format == 32 && i < items; ++i) {
        const long value = reinterpret_cast<const long *>(data)[i];
        char *atom = type == XA_ATOM ? XGetAtomName(display(), Atom(value)) : nullptr;
        values << (atom ? QString::fromLatin1(atom) : QString::number(value));
        if (atom)
            XFree(atom);
    }
    const QString text =
            format == 8 ? QString::fromUtf8(reinterpret_cast<const char *>(data), int(items))
                        : values.join(QLatin1Char(' '));
    XFree(data);
    return text;
}

#include "app/windowgeometry.h"

#include <QScreen>
#include <QSettings>
#include <QWindow>

namespace {
const QString geometryKey = QStringLiteral("window/geometry");
const QString maximizedKey = QStringLiteral("window/maximized");
} // namespace

QRect WindowGeometry::fitted(const QRect &saved, const QRect &available, const QSize &minimum,
                             const QSize &fallback)
{
    QRect place = saved.isValid() ? saved : QRect(QPoint(), fallback);
    place.setSize(place.size().expandedTo(minimum));
    if (!available.isValid()) {
        return place;
    }
    place.setSize(place.size().boundedTo(available.size()).expandedTo(minimum));
    if (!saved.isValid()) {
        place.moveCenter(available.center());
    }
    // Kept inside the screen: moved back first, then moved to its top left
    // corner when it is larger than the screen.
    place.moveRight(qMin(place.right(), available.right()));
    place.moveBottom(qMin(place.bottom(), available.bottom()));
    place.moveLeft(qMax(place.left(), available.left()));
    place.moveTop(qMax(place.top(), available.top()));
    return place;
}

void WindowGeometry::restoreAndShow(QWindow *window)
{
    const QSettings settings;
    const QRect saved = settings.value(geometryKey).toRect();
    const QScreen *screen = window->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    const QRect place = fitted(saved, available, window->minimumSize(), window->size());
    window->setGeometry(place);
    if (settings.value(maximizedKey, false).toBool()) {
        window->showMaximized();
    } else {
        window->show();
    }
    // Every move, resize and change of state while shown is remembered: a
    // closing window can report its place no longer.
    const auto remember = [window] {
        if (window->isVisible()) {
            save(window);
        }
    };
    QObject::connect(window, &QWindow::xChanged, window, remember);
    QObject::connect(window, &QWindow::yChanged, window, remember);
    QObject::connect(window, &QWindow::widthChanged, window, remember);
    QObject::connect(window, &QWindow::heightChanged, window, remember);
    QObject::connect(window, &QWindow::windowStateChanged, window, remember);
}

void WindowGeometry::save(const QWindow *window)
{
    QSettings settings;
    const bool maximized = window->windowStates() & Qt::WindowMaximized;
    settings.setValue(maximizedKey, maximized);
    if (!maximized && !(window->windowStates() & Qt::WindowFullScreen)) {
        settings.setValue(geometryKey, window->geometry());
    }
}

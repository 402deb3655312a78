#include "app/qtquick2applicationviewer.h"

#include <QQmlEngine>

QtQuick2ApplicationViewer::QtQuick2ApplicationViewer(QWindow *parent)
    : QQuickView(parent)
{
    connect(engine(), &QQmlEngine::quit, this, &QWindow::close);
    setResizeMode(QQuickView::SizeRootObjectToView);
}

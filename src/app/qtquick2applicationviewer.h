#pragma once

#include <QQuickView>

// The application's Qt Quick window: the scene's root item follows the
// window size, and a scene asking the engine to quit closes the window.
class QtQuick2ApplicationViewer : public QQuickView
{
    Q_OBJECT

public:
    explicit QtQuick2ApplicationViewer(QWindow *parent = nullptr);
};

#pragma once

#include <QQuickWindow>
#include <QSGRendererInterface>

// The graphics interface a window's scene graph renders with, for the benches' reports.
inline const char* GraphicsApiName(QQuickWindow* window)
{
    QSGRendererInterface* renderer = window->rendererInterface();
    switch (renderer ? renderer->graphicsApi() : QSGRendererInterface::Unknown) {
    case QSGRendererInterface::Software: return "software";
    case QSGRendererInterface::OpenGL: return "OpenGL";
    case QSGRendererInterface::Vulkan: return "Vulkan";
    case QSGRendererInterface::Null: return "null";
    default: return "other";
    }
}

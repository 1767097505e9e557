#pragma once

#include <QPointer>
#include <QString>
#include <QVariant>

class QObject;

namespace zarn::qt {

// Writes the engine's running state into the main window by property name: the status
// banner's texts, the flow-control cell, the level meter and the continue highlight, and
// flashes the banner's notice lamps. A window that is gone takes nothing. GUI thread only.
class StatusBannerWriter
{
public:
    explicit StatusBannerWriter(QObject* window);

    // Applies a notification that only shows on the window; false for any other id.
    bool Write(int id, int value, const QString& text);
    void SetContinueHighlight(bool highlight);
    // Calls one of the banner's lamp functions ("highlightMidiNotice", ...).
    void Flash(const char* bannerFunction);

private:
    void SetFlowControl(int value, const QString& text);
    void Set(const char* name, const QVariant& value);

    QPointer<QObject> window_;
};

} // namespace zarn::qt

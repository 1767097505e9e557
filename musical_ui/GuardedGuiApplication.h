#pragma once

#include <QGuiApplication>

namespace zarn::qt {

// The application object of the run. Whatever escapes an event handler or a queued
// slot is captured for the start-up's error log instead of unwinding through the loop.
class GuardedGuiApplication : public QGuiApplication
{
    Q_OBJECT

public:
    GuardedGuiApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace zarn::qt

#include "GuardedGuiApplication.h"

#include "FatalError.h"

namespace zarn::qt {

GuardedGuiApplication::GuardedGuiApplication(int& argc, char** argv)
    : QGuiApplication(argc, argv)
{
}

bool GuardedGuiApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    FatalError::Guard([&] { handled = QGuiApplication::notify(receiver, event); });
    return handled;
}

} // namespace zarn::qt

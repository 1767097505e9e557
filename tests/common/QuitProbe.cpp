#include "QuitProbe.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

std::optional<int> QuitCodeOf(const std::function<void()>& action)
{
    QEventLoop loop;
    bool quit = true;
    QTimer::singleShot(0, &loop, [&] {
        action();
        // QCoreApplication::exit ends every running loop (this one with its code) and makes
        // any loop started after it return -1 at once.
        QEventLoop probe;
        QTimer::singleShot(0, &probe, [&] { probe.exit(0); });
        if (probe.exec() != -1) {
            quit = false;
            loop.exit(0);
        }
    });
    const int code = loop.exec();
    if (!quit)
        return std::nullopt;
    // Only the application's own exec() lets the thread run loops again.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    return code;
}

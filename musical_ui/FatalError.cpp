#include "FatalError.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <mutex>

namespace zarn::qt {

namespace {
std::mutex capturedMutex;
std::exception_ptr captured;
}

void FatalError::Capture(std::exception_ptr exception)
{
    {
        const std::lock_guard lock(capturedMutex);
        if (captured)
            return;
        captured = std::move(exception);
    }
    if (auto* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
}

bool FatalError::HasCaptured()
{
    const std::lock_guard lock(capturedMutex);
    return static_cast<bool>(captured);
}

void FatalError::RethrowIfCaptured()
{
    std::exception_ptr exception;
    {
        const std::lock_guard lock(capturedMutex);
        std::swap(exception, captured);
    }
    if (exception)
        std::rethrow_exception(exception);
}

} // namespace zarn::qt

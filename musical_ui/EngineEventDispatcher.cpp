#include "EngineEventDispatcher.h"

#include "FatalError.h"

#include <QMetaObject>

#include <utility>

namespace zarn::qt {

EngineEventDispatcher::EngineEventDispatcher(Handler handler)
    : handler_(std::move(handler)), observer_(std::make_unique<notify::EventObserver>())
{
}

EngineEventDispatcher::~EngineEventDispatcher()
{
    // The observer first: once it is gone no engine thread posts here any more.
    StopObserving();
}

notify::EventObserver* EngineEventDispatcher::Observer() const
{
    return observer_.get();
}

void EngineEventDispatcher::Post(int id, int value, const char* text)
{
    // The engine's text lives only as long as its call: copy it here.
    Notice notice{id, value, text ? QString::fromUtf8(text) : QString()};
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(std::move(notice));
        wake = !std::exchange(wakePending_, true);
    }
    if (wake)
        QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
}

void EngineEventDispatcher::StopObserving()
{
    observer_.reset();
}

void EngineEventDispatcher::Drain()
{
    std::deque<Notice> batch;
    {
        const std::lock_guard lock(mutex_);
        batch.swap(queue_);
        wakePending_ = false;
    }
    // What a handler posts meanwhile waits for the next wake, behind this batch.
    for (Notice& notice : batch)
        FatalError::Guard([&] { handler_(notice.id, notice.value, notice.text.trimmed()); });
}

} // namespace zarn::qt

#include "OscCueInbox.h"

#include "FatalError.h"
#include "ZarnPlayerOscCallback.h"

#include <deque>
#include <mutex>
#include <utility>

namespace zarn::qt {

// Shared with the connections, which may outlive the inbox.
struct OscCueInbox::Shared
{
    struct Entry
    {
        CL::Osc osc;
        std::uint32_t delay;
    };

    void Post(const CL::Osc& osc, std::uint32_t delay)
    {
        const std::lock_guard lock(mutex);
        if (!inbox)
            return;
        queue.push_back({osc, delay});
        // Asked for under the lock, so the inbox cannot be going meanwhile.
        if (!std::exchange(wakePending, true))
            QMetaObject::invokeMethod(inbox, "Drain", Qt::QueuedConnection);
    }

    std::mutex mutex;
    OscCueInbox* inbox = nullptr;
    std::deque<Entry> queue;
    bool wakePending = false;
};

OscCueInbox::OscCueInbox(Handler handler)
    : shared_(std::make_shared<Shared>()), handler_(std::move(handler))
{
    shared_->inbox = this;
}

OscCueInbox::~OscCueInbox()
{
    const std::lock_guard lock(shared_->mutex);
    shared_->inbox = nullptr;
    shared_->queue.clear();
}

void OscCueInbox::Post(const CL::Osc& osc, std::uint32_t delay)
{
    shared_->Post(osc, delay);
}

OscCueInbox::Gate OscCueInbox::Connect(ZarnPlayerOscCallback& callback)
{
    auto open = std::make_shared<std::atomic<bool>>(true);
    connect(
        &callback, &ZarnPlayerOscCallback::enqueueOscCommand, &callback,
        [shared = shared_, open](const CL::Osc& osc, uint32_t delay) {
            if (open->load())
                shared->Post(osc, delay);
        },
        Qt::DirectConnection);
    return open;
}

void OscCueInbox::Drain()
{
    std::deque<Shared::Entry> batch;
    {
        const std::lock_guard lock(shared_->mutex);
        batch.swap(shared_->queue);
        shared_->wakePending = false;
    }
    for (const Shared::Entry& entry : batch)
        FatalError::Guard([&] { handler_(entry.osc, entry.delay); });
}

} // namespace zarn::qt

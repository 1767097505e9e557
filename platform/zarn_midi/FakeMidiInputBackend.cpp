#include "FakeMidiInputBackend.h"

namespace zarn::midi {

FakeMidiInputBackend::FakeMidiInputBackend(std::vector<std::string> names)
    : names_(std::move(names))
{
}

std::vector<std::string> FakeMidiInputBackend::SourceNames()
{
    std::lock_guard lock(mutex_);
    return names_;
}

bool FakeMidiInputBackend::Open(unsigned index, MessageHandler handler)
{
    std::lock_guard lock(mutex_);
    if (index >= names_.size())
        return false;
    handler_ = std::move(handler);
    open_ = static_cast<int>(index);
    return true;
}

void FakeMidiInputBackend::Close()
{
    std::lock_guard lock(mutex_);
    handler_ = nullptr;
    open_ = -1;
}

bool FakeMidiInputBackend::Send(std::vector<uint8_t> message)
{
    MessageHandler handler;
    {
        std::lock_guard lock(mutex_);
        handler = handler_;
    }
    if (!handler)
        return false;
    handler(message);
    return true;
}

int FakeMidiInputBackend::OpenIndex() const
{
    std::lock_guard lock(mutex_);
    return open_;
}

} // namespace zarn::midi

#include "ZarnEvent.h"

#include "EditNames.h"
#include "ZarnEventCode.h"

#include <utility>

namespace cmn {

ZarnEvent::ZarnEvent(char code, std::uint32_t start, std::uint32_t end, std::string eventId)
    : code_(code)
    , start_(start)
    , end_(end)
    , eventId_(std::move(eventId))
{
}

bool ZarnEvent::IsPairedEvent() const
{
    return codes::IsPairedEventCode(code());
}

std::uint32_t ZarnEvent::GetLengthTicks() const
{
    if (!IsPairedEvent() || end_ <= start_)
        return 0;
    return end_ - start_;
}

bool ZarnEvent::operator==(const ZarnEvent& other) const
{
    return code() == other.code() && start_ == other.start_ && end_ == other.end_
        && eventId_ == other.eventId_ && text_ == other.text_ && int_ == other.int_
        && real_ == other.real_ && osc_ == other.osc_ && sfx_ == other.sfx_;
}

std::string ZarnEvent::Describe() const
{
    std::string name;
    const auto it = codes::editNameByZarnEventCode.find(static_cast<unsigned char>(code()));
    if (it != codes::editNameByZarnEventCode.end())
        name = it->second == "Fermata" ? "Skip" : it->second;
    else
        name = std::string("Event '") + code() + "'";
    std::string text = name;
    if (!eventId_.empty())
        text += " " + eventId_;
    text += " (" + std::to_string(start_);
    if (IsPairedEvent())
        text += "-" + std::to_string(end_);
    text += ")";
    return text;
}

} // namespace cmn

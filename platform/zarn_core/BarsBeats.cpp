#include "BarsBeats.h"

#include <utility>

namespace TL {

BarsBeats::BarsBeats(std::uint32_t tick, std::int32_t beat, std::string barNumber)
    : tick_(tick)
    , beat_(beat)
    , barNumber_(std::move(barNumber))
{
}

} // namespace TL

#include "Timeline.h"

#include <utility>

namespace TL {

Timeline::Timeline(TimelineSequence<KeySignature> keys, TimelineSequence<TempoChange> tempos,
                   TimelineSequence<MeterChange> meters)
    : keys_(std::move(keys))
    , tempos_(std::move(tempos))
    , meters_(std::move(meters))
{
}

} // namespace TL

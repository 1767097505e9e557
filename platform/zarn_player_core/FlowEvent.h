#pragma once

#include <cstdint>
#include <string>

namespace zarn::player {

// The kind letters of change-log events the engine acts on.
namespace flow_code {
constexpr char kCaesura = 'N';
constexpr char kClick = 'L';
constexpr char kCut = 'B';
constexpr char kMarker = 'E';
constexpr char kSkip = 'M';
constexpr char kVamp = '@';
constexpr char kOsc = 'S';
constexpr char kTransposition = 'C';
constexpr char kTempoScale = 'D';
constexpr char kRepeat = 'A';
} // namespace flow_code

// One change-log event as playback sees it: a plain copy, so playback never holds
// pointers into the editor's model.
struct FlowEvent
{
    char code = 0;
    std::string id;
    uint32_t start = 0;
    uint32_t end = 0; // 0 for point events
    int intValue = 0;
    double floatValue = 0.0;
    std::string text;
    std::string oscMessage;
    std::string oscNetworkId;

    bool IsRangeKind() const
    {
        using namespace flow_code;
        return code == kClick || code == kCut || code == kSkip || code == kVamp || code == kTransposition
            || code == kTempoScale || code == kRepeat;
    }
    bool IsLoop() const { return code == flow_code::kVamp || code == flow_code::kRepeat; }
};

} // namespace zarn::player

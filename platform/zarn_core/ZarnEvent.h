#pragma once

#include "OscProperties.h"
#include "SfxProperties.h"

#include <cstdint>
#include <string>

namespace cmn {

// One change-log event. The base holds every field any kind uses, so a copy through the
// base (a queued signal, a panel copy) loses nothing but the dynamic type; the CL::
// subclasses only add constructors. code() is the kind letter (see ZarnEventCode.h).
//
// Ranges are [start, end) in ticks (480 per quarter note); point kinds (marker, caesura,
// OSC cue, sound effects) keep end 0. abs_time() is the start.
class ZarnEvent
{
public:
    ZarnEvent() = default;
    ZarnEvent(char code, std::uint32_t start, std::uint32_t end, std::string eventId);
    ZarnEvent(const ZarnEvent&) = default;
    ZarnEvent(ZarnEvent&&) noexcept = default;
    ZarnEvent& operator=(const ZarnEvent&) = default;
    ZarnEvent& operator=(ZarnEvent&&) noexcept = default;
    virtual ~ZarnEvent() = default;

    virtual char code() const { return code_; }

    std::uint32_t abs_time() const { return start_; }
    std::uint32_t start() const { return start_; }
    std::uint32_t end() const { return end_; }
    void start(std::uint32_t tick) { start_ = tick; }
    void end(std::uint32_t tick) { end_ = tick; }

    // Kind-specific values: a marker's text; a count, half steps, click value or a
    // caesura's third value; a tempo-scale factor (kept as double, read as float).
    const std::string& value() const { return text_; }
    int int_value() const { return int_; }
    float float_value() const { return static_cast<float>(real_); }
    double double_value() const { return real_; }
    const CL::OscProperties& osc_properties() const { return osc_; }
    const CL::SfxProperties& sfx_properties() const { return sfx_; }

    void value(std::string text) { text_ = std::move(text); }
    void int_value(int value) { int_ = value; }
    void float_value(double value) { real_ = value; }
    void osc_properties(CL::OscProperties osc) { osc_ = std::move(osc); }
    void sfx_properties(CL::SfxProperties sfx) { sfx_ = std::move(sfx); }

    // Range kinds; only these have an "out" position.
    bool IsPairedEvent() const;
    // end - start for a range kind (0 when inverted), 0 for a point kind.
    std::uint32_t GetLengthTicks() const;

    const std::string& EventId() const { return eventId_; }
    void EventId(std::string id) { eventId_ = std::move(id); }

    // Members of the file entry this library does not know, kept as one JSON object
    // text so a save writes them back. Not part of the event's content (not compared).
    const std::string& UnknownMembersJson() const { return unknownMembers_; }
    void UnknownMembersJson(std::string json) { unknownMembers_ = std::move(json); }

    // Content equality: kind, ticks, id and every value. A copy compares equal to the
    // engine's own object.
    bool operator==(const ZarnEvent& other) const;

    // A short description for messages: "Vamp V3.1 (1920-3840)".
    std::string Describe() const;

protected:
    void SetCode(char code) { code_ = code; }

private:
    char code_ = 0;
    std::uint32_t start_ = 0;
    std::uint32_t end_ = 0;
    std::string eventId_;
    std::string text_;
    int int_ = 0;
    double real_ = 0.0;
    CL::OscProperties osc_;
    CL::SfxProperties sfx_;
    std::string unknownMembers_;
};

} // namespace cmn

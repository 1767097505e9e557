#pragma once

#include <string>

// A MIDI input source as the engine lists it.
class MidiEndPoint
{
public:
    MidiEndPoint() = default;
    explicit MidiEndPoint(std::string sourceName)
        : sourceName_(std::move(sourceName))
    {
    }

    std::string GetSourceName() const { return sourceName_; }
    bool operator==(const MidiEndPoint&) const = default;

private:
    std::string sourceName_;
};

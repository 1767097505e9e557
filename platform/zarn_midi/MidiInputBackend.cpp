#include "MidiInputBackend.h"

zarn::midi::MidiInputBackend::~MidiInputBackend() = default;

std::string zarn::midi::MidiInputBackend::Problem() const
{
    return {};
}

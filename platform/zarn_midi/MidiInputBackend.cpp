#include "MidiInputBackend.h"

zarn::midi::MidiInputBackend::~MidiInputBackend() = default;

#pragma once

#include "EngineEvent.h"

#include <cstddef>
#include <string>

namespace notify {

// The process-wide route from engines to observers. Any thread may post; each observer
// registered for the kind gets (its id, value, text) on the posting thread. No lock of
// the hub is held while an observer's callback runs.
class EngineEventHub
{
public:
    static void Post(EngineEvent kind, int value = 0, const std::string& text = std::string());
    static void Post(EngineEvent kind, int value, const char* text);

    // Observers alive now (for tests and diagnostics).
    static std::size_t ObserverCount();
};

} // namespace notify

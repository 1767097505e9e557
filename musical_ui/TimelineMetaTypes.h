#pragma once

namespace zarn::qt {

// Registers the value types that the timeline and the lists pass through signals, under
// both the full names and the short names the signal signatures use, and the list models'
// pointer types handed to the views. Idempotent.
void RegisterTimelineMetaTypes();

} // namespace zarn::qt

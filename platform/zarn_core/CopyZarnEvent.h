#pragma once

#include "ZarnEvent.h"

#include <memory>

namespace CL {

// A copy with the dynamic type of its kind (a CL::Vamp for '@', ...); an unknown kind is
// copied as a plain cmn::ZarnEvent.
std::unique_ptr<cmn::ZarnEvent> CopyZarnEvent(const cmn::ZarnEvent& event);

} // namespace CL

#include "CopyZarnEvent.h"

#include "AmbientSfx.h"
#include "Caesura.h"
#include "Click.h"
#include "Cut.h"
#include "Fermata.h"
#include "Marker.h"
#include "Osc.h"
#include "Repeat.h"
#include "Sfx.h"
#include "TempoScale.h"
#include "Transpose.h"
#include "Vamp.h"

namespace CL {

std::unique_ptr<cmn::ZarnEvent> CopyZarnEvent(const cmn::ZarnEvent& event)
{
    switch (event.code()) {
    case codes::Vamp: return std::make_unique<Vamp>(event);
    case codes::Repeat: return std::make_unique<Repeat>(event);
    case codes::Cut: return std::make_unique<Cut>(event);
    case codes::Transpose: return std::make_unique<Transpose>(event);
    case codes::TempoScale: return std::make_unique<TempoScale>(event);
    case codes::Marker: return std::make_unique<Marker>(event);
    case codes::Click: return std::make_unique<Click>(event);
    case codes::Fermata: return std::make_unique<Fermata>(event);
    case codes::Caesura: return std::make_unique<Caesura>(event);
    case codes::Sfx: return std::make_unique<Sfx>(event);
    case codes::AmbientSfx: return std::make_unique<AmbientSfx>(event);
    case codes::Osc: return std::make_unique<Osc>(event);
    default: return std::make_unique<cmn::ZarnEvent>(event);
    }
}

} // namespace CL

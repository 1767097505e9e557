#include "ZarnEventCode.h"

namespace codes {

bool IsKnownEventCode(char code) noexcept
{
    switch (code) {
    case Vamp: case Repeat: case Cut: case Transpose: case TempoScale: case Marker:
    case Click: case Fermata: case Caesura: case Sfx: case AmbientSfx: case Osc:
        return true;
    default:
        return false;
    }
}

bool IsPairedEventCode(char code) noexcept
{
    switch (code) {
    case Vamp: case Repeat: case Cut: case Transpose: case TempoScale: case Click: case Fermata:
        return true;
    default:
        return false;
    }
}

} // namespace codes

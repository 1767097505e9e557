#include "PlayerOscCallback.h"

zarn::PlayerOscCallback::~PlayerOscCallback() = default;

void zarn::PlayerOscCallback::SendCueNow(const CL::Osc& cue, const CL::NetworkPath*)
{
    ExecuteEvent(cue, 0);
}

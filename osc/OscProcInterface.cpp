#include "OscProcInterface.h"

#include <iostream>

namespace zarn::osc {

OscProcInterface::~OscProcInterface() = default;

void OscProcInterface::OnStop(const std::string&, const std::string&) {}
void OscProcInterface::OnPlay(const std::string&, const std::string&) {}
void OscProcInterface::OnFadeOut(const std::string&, const std::string&, float) {}
void OscProcInterface::OnFadeTo(const std::string&, const std::string&, float, float, bool) {}
void OscProcInterface::OnVolume(float) {}
void OscProcInterface::OnAdvance(const std::string&, const std::string&) {}
void OscProcInterface::OnPause(const std::string&, const std::string&) {}
void OscProcInterface::OnEventAdvance(const std::string&, const std::string&, const std::string&) {}

void OscProcInterface::OnError(const std::string& detail, const std::string& context)
{
    std::cerr << context << ": " << detail << std::endl << "\n";
}

void OscProcInterface::OnSfxPlay(const std::string&, const std::string&) {}
void OscProcInterface::OnSfxStop(const std::string&, const std::string&) {}
void OscProcInterface::OnSfxStopAll(const std::string&) {}
void OscProcInterface::OnMessage(const OscMessage&) {}
void OscProcInterface::OnSfxFadeTo(const std::string&, const std::string&, double, float) {}

} // namespace zarn::osc

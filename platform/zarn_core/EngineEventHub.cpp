#include "EngineEventHub.h"

#include "EngineEventHubCore.h"

namespace notify {

void EngineEventHub::Post(EngineEvent kind, int value, const std::string& text)
{
    EngineEventHubCore::Instance()->Post(kind, value, text.c_str());
}

void EngineEventHub::Post(EngineEvent kind, int value, const char* text)
{
    EngineEventHubCore::Instance()->Post(kind, value, text);
}

std::size_t EngineEventHub::ObserverCount()
{
    return EngineEventHubCore::Instance()->Count();
}

} // namespace notify

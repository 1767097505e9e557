#include "Corvane2AudioInterface.h"

namespace zarn {

Corvane2AudioInterface::Corvane2AudioInterface(const std::string& showFolder, const std::string& dataFolder,
                                               std::shared_ptr<zarn::PlayerOscCallback> oscCallback)
    : AudioInterface(showFolder, dataFolder, std::move(oscCallback), Options{})
{
}

Corvane2AudioInterface::Corvane2AudioInterface(const std::string& showFolder, const std::string& dataFolder,
                                               std::shared_ptr<zarn::PlayerOscCallback> oscCallback, Options options)
    : AudioInterface(showFolder, dataFolder, std::move(oscCallback), std::move(options))
{
}

} // namespace zarn

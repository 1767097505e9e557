#pragma once

#include "AudioInterface.h"

namespace zarn {

// This edition's engine.
class Corvane2AudioInterface : public AudioInterface
{
public:
    Corvane2AudioInterface(const std::string& showFolder, const std::string& dataFolder,
                           std::shared_ptr<zarn::PlayerOscCallback> oscCallback);
    Corvane2AudioInterface(const std::string& showFolder, const std::string& dataFolder,
                           std::shared_ptr<zarn::PlayerOscCallback> oscCallback, Options options);
};

} // namespace zarn

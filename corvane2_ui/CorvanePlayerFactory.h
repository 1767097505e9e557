#pragma once

#include "PlayerFactory.h"

namespace zarn::qt {

// This edition's profile: its name, folder, version, logos and feature switches.
class CorvanePlayerFactory : public zarn::PlayerFactory
{
public:
    CorvanePlayerFactory();

    std::unique_ptr<Interface> CreateAudioInterface(
        const QString& showFolder, std::shared_ptr<zarn::PlayerOscCallback> oscCallback) override;
};

} // namespace zarn::qt

#pragma once

#include "PlayerFactory.h"

#include <QString>

#include <functional>
#include <memory>

class Interface;

namespace zarn {
class ZarnPlayerOscCallback;
}

namespace zarn::player {
class ManualClock;
}

// An edition profile for the main window's tests: the shipped edition's switches, a folder of
// its own, and an engine made by whatever the test plugs in. By default that is the real
// engine on a manual clock, without sound and without MIDI input; a test that must see the
// engine's calls plugs in a fake.
class TestPlayerProfile : public zarn::PlayerFactory
{
public:
    using EngineMaker = std::function<std::unique_ptr<Interface>(const QString& showFolder)>;
    using MixerMaker = std::function<std::unique_ptr<QObject>(QObject* mixerItem)>;
    using OscCallbackMaker = std::function<std::shared_ptr<zarn::ZarnPlayerOscCallback>(int defaultPort)>;

    TestPlayerProfile();
    ~TestPlayerProfile() override;

    std::unique_ptr<Interface> CreateAudioInterface(
        const QString& showFolder, std::shared_ptr<zarn::PlayerOscCallback> oscCallback) override;
    std::unique_ptr<QObject> CreateMixerController(QObject* mixerItem, QQmlEngine* engine,
                                                   std::shared_ptr<Interface> player,
                                                   std::shared_ptr<zarn::AppSettings> settings) override;
    std::shared_ptr<zarn::ZarnPlayerOscCallback> CreateOscCallback(int defaultPort) override;

    // The real engine of the show folder, on `clock`, with the outgoing-OSC callback the
    // controller made for it.
    EngineMaker RealEngine();

    std::shared_ptr<zarn::player::ManualClock> clock;
    EngineMaker makeEngine;
    // Unset: the base profile's answer (none).
    MixerMaker makeMixer;
    // Unset: the base profile's callback, which sends.
    OscCallbackMaker makeOscCallback;
    // Whether the last engine was made with an outgoing-OSC callback.
    bool lastOscCallbackGiven = false;

private:
    std::shared_ptr<zarn::PlayerOscCallback> engineOscCallback_;
};

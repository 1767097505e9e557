#include "TestPlayerProfile.h"

#include "AudioInterface.h"
#include "FakeMidiInputBackend.h"
#include "ManualClock.h"
#include "ZarnPlayerOscCallback.h"

#include <utility>

TestPlayerProfile::TestPlayerProfile()
    : clock(std::make_shared<zarn::player::ManualClock>())
{
    displayName = QStringLiteral("Corvane");
    folderName = QStringLiteral("corvane-test");
    productNumber = 1;
    versionMajor = 2;
    versionMinor = 0;
    versionPatch = 0;
    aboutLogoUrl = QStringLiteral("qrc:/images/zarn_flat_logo.png");
    cornerLogoUrl = QStringLiteral("qrc:/images/zarn_flat_logo.png");
    showAlbumArt = true;
    showAudioManager = true;
    showFade = true;
    showScore = true;
    showMixer = false;
    showAudioFadeRegion = true;
    enableOsc = true;
    showRehearsalNotice = false;
    // Off unless a test is about it: it would hold back every other dialog.
    showPerformanceNotice = false;
    makeEngine = RealEngine();
}

TestPlayerProfile::~TestPlayerProfile() = default;

TestPlayerProfile::EngineMaker TestPlayerProfile::RealEngine()
{
    return [this](const QString& showFolder) -> std::unique_ptr<Interface> {
        AudioInterface::Options options;
        options.clock = clock;
        options.sound = false;
        options.midiInput = std::make_unique<zarn::midi::FakeMidiInputBackend>(std::vector<std::string>{});
        auto engine = std::make_unique<AudioInterface>(showFolder.toStdString(), GetDataFolder().toStdString(),
                                                       engineOscCallback_, std::move(options));
        engine->ThrowIfThreadExceptions();
        return engine;
    };
}

std::unique_ptr<Interface> TestPlayerProfile::CreateAudioInterface(
    const QString& showFolder, std::shared_ptr<zarn::PlayerOscCallback> oscCallback)
{
    lastOscCallbackGiven = static_cast<bool>(oscCallback);
    engineOscCallback_ = std::move(oscCallback);
    // Only for the engine being made: the engine holds it from then on, the profile never.
    struct Release
    {
        std::shared_ptr<zarn::PlayerOscCallback>& held;
        ~Release() { held.reset(); }
    } release{engineOscCallback_};
    return makeEngine(showFolder);
}

std::shared_ptr<zarn::ZarnPlayerOscCallback> TestPlayerProfile::CreateOscCallback(int defaultPort)
{
    if (!makeOscCallback)
        return zarn::PlayerFactory::CreateOscCallback(defaultPort);
    return makeOscCallback(defaultPort);
}

std::unique_ptr<QObject> TestPlayerProfile::CreateMixerController(QObject* mixerItem, QQmlEngine* engine,
                                                                  std::shared_ptr<Interface> player,
                                                                  std::shared_ptr<zarn::AppSettings> settings)
{
    if (!makeMixer)
        return zarn::PlayerFactory::CreateMixerController(mixerItem, engine, std::move(player), std::move(settings));
    return makeMixer(mixerItem);
}

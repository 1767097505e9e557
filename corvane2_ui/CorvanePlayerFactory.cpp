#include "CorvanePlayerFactory.h"

#include "Corvane2AudioInterface.h"

#ifndef CORVANE_VERSION_MAJOR
#define CORVANE_VERSION_MAJOR 0
#define CORVANE_VERSION_MINOR 0
#define CORVANE_VERSION_PATCH 0
#endif
#ifndef CORVANE_VERSION_IDENTIFIER
#define CORVANE_VERSION_IDENTIFIER ""
#endif

namespace zarn::qt {

CorvanePlayerFactory::CorvanePlayerFactory()
{
    displayName = QStringLiteral("Corvane");
    folderName = QStringLiteral("corvane");
    productNumber = 1;
    versionMajor = CORVANE_VERSION_MAJOR;
    versionMinor = CORVANE_VERSION_MINOR;
    versionPatch = CORVANE_VERSION_PATCH;
    versionIdentifier = QStringLiteral(CORVANE_VERSION_IDENTIFIER);
    aboutLogoUrl = QStringLiteral("qrc:/images/corvane_logo_light_long");
    cornerLogoUrl = QStringLiteral("qrc:/images/corvane");

    showAlbumArt = true;
    showAudioManager = true;
    showFade = true;
    showScore = true;
    showMixer = false;
    showAudioFadeRegion = true;
    enableOsc = true;
    showRehearsalNotice = false;
    showPerformanceNotice = true;
    hideClickToolNotice = false;
}

std::unique_ptr<Interface> CorvanePlayerFactory::CreateAudioInterface(
    const QString& showFolder, std::shared_ptr<zarn::PlayerOscCallback> oscCallback)
{
    const std::string dataFolder = GetDataFolder().toStdString();
    auto engine = std::make_unique<zarn::Corvane2AudioInterface>(showFolder.toStdString(), dataFolder,
                                                                 std::move(oscCallback));
    // A failure on one of the engine's own threads surfaces here; the engine is then
    // destroyed (its threads joined) as the exception leaves.
    engine->ThrowIfThreadExceptions();
    return engine;
}

} // namespace zarn::qt

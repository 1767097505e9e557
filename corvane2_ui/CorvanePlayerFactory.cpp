#include "CorvanePlayerFactory.h"

#include "Interface.h"

#include <stdexcept>

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
    const QString&, std::shared_ptr<zarn::PlayerOscCallback>)
{
    throw std::runtime_error("The playback engine is not part of this build yet.");
}

} // namespace zarn::qt

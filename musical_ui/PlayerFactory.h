#pragma once

#include <QString>

#include <memory>
#include <string>

class Interface;
class QObject;
class QQmlEngine;

namespace zarn {

class AppSettings;
class PlayerOscCallback;
class ZarnPlayerOscCallback;

// The edition profile: what this edition is called, where it keeps its files, which
// version it reports, which shared features it turns on, and how it makes the engine.
// Fixed at build time and immutable once the start-up has built it.
class PlayerFactory
{
public:
    PlayerFactory() = default;
    PlayerFactory(const PlayerFactory&) = delete;
    PlayerFactory& operator=(const PlayerFactory&) = delete;

    virtual std::unique_ptr<Interface> CreateAudioInterface(
        const QString& showFolder, std::shared_ptr<PlayerOscCallback> oscCallback) = 0;
    virtual ~PlayerFactory();
    // Editions without a mixer keep the base version, which lets go of both holders.
    virtual std::unique_ptr<QObject> CreateMixerController(
        QObject* mixerItem, QQmlEngine* engine, std::shared_ptr<Interface> player,
        std::shared_ptr<AppSettings> settings);
    // The outgoing-OSC callback handed to each show's engine; `defaultPort` is where a cue
    // goes whose destination cannot be resolved.
    virtual std::shared_ptr<ZarnPlayerOscCallback> CreateOscCallback(int defaultPort);

    QString GetVersionString() const;
    QString GetVersionIdentifier() const;

    // The per-user data folder (also the settings folder), created when missing.
    // Never throws: a folder that cannot be made is still named.
    QString GetDataFolder() const;
    // The same folder reached from the generic data location; throws
    // std::filesystem::filesystem_error when it cannot be created.
    std::string GetErrorLogFolder() const;

    QString displayName;
    QString folderName;
    int productNumber = 0;
    int versionMajor = 0;
    int versionMinor = 0;
    int versionPatch = 0;
    QString versionIdentifier;
    QString aboutLogoUrl;
    QString cornerLogoUrl;

    bool showAlbumArt = false;
    bool showAudioManager = false;
    bool showFade = false;
    bool showScore = false;
    bool showMixer = false;
    bool showAudioFadeRegion = true;
    bool enableOsc = true;
    bool showRehearsalNotice = false;
    bool showPerformanceNotice = false;
    bool hideClickToolNotice = false;
};

} // namespace zarn

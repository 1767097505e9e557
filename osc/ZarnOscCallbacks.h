#pragma once

#include "OscProcInterface.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <string>

class Interface;

namespace zarn {

// Turns remote OSC commands into actions on the loaded show's engine. Transport commands
// act at once; fades go to the main controller as signals (times in milliseconds), and
// after anything that resumes playback the held-back OSC cues are asked for.
// Lives on the GUI thread, owned by the OSC server.
class ZarnOscCallbacks : public QObject, public osc::OscProcInterface
{
    Q_OBJECT
public:
    ZarnOscCallbacks(std::shared_ptr<Interface> engine, const std::string& showName, QObject* parent = nullptr);
    ~ZarnOscCallbacks() override;

    // The show name as OSC addresses carry it: lower case, with '_' for every byte of a
    // non-ASCII character and for the characters OSC addresses reserve.
    static std::string SanitizeOscName(const std::string& name);
    const std::string& oscShowName() const { return oscShowName_; }

    void OnStop(const std::string& show, const std::string& song) override;
    void OnPlay(const std::string& show, const std::string& song) override;
    void OnFadeOut(const std::string& show, const std::string& song, float fadeTimeSeconds) override;
    void OnFadeTo(const std::string& show, const std::string& song, float fadeTimeSeconds, float targetGain,
                  bool gotoNextSong) override;
    void OnVolume(float gain) override;
    void OnAdvance(const std::string& show, const std::string& song) override;
    void OnPause(const std::string& show, const std::string& song) override;
    void OnEventAdvance(const std::string& show, const std::string& song, const std::string& eventId) override;
    void OnMessage(const osc::OscMessage& message) override;

signals:
    void FadeRequested(float fadeTime);
    void FadeToRequested(float fadeTime, float targetVolumePercent, bool gotoNextSong);
    void RequestPlayQueudOscEvents();
    void Notification();

private:
    bool showMatches(const std::string& show) const;
    bool songMatches(const std::string& song) const;
    bool guardsPass(const std::string& show, const std::string& song) const;
    void jumpToTick(std::uint32_t tick);

    std::shared_ptr<Interface> engine_;
    std::string oscShowName_;
};

} // namespace zarn

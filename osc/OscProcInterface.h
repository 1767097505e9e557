#pragma once

#include "OscMessage.h"

#include <string>

namespace zarn::osc {

// What the OSC server does with a received command. Every operation has a harmless
// default, so a handler overrides only what it supports. Gains are linear factors.
class OscProcInterface
{
public:
    OscProcInterface() = default;
    OscProcInterface(const OscProcInterface&) = delete;
    OscProcInterface& operator=(const OscProcInterface&) = delete;

    virtual void OnStop(const std::string& show, const std::string& song);
    virtual void OnPlay(const std::string& show, const std::string& song);
    virtual void OnFadeOut(const std::string& show, const std::string& song, float fadeTimeSeconds);
    virtual void OnFadeTo(const std::string& show, const std::string& song, float fadeTimeSeconds,
                          float targetGain, bool gotoNextSong);
    virtual void OnVolume(float gain);
    virtual void OnAdvance(const std::string& show, const std::string& song);
    virtual void OnPause(const std::string& show, const std::string& song);
    virtual void OnEventAdvance(const std::string& show, const std::string& song, const std::string& eventId);
    // Writes "<context>: <detail>" and an empty line to standard error.
    virtual void OnError(const std::string& detail, const std::string& context);
    virtual void OnSfxPlay(const std::string& show, const std::string& sfxId);
    virtual void OnSfxStop(const std::string& show, const std::string& sfxId);
    virtual void OnSfxStopAll(const std::string& show);
    virtual void OnMessage(const OscMessage& message);
    virtual void OnSfxFadeTo(const std::string& show, const std::string& sfxId, double targetGain,
                             float fadeTimeMilliseconds);
    virtual ~OscProcInterface();
};

} // namespace zarn::osc

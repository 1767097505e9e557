#include "ZarnOscCallbacks.h"

#include "Interface.h"
#include "zarn_core/Editor.h"

#include <algorithm>
#include <stdexcept>

namespace zarn {

namespace {

constexpr float kMaxFadeSeconds = 10.0f;
// SetVolume's type for a linear gain factor.
constexpr int kLinearGainVolumeType = 1;

float fadeMilliseconds(float seconds)
{
    return std::min(seconds, kMaxFadeSeconds) * 1000.0f;
}

} // namespace

ZarnOscCallbacks::ZarnOscCallbacks(std::shared_ptr<Interface> engine, const std::string& showName, QObject* parent)
    : QObject(parent), engine_(std::move(engine)), oscShowName_(SanitizeOscName(showName))
{
}

ZarnOscCallbacks::~ZarnOscCallbacks() = default;

std::string ZarnOscCallbacks::SanitizeOscName(const std::string& name)
{
    std::string result = name;
    for (char& c : result) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80)
            c = '_';
        else if (byte >= 'A' && byte <= 'Z')
            c = static_cast<char>(byte - 'A' + 'a');
        else if (std::string_view("#,* /?[]{}").find(c) != std::string_view::npos)
            c = '_';
    }
    return result;
}

bool ZarnOscCallbacks::showMatches(const std::string& show) const
{
    return show.empty() || show == oscShowName_;
}

bool ZarnOscCallbacks::songMatches(const std::string& song) const
{
    return song.empty() || song == engine_->GetCurrentSongNumber();
}

bool ZarnOscCallbacks::guardsPass(const std::string& show, const std::string& song) const
{
    return engine_ && showMatches(show) && songMatches(song);
}

void ZarnOscCallbacks::OnStop(const std::string& show, const std::string& song)
{
    if (!guardsPass(show, song))
        return;
    engine_->Stop();
}

void ZarnOscCallbacks::OnPlay(const std::string& show, const std::string& song)
{
    if (!engine_ || !showMatches(show))
        return;
    if (songMatches(song)) {
        engine_->Stop();
        engine_->Play();
        emit RequestPlayQueudOscEvents();
        return;
    }
    try {
        if (!engine_->SongExists(song))
            throw std::runtime_error("Song " + song + " does not exist.");
        engine_->LoadSong(engine_->GetActualSongNumber(song));
        engine_->Play();
        emit RequestPlayQueudOscEvents();
    } catch (const std::exception& e) {
        OnError(e.what(), "OSC was unable to load and play the specified song number");
    }
}

void ZarnOscCallbacks::OnFadeOut(const std::string& show, const std::string& song, float fadeTimeSeconds)
{
    if (!guardsPass(show, song))
        return;
    emit FadeRequested(fadeMilliseconds(fadeTimeSeconds));
}

void ZarnOscCallbacks::OnFadeTo(const std::string& show, const std::string& song, float fadeTimeSeconds,
                                float targetGain, bool gotoNextSong)
{
    if (!guardsPass(show, song))
        return;
    emit FadeToRequested(fadeMilliseconds(fadeTimeSeconds), targetGain, gotoNextSong);
}

void ZarnOscCallbacks::OnVolume(float gain)
{
    if (!engine_)
        return;
    engine_->SetVolume(static_cast<double>(gain), kLinearGainVolumeType);
}

void ZarnOscCallbacks::OnAdvance(const std::string& show, const std::string& song)
{
    if (!guardsPass(show, song))
        return;
    engine_->Continue();
    emit RequestPlayQueudOscEvents();
}

void ZarnOscCallbacks::OnPause(const std::string& show, const std::string& song)
{
    if (!guardsPass(show, song))
        return;
    if (engine_->GetIsPaused()) {
        engine_->Continue();
        emit RequestPlayQueudOscEvents();
    } else {
        engine_->Pause(false);
    }
}

void ZarnOscCallbacks::OnEventAdvance(const std::string& show, const std::string& song, const std::string& eventId)
{
    if (!guardsPass(show, song))
        return;
    auto* editor = engine_->GetChangeLogEditor();
    if (!editor)
        return;
    const auto events = editor->GetEventsByEventId();
    const auto found = events.find(eventId);
    if (found == events.end() || found->second == nullptr)
        return;
    const std::uint32_t playhead = engine_->GetTickIndex();
    const std::uint32_t start = found->second->start();
    const std::uint32_t end = found->second->end();

    if (end != 0) {
        if (start <= playhead && playhead <= end)
            engine_->Continue();
        else
            jumpToTick(end);
    } else if (playhead == start) {
        engine_->Continue();
        emit RequestPlayQueudOscEvents();
    } else {
        jumpToTick(start);
    }
}

void ZarnOscCallbacks::jumpToTick(std::uint32_t tick)
{
    const std::string song = engine_->GetCurrentSongNumber();
    if (tick < engine_->GetSongAudioEndTick(song)) {
        engine_->Pause(false);
        engine_->Seek(tick);
        engine_->Continue();
        emit RequestPlayQueudOscEvents();
        return;
    }
    const auto attacca = engine_->GetAttacca(song);
    engine_->NextSong();
    if (attacca == 1) {
        engine_->Continue();
        emit RequestPlayQueudOscEvents();
    }
}

void ZarnOscCallbacks::OnMessage(const osc::OscMessage&)
{
    emit Notification();
}

} // namespace zarn

#include "ShowFakeEngine.h"

#include "zarn_core/CopyZarnEvent.h"

#include <algorithm>
#include <stdexcept>

ShowFakeEngine::ShowFakeEngine()
    : editor(std::make_unique<CL::Editor>())
{
}

ShowFakeEngine::~ShowFakeEngine() = default;

int ShowFakeEngine::count(const std::string& call) const
{
    return static_cast<int>(std::count(calls_.begin(), calls_.end(), call));
}

void ShowFakeEngine::Shutdown()
{
    record("Shutdown()");
    if (throwOnShutdown)
        throw std::runtime_error("audio device stuck");
}

void ShowFakeEngine::Pause(bool fadeCompleted)
{
    record(fadeCompleted ? "Pause(true)" : "Pause(false)");
    if (throwOnPause)
        throw std::runtime_error("the engine could not pause");
}

Interface::SongNameMap ShowFakeEngine::GetSongNamesBySongNumber()
{
    record("GetSongNamesBySongNumber()");
    return songs;
}

std::string ShowFakeEngine::GetCurrentSongNumber()
{
    record("GetCurrentSongNumber()");
    return currentSong;
}

std::uint8_t ShowFakeEngine::GetAttacca(const std::string& song)
{
    record("GetAttacca(" + song + ")");
    const auto it = attacca.find(song);
    return it == attacca.end() ? 0 : it->second;
}

void ShowFakeEngine::SetAttacca(const std::string& song, std::uint8_t state)
{
    record("SetAttacca(" + song + "," + std::to_string(state) + ")");
    attacca[song] = state;
}

void ShowFakeEngine::LoadSong(const std::string& song)
{
    record("LoadSong(" + song + ")");
    currentSong = song;
}

std::uint32_t ShowFakeEngine::GetSongLength(const std::string& song)
{
    record("GetSongLength(" + song + ")");
    return songLength;
}

std::uint32_t ShowFakeEngine::GetSongStartTickIndex(const std::string& song)
{
    record("GetSongStartTickIndex(" + song + ")");
    return song == "1" ? 0u : 100000u;
}

std::uint32_t ShowFakeEngine::GetSongAudioEndTick(const std::string& song)
{
    record("GetSongAudioEndTick(" + song + ")");
    return audioEndTick;
}

std::string ShowFakeEngine::GetBarString(std::uint32_t tick)
{
    record("GetBarString(" + std::to_string(tick) + ")");
    return "Bar " + std::to_string(tick / 1920 + 1);
}

TL::TimelineSequence<TL::BarsBeats> ShowFakeEngine::GetBarsBeats(const std::string& song)
{
    record("GetBarsBeats(" + song + ")");
    if (throwOnBarsBeats)
        throw std::runtime_error("no bars for song " + song);
    auto found = barsBeats.find(song);
    return found == barsBeats.end() ? TL::TimelineSequence<TL::BarsBeats>() : found->second;
}

CL::Editor* ShowFakeEngine::GetChangeLogEditor()
{
    record("GetChangeLogEditor()");
    return editor.get();
}

void ShowFakeEngine::SetChangelogFilename(const std::string& fileName)
{
    record("SetChangelogFilename(" + fileName + ")");
    if (throwOnSetChangelogFilename)
        throw std::runtime_error("cannot read " + fileName);
    if (nextEditor) {
        // The old editor stays alive (retired) so pointers to it do not dangle in the test.
        std::swap(editor, nextEditor);
    }
}

std::string ShowFakeEngine::GetLogVersion()
{
    record("GetLogVersion()");
    return logVersion;
}

std::vector<cmn::ZarnEvent*> ShowFakeEngine::GetMarkers()
{
    record("GetMarkers()");
    std::vector<cmn::ZarnEvent*> result;
    for (const auto& marker : markers)
        result.push_back(marker.get());
    return result;
}

std::vector<std::unique_ptr<cmn::ZarnEvent>> ShowFakeEngine::GetChangeLogPanelEvents()
{
    record("GetChangeLogPanelEvents()");
    std::vector<std::unique_ptr<cmn::ZarnEvent>> result;
    for (const auto& event : panelEvents)
        result.push_back(CL::CopyZarnEvent(*event));
    return result;
}

std::string ShowFakeEngine::GetModifiedClickEditLog()
{
    record("GetModifiedClickEditLog()");
    return modifiedClickEditLog;
}

std::string ShowFakeEngine::GetTempoScaleWarnings()
{
    record("GetTempoScaleWarnings()");
    return tempoScaleWarnings;
}

unsigned ShowFakeEngine::GetInvertedLoopEventCount()
{
    record("GetInvertedLoopEventCount()");
    return invertedLoopCount;
}

std::string ShowFakeEngine::GetInvertedLoopEventDescription()
{
    record("GetInvertedLoopEventDescription()");
    return invertedLoopDescription;
}

// --- the rest the tests rely on ---

bool ShowFakeEngine::IsStopped() { return stopped; }
bool ShowFakeEngine::GetIsPlaying() { return playing; }
void ShowFakeEngine::Seek(std::uint32_t tick) { record("Seek(" + std::to_string(tick) + ")"); }
std::uint32_t ShowFakeEngine::GetCurrentStartTickIndex()
{
    record("GetCurrentStartTickIndex()");
    return currentStartTick;
}
TL::Timeline ShowFakeEngine::GetTimeline()
{
    record("GetTimeline()");
    return timeline;
}
void ShowFakeEngine::Play() { record("Play()"); }
void ShowFakeEngine::Stop() { record("Stop()"); }
void ShowFakeEngine::Continue() { record("Continue()"); }
bool ShowFakeEngine::SongExists(const std::string& song) { return songs.count(song) != 0; }
std::string ShowFakeEngine::GetActualSongNumber(const std::string& song) { return song; }
TL::TimelineSequence<TL::BarsBeats> ShowFakeEngine::GetBarsBeats(const std::string& song, bool)
{
    return GetBarsBeats(song);
}
void ShowFakeEngine::LoadNewChangeLog() { record("LoadNewChangeLog()"); }
const CL::SongLog* ShowFakeEngine::GetSongLog() { return nullSongLog ? nullptr : &songLog; }
CL::NetworkPath ShowFakeEngine::GetNetwork(const std::string& networkId)
{
    throw std::out_of_range("no network " + networkId);
}
double ShowFakeEngine::GetVolume() { return 1.0; }

#include "OscFakeEngine.h"

#include <stdexcept>

OscFakeEngine::OscFakeEngine() = default;

std::vector<std::string> OscFakeEngine::calls() const
{
    std::lock_guard lock(mutex_);
    return calls_;
}

void OscFakeEngine::clearCalls()
{
    std::lock_guard lock(mutex_);
    calls_.clear();
}

void OscFakeEngine::record(std::string call)
{
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
}

void OscFakeEngine::Stop() { record("Stop"); }
void OscFakeEngine::Play() { record("Play"); }
void OscFakeEngine::Continue() { record("Continue"); }
void OscFakeEngine::Pause(bool flag) { record(flag ? "Pause(true)" : "Pause(false)"); }
void OscFakeEngine::NextSong() { record("NextSong"); }
void OscFakeEngine::Seek(std::uint32_t tick) { record("Seek(" + std::to_string(tick) + ")"); }
void OscFakeEngine::LoadSong(const std::string& song) { record("LoadSong(" + song + ")"); }
bool OscFakeEngine::GetIsPlaying() { return playing.load(); }
bool OscFakeEngine::GetIsPaused() { return paused; }
std::string OscFakeEngine::GetCurrentSongNumber() { return currentSong; }
bool OscFakeEngine::SongExists(const std::string& song) { return songs.count(song) > 0; }
std::string OscFakeEngine::GetActualSongNumber(const std::string& song) { return song; }
std::uint32_t OscFakeEngine::GetTickIndex() { return tickIndex; }
std::uint32_t OscFakeEngine::GetSongAudioEndTick(const std::string&) { return audioEndTick; }
std::uint8_t OscFakeEngine::GetAttacca(const std::string&) { return attacca; }
CL::Editor* OscFakeEngine::GetChangeLogEditor() { return hasEditor ? &editor : nullptr; }

CL::NetworkPath OscFakeEngine::GetNetwork(const std::string& id)
{
    ++networkLookups;
    const auto found = networks.find(id);
    if (found == networks.end())
        throw std::out_of_range("No network destination " + id);
    return found->second;
}

void OscFakeEngine::SetVolume(double gain, int volumeType)
{
    record("SetVolume(" + std::to_string(gain) + ", " + std::to_string(volumeType) + ")");
}

const std::vector<CL::NetworkPath>& OscFakeEngine::GetNetworks()
{
    return networksList_;
}

void OscFakeEngine::Shutdown() {}
bool OscFakeEngine::IsStopped() { return {}; }
void OscFakeEngine::FlowControlExit() {}
void OscFakeEngine::PrevSong() {}
void OscFakeEngine::LoadSongAtTime(const std::string&, uint32_t) {}
bool OscFakeEngine::SeekToBar(const std::string&) { return {}; }
void OscFakeEngine::SeekToNextMeasure() {}
void OscFakeEngine::SeekToPreviousMeasure() {}
void OscFakeEngine::SeekRight() {}
void OscFakeEngine::SeekLeft() {}
bool OscFakeEngine::GetIsFaded() { return {}; }
void OscFakeEngine::Fade(std::function<void()>, float) {}
void OscFakeEngine::FadeTo(std::function<void()>, float, float) {}
void OscFakeEngine::CancelFade() {}
Interface::SongNameMap OscFakeEngine::GetSongNamesBySongNumber() { return {}; }
void OscFakeEngine::SetAttacca(const std::string&, uint8_t) {}
uint32_t OscFakeEngine::GetSongLength(const std::string&) { return {}; }
uint32_t OscFakeEngine::GetSongStartTickIndex(const std::string&) { return {}; }
uint32_t OscFakeEngine::GetSongAudioStartTick(const std::string&) { return {}; }
uint32_t OscFakeEngine::GetMinStartTickIndex() { return {}; }
uint32_t OscFakeEngine::GetCurrentStartTickIndex() { return {}; }
std::string OscFakeEngine::GetBarString(uint32_t) { return {}; }
TL::TimelineSequence<TL::BarsBeats> OscFakeEngine::GetBarsBeats(const std::string&) { return {}; }
TL::TimelineSequence<TL::BarsBeats> OscFakeEngine::GetBarsBeats(const std::string&, bool) { return {}; }
TL::BarsBeats OscFakeEngine::GetBarBeatByTick(uint32_t) { return {}; }
TL::BarsBeats OscFakeEngine::GetBarBeatByTick(uint32_t, bool, bool) { return {}; }
TL::BarsBeats OscFakeEngine::GetBarBeatLeftByTick(uint32_t) { return {}; }
uint32_t OscFakeEngine::GetAvailableShiftAfterBarBeat(uint32_t, bool) { return {}; }
std::vector<int> OscFakeEngine::GetClickValues(uint32_t, uint32_t) { return {}; }
std::pair<std::string, uint32_t> OscFakeEngine::LookupPage(unsigned) { return {}; }
void OscFakeEngine::SetChangelogFilename(const std::string&) {}
void OscFakeEngine::LoadNewChangeLog() {}
std::string OscFakeEngine::SaveChangelog(int, int) { return {}; }
std::string OscFakeEngine::GetChangelogFilename() { return {}; }
std::string OscFakeEngine::GetLogVersion() { return {}; }
const CL::SongLog* OscFakeEngine::GetSongLog() { return nullptr; }
TL::Timeline OscFakeEngine::GetTimeline() { return {}; }
std::vector<cmn::ZarnEvent*> OscFakeEngine::GetMarkers() { return {}; }
std::vector<std::unique_ptr<cmn::ZarnEvent>> OscFakeEngine::GetChangeLogPanelEvents() { return {}; }
std::string OscFakeEngine::GetModifiedClickEditLog() { return {}; }
std::string OscFakeEngine::GetTempoScaleWarnings() { return {}; }
unsigned OscFakeEngine::GetInvertedLoopEventCount() { return {}; }
std::string OscFakeEngine::GetInvertedLoopEventDescription() { return {}; }
const std::map<std::string, CL::OutputPath>& OscFakeEngine::GetOutputPathMap() { return outputPaths_; }
void OscFakeEngine::onAddOutputhPath(const CL::OutputPath&) {}
void OscFakeEngine::onRemoveOutputhPath(const CL::OutputPath&) {}
std::string OscFakeEngine::GetAccountData() { return {}; }
void OscFakeEngine::SetOutputDeviceUid(const std::string&) {}
std::string OscFakeEngine::GetOutputDeviceUid() { return {}; }
double OscFakeEngine::GetVolume() { return {}; }
void OscFakeEngine::SetOscControlDefaultPort(uint16_t) {}
void OscFakeEngine::DoOscProcessing(bool) {}
std::vector<MidiEndPoint> OscFakeEngine::GetMidiSources() { return {}; }
void OscFakeEngine::SetMidiSource(int) {}
bool OscFakeEngine::HasMidiSource() { return {}; }
uint8_t OscFakeEngine::GetConnectedSourceIndex() { return {}; }
std::map<uint8_t, std::string> OscFakeEngine::GetCommandNames() { return {}; }
std::map<uint8_t, Interface::MidiCommandRecord> OscFakeEngine::GetLearnedCommands() { return {}; }
bool OscFakeEngine::IsMidiCommandLearning(uint8_t) { return {}; }
std::vector<int> OscFakeEngine::GetAllowedCommandStatuses() { return {}; }
void OscFakeEngine::SetMidiCommand(uint8_t, uint8_t, uint8_t, uint8_t) {}
void OscFakeEngine::LearnMidiCommand(uint8_t) {}

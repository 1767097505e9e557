#include "InertEngine.h"

InertEngine::InertEngine() = default;
InertEngine::~InertEngine() = default;

void InertEngine::Shutdown() {}
bool InertEngine::IsStopped() { return false; }
void InertEngine::Play() {}
void InertEngine::Stop() {}
void InertEngine::Pause(bool) {}
void InertEngine::Continue() {}
void InertEngine::FlowControlExit() {}
void InertEngine::NextSong() {}
void InertEngine::PrevSong() {}
void InertEngine::LoadSong(const std::string&) {}
void InertEngine::LoadSongAtTime(const std::string&, std::uint32_t) {}
void InertEngine::Seek(std::uint32_t) {}
bool InertEngine::SeekToBar(const std::string&) { return false; }
void InertEngine::SeekToNextMeasure() {}
void InertEngine::SeekToPreviousMeasure() {}
void InertEngine::SeekRight() {}
void InertEngine::SeekLeft() {}
bool InertEngine::GetIsPlaying() { return false; }
bool InertEngine::GetIsPaused() { return false; }
bool InertEngine::GetIsFaded() { return false; }

void InertEngine::Fade(std::function<void()>, float) {}
void InertEngine::FadeTo(std::function<void()>, float, float) {}
void InertEngine::CancelFade() {}

Interface::SongNameMap InertEngine::GetSongNamesBySongNumber() { return {}; }
std::string InertEngine::GetCurrentSongNumber() { return {}; }
bool InertEngine::SongExists(const std::string&) { return false; }
std::string InertEngine::GetActualSongNumber(const std::string&) { return {}; }
std::uint8_t InertEngine::GetAttacca(const std::string&) { return 0; }
void InertEngine::SetAttacca(const std::string&, std::uint8_t) {}
std::uint32_t InertEngine::GetSongLength(const std::string&) { return 0; }
std::uint32_t InertEngine::GetSongStartTickIndex(const std::string&) { return 0; }
std::uint32_t InertEngine::GetSongAudioStartTick(const std::string&) { return 0; }
std::uint32_t InertEngine::GetSongAudioEndTick(const std::string&) { return 0; }
std::uint32_t InertEngine::GetMinStartTickIndex() { return 0; }
std::uint32_t InertEngine::GetCurrentStartTickIndex() { return 0; }
std::uint32_t InertEngine::GetTickIndex() { return 0; }
std::string InertEngine::GetBarString(std::uint32_t) { return {}; }
TL::TimelineSequence<TL::BarsBeats> InertEngine::GetBarsBeats(const std::string&) { return {}; }
TL::TimelineSequence<TL::BarsBeats> InertEngine::GetBarsBeats(const std::string&, bool) { return {}; }
TL::BarsBeats InertEngine::GetBarBeatByTick(std::uint32_t) { return {}; }
TL::BarsBeats InertEngine::GetBarBeatByTick(std::uint32_t, bool, bool) { return {}; }
TL::BarsBeats InertEngine::GetBarBeatLeftByTick(std::uint32_t) { return {}; }
std::uint32_t InertEngine::GetAvailableShiftAfterBarBeat(std::uint32_t, bool) { return 0; }
std::vector<int> InertEngine::GetClickValues(std::uint32_t, std::uint32_t) { return {}; }
std::pair<std::string, std::uint32_t> InertEngine::LookupPage(unsigned) { return {}; }

CL::Editor* InertEngine::GetChangeLogEditor() { return nullptr; }
void InertEngine::SetChangelogFilename(const std::string&) {}
void InertEngine::LoadNewChangeLog() {}
std::string InertEngine::SaveChangelog(int, int) { return {}; }
std::string InertEngine::GetChangelogFilename() { return {}; }
std::string InertEngine::GetLogVersion() { return {}; }
const CL::SongLog* InertEngine::GetSongLog() { return nullptr; }
TL::Timeline InertEngine::GetTimeline() { return {}; }
std::vector<cmn::ZarnEvent*> InertEngine::GetMarkers() { return {}; }
std::vector<std::unique_ptr<cmn::ZarnEvent>> InertEngine::GetChangeLogPanelEvents() { return {}; }
std::string InertEngine::GetModifiedClickEditLog() { return {}; }
std::string InertEngine::GetTempoScaleWarnings() { return {}; }
unsigned InertEngine::GetInvertedLoopEventCount() { return 0; }
std::string InertEngine::GetInvertedLoopEventDescription() { return {}; }
const std::vector<CL::NetworkPath>& InertEngine::GetNetworks() { return noNetworks_; }
CL::NetworkPath InertEngine::GetNetwork(const std::string&) { return {}; }
void InertEngine::UpdateNetworks(const std::vector<CL::NetworkPath>&) {}
const std::map<std::string, CL::OutputPath>& InertEngine::GetOutputPathMap() { return noOutputPaths_; }
void InertEngine::onAddOutputhPath(const CL::OutputPath&) {}
void InertEngine::onRemoveOutputhPath(const CL::OutputPath&) {}
std::string InertEngine::GetAccountData() { return {}; }

void InertEngine::SetOutputDeviceUid(const std::string&) {}
std::string InertEngine::GetOutputDeviceUid() { return {}; }
void InertEngine::SetVolume(double, int) {}
double InertEngine::GetVolume() { return 0.0; }

void InertEngine::SetOscControlDefaultPort(std::uint16_t) {}
void InertEngine::DoOscProcessing(bool) {}

std::vector<MidiEndPoint> InertEngine::GetMidiSources() { return {}; }
void InertEngine::SetMidiSource(int) {}
bool InertEngine::HasMidiSource() { return false; }
std::uint8_t InertEngine::GetConnectedSourceIndex() { return 0; }
std::map<std::uint8_t, std::string> InertEngine::GetCommandNames() { return {}; }
std::map<std::uint8_t, Interface::MidiCommandRecord> InertEngine::GetLearnedCommands() { return {}; }
bool InertEngine::IsMidiCommandLearning(std::uint8_t) { return false; }
std::vector<int> InertEngine::GetAllowedCommandStatuses() { return {}; }
void InertEngine::SetMidiCommand(std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t) {}
void InertEngine::LearnMidiCommand(std::uint8_t) {}
std::string InertEngine::GetSoundProblem() { return {}; }
std::string InertEngine::GetMidiProblem() { return {}; }

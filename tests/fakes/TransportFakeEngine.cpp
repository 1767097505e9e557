#include "TransportFakeEngine.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace {

template <class... Parts>
std::string Line(const Parts&... parts)
{
    std::ostringstream out;
    bool first = true;
    ((out << (first ? "" : " ") << parts, first = false), ...);
    return out.str();
}

} // namespace

void TransportFakeEngine::Log::Add(std::string call)
{
    const std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
}

std::vector<std::string> TransportFakeEngine::Log::Calls() const
{
    const std::lock_guard lock(mutex_);
    return calls_;
}

int TransportFakeEngine::Log::Count(const std::string& call) const
{
    const std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(calls_.begin(), calls_.end(), call));
}

void TransportFakeEngine::Log::Clear()
{
    const std::lock_guard lock(mutex_);
    calls_.clear();
}

TransportFakeEngine::TransportFakeEngine() = default;

TransportFakeEngine::~TransportFakeEngine() = default;

std::function<void()> TransportFakeEngine::TakeCompletion()
{
    const std::lock_guard lock(mutex_);
    return std::exchange(completion_, nullptr);
}

void TransportFakeEngine::RunCompletionOnThread()
{
    std::function<void()> completion = TakeCompletion();
    if (!completion)
        throw std::logic_error("no fade was started");
    std::thread(std::move(completion)).join();
}

float TransportFakeEngine::LastFadeSeconds() const
{
    const std::lock_guard lock(mutex_);
    return lastFadeSeconds_;
}

void TransportFakeEngine::Shutdown()
{
    log->Add("Shutdown");
}

bool TransportFakeEngine::IsStopped()
{
    const int answer = stoppedAnswer;
    return answer >= 0 ? answer != 0 : !playing && !paused;
}

void TransportFakeEngine::Play()
{
    log->Add("Play");
}

void TransportFakeEngine::Stop()
{
    log->Add("Stop");
}

void TransportFakeEngine::Pause(bool fadeCompleted)
{
    log->Add(Line("Pause", fadeCompleted ? "true" : "false"));
}

void TransportFakeEngine::Continue()
{
    log->Add("Continue");
}

void TransportFakeEngine::FlowControlExit()
{
    log->Add("FlowControlExit");
}

void TransportFakeEngine::NextSong()
{
    log->Add("NextSong");
}

void TransportFakeEngine::PrevSong()
{
    log->Add("PrevSong");
}

void TransportFakeEngine::LoadSong(const std::string& song)
{
    log->Add(Line("LoadSong", song));
}

bool TransportFakeEngine::SeekToBar(const std::string& barText)
{
    log->Add(Line("SeekToBar", barText));
    return knownBars.count(barText) > 0;
}

void TransportFakeEngine::SeekToNextMeasure()
{
    log->Add("SeekToNextMeasure");
}

void TransportFakeEngine::SeekToPreviousMeasure()
{
    log->Add("SeekToPreviousMeasure");
}

void TransportFakeEngine::SeekRight()
{
    log->Add("SeekRight");
}

void TransportFakeEngine::SeekLeft()
{
    log->Add("SeekLeft");
}

bool TransportFakeEngine::GetIsPlaying()
{
    return playing;
}

bool TransportFakeEngine::GetIsPaused()
{
    return paused;
}

bool TransportFakeEngine::GetIsFaded()
{
    return faded;
}

void TransportFakeEngine::Fade(std::function<void()> completion, float seconds)
{
    log->Add(Line("Fade", seconds));
    const std::lock_guard lock(mutex_);
    completion_ = std::move(completion);
    lastFadeSeconds_ = seconds;
}

void TransportFakeEngine::FadeTo(std::function<void()> completion, float seconds, float target)
{
    log->Add(Line("FadeTo", seconds, target));
    const std::lock_guard lock(mutex_);
    completion_ = std::move(completion);
    lastFadeSeconds_ = seconds;
}

void TransportFakeEngine::CancelFade()
{
    log->Add("CancelFade");
}

Interface::SongNameMap TransportFakeEngine::GetSongNamesBySongNumber()
{
    if (throwOnSongList)
        throw std::runtime_error("the song list cannot be read");
    return songs;
}

std::string TransportFakeEngine::GetCurrentSongNumber()
{
    return currentSong;
}

CL::Editor* TransportFakeEngine::GetChangeLogEditor()
{
    return &editor;
}

void TransportFakeEngine::SetOutputDeviceUid(const std::string& uid)
{
    log->Add(Line("SetOutputDeviceUid", uid));
    if (!uid.empty() && knownDevices.count(uid) == 0)
        throw std::invalid_argument("Audio output device '" + uid + "' is not available.");
}

void TransportFakeEngine::SetVolume(double gain, int volumeType)
{
    log->Add(Line("SetVolume", gain, volumeType));
}

void TransportFakeEngine::UpdateNetworks(const std::vector<CL::NetworkPath>& networks)
{
    std::string line = "UpdateNetworks";
    for (const CL::NetworkPath& network : networks)
        line += " " + network.IpAddress() + ":" + std::to_string(network.port);
    log->Add(line);
    if (throwOnUpdateNetworks)
        throw std::runtime_error("The change log is read-only.");
}

void TransportFakeEngine::SetOscControlDefaultPort(std::uint16_t port)
{
    log->Add(Line("SetOscControlDefaultPort", port));
}

void TransportFakeEngine::DoOscProcessing(bool on)
{
    log->Add(Line("DoOscProcessing", on ? "true" : "false"));
}

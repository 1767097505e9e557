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

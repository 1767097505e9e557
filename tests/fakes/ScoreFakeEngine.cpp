#include "ScoreFakeEngine.h"

#include <stdexcept>

void ScoreFakeEngine::Record(const std::string& name, const std::string& arguments)
{
    calls.push_back(name + "(" + arguments + ")");
    if (failing.count(name))
        throw std::runtime_error(name + " failed");
}

std::pair<std::string, std::uint32_t> ScoreFakeEngine::LookupPage(unsigned page)
{
    Record("LookupPage", std::to_string(page));
    const auto found = pages.find(page);
    if (found == pages.end())
        throw std::out_of_range("no page " + std::to_string(page));
    return found->second;
}

bool ScoreFakeEngine::GetIsPlaying()
{
    Record("GetIsPlaying");
    return playing;
}

void ScoreFakeEngine::Pause(bool fadeCompleted)
{
    Record("Pause", fadeCompleted ? "true" : "false");
    playing = false;
}

void ScoreFakeEngine::Play()
{
    Record("Play");
    playing = true;
}

std::string ScoreFakeEngine::GetCurrentSongNumber()
{
    Record("GetCurrentSongNumber");
    return currentSong;
}

void ScoreFakeEngine::Seek(std::uint32_t tick)
{
    Record("Seek", std::to_string(tick));
}

void ScoreFakeEngine::LoadSongAtTime(const std::string& song, std::uint32_t tick)
{
    Record("LoadSongAtTime", song + ", " + std::to_string(tick));
    currentSong = song;
}

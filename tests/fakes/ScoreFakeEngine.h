#pragma once

#include "InertEngine.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

// An engine for the score view's page requests: it records the seven calls a request makes
// (one line each, in order, with their arguments), answers the play state and the current
// song from fields, knows the pages in `pages`, and throws std::runtime_error from any call
// named in `failing` ("LookupPage", "GetIsPlaying", "Pause", "GetCurrentSongNumber", "Seek",
// "LoadSongAtTime", "Play"), after recording it. Pause and Play change `playing`, Seek and
// LoadSongAtTime the current song. GUI thread only.
class ScoreFakeEngine : public InertEngine
{
public:
    bool playing = false;
    std::string currentSong = "1";
    std::map<unsigned, std::pair<std::string, std::uint32_t>> pages{
        {1, {"1", 0}}, {2, {"1", 7680}}, {3, {"2", 0}}, {4, {"3", 480}}};
    std::set<std::string> failing;
    std::vector<std::string> calls;

    std::pair<std::string, std::uint32_t> LookupPage(unsigned page) override;
    bool GetIsPlaying() override;
    void Pause(bool fadeCompleted) override;
    void Play() override;
    std::string GetCurrentSongNumber() override;
    void Seek(std::uint32_t tick) override;
    void LoadSongAtTime(const std::string& song, std::uint32_t tick) override;

private:
    void Record(const std::string& name, const std::string& arguments = std::string());
};

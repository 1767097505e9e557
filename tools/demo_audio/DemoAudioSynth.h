#pragma once

#include "ShowDefinition.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zarn::tools {

// Makes a song's accompaniment from its musical time: a chord pad and a bass that follow
// the key and a simple progression, so the audio lines up tick for tick with what the engine
// plays. No click: the engine synthesises it live from the song's grid. Deterministic.
class DemoAudioSynth
{
public:
    static constexpr int kSampleRate = 22050;

    static std::vector<int16_t> Render(const zarn::player::SongDefinition& song, int sampleRate = kSampleRate);
    // Writes every song's audio file of the show folder; returns the files written.
    static std::vector<std::string> RenderShow(const std::string& showFolder, int sampleRate = kSampleRate);
};

} // namespace zarn::tools

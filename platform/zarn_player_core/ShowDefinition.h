#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarn::player {

struct TempoPoint
{
    uint32_t tick = 0;
    double bpm = 120.0;
};

struct MeterPoint
{
    uint32_t tick = 0;
    uint8_t numerator = 4;
    uint8_t denominator = 4;
};

struct KeyPoint
{
    uint32_t tick = 0;
    int16_t sharpsFlats = 0;
    int16_t minor = 0;
};

struct BarLabel
{
    uint32_t tick = 0;
    std::string number;
};

// One audio file of a song and the output path it plays on.
struct StemDefinition
{
    std::string file; // relative to the show folder
    std::string outputPath; // an output path id of the show; empty when the show has none
};

struct SongDefinition
{
    std::string number;
    std::string title;
    uint32_t startTick = 0;
    uint32_t lengthTicks = 0; // the tick of the final double bar
    uint32_t audioStartTick = 0;
    uint32_t audioEndTick = 0;
    std::string audio; // relative to the show folder; empty when the song has none
    // Every audio file of the song ("stems", or the one "audio" file on the first path).
    std::vector<StemDefinition> stems;
    int firstBarNumber = 1;
    std::vector<BarLabel> bars;
    std::vector<MeterPoint> meters;
    std::vector<TempoPoint> tempos;
    std::vector<KeyPoint> keys;

    uint32_t EndOfMaterial() const { return lengthTicks > audioEndTick ? lengthTicks : audioEndTick; }
};

struct PageDefinition
{
    unsigned page = 0;
    std::string song;
    uint32_t tick = 0;
};

struct OutputPathDefinition
{
    std::string id;
    std::string name;
};

// The contents of a show folder's show.json: songs with their musical time, score
// pages and output paths. Parsing checks every value it keeps.
class ShowDefinition
{
public:
    static constexpr uint32_t kTicksPerQuarter = 480;

    static ShowDefinition LoadFromFile(const std::string& path);
    // `origin` names the input in error messages.
    static ShowDefinition Parse(const std::string& json, const std::string& origin);

    int IndexOfSong(const std::string& number) const; // -1 when absent
    const SongDefinition* FindSong(const std::string& number) const;

    std::string format;
    std::string showId;
    std::vector<SongDefinition> songs;
    std::vector<PageDefinition> pages;
    std::vector<OutputPathDefinition> outputPaths;
    // Where the engine's click plays: "clickOutputPath", else the first output path.
    std::string clickOutputPath;
    // What the show asked for that playback cannot give, and what it does instead (a stem on
    // an unknown output path plays on the first one). Meant for the engine's notices.
    std::vector<std::string> warnings;
};

} // namespace zarn::player

#include "DemoAudioSynth.h"

#include "SongTimeMap.h"
#include "WavFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace zarn::tools {

namespace {

constexpr double kPi = 3.14159265358979323846;

double MidiToHz(double note)
{
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

int TonicPitchClass(const zarn::player::KeyPoint& key)
{
    const int major = ((key.sharpsFlats * 7) % 12 + 12) % 12;
    return key.minor ? (major + 9) % 12 : major;
}

void AddTone(std::vector<double>& mix, int rate, double start, double length, double hz, double level,
             double attack, double release)
{
    const long first = std::max(0L, std::lround(start * rate));
    const long last = std::min<long>(static_cast<long>(mix.size()), std::lround((start + length) * rate));
    for (long i = first; i < last; ++i) {
        const double t = double(i - first) / rate;
        const double left = length - t;
        double envelope = std::min({1.0, t / attack, left / release});
        envelope = std::max(0.0, envelope);
        mix[static_cast<size_t>(i)] += level * envelope * std::sin(2.0 * kPi * hz * t);
    }
}

void AddPluck(std::vector<double>& mix, int rate, double start, double hz, double level, double decay)
{
    const long first = std::max(0L, std::lround(start * rate));
    const long last = std::min<long>(static_cast<long>(mix.size()), first + std::lround(decay * 6 * rate));
    for (long i = first; i < last; ++i) {
        const double t = double(i - first) / rate;
        mix[static_cast<size_t>(i)] += level * std::exp(-t / decay) * std::sin(2.0 * kPi * hz * t);
    }
}

} // namespace

std::vector<int16_t> DemoAudioSynth::Render(const zarn::player::SongDefinition& song, int sampleRate)
{
    const zarn::player::SongTimeMap map(song);
    const double begin = song.audioStartTick;
    const double total = map.SecondsBetween(begin, song.audioEndTick, {});
    std::vector<double> mix(static_cast<size_t>(std::ceil(total * sampleRate)), 0.0);
    auto at = [&](double tick) { return tick >= begin ? map.SecondsBetween(begin, tick, {}) : -map.SecondsBetween(tick, begin, {}); };

    static const int progression[4] = {0, 5, 7, 0};
    int barIndex = 0;
    for (const auto& bar : map.Bars()) {
        const double barEnd = bar.tick + bar.length;
        if (barEnd <= begin || bar.tick >= song.audioEndTick)
            continue;
        const double start = at(bar.tick);
        const double length = at(std::min<double>(barEnd, song.audioEndTick)) - start;
        const auto& key = map.KeyAt(bar.tick);
        const int root = 48 + TonicPitchClass(key) + progression[barIndex % 4];
        const int third = key.minor && progression[barIndex % 4] != 7 ? 3 : 4;
        // Past the double bar the pad dies away: the tail is a fade region.
        const double level = bar.tick >= song.lengthTicks ? 0.04 : 0.07;
        for (int interval : {12, 12 + third, 19})
            AddTone(mix, sampleRate, start, length, MidiToHz(root + interval), level, 0.05, 0.08);
        AddPluck(mix, sampleRate, start, MidiToHz(root - 12), 0.25, 0.25);
        ++barIndex;
    }
    std::vector<int16_t> samples(mix.size());
    for (size_t i = 0; i < mix.size(); ++i)
        samples[i] = static_cast<int16_t>(std::lround(std::clamp(mix[i], -1.0, 1.0) * 32000.0));
    return samples;
}

std::vector<std::string> DemoAudioSynth::RenderShow(const std::string& showFolder, int sampleRate)
{
    const auto show = zarn::player::ShowDefinition::LoadFromFile(showFolder + "/show.json");
    std::vector<std::string> written;
    for (const auto& song : show.songs) {
        if (song.audio.empty())
            continue;
        const std::string path = showFolder + "/" + song.audio;
        QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
        zarn::audio::WavFile::Save(path, sampleRate, 1, Render(song, sampleRate));
        written.push_back(path);
    }
    return written;
}

} // namespace zarn::tools

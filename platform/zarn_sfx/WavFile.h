#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarn::audio {

// A PCM WAV file held in memory as 16-bit interleaved samples.
class WavFile
{
public:
    // Throws std::runtime_error naming the file and what is wrong with it.
    static WavFile Load(const std::string& path);
    static WavFile Parse(const std::vector<uint8_t>& bytes, const std::string& origin);
    // Writes 16-bit PCM atomically; throws std::runtime_error on failure.
    static void Save(const std::string& path, int sampleRate, int channels, const std::vector<int16_t>& samples);

    int sampleRate = 0;
    int channels = 0;
    std::vector<int16_t> samples;

    size_t Frames() const { return channels ? samples.size() / static_cast<size_t>(channels) : 0; }
    double Seconds() const { return sampleRate ? static_cast<double>(Frames()) / sampleRate : 0.0; }
};

} // namespace zarn::audio

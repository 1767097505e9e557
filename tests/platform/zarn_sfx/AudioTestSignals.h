#pragma once

// Test files written with libsndfile, and measurements that listen to what comes back.

#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zarn::audio::test {

// Writes `frames` frames; sample(frame, channel) gives each value in [-1, 1].
inline void WriteAudioFile(const std::string& path, int format, int rate, int channels, int64_t frames,
                           const std::function<double(int64_t, int)>& sample)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    if ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_VORBIS) {
        double quality = 0.6;
        sf_command(file, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
    }
    std::vector<float> chunk;
    for (int64_t at = 0; at < frames;) {
        const int64_t n = std::min<int64_t>(frames - at, 65536);
        chunk.resize(size_t(n * channels));
        for (int64_t i = 0; i < n; ++i) {
            for (int c = 0; c < channels; ++c)
                chunk[size_t(i * channels + c)] = float(sample(at + i, c));
        }
        if (sf_writef_float(file, chunk.data(), n) != n) {
            sf_close(file);
            throw std::runtime_error("cannot write " + path);
        }
        at += n;
    }
    sf_close(file);
}

inline std::function<double(int64_t, int)> Sine(int rate, std::vector<double> hzPerChannel, double amplitude = 0.5)
{
    return [=](int64_t frame, int channel) {
        const double hz = hzPerChannel[size_t(channel) % hzPerChannel.size()];
        return amplitude * std::sin(2 * M_PI * hz * double(frame) / rate);
    };
}

// A 16-bit stereo WAV whose every frame says which frame it is: left holds the low 16 bits
// of the index, right the next 16, so a frame read back anywhere tells where it came from.
inline double IndexSample(int64_t frame, int channel)
{
    const int64_t part = channel == 0 ? frame % 65536 : (frame / 65536) % 65536;
    return double(part - 32768) / 32768.0;
}
inline int64_t IndexOf(const float* frame)
{
    const auto part = [](float v) { return int64_t(std::lround(double(v) * 32768.0)) + 32768; };
    return part(frame[0]) + 65536 * part(frame[1]);
}
// Written as integers: libsndfile scales floats by 32767 on the way in, 1/32768 on the way out.
inline void WriteIndexWav(const std::string& path, int rate, int64_t frames)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    std::vector<short> chunk;
    for (int64_t at = 0; at < frames;) {
        const int64_t n = std::min<int64_t>(frames - at, 65536);
        chunk.resize(size_t(n * 2));
        for (int64_t i = 0; i < n; ++i) {
            for (int c = 0; c < 2; ++c)
                chunk[size_t(i * 2 + c)] = short(std::lround(IndexSample(at + i, c) * 32768.0));
        }
        sf_writef_short(file, chunk.data(), n);
        at += n;
    }
    sf_close(file);
}

// The frequency of one channel of interleaved stereo, from the first and last upward zero
// crossings (interpolated between samples). A crossing counts only after the signal went
// well below zero, so the small ripple a filter leaves around silence does not.
inline double Frequency(const std::vector<float>& stereo, int channel, int rate)
{
    double first = -1;
    double last = -1;
    int64_t crossings = 0;
    bool armed = false;
    const int64_t frames = int64_t(stereo.size() / 2);
    for (int64_t i = 1; i < frames; ++i) {
        const double a = stereo[size_t((i - 1) * 2 + channel)];
        const double b = stereo[size_t(i * 2 + channel)];
        armed = armed || a < -0.05;
        if (armed && a < 0 && b >= 0) {
            const double at = double(i - 1) + a / (a - b);
            if (first < 0)
                first = at;
            last = at;
            ++crossings;
            armed = false;
        }
    }
    return crossings > 1 ? double(crossings - 1) * rate / (last - first) : 0.0;
}

// The first frame at which a channel reaches the threshold; -1 if it never does.
inline int64_t Onset(const std::vector<float>& stereo, int channel, double threshold)
{
    for (size_t i = 0; i * 2 < stereo.size(); ++i) {
        if (std::fabs(stereo[i * 2 + size_t(channel)]) >= threshold)
            return int64_t(i);
    }
    return -1;
}

} // namespace zarn::audio::test

// Stems streamed from disk, four at a time, at a 48 kHz output:
//   taskset -c 0,1 bench_stem_stream [--repetitions=5]
// - render cost: Pull of a 512-frame block from each of 4 streams (the render thread's share);
// - disk reader CPU per second of sound for 4 stems: WAV at 48 kHz, FLAC at 44.1 kHz (decoded
//   and converted), as a share of one core at real time;
// - catch-up after a jump to a frame with no cache: from Jump to 512 frames ready;
// - resident memory of a show of 4 stems of 3 hours each with 16 cue points per stem.
// Each figure is the median of the repetitions.
#include "StemStream.h"

#include <sndfile.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace zarn::audio;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRate = 48000;
constexpr int64_t kBlock = 512;

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}
double Percentile(std::vector<double> v, double fraction)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[std::min(v.size() - 1, size_t(std::ceil(fraction * double(v.size()))) - 1)];
}

// CPU seconds of every thread of the process but the calling one (schedstat: nanoseconds,
// where stat's clock ticks are too coarse for a reader that works a few ms a second).
double OtherThreadsCpuSeconds()
{
    const std::string self = std::to_string(syscall(SYS_gettid));
    double seconds = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        if (task.path().filename() == self)
            continue;
        std::ifstream schedstat(task.path() / "schedstat");
        unsigned long long nanoseconds = 0;
        if (schedstat >> nanoseconds)
            seconds += double(nanoseconds) * 1e-9;
    }
    return seconds;
}

int64_t StatusKiB(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0)
            return std::stoll(line.substr(std::strlen(key)));
    }
    return -1;
}

// A mix of tones and a little noise, so a lossless coder has real work.
void WriteMusic(const std::string& path, int format, int rate, double seconds)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-0.05f, 0.05f);
    std::vector<float> chunk(size_t(rate) * 2);
    for (int64_t at = 0; at < int64_t(seconds * rate); at += rate) {
        for (int64_t i = 0; i < rate; ++i) {
            const double t = double(at + i) / rate;
            chunk[size_t(i * 2)] = float(0.3 * std::sin(2 * M_PI * 220 * t) + 0.2 * std::sin(2 * M_PI * 331 * t)) + noise(random);
            chunk[size_t(i * 2 + 1)] = float(0.3 * std::sin(2 * M_PI * 277 * t) + 0.2 * std::sin(2 * M_PI * 415 * t)) + noise(random);
        }
        sf_writef_float(file, chunk.data(), rate);
    }
    sf_close(file);
}

void WriteSparseWav(const std::string& path, int rate, int64_t frames)
{
    const uint32_t dataBytes = uint32_t(frames * 4);
    auto le32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto le16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    const std::string header = "RIFF" + le32(36 + dataBytes) + "WAVEfmt " + le32(16) + le16(1) + le16(2)
                               + le32(uint32_t(rate)) + le32(uint32_t(rate) * 4) + le16(4) + le16(16) + "data"
                               + le32(dataBytes);
    {
        std::ofstream out(path, std::ios::binary);
        out.write(header.data(), std::streamsize(header.size()));
    }
    std::filesystem::resize_file(path, header.size() + dataBytes);
}

void WaitReady(StemStream& stream, int64_t frames)
{
    while (stream.Length() < 0 || stream.ReadyFrames() < std::min(frames, stream.Length() - stream.Position()))
        std::this_thread::sleep_for(std::chrono::microseconds(50));
}

std::vector<std::shared_ptr<StemStream>> OpenFour(DiskReader& reader, const std::string& path)
{
    std::vector<std::shared_ptr<StemStream>> streams;
    for (int i = 0; i < 4; ++i)
        streams.push_back(reader.Open(path, kRate));
    return streams;
}

// Render cost of one block from each of 4 streams, in µs (only pulls with every frame ready).
double RenderMicroseconds(const std::string& path)
{
    DiskReader reader;
    auto streams = OpenFour(reader, path);
    std::vector<float> out(kBlock * 2);
    std::vector<double> costs;
    for (int block = 0; block < 4000; ++block) {
        for (auto& s : streams)
            WaitReady(*s, kBlock);
        const auto start = Clock::now();
        for (auto& s : streams)
            s->Pull(out.data(), kBlock);
        costs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return Median(costs);
}

// Disk reader CPU per second of sound streamed for 4 stems, as % of one core.
double ReaderPercent(const std::string& path, double seconds)
{
    DiskReader reader;
    auto streams = OpenFour(reader, path);
    for (auto& s : streams)
        WaitReady(*s, kBlock);
    const double before = OtherThreadsCpuSeconds();
    std::vector<float> out(kBlock * 2);
    for (int64_t at = 0; at < int64_t(seconds * kRate); at += kBlock) {
        for (auto& s : streams) {
            WaitReady(*s, kBlock);
            s->Pull(out.data(), kBlock);
        }
    }
    return 100.0 * (OtherThreadsCpuSeconds() - before) / seconds;
}

// Jump to a frame with no cache; ms until a block is ready.
std::vector<double> CatchUpMilliseconds(const std::string& path)
{
    DiskReader reader;
    auto stream = reader.Open(path, kRate);
    WaitReady(*stream, kBlock);
    std::mt19937 random(3);
    std::vector<double> times;
    for (int i = 0; i < 200; ++i) {
        // Timed from before the jump: its wake-up may hand the core straight to the reader.
        const auto start = Clock::now();
        stream->Jump(int64_t(random() % uint64_t(stream->Length() - kRate)));
        while (stream->ReadyFrames() < kBlock)
            std::this_thread::yield();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return times;
}

struct Memory
{
    double residentMiB = 0;
    double growthMiB = 0;
};

Memory ThreeHourShow(const std::string& path)
{
    const int64_t before = StatusKiB("VmRSS:");
    DiskReader reader;
    auto streams = OpenFour(reader, path);
    std::vector<float> out(kBlock * 2);
    for (auto& s : streams) {
        WaitReady(*s, kBlock);
        std::vector<int64_t> cues;
        for (int i = 1; i <= 16; ++i)
            cues.push_back(s->Length() / 17 * i);
        s->SetCuePoints(cues);
    }
    for (auto& s : streams) {
        while (!s->IsCueReady(s->Length() / 17 * 16))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        for (int jump = 0; jump < 16; ++jump) {
            s->Jump(s->Length() / 17 * (jump + 1));
            for (int b = 0; b < 100; ++b) {
                WaitReady(*s, kBlock);
                s->Pull(out.data(), kBlock);
            }
        }
    }
    const int64_t after = StatusKiB("VmRSS:");
    return {after / 1024.0, (after - before) / 1024.0};
}

} // namespace

int main(int argc, char** argv)
{
    int repetitions = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--repetitions=", 14) == 0)
            repetitions = std::max(1, std::atoi(argv[i] + 14));
    }
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "corvane-bench-stem-stream";
    std::filesystem::create_directories(dir);
    const std::string wav = (dir / "music48.wav").string();
    const std::string flac = (dir / "music44.flac").string();
    const std::string longWav = (dir / "three-hours.wav").string();
    WriteMusic(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_24, kRate, 60);
    WriteMusic(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 60);
    WriteSparseWav(longWav, kRate, int64_t(3) * 3600 * kRate);

    std::vector<double> renderWav, renderFlac, readerWav, readerFlac, catchWav50, catchWav99, catchFlac50, catchFlac99;
    std::vector<double> resident, growth;
    for (int r = 0; r < repetitions; ++r) {
        renderWav.push_back(RenderMicroseconds(wav));
        renderFlac.push_back(RenderMicroseconds(flac));
        readerWav.push_back(ReaderPercent(wav, 30));
        readerFlac.push_back(ReaderPercent(flac, 30));
        const auto cw = CatchUpMilliseconds(wav);
        const auto cf = CatchUpMilliseconds(flac);
        catchWav50.push_back(Percentile(cw, 0.5));
        catchWav99.push_back(Percentile(cw, 0.99));
        catchFlac50.push_back(Percentile(cf, 0.5));
        catchFlac99.push_back(Percentile(cf, 0.99));
        const Memory m = ThreeHourShow(longWav);
        resident.push_back(m.residentMiB);
        growth.push_back(m.growthMiB);
    }
    const double blockMicros = 1e6 * double(kBlock) / kRate;
    std::printf("medians of %d repetitions, 4 stems, 48 kHz output, %lld-frame blocks\n", repetitions,
                (long long)kBlock);
    std::printf("render Pull, 4 stems:        WAV 48k %.2f us (%.3f %% of the block), FLAC 44.1k %.2f us (%.3f %%)\n",
                Median(renderWav), 100 * Median(renderWav) / blockMicros, Median(renderFlac),
                100 * Median(renderFlac) / blockMicros);
    std::printf("disk reader, 4 stems:        WAV 48k %.2f %% of a core, FLAC 44.1k->48k %.2f %%\n", Median(readerWav),
                Median(readerFlac));
    std::printf("catch-up after a jump:       WAV p50 %.3f ms p99 %.3f ms, FLAC 44.1k p50 %.3f ms p99 %.3f ms\n",
                Median(catchWav50), Median(catchWav99), Median(catchFlac50), Median(catchFlac99));
    std::printf("4 stems of 3 h, 16 cues each: resident %.1f MiB (process), %.1f MiB for the streams\n",
                Median(resident), Median(growth));
    std::filesystem::remove_all(dir);
    return 0;
}

// The render graph's CPU at a 48 kHz output: 4 stereo stems and the click, played by the
// playback core through ShowRender in 512-frame blocks:
//   taskset -c 0,1 bench_show_render [--repetitions=5]
// - without stretch (every stretcher bypassed);
// - with a tempo scale of 0.8 on the whole song (all 4 stems stretched);
// - with a transposition of +2 on the whole song (all 4 stems pitch-shifted).
// The figure is the render thread's CPU time in Render (thread CPU clock) per second of sound,
// as % of one core, with the stems' rings filled ahead so the disk reader (another thread,
// not counted) never holds the render up. Each figure is the median of the repetitions; p99
// and worst are the CPU time of one Render call (the first block after Play included, where
// the stretchers are primed).
#include "ShowRender.h"

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace zarn::audio;
using namespace zarn::player;

namespace {

constexpr int kRate = 48000;
constexpr int kBlock = 512;
constexpr double kSeconds = 30.0;

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

double ThreadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// A mix of tones and a little noise, different for each stem.
void WriteMusic(const std::string& path, int seed, double seconds)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    std::mt19937 random{unsigned(seed)};
    std::uniform_real_distribution<float> noise(-0.05f, 0.05f);
    const double a = 110.0 * (seed + 1), b = a * 1.5;
    std::vector<float> chunk(size_t(kRate) * 2);
    for (int64_t at = 0; at < int64_t(seconds * kRate); at += kRate) {
        for (int64_t i = 0; i < kRate; ++i) {
            const double t = double(at + i) / kRate;
            chunk[size_t(i * 2)] = float(0.3 * std::sin(2 * M_PI * a * t) + 0.2 * std::sin(2 * M_PI * b * t)) + noise(random);
            chunk[size_t(i * 2 + 1)] = float(0.3 * std::sin(2 * M_PI * b * t) + 0.2 * std::sin(2 * M_PI * a * t)) + noise(random);
        }
        sf_writef_float(file, chunk.data(), kRate);
    }
    sf_close(file);
}

struct Run
{
    double percent = 0.0;
    double p99Ms = 0.0;
    double worstMs = 0.0;
};

Run RenderOnce(const std::string& folder, const std::vector<FlowEvent>& events)
{
    auto show = std::make_shared<const ShowDefinition>(ShowDefinition::Parse(
        R"({"format":"1.0","showId":"bench","songs":[{"number":"1","title":"Bench","startTick":0,"lengthTicks":48000,)"
        R"("stems":[{"file":"stem1.wav"},{"file":"stem2.wav"},{"file":"stem3.wav"},{"file":"stem4.wav"}]}]})",
        "bench show"));
    PlaybackCore core(show);
    core.SetFlow(FlowSnapshot::Build(*show, {{"1", events}}, {}));
    ShowRenderSettings settings;
    settings.sampleRate = kRate;
    settings.waitForDisk = true;
    settings.stream.readAheadSeconds = kSeconds + 5.0;
    ShowRender render(core, folder, settings);
    render.Prepare();
    while (!render.Ready())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::seconds(2)); // the rings fill
    core.Play();
    core.TakeOutput();
    render.Prepare();

    std::vector<float> mix(kBlock * 2), click(kBlock * 2);
    RenderTargets targets;
    targets.click = click.data();
    for (int i = 0; i < 4; ++i)
        targets.stems[size_t(i)] = mix.data();
    double cpu = 0.0;
    std::vector<double> blocks;
    for (int64_t at = 0; at < int64_t(kSeconds * kRate); at += kBlock) {
        std::fill(mix.begin(), mix.end(), 0.0f);
        std::fill(click.begin(), click.end(), 0.0f);
        const double start = ThreadCpuSeconds();
        render.Render(kBlock, targets);
        const double spent = ThreadCpuSeconds() - start;
        cpu += spent;
        blocks.push_back(1000.0 * spent);
        core.TakeOutput();
    }
    if (render.UnderrunFrames() > 0)
        std::fprintf(stderr, "warning: %lld frames played as silence for want of disk\n", (long long)render.UnderrunFrames());
    std::sort(blocks.begin(), blocks.end());
    return {100.0 * cpu / kSeconds, blocks[blocks.size() * 99 / 100], blocks.back()};
}

FlowEvent Range(char code, double scale, int semitones)
{
    FlowEvent e;
    e.code = code;
    e.id = "R1";
    e.start = 0;
    e.end = 48000;
    e.floatValue = scale;
    e.intValue = semitones;
    return e;
}

} // namespace

int main(int argc, char** argv)
{
    int repetitions = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--repetitions=", 14) == 0)
            repetitions = std::max(1, std::atoi(argv[i] + 14));
    }
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "corvane-bench-show-render";
    std::filesystem::create_directories(dir);
    for (int i = 0; i < 4; ++i)
        WriteMusic((dir / ("stem" + std::to_string(i + 1) + ".wav")).string(), i, kSeconds + 5.0);

    struct Case
    {
        const char* name;
        std::vector<FlowEvent> events;
        std::vector<double> percent, p99, worst;
    };
    std::vector<Case> cases{{"no stretch", {}, {}, {}, {}},
                            {"tempo scale 0.8", {Range('D', 0.8, 0)}, {}, {}, {}},
                            {"transposition +2", {Range('C', 0.0, 2)}, {}, {}, {}}};
    for (int r = 0; r < repetitions; ++r) {
        for (auto& c : cases) {
            const Run run = RenderOnce(dir.string(), c.events);
            c.percent.push_back(run.percent);
            c.p99.push_back(run.p99Ms);
            c.worst.push_back(run.worstMs);
        }
    }
    std::printf("medians of %d repetitions: 4 stereo stems and the click, 48 kHz, %d-frame blocks (%.2f ms)\n",
                repetitions, kBlock, 1000.0 * kBlock / kRate);
    for (const auto& c : cases)
        std::printf("%-18s render %.2f %% of one core; a block's CPU: p99 %.3f ms, worst %.3f ms\n", c.name,
                    Median(c.percent), Median(c.p99), Median(c.worst));
    std::filesystem::remove_all(dir);
    return 0;
}

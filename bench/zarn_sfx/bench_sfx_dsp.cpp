// CPU the render thread spends per second of sound at 48 kHz, as a percentage of one core:
//   taskset -c 0,1 bench_sfx_dsp --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// - four stereo stems, each through its own Stretcher, mixed (tempo 0.8; bypassed at tempo
//   1; transposed +2), and the worst 512-frame block;
// - the block in which four stems start stretching unprimed, and the worst block when the
//   same change is scheduled ahead (primed early, a piece at a time);
// - the click alone (4/4 at 120 with an eighth-note click range).
// Stems are synthetic music (a few harmonic voices with vibrato, noise bursts as hits),
// precomputed, so the figures are the pieces' own.
#include "ClickSynth.h"
#include "Stretcher.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <memory>
#include <random>
#include <vector>

namespace {

using namespace zarn::audio;

constexpr int kRate = 48000;
constexpr int kBlock = 512;
constexpr int kStems = 4;
constexpr int kSecondsPerIteration = 5;

double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Ten seconds of a stem, looped.
std::vector<float> MakeStem(int seed)
{
    std::mt19937 random(static_cast<unsigned>(seed));
    std::normal_distribution<float> noise(0.0f, 0.2f);
    const int frames = 10 * kRate;
    std::vector<float> stem(static_cast<size_t>(frames * 2));
    const double base = 110.0 * (1 + seed);
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        double s = 0.0;
        for (int h = 1; h <= 6; ++h)
            s += 0.12 / h * std::sin(2.0 * M_PI * base * h * t + 0.3 * std::sin(2.0 * M_PI * 5.0 * t));
        const double hit = std::fmod(t, 0.5) < 0.03 ? noise(random) * std::exp(-std::fmod(t, 0.5) * 80.0) : 0.0;
        stem[static_cast<size_t>(2 * i)] = static_cast<float>(s + hit);
        stem[static_cast<size_t>(2 * i + 1)] = static_cast<float>(0.9 * s - hit);
    }
    return stem;
}

struct StemSource
{
    const std::vector<float>* stem = nullptr;
    size_t position = 0;

    void operator()(float* out, int frames)
    {
        const size_t length = stem->size() / 2;
        for (int i = 0; i < frames; ++i) {
            out[2 * i] = (*stem)[2 * position];
            out[2 * i + 1] = (*stem)[2 * position + 1];
            position = (position + 1) % length;
        }
    }
};

void Stems(benchmark::State& state, double tempo, double semitones)
{
    std::vector<std::vector<float>> stems;
    std::vector<std::unique_ptr<Stretcher>> stretchers;
    std::vector<StemSource> sources;
    for (int i = 0; i < kStems; ++i) {
        stems.push_back(MakeStem(i));
        stretchers.push_back(std::make_unique<Stretcher>(kRate));
        stretchers.back()->SetTempo(tempo);
        stretchers.back()->SetPitch(semitones);
    }
    for (int i = 0; i < kStems; ++i)
        sources.push_back({&stems[static_cast<size_t>(i)]});
    std::vector<float> mix(kBlock * 2), block(kBlock * 2);
    auto render = [&] {
        std::fill(mix.begin(), mix.end(), 0.0f);
        for (int i = 0; i < kStems; ++i) {
            stretchers[static_cast<size_t>(i)]->Process(block.data(), kBlock, sources[static_cast<size_t>(i)]);
            for (size_t k = 0; k < block.size(); ++k)
                mix[k] += block[k];
        }
        benchmark::DoNotOptimize(mix.data());
    };
    for (int i = 0; i < kRate / kBlock; ++i) // a second to prime and settle
        render();

    const int blocks = kSecondsPerIteration * kRate / kBlock;
    double cpu = 0.0, worst = 0.0;
    for (auto _ : state) {
        for (int b = 0; b < blocks; ++b) {
            const double start = ThreadCpuSeconds();
            render();
            const double spent = ThreadCpuSeconds() - start;
            cpu += spent;
            worst = std::max(worst, spent);
        }
    }
    const double audio = static_cast<double>(state.iterations()) * blocks * kBlock / kRate;
    state.counters["core_pct"] = 100.0 * cpu / audio;
    state.counters["worst_block_ms"] = worst * 1e3;
}

std::vector<std::vector<float>> MakeStems()
{
    std::vector<std::vector<float>> stems;
    for (int i = 0; i < kStems; ++i)
        stems.push_back(MakeStem(i));
    return stems;
}

// Each stem through a fresh stretcher, bypassed and warmed on 20 blocks.
struct WarmStretchers
{
    WarmStretchers(const std::vector<std::vector<float>>& stems, std::vector<float>& block)
    {
        for (const std::vector<float>& stem : stems) {
            stretchers.push_back(std::make_unique<Stretcher>(kRate));
            sources.push_back({&stem});
            for (int b = 0; b < 20; ++b)
                stretchers.back()->Process(block.data(), kBlock, sources.back());
        }
    }

    void Process(std::vector<float>& block)
    {
        for (size_t i = 0; i < stretchers.size(); ++i)
            stretchers[i]->Process(block.data(), kBlock, sources[i]);
    }

    std::vector<std::unique_ptr<Stretcher>> stretchers;
    std::vector<StemSource> sources;
};

// The block in which four bypassed stems start stretching at once, set as it comes (no
// pre-roll): priming and the first output cost there. Scheduled changes prime up to 100 ms
// ahead instead, one stem's priming per block at most when they fall in different blocks.
void Enter(benchmark::State& state, double tempo, double semitones)
{
    const std::vector<std::vector<float>> stems = MakeStems();
    std::vector<float> block(kBlock * 2);
    double worst = 0.0, total = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        WarmStretchers warm(stems, block);
        state.ResumeTiming();
        const double start = ThreadCpuSeconds();
        for (auto& stretcher : warm.stretchers) {
            stretcher->SetTempo(tempo);
            stretcher->SetPitch(semitones);
        }
        warm.Process(block);
        const double spent = ThreadCpuSeconds() - start;
        worst = std::max(worst, spent);
        total += spent;
    }
    state.counters["block_ms"] = total / static_cast<double>(state.iterations()) * 1e3;
    state.counters["worst_block_ms"] = worst * 1e3;
}

// The same change scheduled 0.5 s ahead: the worst block from the schedule to well past the
// change.
void EnterScheduled(benchmark::State& state, double tempo, double semitones)
{
    const std::vector<std::vector<float>> stems = MakeStems();
    std::vector<float> block(kBlock * 2);
    double worst = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        WarmStretchers warm(stems, block);
        for (auto& stretcher : warm.stretchers)
            stretcher->ScheduleChange(20 * kBlock + kRate / 2, tempo, semitones);
        state.ResumeTiming();
        for (int b = 0; b < kRate / kBlock; ++b) {
            const double start = ThreadCpuSeconds();
            warm.Process(block);
            worst = std::max(worst, ThreadCpuSeconds() - start);
        }
    }
    state.counters["worst_block_ms"] = worst * 1e3;
}

void BM_EnterTempo08(benchmark::State& state) { Enter(state, 0.8, 0.0); }
void BM_EnterScheduledTempo08(benchmark::State& state) { EnterScheduled(state, 0.8, 0.0); }
void BM_EnterScheduledPitchUp2(benchmark::State& state) { EnterScheduled(state, 1.0, 2.0); }
void BM_EnterPitchUp2(benchmark::State& state) { Enter(state, 1.0, 2.0); }

void BM_StemsTempo08(benchmark::State& state) { Stems(state, 0.8, 0.0); }
void BM_StemsBypassed(benchmark::State& state) { Stems(state, 1.0, 0.0); }
void BM_StemsPitchUp2(benchmark::State& state) { Stems(state, 1.0, 2.0); }

void BM_Click(benchmark::State& state)
{
    std::vector<ClickBeat> beats;
    for (uint32_t tick = 0; tick < 1920u * 400; tick += 240)
        beats.push_back({tick, tick % 1920 == 0});
    ClickSynth click(kRate);
    click.SetGrid(std::move(beats));
    const double step = 960.0 / kRate; // 120 bpm
    std::vector<float> out(kBlock * 2);
    double tick = 0.0, cpu = 0.0;
    const int blocks = kSecondsPerIteration * kRate / kBlock;
    for (auto _ : state) {
        const double start = ThreadCpuSeconds();
        for (int b = 0; b < blocks; ++b) {
            std::fill(out.begin(), out.end(), 0.0f);
            click.Render(out.data(), kBlock, tick, step, 0.5f);
            tick += kBlock * step;
            benchmark::DoNotOptimize(out.data());
        }
        cpu += ThreadCpuSeconds() - start;
    }
    const double audio = static_cast<double>(state.iterations()) * blocks * kBlock / kRate;
    state.counters["core_pct"] = 100.0 * cpu / audio;
}

} // namespace

BENCHMARK(BM_StemsTempo08)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_StemsBypassed)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_StemsPitchUp2)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_EnterTempo08)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_EnterPitchUp2)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_EnterScheduledTempo08)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_EnterScheduledPitchUp2)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_Click)->Unit(benchmark::kMillisecond)->MinTime(0.5);

BENCHMARK_MAIN();

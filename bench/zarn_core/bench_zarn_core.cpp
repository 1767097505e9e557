// Change-log load and save, and editor operations, on a log of 5,000 events over 40 songs.
// Reports the median of several repetitions:
//   bench_zarn_core --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include "zarn_core/Caesura.h"
#include "zarn_core/ChangeLogFile.h"
#include "zarn_core/Click.h"
#include "zarn_core/Cut.h"
#include "zarn_core/Editor.h"
#include "zarn_core/Marker.h"
#include "zarn_core/Osc.h"
#include "zarn_core/Repeat.h"
#include "zarn_core/TempoScale.h"
#include "zarn_core/Transpose.h"
#include "zarn_core/Vamp.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace {

constexpr int kSongs = 40;
constexpr int kEventsPerSong = 125; // 5,000 in all
constexpr std::uint32_t kBar = 1920;

CL::ChangeLogData BigLog()
{
    CL::ChangeLogData data;
    data.version = cmn::ZARNVersion(12, 3);
    data.modified = 1700000000;
    data.networks.push_back(CL::NetworkPath("NETWORK0", "Lights", "127.0.0.1", 53000));
    for (int s = 1; s <= kSongs; ++s) {
        const std::string song = std::to_string(s);
        CL::SongLog& log = data.songs[song];
        for (int i = 0; i < kEventsPerSong; ++i) {
            const std::uint32_t start = static_cast<std::uint32_t>(i) * kBar;
            const std::string id = "S" + song + "_" + std::to_string(i);
            switch (i % 8) {
            case 0: log.Insert(CL::Marker(start, "Letter " + std::to_string(i), "E" + id)); break;
            case 1: log.Insert(CL::Vamp(start, start + kBar, "V" + id, 2)); break;
            case 2: log.Insert(CL::Cut(start, start + kBar, "B" + id, 0)); break;
            case 3: log.Insert(CL::Click(start, start + kBar, "L" + id, 8)); break;
            case 4: log.Insert(CL::TempoScale(start, start + kBar, "T" + id, 1.25)); break;
            case 5: log.Insert(CL::Osc(start, "S" + id, {"/cue/" + std::to_string(i) + "/go", "NETWORK0"})); break;
            case 6: log.Insert(CL::Repeat(start, start + kBar, "A" + id, 2)); break;
            default: log.Insert(CL::Caesura(start, "N" + id, 0)); break;
            }
        }
    }
    return data;
}

std::filesystem::path BenchFile()
{
    return std::filesystem::temp_directory_path() / "bench_zarn_core-12.3.logdata";
}

template <class F>
void Timed(benchmark::State& state, F&& f)
{
    const auto begin = std::chrono::steady_clock::now();
    f();
    const auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
}

void BM_Load(benchmark::State& state)
{
    CL::ChangeLogFile::Save(BigLog(), BenchFile());
    for (auto _ : state) {
        auto result = CL::ChangeLogFile::Load(BenchFile());
        benchmark::DoNotOptimize(result);
    }
}

void BM_Save(benchmark::State& state)
{
    const CL::ChangeLogData data = BigLog();
    for (auto _ : state)
        CL::ChangeLogFile::Save(data, BenchFile());
}

CL::Editor BigEditor()
{
    CL::Editor editor(BigLog());
    editor.SelectSongLogForEditing("20");
    return editor;
}

void BM_Add(benchmark::State& state)
{
    CL::Editor editor = BigEditor();
    std::uint32_t tick = 1;
    for (auto _ : state) {
        const CL::Marker marker(tick, "New", "Enew" + std::to_string(tick));
        Timed(state, [&] { editor.AddEvent(marker); });
        ++tick;
    }
}

void BM_Move(benchmark::State& state)
{
    CL::Editor editor = BigEditor();
    const CL::Vamp vamp(57 * kBar, 58 * kBar, "VS20_57", 2);
    bool there = false;
    for (auto _ : state) {
        const std::uint32_t start = there ? 57 * kBar : 57 * kBar + 480;
        Timed(state, [&] { editor.EditEventStartEndValues(vamp, start, start + kBar, false, false); });
        there = !there;
    }
}

void BM_ValueEdit(benchmark::State& state)
{
    CL::Editor editor = BigEditor();
    const CL::Vamp vamp(57 * kBar, 58 * kBar, "VS20_57", 2);
    int count = 3;
    for (auto _ : state) {
        Timed(state, [&] { editor.EditEventIntValue(vamp, count); });
        count = count == 3 ? 4 : 3;
    }
}

void BM_Delete(benchmark::State& state)
{
    CL::Editor editor = BigEditor();
    const CL::Vamp vamp(57 * kBar, 58 * kBar, "VS20_57", 2);
    for (auto _ : state) {
        Timed(state, [&] { editor.DeleteEvent(vamp); });
        editor.Undo();
    }
}

void BM_Undo(benchmark::State& state)
{
    CL::Editor editor = BigEditor();
    const CL::Vamp vamp(57 * kBar, 58 * kBar, "VS20_57", 2);
    editor.EditEventStartEndValues(vamp, 57 * kBar + 480, 58 * kBar + 480, false, false);
    for (auto _ : state) {
        Timed(state, [&] { editor.Undo(); });
        editor.Redo();
    }
}

void BM_Redo(benchmark::State& state)
{
    CL::Editor editor = BigEditor();
    const CL::Vamp vamp(57 * kBar, 58 * kBar, "VS20_57", 2);
    editor.EditEventStartEndValues(vamp, 57 * kBar + 480, 58 * kBar + 480, false, false);
    for (auto _ : state) {
        editor.Undo();
        Timed(state, [&] { editor.Redo(); });
    }
}

} // namespace

BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Add)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Move)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ValueEdit)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Delete)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Undo)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Redo)->UseManualTime()->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();

// The timeline's figures on a large generated show, driven as the main window drives it:
//   bench_timeline --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// The show has two songs of 300 bars of 4/4: song 1 with 200 change-log events, song 2 with
// 500, of every kind. Built once per process, on the real engine (manual clock, no sound).
// - song load: engine load, the controller's rebuild of every item and bar line, and the
//   deletion of the previous song's items (alternating between the songs); and its parts
//   alone: the controller's rebuild, the bar lines, their label layout, the deletion;
// - one zoom step above 1.0, and one across 1.0 where the beat lines fade; the bar lines'
//   part of a step alone;
// - the playhead moved within the view, and moved out of it so the view jumps.
// - the edit panel's event list refilled from the engine on song 2, in its own window, up to
//   the visible rows made and their bar texts read.
// Every figure is the time of the step alone (manual time); what the event loop does
// between the steps (rendering, animations) runs untimed.
#include "QuickBenchmarkMain.h"
#include "AudioInterface.h"
#include "BarsBeatsViewController.h"
#include "EventListController.h"
#include "EventListModel.h"
#include "FakeMidiInputBackend.h"
#include "ManualClock.h"
#include "TimelineController.h"
#include "TimelineFixture.h"
#include "zarn_core/ChangeLogData.h"
#include "zarn_core/ChangeLogFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kTicksPerBeat = 480;
constexpr std::uint32_t kTicksPerBar = 4 * kTicksPerBeat;
constexpr std::uint32_t kBars = 300;
constexpr std::uint32_t kSongLength = kBars * kTicksPerBar;

// Two long songs with a few tempo and key changes, so the key and tempo rows hold items too.
const char* kShowJson = R"({"format":"1.0","showId":"bench","ppq":480,
 "songs":[
  {"number":"1","title":"Long One","startTick":0,"lengthTicks":576000,
   "meters":[{"tick":0,"num":4,"den":4}],
   "tempos":[{"tick":0,"bpm":120},{"tick":115200,"bpm":96},{"tick":230400,"bpm":132},{"tick":345600,"bpm":108},{"tick":460800,"bpm":120}],
   "keys":[{"tick":0,"sf":0,"mi":0},{"tick":192000,"sf":-2,"mi":0},{"tick":384000,"sf":1,"mi":1}]},
  {"number":"2","title":"Long Two","startTick":0,"lengthTicks":576000,
   "meters":[{"tick":0,"num":4,"den":4}],
   "tempos":[{"tick":0,"bpm":140},{"tick":192000,"bpm":112},{"tick":384000,"bpm":150}],
   "keys":[{"tick":0,"sf":-3,"mi":0},{"tick":288000,"sf":2,"mi":0}]}],
 "pages":[{"page":1,"song":"1","tick":0},{"page":2,"song":"2","tick":0}],
 "outputPaths":[{"id":"main","name":"Main"}]})";

std::uint32_t BeatFloor(std::uint32_t tick)
{
    return tick / kTicksPerBeat * kTicksPerBeat;
}

// `count` events spread evenly over the song from bar 2 to the last bar but one; a range
// takes about half the distance to the next one, so the ranges of a row never overlap.
struct Spread
{
    std::uint32_t count;
    std::uint32_t Start(std::uint32_t i) const
    {
        const std::uint64_t span = kSongLength - 2 * kTicksPerBar;
        return BeatFloor(kTicksPerBar + static_cast<std::uint32_t>(span * i / count));
    }
    std::uint32_t Length() const
    {
        const std::uint32_t half = BeatFloor((kSongLength - 2 * kTicksPerBar) / count / 2);
        return std::max(kTicksPerBeat, half);
    }
};

// A tenth of the events of each kind: markers, cues, transpositions, click changes, tempo
// scales, and on the edits row cuts, vamps, repeats, skips and caesuras in turn.
void AddEvents(CL::SongLog& log, std::uint32_t count)
{
    if (count % 10 != 0)
        throw std::logic_error("the event count must be a multiple of ten");
    const std::uint32_t perKind = count / 10;

    const Spread edits{5 * perKind};
    for (std::uint32_t i = 0; i < edits.count; ++i) {
        const std::uint32_t s = edits.Start(i);
        const std::uint32_t e = s + edits.Length();
        const std::string n = std::to_string(i / 5 + 1);
        switch (i % 5) {
        case 0: log.Insert(CL::Cut(s, e, "B" + n, 0)); break;
        case 1: log.Insert(CL::Vamp(s, e, "V" + n, 2)); break;
        case 2: log.Insert(CL::Repeat(s, e, "A" + n, 2)); break;
        case 3: log.Insert(CL::Fermata(s, e, "M" + n, 0)); break;
        default: log.Insert(CL::Caesura(s, "N" + n, 0)); break;
        }
    }

    // Each of these kinds has a row of its own (or shares it only with point items), so
    // every row is spread on its own, shifted so the rows do not line up.
    const Spread row{perKind};
    for (std::uint32_t i = 0; i < perKind; ++i) {
        const std::uint32_t s = row.Start(i);
        const std::string n = std::to_string(i + 1);
        log.Insert(CL::Marker(s, "Letter " + n, "E" + n));
        log.Insert(CL::Osc(s + kTicksPerBeat, "S" + n,
                           CL::OscProperties("/cue/" + n + "/go", "NETWORK0")));
        log.Insert(CL::Transpose(s, s + row.Length(), "C" + n, i % 2 ? -2 : 3));
        log.Insert(CL::Click(s + kTicksPerBar, s + kTicksPerBar + row.Length(), "L" + n, 8));
        log.Insert(CL::TempoScale(s + 2 * kTicksPerBeat, s + 2 * kTicksPerBeat + row.Length(),
                                  "T" + n, i % 2 ? 0.75 : 1.5));
    }
    if (log.EventCount() != count)
        throw std::logic_error("the generated song has " + std::to_string(log.EventCount())
                               + " events, not " + std::to_string(count));
}

// The show on disk, the engine on it and the harness window with the controller.
struct Bench
{
    QTemporaryDir dir;
    std::unique_ptr<TimelineFixture> fixture;
    std::string loaded;

    Bench()
    {
        if (!dir.isValid())
            throw std::runtime_error("no temporary folder");
        const std::string show = dir.filePath("show").toStdString();
        const std::string data = dir.filePath("data").toStdString();
        QDir().mkpath(QString::fromStdString(show));
        std::ofstream(show + "/show.json") << kShowJson;

        CL::ChangeLogData log;
        log.version = cmn::ZARNVersion(1, 0);
        log.networks.push_back(CL::NetworkPath("NETWORK0", "Lights", "127.0.0.1", 53000, 0));
        AddEvents(log.songs["1"], 200);
        AddEvents(log.songs["2"], 500);
        CL::ChangeLogFile::Save(log, show + "/bench-1.0.logdata");

        AudioInterface::Options options;
        options.clock = std::make_shared<zarn::player::ManualClock>();
        options.sound = false;
        options.midiInput =
            std::make_unique<zarn::midi::FakeMidiInputBackend>(std::vector<std::string>{});
        auto engine = std::make_shared<AudioInterface>(show, data, nullptr, std::move(options));
        engine->ThrowIfThreadExceptions();
        fixture = std::make_unique<TimelineFixture>(engine);
        fixture->audio = engine.get();
    }

    void Load(const std::string& song)
    {
        fixture->engine->LoadSong(song);
        fixture->controller->OnSongLoaded(song);
        TimelineFixture::FlushDeletes();
        QCoreApplication::processEvents();
        loaded = song;
    }

    // The items the controller put into the rows for the loaded song; the bar lines apart.
    std::size_t RowItemCount() const
    {
        const auto& c = *fixture->controller;
        return c.GetRegionItems().size() + c.GetCaesuraItems().size() + c.GetMarkerItems().size()
            + c.GetKeyItems().size() + c.GetTempoItems().size() + c.GetMeterItems().size()
            + c.GetGlyphItems().size();
    }
    std::size_t BarLineCount() const { return fixture->controller->GetBarsBeatsView()->GetItems().size(); }

    // The edit panel's event list on the harness page, with the controller the fixture made
    // as the edit controller would, over the timeline's engine and edit model.
    QQuickItem* list = nullptr;

    zarn::qt::EventListController& EventList()
    {
        if (!list) {
            list = fixture->PanelPart("eventListControl")->findChild<QQuickItem*>(QStringLiteral("list"));
            if (!list)
                throw std::runtime_error("the event list holds no list");
        }
        return *fixture->eventList;
    }

    // The row delegates the list holds now (the visible ones and its cache).
    int RowItemsMade() const
    {
        int made = 0;
        for (int row = 0;; ++row) {
            QQuickItem* delegate = nullptr;
            QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, delegate), Q_ARG(int, row));
            if (!delegate)
                return made;
            ++made;
        }
    }

    int ViewStart() const { return fixture->timeline->property("viewStart").toInt(); }
    int ViewEnd() const { return fixture->timeline->property("viewEnd").toInt(); }
};

std::unique_ptr<Bench> g_bench;

Bench& TheBench()
{
    if (!g_bench)
        g_bench = std::make_unique<Bench>();
    return *g_bench;
}

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

const char* SongOf(const benchmark::State& state)
{
    return state.range(0) == 1 ? "1" : "2";
}

// Alternates between the songs. Besides the total, the parts as counters (milliseconds per
// load): the engine's load, the controller's rebuild, the deferred deletion of the old items;
// the totals of each song; and, untimed, what the event loop does right after a load.
void BM_OnSongLoaded(benchmark::State& state)
{
    Bench& b = TheBench();
    std::size_t items[2] = {0, 0};
    std::size_t lines[2] = {0, 0};
    double perSong[2] = {0, 0};
    int loads[2] = {0, 0};
    double engineS = 0, controllerS = 0, deleteS = 0, loopS = 0;
    for (auto _ : state) {
        const std::string song = b.loaded == "1" ? "2" : "1";
        const int which = song == "2";
        const auto t0 = Clock::now();
        b.fixture->engine->LoadSong(song);
        const auto t1 = Clock::now();
        b.fixture->controller->OnSongLoaded(song);
        const auto t2 = Clock::now();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const auto t3 = Clock::now();
        state.SetIterationTime(Seconds(t3 - t0));
        b.loaded = song;
        engineS += Seconds(t1 - t0);
        controllerS += Seconds(t2 - t1);
        deleteS += Seconds(t3 - t2);
        perSong[which] += Seconds(t3 - t0);
        ++loads[which];
        items[which] = b.RowItemCount();
        lines[which] = b.BarLineCount();
        // What the event loop would do before the next load: render the new song.
        const auto t4 = Clock::now();
        QCoreApplication::processEvents();
        loopS += Seconds(Clock::now() - t4);
    }
    const double n = double(state.iterations());
    state.counters["engine_ms"] = 1e3 * engineS / n;
    state.counters["controller_ms"] = 1e3 * controllerS / n;
    state.counters["delete_ms"] = 1e3 * deleteS / n;
    state.counters["loop_after_ms"] = 1e3 * loopS / n;
    for (int i = 0; i < 2; ++i) {
        const std::string suffix = i ? "song2" : "song1";
        if (loads[i])
            state.counters["total_ms_" + suffix] = 1e3 * perSong[i] / loads[i];
        state.counters["items_" + suffix] = double(items[i]);
        state.counters["lines_" + suffix] = double(lines[i]);
    }
}
BENCHMARK(BM_OnSongLoaded)->MinTime(2.0)->UseManualTime()->Unit(benchmark::kMillisecond);

// The parts of a song load on the loaded song, each alone.

// The controller's rebuild of rows and bar lines without the engine's load: the song's
// items released, made again, labels laid out. The deletion runs untimed.
void BM_LoadPart_Refresh(benchmark::State& state)
{
    Bench& b = TheBench();
    b.Load(SongOf(state));
    for (auto _ : state) {
        const auto t0 = Clock::now();
        b.fixture->controller->Refresh();
        state.SetIterationTime(Seconds(Clock::now() - t0));
        TimelineFixture::FlushDeletes();
    }
}
BENCHMARK(BM_LoadPart_Refresh)->Arg(1)->Arg(2)->ArgName("song")->UseManualTime()->Unit(benchmark::kMillisecond);

// The bar lines alone: the old ones released, every line made, the labels laid out.
void BM_LoadPart_BarLines(benchmark::State& state)
{
    Bench& b = TheBench();
    b.Load(SongOf(state));
    for (auto _ : state) {
        const auto t0 = Clock::now();
        b.fixture->controller->GetBarsBeatsView()->Rebuild();
        state.SetIterationTime(Seconds(Clock::now() - t0));
        TimelineFixture::FlushDeletes();
    }
    state.counters["lines"] = double(b.BarLineCount());
}
BENCHMARK(BM_LoadPart_BarLines)->Arg(1)->Arg(2)->ArgName("song")->UseManualTime()->Unit(benchmark::kMillisecond);

// The label layout over the bar lines as a load does it (immediate: no fades), and as a
// zoom step does it (fading).
void BM_LoadPart_LayoutLabels(benchmark::State& state)
{
    Bench& b = TheBench();
    b.Load(SongOf(state));
    const bool immediate = state.range(1) != 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        b.fixture->controller->GetBarsBeatsView()->LayoutLabels(immediate);
        state.SetIterationTime(Seconds(Clock::now() - t0));
    }
}
BENCHMARK(BM_LoadPart_LayoutLabels)->Args({1, 1})->Args({2, 1})->Args({1, 0})->Args({2, 0})
    ->ArgNames({"song", "immediate"})->UseManualTime()->Unit(benchmark::kMillisecond);

// The deferred deletion of one song's items and bar lines.
void BM_LoadPart_Delete(benchmark::State& state)
{
    Bench& b = TheBench();
    b.Load(SongOf(state));
    for (auto _ : state) {
        b.fixture->controller->Refresh();
        const auto t0 = Clock::now();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.SetIterationTime(Seconds(Clock::now() - t0));
    }
}
BENCHMARK(BM_LoadPart_Delete)->Arg(1)->Arg(2)->ArgName("song")->UseManualTime()->Unit(benchmark::kMillisecond);

// A zoom step as the zoom buttons make it without animation; the view follows through
// the timeline's scale signal.
void ZoomBetween(benchmark::State& state, double from, double to, bool timeBoth)
{
    Bench& b = TheBench();
    b.Load(SongOf(state));
    QQuickItem* timeline = b.fixture->timeline;
    timeline->setProperty("viewScale", from);
    QCoreApplication::processEvents();
    bool forward = true;
    for (auto _ : state) {
        const double target = forward ? to : from;
        const auto t0 = Clock::now();
        timeline->setProperty("viewScale", target);
        state.SetIterationTime(Seconds(Clock::now() - t0));
        if (timeBoth)
            forward = !forward;
        else
            timeline->setProperty("viewScale", from);
        QCoreApplication::processEvents();
    }
    if (b.fixture->controller->GetViewScale() != timeline->property("viewScale").toDouble())
        state.SkipWithError("the controller did not follow the view scale");
    timeline->setProperty("viewScale", 1.0);
    QCoreApplication::processEvents();
}

void BM_ZoomStep(benchmark::State& state)
{
    ZoomBetween(state, 1.0, 1.1, false);
}
BENCHMARK(BM_ZoomStep)->Arg(1)->Arg(2)->ArgName("song")->UseManualTime()->Unit(benchmark::kMillisecond);

// Below 1.0 the beat lines fade out, above it they fade back in: both directions timed.
void BM_ZoomAcrossOne(benchmark::State& state)
{
    ZoomBetween(state, 1.0, 0.9, true);
}
BENCHMARK(BM_ZoomAcrossOne)->Arg(1)->Arg(2)->ArgName("song")->UseManualTime()->Unit(benchmark::kMillisecond);

// For comparison with the bar lines' rebuild: as many bar lines made from one component
// shared by all, with the same properties, parent and stacking. The deletion runs untimed.
void BM_Probe_BarLinesSharedComponent(benchmark::State& state)
{
    Bench& b = TheBench();
    b.Load(SongOf(state));
    const auto& lines = b.fixture->controller->GetBarsBeatsView()->GetItems();
    auto* row = qvariant_cast<QQuickItem*>(b.fixture->timeline->property("barsRegion"));
    QQmlEngine* engine = b.fixture->qmlEngine.get();
    std::vector<std::tuple<QString, int, bool>> specs;
    for (const auto& line : lines)
        specs.emplace_back(line->GetLabel(), line->GetQmlObject()->property("basePos").toInt(), line->IsBar());
    std::vector<QObject*> made;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        QQmlComponent component(engine, QUrl(QStringLiteral(
            "qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/TimeBar.qml")));
        int z = 0;
        for (const auto& [label, pos, isBar] : specs) {
            QObject* object = component.beginCreate(engine->rootContext());
            object->setParent(row);
            auto* item = qobject_cast<QQuickItem*>(object);
            item->setParentItem(row);
            component.completeCreate();
            object->setProperty("basePos", pos);
            object->setProperty("barLabel", label);
            object->setProperty("isBar", isBar);
            item->setZ(z--);
            made.push_back(object);
        }
        state.SetIterationTime(Seconds(Clock::now() - t0));
        for (QObject* object : made)
            object->deleteLater();
        made.clear();
        TimelineFixture::FlushDeletes();
    }
    state.counters["lines"] = double(specs.size());
}
BENCHMARK(BM_Probe_BarLinesSharedComponent)->Arg(1)->Arg(2)->ArgName("song")->UseManualTime()->Unit(benchmark::kMillisecond);

// The bar lines' part of a zoom step alone: every line rescaled, the labels laid out with fades.
void BM_ZoomStep_BarLines(benchmark::State& state)
{
    Bench& b = TheBench();
    b.Load(SongOf(state));
    zarn::qt::BarsBeatsViewController* bars = b.fixture->controller->GetBarsBeatsView();
    for (auto _ : state) {
        const auto t0 = Clock::now();
        bars->SetViewScale(1.1, false);
        state.SetIterationTime(Seconds(Clock::now() - t0));
        bars->SetViewScale(1.0, false);
        QCoreApplication::processEvents();
    }
    b.Load(SongOf(state));
}
BENCHMARK(BM_ZoomStep_BarLines)->Arg(1)->Arg(2)->ArgName("song")->UseManualTime()->Unit(benchmark::kMillisecond);

// The playhead as the engine's position notices move it. Inside: two ticks within the view,
// which must not move. Outside: two ticks far apart, each beyond the view the other left,
// so every call scrolls.
void SetPlayheadBetween(benchmark::State& state, bool inside)
{
    Bench& b = TheBench();
    b.Load(SongOf(state));
    b.fixture->controller->SetPlayhead(0);
    QCoreApplication::processEvents();
    const int viewStart = b.ViewStart();
    const int span = b.ViewEnd() - viewStart;
    int ticks[2];
    if (inside) {
        ticks[0] = (viewStart + span / 4) * 25;
        ticks[1] = (viewStart + 3 * span / 4) * 25;
    } else {
        ticks[0] = int(kSongLength / 6);
        ticks[1] = int(kSongLength * 2 / 3);
        if (ticks[1] - ticks[0] <= span * 25)
            state.SkipWithError("the view is wider than the jump");
    }
    std::size_t i = 0;
    for (auto _ : state) {
        const int tick = ticks[i++ % 2];
        const auto t0 = Clock::now();
        b.fixture->controller->SetPlayhead(tick);
        state.SetIterationTime(Seconds(Clock::now() - t0));
        // Now and then what a frame would do; the step itself is too short to render after each.
        if (i % 64 == 0)
            QCoreApplication::processEvents();
    }
    const int last = ticks[(i + 1) % 2];
    if (inside && b.ViewStart() != viewStart)
        state.SkipWithError("the view moved for a playhead inside it");
    if (!inside && i > 0 && b.ViewStart() != last / 25)
        state.SkipWithError("the view did not follow the playhead");
}

void BM_SetPlayheadInView(benchmark::State& state)
{
    SetPlayheadBetween(state, true);
}
BENCHMARK(BM_SetPlayheadInView)->Arg(1)->Arg(2)->ArgName("song")->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_SetPlayheadOutOfView(benchmark::State& state)
{
    SetPlayheadBetween(state, false);
}
BENCHMARK(BM_SetPlayheadOutOfView)->Arg(1)->Arg(2)->ArgName("song")->UseManualTime()->Unit(benchmark::kMicrosecond);

// The event list's refill after a song load or an edit: the engine's panel events copied,
// their records made, the model reset; then the layout the next frame would do, in which the
// list makes its visible rows and each reads its bar texts from the engine. The event loop
// runs untimed after each refill.
void BM_EventListRefresh(benchmark::State& state)
{
    Bench& b = TheBench();
    b.Load("2");
    zarn::qt::EventListController& controller = b.EventList();
    int madeInStep = -1;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        controller.Refresh();
        b.list->ensurePolished();
        state.SetIterationTime(Seconds(Clock::now() - t0));
        // The rows must be made inside the timed step, not by the event loop after it.
        if (madeInStep < 0)
            madeInStep = b.RowItemsMade();
        QCoreApplication::processEvents();
    }
    const int rows = controller.GetModel()->rowCount();
    if (rows == 0 || madeInStep <= 0)
        state.SkipWithError("the refill made no rows");
    state.counters["rows"] = double(rows);
    state.counters["row_items"] = double(madeInStep);
}
BENCHMARK(BM_EventListRefresh)->Name("EventListController::Refresh")->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunQuickBenchmarks(argc, argv, "bench_timeline", [] { g_bench.reset(); });
}

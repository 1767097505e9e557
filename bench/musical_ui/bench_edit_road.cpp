// An edit's figures, from its request to the end of the page's refresh, on the editing page
// over the demo show, driven as the tools, the edit bar and the menu drive it:
//   bench_edit_road --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// The page is the harness window with the real timeline, lists and edit bar over the real
// engine (manual clock, no sound) on a copy of the demo show, song 1 loaded. Every figure
// runs from the request to the edit controller's UpdateUndoRedoState, the last signal of the
// refresh that follows an edit (the clock stops in a slot on it; it must come exactly once):
// - marker create: the marker tool's OK on a new marker (bar 2, beat 3);
// - marker change: the marker tool's OK on an existing marker, moved and renamed, up to the
//   refresh its valuesUpdated brings;
// - delete: the edit controller's Delete on a selected marker;
// - undo and redo of a marker's creation.
// And the parts of an edit's refresh alone, to see where the time of the figures goes: the
// editor's add, the engine's reload of the log, the edit model's markers, the marker and
// event lists' refills, the timeline's release of its items and rebuild of its bar lines
// (ResetItems), the bar lines alone, and the timeline's full refresh; and the marker
// create taken step by step in the edit controller's order, each step's time a counter.
// Each figure is the time of the step alone (manual time); what sets it up and puts the log
// back (tools opened and released, the undo of the edit, deferred deletions, the event
// loop) runs untimed, so every step starts on the demo's log with an empty history.
#include "QuickBenchmarkMain.h"
#include "BarsBeatsViewController.h"
#include "CaesuraToolController.h"
#include "ClickToolController.h"
#include "EditController.h"
#include "EditModel.h"
#include "EventListController.h"
#include "Interface.h"
#include "MarkerListController.h"
#include "MarkerListModel.h"
#include "MarkerToolController.h"
#include "OscToolController.h"
#include "ShowManager.h"
#include "TempoToolController.h"
#include "TimelineController.h"
#include "TimelineEditController.h"
#include "TimelineFixture.h"
#include "TransposeToolController.h"
#include "zarn_core/Caesura.h"
#include "zarn_core/Editor.h"
#include "zarn_core/Marker.h"
#include "zarn_core/Osc.h"
#include "zarn_core/SongLog.h"
#include "zarn_core/ZarnEventCode.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QJSValue>
#include <QPointer>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using zarn::qt::EditController;
using zarn::qt::MarkerToolController;

// Song 1 of the demo: 4/4 from tick 0, markers "Letter A" (bar 3) and "Letter B" (bar 7).
constexpr std::uint32_t kBar = 1920;
constexpr std::uint32_t kBeat = 480;
constexpr std::uint32_t kNewTick = kBar + 2 * kBeat; // bar 2, beat 3
const char* const kNewText = "Bench";

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// The page on song 1, with a watch on the edit controller's last signal of a refresh.
struct Page
{
    TimelineFixture f;
    int refreshes = 0; // UpdateUndoRedoState signals seen
    Clock::time_point signalled;
    bool canUndo = false;
    bool canRedo = false;

    Page()
    {
        f.LoadSong("1");
        QObject::connect(f.editController.get(), &EditController::UpdateUndoRedoState, f.editController.get(),
                         [this](bool undo, bool redo, bool, bool) {
                             signalled = Clock::now();
                             ++refreshes;
                             canUndo = undo;
                             canRedo = redo;
                         });
        Settle();
        if (Editor().CanUndo())
            throw std::runtime_error("the demo show starts with an edit history");
        demoMarkers = f.editModel->markers.size();
    }

    EditController& Edit() const { return *f.editController; }
    CL::Editor& Editor() const { return *f.engine->GetChangeLogEditor(); }

    // What the event loop would do between two edits: the released items go, the frame runs.
    static void Settle()
    {
        TimelineFixture::FlushDeletes();
        QCoreApplication::processEvents();
        TimelineFixture::FlushDeletes();
    }

    // Back to the demo's log: every edit of the step undone through the edit controller.
    void UndoAll()
    {
        for (int guard = 0; Editor().CanUndo(); ++guard) {
            if (guard == 8)
                throw std::runtime_error("the edit history does not empty");
            Edit().UndoRequested();
        }
        Settle();
    }

    // The new marker, made as a tool's OK makes it.
    void Create()
    {
        Edit().onZarnMakeEvent(CL::Marker(kNewTick, kNewText, "E2.3"));
        Settle();
    }

    // The edit model's (the engine's) marker with that text; null when there is none.
    cmn::ZarnEvent* Marker(const std::string& text) const
    {
        for (cmn::ZarnEvent* marker : f.editModel->markers) {
            if (marker->value() == text)
                return marker;
        }
        return nullptr;
    }

    // The markers as the three views that a marker edit refreshes hold them.
    bool MarkersShown(std::size_t count) const
    {
        return f.editModel->markers.size() == count && f.controller->GetMarkerItems().size() == count
            && f.markerList->GetModel()->rowCount() == static_cast<int>(count);
    }

    // Runs the step with the clock on until the refresh's last signal, which must come once.
    template <class Step>
    bool Timed(benchmark::State& state, Step&& step)
    {
        const int before = refreshes;
        const auto t0 = Clock::now();
        step();
        const auto t1 = Clock::now();
        if (refreshes != before + 1) {
            state.SkipWithError(("the step gave " + std::to_string(refreshes - before)
                                 + " UpdateUndoRedoState signals, not one").c_str());
            return false;
        }
        state.SetIterationTime(Seconds(signalled - t0));
        afterSignal += Seconds(t1 - signalled);
        return true;
    }

    std::size_t demoMarkers = 0;
    double afterSignal = 0; // what the step did after the signal: should be nothing
};

std::unique_ptr<Page> g_page;

Page& ThePage()
{
    if (!g_page)
        g_page = std::make_unique<Page>();
    return *g_page;
}

// Checked untimed after each step; the first failure ends the benchmark.
bool Expect(benchmark::State& state, bool condition, const char* what)
{
    if (!condition)
        state.SkipWithError(what);
    return condition;
}

void Finish(benchmark::State& state, Page& p)
{
    state.counters["after_signal_us"] = state.iterations() ? 1e6 * p.afterSignal / double(state.iterations()) : 0;
    p.afterSignal = 0;
}

// One step of a tool's create or change figure: the tool `opened` untimed, its OK timed up to
// the refresh's last signal, the log checked untimed by `done`; then the tool goes and the log
// is put back. False, with the reason reported, ends the figure.
bool TimedOk(benchmark::State& state, Page& p, zarn::qt::EditToolController* opened,
             const std::function<void(zarn::qt::EditToolController&)>& ok, const std::function<bool()>& done,
             const char* failure)
{
    QPointer<zarn::qt::EditToolController> tool = opened;
    Page::Settle();
    if (!Expect(state, tool && tool->GetQmlObject(), "the tool did not open"))
        return false;
    if (!p.Timed(state, [&] { ok(*tool); }))
        return false;
    const bool logged = done();
    delete tool.data();
    p.UndoAll();
    return Expect(state, logged, failure);
}

// The page on a tool's song for a figure, back on song 1 after it.
struct OnSong
{
    Page& p;
    OnSong(Page& page, const char* song) : p(page)
    {
        p.f.LoadSong(song);
        Page::Settle();
    }
    ~OnSong()
    {
        p.f.LoadSong("1");
        Page::Settle();
    }
};

// A warm tool made and opened for a new event, from its construction to its visible window,
// as the edit panel's button has it: one untimed opening first compiles and caches the
// window's document.
void ToolOpen(benchmark::State& state, char kind, const char* song, std::uint32_t start, std::uint32_t end)
{
    Page& p = ThePage();
    const OnSong on(p, song);
    delete p.f.OpenCreateTool(kind, int(start), int(end));
    Page::Settle();
    for (auto _ : state) {
        const auto t0 = Clock::now();
        QPointer<zarn::qt::EditToolController> tool = p.f.OpenCreateTool(kind, int(start), int(end));
        const bool shown = tool && tool->GetQmlObject() && tool->GetQmlObject()->property("visible").toBool();
        state.SetIterationTime(Seconds(Clock::now() - t0));
        delete tool.data();
        Page::Settle();
        if (!Expect(state, shown, "the tool's window did not show"))
            break;
    }
}

// The event list's event with that id (what the edit bar's Edit opens on); null when there is none.
cmn::ZarnEvent* PanelEvent(const Page& p, const std::string& id)
{
    for (const auto& event : p.f.editModel->panelEvents) {
        if (event->EventId() == id)
            return event.get();
    }
    return nullptr;
}

// ---- the figures ----

void BM_MarkerCreate(benchmark::State& state)
{
    Page& p = ThePage();
    const auto ok = [](zarn::qt::EditToolController& tool) {
        static_cast<MarkerToolController&>(tool).onMarkerCreationRequest(QStringLiteral("2"), 3, kNewText);
    };
    const auto made = [&p] {
        return p.Marker(kNewText) && p.Marker(kNewText)->abs_time() == kNewTick
            && p.MarkersShown(p.demoMarkers + 1) && p.canUndo;
    };
    for (auto _ : state) {
        if (!TimedOk(state, p, p.f.OpenMarkerTool(kNewTick), ok, made, "the tool's OK made no marker at bar 2, beat 3"))
            break;
    }
    Finish(state, p);
}
BENCHMARK(BM_MarkerCreate)->Name("marker create")->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_MarkerChange(benchmark::State& state)
{
    Page& p = ThePage();
    for (auto _ : state) {
        cmn::ZarnEvent* letterA = p.Marker("Letter A");
        if (!Expect(state, letterA, "the demo has no marker \"Letter A\""))
            break;
        // Bar 5, beat 2: between "Letter A" and "Letter B".
        const auto ok = [](zarn::qt::EditToolController& tool) {
            static_cast<MarkerToolController&>(tool).onMarkerChangeRequest(QStringLiteral("5"), 2,
                                                                            QStringLiteral("Renamed"));
        };
        const auto changed = [&p] {
            const cmn::ZarnEvent* renamed = p.Marker("Renamed");
            return renamed && renamed->abs_time() == 4 * kBar + kBeat && !p.Marker("Letter A")
                && p.MarkersShown(p.demoMarkers);
        };
        if (!TimedOk(state, p, p.f.OpenEditTool(letterA), ok, changed,
                     "the tool's OK did not move and rename \"Letter A\""))
            break;
    }
    Finish(state, p);
}
BENCHMARK(BM_MarkerChange)->Name("marker change")->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Delete(benchmark::State& state)
{
    Page& p = ThePage();
    for (auto _ : state) {
        p.Create();
        p.f.editModel->SelectEvent(p.Marker(kNewText));
        if (!Expect(state, p.f.editModel->selectedEvent && p.f.editModel->selectedEvent->value() == kNewText,
                    "the new marker could not be selected"))
            break;
        Page::Settle();
        if (!p.Timed(state, [&] { p.Edit().DeleteRequested(); }))
            break;
        const bool gone = !p.Marker(kNewText) && p.MarkersShown(p.demoMarkers);
        p.UndoAll();
        if (!Expect(state, gone, "Delete left the selected marker"))
            break;
    }
    Finish(state, p);
}
BENCHMARK(BM_Delete)->Name("delete")->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Undo(benchmark::State& state)
{
    Page& p = ThePage();
    for (auto _ : state) {
        p.Create();
        if (!p.Timed(state, [&] { p.Edit().UndoRequested(); }))
            break;
        const bool undone = !p.Marker(kNewText) && p.MarkersShown(p.demoMarkers) && !p.canUndo && p.canRedo;
        Page::Settle();
        if (!Expect(state, undone, "Undo left the new marker"))
            break;
    }
    Finish(state, p);
}
BENCHMARK(BM_Undo)->Name("undo")->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Redo(benchmark::State& state)
{
    Page& p = ThePage();
    for (auto _ : state) {
        p.Create();
        p.UndoAll();
        if (!p.Timed(state, [&] { p.Edit().RedoRequested(); }))
            break;
        const bool redone = p.Marker(kNewText) && p.MarkersShown(p.demoMarkers + 1) && p.canUndo && !p.canRedo;
        p.UndoAll();
        if (!Expect(state, redone, "Redo did not bring the marker back"))
            break;
    }
    Finish(state, p);
}
BENCHMARK(BM_Redo)->Name("redo")->UseManualTime()->Unit(benchmark::kMillisecond);

// ---- where the time of an edit goes ----

// The marker create taken step by step, in the edit controller's order (its make and
// its refresh after an edit, for a marker), with the time of each step as a counter in
// milliseconds. The total should come near the "marker create" figure; if it drifts off, the
// edit controller's steps changed and this copy of them needs following.
void BM_MarkerCreateInSteps(benchmark::State& state)
{
    Page& p = ThePage();
    zarn::qt::TimelineController& timeline = *p.f.controller;
    double reset = 0, add = 0, codes = 0, reload = 0, markerList = 0, refresh = 0, buttons = 0;
    for (auto _ : state) {
        Page::Settle();
        const auto t0 = Clock::now();
        timeline.SuspendAutoScroll(250);
        timeline.ResetItems();
        const auto t1 = Clock::now();
        p.f.showManager->PauseAndGetEditor()->AddEvent(CL::Marker(kNewTick, kNewText, "E2.3"));
        const auto t2 = Clock::now();
        const std::vector<int> edited = p.f.showManager->PauseAndGetEditor()->GetEditedCodes();
        const auto t3 = Clock::now();
        p.Edit().ReloadEditedChangeLog();
        const auto t4 = Clock::now();
        p.f.markerList->Refresh();
        const auto t5 = Clock::now();
        timeline.Refresh();
        const auto t6 = Clock::now();
        const int before = p.refreshes;
        p.f.editBar->RefreshButtonStates();
        const auto t7 = Clock::now();
        state.SetIterationTime(Seconds(t7 - t0));
        reset += Seconds(t1 - t0);
        add += Seconds(t2 - t1);
        codes += Seconds(t3 - t2);
        reload += Seconds(t4 - t3);
        markerList += Seconds(t5 - t4);
        refresh += Seconds(t6 - t5);
        buttons += Seconds(t7 - t6);
        const bool made = edited.size() == 1 && p.refreshes == before + 1 && p.MarkersShown(p.demoMarkers + 1);
        p.UndoAll();
        if (!Expect(state, made, "the steps made no marker"))
            break;
    }
    const double n = state.iterations() ? 1e-3 * double(state.iterations()) : 1;
    state.counters["1_reset_items_ms"] = reset / n;
    state.counters["2_editor_add_ms"] = add / n;
    state.counters["3_edited_codes_ms"] = codes / n;
    state.counters["4_engine_reload_ms"] = reload / n;
    state.counters["5_marker_list_ms"] = markerList / n;
    state.counters["6_timeline_refresh_ms"] = refresh / n;
    state.counters["7_buttons_ms"] = buttons / n;
}
BENCHMARK(BM_MarkerCreateInSteps)->Name("marker create, in steps")->UseManualTime()->Unit(benchmark::kMillisecond);

// ---- the parts of a refresh, each alone ----

// The editor's add of the marker, with the engine paused first as the edit controller does.
// Before it, untimed, the timeline lets go of the log's events as the edit controller has it
// do; after it the undo refreshes the whole page.
void BM_Part_EditorAdd(benchmark::State& state)
{
    Page& p = ThePage();
    for (auto _ : state) {
        p.f.controller->ResetItems();
        const auto t0 = Clock::now();
        p.f.showManager->PauseAndGetEditor()->AddEvent(CL::Marker(kNewTick, kNewText, "E2.3"));
        state.SetIterationTime(Seconds(Clock::now() - t0));
        p.UndoAll();
    }
}
// A fixed count: the add is some microseconds, the undo after it some milliseconds.
BENCHMARK(BM_Part_EditorAdd)->Name("part: editor add")->Iterations(300)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The engine's reload of the edited log (its playback copy); the log is unchanged here,
// which costs the same: the copy is taken whole.
void BM_Part_EngineReload(benchmark::State& state)
{
    Page& p = ThePage();
    for (auto _ : state) {
        const auto t0 = Clock::now();
        p.f.engine->LoadNewChangeLog();
        state.SetIterationTime(Seconds(Clock::now() - t0));
    }
}
BENCHMARK(BM_Part_EngineReload)->Name("part: engine reload")->UseManualTime()->Unit(benchmark::kMicrosecond);

// The edit model's marker pointers taken again after a reload.
void BM_Part_ModelMarkers(benchmark::State& state)
{
    Page& p = ThePage();
    for (auto _ : state) {
        const auto t0 = Clock::now();
        p.f.editModel->GetMarkers();
        state.SetIterationTime(Seconds(Clock::now() - t0));
    }
}
BENCHMARK(BM_Part_ModelMarkers)->Name("part: edit model markers")->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_Part_MarkerList(benchmark::State& state)
{
    Page& p = ThePage();
    for (auto _ : state) {
        const auto t0 = Clock::now();
        p.f.markerList->Refresh();
        state.SetIterationTime(Seconds(Clock::now() - t0));
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_Part_MarkerList)->Name("part: marker list")->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_Part_EventList(benchmark::State& state)
{
    Page& p = ThePage();
    for (auto _ : state) {
        const auto t0 = Clock::now();
        p.f.eventList->Refresh();
        state.SetIterationTime(Seconds(Clock::now() - t0));
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_Part_EventList)->Name("part: event list")->UseManualTime()->Unit(benchmark::kMicrosecond);

// What create and delete do before the editor: the items released, the bar lines made again.
void BM_Part_TimelineResetItems(benchmark::State& state)
{
    Page& p = ThePage();
    for (auto _ : state) {
        const auto t0 = Clock::now();
        p.f.controller->ResetItems();
        state.SetIterationTime(Seconds(Clock::now() - t0));
        p.f.controller->Refresh();
        Page::Settle();
    }
}
BENCHMARK(BM_Part_TimelineResetItems)->Name("part: timeline reset items")->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// Most of ResetItems: the bar lines released and made again. Create and delete pay it twice,
// once before the editor's change and once inside the timeline's refresh.
void BM_Part_BarLines(benchmark::State& state)
{
    Page& p = ThePage();
    for (auto _ : state) {
        const auto t0 = Clock::now();
        p.f.controller->GetBarsBeatsView()->Rebuild();
        state.SetIterationTime(Seconds(Clock::now() - t0));
        Page::Settle();
    }
    state.counters["lines"] = double(p.f.controller->GetBarsBeatsView()->GetItems().size());
}
BENCHMARK(BM_Part_BarLines)->Name("part: timeline bar lines")->UseManualTime()->Unit(benchmark::kMicrosecond);

// The timeline's refresh after every edit: ResetItems and every row's items made again.
void BM_Part_TimelineRefresh(benchmark::State& state)
{
    Page& p = ThePage();
    for (auto _ : state) {
        const auto t0 = Clock::now();
        p.f.controller->Refresh();
        state.SetIterationTime(Seconds(Clock::now() - t0));
        Page::Settle();
    }
}
BENCHMARK(BM_Part_TimelineRefresh)->Name("part: timeline refresh")->UseManualTime()->Unit(benchmark::kMicrosecond);

// ---- the value tools: click resolution, transposition, tempo scale ----
//
// - <kind> create: the tool's OK on a new event over bars 2 to 4 of the demo song that holds
//   the kind (song 2 for clicks, 3 for transpositions, 4 for tempo scales);
// - <kind> change: the tool's OK on the demo's event, its end moved to bar 8 and its value
//   changed, up to the refresh its valuesUpdated brings;
// - <kind> open: a tool made, opened for a new event and shown (construction to visible
//   window), warm: one untimed opening first;
// - click values refill: the click tool's answer to a new out bar, up to the value picker
//   holding the values of the new range.

struct ValueTool
{
    char kind;
    const char* song;
    // The window's OK, on a new event or on the demo's, as the tool's slots take it.
    std::function<void(zarn::qt::EditToolController&)> create;
    std::function<void(zarn::qt::EditToolController&)> change;
    double createdValue;
    double changedValue;
};

const ValueTool kClickTool{
    codes::Click, "2",
    [](zarn::qt::EditToolController& t) {
        static_cast<zarn::qt::ClickToolController&>(t).onClickCreationRequest(QStringLiteral("2"), 1, QStringLiteral("4"), 1, 4);
    },
    [](zarn::qt::EditToolController& t) {
        static_cast<zarn::qt::ClickToolController&>(t).onClickChangeRequest(QStringLiteral("5"), 1, QStringLiteral("8"), 1, 16);
    },
    4, 16};
const ValueTool kTransposeTool{
    codes::Transpose, "3",
    [](zarn::qt::EditToolController& t) {
        static_cast<zarn::qt::TransposeToolController&>(t).onTransposeCreationRequest(QStringLiteral("2"), 1, QStringLiteral("4"), 1, -3);
    },
    [](zarn::qt::EditToolController& t) {
        static_cast<zarn::qt::TransposeToolController&>(t).onTransposeChangeRequest(QStringLiteral("5"), 1, QStringLiteral("8"), 1, -3);
    },
    -3, -3};
const ValueTool kTempoTool{
    codes::TempoScale, "4",
    [](zarn::qt::EditToolController& t) {
        static_cast<zarn::qt::TempoToolController&>(t).onTempoCreationRequest(QStringLiteral("2"), 1, QStringLiteral("4"), 1, 110);
    },
    [](zarn::qt::EditToolController& t) {
        static_cast<zarn::qt::TempoToolController&>(t).onTempoChangeRequest(QStringLiteral("5"), 1, QStringLiteral("8"), 1, 150);
    },
    1.1, 1.5};

double EventValue(const cmn::ZarnEvent& event)
{
    return event.code() == codes::TempoScale ? event.double_value() : event.int_value();
}

// The song's events of the kind, as the editor keeps them.
std::vector<cmn::ZarnEvent> Logged(Page& p, const std::string& song, char kind)
{
    std::vector<cmn::ZarnEvent> found;
    for (const cmn::ZarnEvent* event : p.Editor().GetSongLog(song)->GetAllEvents()) {
        if (event->code() == kind)
            found.push_back(*event);
    }
    return found;
}

void BM_ValueCreate(benchmark::State& state, const ValueTool& tool)
{
    Page& p = ThePage();
    const OnSong on(p, tool.song);
    const std::size_t before = Logged(p, tool.song, tool.kind).size();
    const auto made = [&] {
        const auto logged = Logged(p, tool.song, tool.kind);
        return logged.size() == before + 1 && p.canUndo
            && std::any_of(logged.begin(), logged.end(),
                           [&](const cmn::ZarnEvent& e) { return EventValue(e) == tool.createdValue; });
    };
    for (auto _ : state) {
        if (!TimedOk(state, p, p.f.OpenCreateTool(tool.kind, int(kBar), int(2 * kBar)), tool.create, made,
                     "the tool's OK made no event"))
            break;
    }
    Finish(state, p);
}
BENCHMARK_CAPTURE(BM_ValueCreate, click, kClickTool)->Name("click create")->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ValueCreate, transpose, kTransposeTool)->Name("transpose create")->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ValueCreate, tempo, kTempoTool)->Name("tempo scale create")->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_ValueChange(benchmark::State& state, const ValueTool& tool)
{
    Page& p = ThePage();
    const OnSong on(p, tool.song);
    for (auto _ : state) {
        const auto logged = Logged(p, tool.song, tool.kind);
        if (!Expect(state, logged.size() == 1, "the demo song does not hold one event of the kind"))
            break;
        cmn::ZarnEvent demo = logged.front();
        const auto changed = [&] {
            const auto after = Logged(p, tool.song, tool.kind);
            return after.size() == 1 && after.front().end() != demo.end()
                && EventValue(after.front()) == tool.changedValue;
        };
        if (!TimedOk(state, p, p.f.OpenEditTool(&demo), tool.change, changed,
                     "the tool's OK did not move the end and set the value"))
            break;
    }
    Finish(state, p);
}
BENCHMARK_CAPTURE(BM_ValueChange, click, kClickTool)->Name("click change")->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ValueChange, transpose, kTransposeTool)->Name("transpose change")->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ValueChange, tempo, kTempoTool)->Name("tempo scale change")->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(ToolOpen, click, codes::Click, "2", kBar, 3 * kBar)->Name("click open")->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ToolOpen, transpose, codes::Transpose, "3", kBar, 3 * kBar)->Name("transpose open")
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ToolOpen, tempo, codes::TempoScale, "4", kBar, 3 * kBar)->Name("tempo scale open")
    ->UseManualTime()->Unit(benchmark::kMillisecond);

// Song 3: its 3/8 bar 0 allows fewer values than its 6/8 bars, so the two ranges differ.
void BM_ClickValuesRefill(benchmark::State& state)
{
    Page& p = ThePage();
    const OnSong on(p, "3");
    QPointer<zarn::qt::EditToolController> opened = p.f.OpenCreateTool(codes::Click, 0, 720);
    QObject* window = opened ? opened->GetQmlObject() : nullptr;
    QObject* outBar = window ? window->findChild<QObject*>(QStringLiteral("outBarInput")) : nullptr;
    QObject* inBar = window ? window->findChild<QObject*>(QStringLiteral("inBarInput")) : nullptr;
    if (!Expect(state, outBar && inBar, "the click tool did not open"))
        return;
    const auto valueCount = [window] {
        QVariant model = window->property("clickCountModel");
        if (model.userType() == qMetaTypeId<QJSValue>())
            model = model.value<QJSValue>().toVariant();
        return model.toList().size();
    };
    int row = 0;
    for (auto _ : state) {
        // In bar 0 and bar 1 in turn: the 3/8 bar's four values, then the 6/8 bars' six.
        row = 1 - row;
        const auto t0 = Clock::now();
        inBar->setProperty("currentIndex", row);
        QMetaObject::invokeMethod(inBar, "activated", Q_ARG(int, row));
        const auto t1 = Clock::now();
        state.SetIterationTime(Seconds(t1 - t0));
        if (!Expect(state, valueCount() == (row == 1 ? 6 : 4), "the values are not those of the new range"))
            break;
    }
    if (opened)
        qobject_cast<QWindow*>(window)->close();
    Page::Settle();
}
BENCHMARK(BM_ClickValuesRefill)->Name("click values refill")->UseManualTime()->Unit(benchmark::kMicrosecond);


// ---- the range tools: cut, skip, vamp, repeat ----

// Each on the demo song that holds one (the page goes back to song 1 afterwards):
// - "<kind> create": the window's create request (what OK sends) for a new event;
// - "<kind> change": the window's change request on the demo's event, moved (and for a vamp or
//   repeat given a new count), up to the refresh its valuesUpdated brings;
// - "<kind> open": a warm tool made and opened for a new event, from the construction to the
//   visible window, as the edit bar's button has it.
struct RangeBenchKind
{
    char kind;
    const char* name;
    const char* song;
    const char* demoId;
    std::uint32_t newStart, newEnd;   // the created event
    std::uint32_t moveStart, moveEnd; // where the change puts the demo's event
    int count;                        // the changed count; -1 for kinds without one
    const char* createSignal;
    const char* changeSignal;
};

const RangeBenchKind kRangeBenchKinds[] = {
    {'B', "cut", "2", "B9.1", 4320, 7200, 10080, 12960, -1, "createCutRequest", "changeCutRequest"},
    {'M', "skip", "3", "M3.1", 6480, 9360, 5040, 7920, -1, "createSkipRequest", "changeSkipRequest"},
    {'@', "vamp", "1", "V3.1", 9600, 11520, 5760, 9600, 5, "createVampRequest", "changeVampRequest"},
    {'A', "repeat", "2", "A1.1", 5760, 8640, 1440, 4320, 4, "createRepeatRequest", "changeRepeatRequest"},
};

// The request as the window sends it on OK, with the pickers on the ticks' bars and beats.
bool SendRangeRequest(Page& p, QObject* window, const RangeBenchKind& k, const char* signal, std::uint32_t start,
                      std::uint32_t end, int count)
{
    const TL::BarsBeats in = p.f.engine->GetBarBeatByTick(start);
    const TL::BarsBeats out = p.f.engine->GetBarBeatByTick(end);
    const QString inBar = QString::fromStdString(in.bar_number());
    const QString outBar = QString::fromStdString(out.bar_number());
    if (k.count >= 0) {
        return QMetaObject::invokeMethod(window, signal, Q_ARG(QString, inBar), Q_ARG(int, in.beat()),
                                         Q_ARG(QString, outBar), Q_ARG(int, out.beat()), Q_ARG(int, count));
    }
    return QMetaObject::invokeMethod(window, signal, Q_ARG(QVariant, QVariant(inBar)),
                                     Q_ARG(QVariant, QVariant(QString::number(in.beat()))),
                                     Q_ARG(QVariant, QVariant(outBar)),
                                     Q_ARG(QVariant, QVariant(QString::number(out.beat()))));
}

// The event list's event of the kind with that range; null when there is none.
const cmn::ZarnEvent* RangeEvent(const Page& p, char kind, std::uint32_t start, std::uint32_t end)
{
    for (const auto& event : p.f.editModel->panelEvents) {
        if (event->code() == kind && event->start() == start && event->end() == end)
            return event.get();
    }
    return nullptr;
}

void BM_RangeCreate(benchmark::State& state, const RangeBenchKind& k)
{
    Page& p = ThePage();
    const OnSong on(p, k.song);
    bool sent = false;
    const auto ok = [&](zarn::qt::EditToolController& tool) {
        sent = SendRangeRequest(p, tool.GetQmlObject(), k, k.createSignal, k.newStart, k.newEnd, k.count);
    };
    const auto made = [&] { return sent && RangeEvent(p, k.kind, k.newStart, k.newEnd) && p.canUndo; };
    for (auto _ : state) {
        if (!TimedOk(state, p, p.f.OpenCreateTool(k.kind, int(k.newStart), int(k.newEnd)), ok, made,
                     "the create request made no event"))
            break;
    }
    Finish(state, p);
}

void BM_RangeChange(benchmark::State& state, const RangeBenchKind& k)
{
    Page& p = ThePage();
    const OnSong on(p, k.song);
    bool sent = false;
    const auto ok = [&](zarn::qt::EditToolController& tool) {
        sent = SendRangeRequest(p, tool.GetQmlObject(), k, k.changeSignal, k.moveStart, k.moveEnd, k.count);
    };
    const auto changed = [&] {
        const cmn::ZarnEvent* moved = RangeEvent(p, k.kind, k.moveStart, k.moveEnd);
        return sent && moved && moved->EventId() == k.demoId && (k.count < 0 || moved->int_value() == k.count);
    };
    for (auto _ : state) {
        cmn::ZarnEvent* demo = PanelEvent(p, k.demoId);
        if (!Expect(state, demo, "the demo song has no such event"))
            break;
        if (!TimedOk(state, p, p.f.OpenEditTool(demo), ok, changed, "the change request did not move the demo's event"))
            break;
    }
    Finish(state, p);
}

void BM_RangeOpen(benchmark::State& state, const RangeBenchKind& k)
{
    ToolOpen(state, k.kind, k.song, k.newStart, k.newEnd);
}

const bool kRangeBenchmarksRegistered = [] {
    for (const RangeBenchKind& k : kRangeBenchKinds) {
        const std::string name = k.name;
        benchmark::RegisterBenchmark((name + " create").c_str(), BM_RangeCreate, k)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((name + " change").c_str(), BM_RangeChange, k)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((name + " open").c_str(), BM_RangeOpen, k)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();


// ---- the caesura and OSC cue tools ----
// Create: the tool's OK on a new event at bar 2, beat 3 with a shift of 40 ticks. Change: the
// tool's OK on the demo's caesura N6.4 or cue S5.1, moved to bar 5, beat 2 and 40 ticks (the
// cue also gets a new command), up to the refresh its valuesUpdated brings. Open: a warm
// tool's construction to its visible window, the open steps of the main window included.

constexpr std::uint32_t kShiftedTick = kNewTick + 40;
constexpr std::uint32_t kMovedTick = 4 * kBar + kBeat + 40;

// The log's event of the kind at that tick with that id.
bool Logged(Page& p, char kind, std::uint32_t tick, const std::string& id)
{
    const CL::SongLog& log = *p.Editor().GetSongLog("1");
    if (kind == codes::Caesura) {
        for (const CL::Caesura& c : log.GetDisplayCaesurasRef()) {
            if (c.start() == tick && c.EventId() == id)
                return true;
        }
        return false;
    }
    for (const CL::Osc& o : log.GetOscs()) {
        if (o.start() == tick && o.EventId() == id)
            return true;
    }
    return false;
}

void ShiftToolCreate(benchmark::State& state, char kind)
{
    Page& p = ThePage();
    const std::string id = std::string(1, kind) + "2.3";
    const auto ok = [kind](zarn::qt::EditToolController& tool) {
        if (kind == codes::Caesura)
            static_cast<zarn::qt::CaesuraToolController&>(tool).onCaesuraCreationRequest(QStringLiteral("2"), 3, 40.0);
        else
            static_cast<zarn::qt::OscToolController&>(tool).onToolCreationRequest(
                QStringLiteral("2"), 3, QStringLiteral("/bench"), QStringLiteral("NETWORK0"), 40.0);
    };
    const auto made = [&] { return Logged(p, kind, kShiftedTick, id) && p.canUndo; };
    for (auto _ : state) {
        if (!TimedOk(state, p, p.f.OpenCreateTool(kind, int(kNewTick), int(kNewTick)), ok, made,
                     "the tool's OK made no event 40 ticks after bar 2, beat 3"))
            break;
    }
    Finish(state, p);
}
BENCHMARK_CAPTURE(ShiftToolCreate, caesura, codes::Caesura)->Name("caesura create")->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ShiftToolCreate, osc, codes::Osc)->Name("osc create")->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void ShiftToolChange(benchmark::State& state, char kind, const char* id)
{
    Page& p = ThePage();
    const auto ok = [kind](zarn::qt::EditToolController& tool) {
        if (kind == codes::Caesura)
            static_cast<zarn::qt::CaesuraToolController&>(tool).onCaesuraChangeRequest(QStringLiteral("5"), 2, 40.0);
        else
            static_cast<zarn::qt::OscToolController&>(tool).onToolChangeRequest(
                QStringLiteral("5"), 2, QStringLiteral("/bench"), QStringLiteral("NETWORK0"), 40.0);
    };
    const auto changed = [&] { return Logged(p, kind, kMovedTick, id); };
    for (auto _ : state) {
        cmn::ZarnEvent* event = PanelEvent(p, id);
        if (!Expect(state, event, "the demo's event is not on the panel"))
            break;
        if (!TimedOk(state, p, p.f.OpenEditTool(event), ok, changed, "the tool's OK did not move the demo's event"))
            break;
    }
    Finish(state, p);
}
BENCHMARK_CAPTURE(ShiftToolChange, caesura, codes::Caesura, "N6.4")->Name("caesura change")->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ShiftToolChange, osc, codes::Osc, "S5.1")->Name("osc change")->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(ToolOpen, caesura, codes::Caesura, "1", kNewTick, kNewTick)->Name("caesura open")
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ToolOpen, osc, codes::Osc, "1", kNewTick, kNewTick)->Name("osc open")->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunQuickBenchmarks(argc, argv, "bench_edit_road", [] { g_page.reset(); });
}

// The edit controller on the harness editing page: on the fake engine where a call must be
// seen or a failure injected, on the real engine over a copy of the demo show where a real
// editor and engine reload matter.
#include "EditController.h"
#include "MarkerListModel.h"
#include "MarkerListSelection.h"
#include "ShowFakeEngine.h"
#include "TimelineFixture.h"
#include "zarn_core/CallbackDispatcher.h"
#include "zarn_core/Click.h"
#include "zarn_core/Cut.h"
#include "zarn_core/EditorError.h"
#include "zarn_core/Marker.h"
#include "zarn_core/NotifyNames.h"
#include "zarn_core/Osc.h"
#include "zarn_core/TempoScale.h"

#include <QQuickItem>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <iostream>
#include <memory>
#include <sstream>

using namespace zarn::qt;

namespace {

const std::string warningLine =
    "WARNING: Incomplete code translation from Python? Should update bars on display here.\n";

TL::TimelineSequence<TL::BarsBeats> Grid(int bars, std::uint32_t barTicks = 2000)
{
    std::vector<TL::BarsBeats> entries;
    for (int b = 0; b < bars; ++b) {
        for (int k = 0; k < 4; ++k)
            entries.emplace_back(b * barTicks + k * (barTicks / 4), k + 1, std::to_string(b + 1));
    }
    return TL::TimelineSequence<TL::BarsBeats>(std::move(entries));
}

// Song 1 of the fake: a cut, a click, an OSC cue, a tempo scale and two markers, the same in
// what the engine answers (timeline, lists) and in its editor's log.
struct FakeShow
{
    bool readOnly = false;
    double tempoScale = 1.5;
};

std::shared_ptr<ShowFakeEngine> MakeFake(const FakeShow& show)
{
    auto fake = std::make_shared<ShowFakeEngine>();
    fake->songLength = 80000;
    fake->audioEndTick = 80000;
    fake->barsBeats["1"] = Grid(40);
    const std::vector<cmn::ZarnEvent> events{
        CL::Cut(10000, 12000, "B1", 0), CL::Click(26000, 28000, "L1", 8),
        CL::Osc(34000, "S1", CL::OscProperties("/zarn/sfx/Door/play", "NETWORK0")),
        CL::TempoScale(30000, 32000, "D1", show.tempoScale)};
    const std::vector<cmn::ZarnEvent> markers{CL::Marker(20000, "Letter A", "E1"),
                                              CL::Marker(40000, "Letter B", "E2")};
    CL::ChangeLogData data;
    CL::SongLog& editorLog = data.songs["1"];
    for (const auto& event : events) {
        fake->songLog.Insert(event);
        editorLog.Insert(event);
        fake->panelEvents.push_back(std::make_unique<cmn::ZarnEvent>(event));
    }
    for (const auto& marker : markers) {
        fake->songLog.Insert(marker);
        editorLog.Insert(marker);
        fake->markers.push_back(std::make_unique<cmn::ZarnEvent>(marker));
    }
    fake->editor = std::make_unique<CL::Editor>(std::move(data), show.readOnly);
    return fake;
}

// The fake engine on the harness with song 1 loaded and the calls so far forgotten.
struct FakePage
{
    explicit FakePage(bool enableOsc = true, FakeShow show = {})
        : fake(MakeFake(show)), f(fake, true, enableOsc)
    {
        f.LoadSong("1");
        fake->clearCalls();
    }

    EditController& edit() { return *f.editController; }
    int Row(char code) const
    {
        const auto& events = f.editModel->panelEvents;
        const auto found = std::find_if(events.begin(), events.end(),
                                        [code](const auto& e) { return e->code() == code; });
        return found == events.end() ? -1 : static_cast<int>(found - events.begin());
    }
    cmn::ZarnEvent* Event(char code) const { return f.editModel->panelEvents[static_cast<std::size_t>(Row(code))].get(); }
    const CL::SongLog& EditorLog() const { return *fake->editor->GetSongLog("1"); }

    std::shared_ptr<ShowFakeEngine> fake;
    TimelineFixture f;
};

// Counts the notifications of one bus name and keeps the last payload's marker record.
struct BusCount
{
    explicit BusCount(const char* name)
    {
        notify::callbackDispatcher.AddCallback(this, name, [this, name](void* payload) {
            ++count;
            if (payload && std::string(name) == notify::names::editControllerMarkerListSelected)
                selection = *static_cast<const MarkerListSelection*>(payload);
        });
    }
    ~BusCount() { notify::callbackDispatcher.RemoveCallbacksForTarget(this); }

    int count = 0;
    MarkerListSelection selection{-1, false};
};

void PostRow(const char* name, int row)
{
    notify::callbackDispatcher.Notify(name, &row);
}

// What the refresh wrote to standard error.
struct CapturedStderr
{
    CapturedStderr() : old(std::cerr.rdbuf(text.rdbuf())) {}
    ~CapturedStderr() { std::cerr.rdbuf(old); }
    std::string str() const { return text.str(); }

    std::ostringstream text;
    std::streambuf* old;
};

QList<QVariant> Args(bool canUndo, bool canRedo, bool canSave, bool canShare)
{
    return {canUndo, canRedo, canSave, canShare};
}

std::size_t TimelineItemCount(const TimelineController& c)
{
    return c.GetRegionItems().size() + c.GetCaesuraItems().size() + c.GetMarkerItems().size()
        + c.GetGlyphItems().size();
}

} // namespace

class TestEditController : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // A misspelt signature string in a connection must fail, not only warn.
        QTest::failOnWarning(QRegularExpression("QObject::connect"));
    }

    void refusedAddStillReloadsAndRefreshes()
    {
        FakePage page;
        TimelineFixture& f = page.f;
        const std::size_t items = TimelineItemCount(*f.controller);
        QSignalSpy error(&page.edit(), &EditController::error);
        QSignalSpy state(&page.edit(), &EditController::UpdateUndoRedoState);

        page.edit().onZarnMakeEvent(CL::Cut(4000, 2000, "B9", 0));
        TimelineFixture::FlushDeletes();

        QCOMPARE(error.size(), 1);
        const std::string message = error[0][0].value<std::string>();
        QCOMPARE(message, std::string("The edit could not be made on this song. The end of the Cut must come after "
                                      "its start."));
        QCOMPARE(error[0][1].value<std::string>(), std::string("Edit Failed"));
        QVERIFY(page.EditorLog().GetCuts().size() == 1);
        // A refusal leaves no edited codes: every kind is refreshed.
        QCOMPARE(page.fake->count("LoadNewChangeLog()"), 1);
        QCOMPARE(page.fake->count("GetBarsBeats(1)"), 1);
        QCOMPARE(page.fake->count("GetChangeLogPanelEvents()"), 1);
        QCOMPARE(page.fake->count("GetTimeline()"), 1);
        QVERIFY(f.editModel->needsSave);
        QVERIFY(f.editModel->needsUpload);
        QCOMPARE(state.size(), 1);
        QCOMPARE(state[0], Args(false, false, true, true));
        QCOMPARE(TimelineItemCount(*f.controller), items);
        QVERIFY(f.controller->IsAutoScrollSuspended());
    }

    void emptyHistoryOnlyPauses_data()
    {
        QTest::addColumn<bool>("undo");
        QTest::newRow("undo") << true;
        QTest::newRow("redo") << false;
    }

    void emptyHistoryOnlyPauses()
    {
        QFETCH(bool, undo);
        FakePage page;
        QSignalSpy state(&page.edit(), &EditController::UpdateUndoRedoState);
        QSignalSpy error(&page.edit(), &EditController::error);
        QVERIFY(!page.f.controller->IsAutoScrollSuspended());

        undo ? page.edit().UndoRequested() : page.edit().RedoRequested();

        QCOMPARE(page.fake->calls(), std::vector<std::string>{"Pause(false)"});
        QVERIFY(page.f.controller->IsAutoScrollSuspended());
        QCOMPARE(state.size(), 0);
        QCOMPARE(error.size(), 0);
        QVERIFY(!page.f.editModel->needsSave);
        // The suspension is the short one of a history step, and it ends.
        QTRY_VERIFY_WITH_TIMEOUT(!page.f.controller->IsAutoScrollSuspended(), 2000);
    }

    void refreshFollowsTheEditedKinds_data()
    {
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<bool>("cutEditedBefore");
        QTest::addColumn<bool>("bars");
        QTest::addColumn<bool>("eventList");
        QTest::addColumn<bool>("markerList");

        QTest::newRow("marker only") << QList<int>{'E'} << false << false << false << true;
        QTest::newRow("click") << QList<int>{'L'} << false << true << true << false;
        QTest::newRow("click and marker") << QList<int>{'L', 'E'} << false << true << true << true;
        QTest::newRow("cut") << QList<int>{'B'} << false << false << true << false;
        QTest::newRow("cut and marker") << QList<int>{'B', 'E'} << false << false << true << true;
        QTest::newRow("none given, the editor's last edit") << QList<int>{} << true << false << true << false;
        QTest::newRow("none given, no history: every kind") << QList<int>{} << false << true << true << true;
    }

    void refreshFollowsTheEditedKinds()
    {
        QFETCH(QList<int>, codes);
        QFETCH(bool, cutEditedBefore);
        QFETCH(bool, bars);
        QFETCH(bool, eventList);
        QFETCH(bool, markerList);
        FakePage page;
        TimelineFixture& f = page.f;
        if (cutEditedBefore)
            page.fake->editor->EditEventIntValue(*page.Event('B'), 1);
        PostRow(notify::names::EVT_CHANGE_LOG_PANEL_SELECTED, page.Row('B'));
        QVERIFY(f.editModel->selectedEvent);
        page.fake->clearCalls();
        BusCount selection(notify::names::editModelUpdatedSelectedZarnEvent);
        BusCount needsSave(notify::names::editModelChangeLogNeedsSave);
        BusCount needsUpload(notify::names::editModelChangeLogNeedsUpload);
        QSignalSpy state(&page.edit(), &EditController::UpdateUndoRedoState);

        std::string written;
        {
            CapturedStderr err;
            page.edit().RefreshAfterEdit(std::vector<int>(codes.begin(), codes.end()));
            written = err.str();
        }

        QCOMPARE(selection.count, 1);
        QVERIFY(!f.editModel->selectedEvent);
        QCOMPARE(page.fake->count("LoadNewChangeLog()"), 1);
        QCOMPARE(needsSave.count, 1);
        QCOMPARE(needsUpload.count, 1);
        QVERIFY(f.editModel->needsSave && f.editModel->needsUpload);
        QCOMPARE(page.fake->count("GetBarsBeats(1)"), bars ? 1 : 0);
        QCOMPARE(written, bars ? warningLine : std::string());
        QCOMPARE(page.fake->count("GetChangeLogPanelEvents()"), eventList ? 1 : 0);
        // The reload itself reads the markers once; the marker list's refresh reads them again.
        QCOMPARE(page.fake->count("GetMarkers()"), markerList ? 2 : 1);
        QCOMPARE(page.fake->count("GetTimeline()"), 1);
        QCOMPARE(state.size(), 1);
        QCOMPARE(state[0], Args(cutEditedBefore, false, true, true));
        // The reload comes before the views are rebuilt from it.
        const auto& calls = page.fake->calls();
        QVERIFY(std::find(calls.begin(), calls.end(), "LoadNewChangeLog()")
                < std::find(calls.begin(), calls.end(), "GetTimeline()"));
    }

    void markersAreReadAgainAfterEveryReload()
    {
        // The engine's marker objects live only until its log changes: after a cut edit the
        // engine hands out new ones, though the marker list is not refreshed.
        FakePage page;
        TimelineFixture& f = page.f;
        std::vector<std::unique_ptr<cmn::ZarnEvent>> fresh;
        for (const auto& marker : page.fake->markers)
            fresh.push_back(std::make_unique<cmn::ZarnEvent>(*marker));
        page.fake->markers.swap(fresh);
        fresh.clear();

        page.edit().RefreshAfterEdit({'B'});
        QCOMPARE(f.editModel->markers[1], page.fake->markers[1].get());
        QMetaObject::invokeMethod(f.editPanel, "markerSelected", Q_ARG(int, 1));
        QCOMPARE(f.editModel->selectedEvent, page.fake->markers[1].get());
        QCOMPARE(page.fake->count("Seek(40000)"), 1);
    }

    void deleteOnlyWhatMayBeDeleted()
    {
        {
            // Nothing selected: scrolling is suspended and that is all.
            FakePage page;
            QSignalSpy state(&page.edit(), &EditController::UpdateUndoRedoState);
            page.edit().DeleteRequested();
            QVERIFY(page.fake->calls().empty());
            QVERIFY(page.f.controller->IsAutoScrollSuspended());
            QCOMPARE(state.size(), 0);
        }
        {
            // An OSC cue left selected while OSC is off is kept, but the log is still
            // reloaded and the views rebuilt.
            FakePage page(false);
            page.f.editModel->selectedEvent = page.Event('S');
            QSignalSpy state(&page.edit(), &EditController::UpdateUndoRedoState);
            QSignalSpy error(&page.edit(), &EditController::error);
            page.edit().DeleteRequested();
            QCOMPARE(page.EditorLog().GetOscs().size(), std::size_t(1));
            QVERIFY(!page.fake->editor->CanUndo());
            QCOMPARE(page.fake->count("LoadNewChangeLog()"), 1);
            QCOMPARE(page.fake->count("GetTimeline()"), 1);
            QCOMPARE(state.size(), 1);
            QCOMPARE(error.size(), 0);
            QVERIFY(!page.f.editModel->selectedEvent);
        }
        {
            // A selected cut goes, through the edit bar's Delete.
            FakePage page;
            PostRow(notify::names::EVT_CHANGE_LOG_PANEL_SELECTED, page.Row('B'));
            QSignalSpy state(&page.edit(), &EditController::UpdateUndoRedoState);
            emit page.f.editBar->DeleteRequested();
            QVERIFY(page.EditorLog().GetCuts().empty());
            QCOMPARE(page.fake->count("LoadNewChangeLog()"), 1);
            QCOMPARE(state.size(), 1);
            QCOMPARE(state[0], Args(true, false, true, true));
            QVERIFY(!page.f.editModel->selectedEvent);
        }
    }

    void selectionRule()
    {
        FakePage page;
        TimelineFixture& f = page.f;
        BusCount changed(notify::names::editModelUpdatedSelectedZarnEvent);
        BusCount showEditor(notify::names::editControllerShowEditor);
        auto widget = [](cmn::ZarnEvent* event) {
            notify::callbackDispatcher.Notify(notify::names::zarnEventWidgetSelected, event);
        };
        CL::Cut stranger(50000, 52000, "B7", 0);

        // Unknown while nothing is selected: no notification.
        widget(&stranger);
        QCOMPARE(changed.count, 0);
        QVERIFY(!f.editModel->selectedEvent);
        QCOMPARE(showEditor.count, 1);

        cmn::ZarnEvent* cut = page.Event('B');
        widget(cut);
        QCOMPARE(f.editModel->selectedEvent, cut);
        QCOMPARE(changed.count, 1);
        // The same event again: nothing.
        widget(cut);
        QCOMPARE(changed.count, 1);
        // Unknown while one is selected: cleared with one notification.
        widget(&stranger);
        QVERIFY(!f.editModel->selectedEvent);
        QCOMPARE(changed.count, 2);

        // A marker chosen elsewhere becomes the marker list's current row; the edit bar's
        // Edit passes it on.
        cmn::ZarnEvent* letterB = f.editModel->markers[1];
        widget(letterB);
        QCOMPARE(f.editModel->selectedEvent, letterB);
        QCOMPARE(f.PanelPart("markerListControl")->property("currentIndex").toInt(), 1);
        QSignalSpy edit(&page.edit(), &EditController::EditButtonSignal);
        QMetaObject::invokeMethod(f.editPanel, "editSelectedMarkerItem");
        QCOMPARE(edit.size(), 1);
        QCOMPARE(edit[0][0].value<cmn::ZarnEvent*>(), letterB);
        QCOMPARE(showEditor.count, 5);
    }

    void oscCueRowWhileOscIsOff()
    {
        FakePage page(false);
        TimelineFixture& f = page.f;
        BusCount changed(notify::names::editModelUpdatedSelectedZarnEvent);

        PostRow(notify::names::EVT_CHANGE_LOG_PANEL_SELECTED, page.Row('S'));
        QVERIFY(!f.editModel->selectedEvent);
        QCOMPARE(changed.count, 0);

        PostRow(notify::names::EVT_CHANGE_LOG_PANEL_SELECTED, page.Row('B'));
        QCOMPARE(f.editModel->selectedEvent, page.Event('B'));
        PostRow(notify::names::EVT_CHANGE_LOG_PANEL_SELECTED, page.Row('S'));
        QVERIFY(!f.editModel->selectedEvent);
        QCOMPARE(changed.count, 2);

        page.fake->clearCalls();
        page.edit().DeleteRequested();
        QCOMPARE(page.EditorLog().GetOscs().size(), std::size_t(1));
        QCOMPARE(page.fake->count("LoadNewChangeLog()"), 0);
    }

    void staleRowsAndPayloadsDoNothing()
    {
        FakePage page;
        TimelineFixture& f = page.f;
        PostRow(notify::names::EVT_CHANGE_LOG_PANEL_SELECTED, page.Row('B'));
        cmn::ZarnEvent* selected = f.editModel->selectedEvent;
        QVERIFY(selected);
        page.fake->clearCalls();
        BusCount changed(notify::names::editModelUpdatedSelectedZarnEvent);
        BusCount chosen(notify::names::editControllerMarkerListSelected);

        const int events = static_cast<int>(f.editModel->panelEvents.size());
        const int markers = static_cast<int>(f.editModel->markers.size());
        for (const auto& [name, size] : {std::pair{notify::names::EVT_CHANGE_LOG_PANEL_SELECTED, events},
                                         std::pair{notify::names::EVT_MARKER_PANEL_SELECTED, markers}}) {
            notify::callbackDispatcher.Notify(name, nullptr);
            for (int row : {-1, size, size + 7})
                PostRow(name, row);
        }
        for (int index : {-1, markers, markers + 7})
            QMetaObject::invokeMethod(f.editPanel, "markerSelected", Q_ARG(int, index));

        QCOMPARE(f.editModel->selectedEvent, selected);
        QCOMPARE(changed.count, 0);
        QCOMPARE(chosen.count, 0);
        QCOMPARE(page.fake->count("Seek(20000)") + page.fake->count("Seek(40000)"), 0);
    }

    void markerChosenInThePanel_data()
    {
        QTest::addColumn<bool>("playing");
        QTest::newRow("stopped") << false;
        QTest::newRow("playing") << true;
    }

    void markerChosenInThePanel()
    {
        QFETCH(bool, playing);
        FakePage page;
        TimelineFixture& f = page.f;
        page.fake->playing = playing;
        BusCount chosen(notify::names::editControllerMarkerListSelected);

        QMetaObject::invokeMethod(f.editPanel, "markerSelected", Q_ARG(int, 1));

        QCOMPARE(page.fake->count("Seek(40000)"), 1);
        QCOMPARE(f.editModel->selectedEvent, f.editModel->markers[1]);
        QCOMPARE(chosen.count, 1);
        QCOMPARE(chosen.selection.tick, 40000);
        QCOMPARE(chosen.selection.playing, playing);
        QCOMPARE(f.PanelPart("markerListControl")->property("currentIndex").toInt(), 1);
    }

    void failuresBecomeEditFailed_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("message");

        const QString readOnlyText = "This change log was written by a newer version of the application and can "
                                     "only be read. Upgrade to edit it.";
        const QString pauseText = "the engine could not pause";
        QTest::newRow("delete, engine failure") << "delete" << false << pauseText;
        QTest::newRow("undo, engine failure") << "undo" << false << pauseText;
        QTest::newRow("redo, engine failure") << "redo" << false << pauseText;
        QTest::newRow("drag, engine failure") << "drag" << false << pauseText;
        QTest::newRow("delete, read-only log") << "delete" << true << readOnlyText;
        QTest::newRow("drag, read-only log")
            << "drag" << true << "The edit could not be completed because: " + readOnlyText;
        QTest::newRow("drag, end before start")
            << "drag back" << false << "The edit could not be completed because: The end of the Cut must come after its start.";
        QTest::newRow("start and end, end before start")
            << "start end back" << false
            << "A change to the start or end time could not be completed: The end of the Cut must come after its start.";
    }

    void failuresBecomeEditFailed()
    {
        QFETCH(QString, action);
        QFETCH(bool, readOnly);
        QFETCH(QString, message);
        FakeShow show;
        show.readOnly = readOnly;
        FakePage page(true, show);
        TimelineFixture& f = page.f;
        PostRow(notify::names::EVT_CHANGE_LOG_PANEL_SELECTED, page.Row('B'));
        cmn::ZarnEvent* cut = page.Event('B');
        const cmn::ZarnEvent copy = *cut;
        const std::size_t items = TimelineItemCount(*f.controller);
        page.fake->throwOnPause = !readOnly && !action.endsWith("back");
        QSignalSpy error(&page.edit(), &EditController::error);
        QSignalSpy state(&page.edit(), &EditController::UpdateUndoRedoState);

        if (action == "delete")
            page.edit().DeleteRequested();
        else if (action == "undo")
            page.edit().UndoRequested();
        else if (action == "redo")
            page.edit().RedoRequested();
        else if (action == "drag")
            page.edit().onZarnMoveEvent(copy, 9000, 11000, true);
        else if (action == "drag back")
            page.edit().onZarnMoveEvent(copy, 10000, 9000, false, true);
        else
            page.edit().onZarnEditEventStartEndValues(copy, 10000, 9000);
        TimelineFixture::FlushDeletes();

        QCOMPARE(error.size(), 1);
        QCOMPARE(QString::fromStdString(error[0][0].value<std::string>()), message);
        QCOMPARE(error[0][1].value<std::string>(), std::string("Edit Failed"));
        // Nothing else: no reload, no refresh, the selection and the items as they were.
        QCOMPARE(page.fake->count("LoadNewChangeLog()"), 0);
        QCOMPARE(state.size(), 0);
        QCOMPARE(f.editModel->selectedEvent, cut);
        QCOMPARE(TimelineItemCount(*f.controller), items);
        QCOMPARE(page.EditorLog().GetCuts().size(), std::size_t(1));
        QCOMPARE(page.EditorLog().GetCuts()[0].start(), 10000u);
    }

    void valueEditsLeaveFailuresToTheCaller()
    {
        FakePage page;
        const cmn::ZarnEvent cut = *page.Event('B');
        QSignalSpy error(&page.edit(), &EditController::error);
        // A refused value edit: the tool reports it.
        QVERIFY_THROWS_EXCEPTION(CL::EditorError, page.edit().onZarnEditEventStringValues(cut, "Intro"));
        // A start/end change is answered here only when the editor refuses it.
        page.fake->throwOnPause = true;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, page.edit().onZarnEditEventStartEndValues(cut, 9000, 11000));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, page.edit().onZarnEditEventIntValues(cut, 2));
        QCOMPARE(error.size(), 0);
        QCOMPARE(page.fake->count("LoadNewChangeLog()"), 0);
    }

    void floatIsWidenedAsWritten_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<float>("given");
        QTest::addColumn<double>("expected");
        QTest::addColumn<bool>("newStep");

        QTest::newRow("1.1") << 1.5 << 1.1f << 1.1 << true;
        QTest::newRow("0.75") << 1.5 << 0.75f << 0.75 << true;
        QTest::newRow("1.9") << 1.5 << 1.9f << 1.9 << true;
        QTest::newRow("two thirds") << 1.5 << 2.0f / 3.0f << 0.6666667 << true;
        QTest::newRow("unchanged 1.1") << 1.1 << 1.1f << 1.1 << false;
    }

    void floatIsWidenedAsWritten()
    {
        QFETCH(double, stored);
        QFETCH(float, given);
        QFETCH(double, expected);
        QFETCH(bool, newStep);
        FakeShow show;
        show.tempoScale = stored;
        FakePage page(true, show);

        page.edit().onZarnEditEventFloatValues(*page.Event('D'), given);

        const double written = page.EditorLog().GetTempoScales().at(0).double_value();
        QVERIFY2(written == expected, QByteArray::number(written, 'g', 17));
        QCOMPARE(page.fake->editor->CanUndo(), newStep);
    }

    void destructionLeavesNoCallbackOnTheBus()
    {
        FakePage page;
        const char* names[] = {notify::names::zarnEventWidgetSelected,
                               notify::names::editModelUpdatedSelectedZarnEvent,
                               notify::names::EVT_CHANGE_LOG_PANEL_SELECTED,
                               notify::names::EVT_MARKER_PANEL_SELECTED};
        for (const char* name : names)
            QVERIFY(notify::callbackDispatcher.CallbackCount(name) >= 1);

        page.f.editController.reset();
        page.f.songList = nullptr;
        page.f.markerList = nullptr;
        page.f.eventList = nullptr;
        page.f.editBar = nullptr;

        for (const char* name : names)
            QCOMPARE(notify::callbackDispatcher.CallbackCount(name), std::size_t(0));
        // And nothing answers any more.
        PostRow(notify::names::EVT_MARKER_PANEL_SELECTED, 0);
        notify::callbackDispatcher.Notify(notify::names::editModelUpdatedSelectedZarnEvent, nullptr);
        QVERIFY(!page.f.editModel->selectedEvent);
    }

    // On the demo show: an add, its undo and redo reach the marker list and the timeline,
    // and after any reload the edit model's markers are the engine's current ones.
    void addUndoRedoOnTheRealEngine()
    {
        TimelineFixture f;
        f.LoadSong("1");
        EditController& edit = *f.editController;
        QSignalSpy state(&edit, &EditController::UpdateUndoRedoState);
        QSignalSpy error(&edit, &EditController::error);
        const std::size_t markers = f.editModel->markers.size();
        const std::size_t markerItems = f.controller->GetMarkerItems().size();
        const std::uint32_t tick = f.engine->GetBarBeatByTick(f.showManager->GetSongStartTickIndex("1") + 1920 * 3).tick();

        edit.onZarnMakeEvent(CL::Marker(tick + 1, "Verse", "E-test"));
        TimelineFixture::FlushDeletes();
        QCOMPARE(error.size(), 0);
        QCOMPARE(f.editModel->markers.size(), markers + 1);
        QCOMPARE(f.controller->GetMarkerItems().size(), markerItems + 1);
        QCOMPARE(f.markerList->GetModel()->rowCount(), int(markers + 1));
        QCOMPARE(state.size(), 1);
        QCOMPARE(state.last(), Args(true, false, true, true));

        edit.UndoRequested();
        TimelineFixture::FlushDeletes();
        QCOMPARE(f.editModel->markers.size(), markers);
        QCOMPARE(f.controller->GetMarkerItems().size(), markerItems);
        QCOMPARE(state.last(), Args(false, true, true, true));

        edit.RedoRequested();
        TimelineFixture::FlushDeletes();
        QCOMPARE(f.editModel->markers.size(), markers + 1);
        QCOMPARE(state.last(), Args(true, false, true, true));

        // An edit of another kind does not refresh the marker list, yet the model's markers
        // are what the engine holds after the reload, so choosing one reads a live object.
        edit.onZarnMakeEvent(CL::Cut(tick, tick + 1920, "B-test", 0));
        TimelineFixture::FlushDeletes();
        QCOMPARE(error.size(), 0);
        std::vector<cmn::ZarnEvent*> current;
        for (const auto& [marker, bar] : f.showManager->GetMarkers())
            current.push_back(marker);
        QCOMPARE(f.editModel->markers, current);
        QMetaObject::invokeMethod(f.editPanel, "markerSelected", Q_ARG(int, 0));
        QCOMPARE(f.editModel->selectedEvent, current[0]);
    }
};

QTEST_MAIN(TestEditController)
#include "tst_edit_controller.moc"

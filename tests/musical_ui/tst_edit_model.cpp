#include "EditModel.h"
#include "ShowFakeEngine.h"
#include "ShowManager.h"
#include "zarn_core/CallbackDispatcher.h"
#include "zarn_core/ChangeLogData.h"
#include "zarn_core/Cut.h"
#include "zarn_core/EditorError.h"
#include "zarn_core/Marker.h"
#include "zarn_core/NotifyNames.h"
#include "zarn_core/Osc.h"
#include "zarn_core/Vamp.h"

#include <QtTest>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using zarn::qt::EditModel;

class TestEditModel : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<ShowFakeEngine> engine_;
    std::shared_ptr<zarn::ShowManager> manager_;
    // Bus traffic seen by the test, in order: "save=true", "upload=false", "selection".
    std::vector<std::string> notices_;

    void UseLogVersion(std::uint16_t major, std::uint16_t minor)
    {
        CL::ChangeLogData data;
        data.version = cmn::ZARNVersion(major, minor);
        engine_->editor = std::make_unique<CL::Editor>(data);
    }

    std::unique_ptr<EditModel> MakeModel(bool osc = true)
    {
        manager_ = std::make_shared<zarn::ShowManager>(engine_);
        engine_->clearCalls();
        notices_.clear();
        return std::make_unique<EditModel>(manager_, osc);
    }

    // The song's change log holds a cut, a vamp and an OSC cue; the engine lists the same.
    void FillChangeLog()
    {
        CL::Editor& editor = *engine_->editor;
        editor.SelectSongLogForEditing("1");
        editor.AddEvent(CL::Cut(1920, 3840, "B2.1", 0));
        editor.AddEvent(CL::Vamp(5760, 7680, "V4.1", 2));
        editor.AddEvent(CL::Osc(9600, "S6.1", CL::OscProperties("/lights/go", "")));
        engine_->panelEvents.push_back(std::make_unique<CL::Cut>(1920, 3840, "B2.1", 0));
        engine_->panelEvents.push_back(std::make_unique<CL::Vamp>(5760, 7680, "V4.1", 2));
        engine_->panelEvents.push_back(std::make_unique<CL::Osc>(9600, "S6.1", CL::OscProperties("/lights/go", "")));
        engine_->markers.push_back(std::make_unique<CL::Marker>(0, "Top", "E1.1"));
    }

    int SelectionNotices() const
    {
        return static_cast<int>(std::count(notices_.begin(), notices_.end(), "selection"));
    }

private slots:
    void init()
    {
        engine_ = std::make_shared<ShowFakeEngine>();
        engine_->barsBeats["1"] = TL::TimelineSequence<TL::BarsBeats>({{0, 1, "1"}, {480, 2, "1"}, {1920, 1, "2"}});
        engine_->barsBeats["2"] = TL::TimelineSequence<TL::BarsBeats>({{0, 1, "1"}});
        notices_.clear();
        notify::callbackDispatcher.AddCallback(this, notify::names::editModelChangeLogNeedsSave, [this](void* p) {
            notices_.push_back(std::string("save=") + (*static_cast<bool*>(p) ? "true" : "false"));
        });
        notify::callbackDispatcher.AddCallback(this, notify::names::editModelChangeLogNeedsUpload, [this](void* p) {
            notices_.push_back(std::string("upload=") + (*static_cast<bool*>(p) ? "true" : "false"));
        });
        notify::callbackDispatcher.AddCallback(this, notify::names::editModelUpdatedSelectedZarnEvent,
                                               [this](void* p) { notices_.push_back(p ? "selection+payload" : "selection"); });
    }
    void cleanup()
    {
        notify::callbackDispatcher.RemoveCallbacksForTarget(this);
        manager_.reset();
        engine_.reset();
    }

    void needsUploadFollowsTheLogVersion_data()
    {
        QTest::addColumn<int>("minor");
        QTest::addColumn<bool>("needsUpload");
        QTest::newRow("shared version") << 0 << false;
        QTest::newRow("saved locally since") << 3 << true;
    }
    void needsUploadFollowsTheLogVersion()
    {
        QFETCH(int, minor);
        QFETCH(bool, needsUpload);
        UseLogVersion(4, static_cast<std::uint16_t>(minor));
        auto model = MakeModel();
        QCOMPARE(model->needsUpload, needsUpload);
        QVERIFY(!model->needsSave);
        QCOMPARE(notices_, (std::vector<std::string>{needsUpload ? "upload=true" : "upload=false"}));
    }

    void constructionTakesTheCurrentSong()
    {
        engine_->currentSong = "2";
        auto model = MakeModel(false);
        QCOMPARE(model->songNumber, std::string("2"));
        QCOMPARE(engine_->editor->GetSelectedSong(), std::string("2"));
        QVERIFY(model->barsBeats);
        QCOMPARE(model->barsBeats->GetBarCount(), std::size_t(1));
        QVERIFY(!model->oscEnabled);
        QVERIFY(model->selectedEvent == nullptr);
        QVERIFY(model->panelEvents.empty());
        QVERIFY(model->markers.empty());
        // Constructing pauses the engine once.
        QCOMPARE(engine_->count("Pause(false)"), 1);
        QCOMPARE(engine_->calls(), (std::vector<std::string>{"GetCurrentSongNumber()", "GetBarsBeats(2)", "Pause(false)"}));
    }

    void failingEngineFailsConstruction()
    {
        engine_->throwOnBarsBeats = true;
        manager_ = std::make_shared<zarn::ShowManager>(engine_);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, EditModel(manager_, true));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, EditModel(nullptr, true));
    }

    void reloadReplacesTheIndex()
    {
        auto model = MakeModel();
        const auto first = model->barsBeats;
        QCOMPARE(first->GetBarCount(), std::size_t(2));
        model->songNumber = "2";
        model->ReloadBarsBeats();
        QVERIFY(model->barsBeats != first);
        QCOMPARE(model->barsBeats->GetBarCount(), std::size_t(1));
        QCOMPARE(first->GetBarCount(), std::size_t(2)); // a reader's old reference stays usable
    }

    void failedReloadKeepsTheOldIndex_data()
    {
        QTest::addColumn<bool>("engineThrows");
        QTest::newRow("engine fails") << true;
        QTest::newRow("duplicate bar start") << false;
    }
    void failedReloadKeepsTheOldIndex()
    {
        QFETCH(bool, engineThrows);
        auto model = MakeModel();
        const auto old = model->barsBeats;
        if (engineThrows)
            engine_->throwOnBarsBeats = true;
        else
            engine_->barsBeats["1"] = TL::TimelineSequence<TL::BarsBeats>({{0, 1, "1"}, {0, 1, "2"}});
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, model->ReloadBarsBeats());
        QCOMPARE(model->barsBeats, old);
    }

    void audioEndTickOfTheModelsSong()
    {
        auto model = MakeModel();
        model->songNumber = "2";
        engine_->audioEndTick = 123456;
        QCOMPARE(model->GetSongAudioEndTick(), 123456u);
        QCOMPARE(engine_->calls().back(), std::string("GetSongAudioEndTick(2)"));
        QCOMPARE(model->GetBarString(1920), std::string("Bar 2"));
    }

    void markersAreRebuiltEachTime()
    {
        auto model = MakeModel();
        QVERIFY(model->GetMarkers().empty());
        QVERIFY(model->markers.empty());
        QVERIFY(model->markerIndexByTick.empty());
        engine_->markers.push_back(std::make_unique<CL::Marker>(0, "Top", "E1.1"));
        engine_->markers.push_back(std::make_unique<CL::Marker>(1920, "Verse", "E2.1"));
        engine_->markers.push_back(std::make_unique<CL::Marker>(1920, "Key change", "E2.1-2"));
        model->GetMarkers();
        const auto result = model->GetMarkers();
        QCOMPARE(result.size(), std::size_t(3));
        QCOMPARE(model->markers, (std::vector<cmn::ZarnEvent*>{engine_->markers[0].get(), engine_->markers[1].get(),
                                                               engine_->markers[2].get()}));
        QCOMPARE(result[1].second, std::string("Bar 2"));
        // Of two markers at one tick, the later one answers for the tick.
        QCOMPARE(model->markerIndexByTick, (std::map<std::uint32_t, std::size_t>{{0, 0}, {1920, 2}}));
    }

    void panelEventsComeFromTheEngine()
    {
        FillChangeLog();
        auto model = MakeModel();
        auto& events = model->RefreshChangeLogPanelEvents();
        QCOMPARE(&events, &model->panelEvents);
        QCOMPARE(events.size(), std::size_t(3));
        QCOMPARE(events[0]->code(), 'B');
        QCOMPARE(events[1]->code(), '@');
        QCOMPARE(events[2]->code(), 'S');
    }

    void panelMembership_data()
    {
        QTest::addColumn<bool>("osc");
        QTest::addColumn<int>("which"); // 0 cut, 1 vamp, 2 OSC cue, 3 a vamp not in the log
        QTest::addColumn<bool>("member");
        QTest::newRow("cut") << true << 0 << true;
        QTest::newRow("vamp") << true << 1 << true;
        QTest::newRow("OSC cue, OSC on") << true << 2 << true;
        QTest::newRow("OSC cue, OSC off") << false << 2 << false;
        QTest::newRow("stranger") << true << 3 << false;
    }
    void panelMembership()
    {
        QFETCH(bool, osc);
        QFETCH(int, which);
        QFETCH(bool, member);
        FillChangeLog();
        auto model = MakeModel(osc);
        model->RefreshChangeLogPanelEvents();
        // Equal copies, not the model's own objects: membership is by content.
        std::vector<std::unique_ptr<cmn::ZarnEvent>> probes;
        probes.push_back(std::make_unique<CL::Cut>(1920, 3840, "B2.1", 0));
        probes.push_back(std::make_unique<CL::Vamp>(5760, 7680, "V4.1", 2));
        probes.push_back(std::make_unique<CL::Osc>(9600, "S6.1", CL::OscProperties("/lights/go", "")));
        probes.push_back(std::make_unique<CL::Vamp>(5760, 7680, "V4.1", 3));
        QCOMPARE(model->IsChangeLogPanelEvent(probes[which].get()), member);

        model->SelectEvent(probes[which].get());
        QCOMPARE(model->selectedEvent, member ? probes[which].get() : nullptr);
        QCOMPARE(SelectionNotices(), member ? 1 : 0);
        model->selectedEvent = nullptr;
    }

    void selectionRules()
    {
        FillChangeLog();
        auto model = MakeModel();
        model->RefreshChangeLogPanelEvents();
        model->GetMarkers();
        cmn::ZarnEvent* cut = model->panelEvents[0].get();
        cmn::ZarnEvent* marker = model->markers[0];

        model->SelectEvent(cut);
        QCOMPARE(model->selectedEvent, cut);
        QCOMPARE(SelectionNotices(), 1);
        model->SelectEvent(cut); // already selected: nothing
        QCOMPARE(SelectionNotices(), 1);

        model->SelectEvent(marker); // a marker by address
        QCOMPARE(model->selectedEvent, marker);
        QCOMPARE(SelectionNotices(), 2);

        CL::Marker markerCopy(0, "Top", "E1.1"); // equal, but not the engine's marker
        model->SelectEvent(&markerCopy);
        QVERIFY(model->selectedEvent == nullptr);
        QCOMPARE(SelectionNotices(), 3);
        model->SelectEvent(&markerCopy); // nothing selected already: nothing
        QCOMPARE(SelectionNotices(), 3);
        // Every notice carries a null payload.
        QCOMPARE(std::count(notices_.begin(), notices_.end(), "selection+payload"), 0L);
    }

    void deleteRemovesTheSelectedEvent()
    {
        FillChangeLog();
        auto model = MakeModel();
        model->RefreshChangeLogPanelEvents();
        model->SelectEvent(model->panelEvents[1].get());
        notices_.clear();
        engine_->clearCalls();

        model->DeleteSelectedEvent();
        QVERIFY(model->selectedEvent == nullptr);
        QCOMPARE(notices_, (std::vector<std::string>{"selection"}));
        QCOMPARE(engine_->calls(), (std::vector<std::string>{"Pause(false)"}));
        QCOMPARE(engine_->editor->GetSongLog("1")->GetVamps().size(), std::size_t(0));
        QCOMPARE(engine_->editor->GetSongLog("1")->GetCuts().size(), std::size_t(1));
    }

    void deleteDoesNothingWithoutADeletableSelection()
    {
        FillChangeLog();
        auto model = MakeModel(false);
        model->RefreshChangeLogPanelEvents();
        engine_->clearCalls();
        notices_.clear();
        model->DeleteSelectedEvent();
        // An OSC cue put in place directly while OSC is off is not deleted either.
        model->selectedEvent = model->panelEvents[2].get();
        model->DeleteSelectedEvent();
        QCOMPARE(model->selectedEvent, model->panelEvents[2].get());
        QCOMPARE(engine_->count("Pause(false)"), 0);
        QVERIFY(notices_.empty());
        QCOMPARE(engine_->editor->GetSongLog("1")->GetOscs().size(), std::size_t(1));
    }

    void failedDeleteKeepsTheSelection()
    {
        FillChangeLog();
        auto model = MakeModel();
        // The engine lists an event that its change log does not hold.
        engine_->panelEvents.push_back(std::make_unique<CL::Cut>(20000, 21000, "B9.1", 0));
        model->RefreshChangeLogPanelEvents();
        cmn::ZarnEvent* stranger = model->panelEvents[3].get();
        model->SelectEvent(stranger);
        notices_.clear();
        QVERIFY_THROWS_EXCEPTION(CL::EditorError, model->DeleteSelectedEvent());
        QCOMPARE(model->selectedEvent, stranger);
        QVERIFY(notices_.empty());
    }

    // A refresh replaces the panel events; a selected one must not be left dangling.
    void refreshKeepsASelectedPanelEventValid()
    {
        FillChangeLog();
        auto model = MakeModel();
        model->RefreshChangeLogPanelEvents();
        model->SelectEvent(model->panelEvents[1].get());
        notices_.clear();

        model->RefreshChangeLogPanelEvents();
        QCOMPARE(model->selectedEvent, model->panelEvents[1].get());
        QCOMPARE(model->selectedEvent->EventId(), std::string("V4.1"));
        QVERIFY(notices_.empty());

        engine_->panelEvents.erase(engine_->panelEvents.begin() + 1);
        model->RefreshChangeLogPanelEvents();
        QVERIFY(model->selectedEvent == nullptr);
        QCOMPARE(notices_, (std::vector<std::string>{"selection"}));

        // A selected marker is the engine's, not the panel's: a refresh leaves it alone.
        model->GetMarkers();
        model->SelectEvent(model->markers[0]);
        model->RefreshChangeLogPanelEvents();
        QCOMPARE(model->selectedEvent, model->markers[0]);
    }
};

QTEST_MAIN(TestEditModel)
#include "tst_edit_model.moc"

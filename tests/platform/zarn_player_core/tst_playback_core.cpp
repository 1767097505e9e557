#include "PlaybackCore.h"

#include <QtTest>

#include <cmath>

using namespace zarn::player;
using Kind = EngineEventKind;

namespace {

// Three songs at 120 BPM (960 ticks a second) in 4/4; song 2 starts with a pickup.
std::shared_ptr<const ShowDefinition> FixtureShow()
{
    return std::make_shared<const ShowDefinition>(ShowDefinition::Parse(R"({
      "format":"1.0","showId":"fixture",
      "songs":[
        {"number":"1","title":"Opening","startTick":0,"lengthTicks":19200,"audioEndTick":21120,
         "tempos":[{"tick":0,"bpm":120},{"tick":15360,"bpm":60}],
         "keys":[{"tick":0,"sf":0,"mi":0},{"tick":7680,"sf":2,"mi":0}]},
        {"number":"2","title":"Second","startTick":1440,"lengthTicks":9600,"firstBarNumber":0},
        {"number":"3","title":"Third","startTick":0,"lengthTicks":3840}],
      "pages":[{"page":1,"song":"1","tick":0},{"page":2,"song":"1","tick":3840},{"page":3,"song":"2","tick":0}]
    })", "fixture"));
}

FlowEvent Ev(char code, const char* id, uint32_t start, uint32_t end = 0, int i = 0, double f = 0.0)
{
    FlowEvent e;
    e.code = code;
    e.id = id;
    e.start = start;
    e.end = end;
    e.intValue = i;
    e.floatValue = f;
    if (code == flow_code::kOsc) {
        e.oscMessage = std::string("/cue/") + id;
        e.oscNetworkId = "NETWORK0";
    }
    return e;
}

struct Recorder
{
    std::vector<EngineNotice> notices;
    std::vector<PlaybackCore::CueDispatch> cues;
    std::vector<PlaybackCore::Completion> completions;
    std::vector<double> cueTimes; // wall time at which each cue was handed out

    double now = 0.0;

    void Take(PlaybackCore& core)
    {
        auto out = core.TakeOutput();
        for (auto& n : out.notices)
            notices.push_back(std::move(n));
        for (auto& c : out.cues) {
            cues.push_back(std::move(c));
            cueTimes.push_back(now);
        }
        for (auto& c : out.completions)
            completions.push_back(std::move(c));
    }
    void Run(PlaybackCore& core, double seconds, double step = 0.005)
    {
        const int steps = static_cast<int>(std::lround(seconds / step));
        for (int i = 0; i < steps; ++i) {
            now += step;
            core.Advance(step);
            Take(core);
        }
    }
    std::vector<EngineNotice> Of(Kind k) const
    {
        std::vector<EngineNotice> r;
        for (const auto& n : notices) {
            if (n.kind == k)
                r.push_back(n);
        }
        return r;
    }
    std::vector<int> PlayheadJumps() const
    {
        std::vector<int> r;
        for (const auto& n : notices) {
            if (n.kind == Kind::Playhead)
                r.push_back(n.value);
        }
        return r;
    }
    void Clear()
    {
        notices.clear();
        cues.clear();
        completions.clear();
        cueTimes.clear();
    }
};

PlaybackCore MakeCore(std::map<std::string, std::vector<FlowEvent>> events, std::map<std::string, uint8_t> attacca = {})
{
    auto show = FixtureShow();
    PlaybackCore core(show);
    core.SetFlow(FlowSnapshot::Build(*show, std::move(events), attacca));
    core.TakeOutput();
    return core;
}

} // namespace

class TestPlaybackCore : public QObject
{
    Q_OBJECT

private slots:
    void constructionCuesTheFirstSong()
    {
        PlaybackCore core(FixtureShow());
        QCOMPARE(core.CurrentSong(), std::string("1"));
        QVERIFY(core.IsStopped());
        Recorder r;
        r.Take(core);
        QCOMPARE(r.Of(Kind::SongTitle).at(0).text, std::string("Opening"));
        QCOMPARE(r.Of(Kind::SongLoaded).at(0).text, std::string("1"));
        QCOMPARE(r.Of(Kind::BarBeat).at(0).text, std::string("0001|01"));
        QCOMPARE(r.Of(Kind::Meter).at(0).text, std::string("4/4"));
        QCOMPARE(r.Of(Kind::Key).at(0).text, std::string("C major"));
        QCOMPARE(r.Of(Kind::PageNum).at(0).value, 1);
    }

    void playheadFollowsTempoMapExactly()
    {
        PlaybackCore core = MakeCore({});
        Recorder r;
        core.Play();
        r.Run(core, 1.0);
        QCOMPARE(core.Tick(), 960u);
        core.Seek(14400); // one second before the tempo halves at 15360
        r.Run(core, 2.0);
        QCOMPARE(core.Tick(), 15360u + 480u);
        QCOMPARE(r.Of(Kind::Tempo).back().text, std::string("60 BPM"));
        // Playhead reports at least every 40 ms of playing.
        r.Clear();
        r.Run(core, 0.5);
        QVERIFY(r.Of(Kind::Playhead).size() >= 12);
    }

    void cutJumpsToItsEndOnTheExactTick()
    {
        PlaybackCore core = MakeCore({{"1", {Ev('B', "B1", 1920, 5760), Ev('E', "E1", 1920)}}});
        Recorder r;
        core.Play();
        r.Run(core, 2.02);
        // The marker at the cut's start fires before the jump.
        QCOMPARE(r.Of(Kind::Marker).size(), size_t(1));
        const auto heads = r.PlayheadJumps();
        QVERIFY(std::find(heads.begin(), heads.end(), 5760) != heads.end());
        QVERIFY(core.Tick() > 5760 && core.Tick() < 5760 + 40);
    }

    void vampLoopsItsCountAndExitLeavesAtPassEnd_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("exitAfterPass");
        QTest::addColumn<int>("expectedPasses");
        QTest::newRow("twice") << 2 << 0 << 2;
        QTest::newRow("endless, released in pass 3") << 0 << 3 << 3;
        QTest::newRow("five, released in pass 1") << 5 << 1 << 1;
    }
    void vampLoopsItsCountAndExitLeavesAtPassEnd()
    {
        QFETCH(int, count);
        QFETCH(int, exitAfterPass);
        QFETCH(int, expectedPasses);
        // Starts off the 25 ms playhead grid, so only the jumps report it.
        PlaybackCore core = MakeCore({{"1", {Ev('@', "V1", 1900, 3840, count)}}});
        Recorder r;
        core.Play();
        int passesSeen = 0;
        // Each pass takes 2 s; play a little into each pass, then decide.
        for (int second = 0; second < 40 && passesSeen < 20; ++second) {
            r.Run(core, 0.5);
            const auto flow = r.Of(Kind::StatusFlowControl);
            passesSeen = flow.empty() ? 0 : flow.back().value;
            if (exitAfterPass && passesSeen == exitAfterPass)
                core.FlowControlExit();
            if (core.Tick() > 3840 + 100)
                break;
        }
        QVERIFY(core.Tick() > 3840);
        QCOMPARE(r.Of(Kind::VampOn).size(), size_t(1));
        QCOMPARE(r.Of(Kind::VampOff).size(), size_t(1));
        int maxPass = 0;
        for (const auto& n : r.Of(Kind::StatusFlowControl)) {
            if (n.text == "Vamp")
                maxPass = std::max(maxPass, n.value);
        }
        QCOMPARE(maxPass, expectedPasses);
        QCOMPARE(r.Of(Kind::StatusFlowControl).back().text, std::string("ClearPickupBeat"));
        // Every jump back lands on the vamp's start exactly.
        const auto heads = r.PlayheadJumps();
        QCOMPARE(int(std::count(heads.begin(), heads.end(), 1900)), expectedPasses - 1);
    }

    void repeatPlaysItsRangeCountTimes()
    {
        PlaybackCore core = MakeCore({{"1", {Ev('A', "A1", 0, 960, 3)}}});
        Recorder r;
        core.Stop();
        core.Play();
        r.Run(core, 3.2);
        std::vector<int> passes;
        for (const auto& n : r.Of(Kind::StatusFlowControl)) {
            if (n.text == "Repeat")
                passes.push_back(n.value);
        }
        QCOMPARE(passes, (std::vector<int>{1, 2, 3}));
        QVERIFY(core.Tick() > 960 && core.Tick() < 1200);
    }

    void caesuraHoldsUntilContinue()
    {
        PlaybackCore core = MakeCore({{"1", {Ev('N', "N1", 960)}}});
        Recorder r;
        core.Play();
        r.Run(core, 3.0);
        QCOMPARE(core.Tick(), 960u);
        QVERIFY(core.IsPlaying());
        QVERIFY(core.IsHolding());
        QCOMPARE(r.Of(Kind::StatusFlowControl).back().text, std::string("Caesura"));
        core.Continue();
        r.Run(core, 0.5);
        QCOMPARE(core.Tick(), 960u + 480u);
        QCOMPARE(r.Of(Kind::StatusFlowControl).back().text, std::string("ClearPickupBeat"));
    }

    void skipPlaysThroughUnlessLeft()
    {
        PlaybackCore core = MakeCore({{"1", {Ev('M', "S1", 960, 4800)}}});
        Recorder r;
        core.Play();
        r.Run(core, 1.5);
        QCOMPARE(r.Of(Kind::StatusFlowControl).back().text, std::string("Skip"));
        core.Continue();
        QCOMPARE(core.Tick(), 4800u);
        QCOMPARE(r.Of(Kind::StatusFlowControl).size(), size_t(1));
        r.Take(core);
        QCOMPARE(r.Of(Kind::StatusFlowControl).back().text, std::string("ClearPickupBeat"));
        // Without a request a skip plays through.
        core.Seek(0);
        r.Clear();
        r.Run(core, 5.1);
        QVERIFY(core.Tick() > 4800);
        QCOMPARE(r.Of(Kind::StatusFlowControl).back().text, std::string("ClearPickupBeat"));
    }

    void tempoScaleAndTranspositionReportAndRate()
    {
        PlaybackCore core = MakeCore(
            {{"1", {Ev('D', "T1", 960, 2880, 0, 1.5), Ev('C', "C1", 960, 1920, -2)}}});
        Recorder r;
        core.Play();
        r.Run(core, 1.5); // 1 s to 960, then 0.5 s at 1.5 times the rate
        QVERIFY(!r.Of(Kind::TempoScale).empty() && !r.Of(Kind::Transposition).empty());
        QCOMPARE(r.Of(Kind::TempoScale).back().text, std::string("150%"));
        QCOMPARE(r.Of(Kind::Transposition).back().value, -2);
        QVERIFY(std::abs(core.Position() - 1680.0) < 0.01);
        r.Run(core, 0.5);
        QCOMPARE(r.Of(Kind::Transposition).back().value, 0);
        QCOMPARE(r.Of(Kind::TempoScale).back().text, std::string("150%"));
        r.Run(core, 0.5);
        QCOMPARE(r.Of(Kind::TempoScale).back().text, std::string("100%"));
        QVERIFY(std::abs(core.Position() - 3040.0) < 0.01);
    }

    void markersPagesAndKeysCrossed()
    {
        PlaybackCore core = MakeCore({{"1", {Ev('E', "E1", 2000), Ev('E', "E2", 4000)}}});
        Recorder r;
        core.Play();
        r.Run(core, 8.5);
        const auto markers = r.Of(Kind::Marker);
        QCOMPARE(markers.size(), size_t(2));
        QCOMPARE(markers[0].value, 2000);
        QCOMPARE(markers[1].value, 4000);
        QCOMPARE(r.Of(Kind::PageNum).back().value, 2);
        QCOMPARE(r.Of(Kind::Key).back().text, std::string("D major"));
        core.Stop();
        core.SeekRight();
        QCOMPARE(core.Tick(), 2000u);
        core.SeekRight();
        QCOMPARE(core.Tick(), 4000u);
        core.SeekLeft();
        QCOMPARE(core.Tick(), 2000u);
    }

    void songEndFollowsAttacca_data()
    {
        QTest::addColumn<int>("attacca");
        QTest::addColumn<bool>("secondSkipped");
        QTest::addColumn<QString>("nextSong");
        QTest::addColumn<bool>("keepsPlaying");
        QTest::newRow("play") << 0 << false << "2" << false;
        QTest::newRow("continue") << 1 << false << "2" << true;
        QTest::newRow("continue past a skipped song") << 1 << true << "3" << true;
    }
    void songEndFollowsAttacca()
    {
        QFETCH(int, attacca);
        QFETCH(bool, secondSkipped);
        QFETCH(QString, nextSong);
        QFETCH(bool, keepsPlaying);
        std::map<std::string, uint8_t> states{{"1", uint8_t(attacca)}};
        if (secondSkipped)
            states["2"] = 2;
        PlaybackCore core = MakeCore({}, states);
        Recorder r;
        core.Seek(19200 - 480); // one second before the double bar at 60 BPM
        core.Play();
        r.Run(core, 1.2);
        if (keepsPlaying) {
            QCOMPARE(QString::fromStdString(core.CurrentSong()), nextSong);
            QVERIFY(core.IsPlaying());
            QCOMPARE(core.Tick(), core.CurrentStartTick() + 192); // 0.2 s into the next song
        } else {
            // The tail past the double bar plays out (1920 ticks at 60 BPM: 4 s) first.
            QCOMPARE(core.CurrentSong(), std::string("1"));
            r.Run(core, 4.0);
            QCOMPARE(QString::fromStdString(core.CurrentSong()), nextSong);
            QVERIFY(!core.IsPlaying());
            QVERIFY(core.IsStopped());
            QCOMPARE(core.Tick(), core.CurrentStartTick());
        }
        QCOMPARE(QString::fromStdString(r.Of(Kind::SongLoaded).back().text), nextSong);
    }

    void nextAndPreviousSong()
    {
        PlaybackCore core = MakeCore({}, {{"2", 2}});
        core.NextSong();
        QCOMPARE(core.CurrentSong(), std::string("3"));
        core.Seek(480);
        core.PrevSong(); // past the start: back to its start
        QCOMPARE(core.CurrentSong(), std::string("3"));
        QCOMPARE(core.Tick(), 0u);
        core.PrevSong();
        QCOMPARE(core.CurrentSong(), std::string("1"));
    }

    void fadeHaltsAndCompletesOnce()
    {
        PlaybackCore core = MakeCore({});
        Recorder r;
        int ran = 0;
        core.Play();
        core.Fade([&] { ++ran; }, 1.0);
        r.Take(core);
        QCOMPARE(r.Of(Kind::PlaybackFading).size(), size_t(1));
        r.Run(core, 0.5);
        QVERIFY(std::abs(core.FadeGain() - 0.5) < 0.01);
        QVERIFY(r.Of(Kind::StatusVolume).size() >= 9); // every 50 ms
        r.Run(core, 0.6);
        QVERIFY(core.IsFaded());
        QVERIFY(!core.IsPlaying());
        QCOMPARE(r.completions.size(), size_t(1));
        QCOMPARE(r.completions[0].generation, core.FadeGeneration());
        QCOMPARE(r.Of(Kind::StatusVolume).back().value, 0);
        // A cancel after the end makes the completion stale; Play restores full level.
        core.CancelFade();
        QVERIFY(r.completions[0].generation != core.FadeGeneration());
        core.Play();
        QCOMPARE(core.FadeGain(), 1.0);
    }

    void fadeSupersededOrStoppedDropsCompletion()
    {
        PlaybackCore core = MakeCore({});
        Recorder r;
        core.Play();
        core.Fade([] {}, 1.0);
        core.FadeTo([] {}, 0.2, 0.5);
        r.Run(core, 0.3);
        QCOMPARE(r.completions.size(), size_t(1)); // only the second one
        QVERIFY(std::abs(core.FadeGain() - 0.5) < 1e-9);
        QVERIFY(core.IsPlaying());
        core.CancelFade(); // keeps the level reached
        QVERIFY(std::abs(core.FadeGain() - 0.5) < 1e-9);
        core.Fade([] {}, 1.0);
        r.Run(core, 0.2);
        core.Stop();
        r.Run(core, 1.0);
        QCOMPARE(r.completions.size(), size_t(1));
        QCOMPARE(core.FadeGain(), 1.0);
    }

    void oscCuesAreHandedOutAheadWithTheirDelay()
    {
        PlaybackCore core = MakeCore({{"1", {Ev('S', "S1", 960), Ev('S', "S2", 960), Ev('S', "S3", 2400)}}});
        core.SetOscProcessing(true);
        Recorder r;
        core.Play();
        r.Run(core, 3.0);
        QCOMPARE(r.cues.size(), size_t(3));
        for (size_t i = 0; i < r.cues.size(); ++i) {
            QVERIFY(r.cues[i].execute);
            const double due = r.cues[i].cue.start / 960.0;
            const double when = r.cueTimes[i] + r.cues[i].delayMs / 1000.0;
            QVERIFY2(std::abs(when - due) <= 0.001, qPrintable(QString::number(when - due)));
            QVERIFY(r.cues[i].delayMs <= 50);
        }
    }

    void reloadingTheChangeLogDoesNotResendCues()
    {
        const std::map<std::string, std::vector<FlowEvent>> events{{"1", {Ev('S', "S1", 960)}}};
        PlaybackCore core = MakeCore(events);
        core.SetOscProcessing(true);
        Recorder r;
        core.Play();
        r.Run(core, 0.96); // handed out 40 ms ahead
        QCOMPARE(r.cues.size(), size_t(1));
        core.SetFlow(FlowSnapshot::Build(core.Show(), events, {}));
        r.Run(core, 0.5);
        QCOMPARE(r.cues.size(), size_t(1));
    }

    void oscCueBehindAJumpIsNotHandedOutEarly()
    {
        PlaybackCore core = MakeCore({{"1", {Ev('B', "B1", 960, 1920), Ev('S', "S1", 970)}}});
        core.SetOscProcessing(true);
        Recorder r;
        core.Play();
        r.Run(core, 2.0);
        QVERIFY(r.cues.empty());
    }

    void oscCueReachedWhileStoppedIsHeldBack()
    {
        PlaybackCore core = MakeCore({{"1", {Ev('S', "S1", 0), Ev('S', "S2", 1920)}}});
        core.SetOscProcessing(true);
        Recorder r;
        r.Take(core);
        QCOMPARE(r.cues.size(), size_t(1)); // the cue at the song's start, on turning OSC on
        QVERIFY(!r.cues[0].execute);
        core.Seek(1920);
        r.Take(core);
        QCOMPARE(r.cues.size(), size_t(2));
        QCOMPARE(r.cues[1].cue.id, std::string("S2"));
        QVERIFY(!r.cues[1].execute);
        // Playing on from there does not send it a second time.
        core.Play();
        r.Run(core, 0.5);
        QCOMPARE(r.cues.size(), size_t(2));
        // Processing off: nothing at all.
        core.SetOscProcessing(false);
        core.Seek(0);
        r.Take(core);
        QCOMPARE(r.cues.size(), size_t(2));
    }

    void currentStartTickMovesPastALeadingCut()
    {
        PlaybackCore core = MakeCore({{"2", {Ev('B', "B1", 0, 1920)}}});
        core.LoadSong("2");
        QCOMPARE(core.CurrentStartTick(), 1920u);
        QCOMPARE(core.Tick(), 1920u);
        QVERIFY_EXCEPTION_THROWN(core.LoadSong("nope"), std::invalid_argument);
        QCOMPARE(core.CurrentSong(), std::string("2"));
    }

    void seekToBarAndMeasures()
    {
        PlaybackCore core = MakeCore({});
        core.LoadSong("2");
        QVERIFY(core.SeekToBar(" 3 "));
        QCOMPARE(core.Tick(), 3u * 1920u);
        QVERIFY(!core.SeekToBar("99"));
        core.SeekToNextMeasure();
        QCOMPARE(core.Tick(), 4u * 1920u);
        core.Seek(4u * 1920u + 10);
        core.SeekToPreviousMeasure();
        QCOMPARE(core.Tick(), 4u * 1920u);
    }

    void pauseToggleStates()
    {
        PlaybackCore core = MakeCore({});
        Recorder r;
        core.Play();
        r.Run(core, 0.1);
        core.Pause();
        QVERIFY(core.IsPaused() && !core.IsPlaying() && !core.IsStopped());
        const auto at = core.Tick();
        r.Run(core, 0.5);
        QCOMPARE(core.Tick(), at);
        core.Play();
        QVERIFY(core.IsPlaying() && !core.IsPaused());
        core.Play(); // again: nothing changes
        r.Take(core);
        QCOMPARE(r.Of(Kind::PlaybackStarted).size(), size_t(2));
        core.Stop();
        QVERIFY(core.IsStopped());
        QCOMPARE(core.Tick(), 0u);
    }

    void runawayFlowDoesNotHang()
    {
        // An endless vamp whose whole body is cut away would jump forever.
        PlaybackCore core = MakeCore({{"1", {Ev('@', "V1", 960, 1920, 0), Ev('B', "B1", 960, 1920)}}});
        Recorder r;
        core.Play();
        r.Run(core, 3.0);
        QVERIFY(core.Tick() > 1920);
    }
    // Advancing by SecondsToNextBoundary lands exactly on each boundary, and a vamp's jump back
    // is taken within that very call; a hold stops the clock, and a fade that halts playback
    // is a boundary of its own. Only moves that are not time passing count as new positions.
    void secondsToNextBoundaryLandsOnEachBoundary()
    {
        PlaybackCore core = MakeCore({{"1", {Ev('D', "T1", 1000, 3000, 0, 0.8), Ev('@', "V1", 1000, 2000, 2),
                                             Ev('N', "N1", 2500)}}});
        QVERIFY(std::isinf(core.SecondsToNextBoundary()));
        const uint64_t generation = core.PositionGeneration();
        core.Play();
        std::vector<double> positions;
        std::vector<uint64_t> generations;
        for (int i = 0; i < 20 && !core.IsHolding(); ++i) {
            const double seconds = core.SecondsToNextBoundary();
            QVERIFY(seconds > 0.0 && std::isfinite(seconds));
            core.Advance(seconds);
            positions.push_back(core.Position());
            generations.push_back(core.PositionGeneration() - generation);
        }
        QCOMPARE(positions, (std::vector<double>{480, 960, 1000, 1440, 1920, 1000, 1440, 1920, 2000, 2400, 2500}));
        QCOMPARE(generations, (std::vector<uint64_t>{0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1}));
        QVERIFY(std::isinf(core.SecondsToNextBoundary()));
        QCOMPARE(core.TicksPerSecond(), 960.0 * 0.8);

        core.Continue(); // released where it held: no new position
        QCOMPARE(core.PositionGeneration() - generation, uint64_t(1));
        QCOMPARE(core.SecondsToNextBoundary(), 380.0 / 768.0);
        core.Fade({}, 0.25);
        QCOMPARE(core.SecondsToNextBoundary(), 0.25);
        core.Advance(0.25);
        QVERIFY(!core.IsPlaying());
        QVERIFY(std::isinf(core.SecondsToNextBoundary()));

        core.Seek(100);
        core.Stop();
        core.LoadSong("2");
        QCOMPARE(core.PositionGeneration() - generation, uint64_t(4));
    }

    // The tempo scale and transposition that playing on will bring, up to the first jump, hold
    // or cut; a vamp that will not repeat (its last pass, or left) does not stop the look ahead.
    void upcomingSoundChangesStopAtTheNextJump_data()
    {
        QTest::addColumn<uint32_t>("from");
        QTest::addColumn<int>("vampCount");
        QTest::addColumn<bool>("leave");
        QTest::addColumn<double>("until");
        QTest::addColumn<QString>("expected"); // tick:scale:semitones
        QTest::newRow("vamp played once: up to the cut")
            << 0u << 1 << false << 1e9 << "1000:0.8:0 1500:0.8:3 2500:0.8:0 3000:1:0 4500:1.25:0";
        QTest::newRow("vamp repeats: up to its end") << 0u << 2 << false << 1e9 << "1000:0.8:0 1500:0.8:3 2500:0.8:0 3000:1:0";
        QTest::newRow("a horizon") << 0u << 2 << false << 1600.0 << "1000:0.8:0 1500:0.8:3";
        QTest::newRow("inside the vamp") << 2200u << 2 << false << 1e9 << "2500:0.8:0 3000:1:0";
        QTest::newRow("inside an endless vamp, left") << 2200u << 0 << true << 1e9 << "2500:0.8:0 3000:1:0 4500:1.25:0";
    }
    void upcomingSoundChangesStopAtTheNextJump()
    {
        QFETCH(uint32_t, from);
        QFETCH(int, vampCount);
        QFETCH(bool, leave);
        QFETCH(double, until);
        QFETCH(QString, expected);
        PlaybackCore core = MakeCore({{"1", {Ev('D', "T1", 1000, 3000, 0, 0.8), Ev('C', "C1", 1500, 2500, 3),
                                             Ev('@', "V1", 2000, 4000, vampCount), Ev('B', "B1", 5000, 5500),
                                             Ev('D', "T2", 4500, 6000, 0, 1.25)}}});
        core.Seek(from);
        core.Play();
        if (leave)
            core.FlowControlExit();
        PlaybackCore::SoundChange out[8];
        const int n = core.UpcomingSoundChanges(until, out, 8);
        QStringList got;
        for (int i = 0; i < n; ++i)
            got << QString("%1:%2:%3").arg(out[i].tick).arg(out[i].scale).arg(out[i].semitones);
        QCOMPARE(got.join(' '), expected);
        if (from == 2200) {
            QCOMPARE(core.CurrentTransposition(), 3);
            QCOMPARE(core.TicksPerSecond(), 960.0 * 0.8);
        }
    }
};

QTEST_GUILESS_MAIN(TestPlaybackCore)
#include "tst_playback_core.moc"

// The engine as heard: its musical time is the frames its output renders.
#include "AllocationCounter.h"
#include "EngineFixture.h"
#include "zarn_core/ChangeLogData.h"
#include "zarn_core/ChangeLogFile.h"
#include "zarn_core/EventObserver.h"

#include <QtTest>
#include <sndfile.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <optional>

using E = notify::EngineEvent;

namespace {

constexpr int kRate = AudioInterface::kSampleRate;

// Song 1 plays a 440 Hz tone at half scale (120 BPM: 960 ticks a second); song 2's file is
// missing; song 3's stem names a path the show does not have.
const char* kShow = R"({"format":"1.0","showId":"sound","ppq":480,
 "songs":[
  {"number":"1","title":"Tone","startTick":0,"lengthTicks":9600,"audioEndTick":9600,"audio":"tone.wav",
   "meters":[{"tick":0,"num":4,"den":4}],"tempos":[{"tick":0,"bpm":120}]},
  {"number":"2","title":"Gone","startTick":0,"lengthTicks":9600,"audio":"missing.wav",
   "meters":[{"tick":0,"num":4,"den":4}],"tempos":[{"tick":0,"bpm":120}]},
  {"number":"3","title":"Astray","startTick":0,"lengthTicks":9600,
   "stems":[{"file":"tone.wav","outputPath":"monitor"}],
   "meters":[{"tick":0,"num":4,"den":4}],"tempos":[{"tick":0,"bpm":120}]}],
 "outputPaths":[{"id":"main","name":"Main"}]})";

void WriteTone(const std::string& path, double seconds)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    QVERIFY(file);
    std::vector<float> samples(static_cast<size_t>(seconds * kRate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = 0.5f * static_cast<float>(std::sin(2 * M_PI * 440.0 * double(i) / kRate));
    sf_writef_float(file, samples.data(), sf_count_t(samples.size()));
    sf_close(file);
}

// Amplitude of a frequency in the left channel of frames [from, to): a single DFT bin.
double Level(const std::vector<float>& stereo, int64_t from, int64_t to, double hz)
{
    double re = 0, im = 0;
    for (int64_t i = from; i < to; ++i) {
        const double phase = 2 * M_PI * hz * double(i) / kRate;
        re += stereo[size_t(2 * i)] * std::cos(phase);
        im += stereo[size_t(2 * i)] * std::sin(phase);
    }
    return 2 * std::hypot(re, im) / double(to - from);
}

struct Capture
{
    std::mutex mutex;
    std::vector<float> frames;
    void operator()(const float* block, int n)
    {
        std::lock_guard lock(mutex);
        frames.insert(frames.end(), block, block + 2 * n);
    }
};

// A receiver of the playhead notices that hangs in its first one until let go, as a screen
// that stalls holds up the engine's delivery thread. Lets go when it ends, so that the engine
// can be taken down whatever the test did.
class StalledReceiver
{
public:
    StalledReceiver()
    {
        observer_.SetCallbackFunc(
            [this](int, int, const char*, void*) {
                std::unique_lock lock(mutex_);
                if (stalled_)
                    return;
                stalled_ = true;
                changed_.notify_all();
                changed_.wait(lock, [this] { return released_; });
            },
            nullptr);
        observer_.Register(E::Playhead, 0);
    }
    ~StalledReceiver() { Release(); }

    bool WaitUntilStalled()
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [this] { return stalled_; });
    }
    void Release()
    {
        {
            std::lock_guard lock(mutex_);
            released_ = true;
        }
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stalled_ = false;
    bool released_ = false;
    notify::EventObserver observer_;
};

} // namespace

class TestEngineSound : public QObject
{
    Q_OBJECT

    static void WriteShow(EngineFixture& f)
    {
        std::ofstream(f.showFolder + "/show.json") << kShow;
        WriteTone(f.showFolder + "/tone.wav", 12.0);
    }

private slots:
    // However the clock's steps fall, each renders its frames (a fraction carried on) and the
    // musical time is the frames rendered: the tone and the click are where the core says.
    void manualClockRendersTheSound_data()
    {
        QTest::addColumn<int>("stepMicroseconds");
        QTest::addColumn<double>("clickVolume");
        QTest::newRow("5 ms steps") << 5000 << 1.0;
        QTest::newRow("steps of fractional frames") << 333 << 1.0;
        QTest::newRow("steps longer than a block") << 50000 << 1.0;
        QTest::newRow("the mixer's click volume at half") << 5000 << 0.5;
    }
    void manualClockRendersTheSound()
    {
        QFETCH(int, stepMicroseconds);
        QFETCH(double, clickVolume);
        EngineFixture f;
        f.clock = std::make_shared<zarn::player::ManualClock>(std::chrono::microseconds(stepMicroseconds));
        f.sound = true;
        WriteShow(f);
        auto capture = std::make_shared<Capture>();
        AudioInterface::Options options;
        options.renderTap = [capture](const float* block, int n) { (*capture)(block, n); };
        f.engine = f.MakeEngine(std::move(options));
        f.engine->SetVolume(clickVolume, Interface::kClickVolume);
        f.engine->SetVolume(0.8, Interface::kOutputVolume); // the click's level is its own
        f.engine->SetVolume(1.0, Interface::kOutputVolume);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, f.engine->SetVolume(0.5, 3));
        QCOMPARE(f.engine->GetVolume(), 1.0);
        f.Advance(0.1); // idle: silent frames, and the position stays
        QCOMPARE(f.engine->FramesRendered(), int64_t(kRate / 10));
        QCOMPARE(f.engine->GetTickIndex(), 0u);
        f.engine->Play();
        f.Advance(1.0);
        QCOMPARE(f.engine->FramesRendered(), int64_t(kRate + kRate / 10));
        QCOMPARE(f.engine->GetTickIndex(), 960u);
        QVERIFY2(f.engine->GetSoundProblem().find("/tone.wav") == std::string::npos, f.engine->GetSoundProblem().c_str());

        std::vector<float> heard;
        {
            std::lock_guard lock(capture->mutex);
            heard = capture->frames;
        }
        QCOMPARE(heard.size(), size_t(2 * (kRate + kRate / 10)));
        const int64_t play = kRate / 10;
        for (int64_t i = 0; i < play; ++i)
            QCOMPARE(heard[size_t(2 * i)], 0.0f);
        // Between the beats: the tone at its level, nothing of the click.
        QVERIFY(std::abs(Level(heard, play + kRate / 10, play + 45 * kRate / 100, 440.0) - 0.5) < 0.02);
        QVERIFY(Level(heard, play + kRate / 10, play + 45 * kRate / 100, 1000.0) < 0.01);
        // The bar's accent on the first frame, the next beat at 0.5 s (the click's first 6 ms).
        const int64_t click = kRate * 6 / 1000;
        const double accent = Level(heard, play, play + click, 1500.0);
        const double beat = Level(heard, play + kRate / 2, play + kRate / 2 + click, 1000.0);
        QVERIFY2(accent > 0.4 * clickVolume && accent < 0.6 * clickVolume, qPrintable(QString::number(accent)));
        QVERIFY2(beat > 0.25 * clickVolume && beat < 0.35 * clickVolume, qPrintable(QString::number(beat)));
        QVERIFY(Level(heard, play + kRate / 2 - click, play + kRate / 2, 1000.0) < 0.05);
    }

    // A file that cannot be read and a stem on a path the show lacks are said plainly; the
    // song plays on without that file.
    void soundProblemsAreSaid()
    {
        EngineFixture f;
        f.sound = true;
        WriteShow(f);
        f.engine = f.MakeEngine();
        QVERIFY2(f.engine->GetSoundProblem().find("\"monitor\"") != std::string::npos,
                 f.engine->GetSoundProblem().c_str());
        f.engine->LoadSong("2");
        f.engine->Play();
        QTRY_VERIFY_WITH_TIMEOUT((f.Advance(0.01), f.engine->GetSoundProblem().find("missing.wav") != std::string::npos),
                                 5000);
        const uint32_t before = f.engine->GetTickIndex();
        f.Advance(0.5);
        QCOMPARE(f.engine->GetTickIndex(), before + 480);
    }

    // Without a clock of the tests the output is the clock: a null output when there is no
    // sound, consuming frames at real time, and the position is those frames.
    void nullOutputIsTheClock()
    {
        EngineFixture f;
        f.manualClock = false;
        f.Start();
        QVERIFY(!f.engine->IsSoundActive());
        QCOMPARE(f.engine->GetSoundProblem(), std::string());
        const auto started = std::chrono::steady_clock::now();
        const int64_t framesAtPlay = f.engine->FramesRendered();
        f.engine->Play();
        QTRY_VERIFY_WITH_TIMEOUT(f.engine->GetTickIndex() >= 960, 5000);
        const double played = double(f.engine->FramesRendered() - framesAtPlay) / kRate;
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        QVERIFY2(played <= elapsed + 0.02 && played > elapsed - 0.1, qPrintable(QString("%1 s of frames in %2 s").arg(played).arg(elapsed)));
        f.engine->Stop();
    }

    // A receiver of the notifications that hangs (a stalled screen) holds up neither the
    // frames nor the musical time.
    void aStalledReceiverDoesNotStallTheClock()
    {
        EngineFixture f;
        f.manualClock = false;
        f.Start();
        StalledReceiver receiver;
        f.engine->Play();
        QVERIFY(receiver.WaitUntilStalled());
        const uint32_t tick = f.engine->GetTickIndex();
        const int64_t frames = f.engine->FramesRendered();
        const auto since = std::chrono::steady_clock::now();
        // Two seconds of music go by while the receiver still hangs.
        QTRY_VERIFY_WITH_TIMEOUT(f.engine->GetTickIndex() >= tick + 1920, 5000);
        QVERIFY(std::chrono::steady_clock::now() - since < std::chrono::milliseconds(2500));
        QVERIFY(f.engine->FramesRendered() - frames >= 2 * kRate - 2 * 1024);
        receiver.Release();
        // What waited for the receiver arrives late, the playhead as its latest value only:
        // two seconds of it (80 values) come as one, then the few before the pause.
        f.engine->Pause(false);
        QTRY_VERIFY_WITH_TIMEOUT(!f.Of(E::PlaybackPaused).empty(), 5000);
        const auto playheads = f.Of(E::Playhead);
        QVERIFY2(playheads.size() <= 12, qPrintable(QString("%1 playhead notices").arg(playheads.size())));
        QVERIFY(playheads.back().value >= int(tick + 1920));
        f.engine->Stop();
    }

    // Cues are timed to the frames they fall on and sent by a thread of their own: a screen
    // that hangs for two seconds changes neither when they go out nor what is heard.
    void cuesAndSoundGoOnThroughAStall()
    {
        EngineFixture f;
        f.manualClock = false;
        f.sound = true; // no sound server here: the null output renders the tone
        WriteShow(f);
        // Cues each musical second from tick 960; from tick 2880 a tempo scale of 0.8 makes
        // each of those seconds last 1.25 s.
        CL::ChangeLogData data;
        data.version = cmn::ZARNVersion(1, 0);
        data.networks.push_back(CL::NetworkPath("NETWORK0", "Lights", "127.0.0.1", 53000, 0));
        auto& song = data.songs["1"];
        for (int k = 1; k <= 5; ++k)
            song.Insert(CL::Osc(uint32_t(960 * k), "S" + std::to_string(k) + ".1",
                                CL::OscProperties("/cue/" + std::to_string(k), "NETWORK0")));
        song.Insert(CL::TempoScale(2880, 9600, "T9.1", 0.8));
        CL::ChangeLogFile::Save(data, f.showFolder + "/sound-1.0.logdata");

        struct Sent
        {
            std::string id;
            std::chrono::steady_clock::time_point due, at;
        };
        struct SentCues
        {
            std::mutex mutex;
            std::vector<Sent> list;
        };
        // Shared with the engine's threads, which outlive this scope's locals when a check
        // fails and the engine goes down after them.
        auto sentCues = std::make_shared<SentCues>();
        std::mutex& sentMutex = sentCues->mutex;
        std::vector<Sent>& sent = sentCues->list;
        auto captured = std::make_shared<Capture>();
        Capture& capture = *captured;
        AudioInterface::Options options;
        options.renderTap = [captured](const float* block, int n) { (*captured)(block, n); };
        options.cueTap = [sentCues](const CL::Osc& cue, std::chrono::steady_clock::time_point due) {
            std::lock_guard lock(sentCues->mutex);
            sentCues->list.push_back({cue.EventId(), due, std::chrono::steady_clock::now()});
        };
        f.engine = f.MakeEngine(std::move(options));
        f.engine->DoOscProcessing(true);

        StalledReceiver receiver;
        size_t framesAtPlay = 0;
        {
            std::lock_guard lock(capture.mutex);
            framesAtPlay = capture.frames.size() / 2;
        }
        f.engine->Play();
        QVERIFY(receiver.WaitUntilStalled());
        const auto sentCount = [&] {
            std::lock_guard lock(sentMutex);
            return sent.size();
        };
        // Four cues fall within the receiver's hang (its first 4.25 s, some of it before).
        QTRY_VERIFY_WITH_TIMEOUT(sentCount() >= 4, 10000);
        receiver.Release();
        QTRY_VERIFY_WITH_TIMEOUT(sentCount() >= 5, 5000);
        f.engine->Stop();

        std::lock_guard lock(sentMutex);
        const double expected[] = {0.0, 1.0, 2.25, 3.5};
        for (size_t k = 0; k < 5; ++k) {
            QCOMPARE(sent[k].id, "S" + std::to_string(k + 1) + ".1");
            const double late = std::chrono::duration<double>(sent[k].at - sent[k].due).count();
            QVERIFY2(late >= 0 && late < 0.05, qPrintable(QString("cue %1 left %2 s after its time").arg(k + 1).arg(late)));
            if (k >= 1) {
                const double apart = std::chrono::duration<double>(sent[k].due - sent[0].due).count();
                // A busy machine's output wakes late now and then; a cue off its musical time is
                // off by a quarter of a second here.
                QVERIFY2(std::abs(apart - expected[k - 1] - 1.0) < 0.015,
                         qPrintable(QString("cue %1 due %2 s after the first").arg(k + 1).arg(apart)));
            }
        }
        // The tone sounds throughout the hang: no block went silent.
        std::lock_guard heardLock(capture.mutex);
        const int64_t from = int64_t(framesAtPlay) + kRate / 10;
        const int64_t to = std::min<int64_t>(int64_t(capture.frames.size() / 2), int64_t(framesAtPlay) + 4 * kRate);
        QVERIFY(to - from > 3 * kRate);
        for (int64_t at = from; at + kRate / 20 <= to; at += kRate / 20) {
            float peak = 0;
            for (int64_t i = at; i < at + kRate / 20; ++i)
                peak = std::max(peak, std::abs(capture.frames[size_t(2 * i)]));
            QVERIFY2(peak > 0.3f, qPrintable(QString("silence at %1 s").arg(double(at - int64_t(framesAtPlay)) / kRate)));
        }
    }

    // Steady play on the output as the clock: the render thread's blocks (the core's
    // advance, the stems, the click, the notices queued for delivery) allocate nothing.
    void steadyPlayAllocatesNothing()
    {
        if (!zarn::audio::test::CountAllocations::Available())
            QSKIP("allocations cannot be counted under a sanitizer's allocator");
        EngineFixture f;
        f.manualClock = false;
        f.sound = true;
        WriteShow(f);
        struct Counting
        {
            std::atomic<bool> armed{false};
            std::atomic<int> blocks{0};
            std::atomic<long> allocations{-1};
        };
        constexpr int kBlocks = 200;
        auto counting = std::make_shared<Counting>();
        AudioInterface::Options options;
        options.renderTap = [counting](const float*, int) {
            thread_local std::optional<zarn::audio::test::CountAllocations> scope;
            if (!counting->armed)
                return;
            const int n = ++counting->blocks;
            if (n == 1)
                scope.emplace();
            else if (n == 1 + kBlocks && scope)
                counting->allocations = scope->Count();
        };
        f.engine = f.MakeEngine(std::move(options));
        f.engine->Play();
        // Past the start, with the song's streams ready and the first notices out.
        QTRY_VERIFY_WITH_TIMEOUT(f.engine->GetTickIndex() > 480, 5000);
        counting->armed = true;
        QTRY_VERIFY_WITH_TIMEOUT(counting->allocations >= 0, 10000);
        f.engine->Stop();
        QCOMPARE(counting->allocations.load(), 0L);
    }
};

QTEST_GUILESS_MAIN(TestEngineSound)
#include "tst_engine_sound.moc"

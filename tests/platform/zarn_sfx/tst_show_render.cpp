#include "AllocationCounter.h"
#include "AudioTestSignals.h"
#include "ShowRender.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace zarn::audio;
using namespace zarn::audio::test;
using namespace zarn::player;

namespace {

constexpr int kRate = 48000;

FlowEvent Ev(char code, uint32_t start, uint32_t end = 0, int i = 0, double f = 0.0)
{
    static int ids = 0;
    FlowEvent e;
    e.code = code;
    e.id = std::string(1, code) + std::to_string(++ids);
    e.start = start;
    e.end = end;
    e.intValue = i;
    e.floatValue = f;
    return e;
}

using Flow = std::map<std::string, std::vector<FlowEvent>>;

// A show in a temporary folder, its playback core and its render, played as a device would
// play it: blocks of frames, with the control thread's work (taking the core's output,
// preparing songs) between them. What is rendered piles up in `stems` and `click`.
struct Rig
{
    QTemporaryDir dir;
    std::shared_ptr<const ShowDefinition> show;
    std::unique_ptr<PlaybackCore> core;
    std::unique_ptr<ShowRender> render;
    std::vector<float> stems;
    std::vector<float> click;
    int64_t dropped = 0;   // frames rendered before `stems` was last cleared
    int64_t callStart = 0; // the output frame where the Render call under way began

    std::string Path(const std::string& name) const { return (dir.path() + "/" + QString::fromStdString(name)).toStdString(); }

    // Files go into dir first: the render opens them as it prepares.
    void Start(const std::string& json, const Flow& flow = {}, std::map<std::string, uint8_t> attacca = {},
               int rate = kRate)
    {
        show = std::make_shared<const ShowDefinition>(ShowDefinition::Parse(json, "test show"));
        core = std::make_unique<PlaybackCore>(show);
        core->SetFlow(FlowSnapshot::Build(*show, flow, attacca));
        ShowRenderSettings settings;
        settings.sampleRate = rate;
        settings.waitForDisk = true;
        render = std::make_unique<ShowRender>(*core, dir.path().toStdString(), settings);
        Command([] {});
    }

    // A command from the control thread: the core changes, the render prepares for it.
    template <typename F> void Command(F command)
    {
        command();
        core->TakeOutput();
        render->Prepare();
    }
    bool WaitReady()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!render->Ready()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    void Play(int64_t frames, int block = 512)
    {
        for (int64_t at = 0; at < frames;) {
            const int64_t n = std::min<int64_t>(block, frames - at);
            const size_t from = stems.size();
            stems.resize(from + size_t(n) * 2, 0.0f);
            click.resize(from + size_t(n) * 2, 0.0f);
            RenderTargets targets;
            targets.click = click.data() + from;
            targets.stems[0] = stems.data() + from;
            callStart = dropped + int64_t(from / 2);
            render->Render(n, targets);
            core->TakeOutput();
            render->Prepare();
            at += n;
        }
    }
    int64_t Rendered() const { return dropped + int64_t(stems.size() / 2); }
    void Clear()
    {
        dropped = Rendered();
        stems.clear();
        click.clear();
    }
    // The frame-index file's frame heard at a (global) output frame.
    int64_t IndexAt(int64_t frame) const { return IndexOf(&stems[size_t((frame - dropped) * 2)]); }
};

std::string OneSong(const std::string& fields)
{
    return R"({"format":"1.0","showId":"render","songs":[{"number":"1","title":"One","startTick":0,)" + fields + "}]}";
}

// Power of the left channel at `hz` over a Hann window (Goertzel), and the strongest
// frequency within 15% of `around`.
double Power(const std::vector<float>& stereo, int64_t from, int64_t frames, double hz, int rate)
{
    const double coeff = 2.0 * std::cos(2.0 * M_PI * hz / rate);
    double s1 = 0.0, s2 = 0.0;
    for (int64_t i = 0; i < frames; ++i) {
        const double hann = 0.5 - 0.5 * std::cos(2.0 * M_PI * double(i) / double(frames - 1));
        const double s0 = stereo[size_t((from + i) * 2)] * hann + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coeff * s1 * s2;
}
double PeakHz(const std::vector<float>& stereo, int64_t from, int64_t frames, double around, int rate = kRate)
{
    double best = 0.0, bestPower = -1.0;
    for (double hz = around * 0.85; hz <= around * 1.15; hz += 0.25) {
        const double p = Power(stereo, from, frames, hz, rate);
        if (p > bestPower) {
            bestPower = p;
            best = hz;
        }
    }
    return best;
}

float LargestStep(const std::vector<float>& stereo)
{
    float step = 0.0f;
    for (size_t i = 2; i < stereo.size(); ++i)
        step = std::max(step, std::abs(stereo[i] - stereo[i - 2]));
    return step;
}

float Peak(const std::vector<float>& stereo, int64_t from, int64_t to)
{
    float peak = 0.0f;
    for (int64_t i = from; i < to; ++i)
        peak = std::max(peak, std::abs(stereo[size_t(i * 2)]));
    return peak;
}

// Where each click starts: above `threshold` after at least 10 ms below it.
std::vector<int64_t> ClickOnsets(const std::vector<float>& stereo, float threshold)
{
    std::vector<int64_t> onsets;
    int64_t quiet = kRate;
    for (size_t i = 0; i < stereo.size() / 2; ++i) {
        if (std::abs(stereo[2 * i]) > threshold) {
            if (quiet >= kRate / 100)
                onsets.push_back(int64_t(i));
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    return onsets;
}

} // namespace

Q_DECLARE_METATYPE(std::vector<zarn::player::FlowEvent>)

class TestShowRender : public QObject
{
    Q_OBJECT

private slots:
    // A vamp of 1 s (48000 frames) played three times: every pass is the file's same frames,
    // to the frame, and the seam is crossfaded: a sine whose phase does not meet itself there
    // steps no more than the sine and the 5 ms equal-power fade do.
    void vampLoopsToTheFrame()
    {
        Rig rig;
        WriteIndexWav(rig.Path("index.wav"), kRate, 12 * kRate);
        WriteAudioFile(rig.Path("sine.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, kRate, 2, 12 * kRate, Sine(kRate, {300.25}));
        rig.Start(R"({"format":"1.0","showId":"render","songs":[
            {"number":"1","title":"Index","startTick":0,"lengthTicks":9600,"audio":"index.wav"},
            {"number":"2","title":"Sine","startTick":0,"lengthTicks":9600,"audio":"sine.wav"}]})",
                  {{"1", {Ev('@', 960, 1920, 3)}}, {"2", {Ev('@', 960, 1920, 3)}}});
        QVERIFY(rig.WaitReady());
        // Where the pieces of the 441-frame blocks end: one ends on each seam.
        struct Pieces
        {
            Rig* rig;
            std::vector<int64_t> ends;
        } pieces{&rig, {}};
        rig.render->SetPieceHook([](void* c, int64_t frame) {
            auto* p = static_cast<Pieces*>(c);
            p->ends.push_back(p->rig->callStart + frame);
        }, &pieces);
        rig.Command([&] { rig.core->Play(); });
        rig.Play(5 * kRate, 441);
        for (const int64_t seam : {2 * kRate, 3 * kRate, 4 * kRate})
            QVERIFY(std::count(pieces.ends.begin(), pieces.ends.end(), seam) == 1);
        rig.render->SetPieceHook(nullptr, nullptr);
        const int64_t fade = rig.render->CrossfadeFrames();
        struct Span
        {
            int64_t output, file, frames;
        };
        for (const Span& span : {Span{0, 0, 2 * kRate}, Span{2 * kRate, kRate, kRate}, Span{3 * kRate, kRate, kRate},
                                 Span{4 * kRate, 2 * kRate, kRate}}) {
            for (int64_t k = fade; k < span.frames; ++k) {
                if (rig.IndexAt(span.output + k) != span.file + k)
                    QFAIL(qPrintable(QString("output frame %1 plays file frame %2, not %3")
                                         .arg(span.output + k).arg(rig.IndexAt(span.output + k)).arg(span.file + k)));
            }
        }
        QCOMPARE(rig.render->UnreadyJumps(), int64_t(0));

        rig.Command([&] { rig.core->LoadSong("2"); });
        QVERIFY(rig.WaitReady());
        rig.Clear();
        rig.Command([&] { rig.core->Play(); });
        rig.Play(5 * kRate, 441);
        const float sineStep = float(0.5 * 2 * M_PI * 300.25 / kRate);
        QVERIFY2(LargestStep(rig.stems) < 2.0f * sineStep,
                 qPrintable(QString("a step of %1 (the sine's own: %2)").arg(LargestStep(rig.stems)).arg(sineStep)));
        QVERIFY(Peak(rig.stems, 2 * kRate - 100, 2 * kRate + 100) > 0.45f); // the seam is not a dip
        QCOMPARE(rig.render->UnreadyJumps(), int64_t(0));
    }

    // A cut jumps when it is reached, a skip when it is left; either lands on its end's frame,
    // also where the tick falls between two frames (90 BPM: 66.67 frames a tick).
    void cutAndSkipLandOnTheirFrames_data()
    {
        QTest::addColumn<double>("bpm");
        QTest::addColumn<char>("code");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<int64_t>("leaveAt"); // output frame of the Continue that leaves a skip; -1: none
        QTest::addColumn<int64_t>("jumpAt");  // first output frame of the new place
        QTest::addColumn<int64_t>("lands");   // the file frame it plays
        QTest::newRow("cut") << 120.0 << 'B' << 1920 << 2880 << int64_t(-1) << int64_t(2 * kRate) << int64_t(3 * kRate);
        QTest::newRow("skip left") << 120.0 << 'M' << 1920 << 3840 << int64_t(100000) << int64_t(100000) << int64_t(4 * kRate);
        QTest::newRow("skip played through") << 120.0 << 'M' << 1920 << 3840 << int64_t(-1) << int64_t(4 * kRate) << int64_t(4 * kRate);
        // The cut starts at 66666.67 and ends at 133333.33: frame 66667 plays 133333.67.
        QTest::newRow("cut between frames") << 90.0 << 'B' << 1000 << 2000 << int64_t(-1) << int64_t(66667) << int64_t(133334);
    }
    void cutAndSkipLandOnTheirFrames()
    {
        QFETCH(double, bpm);
        QFETCH(char, code);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(int64_t, leaveAt);
        QFETCH(int64_t, jumpAt);
        QFETCH(int64_t, lands);
        Rig rig;
        WriteIndexWav(rig.Path("index.wav"), kRate, 10 * kRate);
        rig.Start(OneSong(R"("lengthTicks":9600,"audio":"index.wav","tempos":[{"tick":0,"bpm":)" + std::to_string(bpm) + "}]"),
                  {{"1", {Ev(code, uint32_t(start), uint32_t(end))}}});
        QVERIFY(rig.WaitReady());
        rig.Command([&] { rig.core->Play(); });
        if (leaveAt >= 0) {
            rig.Play(leaveAt);
            rig.Command([&] { rig.core->Continue(); });
        }
        rig.Play(jumpAt + kRate - rig.Rendered(), 500);
        for (int64_t k = jumpAt - 2000; k < jumpAt; ++k)
            QCOMPARE(rig.IndexAt(k), k);
        for (int64_t k = jumpAt + rig.render->CrossfadeFrames(); k < jumpAt + kRate; ++k) {
            if (rig.IndexAt(k) != lands + k - jumpAt)
                QFAIL(qPrintable(QString("frame %1 plays %2, not %3").arg(k).arg(rig.IndexAt(k)).arg(lands + k - jumpAt)));
        }
        QCOMPARE(rig.render->UnreadyJumps(), int64_t(0));
    }

    // A 4 s tone of 440 Hz under a range: a tempo scale of 0.8 makes it last 1.25 times as long
    // at the same pitch, and the musical position reaches the range's end with it; a
    // transposition of an octave keeps its length and doubles its pitch. A scale edited in
    // while the tone plays stretches the rest of it.
    void scaleAndTranspositionInTheSound_data()
    {
        QTest::addColumn<char>("code");
        QTest::addColumn<int>("semitones");
        QTest::addColumn<double>("scale");
        QTest::addColumn<double>("hz");
        QTest::addColumn<int64_t>("editAt"); // output frame where the range is added; -1: there from the start
        QTest::newRow("tempo scale 0.8") << 'D' << 0 << 0.8 << 440.0 << int64_t(-1);
        QTest::newRow("transposition +12") << 'C' << 12 << 1.0 << 880.0 << int64_t(-1);
        QTest::newRow("tempo scale 0.8 edited in") << 'D' << 0 << 0.8 << 440.0 << int64_t(2 * kRate);
    }
    void scaleAndTranspositionInTheSound()
    {
        QFETCH(char, code);
        QFETCH(int, semitones);
        QFETCH(double, scale);
        QFETCH(double, hz);
        QFETCH(int64_t, editAt);
        Rig rig;
        // Silence for 1 s, the tone from tick 960 to 4800, silence again.
        const auto sine = Sine(kRate, {440.0});
        WriteAudioFile(rig.Path("tone.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, kRate, 2, 8 * kRate,
                       [&](int64_t f, int c) { return f >= kRate && f < 5 * kRate ? sine(f, c) : 0.0; });
        const Flow range{{"1", {Ev(code, 960, 4800, semitones, code == 'D' ? scale : 0.0)}}};
        rig.Start(OneSong(R"("lengthTicks":9600,"audio":"tone.wav")"), editAt < 0 ? range : Flow{});
        QVERIFY(rig.WaitReady());
        rig.Command([&] { rig.core->Play(); });
        const auto toneFrames = editAt < 0 ? int64_t(std::llround(4 * kRate / scale))
                                           : editAt - kRate + int64_t(std::llround((5 * kRate - editAt) / scale));
        if (editAt >= 0) {
            rig.Play(editAt);
            rig.Command([&] { rig.core->SetFlow(FlowSnapshot::Build(*rig.show, range, {})); });
        }
        rig.Play(kRate + toneFrames - rig.Rendered(), 480);
        QVERIFY2(std::abs(rig.core->Position() - 4800.0) < 1e-6, qPrintable(QString::number(rig.core->Position(), 'f', 9)));
        rig.Play(kRate);

        const float level = Peak(rig.stems, 2 * kRate, 3 * kRate);
        QVERIFY2(level > 0.005f, qPrintable(QString("level %1").arg(level)));
        int64_t first = -1, last = -1;
        for (int64_t i = 0; i < rig.Rendered(); ++i) {
            if (std::abs(rig.stems[size_t(i * 2)]) > level / 2) {
                first = first < 0 ? i : first;
                last = i;
            }
        }
        QVERIFY2(std::abs(first - kRate) <= kRate / 200, qPrintable(QString("the tone starts at %1").arg(first)));
        QVERIFY2(std::abs((last - first) - toneFrames) <= toneFrames / 100,
                 qPrintable(QString("the tone lasts %1 frames, not %2").arg(last - first).arg(toneFrames)));
        const double peak = PeakHz(rig.stems, kRate + toneFrames / 2 - kRate / 2, kRate, hz);
        QVERIFY2(std::abs(peak - hz) <= hz * 0.01, qPrintable(QString("peak at %1 Hz, not %2").arg(peak).arg(hz)));
    }

    // The click on the tempo map's beats (120 BPM, then 90 from bar 3; 4/4, then 3/4 from
    // bar 4), to the millisecond, the first beat of each bar accented: as the song's map has
    // it, at half notes where a click value of 2 says so, at a tempo scale's pace inside it.
    void clickOnTheBeats_data()
    {
        QTest::addColumn<std::vector<FlowEvent>>("events");
        QTest::addColumn<int>("beatsBeforeBar4"); // bars 1-3 of 4/4
        QTest::newRow("as written") << std::vector<FlowEvent>{} << 12;
        QTest::newRow("click value 2") << std::vector<FlowEvent>{Ev('L', 0, 5760, 2)} << 6;
        QTest::newRow("tempo scale 0.8") << std::vector<FlowEvent>{Ev('D', 1920, 5760, 0, 0.8)} << 12;
    }
    void clickOnTheBeats()
    {
        QFETCH(std::vector<FlowEvent>, events);
        QFETCH(int, beatsBeforeBar4);
        Rig rig;
        rig.Start(OneSong(R"("lengthTicks":10080,"tempos":[{"tick":0,"bpm":120},{"tick":3840,"bpm":90}],)"
                          R"("meters":[{"tick":0,"num":4,"den":4},{"tick":5760,"num":3,"den":4}])"),
                  {{"1", events}});
        QVERIFY(rig.WaitReady());
        rig.Command([&] { rig.core->Play(); });
        const SongTimeMap& map = rig.core->TimeMapOf("1");
        const auto scales = rig.core->CurrentScales();
        const double seconds = map.SecondsBetween(0, 10080, scales);
        rig.Play(int64_t((seconds - 0.1) * kRate), 512);

        auto grid = rig.core->GridOf("1", true);
        std::erase_if(grid, [&](const GridEntry& g) { return map.SecondsBetween(0, g.tick, scales) >= seconds - 0.1; });
        const auto onsets = ClickOnsets(rig.click, 0.01f);
        QCOMPARE(onsets.size(), grid.size());
        QCOMPARE(int(std::count_if(grid.begin(), grid.end(), [](const GridEntry& g) { return g.tick < 5760; })), beatsBeforeBar4);
        for (size_t i = 0; i < grid.size(); ++i) {
            const double expected = map.SecondsBetween(0, grid[i].tick, scales) * kRate;
            QVERIFY2(std::abs(double(onsets[i]) - expected) <= kRate / 1000.0,
                     qPrintable(QString("beat %1 at frame %2, not %3").arg(i).arg(onsets[i]).arg(expected)));
            const float level = Peak(rig.click, onsets[i], onsets[i] + kRate / 500);
            QVERIFY2(grid[i].beat == 1 ? level > 0.7f : level < 0.6f,
                     qPrintable(QString("beat %1 of bar %2 at level %3").arg(grid[i].beat).arg(QString::fromStdString(grid[i].bar)).arg(level)));
        }
        QVERIFY(Peak(rig.stems, 0, rig.Rendered()) == 0.0f); // no stems: nothing but the click
    }

    // Over ten minutes of play with vamps, a repeat, a cut, tempo scales (one inside a vamp)
    // and a transposition, the musical position stays on the frames rendered and the stem on
    // the musical position: at the middle of every unscaled stretch the position is the tick
    // a model of the flow says, exactly, and the frames heard are the file's frames for it.
    // At 8 kHz and 100 BPM a tick is 10 frames, 12.5 at a scale of 0.8 and 8 at 1.25.
    void tenMinutesWithoutDrift()
    {
        constexpr int rate = 8000;
        Rig rig;
        WriteIndexWav(rig.Path("index.wav"), rate, 432000 * 10);
        rig.Start(OneSong(R"("lengthTicks":432000,"audio":"index.wav","tempos":[{"tick":0,"bpm":100}])"),
                  {{"1",
                    {Ev('@', 48000, 64000, 3), Ev('D', 96000, 144000, 0, 0.8), Ev('@', 200000, 208000, 4),
                     Ev('D', 202000, 206000, 0, 0.8), Ev('D', 240000, 272000, 0, 1.25), Ev('A', 300000, 304000, 2),
                     Ev('C', 300200, 300800, 2), Ev('B', 320000, 328000)}}},
                  {}, rate);
        struct Stretch
        {
            uint32_t from, to;
            double scale;
        };
        std::vector<Stretch> model{{0, 48000, 1}};
        for (int i = 0; i < 3; ++i)
            model.push_back({48000, 64000, 1});
        model.insert(model.end(), {{64000, 96000, 1}, {96000, 144000, 0.8}, {144000, 200000, 1}});
        for (int i = 0; i < 4; ++i)
            model.insert(model.end(), {{200000, 202000, 1}, {202000, 206000, 0.8}, {206000, 208000, 1}});
        model.insert(model.end(), {{208000, 240000, 1}, {240000, 272000, 1.25}, {272000, 300000, 1}});
        for (int i = 0; i < 2; ++i)
            model.push_back({300000, 304000, 1});
        model.insert(model.end(), {{304000, 320000, 1}, {328000, 432000, 1}});

        QVERIFY(rig.WaitReady());
        rig.Command([&] { rig.core->Play(); });
        int64_t at = 0; // output frame where the stretch starts
        int checked = 0;
        for (const Stretch& s : model) {
            const auto frames = int64_t(std::llround((s.to - s.from) * 10 / s.scale));
            if (s.scale == 1.0 && frames >= 200) {
                const int64_t middle = at + frames / 2;
                rig.Clear();
                rig.Play(middle - rig.Rendered(), 512);
                const double tick = s.from + double(middle - at) / 10;
                QVERIFY2(std::abs(rig.core->Position() - tick) < 1e-6,
                         qPrintable(QString("at frame %1 the position is %2, not %3").arg(middle).arg(rig.core->Position(), 0, 'f', 6).arg(tick)));
                for (int64_t k = middle - 100; k < middle; ++k)
                    QCOMPARE(rig.IndexAt(k), int64_t(s.from) * 10 + (k - at));
                ++checked;
            }
            at += frames;
        }
        QCOMPARE(checked, 20);
        QVERIFY2(at > 10 * 60 * rate, qPrintable(QString("only %1 s").arg(double(at) / rate)));
        QCOMPARE(rig.render->UnreadyJumps(), int64_t(0));
        QCOMPARE(rig.render->UnderrunFrames(), int64_t(0));
    }

    // Two stems of a song (a mono FLAC at 44.1 kHz, an Ogg file), each into its own buffer (its
    // output path).
    void stemsLandOnTheirOwnBuffers()
    {
        Rig rig;
        WriteAudioFile(rig.Path("low.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 1, 3 * 44100, Sine(44100, {440.0}));
        WriteAudioFile(rig.Path("high.ogg"), SF_FORMAT_OGG | SF_FORMAT_VORBIS, kRate, 2, 3 * kRate, Sine(kRate, {660.0}));
        rig.Start(OneSong(R"("lengthTicks":3840,"stems":[{"file":"low.flac"},{"file":"high.ogg"}])"));
        QVERIFY(rig.WaitReady());
        rig.Command([&] { rig.core->Play(); });
        std::vector<float> low(size_t(2 * kRate) * 2), high(low.size());
        RenderTargets targets;
        targets.stems[0] = low.data();
        targets.stems[1] = high.data();
        rig.render->Render(2 * kRate, targets);
        const auto from = [](const std::vector<float>& v) { return std::vector<float>(v.begin() + kRate / 10, v.end()); };
        QVERIFY2(std::abs(Frequency(from(low), 1, kRate) - 440.0) < 1.0, qPrintable(QString::number(Frequency(from(low), 1, kRate))));
        QVERIFY2(std::abs(Frequency(from(high), 0, kRate) - 660.0) < 1.0, qPrintable(QString::number(Frequency(from(high), 0, kRate))));
        QVERIFY(rig.render->TakeProblems().empty());
    }

    // A stem that cannot be read: its error names the file, the song plays on without it
    // (the click goes on), and the next song (attacca) sounds.
    void unreadableStemAndTheNextSongPlays_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<QString>("says");
        QTest::newRow("missing") << QByteArray() << "Audio file not found: ";
        QTest::newRow("corrupt") << QByteArray("RIFF\x24\0\0\0WAVEfmt this is no wave file at all", 40) << "bad.wav";
    }
    void unreadableStemAndTheNextSongPlays()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, says);
        Rig rig;
        if (!content.isEmpty()) {
            QFile file(QString::fromStdString(rig.Path("bad.wav")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        WriteAudioFile(rig.Path("good.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_24, kRate, 2, 4 * kRate, Sine(kRate, {440.0}));
        rig.Start(R"({"format":"1.0","showId":"render","songs":[
            {"number":"1","title":"Bad","startTick":0,"lengthTicks":1920,"audio":"bad.wav"},
            {"number":"2","title":"Good","startTick":0,"lengthTicks":3840,"audio":"good.wav"}]})",
                  {}, {{"1", 1}});
        QVERIFY(rig.WaitReady());
        std::vector<std::string> problems;
        for (int i = 0; i < 1000 && problems.empty(); ++i) {
            problems = rig.render->TakeProblems();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        QCOMPARE(problems.size(), size_t(1));
        QVERIFY2(QString::fromStdString(problems[0]).contains(says) && QString::fromStdString(problems[0]).contains("bad.wav"),
                 problems[0].c_str());
        rig.Command([&] { rig.core->Play(); });
        rig.Play(4 * kRate);
        QCOMPARE(rig.core->CurrentSong(), std::string("2"));
        QCOMPARE(Peak(rig.stems, 0, 2 * kRate), 0.0f);
        QVERIFY(Peak(rig.click, 0, 2 * kRate) > 0.5f);
        QVERIFY(std::abs(Frequency(std::vector<float>(rig.stems.begin() + 2 * (2 * kRate + 480), rig.stems.end()), 0, kRate) - 440.0) < 4.4);
        QVERIFY(rig.render->TakeProblems().empty()); // each problem once
    }

    // Play starts from silence with a fade-in; a pause fades out and the continue fades back
    // in where it paused; a seek while playing crossfades; a volume change glides; a stop fades
    // out to silence. Nowhere a step beyond the sine's own.
    void startsStopsAndSeeksWithoutAStep()
    {
        Rig rig;
        WriteAudioFile(rig.Path("sine.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, kRate, 2, 10 * kRate, Sine(kRate, {500.0}));
        rig.Start(OneSong(R"("lengthTicks":9600,"audio":"sine.wav")"));
        QVERIFY(rig.WaitReady());
        const int64_t fade = rig.render->CrossfadeFrames();
        rig.Command([&] { rig.core->Play(); });
        rig.Play(kRate / 2);
        QVERIFY(std::abs(rig.stems[0]) < 0.01f);
        rig.Command([&] { rig.core->Pause(); });
        const int64_t paused = rig.Rendered();
        rig.Play(kRate / 5);
        QCOMPARE(Peak(rig.stems, paused + fade, rig.Rendered()), 0.0f);
        rig.Command([&] { rig.core->Continue(); });
        const int64_t resumed = rig.Rendered();
        rig.Play(kRate / 2);
        rig.Command([&] { rig.core->Seek(5000); });
        rig.Play(kRate / 2);
        rig.Command([&] { rig.core->SetVolume(0.25); });
        rig.Play(kRate / 2);
        QVERIFY(std::abs(Peak(rig.stems, rig.Rendered() - kRate / 4, rig.Rendered()) - 0.125f) < 0.005f);
        rig.Command([&] { rig.core->Stop(); });
        const int64_t stopped = rig.Rendered();
        rig.Play(kRate / 5);
        QCOMPARE(Peak(rig.stems, stopped + fade, rig.Rendered()), 0.0f);

        // The pause lost nothing: the sine goes on in phase, 0.5 s in.
        const auto sine = Sine(kRate, {500.0});
        for (int64_t k = resumed + fade; k < resumed + fade + 100; ++k)
            QVERIFY(std::abs(rig.stems[size_t(k * 2)] - float(sine(k - resumed + kRate / 2, 0))) < 1e-6f);
        const float sineStep = float(0.5 * 2 * M_PI * 500.0 / kRate);
        QVERIFY2(LargestStep(rig.stems) < 2.0f * sineStep,
                 qPrintable(QString("a step of %1 (the sine's own: %2)").arg(LargestStep(rig.stems)).arg(sineStep)));
    }

    // Steady rendering allocates nothing, bypassed or stretching. (The core's notices grow a
    // vector now and then: the core has piled some up before the count, so they do not.)
    void steadyBlocksAllocateNothing_data()
    {
        QTest::addColumn<char>("code");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("semitones");
        QTest::newRow("bypass") << 'E' << 1.0 << 0;
        QTest::newRow("tempo scale") << 'D' << 0.8 << 0;
        QTest::newRow("transposition") << 'C' << 1.0 << 3;
    }
    void steadyBlocksAllocateNothing()
    {
        if (!CountAllocations::Available())
            QSKIP("allocations are not counted under a sanitizer");
        QFETCH(char, code);
        QFETCH(double, scale);
        QFETCH(int, semitones);
        Rig rig;
        WriteAudioFile(rig.Path("sine.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate, 2, 20 * kRate, Sine(kRate, {440.0}));
        rig.Start(OneSong(R"("lengthTicks":19200,"audio":"sine.wav")"), {{"1", {Ev(code, 960, 19000, semitones, scale)}}});
        QVERIFY(rig.WaitReady());
        rig.Command([&] { rig.core->Play(); });
        std::vector<float> stems(1024 * 2), click(1024 * 2);
        RenderTargets targets;
        targets.click = click.data();
        targets.stems[0] = stems.data();
        for (int i = 0; i < 10 * kRate / 512; ++i)
            rig.render->Render(512, targets);
        CountAllocations count;
        for (int i = 0; i < kRate / 512; ++i)
            rig.render->Render(i % 2 ? 256 : 1024, targets);
        QCOMPARE(count.Count(), 0L);
    }
};

QTEST_GUILESS_MAIN(TestShowRender)
#include "tst_show_render.moc"

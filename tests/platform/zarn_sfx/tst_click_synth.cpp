#include "AllocationCounter.h"
#include "ClickSynth.h"
#include "SongTimeMap.h"

#include <QtTest>

#include <atomic>
#include <cmath>
#include <thread>

using namespace zarn::audio;
using zarn::player::ClickRange;
using zarn::player::MeterPoint;
using zarn::player::SongDefinition;
using zarn::player::SongTimeMap;
using zarn::player::TempoPoint;

Q_DECLARE_METATYPE(zarn::player::TempoPoint)
Q_DECLARE_METATYPE(zarn::player::MeterPoint)

namespace {

constexpr int kRate = 48000;

SongDefinition Song(std::vector<TempoPoint> tempos, std::vector<MeterPoint> meters, uint32_t bars = 8)
{
    SongDefinition song;
    song.number = "1";
    song.tempos = std::move(tempos);
    song.meters = std::move(meters);
    song.lengthTicks = bars * 1920;
    song.audioEndTick = song.lengthTicks;
    return song;
}

SongDefinition FourFour120() { return Song({{0, 120.0}}, {{0, 4, 4}}); }

// Plays the song from tick 0 for `frames` frames the way the render thread does: blocks of
// `block` frames, each split where the tempo changes, musical time carried on from frame to
// frame.
std::vector<float> Play(ClickSynth& synth, const SongTimeMap& map, int64_t frames, int block = 512, float gain = 1.0f)
{
    std::vector<float> out(static_cast<size_t>(frames * 2), 0.0f);
    double tick = 0.0;
    for (int64_t at = 0; at < frames;) {
        int64_t n = std::min<int64_t>(block, frames - at);
        const double step = map.TicksPerSecondAt(tick) / kRate;
        const uint32_t change = map.NextTempoChangeAfter(tick);
        if (change != UINT32_MAX && tick + n * step > change)
            n = std::max<int64_t>(1, static_cast<int64_t>(std::ceil((change - tick) / step)));
        synth.Render(out.data() + at * 2, n, tick, step, gain);
        const double end = tick + n * step;
        // Past a tempo change, the rest of the last frame's time runs at the new tempo.
        tick = (change != UINT32_MAX && end > change)
            ? change + (end - change) / step * (map.TicksPerSecondAt(change) / kRate)
            : end;
        at += n;
    }
    return out;
}

// Frames where a click starts: the first sample above `threshold` after at least 5 ms below it.
std::vector<int64_t> Onsets(const std::vector<float>& stereo, float threshold)
{
    std::vector<int64_t> onsets;
    int64_t quiet = kRate;
    for (size_t i = 0; i < stereo.size() / 2; ++i) {
        if (std::abs(stereo[2 * i]) > threshold) {
            if (quiet >= kRate / 200)
                onsets.push_back(static_cast<int64_t>(i));
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    return onsets;
}

int64_t FirstNonZero(const std::vector<float>& stereo, int64_t from)
{
    for (size_t i = static_cast<size_t>(from); i < stereo.size() / 2; ++i) {
        if (stereo[2 * i] != 0.0f)
            return static_cast<int64_t>(i);
    }
    return -1;
}

float Peak(const std::vector<float>& stereo, int64_t from, int64_t frames)
{
    float peak = 0.0f;
    for (int64_t i = from; i < from + frames && i * 2 < static_cast<int64_t>(stereo.size()); ++i)
        peak = std::max(peak, std::abs(stereo[static_cast<size_t>(i * 2)]));
    return peak;
}

// Sign changes over `frames` frames from `from`, both channels alike.
int Crossings(const std::vector<float>& stereo, int64_t from, int64_t frames)
{
    int count = 0;
    for (int64_t i = from + 1; i < from + frames; ++i) {
        const float a = stereo[static_cast<size_t>((i - 1) * 2)];
        const float b = stereo[static_cast<size_t>(i * 2)];
        if ((a < 0) != (b < 0))
            ++count;
    }
    return count;
}

} // namespace

class TestClickSynth : public QObject
{
    Q_OBJECT

private slots:
    // Every beat of the grid sounds on its frame: the first frame at or past the beat's time
    // in the tempo map, and within 1 ms of it by a level threshold; click values change the
    // grid and so the onsets.
    void onsetsFallOnTheBeats_data()
    {
        QTest::addColumn<QVector<TempoPoint>>("tempos");
        QTest::addColumn<QVector<MeterPoint>>("meters");
        QTest::addColumn<int>("clickValue"); // 0: no click event
        QTest::addColumn<int>("beatsPerBar");
        QTest::addColumn<int>("block");

        QTest::newRow("4/4 at 120") << QVector<TempoPoint>{{0, 120.0}} << QVector<MeterPoint>{{0, 4, 4}} << 0 << 4 << 512;
        QTest::newRow("click 2: half notes") << QVector<TempoPoint>{{0, 120.0}} << QVector<MeterPoint>{{0, 4, 4}} << 2 << 2 << 512;
        QTest::newRow("click 8: eighths") << QVector<TempoPoint>{{0, 120.0}} << QVector<MeterPoint>{{0, 4, 4}} << 8 << 8 << 512;
        QTest::newRow("odd blocks") << QVector<TempoPoint>{{0, 120.0}} << QVector<MeterPoint>{{0, 4, 4}} << 0 << 4 << 333;
        QTest::newRow("tempo change mid-block") << QVector<TempoPoint>{{0, 120.0}, {3840 + 100, 97.0}}
                                                << QVector<MeterPoint>{{0, 4, 4}} << 0 << 4 << 480;
        QTest::newRow("3/4 at 137.5") << QVector<TempoPoint>{{0, 137.5}} << QVector<MeterPoint>{{0, 3, 4}} << 0 << 3 << 256;
    }
    void onsetsFallOnTheBeats()
    {
        QFETCH(QVector<TempoPoint>, tempos);
        QFETCH(QVector<MeterPoint>, meters);
        QFETCH(int, clickValue);
        QFETCH(int, beatsPerBar);
        QFETCH(int, block);

        const SongTimeMap map(Song({tempos.begin(), tempos.end()}, {meters.begin(), meters.end()}));
        std::vector<ClickRange> clicks;
        if (clickValue)
            clicks.push_back({0, map.Song().lengthTicks, clickValue});
        const auto grid = map.BuildGrid(clicks);
        ClickSynth synth(kRate);
        synth.SetGrid(grid);

        // The last bar may run past the song's end: play on until its beats are heard.
        const int64_t frames = static_cast<int64_t>(std::ceil(map.SecondsBetween(0, grid.back().tick, {}) * kRate)) + kRate / 10;
        const auto out = Play(synth, map, frames, block);
        const auto onsets = Onsets(out, 0.05f);

        QCOMPARE(static_cast<int>(grid.size()), static_cast<int>(map.Bars().size()) * beatsPerBar);
        QCOMPARE(onsets.size(), grid.size());
        for (size_t i = 0; i < grid.size(); ++i) {
            const double exact = map.SecondsBetween(0, grid[i].tick, {}) * kRate;
            const auto expected = static_cast<int64_t>(std::ceil(exact - 1e-6));
            const int64_t first = FirstNonZero(out, i == 0 ? 0 : onsets[i - 1] + synth.ClickFrames());
            QVERIFY2(std::abs(first - expected) <= 1,
                     qPrintable(QString("beat %1 at tick %2 starts at frame %3, not %4").arg(i).arg(grid[i].tick).arg(first).arg(expected)));
            QVERIFY2(std::abs(onsets[i] - exact) <= kRate / 1000.0,
                     qPrintable(QString("beat %1 heard at frame %2, expected %3").arg(i).arg(onsets[i]).arg(exact)));
        }
    }

    // The first beat of every bar is higher and louder than the others.
    void barStartsAreAccented()
    {
        const SongTimeMap map(FourFour120());
        const auto grid = map.BuildGrid({});
        ClickSynth synth(kRate);
        synth.SetGrid(grid);
        const auto out = Play(synth, map, 4 * kRate);
        const auto onsets = Onsets(out, 0.05f);
        QCOMPARE(onsets.size(), size_t(8));
        const int64_t window = kRate / 100;
        for (size_t i = 0; i < onsets.size(); ++i) {
            const bool barStart = grid[i].beat == 1;
            const float peak = Peak(out, onsets[i], window);
            const int crossings = Crossings(out, onsets[i], window);
            // 10 ms of 1500 Hz crosses zero 30 times, of 1000 Hz 20 times.
            if (barStart) {
                QVERIFY2(peak > 0.7f && crossings >= 29, qPrintable(QString("beat %1: %2, %3").arg(i).arg(peak).arg(crossings)));
            } else {
                QVERIFY2(peak > 0.4f && peak < 0.55f && crossings <= 21, qPrintable(QString("beat %1: %2, %3").arg(i).arg(peak).arg(crossings)));
            }
        }
        QCOMPARE(grid[0].beat, 1);
        QCOMPARE(grid[4].beat, 1);
    }

    // However the blocks fall (a click split across two or many blocks, blocks of one frame),
    // the sound is the same, sample for sample, as one block's.
    void blockSplitsChangeNothing_data()
    {
        QTest::addColumn<QVector<int>>("blocks"); // repeated until the end

        QTest::newRow("halves mid-click") << QVector<int>{24000 + 300, 24000 - 300};
        QTest::newRow("one frame") << QVector<int>{1};
        QTest::newRow("uneven") << QVector<int>{1, 7, 64, 511, 2, 1000, 3};
        QTest::newRow("beats on a block's last and first frame") << QVector<int>{24001, 23999};
    }
    void blockSplitsChangeNothing()
    {
        QFETCH(QVector<int>, blocks);
        const SongTimeMap map(FourFour120());
        const auto grid = map.BuildGrid({{1920, 3840, 8}});
        const double step = map.TicksPerSecondAt(0) / kRate;
        const int64_t frames = 3 * kRate;

        ClickSynth whole(kRate);
        whole.SetGrid(grid);
        std::vector<float> expected(static_cast<size_t>(frames * 2), 0.0f);
        whole.Render(expected.data(), frames, 0.0, step, 0.7f);

        ClickSynth pieces(kRate);
        pieces.SetGrid(grid);
        std::vector<float> actual(static_cast<size_t>(frames * 2), 0.0f);
        int64_t at = 0;
        for (int i = 0; at < frames; ++i) {
            const int64_t n = std::min<int64_t>(blocks[i % blocks.size()], frames - at);
            pieces.Render(actual.data() + at * 2, n, at * step, step, 0.7f);
            at += n;
        }
        QCOMPARE(Onsets(actual, 0.05f).size(), size_t(4 + 4)); // quarters, then eighths
        QVERIFY(actual == expected);
    }

    // The click adds into what is there, scaled by the gain.
    void addsAtTheGain()
    {
        const SongTimeMap map(FourFour120());
        ClickSynth alone(kRate);
        alone.SetGrid(map.BuildGrid({}));
        std::vector<float> clickOnly(kRate * 2, 0.0f);
        alone.Render(clickOnly.data(), kRate, 0.0, 0.02, 1.0f);

        ClickSynth mixed(kRate);
        mixed.SetGrid(map.BuildGrid({}));
        std::vector<float> bed(kRate * 2, 0.25f);
        mixed.Render(bed.data(), kRate, 0.0, 0.02, 0.5f);
        for (size_t i = 0; i < bed.size(); ++i)
            QCOMPARE(bed[i], 0.25f + 0.5f * clickOnly[i]);
    }

    // A jump: Reset fades a ringing click out within a few milliseconds, and the beat at the
    // new place sounds on the first frame. Musical time held (a step of 0) sounds its beat
    // once however many blocks it lasts.
    void resetAndHold()
    {
        const SongTimeMap map(FourFour120());
        ClickSynth synth(kRate);
        synth.SetGrid(map.BuildGrid({}));
        const double step = 0.02;

        std::vector<float> out(kRate * 2, 0.0f);
        synth.Render(out.data(), 240, 0.0, step, 1.0f); // 5 ms into the bar's first click
        QVERIFY(Peak(out, 200, 40) > 0.1f);
        synth.Reset();
        // Jump to the middle of beat 2 (no beat there): the old click dies away at once.
        synth.Render(out.data() + 240 * 2, 4800, 480 + 240, step, 1.0f);
        QVERIFY(Peak(out, 240, 2) > 0.05f); // fades, not cut dead
        QCOMPARE(Peak(out, 240 + kRate / 400, 4800 - kRate / 400), 0.0f);

        // Jump back onto beat 1 without crossing it: it sounds again, on the first frame.
        synth.Reset();
        std::vector<float> again(4800 * 2, 0.0f);
        synth.Render(again.data(), 4800, 0.0, step, 1.0f);
        QCOMPARE(FirstNonZero(again, 0), int64_t(0));

        // Held on beat 2's tick: one click, however many blocks.
        synth.Reset();
        std::vector<float> held(kRate * 2, 0.0f);
        for (int i = 0; i < 10; ++i)
            synth.Render(held.data() + i * 4800 * 2, 4800, 480.0, 0.0, 1.0f);
        QCOMPARE(Onsets(held, 0.05f).size(), size_t(1));
        QCOMPARE(FirstNonZero(held, 0), int64_t(0));
        // Time moves on from the hold: the next beat, and not the held one again.
        std::vector<float> on(kRate * 2, 0.0f);
        synth.Render(on.data(), kRate, 480.0, step, 1.0f);
        QCOMPARE(Onsets(on, 0.05f).size(), size_t(1));
        QCOMPARE(FirstNonZero(on, 0), int64_t(24000));
    }

    // A click edit reaches the render thread while it plays: SetGrid from another thread,
    // taken up at the next block, with no race and nothing freed under the renderer.
    void gridChangesWhilePlaying()
    {
        const SongTimeMap map(FourFour120());
        const auto quarters = ClickSynth::BeatsOf(map.BuildGrid({}));
        const auto eighths = ClickSynth::BeatsOf(map, {{0, map.Song().lengthTicks, 8}});
        ClickSynth synth(kRate);
        synth.SetGrid(quarters);

        std::atomic<bool> done{false};
        std::thread editor([&] {
            for (int i = 0; i < 2000; ++i)
                synth.SetGrid(i % 2 ? quarters : eighths);
            synth.SetGrid(eighths);
            done = true;
        });
        std::vector<float> block(256 * 2);
        double tick = 0.0;
        while (!done.load()) {
            std::fill(block.begin(), block.end(), 0.0f);
            synth.Render(block.data(), 256, tick, 0.02, 1.0f);
            tick = std::fmod(tick + 256 * 0.02, 1920.0);
        }
        editor.join();

        synth.Reset();
        std::vector<float> out(kRate * 2, 0.0f);
        synth.Render(out.data(), kRate, 0.0, 0.02, 1.0f);
        QCOMPARE(Onsets(out, 0.05f).size(), size_t(4)); // eighths at 120: four a second
    }

    // The render thread allocates nothing, taking up a new grid included.
    void renderAllocatesNothing()
    {
        if (!test::CountAllocations::Available())
            QSKIP("allocations are not counted under a sanitizer");
        const SongTimeMap map(FourFour120());
        ClickSynth synth(kRate);
        synth.SetGrid(map.BuildGrid({}));
        std::vector<float> out(kRate * 2, 0.0f);
        synth.Render(out.data(), 512, 0.0, 0.02, 1.0f);
        synth.SetGrid(map.BuildGrid({{0, 1920, 8}}));
        test::CountAllocations count;
        for (int64_t at = 512; at + 512 <= kRate; at += 512)
            synth.Render(out.data() + at * 2, 512, at * 0.02, 0.02, 1.0f);
        synth.Reset();
        synth.Render(out.data(), 512, 0.0, 0.02, 1.0f);
        QCOMPARE(count.Count(), 0L);
    }
};

QTEST_GUILESS_MAIN(TestClickSynth)
#include "tst_click_synth.moc"

#include "AllocationCounter.h"
#include "Stretcher.h"

#include <QtTest>

#include <cmath>
#include <cstring>

using namespace zarn::audio;

namespace {

constexpr int kRate = 48000;

// A stereo sine for `frames` frames (all of it when negative), then silence; the right
// channel a little quieter, so a swapped or mixed channel would show.
struct Sine
{
    double hz = 440.0;
    int64_t frames = -1;
    int64_t position = 0;

    void operator()(float* out, int n)
    {
        for (int i = 0; i < n; ++i, ++position) {
            const bool on = frames < 0 || position < frames;
            const float s = on ? static_cast<float>(0.5 * std::sin(2.0 * M_PI * hz * static_cast<double>(position) / kRate)) : 0.0f;
            out[2 * i] = s;
            out[2 * i + 1] = 0.8f * s;
        }
    }
};

// Deterministic noise: every bit of it must come through a bypass.
struct Noise
{
    uint32_t state = 12345;
    int64_t position = 0;

    float Next()
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(static_cast<int32_t>(state)) / 2147483648.0f * 0.5f;
    }
    void operator()(float* out, int n)
    {
        for (int i = 0; i < 2 * n; ++i)
            out[i] = Next();
        position += n;
    }
};

// 10 ms bursts of 1 kHz every `period` frames, from frame `first` on, silence between.
struct Bursts
{
    int64_t period = kRate / 2;
    int64_t first = 0;
    int64_t position = 0;

    void operator()(float* out, int n)
    {
        for (int i = 0; i < n; ++i, ++position) {
            float s = 0.0f;
            if (position >= first && (position - first) % period < kRate / 100)
                s = static_cast<float>(0.5 * std::sin(2.0 * M_PI * 1000.0 * static_cast<double>((position - first) % period) / kRate));
            out[2 * i] = out[2 * i + 1] = s;
        }
    }
};

template <typename Source> std::vector<float> Run(Stretcher& stretcher, Source& source, int64_t frames, int block = 512)
{
    std::vector<float> out(static_cast<size_t>(frames * 2), 0.0f);
    for (int64_t at = 0; at < frames; at += block)
        stretcher.Process(out.data() + at * 2, static_cast<int>(std::min<int64_t>(block, frames - at)), source);
    return out;
}

// Power of the left channel at `hz` over a Hann window (Goertzel).
double Power(const std::vector<float>& stereo, int64_t from, int64_t frames, double hz)
{
    const double w = 2.0 * M_PI * hz / kRate;
    const double coeff = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0;
    for (int64_t i = 0; i < frames; ++i) {
        const double hann = 0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(i) / static_cast<double>(frames - 1));
        const double s0 = stereo[static_cast<size_t>((from + i) * 2)] * hann + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coeff * s1 * s2;
}

// The strongest frequency within 15% of `around`, to 0.25 Hz.
double PeakHz(const std::vector<float>& stereo, int64_t from, int64_t frames, double around)
{
    double best = 0.0, bestPower = -1.0;
    for (double hz = around * 0.85; hz <= around * 1.15; hz += 0.25) {
        const double p = Power(stereo, from, frames, hz);
        if (p > bestPower) {
            bestPower = p;
            best = hz;
        }
    }
    return best;
}

int64_t LastAbove(const std::vector<float>& stereo, float threshold)
{
    for (int64_t i = static_cast<int64_t>(stereo.size() / 2) - 1; i >= 0; --i) {
        if (std::abs(stereo[static_cast<size_t>(i * 2)]) > threshold)
            return i;
    }
    return -1;
}

// Frames where a burst starts: above `threshold` after at least 50 ms below it.
std::vector<int64_t> Onsets(const std::vector<float>& stereo, float threshold)
{
    std::vector<int64_t> onsets;
    int64_t quiet = kRate;
    for (size_t i = 0; i < stereo.size() / 2; ++i) {
        if (std::abs(stereo[2 * i]) > threshold) {
            if (quiet >= kRate / 20)
                onsets.push_back(static_cast<int64_t>(i));
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    return onsets;
}

float LargestStep(const std::vector<float>& stereo, int64_t from, int64_t to)
{
    float step = 0.0f;
    for (int64_t i = std::max<int64_t>(from, 1); i < to; ++i) {
        for (int c = 0; c < 2; ++c)
            step = std::max(step, std::abs(stereo[static_cast<size_t>(i * 2 + c)] - stereo[static_cast<size_t>((i - 1) * 2 + c)]));
    }
    return step;
}

std::vector<float> Input(int64_t frames, Sine sine = {})
{
    std::vector<float> in(static_cast<size_t>(frames * 2));
    sine(in.data(), static_cast<int>(frames));
    return in;
}

bool SameFrames(const std::vector<float>& a, int64_t aFrom, const std::vector<float>& b, int64_t bFrom, int64_t frames)
{
    return std::memcmp(a.data() + aFrom * 2, b.data() + bFrom * 2, sizeof(float) * static_cast<size_t>(frames * 2)) == 0;
}

} // namespace

class TestStretcher : public QObject
{
    Q_OBJECT

private slots:
    // At tempo 1 without transposition the output is the input, bit for bit, and the
    // stretcher reads no further than it plays.
    void bypassIsBitExact()
    {
        Stretcher stretcher(kRate);
        Noise noise;
        const auto out = Run(stretcher, noise, 5 * kRate, 441);
        Noise again;
        std::vector<float> in(static_cast<size_t>(5 * kRate * 2));
        again(in.data(), 5 * kRate);
        QVERIFY(out == in);
        QVERIFY(stretcher.Bypassed());
        QCOMPARE(stretcher.InputPulled(), int64_t(5 * kRate));
        QCOMPARE(stretcher.InputPosition(), double(5 * kRate));
    }

    // A 4 s tone of 440 Hz stretched and transposed: it lasts 1/tempo as long, starts on
    // time and sounds at 440 Hz times the transposition (within 1%; the analysis window
    // blurs the tone's end by some 20 ms, the same at any length).
    void tempoAndPitch_data()
    {
        QTest::addColumn<double>("tempo");
        QTest::addColumn<double>("semitones");

        QTest::newRow("tempo 0.8") << 0.8 << 0.0;
        QTest::newRow("tempo 1.25") << 1.25 << 0.0;
        QTest::newRow("tempo 0.5") << 0.5 << 0.0;
        QTest::newRow("up an octave") << 1.0 << 12.0;
        QTest::newRow("down 5 at tempo 0.9") << 0.9 << -5.0;
    }
    void tempoAndPitch()
    {
        QFETCH(double, tempo);
        QFETCH(double, semitones);
        const int64_t toneFrames = 4 * kRate;
        const double expectedHz = 440.0 * std::pow(2.0, semitones / 12.0);
        const double expectedLength = toneFrames / tempo;

        Stretcher stretcher(kRate);
        stretcher.SetTempo(tempo);
        stretcher.SetPitch(semitones);
        Sine tone{440.0, toneFrames};
        const auto out = Run(stretcher, tone, static_cast<int64_t>(expectedLength) + kRate);
        QCOMPARE(stretcher.Tempo(), tempo);
        QCOMPARE(stretcher.Pitch(), semitones);
        QVERIFY(!stretcher.Bypassed());

        // Where the tone has fallen to half its level: the window blurs its end both ways.
        float level = 0.0f;
        for (int64_t i = kRate / 2; i < kRate; ++i)
            level = std::max(level, std::abs(out[static_cast<size_t>(i * 2)]));
        // (Formants preserved, a lone sine shifted away from its own spectral envelope comes
        // out much quieter; music, with broad envelopes, keeps its level.)
        QVERIFY2(level > 0.005f, qPrintable(QString("level %1").arg(level)));
        const int64_t last = LastAbove(out, level / 2);
        QVERIFY2(std::abs(last - expectedLength) <= expectedLength * 0.01,
                 qPrintable(QString("the tone ends at frame %1, not %2").arg(last).arg(expectedLength)));
        const auto onsets = Onsets(out, level / 2);
        QVERIFY(!onsets.empty());
        QVERIFY2(onsets.front() <= kRate / 200, qPrintable(QString("the tone starts at frame %1").arg(onsets.front())));
        const double hz = PeakHz(out, static_cast<int64_t>(expectedLength / 2) - kRate / 2, kRate, expectedHz);
        QVERIFY2(std::abs(hz - expectedHz) <= expectedHz * 0.01, qPrintable(QString("peak at %1 Hz, not %2").arg(hz).arg(expectedHz)));
        // Stereo stays stereo: the right channel keeps its own level.
        double left = 0.0, right = 0.0;
        for (int64_t i = kRate / 2; i < static_cast<int64_t>(expectedLength) - kRate / 2; ++i) {
            left += std::abs(out[static_cast<size_t>(i * 2)]);
            right += std::abs(out[static_cast<size_t>(i * 2 + 1)]);
        }
        QVERIFY2(std::abs(right / left - 0.8) < 0.05, qPrintable(QString("right/left %1").arg(right / left)));
    }

    // Over a minute of input at tempo 0.8, what is heard stays on the input's time: the play
    // position is exactly 0.8 frames per output frame, the read-ahead stays bounded, and
    // bursts come out where the position says, the last as close as the first.
    void noDriftOverAMinute()
    {
        const double tempo = 0.8;
        Stretcher stretcher(kRate);
        stretcher.SetTempo(tempo);
        Bursts bursts{kRate / 2, kRate / 4};
        const int64_t frames = static_cast<int64_t>(60 * kRate / tempo);
        std::vector<float> out(static_cast<size_t>(frames * 2), 0.0f);
        int64_t minAhead = INT64_MAX, maxAhead = 0;
        for (int64_t at = 0; at < frames; at += 512) {
            const int n = static_cast<int>(std::min<int64_t>(512, frames - at));
            stretcher.Process(out.data() + at * 2, n, bursts);
            const double expected = static_cast<double>(at + n) * tempo;
            QVERIFY(std::abs(stretcher.InputPosition() - expected) < 1e-6 * expected);
            const int64_t ahead = stretcher.InputPulled() - static_cast<int64_t>(stretcher.InputPosition());
            minAhead = std::min(minAhead, ahead);
            maxAhead = std::max(maxAhead, ahead);
        }
        QVERIFY2(minAhead >= 0 && maxAhead < 8192, qPrintable(QString("read-ahead %1..%2").arg(minAhead).arg(maxAhead)));

        const auto onsets = Onsets(out, 0.1f);
        QCOMPARE(onsets.size(), size_t(120));
        // A phase vocoder's window blurs an onset by some milliseconds, hop by hop; the drift
        // is the slope of the errors over the minute, fitted through that jitter.
        std::vector<double> errors;
        for (size_t k = 0; k < onsets.size(); ++k)
            errors.push_back(static_cast<double>(onsets[k]) - (kRate / 4 + static_cast<double>(k) * kRate / 2) / tempo);
        QString all;
        for (double e : errors)
            all += QString::number(e) + " ";
        const auto [least, most] = std::minmax_element(errors.begin(), errors.end());
        QVERIFY2(*least >= -kRate * 0.01 && *most <= kRate * 0.01, qPrintable("bursts off by " + all));
        double meanK = (errors.size() - 1) / 2.0, meanE = 0.0;
        for (double e : errors)
            meanE += e / static_cast<double>(errors.size());
        double num = 0.0, den = 0.0;
        for (size_t k = 0; k < errors.size(); ++k) {
            num += (k - meanK) * (errors[k] - meanE);
            den += (k - meanK) * (k - meanK);
        }
        const double drift = num / den * static_cast<double>(errors.size() - 1);
        QVERIFY2(std::abs(drift) <= kRate * 0.001, qPrintable(QString("drift of %1 frames: %2").arg(drift).arg(all)));
    }

    // Into and out of a range: the bypassed stretches are the input bit for bit and on time
    // (a tempo range's 2 s of input take 2 s / tempo), inside it the tone has its pitch, and
    // the changes make no click. Scheduled ahead, the stretcher is primed before the range;
    // set as it comes, it starts from the input it has just played.
    void rangeInAndOut_data()
    {
        QTest::addColumn<bool>("scheduled");
        QTest::addColumn<double>("tempo");
        QTest::addColumn<double>("semitones");
        QTest::newRow("tempo, scheduled") << true << 0.8 << 0.0;
        QTest::newRow("tempo, set as it comes") << false << 0.8 << 0.0;
        QTest::newRow("transposition, scheduled") << true << 1.0 << 3.0;
        QTest::newRow("both, set as it comes") << false << 1.2 << -2.0;
    }
    void rangeInAndOut()
    {
        QFETCH(bool, scheduled);
        QFETCH(double, tempo);
        QFETCH(double, semitones);
        const int64_t in = kRate, out = 3 * kRate, total = 6 * kRate;
        const auto input = Input(2 * total);

        Stretcher stretcher(kRate);
        if (scheduled) {
            QVERIFY(stretcher.ScheduleChange(in, tempo, semitones));
            QVERIFY(stretcher.ScheduleChange(out, 1.0, 0.0));
        }
        Sine sine;
        std::vector<float> output(static_cast<size_t>(total * 2), 0.0f);
        bool entered = false, left = false;
        double primedAt = -1.0; // the play position when the stretcher first read past the range's start
        for (int64_t at = 0; at < total; at += 480) {
            if (primedAt < 0 && stretcher.InputPulled() > in)
                primedAt = stretcher.InputPosition();
            if (!scheduled && !entered && stretcher.InputPosition() == static_cast<double>(in)) {
                stretcher.SetTempo(tempo);
                stretcher.SetPitch(semitones);
                entered = true;
            }
            if (!scheduled && !left && stretcher.InputPosition() >= static_cast<double>(out)) {
                stretcher.SetTempo(1.0);
                stretcher.SetPitch(0.0);
                left = true;
            }
            stretcher.Process(output.data() + at * 2, 480, sine);
        }
        QVERIFY(stretcher.Bypassed());
        if (scheduled)
            QVERIFY2(primedAt < in && primedAt >= in - kRate / 10, qPrintable(QString("primed at %1").arg(primedAt)));

        QVERIFY(SameFrames(output, 0, input, 0, in));
        // Back to the input, bit for bit, shifted by what the range added.
        const auto offset = total - static_cast<int64_t>(stretcher.InputPosition());
        if (scheduled)
            QCOMPARE(offset, static_cast<int64_t>(std::llround((out - in) / tempo)) - (out - in));
        QVERIFY(SameFrames(output, total - kRate / 2, input, total - kRate / 2 - offset, kRate / 2));

        const double expectedHz = 440.0 * std::pow(2.0, semitones / 12.0);
        const int64_t middle = in + static_cast<int64_t>((out - in) / tempo / 2);
        const double hz = PeakHz(output, middle - kRate / 2, kRate, expectedHz);
        QVERIFY2(std::abs(hz - expectedHz) <= expectedHz * 0.01, qPrintable(QString("peak at %1 Hz").arg(hz)));
        const float sineStep = static_cast<float>(0.5 * 2.0 * M_PI * std::max(440.0, expectedHz) / kRate);
        const float step = LargestStep(output, 0, total);
        QVERIFY2(step < 1.5f * sineStep, qPrintable(QString("a step of %1 (the sine's own: %2)").arg(step).arg(sineStep)));
    }

    // Tempo and transposition changing while stretching, a transposition crossing from up to
    // down included: no click anywhere, and all of it on time.
    void changesWhileStretching()
    {
        struct Step
        {
            int64_t at;
            double tempo;
            double semitones;
        };
        const std::vector<Step> steps{{kRate / 2, 0.8, 0.0}, {kRate, 0.9, 0.0}, {3 * kRate / 2, 0.9, 2.0},
                                      {2 * kRate, 0.9, -2.0}, {5 * kRate / 2, 1.25, -2.0}, {3 * kRate, 1.0, 0.0}};
        Stretcher stretcher(kRate);
        for (const auto& step : steps)
            QVERIFY(stretcher.ScheduleChange(step.at, step.tempo, step.semitones));
        Sine sine;
        const int64_t total = 5 * kRate;
        const auto output = Run(stretcher, sine, total, 300);
        QVERIFY(stretcher.Bypassed());

        double expected = 0.0; // output frames the input up to the last change takes
        for (size_t i = 0; i + 1 < steps.size(); ++i)
            expected += (steps[i + 1].at - steps[i].at) / steps[i].tempo;
        const int64_t offset = total - static_cast<int64_t>(stretcher.InputPosition());
        QVERIFY2(std::abs(offset - (expected + kRate / 2 - 3 * kRate)) <= steps.size(),
                 qPrintable(QString("the input comes back %1 frames late, not %2").arg(offset).arg(expected + kRate / 2 - 3 * kRate)));
        const auto input = Input(2 * total);
        QVERIFY(SameFrames(output, total - kRate / 4, input, total - kRate / 4 - offset, kRate / 4));
        const float sineStep = static_cast<float>(0.5 * 2.0 * M_PI * 440.0 * std::pow(2.0, 2.0 / 12.0) / kRate);
        const float step = LargestStep(output, 0, total);
        QVERIFY2(step < 1.5f * sineStep, qPrintable(QString("a step of %1 (the sine's own: %2)").arg(step).arg(sineStep)));
    }

    // After a jump the stretcher starts from the new input: nothing of the old is left, and
    // the first output frame plays the first new input frame (a burst 0.5 s in comes out
    // 0.5 / tempo s in).
    void resetStartsOnTime()
    {
        const double tempo = 0.8;
        Stretcher stretcher(kRate);
        stretcher.SetTempo(tempo);
        Sine before;
        Run(stretcher, before, kRate);

        stretcher.Reset();
        QCOMPARE(stretcher.InputPulled(), int64_t(0));
        Bursts after{10 * kRate, kRate / 2};
        const auto out = Run(stretcher, after, kRate);
        QCOMPARE(stretcher.Tempo(), tempo);
        const auto onsets = Onsets(out, 0.1f);
        QCOMPARE(onsets.size(), size_t(1));
        QVERIFY2(std::abs(onsets[0] - kRate / 2 / tempo) <= kRate * 0.01, qPrintable(QString("burst at frame %1").arg(onsets[0])));
        // Before the burst's window reaches back (its pre-echo), silence.
        for (int64_t i = 0; i < onsets[0] - kRate / 20; ++i)
            QVERIFY2(std::abs(out[static_cast<size_t>(i * 2)]) < 0.01f, qPrintable(QString("old sound at frame %1").arg(i)));
    }

    // Settings out of range are clamped, not passed on to break the stretcher.
    void settingsAreClamped_data()
    {
        QTest::addColumn<double>("tempo");
        QTest::addColumn<double>("semitones");
        QTest::addColumn<double>("heardTempo");
        QTest::addColumn<double>("heardSemitones");

        QTest::newRow("zero tempo") << 0.0 << 0.0 << Stretcher::kMinTempo << 0.0;
        QTest::newRow("negative tempo") << -2.0 << 0.0 << Stretcher::kMinTempo << 0.0;
        QTest::newRow("huge tempo") << 100.0 << 0.0 << Stretcher::kMaxTempo << 0.0;
        QTest::newRow("not a number") << std::nan("") << std::nan("") << 1.0 << 0.0;
        QTest::newRow("three octaves up") << 1.0 << 36.0 << 1.0 << Stretcher::kMaxSemitones;
        QTest::newRow("three octaves down") << 0.5 << -36.0 << 0.5 << -Stretcher::kMaxSemitones;
        QTest::newRow("a hair off 1") << 0.8 * 1.25 << 1e-12 << 1.0 << 0.0;
    }
    void settingsAreClamped()
    {
        QFETCH(double, tempo);
        QFETCH(double, semitones);
        QFETCH(double, heardTempo);
        QFETCH(double, heardSemitones);
        Stretcher stretcher(kRate);
        stretcher.SetTempo(tempo);
        stretcher.SetPitch(semitones);
        Sine sine;
        const auto out = Run(stretcher, sine, kRate / 2);
        QCOMPARE(stretcher.Tempo(), heardTempo);
        QCOMPARE(stretcher.Pitch(), heardSemitones);
        QCOMPARE(stretcher.Bypassed(), heardTempo == 1.0 && heardSemitones == 0.0);
        for (float s : out)
            QVERIFY(std::isfinite(s) && std::abs(s) < 2.0f);
    }

    void scheduleIsBounded()
    {
        Stretcher stretcher(kRate);
        for (int i = 0; i < Stretcher::kMaxScheduledChanges; ++i)
            QVERIFY(stretcher.ScheduleChange(1000 * (i + 1), i % 2 ? 1.0 : 0.9, 0.0));
        QVERIFY(!stretcher.ScheduleChange(1000000, 0.9, 0.0));
        // An immediate change still gets through, dropping what was scheduled.
        stretcher.SetTempo(0.7);
        Sine sine;
        Run(stretcher, sine, kRate);
        QCOMPARE(stretcher.Tempo(), 0.7);
        stretcher.CancelScheduledChanges();
        QVERIFY(stretcher.ScheduleChange(2 * kRate, 1.0, 0.0));
    }

    // Blocks without a change allocate nothing, stretching or bypassed.
    void steadyBlocksAllocateNothing_data()
    {
        QTest::addColumn<double>("tempo");
        QTest::addColumn<double>("semitones");
        QTest::newRow("bypass") << 1.0 << 0.0;
        QTest::newRow("tempo") << 0.8 << 0.0;
        QTest::newRow("pitch") << 1.0 << 3.0;
    }
    void steadyBlocksAllocateNothing()
    {
        if (!test::CountAllocations::Available())
            QSKIP("allocations are not counted under a sanitizer");
        QFETCH(double, tempo);
        QFETCH(double, semitones);
        Stretcher stretcher(kRate);
        stretcher.SetTempo(tempo);
        stretcher.SetPitch(semitones);
        Sine sine;
        std::vector<float> out(4096 * 2);
        for (int i = 0; i < 50; ++i)
            stretcher.Process(out.data(), 512, sine);
        test::CountAllocations count;
        for (int i = 0; i < 500; ++i)
            stretcher.Process(out.data(), i % 2 ? 256 : 4096, sine);
        QCOMPARE(count.Count(), 0L);
    }
};

QTEST_GUILESS_MAIN(TestStretcher)
#include "tst_stretcher.moc"

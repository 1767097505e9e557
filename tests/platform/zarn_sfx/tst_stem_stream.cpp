#include "AudioFileReader.h"
#include "AudioTestSignals.h"
#include "RateConverter.h"
#include "StemStream.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <thread>

using namespace zarn::audio;
using namespace zarn::audio::test;

namespace {

constexpr int kRate = 48000;

// Polls a condition until it holds or the deadline passes.
template <typename Condition>
bool WaitFor(Condition condition, int milliseconds = 10000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// Pulls `frames` frames as a render thread that never outruns the reader would: each block
// only once it is ready. Returns the frames; any underrun fails the calling test.
std::vector<float> PullReady(StemStream& stream, int64_t frames, int64_t* underrun)
{
    static const int64_t sizes[] = {480, 512, 1, 1023, 4096, 7};
    std::vector<float> out(size_t(frames) * kChannels);
    for (int64_t at = 0, i = 0; at < frames; ++i) {
        const int64_t n = std::min(sizes[i % std::size(sizes)], frames - at);
        WaitFor([&] {
            const int64_t left = std::max<int64_t>(stream.Length() - stream.Position(), 0);
            return stream.Length() >= 0 && stream.ReadyFrames() >= std::min(n, left);
        });
        *underrun += stream.Pull(out.data() + at * kChannels, n).underrunFrames;
        at += n;
    }
    return out;
}

// Pulls at once, in render-sized blocks, without waiting for anything.
std::vector<float> PullNow(StemStream& stream, int64_t frames, PullResult* total)
{
    std::vector<float> out(size_t(frames) * kChannels);
    for (int64_t at = 0; at < frames;) {
        const int64_t n = std::min<int64_t>(512, frames - at);
        const PullResult r = stream.Pull(out.data() + at * kChannels, n);
        if (r.resumeAt >= 0 && total->resumeAt < 0)
            total->resumeAt = at + r.resumeAt;
        total->underrunFrames += r.underrunFrames;
        at += n;
    }
    return out;
}

// The first frame of `pulled` that is not the index file's frame `from + i`; -1 if all are.
int64_t FirstWrongIndex(const std::vector<float>& pulled, int64_t from)
{
    for (size_t i = 0; i * kChannels < pulled.size(); ++i) {
        if (IndexOf(&pulled[i * kChannels]) != from + int64_t(i))
            return int64_t(i);
    }
    return -1;
}

bool AllSilent(const std::vector<float>& pulled, size_t from = 0, size_t to = SIZE_MAX)
{
    to = std::min(to, pulled.size() / kChannels);
    for (size_t i = from * kChannels; i < to * kChannels; ++i) {
        if (pulled[i] != 0.0f)
            return false;
    }
    return true;
}

double LargestDifference(const std::vector<float>& a, const std::vector<float>& b, int64_t bFrom, int64_t frames)
{
    double worst = 0;
    for (int64_t i = 0; i < frames * kChannels; ++i)
        worst = std::max(worst, double(std::fabs(a[size_t(i)] - b[size_t(bFrom * kChannels + i)])));
    return worst;
}

// The file as a render thread should hear it at the output rate: read whole and converted
// from its first frame on.
std::vector<float> Reference(const std::string& path, int outputRate)
{
    AudioFileReader reader(path);
    std::vector<float> in(size_t(reader.Info().frames) * kChannels);
    in.resize(size_t(reader.Read(in.data(), reader.Info().frames)) * kChannels);
    RateConverter converter(reader.Info().sampleRate, outputRate);
    const int64_t frames = converter.OutputFrames(int64_t(in.size() / kChannels));
    std::vector<float> out(size_t(frames + 64) * kChannels);
    int64_t used = 0;
    int64_t made = 0;
    const int64_t inFrames = int64_t(in.size() / kChannels);
    for (;;) {
        const auto r = converter.Process(in.data() + used * kChannels, inFrames - used, out.data() + made * kChannels,
                                         frames + 64 - made, true);
        used += r.consumed;
        made += r.produced;
        if (r.produced == 0 && r.consumed == 0)
            break;
    }
    out.resize(size_t(frames) * kChannels);
    return out;
}

int64_t ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoll(line.substr(6));
    }
    return -1;
}

// A 16-bit stereo WAV of silence whose data the file system holds as a hole, so a stem of
// hours costs no disk and no time to make.
void WriteSparseWav(const std::string& path, int rate, int64_t frames)
{
    const uint32_t dataBytes = uint32_t(frames * 4);
    auto le32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto le16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    std::string header = "RIFF" + le32(36 + dataBytes) + "WAVEfmt " + le32(16) + le16(1) + le16(2) + le32(uint32_t(rate))
                         + le32(uint32_t(rate) * 4) + le16(4) + le16(16) + "data" + le32(dataBytes);
    {
        std::ofstream out(path, std::ios::binary);
        out.write(header.data(), std::streamsize(header.size()));
    }
    std::filesystem::resize_file(path, header.size() + dataBytes);
}

} // namespace

class TestStemStream : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    std::string indexWav_; // 6 s at the output rate, every frame its own index
    std::optional<DiskReader> reader_;

    std::string PathOf(const QString& name) const { return (dir_.path() + "/" + name).toStdString(); }

    std::shared_ptr<StemStream> OpenReady(const std::string& path)
    {
        auto stream = reader_->Open(path, kRate);
        [&] { QVERIFY(WaitFor([&] { return stream->Length() >= 0; })); }();
        return stream;
    }

private slots:
    void initTestCase()
    {
        indexWav_ = PathOf("index.wav");
        WriteIndexWav(indexWav_, kRate, 6 * kRate + 123);
    }
    void init() { reader_.emplace(); }
    void cleanup() { reader_.reset(); }

    // Pulled from start to end in uneven blocks, never faster than the reader: the file's
    // frames, exactly as many, then silence; the 2 s ring goes round three times.
    void pullsTheWholeFile_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("rate");
        QTest::newRow("WAV at the output rate") << 0 << kRate;
        QTest::newRow("FLAC at 44.1 kHz") << (SF_FORMAT_FLAC | SF_FORMAT_PCM_16) << 44100;
        QTest::newRow("Ogg Vorbis") << (SF_FORMAT_OGG | SF_FORMAT_VORBIS) << kRate;
        QTest::newRow("WAV mono at 96 kHz") << (SF_FORMAT_WAV | SF_FORMAT_PCM_24) << 96000;
    }
    void pullsTheWholeFile()
    {
        QFETCH(int, format);
        QFETCH(int, rate);
        std::string path = indexWav_;
        int64_t fileFrames = 6 * kRate + 123;
        if (format != 0) {
            path = PathOf(QString::number(format) + "-" + QString::number(rate))
                   + ((format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC ? ".flac"
                      : (format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG ? ".ogg"
                                                                        : ".wav");
            fileFrames = 5 * rate + 17;
            WriteAudioFile(path, format, rate, (format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV ? 1 : 2, fileFrames,
                           Sine(rate, {440, 660}));
        }
        auto stream = OpenReady(path);
        const int64_t expected = (fileFrames * kRate + rate / 2) / rate;
        QCOMPARE(stream->Length(), expected);
        int64_t underrun = 0;
        const std::vector<float> pulled = PullReady(*stream, expected + 3000, &underrun);
        QCOMPARE(underrun, int64_t(0));
        QCOMPARE(stream->Position(), expected + 3000);
        QVERIFY(AllSilent(pulled, size_t(expected)));
        if (format == 0) {
            const std::vector<float> head(pulled.begin(), pulled.begin() + expected * kChannels);
            QCOMPARE(FirstWrongIndex(head, 0), int64_t(-1));
            return;
        }
        const std::vector<float> sound(pulled.begin(), pulled.begin() + expected * kChannels);
        QVERIFY2(std::fabs(Frequency(sound, 0, kRate) - 440) < 440 * 0.01, qPrintable(QString::number(Frequency(sound, 0, kRate))));
        const double right = (format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV ? 440 : 660;
        QVERIFY2(std::fabs(Frequency(sound, 1, kRate) - right) < right * 0.01, qPrintable(QString::number(Frequency(sound, 1, kRate))));
        // Sound to the last few frames: nothing lost at the end of the ring or the file.
        double tail = 0;
        for (int64_t i = expected - 200; i < expected; ++i)
            tail = std::max(tail, double(std::fabs(sound[size_t(i * 2)])));
        QVERIFY2(tail > 0.3, qPrintable(QString::number(tail)));
    }

    // A jump to a cue point continues at once on the cached frames, exactly as a pull from
    // the start would have reached them, even while the reader does nothing at all; the
    // ring then refills behind the cache. A loop shorter than the cache jumps back within it.
    void jumpToACuePointIsSeamless_data()
    {
        QTest::addColumn<int>("rate");
        QTest::newRow("WAV at the output rate") << kRate;
        QTest::newRow("FLAC at 44.1 kHz") << 44100;
    }
    void jumpToACuePointIsSeamless()
    {
        QFETCH(int, rate);
        std::string path = indexWav_;
        if (rate != kRate) {
            path = PathOf("cue.flac");
            WriteAudioFile(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, rate, 2, 6 * rate, Sine(rate, {440, 660}));
        }
        const std::vector<float> reference = Reference(path, kRate);
        // Sample-exact at the output rate; converted, the restart agrees to float rounding.
        auto expect = [&](const std::vector<float>& pulled, int64_t from) {
            if (rate == kRate)
                return FirstWrongIndex(pulled, from) == -1;
            return LargestDifference(pulled, reference, from, int64_t(pulled.size() / kChannels)) < 1e-5;
        };
        auto stream = OpenReady(path);
        const int64_t cueA = 2 * kRate + 1001;
        const int64_t cueB = 4 * kRate + 77;
        const int64_t cache = kRate / 2;
        stream->SetCuePoints({cueB, cueA});
        QVERIFY(WaitFor([&] { return stream->IsCueReady(cueA) && stream->IsCueReady(cueB); }));
        QVERIFY(!stream->IsCueReady(cueA + 1));
        int64_t underrun = 0;
        QVERIFY(expect(PullReady(*stream, kRate / 3, &underrun), 0));

        reader_->SetPausedForTesting(true);
        QVERIFY(stream->Jump(cueA));
        PullResult result;
        QVERIFY(expect(PullNow(*stream, cache, &result), cueA));
        QCOMPARE(result.underrunFrames, int64_t(0));
        // A loop shorter than the cache, twice round.
        for (int pass = 0; pass < 2; ++pass) {
            QVERIFY(stream->Jump(cueB));
            QVERIFY(expect(PullNow(*stream, cache / 3, &result), cueB));
        }
        QCOMPARE(result.underrunFrames, int64_t(0));
        reader_->SetPausedForTesting(false);

        // A loop longer than the cache: the ring behind it is there in time.
        for (int pass = 0; pass < 2; ++pass) {
            QVERIFY(stream->Jump(cueA));
            QVERIFY(expect(PullNow(*stream, cache - 100, &result), cueA));
            QVERIFY(expect(PullReady(*stream, kRate, &underrun), cueA + cache - 100));
        }
        QCOMPARE(result.underrunFrames, int64_t(0));
        QCOMPARE(underrun, int64_t(0));
    }

    // Anywhere else the stream is silent until the reader has the frames; it keeps time
    // meanwhile, and says where the sound comes back so the caller can fade in.
    void jumpElsewhereIsSilentUntilTheReaderCatchesUp()
    {
        auto stream = OpenReady(indexWav_);
        reader_->SetPausedForTesting(true);
        stream->SetCuePoints({kRate});
        const int64_t target = 3 * kRate + 5;
        QVERIFY(!stream->Jump(target));
        PullResult result;
        QVERIFY(AllSilent(PullNow(*stream, 1000, &result)));
        QCOMPARE(result.underrunFrames, int64_t(1000));
        QCOMPARE(result.resumeAt, int64_t(-1));
        // A cue point whose cache is not filled yet is no different.
        QVERIFY(!stream->IsCueReady(kRate));
        QVERIFY(!stream->Jump(kRate));
        reader_->SetPausedForTesting(false);
        QVERIFY(WaitFor([&] { return stream->ReadyFrames() >= 2000; }));
        PullResult resumed;
        const std::vector<float> pulled = PullNow(*stream, 1500, &resumed);
        QCOMPARE(resumed.underrunFrames, int64_t(0));
        QCOMPARE(resumed.resumeAt, int64_t(0));
        QCOMPARE(FirstWrongIndex(pulled, kRate), int64_t(-1));

        // The cache runs out within a block while the ring has nothing behind it: sound,
        // then silence, and the sound comes back at the frame the position has reached.
        QVERIFY(WaitFor([&] { return stream->IsCueReady(kRate); }));
        reader_->SetPausedForTesting(true);
        QVERIFY(stream->Jump(kRate));
        const int64_t cache = kRate / 2;
        std::vector<float> block(size_t(cache + 300) * kChannels);
        const PullResult straddle = stream->Pull(block.data(), cache + 300);
        QCOMPARE(straddle.underrunFrames, int64_t(300));
        QCOMPARE(straddle.resumeAt, int64_t(-1));
        QCOMPARE(FirstWrongIndex(std::vector<float>(block.begin(), block.begin() + cache * kChannels), kRate), int64_t(-1));
        QVERIFY(AllSilent(block, size_t(cache)));
        reader_->SetPausedForTesting(false);
        QVERIFY(WaitFor([&] { return stream->ReadyFrames() >= 500; }));
        PullResult after;
        QCOMPARE(FirstWrongIndex(PullNow(*stream, 500, &after), kRate + cache + 300), int64_t(-1));
        QCOMPARE(after.resumeAt, int64_t(0));
        QCOMPARE(after.underrunFrames, int64_t(0));

        // Before the file's first frame and past its last: silence that is not an underrun.
        QVERIFY(!stream->Jump(-700));
        QVERIFY(WaitFor([&] { return stream->ReadyFrames() >= 1700; }));
        PullResult early;
        const std::vector<float> start = PullNow(*stream, 1700, &early);
        QCOMPARE(early.underrunFrames, int64_t(0));
        QVERIFY(AllSilent(start, 0, 700));
        QCOMPARE(FirstWrongIndex(std::vector<float>(start.begin() + 700 * kChannels, start.end()), 0), int64_t(-1));
        QVERIFY(!stream->Jump(stream->Length() + 10));
        PullResult late;
        QVERIFY(AllSilent(PullNow(*stream, 2000, &late)));
        QCOMPARE(late.underrunFrames, int64_t(0));
    }

    // A stem of three hours, four times over, with cue points: what the streams hold is
    // their rings and caches, a few MB, not the 4 GB of sound each.
    void memoryStaysBounded()
    {
        const int64_t frames = int64_t(3) * 3600 * kRate;
        const std::string path = PathOf("long.wav");
        WriteSparseWav(path, kRate, frames);
        const int64_t before = ResidentKiB();
        std::vector<std::shared_ptr<StemStream>> streams;
        std::vector<int64_t> cues;
        for (int i = 0; i < 8; ++i)
            cues.push_back(frames / 9 * (i + 1));
        for (int i = 0; i < 4; ++i) {
            streams.push_back(OpenReady(path));
            QCOMPARE(streams.back()->Length(), frames);
            streams.back()->SetCuePoints(cues);
        }
        int64_t underrun = 0;
        for (auto& stream : streams) {
            PullReady(*stream, 3 * kRate, &underrun);
            QVERIFY(WaitFor([&] { return stream->IsCueReady(cues.back()); }));
            stream->Jump(frames - 2 * kRate);
            PullReady(*stream, 3 * kRate, &underrun);
        }
        QCOMPARE(underrun, int64_t(0));
        QVERIFY(WaitFor([&] { return streams.back()->ReadyFrames() == 0 && streams.front()->Position() > frames; }));
        const int64_t grown = ResidentKiB() - before;
        qInfo("resident growth for 4 streams of 3 h with 8 cue points each: %lld KiB", (long long)grown);
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
        const int64_t bound = 100 * 1024; // the sanitizer's shadow of every byte touched comes on top
#else
        const int64_t bound = 32 * 1024;
#endif
        QVERIFY2(grown < bound, qPrintable(QString("%1 KiB").arg(grown)));
    }

    // A file that cannot be read plays silence and says why; one cut short plays what is
    // there, then silence, and says so. Neither counts as an underrun.
    void fileProblemsAreKeptAsText_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("says");
        QTest::addColumn<bool>("failed");
        QTest::newRow("missing") << "missing" << "not found" << true;
        QTest::newRow("not audio") << "text" << "not in a format" << true;
        QTest::newRow("cut short") << "cut" << "cut short" << false;
    }
    void fileProblemsAreKeptAsText()
    {
        QFETCH(QString, kind);
        QFETCH(QString, says);
        QFETCH(bool, failed);
        const std::string path = PathOf(kind + ".wav");
        if (kind == "text") {
            QFile file(QString::fromStdString(path));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not sound\n");
        } else if (kind == "cut") {
            WriteIndexWav(path, kRate, kRate);
            std::filesystem::resize_file(path, 44 + 4 * 30000 + 2); // a frame cut in half at the end
        }
        auto stream = OpenReady(path);
        QCOMPARE(stream->Failed(), failed);
        QVERIFY(stream->HasProblem());
        const QString problem = QString::fromStdString(stream->Problem());
        QVERIFY2(problem.contains(QString::fromStdString(path)) && problem.contains(says), qPrintable(problem));
        QCOMPARE(stream->Length(), failed ? int64_t(0) : int64_t(30000));
        int64_t underrun = 0;
        const std::vector<float> pulled = PullReady(*stream, kRate, &underrun);
        QCOMPARE(underrun, int64_t(0));
        if (!failed)
            QCOMPARE(FirstWrongIndex(std::vector<float>(pulled.begin(), pulled.begin() + 30000 * kChannels), 0), int64_t(-1));
        QVERIFY(AllSilent(pulled, failed ? 0 : 30000));
    }

    // A render thread pulls and jumps as fast as it can while the cue points change under
    // it: whatever the timing, every frame it gets is the file's frame at its position or
    // silence it was told was an underrun. Run under ThreadSanitizer this also checks the
    // ring, the caches and the wake-ups for races.
    void renderThreadNeverGetsAWrongFrame()
    {
        auto stream = OpenReady(indexWav_);
        const int64_t length = stream->Length();
        const std::vector<int64_t> cuesA{kRate, 2 * kRate, 3 * kRate + 7};
        const std::vector<int64_t> cuesB{2 * kRate, 4 * kRate + 1, 5 * kRate};
        stream->SetCuePoints(cuesA);
        // The cue point both sets share stays cached throughout: the first jump lands on it.
        QVERIFY(WaitFor([&] { return stream->IsCueReady(2 * kRate); }));
        std::atomic<int64_t> wrong{0};
        std::atomic<int64_t> unexplainedSilence{0};
        std::atomic<int64_t> cueLandings{0};
        std::atomic<bool> done{false};
        std::thread render([&] {
            std::mt19937 random(19);
            std::vector<float> block(256 * kChannels);
            for (int i = 0; i < 6000; ++i) {
                if (i % 9 == 0) {
                    const int64_t cue = i == 0 ? 2 * kRate : (i % 2 ? cuesA : cuesB)[size_t(random() % 3)];
                    if (i > 0 && random() % 3 == 0)
                        stream->Jump(int64_t(random() % uint64_t(length)));
                    else if (stream->Jump(cue))
                        ++cueLandings;
                }
                const int64_t at = stream->Position();
                const PullResult r = stream->Pull(block.data(), 256);
                int64_t silent = 0;
                for (int64_t f = 0; f < 256; ++f) {
                    const float* frame = &block[size_t(f * kChannels)];
                    if (frame[0] == 0.0f && frame[1] == 0.0f)
                        silent += at + f < length ? 1 : 0;
                    else if (IndexOf(frame) != at + f)
                        ++wrong;
                }
                if (silent != r.underrunFrames)
                    ++unexplainedSilence;
            }
            done = true;
        });
        for (int i = 0; !done; ++i) {
            stream->SetCuePoints(i % 2 ? cuesA : cuesB);
            WaitFor([&] { return done.load() || stream->IsCueReady(i % 2 ? cuesA.back() : cuesB.back()); });
        }
        render.join();
        QCOMPARE(wrong.load(), int64_t(0));
        QCOMPARE(unexplainedSilence.load(), int64_t(0));
        QVERIFY(cueLandings.load() > 0);
    }
};

QTEST_GUILESS_MAIN(TestStemStream)
#include "tst_stem_stream.moc"

#include "DeviceControlWin32.h"
#include "NullOutput.h"
#include "OfflineRender.h"
#include "PulseDevices.h"
#include "PulseNullSink.h"
#include "PulseOutput.h"
#include "PulseProbe.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>

using namespace zarn::audio;
using Clock = std::chrono::steady_clock;

namespace {

// Started before the application object, so Qt Multimedia finds it on first use.
PulseNullSink* g_sink = nullptr;
const std::string kSink = "corvane_null";

double SecondsSince(Clock::time_point t)
{
    return std::chrono::duration<double>(Clock::now() - t).count();
}

// A sine on both channels while `loud` is set, silence otherwise. Render thread only,
// apart from the flag.
struct Tone
{
    double frequency = 1000.0;
    int rate = 48000;
    std::atomic<bool> loud{true};
    double phase = 0.0;

    AudioOutput::RenderCallback Callback()
    {
        return [this](float* out, int frames) {
            const bool on = loud.load();
            for (int i = 0; i < frames; ++i) {
                const float v = on ? static_cast<float>(0.5 * std::sin(phase)) : 0.0f;
                out[2 * i] = out[2 * i + 1] = v;
                phase = std::fmod(phase + 2 * M_PI * frequency / rate, 2 * M_PI);
            }
        };
    }
};

// The frequency of the left channel from the median period between upward zero crossings
// (placed between samples by linear interpolation), so a dropout the loaded machine puts in
// the recording does not move it.
double Frequency(const std::vector<float>& stereo, size_t firstFrame, size_t frames, int rate)
{
    std::vector<double> periods;
    double previous = -1.0;
    for (size_t i = firstFrame + 1; i < firstFrame + frames; ++i) {
        const float a = stereo[2 * (i - 1)], b = stereo[2 * i];
        if (a < 0.0f && b >= 0.0f) {
            const double crossing = double(i - 1) + double(a) / double(a - b);
            if (previous >= 0.0)
                periods.push_back(crossing - previous);
            previous = crossing;
        }
    }
    if (periods.empty())
        return 0.0;
    std::nth_element(periods.begin(), periods.begin() + periods.size() / 2, periods.end());
    return rate / periods[periods.size() / 2];
}

size_t FirstLoudFrame(const std::vector<float>& stereo, float threshold)
{
    for (size_t i = 0; i < stereo.size(); ++i)
        if (std::fabs(stereo[i]) > threshold)
            return i / 2;
    return stereo.size() / 2;
}

// What the lost callback said, from the output's thread.
struct LostProbe
{
    std::mutex mutex;
    std::vector<std::string> messages;
    Clock::time_point when;

    AudioOutput::LostCallback Callback()
    {
        return [this](const std::string& message) {
            std::lock_guard lock(mutex);
            messages.push_back(message);
            when = Clock::now();
        };
    }
    std::vector<std::string> Messages()
    {
        std::lock_guard lock(mutex);
        return messages;
    }
};

uint32_t Le32(const QByteArray& bytes, int at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
    return v;
}

} // namespace

class TestAudioOutput : public QObject
{
    Q_OBJECT

private slots:
    // First, before anything in the process talks to PulseAudio, since it changes the server
    // the library looks for.
    void withoutAServerNothingStartsAndNothingHangs()
    {
        const QByteArray server = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:/nonexistent/corvane-no-server");
        const auto restore = qScopeGuard([&] { qputenv("PULSE_SERVER", server); });

        const Clock::time_point started = Clock::now();
        PulseOutput output("");
        QVERIFY(!output.Start());
        QVERIFY2(output.Problem().rfind("PulseAudio cannot be reached: ", 0) == 0, output.Problem().c_str());
        output.Stop();
        PulseDevices devices;
        QVERIFY(!devices.Connected());
        QVERIFY(devices.Sinks().empty());
        QVERIFY(devices.DefaultSink().uid.empty());
        QVERIFY(SecondsSince(started) < 2.0);
        QCOMPARE(output.FramesRendered(), int64_t(0));
    }

    // Frames rendered are the time since the first block times the rate, rounded up to a
    // block, and stay so: an output that adds up sleeps drifts out of the window within the
    // second.
    void nullOutputKeepsRealTime()
    {
        NullOutput output(48000);
        const int block = output.BlockFrames();
        QCOMPARE(block, 240);
        std::atomic<bool> dirtyBuffer{false}, wrongSize{false}, gap{false};
        std::atomic<Clock::rep> firstBlock{0};
        int64_t expectedFirst = 0;
        output.SetRenderCallback([&](float* out, int frames) {
            if (expectedFirst == 0)
                firstBlock = Clock::now().time_since_epoch().count();
            if (frames != block)
                wrongSize = true;
            if (output.FramesRendered() != expectedFirst)
                gap = true;
            expectedFirst += frames;
            for (int i = 0; i < frames * 2; ++i) {
                if (out[i] != 0.0f)
                    dirtyBuffer = true;
                out[i] = 1.0f;
            }
        });
        QVERIFY(output.Start());
        QTRY_VERIFY(firstBlock.load() != 0);
        const Clock::time_point started{Clock::duration(firstBlock.load())};
        const auto onTime = [&] {
            const Clock::time_point before = Clock::now();
            const int64_t frames = output.FramesRendered();
            const double elapsed = std::chrono::duration<double>(Clock::now() - started).count();
            const double early = std::chrono::duration<double>(before - started).count();
            const double error = double(frames) - elapsed * 48000;
            // Never ahead by more than the block in hand; behind by no more than 2 ms.
            return early >= 1.0 && error <= block && double(frames) - early * 48000 >= -96;
        };
        QTRY_VERIFY_WITH_TIMEOUT(onTime(), 5000);
        output.Stop();
        const int64_t stopped = output.FramesRendered();
        QVERIFY(stopped > 48000);
        QCOMPARE(stopped % block, int64_t(0));
        QVERIFY(!dirtyBuffer);
        QVERIFY(!wrongSize);
        QVERIFY(!gap);
        // Started again, it counts on from where it was.
        QVERIFY(output.Start());
        QTRY_VERIFY(output.FramesRendered() > stopped);
        output.Stop();
    }

    void offlineRenderGivesExactlyTheFrames_data()
    {
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("block");
        QTest::newRow("none") << 0 << 512;
        QTest::newRow("one") << 1 << 512;
        QTest::newRow("one short of a block") << 511 << 512;
        QTest::newRow("a block") << 512 << 512;
        QTest::newRow("a second and a frame") << 48001 << 512;
        QTest::newRow("odd blocks") << 1000 << 7;
        QTest::newRow("block above the largest") << 5000 << 100000;
    }

    // Each sample carries its frame's index: a frame rendered twice, skipped or moved shows.
    void offlineRenderGivesExactlyTheFrames()
    {
        QFETCH(int, frames);
        QFETCH(int, block);
        OfflineRender render(48000, block);
        QVERIFY(render.BlockFrames() <= AudioOutput::kMaxBlockFrames);
        int largest = 0;
        render.SetRenderCallback([&](float* out, int n) {
            largest = std::max(largest, n);
            const int64_t first = render.FramesRendered();
            for (int i = 0; i < n; ++i) {
                out[2 * i] += float(first + i);
                out[2 * i + 1] -= float(first + i);
            }
        });
        QVERIFY(render.Start());
        const std::vector<float> buffer = render.Render(frames);
        QCOMPARE(buffer.size(), size_t(frames) * 2);
        QCOMPARE(render.FramesRendered(), int64_t(frames));
        QVERIFY(largest <= render.BlockFrames());
        for (int i = 0; i < frames; ++i) {
            if (buffer[2 * i] != float(i) || buffer[2 * i + 1] != -float(i))
                QFAIL(qPrintable(QString("frame %1 holds %2 %3").arg(i).arg(buffer[2 * i]).arg(buffer[2 * i + 1])));
        }

        // The WAV file holds the frames that follow, as 32-bit float stereo.
        QTemporaryDir dir;
        const QString path = dir.filePath("render.wav");
        render.RenderToWav(path.toStdString(), frames);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.left(4), QByteArray("RIFF"));
        QCOMPARE(qsizetype(Le32(bytes, 4)), bytes.size() - 8);
        QCOMPARE(bytes.mid(8, 8), QByteArray("WAVEfmt "));
        QCOMPARE(Le32(bytes, 20) & 0xffff, 3u); // float
        QCOMPARE(Le32(bytes, 20) >> 16, 2u); // channels
        QCOMPARE(Le32(bytes, 24), 48000u);
        const qsizetype data = bytes.indexOf("data");
        QVERIFY(data > 0);
        QCOMPARE(qsizetype(Le32(bytes, data + 4)), qsizetype(frames) * 8);
        QCOMPARE(bytes.size(), data + 8 + qsizetype(frames) * 8);
        for (int i = 0; i < frames; ++i) {
            float left;
            std::memcpy(&left, bytes.constData() + data + 8 + i * 8, 4);
            if (left != float(frames + i))
                QFAIL(qPrintable(QString("WAV frame %1 holds %2").arg(i).arg(left)));
        }
    }

    void offlineRenderToAnUnwritablePlaceSaysSo()
    {
        OfflineRender render;
        QTemporaryDir dir;
        const std::string path = (dir.path() + "/no such folder/render.wav").toStdString();
        try {
            render.RenderToWav(path, 100);
            QFAIL("no error");
        } catch (const std::runtime_error& error) {
            QVERIFY2(std::string(error.what()).find(path) != std::string::npos, error.what());
        }
        QVERIFY(!QFile::exists(QString::fromStdString(path)));
    }

    // A real device path: the stream plays into the null sink, the tone comes out of its
    // monitor, the frames rendered follow real time, and the sound starts promptly after
    // the source switches on (a stream left at the server's default buffer takes seconds).
    void pulseOutputPlaysIntoTheSink()
    {
        if (!g_sink->Started())
            QSKIP(qPrintable("PulseAudio cannot run here: " + g_sink->Problem()));
        PulseProbe probe;
        QVERIFY2(probe.Connected(), probe.Problem().c_str());

        Tone tone;
        tone.loud = false;
        PulseOutput output(kSink);
        output.SetRenderCallback(tone.Callback());
        QVERIFY2(output.Start(), output.Problem().c_str());
        QVERIFY(output.Notice().empty());
        QCOMPARE(output.SinkName(), kSink);
        QVERIFY(!output.DeviceName().empty());
        QCOMPARE(output.SampleRate(), 48000);
        QVERIFY2(output.BufferSeconds() > 0.0 && output.BufferSeconds() <= 0.03, qPrintable(QString::number(output.BufferSeconds())));
        QTRY_COMPARE(probe.SinkInputsOn(kSink), 1);
        // An idle null sink has rendered up to two seconds ahead when a stream joins, and
        // takes the stream's first frames only after that; its monitor delivers nothing
        // before. A real device starts at once.
        QTRY_VERIFY_WITH_TIMEOUT(output.FramesRendered() > 4800, 5000);
        QVERIFY(probe.Record(kSink + ".monitor", 48000));

        const auto onset = probe.MeasureOnset([&](bool loud) { tone.loud = loud; });
        QVERIFY(onset.has_value());
        QVERIFY2(onset->count() < 0.25, qPrintable(QString("%1 s").arg(onset->count())));

        // Frames rendered follow real time, give or take the device's buffer.
        const int64_t firstFrames = output.FramesRendered();
        const Clock::time_point first = Clock::now();
        const auto onTime = [&] {
            const double elapsed = SecondsSince(first);
            const double error = double(output.FramesRendered() - firstFrames) / 48000 - elapsed;
            return elapsed >= 1.0 && std::fabs(error) < 0.03;
        };
        QTRY_VERIFY_WITH_TIMEOUT(onTime(), 5000);
        QVERIFY(output.LatencySeconds() > 0.0 && output.LatencySeconds() < 0.1);

        const std::vector<float> recorded = probe.Take();
        const size_t start = FirstLoudFrame(recorded, 0.05f) + 480;
        QVERIFY(recorded.size() / 2 > start + 24000);
        const double frequency = Frequency(recorded, start, 24000, 48000);
        QVERIFY2(std::fabs(frequency - 1000.0) < 10.0, qPrintable(QString::number(frequency)));

        output.Stop();
        QTRY_COMPARE(probe.SinkInputsOn(kSink), 0);
    }

    // The stream's sink goes away while it plays: the loss is reported once, promptly,
    // naming the device, and the output stops cleanly afterwards. Started again with the id
    // no sink has now, it plays on the default sink and says so.
    void lostDeviceIsReported()
    {
        if (!g_sink->Started())
            QSKIP(qPrintable("PulseAudio cannot run here: " + g_sink->Problem()));
        PulseProbe probe;
        QVERIFY2(probe.Connected(), probe.Problem().c_str());
        const uint32_t module = probe.LoadNullSink("corvane_second", "Second sink");
        QVERIFY(module != PA_INVALID_INDEX);

        Tone tone;
        LostProbe lost;
        PulseOutput output("corvane_second");
        output.SetRenderCallback(tone.Callback());
        output.SetLostCallback(lost.Callback());
        QVERIFY2(output.Start(), output.Problem().c_str());
        QCOMPARE(output.DeviceName(), std::string("Second sink"));
        const int64_t before = output.FramesRendered();
        QTRY_VERIFY(output.FramesRendered() > before + 4800);

        const Clock::time_point unloaded = Clock::now();
        QVERIFY(probe.Unload(module));
        QTRY_VERIFY_WITH_TIMEOUT(!lost.Messages().empty(), 2000);
        qInfo("lost reported %.1f ms after the unload began",
              std::chrono::duration<double, std::milli>(lost.when - unloaded).count());
        QCOMPARE(lost.Messages(), std::vector<std::string>{"Audio device lost: Second sink"});

        const Clock::time_point stopping = Clock::now();
        output.Stop();
        QVERIFY(SecondsSince(stopping) < 1.0);
        QCOMPARE(lost.Messages().size(), size_t(1));

        QVERIFY2(output.Start(), output.Problem().c_str());
        QCOMPARE(output.SinkName(), kSink);
        QCOMPARE(output.Notice(),
                 "Audio device not found: corvane_second; playing on the default device (" + output.DeviceName() + ")");
        QTRY_COMPARE(probe.SinkInputsOn(kSink), 1);
        output.Stop();
        QTRY_COMPARE(probe.SinkInputsOn(kSink), 0);
        QCOMPARE(lost.Messages().size(), size_t(1));
    }

    // Sinks are listed under the ids Qt Multimedia gives them (the program stores those),
    // and one coming, becoming the default and going is seen.
    void devicesAreListedAndWatched()
    {
        if (!g_sink->Started())
            QSKIP(qPrintable("PulseAudio cannot run here: " + g_sink->Problem()));
        PulseProbe probe;
        QVERIFY2(probe.Connected(), probe.Problem().c_str());
        using Event = std::pair<PulseDevices::Change, AudioDevice>;
        std::mutex mutex;
        std::vector<Event> events;
        PulseDevices devices([&](PulseDevices::Change change, const AudioDevice& device) {
            std::lock_guard lock(mutex);
            events.push_back({change, device});
        });
        const auto seen = [&] {
            std::lock_guard lock(mutex);
            return events;
        };
        QVERIFY2(devices.Connected(), devices.Problem().c_str());
        QCOMPARE(devices.DefaultSink().uid, kSink);

        const auto sorted = [](std::vector<AudioDevice> list) {
            std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.uid < b.uid; });
            return list;
        };
        const std::vector<AudioDevice> sinks = sorted(devices.Sinks());
        QVERIFY(std::any_of(sinks.begin(), sinks.end(), [](const AudioDevice& d) { return d.uid == kSink; }));
        QTRY_COMPARE(sorted(DeviceControlWin32().GetOutputDevices()), sinks);

        const uint32_t module = probe.LoadNullSink("corvane_watch", "Watched sink");
        QVERIFY(module != PA_INVALID_INDEX);
        const AudioDevice watched{"Watched sink", "corvane_watch"};
        QTRY_COMPARE(seen(), (std::vector<Event>{{PulseDevices::Change::Added, watched}}));
        QVERIFY(probe.SetDefaultSink("corvane_watch"));
        QTRY_COMPARE(seen().size(), size_t(2));
        QCOMPARE(seen().back(), Event(PulseDevices::Change::DefaultChanged, watched));
        QCOMPARE(devices.DefaultSink(), watched);

        QVERIFY(probe.Unload(module));
        // The default falls back to the sink that is left.
        QTRY_COMPARE(seen().size(), size_t(4));
        QCOMPARE(seen()[2], Event(PulseDevices::Change::Removed, watched));
        QCOMPARE(seen()[3].first, PulseDevices::Change::DefaultChanged);
        QCOMPARE(seen()[3].second.uid, kSink);
        QCOMPARE(sorted(devices.Sinks()), sinks);
    }
};

int main(int argc, char** argv)
{
    PulseNullSink sink;
    g_sink = &sink;
    QCoreApplication app(argc, argv);
    TestAudioOutput test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_audio_output.moc"

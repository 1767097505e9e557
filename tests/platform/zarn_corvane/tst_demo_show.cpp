#include "AudioInterface.h"
#include "DemoAudioSynth.h"
#include "DeviceControlWin32.h"
#include "FakeMidiInputBackend.h"
#include "ManualClock.h"
#include "PulseNullSink.h"
#include "PulseProbe.h"
#include "WavFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>

#include <cmath>
#include <functional>
#include <set>

namespace {

PulseNullSink* g_sink = nullptr; // started before the application object

QString DemoShow()
{
    return QStringLiteral(CORVANE_DEMO_SHOW);
}

// A copy of the demo show, so nothing the engine writes lands in the source tree.
bool CopyShow(const QString& from, const QString& to)
{
    QDir source(from);
    for (const QFileInfo& info : source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = QDir(to).filePath(info.fileName());
        if (info.isDir()) {
            if (!QDir().mkpath(target) || !CopyShow(info.filePath(), target))
                return false;
        } else if (!QFile::copy(info.filePath(), target)) {
            return false;
        }
    }
    return true;
}

// A copy of the demo show in `show` whose one output path is bound to the sink `sink`.
bool CopyShowOnSink(const QString& show, const char* sink)
{
    if (!QDir().mkpath(show) || !CopyShow(DemoShow(), show))
        return false;
    QFile devices(show + "/outputpathdevices.json");
    return devices.open(QIODevice::WriteOnly)
        && devices.write(QStringLiteral(R"({"outputpaths":[{"id":"main","hwid":"%1"}]})").arg(sink).toUtf8()) > 0;
}

std::unique_ptr<AudioInterface> MakeEngine(const QString& show, const QString& data, bool sound,
                                           std::shared_ptr<zarn::player::Clock> clock = {},
                                           std::function<void()> lossTap = {})
{
    AudioInterface::Options options;
    options.clock = std::move(clock);
    options.lossTap = std::move(lossTap);
    options.sound = sound;
    options.midiInput = std::make_unique<zarn::midi::FakeMidiInputBackend>(std::vector<std::string>{});
    auto engine = std::make_unique<AudioInterface>(show.toStdString(), data.toStdString(), nullptr, std::move(options));
    engine->ThrowIfThreadExceptions();
    return engine;
}

} // namespace

class TestDemoShow : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString show_;
    QString data_;

private slots:
    void initTestCase()
    {
        show_ = dir_.filePath("show");
        data_ = dir_.filePath("data");
        QVERIFY(QDir().mkpath(show_));
        QVERIFY(CopyShow(DemoShow(), show_));
    }

    void audioIsWhatTheGeneratorMakes()
    {
        const auto show = zarn::player::ShowDefinition::LoadFromFile((DemoShow() + "/show.json").toStdString());
        for (const auto& song : show.songs) {
            const auto wav = zarn::audio::WavFile::Load((DemoShow() + "/" + QString::fromStdString(song.audio)).toStdString());
            QCOMPARE(wav.sampleRate, zarn::tools::DemoAudioSynth::kSampleRate);
            QVERIFY2(wav.samples == zarn::tools::DemoAudioSynth::Render(song), song.audio.c_str());
        }
    }

    void meetsItsBrief()
    {
        auto engine = MakeEngine(show_, data_, false, std::make_shared<zarn::player::ManualClock>());
        const auto songs = engine->GetSongNamesBySongNumber();
        QVERIFY(songs.size() >= 4 && songs.size() <= 6);
        std::set<std::string> meters;
        bool tempoChange = false, keyChange = false, pickup = false, explicitBars = false, tail = false;
        std::set<char> kinds;
        for (const auto& [number, title] : songs) {
            engine->LoadSong(number);
            const auto timeline = engine->GetTimeline();
            for (const auto& m : timeline.GetMeters())
                meters.insert(std::to_string(m.numerator) + "/" + std::to_string(m.denominator));
            tempoChange = tempoChange || timeline.GetTempos().size() > 1;
            keyChange = keyChange || timeline.GetKeys().size() > 1;
            const auto grid = engine->GetBarsBeats(number, false);
            pickup = pickup || grid[0].bar_number() == "0";
            for (const auto& b : grid)
                explicitBars = explicitBars || b.bar_number() == "4A";
            tail = tail || engine->GetSongAudioEndTick(number) > engine->GetSongLength(number);
            for (const auto& e : engine->GetChangeLogPanelEvents())
                kinds.insert(e->code());
            if (!engine->GetMarkers().empty())
                kinds.insert('E');
        }
        QVERIFY(meters.count("4/4") && meters.count("3/4") && meters.count("6/8"));
        QVERIFY(tempoChange && keyChange && pickup && explicitBars && tail);
        QCOMPARE(kinds, (std::set<char>{'N', 'L', 'B', 'E', 'M', '@', 'S', 'C', 'D', 'A'}));
        engine->Shutdown();
    }

    void playsIntoANullSink()
    {
        if (!g_sink->Started())
            QSKIP(qPrintable("PulseAudio cannot start here: " + g_sink->Problem()));
        const auto devices = zarn::audio::DeviceControlWin32().GetOutputDevices();
        QVERIFY(!devices.empty());
        auto engine = MakeEngine(show_, data_, true);
        engine->SetOutputDeviceUid(devices.front().uid);
        engine->Play();
        QTRY_VERIFY_WITH_TIMEOUT(engine->IsSoundActive(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!g_sink->SinkInputs().trimmed().isEmpty(), 5000);
        QVERIFY2(engine->GetSoundProblem().empty(), engine->GetSoundProblem().c_str());
        engine->Shutdown();
        QTRY_VERIFY_WITH_TIMEOUT(g_sink->SinkInputs().trimmed().isEmpty(), 5000);
    }

    void playsOnWhenItsDeviceIsLost_data()
    {
        QTest::addColumn<bool>("backBeforeWatched");
        QTest::newRow("stays away") << false;
        QTest::newRow("back before the engine watches for it") << true;
    }

    // The show's path is bound to a device that goes away while playing: the engine says so,
    // and plays on from where it was without a device. A device back in the moment between
    // the engine taking in its loss and starting to watch for its return is listed when the
    // watch begins but never announced: the engine must still play on it again.
    void playsOnWhenItsDeviceIsLost()
    {
        QFETCH(bool, backBeforeWatched);
        if (!g_sink->Started())
            QSKIP(qPrintable("PulseAudio cannot start here: " + g_sink->Problem()));
        PulseProbe probe;
        QVERIFY2(probe.Connected(), probe.Problem().c_str());
        const uint32_t module = probe.LoadNullSink("corvane_pit", "Pit sink");
        QVERIFY(module != PA_INVALID_INDEX);
        QTemporaryDir dir;
        const QString show = dir.filePath("show");
        QVERIFY(CopyShowOnSink(show, "corvane_pit"));

        std::atomic<uint32_t> back{PA_INVALID_INDEX};
        std::function<void()> lossTap;
        if (backBeforeWatched) {
            lossTap = [&back] {
                PulseProbe control; // on the engine's control thread: a connection of its own
                back = control.LoadNullSink("corvane_pit", "Pit sink");
            };
        }
        auto engine = MakeEngine(show, dir.filePath("data"), true, {}, std::move(lossTap));
        QVERIFY2(engine->IsSoundActive(), engine->GetSoundProblem().c_str());
        QTRY_VERIFY_WITH_TIMEOUT(probe.SinkInputsOn("corvane_pit") == 1, 5000);
        engine->Play();
        QTRY_VERIFY_WITH_TIMEOUT(engine->GetTickIndex() > 480, 5000);
        QVERIFY(probe.Unload(module));
        if (backBeforeWatched) {
            QTRY_VERIFY_WITH_TIMEOUT(back != PA_INVALID_INDEX, 5000);
            QTRY_VERIFY_WITH_TIMEOUT(engine->IsSoundActive(), 5000);
            QTRY_COMPARE_WITH_TIMEOUT(probe.SinkInputsOn("corvane_pit"), 1, 5000);
            QTRY_COMPARE(QString::fromStdString(engine->GetSoundProblem()), QString());
            QVERIFY(engine->GetIsPlaying());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(!engine->IsSoundActive(), 5000);
            const uint32_t atLoss = engine->GetTickIndex();
            QCOMPARE(QString::fromStdString(engine->GetSoundProblem()),
                     QString("Audio device lost: Pit sink. Sound is off until it returns or another device is chosen."));
            QVERIFY(engine->GetIsPlaying());
            QTRY_VERIFY_WITH_TIMEOUT(engine->GetTickIndex() > atLoss + 480, 5000);
        }
        engine->Shutdown();
        engine.reset();
        if (back != PA_INVALID_INDEX)
            QVERIFY(probe.Unload(back));
    }

    // Played on the system's default device, the show goes where the default goes, and back.
    void followsTheSystemDefault()
    {
        if (!g_sink->Started())
            QSKIP(qPrintable("PulseAudio cannot start here: " + g_sink->Problem()));
        PulseProbe probe;
        QVERIFY2(probe.Connected(), probe.Problem().c_str());
        const uint32_t module = probe.LoadNullSink("corvane_other", "Other sink");
        QVERIFY(module != PA_INVALID_INDEX);
        struct DefaultBack
        {
            PulseProbe& probe;
            ~DefaultBack() { probe.SetDefaultSink("corvane_null"); }
        } defaultBack{probe};
        QTemporaryDir dir;
        const QString show = dir.filePath("show");
        QVERIFY(QDir().mkpath(show) && CopyShow(DemoShow(), show));

        auto engine = MakeEngine(show, dir.filePath("data"), true);
        QVERIFY2(engine->IsSoundActive(), engine->GetSoundProblem().c_str());
        QTRY_COMPARE_WITH_TIMEOUT(probe.SinkInputsOn("corvane_null"), 1, 5000);
        engine->Play();
        QTRY_VERIFY_WITH_TIMEOUT(engine->GetTickIndex() > 480, 5000);
        QVERIFY(probe.SetDefaultSink("corvane_other"));
        QTRY_COMPARE_WITH_TIMEOUT(probe.SinkInputsOn("corvane_other"), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(probe.SinkInputsOn("corvane_null"), 0, 5000);
        QVERIFY(engine->IsSoundActive());
        QVERIFY(engine->GetIsPlaying());
        const uint32_t moved = engine->GetTickIndex();
        QTRY_VERIFY_WITH_TIMEOUT(engine->GetTickIndex() > moved + 480, 5000);
        QVERIFY(probe.SetDefaultSink("corvane_null"));
        QTRY_COMPARE_WITH_TIMEOUT(probe.SinkInputsOn("corvane_null"), 1, 5000);
        QCOMPARE(QString::fromStdString(engine->GetSoundProblem()), QString());
        engine->Shutdown();
        engine.reset();
        QVERIFY(probe.Unload(module));
    }

    // Two output paths bound to two devices: each stem is heard on its own device only; the
    // click is on the click's path.
    void pathsPlayOnTheirOwnDevices()
    {
        if (!g_sink->Started())
            QSKIP(qPrintable("PulseAudio cannot start here: " + g_sink->Problem()));
        PulseProbe control;
        QVERIFY2(control.Connected(), control.Problem().c_str());
        const uint32_t front = control.LoadNullSink("corvane_front", "Front sink");
        const uint32_t stage = control.LoadNullSink("corvane_stage", "Stage sink");
        QVERIFY(front != PA_INVALID_INDEX && stage != PA_INVALID_INDEX);
        QTemporaryDir dir;
        const QString show = dir.filePath("show");
        QVERIFY(QDir().mkpath(show));
        const auto tone = [&](const QString& name, double hz) {
            std::vector<int16_t> samples(size_t(48000 * 20));
            for (size_t i = 0; i < samples.size(); ++i)
                samples[i] = int16_t(12000 * std::sin(2 * M_PI * hz * double(i) / 48000));
            zarn::audio::WavFile::Save(QDir(show).filePath(name).toStdString(), 48000, 1, samples);
        };
        tone("low.wav", 440);
        tone("high.wav", 660);
        {
            QFile file(show + "/show.json");
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(R"({"format":"1.0","showId":"paths","ppq":480,"clickOutputPath":"stage",
 "songs":[{"number":"1","title":"Two","startTick":0,"lengthTicks":19200,"audioEndTick":19200,
  "stems":[{"file":"low.wav","outputPath":"front"},{"file":"high.wav","outputPath":"stage"}],
  "meters":[{"tick":0,"num":4,"den":4}],"tempos":[{"tick":0,"bpm":120}]}],
 "outputPaths":[{"id":"front","name":"Front"},{"id":"stage","name":"Stage"}]})");
        }
        {
            QFile file(show + "/outputpathdevices.json");
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(R"({"outputpaths":[{"id":"front","hwid":"corvane_front"},{"id":"stage","hwid":"corvane_stage"}]})");
        }
        auto engine = MakeEngine(show, dir.filePath("data"), true);
        QVERIFY2(engine->IsSoundActive(), engine->GetSoundProblem().c_str());
        QTRY_VERIFY_WITH_TIMEOUT(control.SinkInputsOn("corvane_front") == 1 && control.SinkInputsOn("corvane_stage") == 1, 5000);
        PulseProbe frontEar, stageEar;
        QVERIFY(frontEar.Record("corvane_front.monitor", 48000) && stageEar.Record("corvane_stage.monitor", 48000));
        engine->Play();
        std::vector<float> atFront, onStage;
        const auto more = [](std::vector<float>& to, PulseProbe& ear) {
            const auto taken = ear.Take();
            to.insert(to.end(), taken.begin(), taken.end());
            return to.size();
        };
        QTRY_VERIFY_WITH_TIMEOUT(more(atFront, frontEar) > 2 * 48000 * 3 / 2 && more(onStage, stageEar) > 2 * 48000 * 3 / 2, 10000);
        engine->Shutdown();
        // The last second recorded: well into the song on both devices. A tone's level is the
        // median over its ten 100 ms windows (each a whole number of periods of both tones),
        // so a block the busy sound server dropped or recorded twice, which turns the tone's
        // phase, costs one window rather than cancelling the tone over the whole second.
        const auto level = [](const std::vector<float>& stereo, double hz) {
            const size_t window = 4800;
            std::vector<double> levels;
            for (size_t from = stereo.size() / 2 - 10 * window; from + window <= stereo.size() / 2; from += window) {
                double re = 0, im = 0;
                for (size_t i = 0; i < window; ++i) {
                    const double phase = 2 * M_PI * hz * double(i) / 48000;
                    re += stereo[2 * (from + i)] * std::cos(phase);
                    im += stereo[2 * (from + i)] * std::sin(phase);
                }
                levels.push_back(2 * std::hypot(re, im) / double(window));
            }
            std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
            return levels[levels.size() / 2];
        };
        const double frontLow = level(atFront, 440), frontHigh = level(atFront, 660);
        const double stageLow = level(onStage, 440), stageHigh = level(onStage, 660);
        // 10 ms stretches of the last second without sound.
        const auto quiet = [](const std::vector<float>& stereo) {
            int n = 0;
            for (size_t at = stereo.size() - 2 * 48000; at + 960 <= stereo.size(); at += 960) {
                float peak = 0;
                for (size_t i = at; i < at + 960; i += 2)
                    peak = std::max(peak, std::abs(stereo[i]));
                n += peak < 0.05f;
            }
            return n;
        };
        const QString heard = QString("front 440 Hz %1, 660 Hz %2; stage 440 Hz %3, 660 Hz %4; quiet %5 %6")
                                  .arg(frontLow).arg(frontHigh).arg(stageLow).arg(stageHigh).arg(quiet(atFront)).arg(quiet(onStage));
        // Each tone at a good part of its level (a starved sound server may cost a block)
        // and the other device's tone nowhere.
        QVERIFY2(frontLow > 0.1 && frontHigh < frontLow / 20, qPrintable(heard));
        QVERIFY2(stageHigh > 0.1 && stageLow < stageHigh / 20, qPrintable(heard));
        QVERIFY(control.Unload(front) && control.Unload(stage));
    }
};

int main(int argc, char** argv)
{
    PulseNullSink sink;
    g_sink = &sink;
    QCoreApplication app(argc, argv);
    TestDemoShow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_demo_show.moc"

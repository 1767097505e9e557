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

std::unique_ptr<AudioInterface> MakeEngine(const QString& show, const QString& data, bool sound,
                                           std::shared_ptr<zarn::player::Clock> clock = {})
{
    AudioInterface::Options options;
    options.clock = std::move(clock);
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

    // The show's path is bound to a device that goes away while playing: the engine says so,
    // and plays on from where it was without a device.
    void playsOnWhenItsDeviceIsLost()
    {
        if (!g_sink->Started())
            QSKIP(qPrintable("PulseAudio cannot start here: " + g_sink->Problem()));
        PulseProbe probe;
        QVERIFY2(probe.Connected(), probe.Problem().c_str());
        const uint32_t module = probe.LoadNullSink("corvane_pit", "Pit sink");
        QVERIFY(module != PA_INVALID_INDEX);
        QTemporaryDir dir;
        const QString show = dir.filePath("show");
        QVERIFY(QDir().mkpath(show) && CopyShow(DemoShow(), show));
        QFile devices(show + "/outputpathdevices.json");
        QVERIFY(devices.open(QIODevice::WriteOnly));
        devices.write(R"({"outputpaths":[{"id":"main","hwid":"corvane_pit"}]})");
        devices.close();

        auto engine = MakeEngine(show, dir.filePath("data"), true);
        QVERIFY2(engine->IsSoundActive(), engine->GetSoundProblem().c_str());
        QTRY_VERIFY_WITH_TIMEOUT(probe.SinkInputsOn("corvane_pit") == 1, 5000);
        engine->Play();
        QTRY_VERIFY_WITH_TIMEOUT(engine->GetTickIndex() > 480, 5000);
        QVERIFY(probe.Unload(module));
        QTRY_VERIFY_WITH_TIMEOUT(!engine->IsSoundActive(), 5000);
        const uint32_t atLoss = engine->GetTickIndex();
        QCOMPARE(QString::fromStdString(engine->GetSoundProblem()), QString("Audio device lost: Pit sink"));
        QVERIFY(engine->GetIsPlaying());
        QTRY_VERIFY_WITH_TIMEOUT(engine->GetTickIndex() > atLoss + 480, 5000);
        engine->Shutdown();
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

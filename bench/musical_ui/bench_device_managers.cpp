// The MIDI and audio set-up, measured:
//   bench_device_managers [--samples N]
// 1. A MIDI command to the engine: from the input backend delivering a note-on learned for
//    Play to the engine's PlaybackStarted reaching a notification-hub observer, through the
//    fake source and, where /dev/snd/seq exists, through an ALSA virtual port (RtMidiOut).
//    N samples each (500 unless told), the show stopped between them.
// 2. Opening the MIDI Manager on the real engine's nine commands, and the Audio Manager with
//    its device listing on a private PulseAudio server: from the controller's construction to
//    the window exposed, 30 openings each.
// 3. A lost device: from the start of a sink's unload to the engine no longer rendering on it,
//    10 losses; and the Audio Manager's refresh of the sound problem line (one
//    GetSoundProblem and a property compare, twice a second while the window is shown).
// Medians and 99th percentiles in a small table. The engine is the real one on the engine
// tests' small show, its sound on the PulseAudio server when that starts, else without sound.
#include "AppSettings.h"
#include "AudioInterface.h"
#include "AudioManagerController.h"
#include "EngineFixture.h"
#include "DeviceControlWin32.h"
#include "FakeMidiInputBackend.h"
#include "MidiManagerController.h"
#include "Percentiles.h"
#include "PulseNullSink.h"
#include "QmlModuleLoader.h"
#include "RtMidiInputBackend.h"
#include "ShowManager.h"
#include "zarn_core/EventObserver.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QSettings>
#include <QTest>
#include <QThread>

#include <rtmidi/RtMidi.h>

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void Row(const char* what, const std::vector<double>& ms)
{
    std::printf("%-58s %6zu  median %9.3f ms  p99 %9.3f ms\n", what, ms.size(), percentile(ms, 0.5),
                percentile(ms, 0.99));
}

// Stamps the engine's PlaybackStarted as the hub hands it to an observer.
class StartStamp
{
public:
    StartStamp()
    {
        observer_.SetCallbackFunc(
            [this](int, int, const char*, void*) {
                const auto now = Clock::now();
                std::lock_guard lock(mutex_);
                if (!seen_) {
                    seen_ = now;
                    changed_.notify_all();
                }
            },
            nullptr);
        observer_.RegisterPlaybackStarted(1);
    }
    void Arm()
    {
        std::lock_guard lock(mutex_);
        seen_.reset();
    }
    std::optional<Clock::time_point> Wait()
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(2), [this] { return seen_.has_value(); });
        return seen_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<Clock::time_point> seen_;
    notify::EventObserver observer_;
};

// The real engine on the fixture's small show, its own output as the clock.
std::unique_ptr<AudioInterface> MakeEngine(EngineFixture& fixture, bool sound,
                                           std::unique_ptr<zarn::midi::MidiInputBackend> input)
{
    fixture.manualClock = false;
    fixture.sound = sound;
    AudioInterface::Options options;
    options.midiInput = std::move(input);
    return fixture.MakeEngine(std::move(options));
}

std::vector<double> CommandLatency(AudioInterface& engine, const std::function<void()>& send, int samples)
{
    StartStamp stamp;
    engine.SetMidiCommand(1, 0x90, 0, 60);
    std::vector<double> ms;
    for (int i = 0; i < samples; ++i) {
        engine.Stop();
        engine.WaitForDeliveries();
        QThread::usleep(500 + (i % 7) * 200);
        stamp.Arm();
        const auto sent = Clock::now();
        send();
        if (const auto seen = stamp.Wait())
            ms.push_back(Ms(*seen - sent));
    }
    engine.Stop();
    return ms;
}

template <class Controller, class Make>
std::vector<double> Openings(Make&& make, int count)
{
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer timer;
        timer.start();
        std::unique_ptr<Controller> controller = make();
        controller->SetVisible(true);
        auto* window = qobject_cast<QWindow*>(controller->GetQmlObject());
        if (!QTest::qWaitForWindowExposed(window))
            continue;
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        controller.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    int samples = 500;
    for (int i = 1; i + 1 < argc; ++i) {
        if (QByteArray(argv[i]) == "--samples")
            samples = std::max(1, std::atoi(argv[i + 1]));
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PulseNullSink sink; // before the application object, as Qt Multimedia requires
    QGuiApplication app(argc, argv);
    EngineFixture fixture;
    fixture.WriteShow();
    std::printf("PulseAudio: %s\n", sink.Started() ? "private server with null sinks"
                                                    : qPrintable("not available: " + sink.Problem()));

    // 1. MIDI command to engine.
    {
        auto fake = std::make_unique<zarn::midi::FakeMidiInputBackend>(std::vector<std::string>{"Pad"});
        auto* source = fake.get();
        auto engine = MakeEngine(fixture, false, std::move(fake));
        engine->SetMidiSource(0);
        Row("MIDI note-on to PlaybackStarted, fake source",
            CommandLatency(*engine, [&] { source->Send({0x90, 60, 100}); }, samples));
        engine->Shutdown();
    }
    if (::access("/dev/snd/seq", R_OK | W_OK) == 0) {
        RtMidiOut out(RtMidi::LINUX_ALSA, "Corvane Bench");
        out.openVirtualPort("Corvane Bench Port");
        auto engine = MakeEngine(fixture, false, std::make_unique<zarn::midi::RtMidiInputBackend>());
        const auto sources = engine->GetMidiSources();
        int index = -1;
        for (std::size_t i = 0; i < sources.size(); ++i) {
            if (sources[i].GetSourceName().find("Corvane Bench Port") != std::string::npos)
                index = int(i);
        }
        engine->SetMidiSource(index);
        const std::vector<unsigned char> noteOn{0x90, 60, 100};
        Row("MIDI note-on to PlaybackStarted, ALSA virtual port",
            CommandLatency(*engine, [&] { out.sendMessage(&noteOn); }, samples));
        engine->Shutdown();
    } else {
        std::printf("MIDI through ALSA: not available here (no /dev/snd/seq)\n");
    }

    // 2. Opening the windows.
    QQmlEngine qml;
    zarn::qt::QmlModuleLoader::PrepareEngine(qml);
    QQuickWindow main;
    main.resize(800, 600);
    main.show();
    QTest::qWaitForWindowExposed(&main);
    if (sink.Started())
        sink.LoadSink(QStringLiteral("corvane_stage"), QStringLiteral("Stage"));
    std::shared_ptr<Interface> engine(MakeEngine(fixture, sink.Started(),
                                                 std::make_unique<zarn::midi::FakeMidiInputBackend>(
                                                     std::vector<std::string>{"Pad", "Keys"})));
    auto showManager = std::make_shared<zarn::ShowManager>(engine);
    auto settings = std::make_shared<zarn::AppSettings>(
        std::make_unique<QSettings>(fixture.dir.filePath("general_settings.zarn"), QSettings::IniFormat));
    Row("MIDI Manager opened (9 commands), construction to exposed",
        Openings<zarn::qt::MidiManagerController>(
            [&] { return std::make_unique<zarn::qt::MidiManagerController>(&qml, showManager, settings, &main); }, 30));
    Row("Audio Manager opened, device listing included",
        Openings<zarn::qt::AudioManagerController>(
            [&] { return std::make_unique<zarn::qt::AudioManagerController>(&qml, engine, &main); }, 30));

    // 3. A lost device, and what watching the sound problem costs.
    auto* audio = dynamic_cast<AudioInterface*>(engine.get());
    if (sink.Started()) {
        std::vector<double> noticed;
        const auto stageListed = [] {
            for (const auto& d : zarn::audio::DeviceControlWin32().GetOutputDevices()) {
                if (d.uid == "corvane_stage")
                    return true;
            }
            return false;
        };
        for (int i = 0; i < 10; ++i) {
            // A sink loaded again is listed once Qt Multimedia has heard of it.
            QTest::qWaitFor(stageListed, 5000);
            audio->SetOutputDeviceUid("corvane_stage");
            audio->Play();
            QTest::qWaitFor([&] { return audio->IsSoundActive() && sink.StreamSinks().contains("corvane_stage"); },
                            5000);
            const auto start = Clock::now();
            sink.UnloadSink(QStringLiteral("corvane_stage"));
            while (audio->IsSoundActive() && Clock::now() - start < std::chrono::seconds(3))
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            noticed.push_back(Ms(Clock::now() - start));
            audio->Stop();
            sink.LoadSink(QStringLiteral("corvane_stage"), QStringLiteral("Stage"));
        }
        Row("lost device noticed (unload begun to sound off)", noticed);
    } else {
        std::printf("lost device: not measured (no PulseAudio)\n");
    }
    std::vector<double> refresh;
    for (int i = 0; i < 2000; ++i) {
        const auto start = Clock::now();
        const std::string problem = engine->GetSoundProblem();
        const bool changed = QString::fromStdString(problem) != QString();
        (void)changed;
        refresh.push_back(Ms(Clock::now() - start));
    }
    std::printf("%-58s %6zu  median %9.3f us  p99 %9.3f us\n", "sound problem refresh (twice a second while shown)",
                refresh.size(), 1000.0 * percentile(refresh, 0.5), 1000.0 * percentile(refresh, 0.99));
    std::printf("refresh cost: %.5f %% of one core\n", 2.0 * percentile(refresh, 0.5) / 1000.0 * 100.0);
    showManager->Shutdown();
    return 0;
}

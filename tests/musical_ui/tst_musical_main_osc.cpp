// The main window controller's OSC side on the real window: cues the engine holds back while
// the show does not play and what sends or drops them, the OSC server on the stored settings,
// its failures, the settings update, and OSC commands arriving over loopback. The engine is
// the transport fake unless a case needs the real one; the outgoing-OSC callback records
// what it is asked to send instead of sending it.

#include "DialogController.h"
#include "OscCueInbox.h"
#include "MainWindowFixture.h"
#include "OscServer.h"
#include "OscUdpClient.h"
#include "TimelineController.h"
#include "ZarnPlayerOscCallback.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>
#include <QWindow>

#include <algorithm>
#include <mutex>
#include <thread>

using zarn::qt::MusicalMainController;

namespace {

using Calls = std::vector<std::string>;

// Sends nothing: each cue it is asked to send becomes a line "<message> <delay>".
class RecordingOscCallback : public zarn::ZarnPlayerOscCallback
{
public:
    using ZarnPlayerOscCallback::ZarnPlayerOscCallback;

    void ExecuteEvent(const CL::Osc& osc, std::uint32_t delay) override
    {
        const std::lock_guard lock(mutex_);
        sent_.push_back(osc.osc_properties().Message() + " " + std::to_string(delay));
    }

    Calls Sent() const
    {
        const std::lock_guard lock(mutex_);
        return sent_;
    }

private:
    mutable std::mutex mutex_;
    Calls sent_;
};

CL::Osc Cue(const std::string& message)
{
    return CL::Osc(0, "S" + message, CL::OscProperties(message, "NETWORK0"));
}

// The engine's OSC calls among everything the fake recorded.
Calls OscCalls(const TransportFakeEngine::Log& log)
{
    Calls calls;
    for (const std::string& call : log.Calls()) {
        if (call.rfind("SetOscControlDefaultPort", 0) == 0 || call.rfind("DoOscProcessing", 0) == 0)
            calls.push_back(call);
    }
    return calls;
}

bool LogHas(const TransportFakeEngine::Log& log, const std::string& call)
{
    return log.Count(call) > 0;
}

bool LogHasPrefix(const TransportFakeEngine::Log& log, const std::string& prefix)
{
    const Calls calls = log.Calls();
    return std::any_of(calls.begin(), calls.end(), [&](const std::string& call) { return call.rfind(prefix, 0) == 0; });
}

// Someone listens on the UDP port when another socket cannot take it for itself.
bool PortIsHeld(int port)
{
    QUdpSocket probe;
    return !probe.bind(QHostAddress::Any, static_cast<quint16>(port), QAbstractSocket::DontShareAddress);
}

void SendOsc(const QString& command, int port)
{
    zarn::osc::OscUdpClient client;
    QVERIFY(client.send(command, QHostAddress::LocalHost, port));
}

QString DialogTitle(const zarn::qt::DialogController* dialog)
{
    return dialog && dialog->GetQmlObject() ? dialog->GetQmlObject()->property("title").toString() : QString();
}

QString DialogText(const zarn::qt::DialogController* dialog)
{
    return dialog && dialog->GetQmlObject() ? dialog->GetQmlObject()->property("text").toString() : QString();
}

std::string Path(const QString& path)
{
    return path.toUtf8().toStdString();
}

} // namespace

class TestMusicalMainOsc : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // held-back cues
    void heldCuesFollowTheSongThatWasCurrent_data();
    void heldCuesFollowTheSongThatWasCurrent();
    void startsSendTheHeldCues_data();
    void startsSendTheHeldCues();
    void seeksDropTheHeldCues_data();
    void seeksDropTheHeldCues();
    void aCueArrivingWhilePlayingGoesOutAtOnce();
    void theRealEngineHoldsTheFirstCueUntilPlay();
    void aReplacedCallbacksCuesAreIgnored();
    void cuesHandedToAnInboxThatIsGoneAreLost();

    // the server and its settings
    void storedSettingsStartTheServerOnceAndTheDefaultPortNever_data();
    void storedSettingsStartTheServerOnceAndTheDefaultPortNever();
    void aServerThatCannotListenShowsTheError_data();
    void aServerThatCannotListenShowsTheError();
    void switchingTheServerOffAndOnAgain();
    void aSettingsUpdateWritesUpdatesTheNetworksAndRestarts();
    void aFailedSettingsUpdateStillTakesEffect_data();
    void aFailedSettingsUpdateStillTakesEffect();
    void aShowLoadKeepsTheServerSwitchedOff();
    void anEditionWithoutOscTouchesNothing();

    // commands over loopback
    void fadeCommandsReachTheFadesTruncated();

private:
    // Made by the controller, one per show load; the last one.
    RecordingOscCallback* Sender() const { return senders_.empty() ? nullptr : senders_.back().get(); }
    // Hands a cue to the callback on a thread of its own, as the engine does, and delivers
    // the queued request to the controller.
    void HoldFromEngineThread(const std::string& message, std::uint32_t delay);
    void CreateWithFake();

    std::unique_ptr<MainWindowFixture> f;
    std::vector<std::shared_ptr<RecordingOscCallback>> senders_;
};

void TestMusicalMainOsc::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
    f = std::make_unique<MainWindowFixture>();
    senders_.clear();
    f->profile.makeOscCallback = [this](int defaultPort) {
        auto sender = std::make_shared<RecordingOscCallback>(defaultPort);
        senders_.push_back(sender);
        return sender;
    };
}

void TestMusicalMainOsc::cleanup()
{
    f.reset();
    senders_.clear();
}

void TestMusicalMainOsc::HoldFromEngineThread(const std::string& message, std::uint32_t delay)
{
    RecordingOscCallback* sender = Sender();
    QVERIFY(sender);
    std::thread([&] { sender->EnqueueEvent(Cue(message), delay); }).join();
    // The wake was posted before the join returned: this delivers it, no waiting involved.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

void TestMusicalMainOsc::CreateWithFake()
{
    f->UseFakeEngine();
    f->Create();
}

// --- held-back cues ---

void TestMusicalMainOsc::heldCuesFollowTheSongThatWasCurrent_data()
{
    QTest::addColumn<QStringList>("songs");
    QTest::addColumn<QString>("songAtHold");
    QTest::addColumn<QString>("songAtPlay");
    QTest::addColumn<QStringList>("sent");

    const QStringList both{"/a 0", "/b 0"};
    const QStringList show{"1", "2", "3", "4"};
    QTest::newRow("the same song: in the order held, without their delays") << show << "3" << "3" << both;
    QTest::newRow("another song since, without a seek: dropped") << show << "3" << "4" << QStringList{};
    // Numeric order of song numbers: 2 comes before 10, though "10" < "2" as text.
    QTest::newRow("no song then, the show's first song now") << QStringList{"10", "2"} << "" << "2" << both;
    QTest::newRow("no song then, another song now") << QStringList{"10", "2"} << "" << "10" << QStringList{};
}

void TestMusicalMainOsc::heldCuesFollowTheSongThatWasCurrent()
{
    QFETCH(QStringList, songs);
    QFETCH(QString, songAtHold);
    QFETCH(QString, songAtPlay);
    QFETCH(QStringList, sent);

    TransportFakeEngine* fake = f->UseFakeEngine();
    fake->songs.clear();
    for (const QString& song : songs)
        fake->songs.emplace(song.toStdString(), "Song " + song.toStdString());
    f->Create();

    fake->currentSong = songAtHold.toStdString();
    HoldFromEngineThread("/a", 250);
    HoldFromEngineThread("/b", 40);
    QCOMPARE(f->controller->GetOscCueQueue().Size(), std::size_t(2));
    QCOMPARE(Sender()->Sent(), Calls{});

    fake->currentSong = songAtPlay.toStdString();
    f->controller->Play_();
    Calls expected;
    for (const QString& line : sent)
        expected.push_back(line.toStdString());
    QCOMPARE(Sender()->Sent(), expected);
    // Sent or dropped, every cue is gone: a second start sends nothing more.
    QCOMPARE(f->controller->GetOscCueQueue().Size(), std::size_t(0));
    f->controller->Play_();
    QCOMPARE(Sender()->Sent(), expected);
}

void TestMusicalMainOsc::startsSendTheHeldCues_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("sends");

    QTest::newRow("play button") << "play" << true;
    QTest::newRow("continue") << "continue" << true;
    QTest::newRow("continue the flow") << "continueFlow" << true;
    QTest::newRow("pause toggle while stopped") << "toggleStopped" << true;
    QTest::newRow("pause toggle while playing: pauses") << "togglePlaying" << false;
    QTest::newRow("OSC play command") << "oscPlay" << true;
    // A start the controller did not make, such as a MIDI command.
    QTest::newRow("the engine's start notice while it plays") << "noticePlaying" << true;
    QTest::newRow("a late start notice after a stop") << "noticeStopped" << false;
}

void TestMusicalMainOsc::startsSendTheHeldCues()
{
    QFETCH(QString, start);
    QFETCH(bool, sends);

    TransportFakeEngine* fake = f->UseFakeEngine();
    f->Create();
    HoldFromEngineThread("/a", 0);
    MusicalMainController& controller = *f->controller;
    QSignalSpy started(&controller, &MusicalMainController::PlayStarted);

    if (start == "play") {
        controller.Play_();
    } else if (start == "continue") {
        controller.ContinuePlay_();
    } else if (start == "continueFlow") {
        controller.ContinueFlow_();
    } else if (start == "toggleStopped") {
        controller.PauseToggle_();
        QVERIFY(LogHas(*f->log, "Play"));
    } else if (start == "togglePlaying") {
        fake->playing = true;
        controller.PauseToggle_();
        QVERIFY(LogHas(*f->log, "Pause false"));
    } else if (start == "oscPlay") {
        SendOsc(QStringLiteral("/zarn/play"), f->oscPort);
        QTRY_VERIFY(LogHas(*f->log, "Play"));
    } else if (start == "noticePlaying" || start == "noticeStopped") {
        fake->playing = start == "noticePlaying";
        MainWindowFixture::PostFromThread(notify::EngineEvent::PlaybackStarted, 0, "");
        QTRY_COMPARE(started.count(), 1);
    } else {
        QFAIL("unknown start");
    }

    QCOMPARE(Sender()->Sent(), sends ? Calls{"/a 0"} : Calls{});
    QCOMPARE(controller.GetOscCueQueue().Size(), std::size_t(sends ? 0 : 1));
}

void TestMusicalMainOsc::seeksDropTheHeldCues_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("kept");

    QTest::newRow("next song") << "next" << false;
    QTest::newRow("previous song") << "previous" << false;
    QTest::newRow("jump to bar") << "jump" << false;
    QTest::newRow("click on the timeline") << "click" << false;
    QTest::newRow("clear request") << "clear" << false;
    QTest::newRow("stop keeps them") << "stop" << true;
}

void TestMusicalMainOsc::seeksDropTheHeldCues()
{
    QFETCH(QString, action);
    QFETCH(bool, kept);

    CreateWithFake();
    HoldFromEngineThread("/a", 0);
    MusicalMainController& controller = *f->controller;
    if (action == "next")
        controller.NextSong_();
    else if (action == "previous")
        controller.PrevSong_();
    else if (action == "jump")
        controller.JumpToBar_(QStringLiteral("12"));
    else if (action == "click")
        emit controller.GetTimelineController()->timelineClicked();
    else if (action == "clear")
        controller.onClearOscQueue();
    else if (action == "stop")
        controller.Stop_();
    else
        QFAIL("unknown action");

    // The fake stays at its song, so only the seek itself can have dropped the cue.
    controller.Play_();
    QCOMPARE(Sender()->Sent(), kept ? Calls{"/a 0"} : Calls{});
}

void TestMusicalMainOsc::aCueArrivingWhilePlayingGoesOutAtOnce()
{
    TransportFakeEngine* fake = f->UseFakeEngine();
    f->Create();
    fake->playing = true;
    HoldFromEngineThread("/late", 250);
    QCOMPARE(Sender()->Sent(), Calls{"/late 250"});
    QCOMPARE(f->controller->GetOscCueQueue().Size(), std::size_t(0));
}

void TestMusicalMainOsc::theRealEngineHoldsTheFirstCueUntilPlay()
{
    // The demo show's first song has a cue at its start. The engine, stopped there when the
    // server starts, hands it over for later; Play sends it.
    f->Create();
    QVERIFY(f->profile.lastOscCallbackGiven);
    const MusicalMainController& controller = *f->controller;
    QTRY_COMPARE(controller.GetOscCueQueue().Size(), std::size_t(1));
    const zarn::qt::QueuedOscCommand& held = controller.GetOscCueQueue().Entries().front();
    QCOMPARE(held.osc.osc_properties().Message(), std::string("/cue/1/go"));
    QCOMPARE(held.song, std::string("1"));
    QCOMPARE(Sender()->Sent(), Calls{});

    f->controller->Play_();
    QVERIFY(f->controller->GetEngine()->GetIsPlaying());
    const Calls sent = Sender()->Sent();
    QCOMPARE(static_cast<int>(std::count(sent.begin(), sent.end(), "/cue/1/go 0")), 1);
}

void TestMusicalMainOsc::aReplacedCallbacksCuesAreIgnored()
{
    CreateWithFake();
    const std::shared_ptr<RecordingOscCallback> old = senders_.back();
    f->UseFakeEngine();
    f->controller->LoadShow_();
    QCOMPARE(senders_.size(), std::size_t(2));

    // The old show's engine may still be going down: what it hands over is not this show's.
    std::thread([&] { old->EnqueueEvent(Cue("/old"), 0); }).join();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    HoldFromEngineThread("/new", 0);
    QCOMPARE(f->controller->GetOscCueQueue().Size(), std::size_t(1));
    QCOMPARE(f->controller->GetOscCueQueue().Entries().front().osc.osc_properties().Message(), std::string("/new"));
}

void TestMusicalMainOsc::cuesHandedToAnInboxThatIsGoneAreLost()
{
    Calls handled;
    auto inbox = std::make_unique<zarn::qt::OscCueInbox>(
        [&](const CL::Osc& osc, std::uint32_t delay) { handled.push_back(osc.osc_properties().Message() + " " + std::to_string(delay)); });
    zarn::ZarnPlayerOscCallback callback(f->oscPort);
    inbox->Connect(callback);

    std::thread([&] {
        callback.EnqueueEvent(Cue("/a"), 5);
        callback.EnqueueEvent(Cue("/b"), 0);
    }).join();
    QCOMPARE(handled, Calls{});
    QTRY_COMPARE(handled, (Calls{"/a 5", "/b 0"}));

    // Handed over while the inbox goes, or after: nothing is handled, nothing is touched.
    std::thread([&] { callback.EnqueueEvent(Cue("/c"), 0); }).join();
    inbox.reset();
    std::thread([&] { callback.EnqueueEvent(Cue("/d"), 0); }).join();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    QCOMPARE(handled, (Calls{"/a 5", "/b 0"}));
}

// --- the server and its settings ---

void TestMusicalMainOsc::storedSettingsStartTheServerOnceAndTheDefaultPortNever_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::newRow("on its own port") << true;
    QTest::newRow("switched off") << false;
}

void TestMusicalMainOsc::storedSettingsStartTheServerOnceAndTheDefaultPortNever()
{
    QFETCH(bool, enabled);
    const int port = f->oscPort;
    f->WriteOscSettings(enabled, port);
    CreateWithFake();

    // One start, on the stored port; the default port of the show load before the settings
    // were read is never tried (with it busy, that would have shown an error).
    const Calls on{"SetOscControlDefaultPort " + std::to_string(port), "DoOscProcessing true"};
    QCOMPARE(OscCalls(*f->log), enabled ? on : Calls{"DoOscProcessing false"});
    QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 0);
    QCOMPARE(f->controller->GetOscServer() != nullptr, enabled);
    QCOMPARE(PortIsHeld(port), enabled);
    QCOMPARE(f->WindowProperty("oscEnable").toBool(), true);

    f->Destroy();
    QVERIFY(!PortIsHeld(port));
}

void TestMusicalMainOsc::aServerThatCannotListenShowsTheError_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("held");
    QTest::newRow("a port another program holds") << 0 << true;
    QTest::newRow("port 0") << 0 << false;
    QTest::newRow("a port past 65535") << 70000 << false;
}

void TestMusicalMainOsc::aServerThatCannotListenShowsTheError()
{
    QFETCH(int, port);
    QFETCH(bool, held);
    auto holder = std::make_unique<QUdpSocket>();
    if (held) {
        QVERIFY(holder->bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress));
        port = holder->localPort();
    }
    f->WriteOscSettings(true, port);
    CreateWithFake();

    QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("OSC Server Error"));
    QVERIFY2(DialogText(f->controller->GetCurrentDialog())
                 .startsWith(QStringLiteral("Unable to bind to OSC server port %1").arg(port)),
             qPrintable(DialogText(f->controller->GetCurrentDialog())));
    QVERIFY(!f->controller->GetOscServer());
    // The engine's OSC processing is left as it was.
    QCOMPARE(OscCalls(*f->log), Calls{});
    if (held) {
        holder.reset();
        QVERIFY(!PortIsHeld(port));
    }
}

void TestMusicalMainOsc::switchingTheServerOffAndOnAgain()
{
    const int port = f->oscPort;
    CreateWithFake();
    CL::NetworkPathVectorT networks;
    f->log->Clear();

    f->controller->onOscSettingsUpdated_(zarn::osc::OscSettings(false, port), networks);
    QVERIFY(!f->controller->GetOscServer());
    QVERIFY(!PortIsHeld(port));
    QCOMPARE(OscCalls(*f->log), Calls{"DoOscProcessing false"});

    f->log->Clear();
    f->controller->onOscSettingsUpdated_(zarn::osc::OscSettings(true, port), networks);
    QVERIFY(f->controller->GetOscServer());
    QCOMPARE(OscCalls(*f->log), (Calls{"SetOscControlDefaultPort " + std::to_string(port), "DoOscProcessing true"}));
    SendOsc(QStringLiteral("/zarn/stop"), port);
    QTRY_VERIFY(LogHas(*f->log, "Stop"));
    QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 0);
}

void TestMusicalMainOsc::aSettingsUpdateWritesUpdatesTheNetworksAndRestarts()
{
    const int oldPort = f->oscPort;
    CreateWithFake();
    QVERIFY(!f->controller->HasUnsavedChanges());
    f->log->Clear();

    const int newPort = MainWindowFixture::FreeUdpPort();
    CL::NetworkPathVectorT networks{CL::NetworkPath("NETWORK0", "Lighting desk", "10.0.0.5", 9000)};
    f->controller->onOscSettingsUpdated_(zarn::osc::OscSettings(true, newPort), networks);

    zarn::osc::OscSettings stored(false, 1);
    zarn::osc::ReadOscSettings(stored, Path(f->controller->GetOscSettingsPath()));
    QCOMPARE(stored, zarn::osc::OscSettings(true, newPort));
    QVERIFY(LogHas(*f->log, "UpdateNetworks 10.0.0.5:9000"));
    // The change log changed: it is to be saved and shared.
    QVERIFY(f->controller->HasUnsavedChanges());
    QCOMPARE(OscCalls(*f->log),
             (Calls{"SetOscControlDefaultPort " + std::to_string(newPort), "DoOscProcessing true"}));
    QVERIFY(!PortIsHeld(oldPort));
    SendOsc(QStringLiteral("/zarn/stop"), newPort);
    QTRY_VERIFY(LogHas(*f->log, "Stop"));
    QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 0);
}

void TestMusicalMainOsc::aFailedSettingsUpdateStillTakesEffect_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("the settings file cannot be written") << "file";
    QTest::newRow("the change log refuses the networks") << "networks";
}

void TestMusicalMainOsc::aFailedSettingsUpdateStillTakesEffect()
{
    QFETCH(QString, failure);
    TransportFakeEngine* fake = f->UseFakeEngine();
    f->Create();
    const QString path = f->controller->GetOscSettingsPath();
    if (failure == "file") {
        // A folder where the file should be: it cannot be replaced.
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path));
    } else {
        fake->throwOnUpdateNetworks = true;
    }
    f->log->Clear();

    const int newPort = MainWindowFixture::FreeUdpPort();
    CL::NetworkPathVectorT networks{CL::NetworkPath("NETWORK0", "Lighting desk", "10.0.0.5", 9000)};
    f->controller->onOscSettingsUpdated_(zarn::osc::OscSettings(true, newPort), networks);

    const zarn::qt::DialogController* dialog = f->controller->GetCurrentDialog();
    QCOMPARE(DialogTitle(dialog), QStringLiteral("OSC Settings Failed to Save"));
    if (failure == "file") {
        QVERIFY2(DialogText(dialog).contains(path), qPrintable(DialogText(dialog)));
        // The networks are still updated.
        QVERIFY(LogHas(*f->log, "UpdateNetworks 10.0.0.5:9000"));
        QVERIFY(f->controller->HasUnsavedChanges());
    } else {
        QCOMPARE(DialogText(dialog), QStringLiteral("The change log is read-only."));
        QVERIFY(!f->controller->HasUnsavedChanges());
    }
    // The new settings take effect all the same.
    QCOMPARE(f->controller->GetOscSettings(), zarn::osc::OscSettings(true, newPort));
    QVERIFY(f->controller->GetOscServer());
    QCOMPARE(f->controller->GetOscServer()->port(), quint16(newPort));
    QVERIFY(PortIsHeld(newPort));
    QVERIFY(LogHas(*f->log, "SetOscControlDefaultPort " + std::to_string(newPort)));
}

void TestMusicalMainOsc::aShowLoadKeepsTheServerSwitchedOff()
{
    f->WriteOscSettings(false, f->oscPort);
    CreateWithFake();
    QVERIFY(!f->controller->GetOscServer());

    // A later show load runs the server on the settings as they stand.
    f->UseFakeEngine();
    f->controller->LoadShow_();
    QCOMPARE(OscCalls(*f->log), Calls{"DoOscProcessing false"});
    QVERIFY(!f->controller->GetOscServer());
    QVERIFY(!PortIsHeld(f->oscPort));
    QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 0);
    // The new engine got a callback of its own.
    QCOMPARE(senders_.size(), std::size_t(2));
    QCOMPARE(f->controller->GetOscCallback().get(), senders_.back().get());
}

void TestMusicalMainOsc::anEditionWithoutOscTouchesNothing()
{
    f->profile.enableOsc = false;
    CreateWithFake();
    QVERIFY(!f->profile.lastOscCallbackGiven);
    QVERIFY(!f->controller->GetOscCallback());
    QVERIFY(senders_.empty());
    QVERIFY(!f->controller->GetOscServer());
    QVERIFY(!PortIsHeld(f->oscPort));
    QCOMPARE(f->WindowProperty("oscEnable").toBool(), false);

    f->controller->RestartOscServer();
    f->controller->onEnqueueOscCommand(Cue("/a"), 0);
    QCOMPARE(OscCalls(*f->log), Calls{});
    QVERIFY(!f->controller->GetOscServer());
    QCOMPARE(f->controller->GetOscCueQueue().Size(), std::size_t(0));
}

// --- commands over loopback ---

void TestMusicalMainOsc::fadeCommandsReachTheFadesTruncated()
{
    TransportFakeEngine* fake = f->UseFakeEngine();
    f->Create();
    fake->playing = true;

    // 2.5009 s is 2500.9 ms: the fade gets 2500 ms, not 2501.
    SendOsc(QStringLiteral("/zarn/fadeout 2.5009"), f->oscPort);
    QTRY_VERIFY(LogHasPrefix(*f->log, "Fade "));
    QVERIFY(LogHas(*f->log, "Fade 2.5"));

    // 1.5 ms becomes 1 ms, not 2; the level arrives as a linear gain.
    SendOsc(QStringLiteral("/zarn/fadeto -6 0.0015"), f->oscPort);
    QTRY_VERIFY(LogHasPrefix(*f->log, "FadeTo "));
    QVERIFY2(LogHasPrefix(*f->log, "FadeTo 0.001 0.501"), f->log->Calls().back().c_str());
}

QTEST_MAIN(TestMusicalMainOsc)
#include "tst_musical_main_osc.moc"

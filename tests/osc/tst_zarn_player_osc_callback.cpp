#include "LoopbackReceiver.h"
#include "OscFakeEngine.h"
#include "OscMessage.h"
#include "StreamCapture.h"
#include "ZarnPlayerOscCallback.h"
#include "zarn_core/Osc.h"

#include <QtTest>

#include <chrono>
#include <thread>

using zarn::ZarnPlayerOscCallback;
using namespace std::chrono;

namespace {

CL::Osc cue(const std::string& message, const std::string& networkId = "console")
{
    return CL::Osc(960, "S1", CL::OscProperties(message, networkId));
}

// Counts OutgoingNotification on the test's thread (queued from the pool threads).
class NotificationCounter : public QObject
{
public:
    explicit NotificationCounter(ZarnPlayerOscCallback* callback)
    {
        connect(callback, &ZarnPlayerOscCallback::OutgoingNotification, this, [this] { ++count; });
    }
    int count = 0;
};

QByteArray encoded(const char* command)
{
    return zarn::osc::EncodeOscMessage(QString::fromUtf8(command));
}

} // namespace

class TestZarnPlayerOscCallback : public QObject
{
    Q_OBJECT
private slots:
    void sendsAfterDelayAndReturnsAtOnce();
    void playingEngineSendsToTheCueDestination();
    void droppedWhileNotPlaying();
    void unknownDestinationGoesToDefaults();
    void withoutEngineEverythingGoesToDefaults();
    void refusedDefaultPortSendsNothing_data();
    void refusedDefaultPortSendsNothing();
    void blankCommandSendsNothing();
    void enqueueOnlySignals();
    void poolIsCappedAtEightThreads();
    void destructionCancelsWaitingCues();
    void setAndClearPlayerRaceExecuteEvent();
};

void TestZarnPlayerOscCallback::sendsAfterDelayAndReturnsAtOnce()
{
    LoopbackReceiver receiver;
    ZarnPlayerOscCallback callback(receiver.port());
    NotificationCounter notifications(&callback);

    const auto handOff = steady_clock::now();
    callback.ExecuteEvent(cue("/zarn/fadeto -6 2.5"), 500);
    const auto returned = steady_clock::now();
    // Back before the cue is due, with the cue still waiting on a send thread. How long the
    // call itself takes (the pool starting its first thread) depends on the machine's load.
    QVERIFY(returned - handOff < milliseconds(500));
    QCOMPARE(callback.pendingSends(), 1);
    QCOMPARE(receiver.count(), std::size_t(0));

    QTRY_COMPARE_WITH_TIMEOUT(receiver.count(), std::size_t(1), 3000);
    const auto arrival = receiver.arrivals().front();
    QCOMPARE(arrival.datagram, encoded("/zarn/fadeto -6 2.5"));
    const auto late = duration_cast<milliseconds>(arrival.time - handOff) - milliseconds(500);
    QVERIFY2(late >= milliseconds(0) && late < milliseconds(250), qPrintable(QString::number(late.count())));
    QTRY_COMPARE(notifications.count, 1);
}

void TestZarnPlayerOscCallback::playingEngineSendsToTheCueDestination()
{
    LoopbackReceiver destination;
    LoopbackReceiver fallback;
    auto engine = std::make_shared<OscFakeEngine>();
    engine->networks["console"] = CL::NetworkPath("console", "Lighting", "127.0.0.1", destination.port());
    engine->playing = true;
    ZarnPlayerOscCallback callback(fallback.port());
    NotificationCounter notifications(&callback);
    callback.SetPlayer(engine);

    callback.ExecuteEvent(cue("/cue/12/go"), 0);
    QTRY_COMPARE(destination.count(), std::size_t(1));
    QCOMPARE(destination.arrivals().front().datagram, encoded("/cue/12/go"));
    QTRY_COMPARE(notifications.count, 1);
    QCOMPARE(fallback.count(), std::size_t(0));
}

void TestZarnPlayerOscCallback::droppedWhileNotPlaying()
{
    LoopbackReceiver destination;
    auto engine = std::make_shared<OscFakeEngine>();
    engine->networks["console"] = CL::NetworkPath("console", "Lighting", "127.0.0.1", destination.port());
    ZarnPlayerOscCallback callback(destination.port());
    NotificationCounter notifications(&callback);
    callback.SetPlayer(engine);

    callback.ExecuteEvent(cue("/cue/12/go"), 0);
    QCOMPARE(callback.pendingSends(), 0);
    QTest::qWait(100);
    QCOMPARE(destination.count(), std::size_t(0));
    QCOMPARE(notifications.count, 0);
}

void TestZarnPlayerOscCallback::unknownDestinationGoesToDefaults()
{
    LoopbackReceiver ownServer;
    auto engine = std::make_shared<OscFakeEngine>();
    engine->playing = true;
    ZarnPlayerOscCallback callback(ownServer.port());
    callback.SetPlayer(engine);

    StreamCapture errors(stderr);
    callback.ExecuteEvent(cue("/zarn/play", "nowhere"), 0);
    QCOMPARE(errors.text(), QString("Unable to fully configure OSC Send command: No network destination nowhere. "
                                    "Using default values of localhost:%1\n")
                                .arg(ownServer.port()));
    QTRY_COMPARE(ownServer.count(), std::size_t(1));
    QCOMPARE(ownServer.arrivals().front().datagram, encoded("/zarn/play"));
}

void TestZarnPlayerOscCallback::withoutEngineEverythingGoesToDefaults()
{
    LoopbackReceiver ownServer;
    auto engine = std::make_shared<OscFakeEngine>(); // not playing
    ZarnPlayerOscCallback callback(ownServer.port());

    callback.ExecuteEvent(cue("/a 1"), 0); // before SetPlayer
    QTRY_COMPARE(ownServer.count(), std::size_t(1));
    callback.SetPlayer(engine);
    callback.ExecuteEvent(cue("/a 2"), 0); // dropped: not playing
    callback.ClearPlayer();
    callback.ExecuteEvent(cue("/a 3"), 0); // defaults again
    QTRY_COMPARE(ownServer.count(), std::size_t(2));
    QTest::qWait(50);
    const auto arrivals = ownServer.arrivals();
    QCOMPARE(arrivals.size(), std::size_t(2));
    QCOMPARE(arrivals[0].datagram, encoded("/a 1"));
    QCOMPARE(arrivals[1].datagram, encoded("/a 3"));
    QCOMPARE(engine->networkLookups.load(), 1);

    callback.SetDefaultPort(1);
    QCOMPARE(callback.defaultPort(), 1);
}

void TestZarnPlayerOscCallback::refusedDefaultPortSendsNothing_data()
{
    QTest::addColumn<int>("port");
    QTest::newRow("zero") << 0;
    QTest::newRow("above 16 bits") << 65536 + 9000;
}

void TestZarnPlayerOscCallback::refusedDefaultPortSendsNothing()
{
    QFETCH(int, port);
    ZarnPlayerOscCallback callback(port);
    NotificationCounter notifications(&callback);
    StreamCapture errors(stderr);
    callback.ExecuteEvent(cue("/zarn/play"), 0);
    QTRY_COMPARE(errors.text(), QString("OSC send refused: port %1 is not between 1 and 65535\n").arg(port));
    QTest::qWait(20);
    QCOMPARE(notifications.count, 0);
}

void TestZarnPlayerOscCallback::blankCommandSendsNothing()
{
    LoopbackReceiver ownServer;
    ZarnPlayerOscCallback callback(ownServer.port());
    NotificationCounter notifications(&callback);
    callback.ExecuteEvent(cue(""), 0);
    callback.ExecuteEvent(cue("   "), 0);
    QTest::qWait(50);
    QCOMPARE(ownServer.count(), std::size_t(0));
    QCOMPARE(notifications.count, 0);
}

void TestZarnPlayerOscCallback::enqueueOnlySignals()
{
    LoopbackReceiver ownServer;
    ZarnPlayerOscCallback callback(ownServer.port());
    QList<QPair<QString, uint32_t>> queued;
    connect(&callback, &ZarnPlayerOscCallback::enqueueOscCommand, this, [&](CL::Osc osc, uint32_t delay) {
        queued.append({QString::fromStdString(osc.osc_properties().Message()), delay});
    });
    // From an engine thread, as the engine does: the cue crosses to this thread by value.
    std::thread engineThread([&] { callback.EnqueueEvent(cue("/cue/7/go"), 250); });
    engineThread.join();
    QTRY_COMPARE(queued.size(), 1);
    QCOMPARE(queued.front().first, QString("/cue/7/go"));
    QCOMPARE(queued.front().second, 250u);
    QTest::qWait(50);
    QCOMPARE(ownServer.count(), std::size_t(0));
}

void TestZarnPlayerOscCallback::poolIsCappedAtEightThreads()
{
    LoopbackReceiver ownServer;
    ZarnPlayerOscCallback callback(ownServer.port());
    const auto handOff = steady_clock::now();
    for (int i = 0; i < 9; ++i)
        callback.ExecuteEvent(cue(QString("/cue/%1/go").arg(i).toStdString()), 800);
    QCOMPARE(callback.pendingSends(), 9);
    QTRY_COMPARE(callback.activeSendThreads(), ZarnPlayerOscCallback::kMaxSendThreads);
    QTest::qWait(100);
    QCOMPARE(callback.activeSendThreads(), ZarnPlayerOscCallback::kMaxSendThreads);
    QCOMPARE(callback.pendingSends(), 9);
    QTRY_COMPARE(ownServer.count(), std::size_t(9));
    // The ninth waited for a free thread, then went out without adding its delay again.
    const auto arrivals = ownServer.arrivals();
    const auto ninth = std::find_if(arrivals.begin(), arrivals.end(),
                                    [](const auto& a) { return a.datagram == encoded("/cue/8/go"); });
    QVERIFY(ninth != arrivals.end());
    QVERIFY(ninth->time - handOff >= milliseconds(800));
    // Measured from the first cue out rather than from the hand-off, which a loaded machine
    // delays by the time it takes to start eight threads: had the ninth waited its 800 ms
    // again, it would come a whole delay after the first.
    auto first = ninth->time;
    for (const auto& arrival : arrivals)
        first = std::min(first, arrival.time);
    const auto afterFirst = duration_cast<milliseconds>(ninth->time - first);
    QVERIFY2(afterFirst < milliseconds(400), qPrintable(QString::number(afterFirst.count())));
}

void TestZarnPlayerOscCallback::destructionCancelsWaitingCues()
{
    LoopbackReceiver ownServer;
    auto callback = std::make_unique<ZarnPlayerOscCallback>(ownServer.port());
    NotificationCounter notifications(callback.get());
    for (int i = 0; i < 12; ++i)
        callback->ExecuteEvent(cue("/late"), 10000);
    QTRY_COMPARE(callback->activeSendThreads(), ZarnPlayerOscCallback::kMaxSendThreads);

    const auto before = steady_clock::now();
    callback.reset();
    QVERIFY(steady_clock::now() - before < milliseconds(500));
    QTest::qWait(100);
    QCOMPARE(ownServer.count(), std::size_t(0));
    QCOMPARE(notifications.count, 0);
}

void TestZarnPlayerOscCallback::setAndClearPlayerRaceExecuteEvent()
{
    LoopbackReceiver ownServer;
    auto engine = std::make_shared<OscFakeEngine>();
    engine->networks["console"] = CL::NetworkPath("console", "Lighting", "127.0.0.1", ownServer.port());
    engine->playing = true;
    auto callback = std::make_unique<ZarnPlayerOscCallback>(ownServer.port());

    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        for (int i = 0; !stop; ++i) {
            if (i % 2)
                callback->SetPlayer(engine);
            else
                callback->ClearPlayer();
            callback->SetDefaultPort(ownServer.port());
        }
    });
    std::vector<std::thread> engineThreads;
    for (int t = 0; t < 4; ++t) {
        engineThreads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                engine->playing = (i % 3) != 0;
                callback->ExecuteEvent(cue("/race " + std::to_string(t)), std::uint32_t(i % 5));
                callback->EnqueueEvent(cue("/race"), 0);
            }
        });
    }
    for (auto& thread : engineThreads)
        thread.join();
    stop = true;
    swapper.join();
    callback.reset(); // waits only for sends under way
    QVERIFY(ownServer.count() <= std::size_t(800));
}

QTEST_GUILESS_MAIN(TestZarnPlayerOscCallback)
#include "tst_zarn_player_osc_callback.moc"

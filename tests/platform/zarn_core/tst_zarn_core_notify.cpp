#include "zarn_core/CallbackDispatcher.h"
#include "zarn_core/EngineEventHub.h"
#include "zarn_core/EventObserver.h"
#include "zarn_core/NotifyNames.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using notify::EngineEvent;
using notify::EngineEventHub;

class TestZarnCoreNotify : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void callsInRegistrationOrder();
    void reentrantNotify();
    void removalDuringCall();
    void addDuringCallRunsNextTime();
    void payloadOnlyDuringCall();
    void busFromSeveralThreads();
    void namesAreTheEight();

    void observerGetsRegisteredKinds();
    void allTwentyTwoRegistrations();
    void observerFromSeveralThreads();
    void destructionWaitsForRunningCallback();
    void callbackMayDestroyItsObserver();
    void teardownDuringDelivery();
};

namespace {
int targetA = 0;
int targetB = 0;
int targetC = 0;
const std::string kName = "test.name";
const std::string kOther = "test.other";
} // namespace

void TestZarnCoreNotify::cleanup()
{
    for (void* t : {static_cast<void*>(&targetA), static_cast<void*>(&targetB), static_cast<void*>(&targetC)})
        notify::callbackDispatcher.RemoveCallbacksForTarget(t);
}

void TestZarnCoreNotify::callsInRegistrationOrder()
{
    std::string order;
    notify::callbackDispatcher.AddCallback(&targetB, kName, [&order](void*) { order += "B"; });
    notify::callbackDispatcher.AddCallback(&targetA, kName, [&order](void*) { order += "A"; });
    notify::callbackDispatcher.AddCallback(&targetC, kOther, [&order](void*) { order += "X"; });
    notify::callbackDispatcher.AddCallback(&targetB, kName, [&order](void*) { order += "b"; });
    notify::callbackDispatcher.Notify(kName, nullptr);
    QCOMPARE(order, std::string("BAb"));
    notify::callbackDispatcher.RemoveCallbacksForTarget(&targetB);
    order.clear();
    notify::callbackDispatcher.Notify(kName, nullptr);
    QCOMPARE(order, std::string("A"));
    notify::callbackDispatcher.Notify("nobody listens", nullptr);
}

void TestZarnCoreNotify::reentrantNotify()
{
    // A selection posts a second notification from inside the first, as the event list does.
    std::string order;
    notify::callbackDispatcher.AddCallback(&targetA, kName, [&order](void* payload) {
        order += "1(" + std::to_string(*static_cast<int*>(payload)) + ")";
        notify::callbackDispatcher.Notify(kOther, nullptr);
        order += "1end";
    });
    notify::callbackDispatcher.AddCallback(&targetB, kOther, [&order](void*) { order += "2"; });
    int depth = 0;
    notify::callbackDispatcher.AddCallback(&targetC, kOther, [&depth, &order](void*) {
        // Re-entering the same name, bounded.
        if (++depth < 3)
            notify::callbackDispatcher.Notify(kOther, nullptr);
        order += "3";
    });
    int row = 7;
    notify::callbackDispatcher.Notify(kName, &row);
    QCOMPARE(order, std::string("1(7)2" "2" "2" "333" "1end"));
}

void TestZarnCoreNotify::removalDuringCall()
{
    std::string order;
    notify::callbackDispatcher.AddCallback(&targetA, kName, [&order](void*) {
        order += "A";
        notify::callbackDispatcher.RemoveCallbacksForTarget(&targetB); // a later one
        notify::callbackDispatcher.RemoveCallbacksForTarget(&targetA); // itself, while running
        order += "a";
    });
    notify::callbackDispatcher.AddCallback(&targetB, kName, [&order](void*) { order += "B"; });
    notify::callbackDispatcher.AddCallback(&targetC, kName, [&order](void*) { order += "C"; });
    notify::callbackDispatcher.Notify(kName, nullptr);
    QCOMPARE(order, std::string("AaC"));
    order.clear();
    notify::callbackDispatcher.Notify(kName, nullptr);
    QCOMPARE(order, std::string("C"));
}

void TestZarnCoreNotify::addDuringCallRunsNextTime()
{
    std::string order;
    notify::callbackDispatcher.AddCallback(&targetA, kName, [&order](void*) {
        order += "A";
        if (order.size() == 1)
            notify::callbackDispatcher.AddCallback(&targetB, kName, [&order](void*) { order += "B"; });
    });
    notify::callbackDispatcher.Notify(kName, nullptr);
    QCOMPARE(order, std::string("A"));
    notify::callbackDispatcher.Notify(kName, nullptr);
    QCOMPARE(order, std::string("AAB"));
}

void TestZarnCoreNotify::payloadOnlyDuringCall()
{
    std::vector<void*> seen;
    notify::callbackDispatcher.AddCallback(&targetA, kName, [&seen](void* p) { seen.push_back(p); });
    {
        auto payload = std::make_unique<bool>(true);
        notify::callbackDispatcher.Notify(kName, payload.get());
        QCOMPARE(seen.back(), static_cast<void*>(payload.get()));
    }
    // The bus kept nothing: the next call carries its own payload (here none).
    notify::callbackDispatcher.Notify(kName, nullptr);
    QCOMPARE(seen.back(), nullptr);
    QCOMPARE(seen.size(), std::size_t(2));
}

void TestZarnCoreNotify::busFromSeveralThreads()
{
    std::atomic<int> calls{0};
    notify::callbackDispatcher.AddCallback(&targetA, kName, [&calls](void*) { ++calls; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &calls] {
            for (int i = 0; i < 2000; ++i) {
                if (t == 3) {
                    // Churn: add and remove while others notify.
                    notify::callbackDispatcher.AddCallback(&targetC, kName, [](void*) {});
                    notify::callbackDispatcher.RemoveCallbacksForTarget(&targetC);
                } else {
                    notify::callbackDispatcher.Notify(kName, nullptr);
                }
            }
        });
    }
    for (auto& t : threads)
        t.join();
    QCOMPARE(calls.load(), 3 * 2000);
}

void TestZarnCoreNotify::namesAreTheEight()
{
    const std::vector<std::string> names = {
        notify::names::EVT_MARKER_PANEL_SELECTED,        notify::names::EVT_CHANGE_LOG_PANEL_SELECTED,
        notify::names::editModelUpdatedSelectedZarnEvent, notify::names::zarnEventWidgetSelected,
        notify::names::editControllerShowEditor,          notify::names::editControllerMarkerListSelected,
        notify::names::editModelChangeLogNeedsSave,       notify::names::editModelChangeLogNeedsUpload};
    QCOMPARE(names, (std::vector<std::string>{"EVT_MARKER_PANEL_SELECTED", "EVT_CHANGE_LOG_PANEL_SELECTED",
                                              "editModelUpdatedSelectedZarnEvent", "zarnEventWidgetSelected",
                                              "editControllerShowEditor", "editControllerMarkerListSelected",
                                              "editModelChangeLogNeedsSave", "editModelChangeLogNeedsUpload"}));
}

// --- Engine notifications ---

namespace {

struct Received
{
    std::mutex mutex;
    std::vector<std::tuple<int, int, std::string>> calls;
};

void Record(int id, int value, const char* text, void* context)
{
    auto* r = static_cast<Received*>(context);
    std::lock_guard lock(r->mutex);
    r->calls.emplace_back(id, value, text);
}

} // namespace

void TestZarnCoreNotify::observerGetsRegisteredKinds()
{
    const auto before = EngineEventHub::ObserverCount();
    Received first;
    Received second;
    {
        notify::EventObserver a;
        notify::EventObserver b;
        QCOMPARE(EngineEventHub::ObserverCount(), before + 2);
        a.SetCallbackFunc(&Record, &first);
        b.SetCallbackFunc(&Record, &second);
        a.RegisterPlayhead(13);
        a.RegisterSongLoaded(15);
        b.RegisterPlayhead(99);

        EngineEventHub::Post(EngineEvent::Playhead, 1920);
        std::string text = "  12  ";
        EngineEventHub::Post(EngineEvent::SongLoaded, 0, text);
        EngineEventHub::Post(EngineEvent::Tempo, 0, "120.00"); // nobody registered
        EngineEventHub::Post(EngineEvent::SongLoaded, 0, static_cast<const char*>(nullptr));

        using Call = std::tuple<int, int, std::string>;
        QCOMPARE(first.calls, (std::vector<Call>{{13, 1920, ""}, {15, 0, "  12  "}, {15, 0, ""}}));
        QCOMPARE(second.calls, (std::vector<Call>{{99, 1920, ""}}));
    }
    QCOMPARE(EngineEventHub::ObserverCount(), before);
    // Destroyed observers are not called.
    EngineEventHub::Post(EngineEvent::Playhead, 1);
    QCOMPARE(first.calls.size(), std::size_t(3));
}

void TestZarnCoreNotify::allTwentyTwoRegistrations()
{
    Received received;
    notify::EventObserver observer;
    observer.SetCallbackFunc(&Record, &received);
    // The main window's order and ids.
    observer.RegisterPageNum(12);
    observer.RegisterPlayhead(13);
    observer.RegisterPlaybackStarted(0);
    observer.RegisterPlaybackStopped(1);
    observer.RegisterPlaybackPaused(2);
    observer.RegisterPlaybackFading(3);
    observer.RegisterKey(5);
    observer.RegisterTempo(6);
    observer.RegisterMeter(7);
    observer.RegisterTransposition(8);
    observer.RegisterTempoScale(9);
    observer.RegisterVampOn(19);
    observer.RegisterVampOff(20);
    observer.RegisterBarBeat(10);
    observer.RegisterSongTitle(14);
    observer.RegisterSongLoaded(15);
    observer.RegisterStatusFlowControl(4);
    observer.RegisterMidiNotification(18);
    observer.RegisterLearnedMIDICommand(16);
    observer.RegisterMIDICommandCanceled(17);
    observer.RegisterStatusVolume(21);
    observer.RegisterMarker(11);
    const std::vector<std::pair<EngineEvent, int>> expected = {
        {EngineEvent::PageNum, 12},          {EngineEvent::Playhead, 13},          {EngineEvent::PlaybackStarted, 0},
        {EngineEvent::PlaybackStopped, 1},   {EngineEvent::PlaybackPaused, 2},     {EngineEvent::PlaybackFading, 3},
        {EngineEvent::Key, 5},               {EngineEvent::Tempo, 6},              {EngineEvent::Meter, 7},
        {EngineEvent::Transposition, 8},     {EngineEvent::TempoScale, 9},         {EngineEvent::VampOn, 19},
        {EngineEvent::VampOff, 20},          {EngineEvent::BarBeat, 10},           {EngineEvent::SongTitle, 14},
        {EngineEvent::SongLoaded, 15},       {EngineEvent::StatusFlowControl, 4},  {EngineEvent::MidiNotification, 18},
        {EngineEvent::LearnedMIDICommand, 16}, {EngineEvent::MIDICommandCanceled, 17}, {EngineEvent::StatusVolume, 21},
        {EngineEvent::Marker, 11}};
    QCOMPARE(int(expected.size()), notify::kEngineEventCount);
    for (const auto& [kind, id] : expected) {
        received.calls.clear();
        EngineEventHub::Post(kind, 5, "t");
        QCOMPARE(received.calls.size(), std::size_t(1));
        QCOMPARE(std::get<0>(received.calls[0]), id);
    }
}

void TestZarnCoreNotify::observerFromSeveralThreads()
{
    std::atomic<int> calls{0};
    std::atomic<long long> sum{0};
    notify::EventObserver observer;
    observer.SetCallbackFunc(
        [&calls, &sum](int, int value, const char* text, void*) {
            ++calls;
            sum += value;
            QVERIFY(std::string(text) == "bar");
        },
        nullptr);
    observer.RegisterBarBeat(10);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 5000; ++i)
                EngineEventHub::Post(EngineEvent::BarBeat, 1, "bar");
        });
    }
    for (auto& t : threads)
        t.join();
    QCOMPARE(calls.load(), 20000);
    QCOMPARE(sum.load(), 20000LL);
}

void TestZarnCoreNotify::destructionWaitsForRunningCallback()
{
    std::mutex mutex;
    std::condition_variable cv;
    bool entered = false;
    bool release = false;
    std::atomic<bool> callbackReturned{false};
    std::atomic<bool> destroyed{false};
    bool returnedBeforeDestroyed = false;

    auto observer = std::make_unique<notify::EventObserver>();
    observer->SetCallbackFunc(
        [&](int, int, const char*, void*) {
            std::unique_lock lock(mutex);
            entered = true;
            cv.notify_all();
            cv.wait(lock, [&] { return release; });
            callbackReturned = true;
        },
        nullptr);
    observer->RegisterPlaybackStopped(1);

    std::thread engine([] { EngineEventHub::Post(EngineEvent::PlaybackStopped); });
    {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return entered; });
    }
    std::thread owner([&] {
        observer.reset();
        returnedBeforeDestroyed = callbackReturned.load();
        destroyed = true;
    });
    // The owner must still be waiting while the callback runs.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QVERIFY(!destroyed.load());
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    cv.notify_all();
    owner.join();
    engine.join();
    QVERIFY(destroyed.load());
    QVERIFY(returnedBeforeDestroyed);
}

void TestZarnCoreNotify::callbackMayDestroyItsObserver()
{
    auto observer = std::make_unique<notify::EventObserver>();
    int calls = 0;
    observer->SetCallbackFunc(
        [&](int, int, const char*, void*) {
            ++calls;
            observer.reset(); // must not wait for itself
        },
        nullptr);
    observer->RegisterMarker(11);
    observer->RegisterMarker(12); // a second id: not called after the observer is gone
    EngineEventHub::Post(EngineEvent::Marker, 1920);
    QVERIFY(!observer);
    QCOMPARE(calls, 1);
}

void TestZarnCoreNotify::teardownDuringDelivery()
{
    // Observers come and go while engine threads post; a callback never runs on an
    // observer (and its owner) after destruction. Run under ASan to see a late call.
    struct Owner
    {
        std::atomic<int> calls{0};
        std::atomic<bool> alive{true};
        std::unique_ptr<notify::EventObserver> observer = std::make_unique<notify::EventObserver>();
    };
    std::atomic<bool> stop{false};
    std::atomic<int> lateCalls{0};
    std::vector<std::thread> engines;
    for (int t = 0; t < 3; ++t) {
        engines.emplace_back([&stop] {
            while (!stop)
                EngineEventHub::Post(EngineEvent::Playhead, 1);
        });
    }
    for (int round = 0; round < 300; ++round) {
        auto owner = std::make_unique<Owner>();
        owner->observer->SetCallbackFunc(
            [&lateCalls](int, int, const char*, void* context) {
                auto* o = static_cast<Owner*>(context);
                if (!o->alive)
                    ++lateCalls;
                ++o->calls;
            },
            owner.get());
        owner->observer->RegisterPlayhead(13);
        std::this_thread::yield();
        // Any call that sees the flag down ran after the observer's destructor returned.
        owner->observer.reset();
        owner->alive = false;
        std::this_thread::yield();
        owner.reset();
    }
    stop = true;
    for (auto& t : engines)
        t.join();
    QCOMPARE(lateCalls.load(), 0);
}

QTEST_GUILESS_MAIN(TestZarnCoreNotify)
#include "tst_zarn_core_notify.moc"

#include "AllocationCounter.h"
#include "EngineOutputQueue.h"
#include "FadeCompletions.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <future>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace zarn::player;
using Kind = EngineEventKind;
using Item = EngineOutputItem;
using Clock = std::chrono::steady_clock;

namespace {

// One push in a scripted run.
struct Push
{
    enum class What { Notice, Cue, Fade } what = What::Notice;
    Kind kind = Kind::PlaybackStarted;
    int value = 0;
    std::string text;
};
using Script = std::vector<Push>;

Push N(Kind kind, int value = 0, std::string text = {}) { return {Push::What::Notice, kind, value, std::move(text)}; }
Push Cue(int event) { return {Push::What::Cue, Kind::PlaybackStarted, event, {}}; }
Push Fade(int ticket) { return {Push::What::Fade, Kind::PlaybackStarted, ticket, {}}; }

bool Run(EngineOutputQueue& q, const Push& p)
{
    switch (p.what) {
    case Push::What::Cue: return q.PushCue({7, 1, static_cast<uint32_t>(p.value), 48000 + p.value, true});
    case Push::What::Fade: return q.PushFadeDone(static_cast<uint64_t>(p.value));
    default: return q.PushNotice(p.kind, p.value, p.text);
    }
}

// An item as one line: "Playhead 10", "SongLoaded 0 2", "cue 3", "fade 9", "lost 24".
QString Describe(const Item& item)
{
    switch (item.type) {
    case Item::Type::Cue: return QStringLiteral("cue %1").arg(item.cue.event);
    case Item::Type::FadeDone: return QStringLiteral("fade %1").arg(item.ticket);
    case Item::Type::Lost: return QStringLiteral("lost %1").arg(item.lost);
    default: break;
    }
    static const char* const names[] = {"PlaybackStarted", "PlaybackStopped", "PlaybackPaused", "PlaybackFading",
                                        "StatusFlowControl", "Key", "Tempo", "Meter", "Transposition", "TempoScale",
                                        "BarBeat", "Marker", "PageNum", "Playhead", "SongTitle", "SongLoaded",
                                        "LearnedMidiCommand", "MidiCommandCanceled", "MidiNotification", "VampOn",
                                        "VampOff", "StatusVolume"};
    QString line = QStringLiteral("%1 %2").arg(names[static_cast<int>(item.notice.kind)]).arg(item.notice.value);
    if (!item.notice.text.empty())
        line += QLatin1Char(' ') + QString::fromStdString(item.notice.text);
    return line;
}

QStringList Drain(EngineOutputQueue& q)
{
    QStringList out;
    Item item;
    while (q.Pop(item))
        out << Describe(item);
    return out;
}

// Waits for a condition another thread brings about, with a deadline.
template<class Condition>
bool WaitUntil(Condition condition, std::chrono::seconds limit = std::chrono::seconds(60))
{
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

double Micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

} // namespace

Q_DECLARE_METATYPE(Script)

class TestEngineOutputQueue : public QObject
{
    Q_OBJECT

private slots:
    void lateConsumerGetsItemsInPushOrder_data();
    void lateConsumerGetsItemsInPushOrder();
    void consumerKeepingUpGetsEveryValue();
    void textsArriveWhole_data();
    void textsArriveWhole();
    void fullRingRefusesWithoutWaitingAndReportsWhere();
    void pushesAllocateNothing();
    void stalledConsumerGetsTheLatestAndEveryItemThatMatters();
    void wakeUpIsNeverLost();
    void interruptEndsTheWait();
    void threadedStress();
    void orderHoldsAgainstAFlatOutProducer();
    void fadeCompletionRunsOnlyIfStillInForce();
};

void TestEngineOutputQueue::lateConsumerGetsItemsInPushOrder_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("a song's playhead comes after its song loaded")
        << Script{N(Kind::Playhead, 500), N(Kind::BarBeat, 0, "9.2"), N(Kind::SongTitle, 0, "Second"),
                  N(Kind::SongLoaded, 0, "2"), N(Kind::Playhead, 0), N(Kind::BarBeat, 0, "1.1"),
                  N(Kind::Playhead, 10)}
        << QStringList{"SongTitle 0 Second", "SongLoaded 0 2", "BarBeat 0 1.1", "Playhead 10"};
    QTest::newRow("a latest value keeps its place before what follows it")
        << Script{N(Kind::Playhead, 5), N(Kind::StatusVolume, 500), N(Kind::PlaybackStopped)}
        << QStringList{"Playhead 5", "StatusVolume 500", "PlaybackStopped 0"};
    QTest::newRow("latest values in the order of their last updates")
        << Script{N(Kind::Key, 0, "C"), N(Kind::Tempo, 0, "120"), N(Kind::Meter, 0, "4/4"), N(Kind::Key, 0, "D"),
                  N(Kind::MidiNotification), N(Kind::MidiNotification)}
        << QStringList{"Tempo 0 120", "Meter 0 4/4", "Key 0 D", "MidiNotification 0"};
    QTest::newRow("every item that matters, each once")
        << Script{N(Kind::PlaybackStarted), N(Kind::VampOn), N(Kind::StatusFlowControl, 1, "Vamp"),
                  N(Kind::StatusFlowControl, 2, "Vamp"), N(Kind::VampOff), N(Kind::Marker, 960), N(Kind::Marker, 960),
                  N(Kind::LearnedMidiCommand, 0x903C40), N(Kind::MidiCommandCanceled, 3), N(Kind::PlaybackFading),
                  N(Kind::PlaybackPaused)}
        << QStringList{"PlaybackStarted 0", "VampOn 0", "StatusFlowControl 1 Vamp", "StatusFlowControl 2 Vamp",
                       "VampOff 0", "Marker 960", "Marker 960", "LearnedMidiCommand 9452608",
                       "MidiCommandCanceled 3", "PlaybackFading 0", "PlaybackPaused 0"};
    QTest::newRow("cues and finished fades among the notices")
        << Script{N(Kind::Playhead, 1), Cue(4), N(Kind::Playhead, 2), N(Kind::PlaybackFading), Fade(9),
                  N(Kind::StatusVolume, 0), Cue(5)}
        << QStringList{"cue 4", "Playhead 2", "PlaybackFading 0", "fade 9", "StatusVolume 0", "cue 5"};
    const std::string longKey(80, 'k');
    QTest::newRow("a latest value too long for its slot goes through whole, in order")
        << Script{N(Kind::Key, 0, "A"), N(Kind::BarBeat, 0, "1.1"), N(Kind::Key, 0, longKey), N(Kind::Key, 0, "E")}
        << QStringList{"BarBeat 0 1.1", "Key 0 " + QString::fromStdString(longKey), "Key 0 E"};
}

void TestEngineOutputQueue::lateConsumerGetsItemsInPushOrder()
{
    QFETCH(Script, script);
    QFETCH(QStringList, expected);
    EngineOutputQueue q;
    for (const Push& p : script)
        QVERIFY(Run(q, p));
    QCOMPARE(Drain(q), expected);
    QVERIFY(!q.HasWork());
}

void TestEngineOutputQueue::consumerKeepingUpGetsEveryValue()
{
    EngineOutputQueue q;
    QStringList got;
    Item item;
    for (int i = 0; i < 50; ++i) {
        QVERIFY(q.PushNotice(Kind::Playhead, i * 10));
        if (i % 10 == 0)
            QVERIFY(q.PushNotice(Kind::Marker, i));
        QVERIFY(q.HasWork());
        while (q.Pop(item))
            got << Describe(item);
    }
    QCOMPARE(got.size(), 55);
    QCOMPARE(got.mid(0, 3), (QStringList{"Playhead 0", "Marker 0", "Playhead 10"}));
    QCOMPARE(got.last(), QStringLiteral("Playhead 490"));
}

void TestEngineOutputQueue::textsArriveWhole_data()
{
    QTest::addColumn<int>("before"); // one-slot items pushed and taken first, to place the text
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");

    // The queue below: 64 slots of 64 bytes, texts up to 200 bytes.
    QByteArray title;
    for (int i = 0; i < 40; ++i)
        title += "Ouvertüre "; // 11 bytes, one character of two
    title.truncate(198);
    QTest::newRow("empty") << 0 << QByteArray() << QByteArray();
    QTest::newRow("fills the first slot") << 0 << QByteArray(8, 'a') << QByteArray(8, 'a');
    QTest::newRow("one byte into the next slot") << 0 << QByteArray(9, 'b') << QByteArray(9, 'b');
    QTest::newRow("a long title, whole") << 0 << title << title;
    QTest::newRow("a long title across the ring's end") << 62 << title << title;
    QTest::newRow("exactly the longest text") << 61 << QByteArray(200, 'c') << QByteArray(200, 'c');
    // Longer: cut at a character, ending in an ellipsis, within the limit.
    QByteArray umlauts;
    for (int i = 0; i < 150; ++i)
        umlauts += "ü";
    QTest::newRow("too long, cut back to a character's start")
        << 0 << umlauts << umlauts.left(196) + "\xE2\x80\xA6";
    QTest::newRow("too long, cut between characters")
        << 0 << "x" + umlauts << "x" + umlauts.left(196) + "\xE2\x80\xA6";
}

void TestEngineOutputQueue::textsArriveWhole()
{
    QFETCH(int, before);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    EngineOutputQueue q({64, 200});
    QCOMPARE(q.MaxTextBytes(), size_t(200));
    Item item;
    for (int i = 0; i < before; ++i) {
        QVERIFY(q.PushNotice(Kind::Marker, i));
        QVERIFY(q.Pop(item));
    }
    QVERIFY(q.PushNotice(Kind::SongTitle, 7, std::string_view(text.constData(), size_t(text.size()))));
    QVERIFY(q.PushNotice(Kind::SongLoaded, 0, "12a"));
    QVERIFY(q.Pop(item));
    QCOMPARE(item.notice.kind, Kind::SongTitle);
    QCOMPARE(item.notice.value, 7);
    QCOMPARE(QByteArray::fromStdString(item.notice.text), expected);
    QCOMPARE(item.truncated, expected != text);
    QCOMPARE(q.TruncatedCount(), uint64_t(expected != text ? 1 : 0));
    QVERIFY(q.Pop(item));
    QCOMPARE(item.notice.text, std::string("12a"));
    QVERIFY(!q.Pop(item));
}

void TestEngineOutputQueue::fullRingRefusesWithoutWaitingAndReportsWhere()
{
    EngineOutputQueue q({16, 1000});
    QCOMPARE(q.CapacitySlots(), size_t(16));
    int taken = 0;
    for (int i = 0; i < 40; ++i)
        taken += q.PushNotice(Kind::Marker, i) ? 1 : 0;
    QCOMPARE(taken, 16);
    QCOMPARE(q.LostCount(), uint64_t(24));
    QCOMPARE(q.HighWaterSlots(), size_t(16));
    // Latest values still get through a full ring.
    QVERIFY(q.PushNotice(Kind::Playhead, 1234));

    Item item;
    for (int i = 0; i < 2; ++i) {
        QVERIFY(q.Pop(item));
        QCOMPARE(Describe(item), QStringLiteral("Marker %1").arg(i));
    }
    // Two slots free: a title needing three is refused whole, a short notice fits.
    QVERIFY(!q.PushNotice(Kind::SongTitle, 0, std::string(100, 't')));
    QVERIFY(q.PushNotice(Kind::SongLoaded, 0, "3"));
    QCOMPARE(q.LostCount(), uint64_t(25));
    QStringList expected;
    for (int i = 2; i < 16; ++i)
        expected << QStringLiteral("Marker %1").arg(i);
    // The markers went missing before the playhead was pushed, the title after it.
    expected << "lost 25" << "Playhead 1234" << "SongLoaded 0 3";
    QCOMPARE(Drain(q), expected);

    // A loss with nothing behind it yet is reported at once, and only once.
    EngineOutputQueue small({4, 100});
    for (int i = 0; i < 5; ++i)
        small.PushCue({1, 0, static_cast<uint32_t>(i), i, true});
    QCOMPARE(Drain(small), (QStringList{"cue 0", "cue 1", "cue 2", "cue 3", "lost 1"}));
    QVERIFY(small.PushFadeDone(5));
    QCOMPARE(Drain(small), QStringList{"fade 5"});
}

void TestEngineOutputQueue::pushesAllocateNothing()
{
    if (!zarn::audio::test::CountAllocations::Available())
        QSKIP("allocations cannot be counted under a sanitizer");
    EngineOutputQueue q({64, 300});
    const std::string title(250, 'T');
    const std::string tooLong(1000, 'x');
    long allocations = 0;
    {
        zarn::audio::test::CountAllocations count;
        for (int i = 0; i < 500; ++i) {
            q.PushNotice(Kind::Playhead, i);
            q.PushNotice(Kind::BarBeat, 0, "12.3");
            q.PushNotice(Kind::Key, 0, title); // too long for its slot
            q.PushNotice(Kind::SongTitle, 0, title);
            q.PushNotice(Kind::StatusFlowControl, 1, tooLong);
            q.PushCue({1, 2, 3, i, true});
            q.PushFadeDone(static_cast<uint64_t>(i));
        }
        allocations = count.Count();
    }
    QCOMPARE(allocations, 0L);
    QVERIFY(q.LostCount() > 0); // the full ring's path was taken too
}

void TestEngineOutputQueue::stalledConsumerGetsTheLatestAndEveryItemThatMatters()
{
    // The consumer is stuck in its first delivery, as behind a stalled GUI thread, until the
    // producer has pushed two seconds of playback's worth: 10000 playhead updates, with a
    // song change (title, number, flow state) every 100 of them.
    EngineOutputQueue q;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> stalled{false};
    QStringList got;
    std::thread consumer([&] {
        Item item;
        while (!q.WaitFor(std::chrono::seconds(60)) || !q.Pop(item)) {
        }
        got << Describe(item);
        stalled = true;
        released.wait();
        while (q.Pop(item))
            got << Describe(item);
    });
    QVERIFY(q.PushNotice(Kind::PlaybackStarted));
    QVERIFY(WaitUntil([&] { return stalled.load(); }));

    QStringList mustArrive;
    Clock::duration worst{};
    std::promise<void> done;
    std::future<void> finishedPushing = done.get_future();
    std::thread producer([&] {
        const std::string title = "A title of some length, to take a few slots of the ring";
        for (int i = 0; i < 10000; ++i) {
            const auto start = Clock::now();
            if (i % 100 == 0) {
                const std::string number = std::to_string(i / 100);
                q.PushNotice(Kind::SongTitle, 0, title);
                q.PushNotice(Kind::SongLoaded, 0, number);
                q.PushNotice(Kind::StatusFlowControl, 0, "ClearPickupBeat");
            }
            q.PushNotice(Kind::Playhead, i);
            worst = std::max(worst, Clock::now() - start);
        }
        done.set_value();
    });
    // Done while the consumer is still stuck: the producer never waited for it.
    const bool finished = finishedPushing.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    release.set_value();
    producer.join();
    consumer.join();
    QVERIFY(finished);
    qInfo("worst push while the consumer stalled: %.1f us", Micros(worst));
    QVERIFY2(worst < std::chrono::milliseconds(250), "a push took longer than any wait-free step can");

    for (int s = 0; s < 100; ++s)
        mustArrive << "SongTitle 0 A title of some length, to take a few slots of the ring"
                   << QStringLiteral("SongLoaded 0 %1").arg(s) << "StatusFlowControl 0 ClearPickupBeat";
    QCOMPARE(got.first(), QStringLiteral("PlaybackStarted 0"));
    QCOMPARE(got.mid(1), mustArrive << "Playhead 9999");
    QCOMPARE(q.LostCount(), uint64_t(0));
}

void TestEngineOutputQueue::wakeUpIsNeverLost()
{
    // Ping-pong: each push wakes the consumer, which answers before the next push. A lost
    // wake-up would leave the consumer asleep for its whole long timeout.
    EngineOutputQueue q;
    constexpr int kRounds = 20000;
    std::atomic<int> answered{-1};
    std::atomic<int> timeouts{0};
    std::atomic<bool> abandon{false};
    std::thread consumer([&] {
        Item item;
        for (int i = 0; i < kRounds && !abandon; ++i) {
            while (!q.Pop(item) && !abandon) {
                if (!q.WaitFor(std::chrono::seconds(20)))
                    ++timeouts;
            }
            answered.store(i, std::memory_order_release);
        }
    });
    const auto start = Clock::now();
    bool inStep = true;
    for (int i = 0; i < kRounds && inStep; ++i) {
        if (i % 2)
            q.PushNotice(Kind::Marker, i);
        else
            q.PushNotice(Kind::Playhead, i);
        inStep = WaitUntil([&] { return answered.load(std::memory_order_acquire) == i; }, std::chrono::seconds(5));
    }
    const auto elapsed = Clock::now() - start;
    if (!inStep) {
        abandon = true;
        q.Interrupt();
    }
    consumer.join();
    QVERIFY(inStep);
    QCOMPARE(timeouts.load(), 0);
    qInfo("%d wake-ups in %.0f ms", kRounds, Micros(elapsed) / 1000.0);
}

void TestEngineOutputQueue::interruptEndsTheWait()
{
    EngineOutputQueue q;
    std::atomic<int> result{-1};
    std::atomic<bool> waiting{false};
    std::thread consumer([&] {
        waiting = true;
        result = q.WaitFor(std::chrono::seconds(60)) ? 1 : 0;
    });
    QVERIFY(WaitUntil([&] { return waiting.load(); }));
    q.Interrupt();
    QVERIFY(WaitUntil([&] { return result.load() >= 0; }, std::chrono::seconds(10)));
    consumer.join();
    QCOMPARE(result.load(), 0);
    // With nothing queued the wait times out.
    QVERIFY(!q.WaitFor(std::chrono::milliseconds(1)));
}

void TestEngineOutputQueue::threadedStress()
{
    // A producer pushing in bursts into a small ring, with texts of every length, while the
    // consumer waits, takes and now and then dawdles long enough for the ring to fill. Every numbered item arrives whole and
    // in order or is reported lost where it went missing; a playhead arrives neither before
    // the marker pushed just ahead of it nor after the marker pushed behind it; playheads
    // only move forward.
    EngineOutputQueue q({128, 400});
    constexpr int kItems = 60000;
    auto textOf = [](int i) { return std::string(static_cast<size_t>(i % 301), static_cast<char>('a' + i % 26)); };
    std::vector<std::string> texts(kItems);
    for (int i = 0; i < kItems; ++i)
        texts[static_cast<size_t>(i)] = textOf(i);

    std::atomic<bool> producerDone{false};
    QString failure;
    int accounted = 0; // numbered items delivered or reported lost, in order
    int delivered = 0;
    int lastPlayhead = -1;
    int lastMarker = -1;
    std::thread consumer([&] {
        std::mt19937 random(7);
        Item item;
        auto fail = [&](const QString& what) {
            if (failure.isEmpty())
                failure = what;
        };
        while (true) {
            if (!q.Pop(item)) {
                if (producerDone.load(std::memory_order_acquire) && !q.HasWork())
                    break;
                q.WaitFor(std::chrono::milliseconds(50));
                continue;
            }
            if (random() % 500 == 0)
                std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
            switch (item.type) {
            case Item::Type::Lost:
                accounted += static_cast<int>(item.lost);
                break;
            case Item::Type::Cue:
            case Item::Type::FadeDone:
                fail(QStringLiteral("unexpected %1").arg(Describe(item)));
                break;
            case Item::Type::Notice:
                if (item.notice.kind == Kind::Playhead) {
                    if (item.notice.value <= lastPlayhead)
                        fail(QStringLiteral("playhead %1 after %2").arg(item.notice.value).arg(lastPlayhead));
                    if (accounted < item.notice.value + 1)
                        fail(QStringLiteral("playhead %1 ahead of its marker (%2 accounted)")
                                 .arg(item.notice.value)
                                 .arg(accounted));
                    if (item.notice.value < lastMarker)
                        fail(QStringLiteral("playhead %1 behind marker %2").arg(item.notice.value).arg(lastMarker));
                    lastPlayhead = item.notice.value;
                    break;
                }
                if (item.notice.value != accounted)
                    fail(QStringLiteral("marker %1 where %2 was due").arg(item.notice.value).arg(accounted));
                if (item.notice.text != textOf(item.notice.value))
                    fail(QStringLiteral("marker %1 has a damaged text").arg(item.notice.value));
                accounted = item.notice.value + 1;
                lastMarker = item.notice.value;
                ++delivered;
                break;
            }
        }
    });
    Clock::duration worst{};
    for (int i = 0; i < kItems; ++i) {
        const auto start = Clock::now();
        q.PushNotice(Kind::Marker, i, texts[static_cast<size_t>(i)]);
        q.PushNotice(Kind::Playhead, i);
        worst = std::max(worst, Clock::now() - start);
        if (i % 40 == 39) // a render thread's pace: a burst, then a wait for the device
            std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    producerDone.store(true, std::memory_order_release);
    q.Interrupt();
    consumer.join();
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(accounted, kItems);
    QCOMPARE(int64_t(delivered) + int64_t(q.LostCount()), int64_t(kItems));
    QCOMPARE(lastPlayhead, kItems - 1);
    qInfo("%d of %d delivered, %llu lost, up to %zu of %zu slots in use; worst push pair %.1f us", delivered,
          kItems, static_cast<unsigned long long>(q.LostCount()), q.HighWaterSlots(), q.CapacitySlots(),
          Micros(worst));
}

void TestEngineOutputQueue::orderHoldsAgainstAFlatOutProducer()
{
    // Playheads and markers alternate as fast as they can be pushed while the consumer takes
    // them as fast as it can: the value pushed just before a marker, caught between the
    // consumer's look at the latest values and its look at the ring, must still come first.
    EngineOutputQueue q;
    constexpr int kPairs = 2000000;
    std::atomic<bool> producerDone{false};
    int wrong = 0;
    QString firstWrong;
    int64_t accounted = 0;
    std::thread consumer([&] {
        Item item;
        int lastMarker = 0;
        auto fail = [&](const QString& what) {
            if (wrong++ == 0)
                firstWrong = what;
        };
        while (true) {
            if (!q.Pop(item)) {
                if (producerDone.load(std::memory_order_acquire) && !q.HasWork())
                    break;
                continue;
            }
            if (item.type == Item::Type::Lost) {
                accounted += static_cast<int64_t>(item.lost);
                continue;
            }
            const int v = item.notice.value;
            if (item.notice.kind == Kind::Marker) {
                if (v != accounted + 1)
                    fail(QStringLiteral("marker %1 where %2 was due").arg(v).arg(accounted + 1));
                accounted = v;
                lastMarker = v;
            } else if (v < lastMarker || accounted < v) {
                fail(QStringLiteral("playhead %1 with marker %2 delivered, %3 accounted").arg(v).arg(lastMarker).arg(accounted));
            }
        }
    });
    for (int i = 0; i < kPairs; ++i) {
        q.PushNotice(Kind::Playhead, i);
        q.PushNotice(Kind::Marker, i + 1);
    }
    producerDone.store(true, std::memory_order_release);
    consumer.join();
    QVERIFY2(wrong == 0, qPrintable(QStringLiteral("%1 out of order, first: %2").arg(wrong).arg(firstWrong)));
    QCOMPARE(accounted, int64_t(kPairs));
}

void TestEngineOutputQueue::fadeCompletionRunsOnlyIfStillInForce()
{
    FadeCompletions completions;
    QStringList ran;
    auto runTicket = [&](uint64_t ticket) {
        if (auto f = completions.Take(ticket))
            f();
    };
    const uint64_t first = completions.Register([&] { ran << "first"; });
    QVERIFY(first != 0);
    runTicket(first);
    runTicket(first); // taken once
    QCOMPARE(ran, QStringList{"first"});

    // A fade that ended but was superseded before its delivery: only the new one runs.
    const uint64_t second = completions.Register([&] { ran << "second"; });
    const uint64_t third = completions.Register([&] { ran << "third"; });
    QVERIFY(second != third);
    runTicket(second);
    runTicket(third);
    QCOMPARE(ran, (QStringList{"first", "third"}));

    // Dropped (a cancel, shutting down): nothing runs, and what it held is released.
    auto held = std::make_shared<int>(1);
    const uint64_t fourth = completions.Register([&, held] { ran << "fourth"; });
    QCOMPARE(held.use_count(), 2L);
    completions.DropAll();
    QCOMPARE(held.use_count(), 1L);
    runTicket(fourth);
    runTicket(0);
    QCOMPARE(ran.size(), 2);

    // Through the queue: the render thread pushes only the ticket.
    EngineOutputQueue q;
    const uint64_t fifth = completions.Register([&] { ran << "fifth"; });
    QVERIFY(q.PushFadeDone(fifth));
    Item item;
    QVERIFY(q.Pop(item));
    QCOMPARE(item.type, Item::Type::FadeDone);
    runTicket(item.ticket);
    QCOMPARE(ran.last(), QStringLiteral("fifth"));
}

QTEST_GUILESS_MAIN(TestEngineOutputQueue)
#include "tst_engine_output_queue.moc"

#include "ManualClock.h"
#include "SteadyClock.h"

#include <QtTest>

#include <atomic>
#include <thread>

using namespace zarn::player;
using namespace std::chrono;

class TestManualClock : public QObject
{
    Q_OBJECT

private slots:
    void advanceWaitsUntilEveryStepIsHandled()
    {
        ManualClock clock(milliseconds(5));
        std::atomic<bool> stop{false};
        std::vector<Clock::Duration> seen;
        const Clock::Duration start = clock.Attach();
        std::thread consumer([&] {
            Clock::Duration last = start;
            while (!stop) {
                last = clock.WaitForNextStep(last);
                if (stop)
                    break;
                seen.push_back(last);
                clock.StepDone(last);
            }
        });
        clock.Advance(milliseconds(23));
        // Returned only after the consumer handled all five steps (5,10,15,20,23).
        QCOMPARE(seen.size(), size_t(5));
        QCOMPARE(seen.back(), Clock::Duration(milliseconds(23)));
        stop = true;
        clock.Wake();
        consumer.join();
        clock.Detach();
        clock.Advance(milliseconds(100)); // without a consumer time just moves
        QCOMPARE(clock.Now(), Clock::Duration(milliseconds(123)));
    }

    void steadyClockStepsAndWakes()
    {
        SteadyClock clock(milliseconds(5));
        const auto a = clock.Now();
        const auto b = clock.WaitForNextStep(a);
        QVERIFY(b - a >= milliseconds(4));
        clock.Wake();
        const auto c = clock.WaitForNextStep(b + seconds(10));
        QVERIFY(c - b < seconds(5));
    }
};

QTEST_GUILESS_MAIN(TestManualClock)
#include "tst_manual_clock.moc"

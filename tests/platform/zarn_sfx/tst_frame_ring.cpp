// The ring between the device that drives the show and another device's output.
#include "FrameRing.h"

#include <QtTest>

#include <atomic>
#include <thread>
#include <vector>

using zarn::audio::FrameRing;

class TestFrameRing : public QObject
{
    Q_OBJECT

    static std::vector<float> Frames(int from, int count)
    {
        std::vector<float> stereo;
        for (int i = from; i < from + count; ++i) {
            stereo.push_back(float(i));
            stereo.push_back(-float(i));
        }
        return stereo;
    }

private slots:
    // A full ring takes what fits and counts the rest; an empty one pads with silence and
    // counts it; frames come out in order across the wrap.
    void fullEmptyAndWrapping()
    {
        FrameRing ring(6); // rounded up to 8
        QCOMPARE(ring.Capacity(), 8);
        QCOMPARE(ring.Write(Frames(0, 5).data(), 5), 5);
        std::vector<float> out(2 * 4, 7.0f);
        QCOMPARE(ring.Read(out.data(), 4), 4);
        QCOMPARE(out, Frames(0, 4));
        QCOMPARE(ring.Write(Frames(5, 10).data(), 10), 7); // one still waiting, seven free
        QCOMPARE(ring.DroppedFrames(), uint64_t(3));
        out.assign(2 * 10, 7.0f);
        QCOMPARE(ring.Read(out.data(), 10), 8);
        std::vector<float> expected = Frames(4, 8);
        expected.resize(2 * 10, 0.0f);
        QCOMPARE(out, expected);
        QCOMPARE(ring.MissingFrames(), uint64_t(2));
        QCOMPARE(ring.Available(), 0);
    }

    // One thread writes blocks of one size, another reads blocks of another: every frame
    // that went in comes out once, in order.
    void twoThreadsInStep()
    {
        FrameRing ring(1024);
        constexpr int kTotal = 200000;
        std::atomic<bool> done{false};
        std::thread writer([&] {
            int next = 0;
            while (next < kTotal) {
                const int n = std::min(300, kTotal - next);
                const auto block = Frames(next, n);
                next += ring.Write(block.data(), n);
                std::this_thread::yield();
            }
            done = true;
        });
        int expected = 0;
        bool inOrder = true;
        std::vector<float> out(2 * 257);
        while (expected < kTotal && inOrder) {
            const int got = ring.Read(out.data(), 257);
            for (int i = 0; i < got; ++i)
                inOrder = inOrder && out[size_t(2 * i)] == float(expected + i) && out[size_t(2 * i + 1)] == -float(expected + i);
            expected += got;
            if (got == 0 && done && ring.Available() == 0)
                break;
        }
        writer.join();
        QVERIFY(inOrder);
        QCOMPARE(expected, kTotal);
    }
};

QTEST_GUILESS_MAIN(TestFrameRing)
#include "tst_frame_ring.moc"

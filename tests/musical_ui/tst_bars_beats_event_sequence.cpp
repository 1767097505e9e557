#include "BarsBeatsEventSequence.h"

#include <QtTest>

#include <stdexcept>
#include <string>
#include <vector>

using zarn::qt::BarsBeatsEventSequence;

Q_DECLARE_METATYPE(std::vector<TL::BarsBeats>)

namespace {

using Entries = std::vector<TL::BarsBeats>;

TL::TimelineSequence<TL::BarsBeats> Sequence(Entries entries)
{
    return TL::TimelineSequence<TL::BarsBeats>(std::move(entries));
}

// Two 3/4 bars: "1" at 0, "2" at 1440.
Entries TwoBarsInThree()
{
    return {{0, 1, "1"}, {480, 2, "1"}, {960, 3, "1"}, {1440, 1, "2"}, {1920, 2, "2"}, {2400, 3, "2"}};
}

QStringList Beats(const BarsBeatsEventSequence::BarInfo& bar)
{
    QStringList beats;
    for (std::size_t i = 0; i < bar.GetBeatCount(); ++i)
        beats << QString::fromStdString(bar.GetBeat(i));
    return beats;
}

} // namespace

class TestBarsBeatsEventSequence : public QObject
{
    Q_OBJECT

private slots:
    void barsComeOutInSongOrderWithTheirBeats()
    {
        const auto source = Sequence(TwoBarsInThree());
        BarsBeatsEventSequence index(source);
        QCOMPARE(index.sequence, source);
        QCOMPARE(index.GetBarCount(), std::size_t(2));

        const auto first = index.GetBarInfo(0);
        QCOMPARE(first.tick, 0);
        QCOMPARE(first.GetBarNumber(), std::string("1"));
        QCOMPARE(first.index, 0);
        QCOMPARE(Beats(first), (QStringList{"1", "2", "3"}));
        QCOMPARE(first.GetBeatTick("3"), 960);

        const auto second = index.GetBarInfo(1);
        QCOMPARE(second.tick, 1440);
        QCOMPARE(second.GetBarNumber(), std::string("2"));
        QCOMPARE(second.index, 1);
        QCOMPARE(Beats(second), (QStringList{"1", "2", "3"}));
        QCOMPARE(second.GetBeatTick("1"), 1440);
        QCOMPARE(second.GetBeatTick("2"), 1920);
        QCOMPARE(index.barTickByNumber.at("2"), 1440);

        QVERIFY_THROWS_EXCEPTION(std::out_of_range, second.GetBeatTick("4"));
        QCOMPARE(index.barsByTick.max_load_factor(), 0.75f);
        QCOMPARE(index.barTickByNumber.max_load_factor(), 0.75f);
    }

    void emptySequenceHasNoBars()
    {
        BarsBeatsEventSequence index(Sequence({}));
        QCOMPARE(index.GetBarCount(), std::size_t(0));
        QCOMPARE(index.GetNearestTick(0), 0u);
        QCOMPARE(index.GetNearestTick(12345), 0u);
    }

    // A pickup: beats before the first bar start are kept in an "Unk" record in front.
    void beatsBeforeTheFirstBarFormAnUnknownBar()
    {
        BarsBeatsEventSequence index(Sequence({{0, 3, "0"}, {480, 4, "0"}, {960, 1, "1"}, {1440, 2, "1"}}));
        QCOMPARE(index.GetBarCount(), std::size_t(2));
        QCOMPARE(index.barsByTick.begin()->first, -1);
        const auto pickup = index.GetBarInfo(0);
        QCOMPARE(pickup.tick, 0);
        QCOMPARE(pickup.GetBarNumber(), std::string("Unk"));
        QCOMPARE(pickup.index, 0);
        QCOMPARE(Beats(pickup), (QStringList{"3", "4"}));
        QCOMPARE(pickup.GetBeatTick("4"), 480);

        const auto first = index.GetBarInfo(1);
        QCOMPARE(first.tick, 960);
        QCOMPARE(first.GetBarNumber(), std::string("1"));
        QCOMPARE(first.index, 0);
        QCOMPARE(Beats(first), (QStringList{"1", "2"}));
    }

    void sequenceWithoutBarStartsIsOneUnknownBar()
    {
        BarsBeatsEventSequence index(Sequence({{0, 2, "5"}, {480, 3, "5"}, {960, 12, "5"}}));
        QCOMPARE(index.GetBarCount(), std::size_t(1));
        const auto bar = index.GetBarInfo(0);
        QCOMPARE(bar.GetBarNumber(), std::string("Unk"));
        QCOMPARE(Beats(bar), (QStringList{"2", "3", "12"}));
        QCOMPARE(bar.GetBeatTick("12"), 960);
        QVERIFY(index.barTickByNumber.empty());
    }

    void repeatedNumbersKeepEveryBarAndTheLaterTick()
    {
        // A bar number used twice (a vamp written out), and a beat number met twice in one bar.
        BarsBeatsEventSequence index(
            Sequence({{0, 1, "12A"}, {480, 2, "12A"}, {960, 2, "12A"}, {1440, 1, "12A"}, {1920, 1, "13"}}));
        QCOMPARE(index.GetBarCount(), std::size_t(3));
        QCOMPARE(index.GetBarInfo(0).GetBarNumber(), std::string("12A"));
        QCOMPARE(index.GetBarInfo(1).GetBarNumber(), std::string("12A"));
        QCOMPARE(index.GetBarInfo(1).index, 1);
        QCOMPARE(index.GetBarInfo(2).index, 2);
        QCOMPARE(index.barTickByNumber.at("12A"), 1440);
        QCOMPARE(index.barTickByNumber.size(), std::size_t(2));

        const auto first = index.GetBarInfo(0);
        QCOMPARE(Beats(first), (QStringList{"1", "2", "2"}));
        QCOMPARE(first.GetBeatTick("2"), 960);
    }

    void duplicateBarStartFails_data()
    {
        QTest::addColumn<Entries>("entries");
        QTest::newRow("consecutive bar starts") << Entries{{0, 1, "1"}, {1920, 1, "2"}, {1920, 1, "3"}};
        QTest::newRow("beats between") << Entries{{0, 1, "1"}, {480, 2, "1"}, {0, 1, "2"}, {0, 1, "3"}};
    }
    void duplicateBarStartFails()
    {
        QFETCH(Entries, entries);
        try {
            BarsBeatsEventSequence index(Sequence(entries));
            QFAIL("a duplicate bar start must fail");
        } catch (const std::runtime_error& e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("barBeat with duplicate tick index."));
        }
    }

    // Only the bar start just before is compared: the same tick again after another bar
    // overwrites the earlier record in place.
    void nonConsecutiveDuplicateOverwrites()
    {
        BarsBeatsEventSequence index(Sequence({{0, 1, "1"}, {1920, 1, "2"}, {0, 1, "3"}}));
        QCOMPARE(index.GetBarCount(), std::size_t(2));
        QCOMPARE(index.GetBarInfo(0).GetBarNumber(), std::string("3"));
        QCOMPARE(index.GetBarInfo(0).index, 2);
    }

    void nearestTick_data()
    {
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<uint>("tick");
        QTest::addColumn<uint>("nearest");
        const Entries three{{0, 1, "1"}, {480, 2, "1"}, {960, 3, "1"}};
        QTest::newRow("closer before") << three << 700u << 480u;
        QTest::newRow("halfway takes the earlier") << three << 720u << 480u;
        QTest::newRow("closer after") << three << 721u << 960u;
        QTest::newRow("after the last") << three << 5000u << 960u;
        QTest::newRow("on an entry") << three << 480u << 480u;
        QTest::newRow("on the first") << three << 0u << 0u;
        QTest::newRow("on the last") << three << 960u << 960u;
        const Entries late{{100, 1, "1"}, {580, 2, "1"}};
        QTest::newRow("before the first") << late << 40u << 100u;
        QTest::newRow("zero before the first") << late << 0u << 100u;
        QTest::newRow("single entry") << Entries{{300, 1, "1"}} << 10u << 300u;
        QTest::newRow("single entry, after") << Entries{{300, 1, "1"}} << 9000u << 300u;
        QTest::newRow("beyond 32 bits signed") << Entries{{0, 1, "1"}, {4000000000u, 1, "2"}} << 3999999000u
                                                << 4000000000u;
    }
    void nearestTick()
    {
        QFETCH(Entries, entries);
        QFETCH(uint, tick);
        QFETCH(uint, nearest);
        BarsBeatsEventSequence index(Sequence(entries));
        QCOMPARE(index.GetNearestTick(tick), nearest);
    }

    void boundsOfTheNearestTickSearch()
    {
        BarsBeatsEventSequence index(Sequence({{0, 1, "1"}, {480, 2, "1"}, {960, 3, "1"}}));
        QCOMPARE(index.GetLastIndexAtOrBefore(700), std::size_t(1));
        QCOMPARE(index.GetLastIndexAtOrBefore(5000), std::size_t(3));
        QCOMPARE(index.GetFirstIndexAtOrAfter(700), std::size_t(2));
        QCOMPARE(index.GetFirstIndexAtOrAfter(0), std::size_t(0));
        QCOMPARE(index.GetFirstIndexAtOrAfter(5000), std::size_t(3));
    }
};

QTEST_GUILESS_MAIN(TestBarsBeatsEventSequence)
#include "tst_bars_beats_event_sequence.moc"

#include "SongTimeMap.h"

#include <QtTest>

using namespace zarn::player;

namespace {

SongDefinition Song(std::vector<MeterPoint> meters, uint32_t length, int firstBar = 1, std::vector<BarLabel> bars = {})
{
    SongDefinition s;
    s.number = "1";
    s.lengthTicks = length;
    s.audioEndTick = length;
    s.meters = std::move(meters);
    s.tempos = {{0, 120.0}};
    s.keys = {{0, 0, 0}};
    s.firstBarNumber = firstBar;
    s.bars = std::move(bars);
    return s;
}

std::vector<std::string> Numbers(const SongTimeMap& map)
{
    std::vector<std::string> r;
    for (const auto& b : map.Bars())
        r.push_back(b.number);
    return r;
}

} // namespace

class TestSongTimeMap : public QObject
{
    Q_OBJECT

private slots:
    void barsFollowMetersPickupAndLabels()
    {
        // A one-beat pickup numbered 0, then 3/4 bars, one of them labelled 12A.
        const SongTimeMap map(Song({{0, 1, 4}, {480, 3, 4}}, 480 + 4 * 1440, 0, {{480 + 1440, "12A"}}));
        QCOMPARE(Numbers(map), (std::vector<std::string>{"0", "1", "12A", "2", "3"}));
        QCOMPARE(map.Bars()[0].length, 480u);
        QCOMPARE(map.Bars()[1].tick, 480u);
        QCOMPARE(map.Bars()[2].length, 1440u);
        // A numeric label restarts the count.
        const SongTimeMap renumbered(Song({{0, 4, 4}}, 4 * 1920, 1, {{1920, "20"}}));
        QCOMPARE(Numbers(renumbered), (std::vector<std::string>{"1", "20", "21", "22"}));
    }

    void gridBeatsAndClicks()
    {
        const SongTimeMap map(Song({{0, 6, 8}}, 2 * 1440));
        const auto plain = map.BuildGrid({});
        QCOMPARE(plain.size(), size_t(12));
        QCOMPARE(plain[1].tick, 240u);
        QCOMPARE(plain[6].beat, 1);
        QCOMPARE(plain[6].bar, std::string("2"));
        // A click of value 3 (640 ticks) does not divide a 6/8 bar of 1440 ticks.
        const auto values = map.ClickValues(0, 1440);
        QVERIFY(std::find(values.begin(), values.end(), 3) == values.end());
        // A sixteenth-note click over bar 2 only.
        const auto clicked = map.BuildGrid({{1440, 2880, 16}});
        QCOMPARE(clicked.size(), size_t(6 + 12));
        QCOMPARE(clicked[7].tick, 1440u + 120u);
        QCOMPARE(clicked[7].beat, 2);
    }

    void clickValuesFitEveryBar()
    {
        const SongTimeMap common(Song({{0, 4, 4}}, 4 * 1920));
        QCOMPARE(common.ClickValues(0, 1920), (std::vector<int>{1, 2, 4, 8, 16, 32, 3, 6, 12, 24}));
        const SongTimeMap waltz(Song({{0, 3, 4}}, 4 * 1440));
        QCOMPARE(waltz.ClickValues(0, 1440), (std::vector<int>{4, 8, 16, 32, 12, 24}));
    }

    void texts()
    {
        QCOMPARE(SongTimeMap::BarBeatText({0, 3, "12"}), std::string("0012|03"));
        QCOMPARE(SongTimeMap::BarBeatText({0, 1, "12A"}), std::string("012A|01"));
        QCOMPARE(SongTimeMap::KeyText({0, -3, 0}), std::string("Eb major"));
        QCOMPARE(SongTimeMap::KeyText({0, 1, 1}), std::string("E minor"));
        QCOMPARE(SongTimeMap::ScaleText(1.1), std::string("110%"));
        QCOMPARE(SongTimeMap::TempoText(96.0), std::string("96 BPM"));
        const SongTimeMap map(Song({{0, 4, 4}}, 4 * 1920));
        const auto grid = map.BuildGrid({});
        QCOMPARE(SongTimeMap::BarString(grid, 1920 + 960), std::string("2.3"));
        QCOMPARE(SongTimeMap::BarString(grid, 1920 + 1000), std::string("2.3+40"));
        QCOMPARE(SongTimeMap::NearestIndex(grid, 240), size_t(0)); // a tie goes to the earlier entry
        QCOMPARE(SongTimeMap::NearestIndex(grid, 241), size_t(1));
    }

    void secondsAcrossTempoAndScale()
    {
        SongDefinition s = Song({{0, 4, 4}}, 8 * 1920);
        s.tempos = {{0, 120.0}, {1920, 60.0}};
        const SongTimeMap map(s);
        QCOMPARE(map.SecondsBetween(0, 1920, {}), 2.0);
        QCOMPARE(map.SecondsBetween(960, 2400, {}), 1.0 + 1.0);
        QCOMPARE(map.SecondsBetween(0, 1920, {{0, 960, 2.0}}), 0.5 + 1.0);
    }
};

QTEST_GUILESS_MAIN(TestSongTimeMap)
#include "tst_song_time_map.moc"

// The bar and beat lines and the audio regions of the timeline's bars area, built through
// the timeline controller on hand-made sequences of the fake engine and on the real index
// of the demo show.
#include "ShowFakeEngine.h"
#include "TimelineFixture.h"

#include <QQuickItem>
#include <QtTest>

#include <memory>

using namespace zarn::qt;
using Sequence = TL::TimelineSequence<TL::BarsBeats>;

namespace {

struct Line
{
    QString label;
    int basePos;
    bool isBar;
};

std::vector<Line> Lines(const BarsBeatsViewController& view)
{
    std::vector<Line> lines;
    for (const auto& item : view.GetItems()) {
        QObject* o = item->GetQmlObject();
        lines.push_back({o->property("barLabel").toString(), o->property("basePos").toInt(),
                         o->property("isBar").toBool()});
    }
    return lines;
}

QObject* Qml(const BarsBeatsViewController& view, std::size_t i)
{
    return view.GetItems().at(i)->GetQmlObject();
}

} // namespace

class TestBarsBeatsView : public QObject
{
    Q_OBJECT

    std::shared_ptr<ShowFakeEngine> fake_;
    std::unique_ptr<TimelineFixture> f_;

    const BarsBeatsViewController& Load(Sequence sequence, std::uint32_t length, std::uint32_t audioEnd,
                                        bool tailAsFade = true)
    {
        f_.reset();
        fake_ = std::make_shared<ShowFakeEngine>();
        fake_->nullSongLog = true;
        fake_->barsBeats["1"] = std::move(sequence);
        fake_->songLength = length;
        fake_->audioEndTick = audioEnd;
        f_ = std::make_unique<TimelineFixture>(fake_, tailAsFade, true);
        f_->LoadSong("1");
        return *f_->controller->GetBarsBeatsView();
    }

    QObject* Bars() { return f_->timeline->property("barsRegion").value<QObject*>(); }

    // Width in pixels of a bar line labelled "1" at scale 1: the thinning tests place their
    // lines by it, since label widths come from the font.
    int LabelWidth()
    {
        const auto& view = Load(Sequence({TL::BarsBeats(0, 1, "1")}), 100000, 100000);
        return view.GetItems().front()->GetRightEdge();
    }

private slots:
    void cleanup()
    {
        f_.reset();
    }

    void linesStopBeforeTheEnd()
    {
        std::vector<TL::BarsBeats> entries;
        for (int b = 0; b < 3; ++b)
            for (int k = 0; k < 4; ++k)
                entries.emplace_back(b * 2000 + k * 500, k + 1, std::to_string(b + 1));
        const auto& view = Load(Sequence(entries), 5000, 5000);
        const std::vector<Line> lines = Lines(view);
        QCOMPARE(lines.size(), std::size_t(11));
        QCOMPARE(lines[0].label, QStringLiteral("1"));
        QVERIFY(lines[0].isBar);
        QCOMPARE(lines[1].label, QStringLiteral("2"));
        QVERIFY(!lines[1].isBar);
        QCOMPARE(lines[1].basePos, 20);
        QCOMPARE(lines[9].basePos, 180); // the beat at 4500; none at or after 5000
        const Line& end = lines.back();
        QCOMPARE(end.label, QString());
        QVERIFY(end.isBar);
        QCOMPARE(end.basePos, 200);
        QVERIFY(Qml(view, 10)->property("isEndBar").toBool());
        QVERIFY(!Qml(view, 9)->property("isEndBar").toBool());
        // The first line on top, each later one below; the end bar shares the last step and
        // the fade box lies below it.
        QCOMPARE(qobject_cast<QQuickItem*>(Qml(view, 0))->z(), 0.0);
        QCOMPARE(qobject_cast<QQuickItem*>(Qml(view, 9))->z(), -9.0);
        QCOMPARE(qobject_cast<QQuickItem*>(Qml(view, 10))->z(), -10.0);
        QCOMPARE(Bars()->property("audioFadeBoxControl").value<QObject*>()->property("z").toInt(), -11);
    }

    void beatsBeforeTheFirstBar()
    {
        const auto& view = Load(Sequence({TL::BarsBeats(0, 2, "1"), TL::BarsBeats(500, 3, "1"),
                                          TL::BarsBeats(1000, 1, "2")}),
                                4000, 4000);
        const std::vector<Line> lines = Lines(view);
        QCOMPARE(lines.size(), std::size_t(4));
        QCOMPARE(lines[0].label, QStringLiteral("Unk"));
        QVERIFY(lines[0].isBar);
        QCOMPARE(lines[1].label, QStringLiteral("3")); // the first beat has no line of its own
        QCOMPARE(lines[1].basePos, 20);
        QCOMPARE(lines[2].label, QStringLiteral("2"));
    }

    void demoShowIndex()
    {
        TimelineFixture f;
        f.LoadSong("1");
        const auto& view = *f.controller->GetBarsBeatsView();
        const std::uint32_t length = f.engine->GetSongLength("1");
        QVERIFY(view.GetItems().size() > 10);
        for (const auto& item : view.GetItems())
            QVERIFY(item->GetQmlObject()->property("basePos").toInt() <= static_cast<int>(length / 25));
        QCOMPARE(view.GetItems().back()->GetQmlObject()->property("basePos").toInt(), static_cast<int>(length / 25));
        QCOMPARE(view.GetItems().front()->GetQmlObject()->property("barLabel").toString(),
                 QString::fromStdString(f.editModel->barsBeats->GetBarInfo(0).GetBarNumber()));
    }

    void audioRegions_data()
    {
        QTest::addColumn<bool>("tailAsFade");
        QTest::addColumn<uint>("length");
        QTest::addColumn<uint>("audioEnd");
        QTest::addColumn<uint>("startTick");
        QTest::addColumn<QList<int>>("expected"); // fade width, fade pos, out width, out pos, in width

        QTest::newRow("audio ends with the song") << true << 5000u << 5000u << 0u << QList<int>{0, 200, 0, 0, 0};
        QTest::newRow("tail as fade, cut") << true << 5000u << 6010u << 0u << QList<int>{40, 200, 0, 0, 0};
        QTest::newRow("tail not drawn") << false << 5000u << 6010u << 0u << QList<int>{0, 0, -40, 240, 0};
        QTest::newRow("audio ends early") << true << 5010u << 4000u << 0u << QList<int>{0, 0, 40, 160, 0};
        QTest::newRow("in region") << true << 5000u << 5000u << 1010u << QList<int>{0, 200, 0, 0, 40};
    }

    void audioRegions()
    {
        QFETCH(bool, tailAsFade);
        QFETCH(uint, length);
        QFETCH(uint, audioEnd);
        QFETCH(uint, startTick);
        QFETCH(QList<int>, expected);
        f_.reset();
        fake_ = std::make_shared<ShowFakeEngine>();
        fake_->nullSongLog = true;
        fake_->barsBeats["1"] = Sequence({TL::BarsBeats(0, 1, "1")});
        fake_->songLength = length;
        fake_->audioEndTick = audioEnd;
        fake_->currentStartTick = startTick;
        f_ = std::make_unique<TimelineFixture>(fake_, tailAsFade, true);
        f_->LoadSong("1");
        QObject* bars = Bars();
        const QList<int> actual{bars->property("audioFadeRegionWidth").toInt(),
                                bars->property("audioFadeRegionPos").toInt(),
                                bars->property("audioOutRegionWidth").toInt(),
                                bars->property("audioOutRegionPos").toInt(),
                                bars->property("audioInRegionWidth").toInt()};
        QCOMPARE(actual, expected);
        QCOMPARE(bars->property("audioInRegionPos").toInt(), 0);
    }

    void barLabelsNeedTwentyPixels()
    {
        const int w = LabelWidth();
        for (int gap : {20, 21}) {
            const int second = w + gap;
            const auto& view = Load(Sequence({TL::BarsBeats(0, 1, "1"), TL::BarsBeats(second * 25, 1, "2"),
                                              TL::BarsBeats((second + 200) * 25, 1, "3")}),
                                    (second + 400) * 25, (second + 400) * 25);
            QCOMPARE(view.GetItems()[1]->GetX(), second);
            QCOMPARE(Qml(view, 1)->property("visible").toBool(), gap > 20);
            QVERIFY(Qml(view, 0)->property("visible").toBool());
            QVERIFY(Qml(view, 2)->property("visible").toBool());
        }
    }

    void theEndBarWinsOverTheBarBeforeIt()
    {
        const int w = LabelWidth();
        const auto& view = Load(Sequence({TL::BarsBeats(0, 1, "1"), TL::BarsBeats((w + 100) * 25, 1, "2")}),
                                (2 * w + 110) * 25, (2 * w + 110) * 25);
        QCOMPARE(view.GetItems().size(), std::size_t(3));
        QVERIFY(Qml(view, 0)->property("visible").toBool());
        QVERIFY(!Qml(view, 1)->property("visible").toBool());
        QVERIFY(Qml(view, 2)->property("visible").toBool());
    }

    void beatLabelsNeedFourPixels()
    {
        const int w = LabelWidth();
        for (int gap : {4, 5}) {
            const int beat = w + gap;
            const auto& view = Load(Sequence({TL::BarsBeats(0, 1, "1"), TL::BarsBeats(beat * 25, 2, "1"),
                                              TL::BarsBeats((beat + 400) * 25, 1, "2")}),
                                    (beat + 800) * 25, (beat + 800) * 25);
            // At scale 1 a beat that does not fit keeps its line and loses its label.
            QVERIFY(Qml(view, 1)->property("visible").toBool());
            QCOMPARE(Qml(view, 1)->property("showLabel").toBool(), gap > 4);
        }
    }

    void aBarAfterAShownBeatPushesItsLabelOut()
    {
        const int w = LabelWidth();
        const int beat = w + 10;
        const auto& view = Load(Sequence({TL::BarsBeats(0, 1, "1"), TL::BarsBeats(beat * 25, 2, "1"),
                                          TL::BarsBeats((beat + 3) * 25, 1, "2"),
                                          TL::BarsBeats((beat + 300) * 25, 2, "2"),
                                          TL::BarsBeats((beat + 600) * 25, 1, "3")}),
                                (beat + 900) * 25, (beat + 900) * 25);
        QVERIFY(Qml(view, 2)->property("visible").toBool()); // the bar is shown
        QVERIFY(!Qml(view, 1)->property("showLabel").toBool()); // the beat's label goes
        QVERIFY(Qml(view, 1)->property("visible").toBool());
        // The next bar's beats then lose their labels as a group, though this one fits.
        QVERIFY(!Qml(view, 3)->property("showLabel").toBool());
    }

    void beatsFadeBelowScaleOne()
    {
        std::vector<TL::BarsBeats> entries;
        for (int b = 0; b < 4; ++b)
            for (int k = 0; k < 4; ++k)
                entries.emplace_back(b * 4000 + k * 1000, k + 1, std::to_string(b + 1));
        const auto& view = Load(Sequence(entries), 16000, 16000);
        QObject* beat = Qml(view, 1);
        QObject* bar = Qml(view, 4);
        QObject* fade = beat->property("fade").value<QObject*>();
        QObject* line = beat->property("line").value<QObject*>();
        QCOMPARE(fade->property("duration").toInt(), 500);
        QVERIFY(beat->property("visible").toBool());

        f_->timeline->setProperty("viewScale", 0.5);
        QVERIFY(fade->property("running").toBool());
        QTRY_VERIFY(!beat->property("visible").toBool());
        QCOMPARE(line->property("opacity").toDouble(), 0.0);
        QVERIFY(bar->property("visible").toBool());

        // Faded out already: no new fade-out starts.
        QMetaObject::invokeMethod(beat, "fadeOutMethod");
        QVERIFY(!fade->property("running").toBool());

        // The same scale again runs no layout: a label changed by hand stays as it is.
        bar->setProperty("showLabel", false);
        f_->controller->GetBarsBeatsView()->SetViewScale(0.5, false);
        QVERIFY(!bar->property("showLabel").toBool());

        f_->timeline->setProperty("viewScale", 1.0);
        QVERIFY(bar->property("showLabel").toBool());
        QTRY_COMPARE(line->property("opacity").toDouble(), 1.0);
        QVERIFY(beat->property("visible").toBool());
    }

    void aRebuildBelowScaleOneShowsTheBeatsThatFit()
    {
        std::vector<TL::BarsBeats> entries;
        for (int b = 0; b < 2; ++b)
            for (int k = 0; k < 4; ++k)
                entries.emplace_back(b * 8000 + k * 2000, k + 1, std::to_string(b + 1));
        Load(Sequence(entries), 16000, 16000);
        f_->timeline->setProperty("viewScale", 0.5);
        f_->controller->Refresh();
        const auto& view = *f_->controller->GetBarsBeatsView();
        QVERIFY(Qml(view, 1)->property("visible").toBool());
    }
};

QTEST_MAIN(TestBarsBeatsView)
#include "tst_bars_beats_view.moc"

// The timeline controller on the harness window: on the real engine over the engine
// fixture's show, and on the fake engine where a call or a failure must be seen.
#include "EngineFixture.h"
#include "MarkerListSelection.h"
#include "ShowFakeEngine.h"
#include "TimelineFixture.h"
#include "zarn_core/CallbackDispatcher.h"
#include "zarn_core/Caesura.h"
#include "zarn_core/Click.h"
#include "zarn_core/Cut.h"
#include "zarn_core/Fermata.h"
#include "zarn_core/Marker.h"
#include "zarn_core/NotifyNames.h"
#include "zarn_core/Osc.h"
#include "zarn_core/Repeat.h"
#include "zarn_core/TempoScale.h"
#include "zarn_core/Transpose.h"
#include "zarn_core/Vamp.h"

#include <QElapsedTimer>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace zarn::qt;

namespace {

// Bars of 2000 ticks with beats every 500, so halfway points fall on whole position units.
TL::TimelineSequence<TL::BarsBeats> Grid(int bars, std::uint32_t barTicks = 2000)
{
    std::vector<TL::BarsBeats> entries;
    for (int b = 0; b < bars; ++b) {
        for (int k = 0; k < 4; ++k)
            entries.emplace_back(b * barTicks + k * (barTicks / 4), k + 1, std::to_string(b + 1));
    }
    return TL::TimelineSequence<TL::BarsBeats>(std::move(entries));
}

std::shared_ptr<ShowFakeEngine> MakeFake()
{
    auto fake = std::make_shared<ShowFakeEngine>();
    fake->songLength = 80000;
    fake->audioEndTick = 82000;
    fake->barsBeats["1"] = Grid(40);
    fake->barsBeats["2"] = Grid(10);
    CL::SongLog& log = fake->songLog;
    log.Insert(CL::Fermata(2000, 4000, "M1", 0));
    log.Insert(CL::Vamp(6010, 8000, "V1", 2));
    log.Insert(CL::Cut(10000, 12000, "B1", 0));
    log.Insert(CL::Repeat(14000, 16000, "A1", 0));
    log.Insert(CL::Caesura(18000, "N1", 0));
    log.Insert(CL::Marker(20000, "Letter A", "E1"));
    log.Insert(CL::Marker(40000, "Letter B", "E2"));
    log.Insert(CL::Transpose(22000, 24000, "C1", -2));
    log.Insert(CL::Click(26000, 28000, "L1", 8));
    log.Insert(CL::TempoScale(30000, 32000, "D1", 1.5));
    log.Insert(CL::Osc(34000, "S1", CL::OscProperties("/zarn/sfx/Door/play", "NETWORK0")));
    fake->timeline = TL::Timeline(
        TL::TimelineSequence<TL::KeySignature>({{0, 0, 0}, {40000, 0, -3}}),
        TL::TimelineSequence<TL::TempoChange>({{0, TL::Tempo(120)}, {40000, TL::Tempo(96.5)}}),
        TL::TimelineSequence<TL::MeterChange>({{0, 4, 4}, {40000, 3, 4}}));
    return fake;
}

// The fake engine with every kind of event, on the harness, with song 1 loaded.
struct Loaded
{
    Loaded() { f.LoadSong("1"); }

    std::shared_ptr<ShowFakeEngine> fake = MakeFake();
    TimelineFixture f{fake};
};

template <class List>
QStringList Labels(const List& items)
{
    QStringList labels;
    for (const auto& item : items)
        labels << item->GetQmlObject()->property("labelText").toString();
    return labels;
}

int Count(const ShowFakeEngine& fake, const std::string& call)
{
    return static_cast<int>(std::count(fake.calls().begin(), fake.calls().end(), call));
}

} // namespace

class TestTimelineController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A wrong signature string must fail, not only warn.
        QTest::failOnWarning(QRegularExpression("QObject::connect"));
    }

    void itemsPerRowOnTheFake()
    {
        Loaded loaded;
        auto& fake = loaded.fake;
        TimelineFixture& f = loaded.f;
        TimelineController& c = *f.controller;

        std::vector<int> kinds;
        std::vector<QObject*> rows;
        for (const auto& item : c.GetRegionItems()) {
            kinds.push_back(item->GetKind());
            rows.push_back(item->GetQmlObject()->parent());
        }
        QCOMPARE(kinds, (std::vector<int>{1, 3, 0, 2, 5, 6, 4}));
        QCOMPARE(rows, (std::vector<QObject*>{f.Row("editsBar"), f.Row("editsBar"), f.Row("editsBar"),
                                              f.Row("editsBar"), f.Row("keyMarkersBar"),
                                              f.Row("meterMarkersBar"), f.Row("tempoMarkersBar")}));
        // 6010 ticks are 240.4 units: items take whole units, cut toward zero.
        QObject* vamp = c.GetRegionItems()[1]->GetQmlObject();
        QCOMPARE(vamp->property("basePosition").toDouble(), 240.0);
        QCOMPARE(vamp->property("baseWidth").toDouble(), 79.0);
        QCOMPARE(c.GetCaesuraItems().size(), std::size_t(1));
        QCOMPARE(c.GetCaesuraItems()[0]->GetQmlObject()->parent(), f.Row("editsBar"));
        QCOMPARE(Labels(c.GetMarkerItems()), (QStringList{" Letter A", " Letter B"}));
        QCOMPARE(Labels(c.GetKeyItems()), (QStringList{" C", " Eb"}));
        QCOMPARE(Labels(c.GetTempoItems()), (QStringList{" 120.00", " 96.50"}));
        QCOMPARE(Labels(c.GetMeterItems()), (QStringList{" 4/4", " 3/4"}));
        QCOMPARE(c.GetKeyItems()[0]->GetQmlObject()->parent(), f.Row("keyMarkersBar"));
        QCOMPARE(c.GetTempoItems()[0]->GetQmlObject()->parent(), f.Row("tempoMarkersBar"));
        QCOMPARE(c.GetMeterItems()[0]->GetQmlObject()->parent(), f.Row("meterMarkersBar"));
        QCOMPARE(c.GetMarkerItems()[0]->GetQmlObject()->parent(), f.Row("markersBar"));
        QVERIFY(c.GetMarkerItems()[0]->IsEditable());
        QVERIFY(!c.GetKeyItems()[0]->IsEditable());
        QVERIFY(c.GetKeyItems()[0]->GetEvent() == nullptr);
        QCOMPARE(c.GetGlyphItems().size(), std::size_t(1));
        QCOMPARE(c.GetGlyphItems()[0]->GetQmlObject()->parent(), f.Row("effectBar"));
        QCOMPARE(c.GetGlyphItems()[0]->GetQmlObject()->property("glyphPath").toUrl(), QUrl("qrc:/images/lan.svg"));
        // The greater of the length and the audio end, plus 200 units.
        QCOMPARE(f.timeline->property("baseWidth").toInt(), 82000 / 25 + 200);
        QCOMPARE(f.timeline->property("viewScale").toDouble(), 1.0);
        QVERIFY(Count(*fake, "GetBarsBeats(1)") >= 1);
        QVERIFY(!c.GetBarsBeatsView()->GetItems().empty());
    }

    void songWithoutEventsKeepsItsTimeline()
    {
        auto fake = MakeFake();
        fake->nullSongLog = true;
        TimelineFixture f(fake);
        f.LoadSong("2");
        TimelineController& c = *f.controller;
        QVERIFY(c.GetRegionItems().empty());
        QVERIFY(c.GetMarkerItems().empty());
        QVERIFY(c.GetGlyphItems().empty());
        QCOMPARE(c.GetKeyItems().size(), std::size_t(2));
        QCOMPARE(c.GetTempoItems().size(), std::size_t(2));
        QCOMPARE(c.GetMeterItems().size(), std::size_t(2));
        QVERIFY(!c.GetBarsBeatsView()->GetItems().empty());
    }

    void realEngineSongs()
    {
        EngineFixture engineFixture;
        engineFixture.WriteShow();
        std::shared_ptr<Interface> engine = engineFixture.MakeEngine();
        TimelineFixture f(engine);
        f.LoadSong("1");
        TimelineController& c = *f.controller;
        QCOMPARE(Labels(c.GetMarkerItems()), (QStringList{" Letter A", " Letter B"}));
        QCOMPARE(c.GetRegionItems().size(), std::size_t(7));
        QCOMPARE(c.GetCaesuraItems().size(), std::size_t(1));
        QCOMPARE(c.GetGlyphItems().size(), std::size_t(1));
        QCOMPARE(Labels(c.GetKeyItems()), (QStringList{" C"}));
        QCOMPARE(Labels(c.GetTempoItems()), (QStringList{" 120.00"}));
        QCOMPARE(Labels(c.GetMeterItems()), (QStringList{" 4/4"}));
        QCOMPARE(f.timeline->property("baseWidth").toInt(), 40320 / 25 + 200);

        f.LoadSong("2"); // no change-log events
        QVERIFY(c.GetRegionItems().empty());
        QVERIFY(c.GetMarkerItems().empty());
        QCOMPARE(Labels(c.GetKeyItems()), (QStringList{" Bb"}));
        QCOMPARE(Labels(c.GetMeterItems()), (QStringList{" 3/4"}));
        QVERIFY(!c.GetBarsBeatsView()->GetItems().empty());
    }

    void playheadAndItsView()
    {
        Loaded loaded;
        TimelineFixture& f = loaded.f;
        TimelineController& c = *f.controller;
        QObject* playhead = f.timeline->property("playheadItem").value<QObject*>();
        QObject* flick = f.timeline->property("flickable").value<QObject*>();
        QSignalSpy moves(f.timeline, SIGNAL(setViewStart(int)));

        flick->setProperty("contentX", 100.0);
        const int start = f.timeline->property("viewStart").toInt() * 25;
        const int end = f.timeline->property("viewEnd").toInt() * 25;
        QCOMPARE(start, 2500);

        struct Case { int tick; int basePos; int jumpTo; };
        const Case cases[] = {
            {start, (start - 8) / 25, -1},
            {end, (end - 8) / 25, -1},
            {start - 1, (start - 9) / 25, (start - 1) / 25},
            {end + 1, (end - 7) / 25, (end + 1) / 25},
            {8, 0, 0},
            {78, 2, 3}, // 2.8 units: cut, not rounded
        };
        for (const Case& k : cases) {
            flick->setProperty("contentX", 100.0);
            moves.clear();
            c.SetPlayhead(k.tick);
            QCOMPARE(playhead->property("basePos").toInt(), k.basePos);
            if (k.jumpTo < 0) {
                QVERIFY2(moves.isEmpty(), qPrintable(QString::number(k.tick)));
            } else {
                QCOMPARE(moves.size(), 1);
                QCOMPARE(moves.at(0).at(0).toInt(), k.jumpTo);
            }
        }
    }

    void suspensionIsNeitherRestartedNorExtended()
    {
        Loaded loaded;
        TimelineFixture& f = loaded.f;
        TimelineController& c = *f.controller;
        QSignalSpy moves(f.timeline, SIGNAL(setViewStart(int)));

        QElapsedTimer clock;
        clock.start();
        c.SuspendAutoScroll(100);
        QVERIFY(c.IsAutoScrollSuspended());
        QTRY_VERIFY(clock.elapsed() >= 50);
        c.SuspendAutoScroll(100);
        QCOMPARE(c.findChildren<QTimer*>().size(), 1);
        c.SetPlayhead(60000); // outside: lost while suspended
        QVERIFY(moves.isEmpty());

        QTRY_VERIFY(!c.IsAutoScrollSuspended());
        QVERIFY(clock.elapsed() >= 100);
        c.SetPlayhead(70000);
        QCOMPARE(moves.size(), 1);
        QCOMPARE(moves.at(0).at(0).toInt(), 2800);
    }

    void clicksSeekToTheNearestBeat_data()
    {
        QTest::addColumn<int>("pos");
        QTest::addColumn<QString>("seek");
        QTest::newRow("halfway: the earlier") << 10 << "Seek(0)";
        QTest::newRow("past halfway") << 11 << "Seek(500)";
        QTest::newRow("beyond the end") << 100000 << "Seek(79500)";
        QTest::newRow("on a beat") << 40 << "Seek(1000)";
    }

    void clicksSeekToTheNearestBeat()
    {
        QFETCH(int, pos);
        QFETCH(QString, seek);
        Loaded loaded;
        auto& fake = loaded.fake;
        TimelineFixture& f = loaded.f;
        QSignalSpy clicked(f.controller.get(), &TimelineController::timelineClicked);
        fake->clearCalls();
        QMetaObject::invokeMethod(f.timeline, "timelineClicked", Q_ARG(int, pos));
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(Count(*fake, seek.toStdString()), 1);
    }

    void aClickWithoutAnIndexOnlyReportsIt()
    {
        auto fake = MakeFake();
        TimelineFixture f(fake);
        f.editModel->barsBeats.reset();
        QSignalSpy clicked(f.controller.get(), &TimelineController::timelineClicked);
        fake->clearCalls();
        QMetaObject::invokeMethod(f.timeline, "timelineClicked", Q_ARG(int, 40));
        QCOMPARE(clicked.size(), 1);
        for (const std::string& call : fake->calls())
            QVERIFY2(call.rfind("Seek(", 0) != 0, call.c_str());
    }

    void markerLabelsMakeRoomStrictly()
    {
        Loaded loaded;
        auto& fake = loaded.fake;
        TimelineFixture& f = loaded.f;
        TimelineController& c = *f.controller;
        const int rightEdge = c.GetMarkerItems()[0]->GetRightEdge();
        const int firstX = c.GetMarkerItems()[0]->GetX();
        QCOMPARE(firstX, 800);

        // The second marker exactly 10 pixels after the first label's right edge, then 11.
        for (int gap : {10, 11}) {
            fake->songLog.Remove(*c.GetMarkerItems()[1]->GetEvent());
            fake->songLog.Insert(CL::Marker(static_cast<std::uint32_t>((rightEdge + gap) * 25), "Letter B", "E2"));
            c.Refresh();
            QCOMPARE(c.GetMarkerItems()[1]->GetX(), rightEdge + gap);
            QCOMPARE(c.GetMarkerItems()[0]->GetQmlObject()->property("visibleLabel").toBool(), gap > 10);
            QVERIFY(c.GetMarkerItems()[1]->GetQmlObject()->property("visibleLabel").toBool()); // the last
        }

        // Tempo and meter changes at one tick: each row is judged on its own.
        fake->timeline = TL::Timeline(TL::TimelineSequence<TL::KeySignature>(),
                                      TL::TimelineSequence<TL::TempoChange>({{0, TL::Tempo(120)}, {50, TL::Tempo(90)}}),
                                      TL::TimelineSequence<TL::MeterChange>({{0, 4, 4}}));
        c.Refresh();
        QVERIFY(!c.GetTempoItems()[0]->GetQmlObject()->property("visibleLabel").toBool());
        QVERIFY(c.GetTempoItems()[1]->GetQmlObject()->property("visibleLabel").toBool());
        QVERIFY(c.GetMeterItems()[0]->GetQmlObject()->property("visibleLabel").toBool());
    }

    void markerChosenInTheList()
    {
        Loaded loaded;
        TimelineFixture& f = loaded.f;
        QObject* playhead = f.timeline->property("playheadItem").value<QObject*>();
        QSignalSpy moves(f.timeline, SIGNAL(setViewStart(int)));
        f.controller->SuspendAutoScroll(250); // the list click's own suspension

        MarkerListSelection playing{60000, true};
        notify::callbackDispatcher.Notify(notify::names::editControllerMarkerListSelected, &playing);
        QCOMPARE(playhead->property("basePos").toInt(), 0);
        QVERIFY(moves.isEmpty());

        MarkerListSelection stopped{60000, false};
        notify::callbackDispatcher.Notify(notify::names::editControllerMarkerListSelected, &stopped);
        QCOMPARE(playhead->property("basePos").toInt(), (60000 - 8) / 25);
        QCOMPARE(moves.size(), 1);
        QCOMPARE(moves.at(0).at(0).toInt(), 2400);
    }

    void eventRowSelectsAndScrolls_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<bool>("suspended");
        QTest::newRow("scale 0.5") << 0.5 << false;
        QTest::newRow("scale 2") << 2.0 << false;
        QTest::newRow("scale 2, suspended") << 2.0 << true;
    }

    void eventRowSelectsAndScrolls()
    {
        QFETCH(double, scale);
        QFETCH(bool, suspended);
        Loaded loaded;
        TimelineFixture& f = loaded.f;
        TimelineController& c = *f.controller;
        f.timeline->setProperty("viewScale", scale);
        QCOMPARE(c.GetViewScale(), scale);
        if (suspended)
            c.SuspendAutoScroll(250);

        const auto& cut = c.GetRegionItems()[2];
        QCOMPARE(cut->GetKind(), 0);
        c.SelectEventItem(MakeEventInfoItem(*cut->GetEvent()));
        for (const auto& item : c.GetRegionItems())
            QCOMPARE(item->IsSelected(), item.get() == cut.get());
        QVERIFY(!c.GetMarkerItems()[0]->IsSelected());
        QCOMPARE(f.timeline->property("viewStart").toInt(), 10000 / 25);
    }

    void markerRowSelectsWithoutScrolling()
    {
        Loaded loaded;
        TimelineFixture& f = loaded.f;
        TimelineController& c = *f.controller;
        QSignalSpy moves(f.timeline, SIGNAL(setViewStart(int)));
        c.SelectMarkerItem(MarkerInfoItem("Letter B", "bar 21", 40000));
        QVERIFY(!c.GetMarkerItems()[0]->IsSelected());
        QVERIFY(c.GetMarkerItems()[1]->IsSelected());
        QVERIFY(moves.isEmpty());
        c.SelectMarkerItem(MarkerInfoItem("Letter B", "", 40001));
        QVERIFY(!c.GetMarkerItems()[1]->IsSelected());
    }

    void itemSignalsReachTheController()
    {
        Loaded loaded;
        TimelineFixture& f = loaded.f;
        TimelineController& c = *f.controller;
        QSignalSpy selected(&c, &TimelineController::EditSelectedSignal);
        QSignalSpy doubled(&c, &TimelineController::EditDoubleClickedSignal);
        QSignalSpy dragged(&c, &TimelineController::EditDraggedSignal);

        const auto& vamp = c.GetRegionItems()[1];
        c.GetMarkerItems()[0]->SetSelected(true);
        for (int click = 0; click < 2; ++click) {
            QMetaObject::invokeMethod(vamp->GetQmlObject(), "clicked");
            QVERIFY(vamp->IsSelected()); // a second click keeps it selected
            QCOMPARE(selected.size(), click + 1);
            QCOMPARE(selected.last().at(0).value<const cmn::ZarnEvent*>(), vamp->GetEvent());
        }
        QVERIFY(!c.GetMarkerItems()[0]->IsSelected());

        QMetaObject::invokeMethod(c.GetCaesuraItems()[0]->GetQmlObject(), "doubleClicked");
        QCOMPARE(doubled.size(), 1);

        QMetaObject::invokeMethod(vamp->GetQmlObject(), "dragged", Q_ARG(int, 10), Q_ARG(int, 21),
                                  Q_ARG(bool, false), Q_ARG(bool, true));
        QCOMPARE(dragged.size(), 1);
        QCOMPARE(dragged.at(0).at(1).toInt(), 250);
        QCOMPARE(dragged.at(0).at(2).toInt(), 525);
        QCOMPARE(dragged.at(0).at(4).toBool(), true);
        QVERIFY(c.IsAutoScrollSuspended());
        QTRY_VERIFY(!c.IsAutoScrollSuspended());
    }

    void aDragThatRebuildsTheTimeline()
    {
        Loaded loaded;
        TimelineFixture& f = loaded.f;
        TimelineController& c = *f.controller;
        // As the edit controller does: the items go while the dragged one is still emitting.
        connect(&c, &TimelineController::EditDraggedSignal, &c, [&c] {
            c.ResetItems();
            c.Refresh();
        });
        QPointer<QObject> oldItem = c.GetRegionItems()[0]->GetQmlObject();
        QMetaObject::invokeMethod(oldItem, "dragged", Q_ARG(int, 1), Q_ARG(int, 2), Q_ARG(bool, false),
                                  Q_ARG(bool, false));
        QCOMPARE(c.GetRegionItems().size(), std::size_t(7));
        TimelineFixture::FlushDeletes();
        QVERIFY(oldItem.isNull());
    }

    void failuresOfASongLoadAreReported()
    {
        Loaded loaded;
        auto& fake = loaded.fake;
        TimelineFixture& f = loaded.f;
        TimelineController& c = *f.controller;
        const int width = f.timeline->property("baseWidth").toInt();
        const auto index = f.editModel->barsBeats;
        QSignalSpy errors(&c, &QmlController::error);

        fake->throwOnBarsBeats = true;
        f.LoadSong("2");
        fake->throwOnBarsBeats = false;
        fake->barsBeats["10"] = TL::TimelineSequence<TL::BarsBeats>(
            {TL::BarsBeats(0, 1, "1"), TL::BarsBeats(0, 1, "2")});
        f.LoadSong("10");

        QCOMPARE(errors.size(), 2);
        QCOMPARE(errors.at(0).at(0).value<std::string>(),
                 std::string("The timeline could not be drawn for song 2: no bars for song 2"));
        QCOMPARE(errors.at(0).at(1).value<std::string>(), std::string("Display Error"));
        QCOMPARE(errors.at(1).at(0).value<std::string>(),
                 std::string("The timeline could not be drawn for song 10: barBeat with duplicate tick index."));
        // The previous song's index, width and items stay.
        QCOMPARE(f.editModel->barsBeats, index);
        QCOMPARE(f.timeline->property("baseWidth").toInt(), width);
        QCOMPARE(c.GetRegionItems().size(), std::size_t(7));
    }

    void destructionCutsTheTimerAndTheBus()
    {
        Loaded loaded;
        TimelineFixture& f = loaded.f;
        f.controller->SuspendAutoScroll(20);
        QCOMPARE(f.controller->findChildren<QTimer*>().size(), 1);
        f.DestroyController();

        // Nothing may fire or answer after the controller is gone.
        bool passed = false;
        QTimer::singleShot(60, [&passed] { passed = true; });
        QTRY_VERIFY(passed);
        MarkerListSelection stopped{4000, false};
        notify::callbackDispatcher.Notify(notify::names::editControllerMarkerListSelected, &stopped);
        QObject* playhead = f.timeline->property("playheadItem").value<QObject*>();
        QCOMPARE(playhead->property("basePos").toInt(), 0);
    }
};

QTEST_MAIN(TestTimelineController)
#include "tst_timeline_controller.moc"

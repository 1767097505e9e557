// The show manager and the edit model on the real engine, over a small show on disk.
#include "EditModel.h"
#include "EngineFixture.h"
#include "ShowManager.h"
#include "zarn_core/ZarnEventCode.h"

#include <QtTest>

#include <algorithm>
#include <memory>

class TestShowManagerOnEngine : public QObject
{
    Q_OBJECT

private slots:
    void loadEditAndShutDown()
    {
        EngineFixture fixture;
        fixture.WriteShow();
        std::shared_ptr<Interface> engine = fixture.MakeEngine();

        auto manager = std::make_shared<zarn::ShowManager>(engine);
        std::vector<std::string> songs;
        for (const auto& [number, title] : manager->GetSongMap())
            songs.push_back(number);
        QCOMPARE(songs, (std::vector<std::string>{"1", "2", "10"}));
        QVERIFY(manager->GetEditor());
        QCOMPARE(manager->GetLogVersion(), std::string("1.0"));
        // Destinations reach the engine, whose threads resolve cues from them.
        manager->UpdateNetworks({CL::NetworkPath("NETWORK0", "Sound", "127.0.0.2", 9000)});
        QCOMPARE(engine->GetNetwork("NETWORK0").IpAddress(), std::string("127.0.0.2"));

        const auto markers = manager->GetMarkers();
        QCOMPARE(markers.size(), std::size_t(2));
        QCOMPARE(markers[0].first->value(), std::string("Letter A"));
        QCOMPARE(markers[0].second, engine->GetBarString(1920));
        QVERIFY(!markers[0].second.empty());

        zarn::qt::EditModel model(manager, true);
        QCOMPARE(model.songNumber, manager->GetCurrentSongNumber());
        QVERIFY(!model.needsUpload); // version 1.0 is the shared one
        QVERIFY(model.barsBeats);
        QVERIFY(model.barsBeats->GetBarCount() >= 20); // 38400 ticks of 4/4
        QCOMPARE(model.barsBeats->GetBarInfo(0).GetBarNumber(), std::string("1"));
        QCOMPARE(model.GetSongAudioEndTick(), 40320u);

        auto& events = model.RefreshChangeLogPanelEvents();
        auto cut = std::find_if(events.begin(), events.end(), [](const auto& e) { return e->code() == codes::Cut; });
        QVERIFY(cut != events.end());
        model.SelectEvent(cut->get());
        QCOMPARE(model.selectedEvent, cut->get());
        model.DeleteSelectedEvent();
        QVERIFY(model.selectedEvent == nullptr);
        QVERIFY(manager->GetEditor()->GetSongLog(model.songNumber)->GetCuts().empty());

        manager->Shutdown();
        QVERIFY(!manager->GetPlayer());
    }
};

QTEST_MAIN(TestShowManagerOnEngine)
#include "tst_show_manager_engine.moc"

#include "QmlModuleLoader.h"
#include "ShowFakeEngine.h"
#include "ShowManager.h"
#include "zarn_core/Marker.h"

#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickView>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <stdexcept>

using zarn::ShowManager;

namespace {

QList<QQuickView*> WarningWindows()
{
    QList<QQuickView*> views;
    for (QWindow* window : QGuiApplication::allWindows()) {
        if (window->objectName() == QStringLiteral("engineWarningWindow"))
            views << qobject_cast<QQuickView*>(window);
    }
    // In the order they were opened.
    std::sort(views.begin(), views.end(), [](QQuickView* a, QQuickView* b) {
        return a->property("warningSerial").toInt() < b->property("warningSerial").toInt();
    });
    return views;
}

QStringList WarningTexts()
{
    QStringList texts;
    for (QQuickView* view : WarningWindows())
        texts << view->rootObject()->property("text").toString();
    return texts;
}

void CloseAllWarningWindows()
{
    for (QQuickView* view : WarningWindows())
        delete view;
}

} // namespace

class TestShowManager : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<ShowFakeEngine> engine_;

private slots:
    void init()
    {
        CloseAllWarningWindows();
        engine_ = std::make_shared<ShowFakeEngine>();
    }
    void cleanup()
    {
        CloseAllWarningWindows();
        engine_.reset();
    }

    void installationTakesSongsAttaccasAndEditor()
    {
        ShowManager manager(engine_);
        QCOMPARE(manager.GetPlayer(), std::static_pointer_cast<Interface>(engine_));
        QCOMPARE(manager.GetEditor(), engine_->editor.get());
        // The map keeps the engine's show order (10 after 2).
        std::vector<std::string> order;
        for (const auto& [number, name] : manager.GetSongMap())
            order.push_back(number);
        QCOMPARE(order, (std::vector<std::string>{"1", "2", "10"}));
        QCOMPARE(engine_->calls(), (std::vector<std::string>{
                                       "GetSongNamesBySongNumber()", "GetAttacca(1)", "GetAttacca(2)", "GetAttacca(10)",
                                       "GetChangeLogEditor()", "GetTempoScaleWarnings()", "GetModifiedClickEditLog()",
                                       "GetInvertedLoopEventCount()"}));
        QVERIFY(WarningWindows().isEmpty());
    }

    void showWithoutSongsAsksNoAttacca()
    {
        engine_->songs.clear();
        ShowManager manager(engine_);
        QVERIFY(manager.GetSongMap().empty());
        engine_->clearCalls();
        manager.RefreshAttaccas();
        QVERIFY(engine_->calls().empty());
    }

    void warningsAtInstallation_data()
    {
        QTest::addColumn<QString>("tempo");
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<unsigned>("loops");
        QTest::addColumn<QStringList>("windows");
        const QString loopText = QString::fromStdString(ShowManager::InvertedLoopWarning("Vamp V3.1 (1920-960)"));
        QTest::newRow("nothing to say") << "" << "" << 0u << QStringList{};
        QTest::newRow("tempo only") << "Tempo T2.1 scaled" << "" << 0u << QStringList{"Tempo T2.1 scaled"};
        QTest::newRow("clicks only") << "" << "Click L4.1 moved" << 0u << QStringList{"Click L4.1 moved"};
        QTest::newRow("loops only") << "" << "" << 1u << QStringList{loopText};
        QTest::newRow("all three") << "Tempo T2.1 scaled" << "Click L4.1 moved" << 2u
                                   << QStringList{"Tempo T2.1 scaled", "Click L4.1 moved", loopText};
    }
    void warningsAtInstallation()
    {
        QFETCH(QString, tempo);
        QFETCH(QString, clicks);
        QFETCH(unsigned, loops);
        QFETCH(QStringList, windows);
        engine_->tempoScaleWarnings = tempo.toStdString();
        engine_->modifiedClickEditLog = clicks.toStdString();
        engine_->invertedLoopCount = loops;
        engine_->invertedLoopDescription = "Vamp V3.1 (1920-960)";
        ShowManager manager(engine_);
        QCOMPARE(WarningTexts(), windows);
        // The description is asked for only when there are inverted loops.
        QCOMPARE(engine_->count("GetInvertedLoopEventDescription()"), loops ? 1 : 0);
        for (QQuickView* view : WarningWindows()) {
            QVERIFY(view->isVisible());
            QCOMPARE(view->size(), QSize(500, 500));
            QCOMPARE(view->modality(), Qt::NonModal);
            QVERIFY(view->engine()); // a QML engine of its own
        }
    }

    void invertedLoopText()
    {
        QCOMPARE(ShowManager::InvertedLoopWarning("Vamp V3.1 (1920-960)"),
                 std::string("We have detected and automatically fixed some unusual change log edits. Please review "
                             "the following changes to ensure that they work as you expect.\n\nVamp V3.1 (1920-960)"));
    }

    void changeOfChangeLogShowsClicksFirst()
    {
        ShowManager manager(engine_);
        QVERIFY(WarningWindows().isEmpty());
        engine_->tempoScaleWarnings = "Tempo T2.1 scaled";
        engine_->modifiedClickEditLog = "Click L4.1 moved";
        engine_->invertedLoopCount = 1;
        engine_->invertedLoopDescription = "Repeat A7.1";
        engine_->nextEditor = std::make_unique<CL::Editor>();
        CL::Editor* newEditor = engine_->nextEditor.get();
        engine_->songs = {{"99", "Added later"}};
        engine_->clearCalls();

        manager.SetChangelogFilename("/shows/demo/demo-2.1.logdata");

        QCOMPARE(WarningTexts(), (QStringList{"Click L4.1 moved", "Tempo T2.1 scaled",
                                              QString::fromStdString(ShowManager::InvertedLoopWarning("Repeat A7.1"))}));
        QCOMPARE(manager.GetEditor(), newEditor);
        QCOMPARE(manager.GetSongMap().size(), std::size_t(3)); // not refreshed
        QCOMPARE(engine_->calls(),
                 (std::vector<std::string>{"SetChangelogFilename(/shows/demo/demo-2.1.logdata)", "Pause(false)",
                                           "GetChangeLogEditor()", "GetAttacca(1)", "GetAttacca(2)", "GetAttacca(10)",
                                           "GetModifiedClickEditLog()", "GetTempoScaleWarnings()",
                                           "GetInvertedLoopEventCount()", "GetInvertedLoopEventDescription()"}));
    }

    void failedChangeOfChangeLogGoesToTheCaller()
    {
        ShowManager manager(engine_);
        CL::Editor* oldEditor = manager.GetEditor();
        engine_->throwOnSetChangelogFilename = true;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, manager.SetChangelogFilename("broken.logdata"));
        QCOMPARE(manager.GetEditor(), oldEditor);
        QVERIFY(WarningWindows().isEmpty());
    }

    void closingAWarningWindowReleasesIt()
    {
        engine_->tempoScaleWarnings = "Tempo T2.1 scaled";
        ShowManager manager(engine_);
        QCOMPARE(WarningWindows().size(), 1);
        QPointer<QQuickView> view = WarningWindows().first();
        view->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!view);
    }

    void secondEngineIsRefused()
    {
        ShowManager manager(engine_);
        auto other = std::make_shared<ShowFakeEngine>();
        try {
            manager.InstantiatePlayer(other);
            QFAIL("a second engine must be refused");
        } catch (const std::runtime_error& e) {
            QCOMPARE(QString::fromUtf8(e.what()),
                     QStringLiteral("You must delete the previous player before instantiating a new one!"));
        }
        QCOMPARE(manager.GetPlayer(), std::static_pointer_cast<Interface>(engine_));
        QVERIFY(other->calls().empty());
    }

    void missingEngineIsRefused()
    {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, ShowManager(nullptr));
    }

    void shutdown_data()
    {
        QTest::addColumn<bool>("engineThrows");
        QTest::newRow("clean shutdown") << false;
        QTest::newRow("engine throws") << true;
    }
    void shutdown()
    {
        QFETCH(bool, engineThrows);
        ShowManager manager(engine_);
        engine_->throwOnShutdown = engineThrows;
        manager.Shutdown(); // never throws
        QCOMPARE(engine_->count("Shutdown()"), 1);
        QCOMPARE(manager.GetPlayer() != nullptr, engineThrows);
        if (!engineThrows) {
            // Nothing reaches a released engine; a mistaken call says so instead of crashing.
            QVERIFY_THROWS_EXCEPTION(std::logic_error, manager.GetCurrentSongNumber());
            QVERIFY_THROWS_EXCEPTION(std::logic_error, manager.PauseAndGetEditor());
            manager.Shutdown();
            QCOMPARE(engine_->count("Shutdown()"), 1);
        }
    }

    void releasingTheManagerDoesNotShutTheEngineDown()
    {
        auto manager = std::make_unique<ShowManager>(engine_);
        manager.reset();
        QCOMPARE(engine_->count("Shutdown()"), 0);
        QCOMPARE(engine_.use_count(), 1L);
    }

    void markersCarryTheirBarTexts()
    {
        ShowManager manager(engine_);
        QVERIFY(manager.GetMarkers().empty());

        engine_->markers.push_back(std::make_unique<CL::Marker>(3840, "Verse", "E3.1"));
        engine_->markers.push_back(std::make_unique<CL::Marker>(3840, "Key change", "E3.1-2"));
        engine_->markers.push_back(std::make_unique<CL::Marker>(0, "Top", "E1.1"));
        const auto markers = manager.GetMarkers();
        QCOMPARE(markers.size(), std::size_t(3));
        // The engine's order, nothing sorted or merged.
        QCOMPARE(markers[0].first, engine_->markers[0].get());
        QCOMPARE(markers[0].second, std::string("Bar 3"));
        QCOMPARE(markers[1].first, engine_->markers[1].get());
        QCOMPARE(markers[1].second, std::string("Bar 3"));
        QCOMPARE(markers[2].second, std::string("Bar 1"));
    }

    void thinOperationsReachTheEngine()
    {
        ShowManager manager(engine_);
        engine_->clearCalls();
        QCOMPARE(manager.GetCurrentSongNumber(), std::string("1"));
        QCOMPARE(manager.GetBarString(1920), std::string("Bar 2"));
        QCOMPARE(manager.PauseAndGetEditor(), engine_->editor.get());
        QCOMPARE(manager.GetEditor(), engine_->editor.get());
        QCOMPARE(manager.GetLogVersion(), std::string("3.0"));
        QCOMPARE(manager.GetSongLength("2"), 1920u * 40u);
        QCOMPARE(manager.GetSongStartTickIndex("2"), 100000u);
        manager.SelectSongLogForEditing("2");
        QCOMPARE(engine_->editor->GetSelectedSong(), std::string("2"));
        QCOMPARE(engine_->calls(),
                 (std::vector<std::string>{"GetCurrentSongNumber()", "GetBarString(1920)", "Pause(false)",
                                           "GetLogVersion()", "GetSongLength(2)", "GetSongStartTickIndex(2)"}));
    }
};

QTEST_MAIN(TestShowManager)
#include "tst_show_manager.moc"

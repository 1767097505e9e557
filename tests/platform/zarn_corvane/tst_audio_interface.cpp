#include "DeviceControlWin32.h"
#include "EngineFixture.h"
#include "MidiCommandCenter.h"
#include "SteadyClock.h"
#include "zarn_core/ChangeLogFile.h"
#include "zarn_core/ChangeLogVersionError.h"
#include "zarn_core/Cut.h"
#include "zarn_core/Marker.h"
#include "zarn_core/Osc.h"
#include "zarn_core/ShowCredential.h"
#include "zarn_core/Vamp.h"

#include <QFile>
#include <QtTest>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

using E = notify::EngineEvent;

namespace {

std::vector<int> Values(const std::vector<EngineFixture::Notice>& notices)
{
    std::vector<int> v;
    for (const auto& n : notices)
        v.push_back(n.value);
    return v;
}

std::vector<std::string> FlowLabels(EngineFixture& f)
{
    std::vector<std::string> labels;
    for (const auto& n : f.Of(E::StatusFlowControl))
        labels.push_back(n.text + (n.value ? " " + std::to_string(n.value) : std::string()));
    return labels;
}

} // namespace

class TestAudioInterface : public QObject
{
    Q_OBJECT

private slots:
    void constructionLeavesTheFirstSongCurrent()
    {
        EngineFixture f;
        f.Start();
        QCOMPARE(f.engine->GetCurrentSongNumber(), std::string("1"));
        QVERIFY(f.engine->IsStopped());
        QCOMPARE(f.engine->GetLogVersion(), std::string("1.0"));
        QCOMPARE(QString::fromStdString(f.engine->GetChangelogFilename()),
                 QString::fromStdString(f.showFolder + "/fixture-1.0.logdata"));
        QVERIFY(f.engine->GetChangeLogEditor());
        const auto names = f.engine->GetSongNamesBySongNumber();
        QCOMPARE(names.begin()->first, std::string("1"));
        QCOMPARE(std::prev(names.end())->first, std::string("10"));
        QCOMPARE(f.Of(E::SongLoaded).at(0).text, std::string("1"));
        QCOMPARE(f.Of(E::SongTitle).at(0).text, std::string("Opening"));
        QVERIFY(f.Of(E::SongLoaded).at(0).thread != std::this_thread::get_id());
        QCOMPARE(f.engine->GetAttacca("2"), uint8_t(1));
        QVERIFY(f.engine->SongExists(" 02 "));
        QCOMPARE(f.engine->GetActualSongNumber("010"), std::string("10"));
        QVERIFY(!f.engine->SongExists("11"));
        QCOMPARE(f.engine->LookupPage(2), (std::pair<std::string, uint32_t>("1", 9600)));
        QVERIFY_EXCEPTION_THROWN(f.engine->LookupPage(9), std::out_of_range);
        QCOMPARE(f.engine->GetOutputPathMap().at("main").GetName(), std::string("Main"));
    }

    // The device file of this machine gives each output path its device; a later choice
    // replaces it; a file that cannot be read leaves the default device and says why.
    void outputPathsTakeThisMachinesDevices_data()
    {
        QTest::addColumn<QString>("file"); // empty: no device file
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("problem");
        QTest::newRow("no file") << QString() << "" << "";
        QTest::newRow("a device") << R"({"outputpaths":[{"id":"main","hwid":"sink-a"}]})" << "sink-a" << "";
        QTest::newRow("the later entry") << R"({"outputpaths":[{"id":"main","hwid":"a"},{"id":"main","hwid":"b"}]})"
                                         << "b" << "";
        QTest::newRow("broken") << "{\"outputpaths\":" << "" << "outputpathdevices.json could not be read";
        QTest::newRow("no list") << R"({"paths":[]})" << "" << "no \"outputpaths\" list";
        QTest::newRow("an entry without hwid") << R"({"outputpaths":[{"id":"main"}]})" << "" << "left out";
    }
    void outputPathsTakeThisMachinesDevices()
    {
        QFETCH(QString, file);
        QFETCH(QString, device);
        QFETCH(QString, problem);
        EngineFixture f;
        if (!file.isEmpty())
            std::ofstream(f.showFolder + "/outputpathdevices.json") << file.toStdString();
        f.Start();
        QCOMPARE(QString::fromStdString(f.engine->GetOutputPathMap().at("main").GetDeviceId()), device);
        QCOMPARE(f.engine->GetOutputPathMap().at("main").GetName(), std::string("Main"));
        const QString said = QString::fromStdString(f.engine->GetSoundProblem());
        QVERIFY2(problem.isEmpty() ? said.isEmpty() : said.contains(problem), qPrintable(said));

        f.engine->onAddOutputhPath(CL::OutputPath("main", "Main", "sink-b"));
        QCOMPARE(f.engine->GetOutputPathMap().at("main").GetDeviceId(), std::string("sink-b"));
    }

    void badShowFolderIsAClearError_data()
    {
        QTest::addColumn<QString>("showJson");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("missing") << QString() << "cannot be read";
        QTest::newRow("malformed") << "{\"format\":" << "JSON error";
        QTest::newRow("no songs") << R"({"format":"1.0","showId":"x","songs":[]})" << "no song";
    }
    void badShowFolderIsAClearError()
    {
        QFETCH(QString, showJson);
        QFETCH(QString, mentions);
        EngineFixture f;
        if (!showJson.isNull())
            std::ofstream(f.showFolder + "/show.json") << showJson.toStdString();
        try {
            f.MakeEngine();
            QFAIL("no exception");
        } catch (const std::runtime_error& e) {
            QVERIFY2(QString(e.what()).contains(mentions) && QString(e.what()).contains("show.json"), e.what());
        }
        QCOMPARE(AudioInterface::LiveEngineThreads(), 0);
    }

    void newerChangeLogMajorIsAVersionError()
    {
        EngineFixture f;
        f.WriteShow(false);
        std::ofstream(f.showFolder + "/fixture-2.0.logdata")
            << R"({"format":"2.0","version":{"major":2,"minor":0},"modified":0,"songs":{}})";
        QVERIFY_EXCEPTION_THROWN(f.MakeEngine(), CL::ChangeLogVersionError);
    }

    void withoutChangeLogStartsEmpty()
    {
        EngineFixture f;
        f.WriteShow(false);
        f.engine = f.MakeEngine();
        QCOMPARE(f.engine->GetLogVersion(), std::string("0.0"));
        QVERIFY(f.engine->GetChangelogFilename().empty());
        QVERIFY(f.engine->GetMarkers().empty());
    }

    void accountDataComesFromTheShowCredential()
    {
        EngineFixture f;
        f.Start();
        QCOMPARE(f.engine->GetAccountData(), std::string()); // a show without a credential file
        const cmn::ShowCredential credential{.showId = "fixture", .accountData = "account \"7\""};
        credential.WriteToFolder(f.showFolder);
        QCOMPARE(f.engine->GetAccountData(), credential.accountData);
        std::ofstream(f.showFolder + "/credential.json") << R"({"accountData":"a","scoreKey":"00"})";
        try {
            f.engine->GetAccountData();
            QFAIL("a broken credential file was read");
        } catch (const std::runtime_error& e) {
            QVERIFY2(QString(e.what()).contains("credential.json"), e.what());
        }
    }

    void startupFailureOfAThreadIsRethrown()
    {
        EngineFixture f;
        f.WriteShow();
        AudioInterface::Options options;
        options.startupHook = [] { throw std::runtime_error("MIDI system exploded"); };
        options.clock = f.clock;
        options.sound = false;
        auto engine = std::make_unique<AudioInterface>(f.showFolder, f.dataFolder, f.osc, std::move(options));
        QVERIFY_EXCEPTION_THROWN(engine->ThrowIfThreadExceptions(), std::runtime_error);
        engine.reset();
        QCOMPARE(AudioInterface::LiveEngineThreads(), 0);
    }

    void playsThroughEveryEventKind()
    {
        EngineFixture f;
        f.Start();
        f.engine->DoOscProcessing(true);
        f.ClearNotices();
        f.engine->Play();
        QVERIFY(f.engine->GetIsPlaying());

        // Marker at 2 s, cue at 4 s, cut 5760->7680 at 6 s, vamp 7680..9600 twice, caesura at 11520.
        f.Advance(13.0);
        QCOMPARE(f.engine->GetTickIndex(), 11520u);
        QVERIFY(f.engine->GetIsPlaying());
        QCOMPARE(Values(f.Of(E::Marker)), (std::vector<int>{1920}));
        QCOMPARE(f.Of(E::VampOn).size(), size_t(1));
        QCOMPARE(f.Of(E::VampOff).size(), size_t(1));
        QCOMPARE(FlowLabels(f), (std::vector<std::string>{"Vamp 1", "Vamp 2", "ClearPickupBeat", "Caesura"}));
        const auto heads = Values(f.Of(E::Playhead));
        QCOMPARE(int(std::count(heads.begin(), heads.end(), 7680)), 2); // the cut's landing, the vamp's return
        QVERIFY(std::is_sorted(heads.begin(), std::find(heads.begin(), heads.end(), 7680)));
        for (const auto& n : f.Notices())
            QVERIFY(n.thread != std::this_thread::get_id());

        // The OSC cue went out ahead of its tick with the time still to go.
        const auto cues = f.Cues();
        QCOMPARE(cues.size(), size_t(1));
        QVERIFY(cues[0].execute && cues[0].engineSaidPlaying);
        QVERIFY(std::abs(cues[0].at + cues[0].delayMs / 1000.0 - 4.0) <= 0.0051);

        // Continue: repeat 13440..15360 twice, then the skip plays through, the tempo scale and
        // the transposition report, the click changes the grid, the last marker passes.
        f.ClearNotices();
        f.engine->Continue();
        f.Advance(8.1);
        QCOMPARE(FlowLabels(f), (std::vector<std::string>{"ClearPickupBeat", "Repeat 1", "Repeat 2", "ClearPickupBeat", "Skip"}));
        f.engine->FlowControlExit(); // leave the skip early: jump to its end
        QCOMPARE(f.engine->GetTickIndex(), 19200u);
        f.Advance(2.0 + 1920 / 1440.0 + 0.01);
        QCOMPARE(f.Of(E::TempoScale).front().text, std::string("150%"));
        QCOMPARE(f.Of(E::TempoScale).back().text, std::string("100%"));
        f.Advance(4.0);
        QCOMPARE(Values(f.Of(E::Transposition)), (std::vector<int>{-2, 0}));
        f.ClearNotices();
        f.Advance(4.0); // 28800..30720 has an eighth-note click
        int clickedBeats = 0;
        for (const auto& n : f.Of(E::BarBeat))
            clickedBeats += n.text.rfind("0016|", 0) == 0 ? 1 : 0;
        QCOMPARE(clickedBeats, 8);
        f.Advance(4.0);
        QCOMPARE(Values(f.Of(E::Marker)), (std::vector<int>{32640}));

        // The song ends (attacca 0): the tail plays to the audio end, then song 2 is cued, stopped.
        f.ClearNotices();
        f.Advance(10.0);
        QCOMPARE(f.engine->GetCurrentSongNumber(), std::string("2"));
        QVERIFY(f.engine->IsStopped());
        QCOMPARE(f.Of(E::PlaybackStopped).size(), size_t(1));
        const auto titles = f.Of(E::SongTitle);
        const auto loaded = f.Of(E::SongLoaded);
        QCOMPARE(titles.back().text, std::string("Waltz"));
        QCOMPARE(loaded.back().text, std::string("2"));
        QCOMPARE(f.Of(E::Key).back().text, std::string("Bb major"));
        QCOMPARE(f.Of(E::Meter).back().text, std::string("3/4"));
    }

    void attaccaContinueKeepsPlayingIntoTheNextSong()
    {
        EngineFixture f;
        f.Start();
        f.engine->LoadSong("2");
        f.engine->Seek(14400 - 480);
        f.engine->Play();
        f.Advance(1.0);
        QCOMPARE(f.engine->GetCurrentSongNumber(), std::string("10"));
        QVERIFY(f.engine->GetIsPlaying());
        QCOMPARE(f.engine->GetTickIndex(), 480u);
    }

    void pagesAndMarkersAndGrid()
    {
        EngineFixture f;
        f.Start();
        const auto markers = f.engine->GetMarkers();
        QCOMPARE(markers.size(), size_t(2));
        QVERIFY(markers[0]->start() < markers[1]->start());
        for (const auto& e : f.engine->GetChangeLogPanelEvents())
            QVERIFY(e->code() != 'E');
        QCOMPARE(f.engine->GetChangeLogPanelEvents().size(), size_t(9));
        QCOMPARE(f.engine->GetBarString(1920 + 480), std::string("2.2"));
        QCOMPARE(f.engine->GetBarString(1920 + 500), std::string("2.2+20"));
        QCOMPARE(f.engine->GetBarBeatByTick(1920 + 300).tick(), 1920u + 480u);
        QCOMPARE(f.engine->GetBarBeatLeftByTick(1920 + 300).tick(), 1920u);
        QCOMPARE(f.engine->GetAvailableShiftAfterBarBeat(1920, true), 479u);
        QCOMPARE(f.engine->GetBarsBeats("1", true).size() - f.engine->GetBarsBeats("1", false).size(), size_t(4));
        QVERIFY(f.engine->SeekToBar("5"));
        QCOMPARE(f.engine->GetTickIndex(), 4u * 1920u);
        f.engine->SeekRight();
        QCOMPARE(f.engine->GetTickIndex(), 32640u);
        QCOMPARE(f.Of(E::PageNum).back().value, 2);
        QCOMPARE(f.engine->GetTimeline().GetMeters()[0].numerator, uint8_t(4));
    }

    void fadeCompletionsRunOnceAndNeverAfterCancel()
    {
        EngineFixture f;
        f.Start();
        std::atomic<int> completed{0};
        std::atomic<bool> onEngineThread{false};
        const auto gui = std::this_thread::get_id();
        f.engine->Play();
        f.engine->Fade([&] { onEngineThread = std::this_thread::get_id() != gui; ++completed; }, 1.0f);
        f.Advance(0.5);
        QCOMPARE(f.Of(E::PlaybackFading).size(), size_t(1));
        QVERIFY(std::abs(f.Of(E::StatusVolume).back().value - 500) <= 5);
        f.Advance(0.6);
        QCOMPARE(completed.load(), 1);
        QVERIFY(onEngineThread);
        QVERIFY(f.engine->GetIsFaded());
        QVERIFY(!f.engine->GetIsPlaying());
        f.engine->NextSong();
        f.engine->CancelFade();
        QCOMPARE(f.engine->GetCurrentSongNumber(), std::string("2"));
        QCOMPARE(f.Of(E::StatusVolume).back().value, 1000);

        // Cancelled, superseded and stopped fades never complete.
        f.engine->Play();
        f.engine->Fade([&] { completed += 100; }, 1.0f);
        f.Advance(0.2);
        f.engine->CancelFade();
        f.engine->FadeTo([&] { completed += 1000; }, 1.0f, 0.5f);
        f.engine->FadeTo([&] { completed += 10; }, 0.2f, 0.5f);
        f.Advance(0.5);
        QCOMPARE(completed.load(), 11);
        QVERIFY(f.engine->GetIsPlaying()); // a fade to a level keeps playing
        f.engine->CancelFade();
        QCOMPARE(f.Of(E::StatusVolume).back().value, 500); // and keeps its level
        f.engine->Fade([&] { completed += 100; }, 0.5f);
        f.engine->Stop();
        f.Advance(1.0);
        QCOMPARE(completed.load(), 11);
    }

    void fadeAndStopCompletionMayStopFromItsThread()
    {
        EngineFixture f;
        f.Start();
        f.engine->Play();
        AudioInterface* engine = f.engine.get();
        f.engine->Fade([engine] { engine->Stop(); }, 0.1f);
        f.Advance(0.2);
        QVERIFY(f.engine->IsStopped());
        QCOMPARE(f.engine->GetTickIndex(), 0u);
    }

    void shutdownRacesEndAllCallbacks()
    {
        for (int round = 0; round < 20; ++round) {
            EngineFixture f;
            f.Start();
            std::atomic<bool> shutDown{false};
            std::atomic<int> late{0};
            f.engine->Play();
            f.engine->Fade([&] { late += shutDown ? 1 : 0; }, 0.02f + 0.001f * round);
            std::thread ticker([&] { f.Advance(0.05); });
            f.engine->Shutdown();
            shutDown = true;
            ticker.join();
            const size_t before = f.Notices().size();
            f.Advance(0.1);
            QCOMPARE(f.Notices().size(), before);
            QCOMPARE(late.load(), 0);
            QCOMPARE(AudioInterface::LiveEngineThreads(), 0);
        }
    }

    void oscCueReachedWhileStoppedIsHeldBack()
    {
        EngineFixture f;
        f.Start();
        f.engine->DoOscProcessing(true);
        f.engine->Seek(3840);
        auto cues = f.Cues();
        QCOMPARE(cues.size(), size_t(1));
        QVERIFY(!cues[0].execute);
        QCOMPARE(cues[0].delayMs, 0u);
        f.engine->SetOscControlDefaultPort(53001);
        QCOMPARE(f.osc->ports, (std::vector<uint16_t>{53001}));
        // With OSC processing off nothing goes out.
        f.engine->DoOscProcessing(false);
        f.engine->Seek(0);
        f.engine->Play();
        f.Advance(5.0);
        QCOMPARE(f.Cues().size(), size_t(1));
    }

    void destinationsChangeWhileCuesGoOut()
    {
        // The program changes the OSC destinations on its thread while the engine's delivery
        // thread resolves each cue's destination in the OSC callback.
        EngineFixture f;
        f.Start();
        Interface& engine = *f.engine;
        CL::Editor* editor = engine.GetChangeLogEditor();
        editor->SelectSongLogForEditing("1");
        // A vamp held until released with a cue inside: a cue every tenth of a second.
        editor->AddEvent(CL::Vamp(960, 1056, "V1.3", 0));
        editor->AddEvent(CL::Osc(1008, "S1.3", CL::OscProperties("/cue/vamp", "NETWORK0")));
        engine.LoadNewChangeLog();
        engine.DoOscProcessing(true);
        engine.Play();

        const auto destination = [](int i) {
            return CL::NetworkPath("NETWORK0", "Lights", "127.0.0." + std::to_string(1 + i % 2), 53000 + i % 2);
        };
        const auto cueCount = [&f] {
            std::lock_guard lock(f.osc->mutex);
            return f.osc->cues.size();
        };
        constexpr size_t kCues = 100;
        std::atomic<bool> clockDone{false};
        std::thread clock([&] {
            for (int i = 0; i < 1000 && cueCount() < kCues; ++i) // at most 20 s of engine time
                f.Advance(0.02);
            clockDone = true;
        });
        int updates = 0;
        while (!clockDone) {
            engine.UpdateNetworks({destination(updates++)});
            std::this_thread::yield(); // leave the engine's threads their turn at the lock
        }
        clock.join();

        auto cues = f.Cues();
        QVERIFY2(cues.size() >= kCues, qPrintable(QString::number(cues.size())));
        QVERIFY(updates > 0);
        for (const auto& cue : cues) {
            QVERIFY(cue.execute);
            QVERIFY2(cue.network == destination(0) || cue.network == destination(1),
                     qPrintable(QString::fromStdString(cue.network.IpAddress()) + ":"
                                + QString::number(cue.network.port)));
        }

        // The next cue goes where the last update says.
        engine.UpdateNetworks({CL::NetworkPath("NETWORK0", "Sound", "127.0.0.9", 9000)});
        for (int i = 0; i < 20 && f.Cues().size() == cues.size(); ++i)
            f.Advance(0.05);
        cues = f.Cues();
        QCOMPARE(cues.back().network.IpAddress(), std::string("127.0.0.9"));
        QCOMPARE(cues.back().network.port, 9000);
        QCOMPARE(engine.GetNetworks().size(), size_t(1));
    }

    void midiLearnCancelAndMatch()
    {
        EngineFixture f;
        f.Start();
        QCOMPARE(f.engine->GetMidiSources().size(), size_t(2));
        QCOMPARE(f.engine->GetMidiSources()[1].GetSourceName(), std::string("Keys"));
        f.engine->SetMidiSource(7); // harmless
        QVERIFY(!f.engine->HasMidiSource());
        f.engine->SetMidiSource(1);
        QVERIFY(f.engine->HasMidiSource());
        QCOMPARE(int(f.engine->GetConnectedSourceIndex()), 1);
        QCOMPARE(f.engine->GetCommandNames().at(1), std::string("Play"));

        f.engine->LearnMidiCommand(2);
        QVERIFY(f.engine->IsMidiCommandLearning(2));
        f.engine->LearnMidiCommand(1); // replaces the pending learn
        QCOMPARE(Values(f.Of(E::MIDICommandCanceled)), (std::vector<int>{2}));
        f.midi->Send({0x93, 64, 127});
        QCOMPARE(Values(f.Of(E::LearnedMIDICommand)), (std::vector<int>{0x019340}));
        QCOMPARE(f.engine->GetLearnedCommands().at(1), (Interface::MidiCommandRecord{0x90, 3, 64}));
        QVERIFY(!f.engine->GetIsPlaying());
        f.midi->Send({0x93, 64, 100});
        f.engine->WaitForDeliveries();
        QVERIFY(f.engine->GetIsPlaying());
        QCOMPARE(f.Of(E::MidiNotification).size(), size_t(2));

        // A learn that nothing answers is cancelled after 30 s of engine time.
        f.engine->Stop();
        f.engine->LearnMidiCommand(3);
        f.Advance(31.0);
        QCOMPARE(Values(f.Of(E::MIDICommandCanceled)), (std::vector<int>{2, 3}));

        // Assignments are stored in the data folder.
        f.engine->SetMidiCommand(9, 0xC0, 0, 5);
        QVERIFY(QFile::exists(QString::fromStdString(f.dataFolder + "/midi_commands.json")));
        f.engine->Shutdown();
        f.engine = f.MakeEngine();
        QCOMPARE(f.engine->GetLearnedCommands().at(9).note, uint8_t(5));
        QCOMPARE(f.engine->GetAllowedCommandStatuses(), (std::vector<int>{0x90, 0xB0, 0xC0}));
    }

    void outputDeviceIsValidated()
    {
        EngineFixture f;
        f.Start();
        try {
            f.engine->SetOutputDeviceUid("ghost");
            QFAIL("no exception");
        } catch (const std::invalid_argument& e) {
            QCOMPARE(QString(e.what()), QString("Audio output device 'ghost' is not available."));
        }
        f.engine->SetOutputDeviceUid("");
        zarn::audio::DeviceControlWin32::SetDevicesForTesting(std::vector<zarn::audio::AudioDevice>{{"Desk", "desk"}});
        f.engine->SetOutputDeviceUid("desk");
        zarn::audio::DeviceControlWin32::SetDevicesForTesting(std::nullopt);
        QCOMPARE(f.engine->GetOutputDeviceUid(), std::string("desk"));
        f.engine->SetVolume(0.25);
        QCOMPARE(f.engine->GetVolume(), 0.25);
        QCOMPARE(f.Of(E::StatusVolume).back().value, 250);
    }

    void changeLogVersionsSaveAndReload()
    {
        EngineFixture f;
        f.Start();
        CL::Editor* editor = f.engine->GetChangeLogEditor();
        editor->SelectSongLogForEditing("1");
        editor->AddEvent(CL::Marker(960, "New", "E1.3"));
        f.engine->LoadNewChangeLog();
        QCOMPARE(f.engine->GetMarkers().size(), size_t(3));
        QCOMPARE(f.engine->GetMarkers()[0]->start(), 960u);

        try {
            f.engine->SaveChangelog(256, 0);
            QFAIL("no exception");
        } catch (const std::out_of_range& e) {
            QVERIFY(QString(e.what()).contains("256.0"));
        }
        QVERIFY(!std::filesystem::exists(f.showFolder + "/fixture-256.0.logdata"));

        const std::string saved = f.engine->SaveChangelog(1, 1);
        QCOMPARE(saved, f.showFolder + "/fixture-1.1.logdata");
        QCOMPARE(f.engine->GetChangelogFilename(), saved);
        QVERIFY(std::filesystem::exists(saved));
        QCOMPARE(f.engine->GetLogVersion(), std::string("1.1"));
        // The program keeps the editor it fetched before the save: it must be the engine's.
        QCOMPARE(f.engine->GetChangeLogEditor(), editor);
        QCOMPARE(editor->GetVersion().minor, uint16_t(1));
        editor->AddEvent(CL::Marker(480, "After save", "E1.2"));
        f.engine->LoadNewChangeLog();
        QCOMPARE(f.engine->GetMarkers().size(), size_t(4));

        f.engine->SetChangelogFilename("fixture-1.0.logdata");
        QCOMPARE(f.engine->GetLogVersion(), std::string("1.0"));
        QVERIFY(!editor->CanUndo()); // another file: the edits of the last one are not undoable here
        QCOMPARE(f.engine->GetMarkers().size(), size_t(2));
        QCOMPARE(f.engine->GetChangeLogEditor(), editor);
        f.engine->SetChangelogFilename(f.showFolder + "/fixture-1.1.logdata"); // a full path works too
        QCOMPARE(f.engine->GetMarkers().size(), size_t(3));
        QVERIFY_EXCEPTION_THROWN(f.engine->SetChangelogFilename("../elsewhere-1.0.logdata"), std::invalid_argument);

        // A new engine takes the newest version.
        f.engine->Shutdown();
        f.engine = f.MakeEngine();
        QCOMPARE(f.engine->GetLogVersion(), std::string("1.1"));
        QCOMPARE(f.engine->GetMarkers().size(), size_t(3));

        f.engine->SetAttacca("1", 2);
        QCOMPARE(f.engine->GetAttacca("1"), uint8_t(2));
        f.engine->NextSong(); // song 2 ...
        f.engine->PrevSong(); // ... and back skips song 1, now skipped: stays at 2
        QCOMPARE(f.engine->GetCurrentSongNumber(), std::string("2"));
    }

    void saveKeepsUndoAndPlaybackFollowsTheUndo()
    {
        EngineFixture f;
        f.Start();
        CL::Editor* editor = f.engine->GetChangeLogEditor();
        editor->SelectSongLogForEditing("1");
        const auto playFromBeforeTheCut = [&f] {
            f.engine->Seek(4800);
            f.engine->Play();
            f.Advance(1.0); // 960 ticks: at the cut's start, 5760
            f.Advance(0.5);
            const uint32_t tick = f.engine->GetTickIndex();
            f.engine->Stop();
            return tick;
        };

        editor->DeleteEvent(CL::Cut(5760, 7680, "B4.1", 0));
        f.engine->LoadNewChangeLog();
        QCOMPARE(playFromBeforeTheCut(), 6240u); // plays through where the cut was

        const std::string saved = f.engine->SaveChangelog(1, 1);
        QCOMPARE(f.engine->GetChangeLogEditor(), editor);
        QCOMPARE(f.engine->GetLogVersion(), std::string("1.1"));
        QCOMPARE(editor->GetSelectedSong(), std::string("1"));
        QVERIFY(editor->CanUndo());

        // Undo after the save brings the cut back, and playback takes it up on reload.
        QCOMPARE(CL::GetAffectedCodes(editor->Undo()), std::vector<int>{'B'});
        QCOMPARE(editor->GetSongLog("1")->GetCuts().size(), size_t(1));
        QCOMPARE(f.engine->GetLogVersion(), std::string("1.1"));
        f.engine->LoadNewChangeLog();
        QCOMPARE(playFromBeforeTheCut(), 8160u); // jumps 5760 -> 7680, then half a second on

        // The file holds what was saved: the log without the cut.
        const auto onDisk = CL::ChangeLogFile::Load(saved);
        QVERIFY(onDisk.data.songs.at("1").GetCuts().empty());
        QCOMPARE(onDisk.data.version.GetAsString(), std::string("1.1"));
        QCOMPARE(onDisk.data.modified, editor->Data().modified);

        // Redo walks on over the save as well.
        QVERIFY(editor->CanRedo());
        editor->Redo();
        f.engine->LoadNewChangeLog();
        QCOMPARE(playFromBeforeTheCut(), 6240u);
    }

    void realClockPlaysWithOrderedNotificationsOnAnEngineThread()
    {
        EngineFixture f;
        f.WriteShow();
        AudioInterface::Options options;
        options.clock = std::make_shared<zarn::player::SteadyClock>();
        f.engine = f.MakeEngine(std::move(options));
        f.ClearNotices();
        const auto started = std::chrono::steady_clock::now();
        f.engine->Play();
        QTest::qSleep(2000);
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        const uint32_t tick = f.engine->GetTickIndex();
        f.engine->Stop();
        const auto heads = f.Of(E::Playhead);
        QVERIFY(heads.size() >= 45);
        for (size_t i = 0; i + 1 < heads.size(); ++i) {
            QVERIFY(heads[i].thread != std::this_thread::get_id());
            if (i + 2 < heads.size()) // the last one is the stop's return to the start
                QVERIFY(heads[i].value <= heads[i + 1].value);
        }
        // 1920 ticks a 2 s, within a couple of clock steps of the wall time.
        QVERIFY2(std::abs(tick - elapsed * 960.0) < 960.0 * 0.05, qPrintable(QString::number(tick)));
    }
};

QTEST_GUILESS_MAIN(TestAudioInterface)
#include "tst_audio_interface.moc"

#include "FakeMidiInputBackend.h"
#include "MidiCommandCenter.h"
#include "RtMidiInputBackend.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace zarn::midi;

namespace {

struct Log
{
    int anyInput = 0;
    std::vector<std::pair<int, int>> learned;
    std::vector<int> canceled;
    std::vector<int> commands;

    MidiCommandCenter::Handlers Handlers()
    {
        return {[this] { ++anyInput; }, [this](uint8_t id, int packed) { learned.emplace_back(id, packed); },
                [this](uint8_t id) { canceled.push_back(id); }, [this](uint8_t id) { commands.push_back(id); }};
    }
};

} // namespace

class TestMidiCommandCenter : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    std::string File() const { return (dir_.path() + "/midi_commands.json").toStdString(); }

private slots:
    void init() { QFile::remove(QString::fromStdString(File())); }

    void sourcesAndSelection()
    {
        auto fake = std::make_unique<FakeMidiInputBackend>(std::vector<std::string>{"first", "second"});
        auto* backend = fake.get();
        Log log;
        MidiCommandCenter center(std::move(fake), File(), log.Handlers());
        const auto sources = center.GetSources();
        QCOMPARE(sources.size(), size_t(2));
        QCOMPARE(sources[1].GetSourceName(), std::string("second"));
        QVERIFY(!center.HasSource());
        center.SetSource(5);
        center.SetSource(-1);
        QVERIFY(!center.HasSource());
        center.SetSource(1);
        QVERIFY(center.HasSource());
        QCOMPARE(int(center.ConnectedIndex()), 1);
        QCOMPARE(backend->OpenIndex(), 1);
    }

    void learnMatchAndCancel()
    {
        auto fake = std::make_unique<FakeMidiInputBackend>(std::vector<std::string>{"pad"});
        auto* backend = fake.get();
        Log log;
        MidiCommandCenter center(std::move(fake), File(), log.Handlers());
        center.SetSource(0);

        center.Learn(5, 0.0);
        QVERIFY(center.IsLearning(5));
        QVERIFY(backend->Send({0x91, 60, 100})); // note-on, channel 2, middle C
        QCOMPARE(log.anyInput, 1);
        QCOMPARE(log.learned.size(), size_t(1));
        QCOMPARE(log.learned[0].first, 5);
        QCOMPARE(log.learned[0].second, 0x05913C);
        QVERIFY(!center.IsLearning(5));
        QCOMPARE(center.Learned().at(5), (MidiCommandRecord{0x90, 1, 60}));

        // The same message now triggers the command; its release and other channels do not.
        backend->Send({0x91, 60, 100});
        backend->Send({0x91, 60, 0});
        backend->Send({0x92, 60, 100});
        backend->Send({0xE0, 0, 64}); // pitch bend: not a command status
        QCOMPARE(log.commands, (std::vector<int>{5}));
        QCOMPARE(log.anyInput, 5);

        // A second learn request cancels the first; so does the timeout.
        center.Learn(1, 10.0);
        center.Learn(2, 11.0);
        QCOMPARE(log.canceled, (std::vector<int>{1}));
        center.ExpireLearning(40.0);
        QVERIFY(center.IsLearning(2));
        center.ExpireLearning(41.0);
        QCOMPARE(log.canceled, (std::vector<int>{1, 2}));
        QVERIFY(!center.IsLearning(2));

        // Learning a message another command had takes it over and reports the loss.
        center.Learn(3, 50.0);
        backend->Send({0x91, 60, 90});
        QCOMPARE(log.canceled, (std::vector<int>{1, 2, 5}));
        QCOMPARE(center.Learned().count(5), size_t(0));
        QCOMPARE(center.Learned().at(3).note, uint8_t(60));
    }

    void manualAssignmentIsCheckedAndStored()
    {
        Log log;
        {
            MidiCommandCenter center(std::make_unique<FakeMidiInputBackend>(std::vector<std::string>{}), File(),
                                     log.Handlers());
            center.SetCommand(1, 0xB0, 15, 64);
            center.SetCommand(9, 0xC0, 0, 3);
            QVERIFY_EXCEPTION_THROWN(center.SetCommand(200, 0x90, 0, 1), std::invalid_argument);
            QVERIFY_EXCEPTION_THROWN(center.SetCommand(1, 0x80, 0, 1), std::invalid_argument);
            QVERIFY_EXCEPTION_THROWN(center.SetCommand(1, 0x90, 16, 1), std::invalid_argument);
            QVERIFY_EXCEPTION_THROWN(center.SetCommand(1, 0x90, 0, 128), std::invalid_argument);
            QVERIFY(center.LastStorageProblem().empty());
        }
        MidiCommandCenter reread(std::make_unique<FakeMidiInputBackend>(std::vector<std::string>{}), File(),
                                 log.Handlers());
        const auto learned = reread.Learned();
        QCOMPARE(learned.size(), size_t(2));
        QCOMPARE(learned.at(1), (MidiCommandRecord{0xB0, 15, 64}));
        QCOMPARE(learned.at(9), (MidiCommandRecord{0xC0, 0, 3}));
    }

    void unreadableStorageStartsEmpty()
    {
        std::ofstream(File()) << "{ not json";
        Log log;
        MidiCommandCenter center(std::make_unique<FakeMidiInputBackend>(std::vector<std::string>{}), File(),
                                 log.Handlers());
        QVERIFY(center.Learned().empty());
        QVERIFY(!center.LastStorageProblem().empty());
    }

    void shutdownEndsHandlers()
    {
        auto fake = std::make_unique<FakeMidiInputBackend>(std::vector<std::string>{"pad"});
        auto* backend = fake.get();
        Log log;
        MidiCommandCenter center(std::move(fake), File(), log.Handlers());
        center.SetSource(0);
        center.Shutdown();
        QVERIFY(!backend->Send({0x90, 1, 1}));
        center.HandleMessage({0x90, 1, 1});
        QCOMPARE(log.anyInput, 0);
    }

    void systemInputWithoutSequencerIsEmptyAndQuiet()
    {
        RtMidiInputBackend backend;
        if (backend.Available())
            QSKIP("This machine has an ALSA sequencer.");
        QVERIFY(backend.SourceNames().empty());
        QVERIFY(!backend.Open(0, {}));
        backend.Close();
    }
};

QTEST_GUILESS_MAIN(TestMidiCommandCenter)
#include "tst_midi_command_center.moc"

// The MIDI Manager as the operator reaches it: from the main menu's "MIDI Manager..." on the
// real main window, over the real engine. Learning through a source, playing with what was
// learned, a learn that times out, the assignment shown again on reopening; a machine without
// a MIDI system; a real ALSA sequencer where the machine has one; and a window that cannot be
// made reaching the operator as a dialog.
#include "AudioInterface.h"
#include "FakeMidiInputBackend.h"
#include "Interface.h"
#include "MainWindowFixture.h"
#include "ManualClock.h"
#include "MidiManagerController.h"
#include "MidiRowProbe.h"
#include "RtMidiInputBackend.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQmlProperty>
#include <QQuickWindow>
#include <QTemporaryFile>
#include <QTest>

#include <rtmidi/RtMidi.h>

#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>

using zarn::qt::MidiManagerCommandController;
using zarn::qt::MidiManagerController;
using midi_row::Lamp;
using midi_row::Part;
using midi_row::Pick;
using midi_row::Shown;
using midi_row::ShownText;

namespace {

constexpr int kPlay = 1;
constexpr int kPause = 2;

// The process's standard error at the descriptor, so what ALSA or Qt print there is caught too.
class CapturedStderrFd
{
public:
    CapturedStderrFd()
    {
        file_.open();
        std::fflush(stderr);
        saved_ = ::dup(2);
        ::dup2(file_.handle(), 2);
    }
    ~CapturedStderrFd() { Restore(); }
    QByteArray Text()
    {
        Restore();
        QFile read(file_.fileName());
        read.open(QIODevice::ReadOnly);
        return read.readAll();
    }

private:
    void Restore()
    {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        saved_ = -1;
    }
    QTemporaryFile file_;
    int saved_ = -1;
};

// An engine whose MIDI side fails as the window is made.
class FailingMidiEngine : public TransportFakeEngine
{
public:
    std::map<std::uint8_t, std::string> GetCommandNames() override
    {
        throw std::runtime_error("The MIDI command list cannot be read.");
    }
};

} // namespace

class TestMidiManagerMain : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
        f = std::make_unique<MainWindowFixture>();
        midi = nullptr;
    }
    void cleanup() { f.reset(); }

    void learnThenPlayThroughAFakeSource();
    void withoutAMidiSystemTheWindowSaysSo();
    void aRealSequencerSourceLearnsAndPlays();
    void aWindowThatCannotBeMadeIsADialog();
    void afterAShowLoadTheOldWindowCallsNothing();

private:
    // The real engine on the profile's manual clock, listening to `input` (the system's own
    // MIDI input when null).
    void UseRealEngine(std::unique_ptr<zarn::midi::MidiInputBackend> input)
    {
        auto pending = std::make_shared<std::unique_ptr<zarn::midi::MidiInputBackend>>(std::move(input));
        f->profile.makeEngine = [this, pending](const QString& showFolder) -> std::unique_ptr<Interface> {
            AudioInterface::Options options;
            options.clock = f->profile.clock;
            options.sound = false;
            options.midiInput = std::move(*pending);
            if (!options.midiInput)
                options.midiInput = std::make_unique<zarn::midi::RtMidiInputBackend>();
            auto engine = std::make_unique<AudioInterface>(showFolder.toStdString(),
                                                           f->profile.GetDataFolder().toStdString(), nullptr,
                                                           std::move(options));
            engine->ThrowIfThreadExceptions();
            return engine;
        };
    }

    MidiManagerController* OpenFromMenu()
    {
        QObject* menu = f->Window()->property("menu").value<QObject*>();
        QObject* action = menu ? menu->findChild<QObject*>(QStringLiteral("midiManagerAction")) : nullptr;
        if (!action || !QMetaObject::invokeMethod(action, "trigger"))
            return nullptr;
        MidiManagerController* manager = f->controller->GetMidiManager();
        if (manager && !QTest::qWaitForWindowExposed(qobject_cast<QWindow*>(manager->GetQmlObject())))
            qWarning("The MIDI Manager window was not shown");
        return manager;
    }

    static void Learn(MidiManagerCommandController& row)
    {
        QVERIFY(QMetaObject::invokeMethod(row.GetQmlObject(), "learnClicked"));
    }

    std::unique_ptr<MainWindowFixture> f;
    zarn::midi::FakeMidiInputBackend* midi = nullptr;
};

void TestMidiManagerMain::learnThenPlayThroughAFakeSource()
{
    auto input = std::make_unique<zarn::midi::FakeMidiInputBackend>(std::vector<std::string>{"Pad", "Keys"});
    midi = input.get();
    UseRealEngine(std::move(input));
    f->Create();
    // Written after start-up: the menu reads the file again before it opens the window.
    f->WriteGeneralSettings("[General]\ncurrentMidiSourceName=Keys\n");

    MidiManagerController* manager = OpenFromMenu();
    QVERIFY(manager);
    QObject* window = manager->GetQmlObject();
    QCOMPARE(window->property("sourceModel").toStringList(), (QStringList{"Pad", "Keys"}));
    QCOMPARE(window->property("sourceIndex").toInt(), 1);
    QCOMPARE(midi->OpenIndex(), 1);
    QCOMPARE(window->property("sourceStatus").toBool(), true);
    QCOMPARE(manager->GetCommandRows().size(), std::size_t(9));

    // Learn Play: the source sends a note-on on channel 3, and the row shows it.
    MidiManagerCommandController& play = *manager->FindRow(kPlay);
    Learn(play);
    QCOMPARE(Lamp(play), QColor("#87CEEB"));
    QVERIFY(!Part(play, "learnButton")->property("enabled").toBool());
    QVERIFY(midi->Send({0x92, 60, 100}));
    QTRY_COMPARE(Lamp(play), QColor("lawngreen"));
    QCOMPARE(ShownText(Part(play, "statusPicker")), QStringLiteral("Note On"));
    QCOMPARE(ShownText(Part(play, "channelPicker")), QStringLiteral("3"));
    QCOMPARE(ShownText(Part(play, "notePicker")), QStringLiteral("60"));
    QVERIFY(Part(play, "learnButton")->property("enabled").toBool());
    const std::shared_ptr<Interface> engine = f->controller->GetEngine();
    QVERIFY(!engine->GetIsPlaying());

    // The same message now starts the show.
    QVERIFY(midi->Send({0x92, 60, 100}));
    QTRY_VERIFY(engine->GetIsPlaying());
    engine->Stop();

    // A learn nobody answers runs out after 30 s and the row is cleared.
    MidiManagerCommandController& pause = *manager->FindRow(kPause);
    Learn(pause);
    QCOMPARE(Lamp(pause), QColor("#87CEEB"));
    f->profile.clock->AdvanceMs(31000);
    QTRY_COMPARE(Lamp(pause), QColor("dimgray"));
    QCOMPARE(Shown(Part(pause, "statusPicker")), -1);
    QVERIFY(Part(pause, "learnButton")->property("enabled").toBool());

    // Opened again, the window shows what the engine stored.
    manager = OpenFromMenu();
    QVERIFY(manager);
    MidiManagerCommandController& again = *manager->FindRow(kPlay);
    QCOMPARE(Lamp(again), QColor("lawngreen"));
    QCOMPARE(ShownText(Part(again, "channelPicker")), QStringLiteral("3"));
    QCOMPARE(ShownText(Part(again, "notePicker")), QStringLiteral("60"));
    QCOMPARE(Lamp(*manager->FindRow(kPause)), QColor("dimgray"));
    QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 0);
}

void TestMidiManagerMain::withoutAMidiSystemTheWindowSaysSo()
{
    if (::access("/dev/snd/seq", F_OK) == 0)
        QSKIP("this machine has an ALSA sequencer, so it has a MIDI system");
    UseRealEngine(nullptr);
    f->Create();
    MidiManagerController* manager = nullptr;
    QByteArray errors;
    {
        CapturedStderrFd captured;
        manager = OpenFromMenu();
        if (manager) {
            // A hand assignment still reaches the engine, which stores it.
            const auto& play = *manager->FindRow(kPlay);
            Pick(Part(play, "channelPicker"), 4);
            Pick(Part(play, "notePicker"), 36);
            Pick(Part(play, "statusPicker"), 1);
        }
        errors = captured.Text();
    }
    QVERIFY(manager);
    QObject* window = manager->GetQmlObject();
    auto* box = window->property("sourceBox").value<QObject*>();
    QCOMPARE(box->property("count").toInt(), 0);
    QCOMPARE(box->property("displayText").toString(), QStringLiteral("No MIDI system found"));
    QCOMPARE(window->property("sourceStatus").toBool(), false);
    // The selection's own console line is the only thing written.
    QVERIFY2(errors.isEmpty() || errors.trimmed().startsWith("qml: Selected"), errors.constData());
    QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 0);

    QFile stored(QDir(f->dataFolder).filePath(QStringLiteral("midi_commands.json")));
    QTRY_VERIFY(stored.exists());
    QVERIFY(stored.open(QIODevice::ReadOnly));
    const QJsonArray commands = QJsonDocument::fromJson(stored.readAll()).object().value("commands").toArray();
    QCOMPARE(commands.size(), 1);
    const QJsonObject play = commands.first().toObject();
    QCOMPARE(play.value("id").toInt(), kPlay);
    QCOMPARE(play.value("status").toInt(), 0xB0);
    QCOMPARE(play.value("channel").toInt(), 4);
    QCOMPARE(play.value("note").toInt(), 36);
}

void TestMidiManagerMain::aRealSequencerSourceLearnsAndPlays()
{
    if (::access("/dev/snd/seq", R_OK | W_OK) != 0)
        QSKIP("no ALSA sequencer here (/dev/snd/seq is missing or not usable)");
    std::unique_ptr<RtMidiOut> out;
    try {
        out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, "Corvane Test");
        out->openVirtualPort("Corvane Test Port");
    } catch (const RtMidiError& e) {
        QSKIP(qPrintable(QStringLiteral("the ALSA sequencer refused a virtual port: ")
                         + QString::fromStdString(e.getMessage())));
    }
    UseRealEngine(nullptr);
    f->Create();
    MidiManagerController* manager = OpenFromMenu();
    QVERIFY(manager);
    QObject* window = manager->GetQmlObject();
    const QStringList sources = window->property("sourceModel").toStringList();
    qsizetype index = -1;
    for (qsizetype i = 0; i < sources.size(); ++i) {
        if (sources[i].contains(QStringLiteral("Corvane Test Port")))
            index = i;
    }
    QVERIFY2(index >= 0, qPrintable(sources.join(", ")));
    QVERIFY(QMetaObject::invokeMethod(window, "sourceSelected", Q_ARG(int, int(index))));
    const std::shared_ptr<Interface> engine = f->controller->GetEngine();
    QTRY_VERIFY(engine->HasMidiSource());
    QCOMPARE(int(engine->GetConnectedSourceIndex()), int(index));

    MidiManagerCommandController& play = *manager->FindRow(kPlay);
    Learn(play);
    const std::vector<unsigned char> noteOn{0x95, 62, 90};
    out->sendMessage(&noteOn);
    QTRY_COMPARE(Lamp(play), QColor("lawngreen"));
    QCOMPARE(ShownText(Part(play, "channelPicker")), QStringLiteral("6"));
    QCOMPARE(ShownText(Part(play, "notePicker")), QStringLiteral("62"));
    out->sendMessage(&noteOn);
    QTRY_VERIFY(engine->GetIsPlaying());
}

void TestMidiManagerMain::aWindowThatCannotBeMadeIsADialog()
{
    f->profile.makeEngine = [](const QString&) -> std::unique_ptr<Interface> {
        return std::make_unique<FailingMidiEngine>();
    };
    f->Create();
    QVERIFY(!OpenFromMenu());
    QTRY_COMPARE(MainWindowFixture::VisibleDialogs().size(), 1);
    QWindow* dialog = MainWindowFixture::VisibleDialogs().front();
    QCOMPARE(dialog->property("title").toString(), QStringLiteral("MIDI Manager Error"));
    QCOMPARE(dialog->property("text").toString(), QStringLiteral("The MIDI command list cannot be read."));
}

// The old window outlives a show load (until the menu opens a new one); the engine it was made
// with is shut down, and it must not be called.
void TestMidiManagerMain::afterAShowLoadTheOldWindowCallsNothing()
{
    f->Create();
    MidiManagerController* manager = OpenFromMenu();
    QVERIFY(manager);
    f->controller->LoadShow_();
    MainWindowFixture::FlushDeletes();
    QCOMPARE(f->controller->GetMidiManager(), manager);
    QVERIFY(QMetaObject::invokeMethod(manager->FindRow(kPlay)->GetQmlObject(), "learnClicked"));
    QTRY_COMPARE(MainWindowFixture::VisibleDialogs().size(), 1);
    QWindow* dialog = MainWindowFixture::VisibleDialogs().front();
    QCOMPARE(dialog->property("title").toString(), QStringLiteral("MIDI Manager Error"));
    QCOMPARE(dialog->property("text").toString(), QStringLiteral("No show is loaded."));
    QVERIFY(Part(*manager->FindRow(kPlay), "learnButton")->property("enabled").toBool());
}

QTEST_MAIN(TestMidiManagerMain)
#include "tst_midi_manager_main.moc"

// The Audio Manager over the real engine on a private PulseAudio server with two null sinks,
// "corvane_null" ("Null Output") and "corvane_stage" ("Stage"): the window lists them, a choice
// moves the engine's sound and is stored, a second start applies it; the stage sink going away
// while the show plays, again and again: the show goes on silent, says so, and nothing of ours
// moves to the other sink.
#include "AudioInterface.h"
#include "AudioManagerController.h"
#include "DeviceControlWin32.h"
#include "FakeMidiInputBackend.h"
#include "MainWindowFixture.h"
#include "PulseNullSink.h"

#include <QDir>
#include <QGuiApplication>
#include <QQmlProperty>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QtTest>

#include <QElapsedTimer>

#include <memory>

using zarn::qt::AudioManagerController;

namespace {

PulseNullSink* g_sink = nullptr; // started before the application object

const QString kStage = QStringLiteral("corvane_stage");
const QString kNull = QStringLiteral("corvane_null");
const QString kLostStage = QStringLiteral("Audio device lost: Stage");

bool StageListed()
{
    for (const auto& device : zarn::audio::DeviceControlWin32().GetOutputDevices()) {
        if (device.uid == kStage.toStdString())
            return true;
    }
    return false;
}

AudioInterface* Engine(MainWindowFixture& f)
{
    return dynamic_cast<AudioInterface*>(f.controller->GetEngine().get());
}

} // namespace

class TestAudioManagerPulse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!g_sink->Started())
            QSKIP(qPrintable("PulseAudio cannot start here: " + g_sink->Problem()));
        QVERIFY(g_sink->LoadSink(kStage, QStringLiteral("Stage")));
    }
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
        f = std::make_unique<MainWindowFixture>();
        // The real engine with its sound, its own output as the clock.
        f->profile.makeEngine = [this](const QString& showFolder) -> std::unique_ptr<Interface> {
            AudioInterface::Options options;
            options.sound = true;
            options.midiInput = std::make_unique<zarn::midi::FakeMidiInputBackend>(std::vector<std::string>{});
            auto engine = std::make_unique<AudioInterface>(showFolder.toStdString(),
                                                           f->profile.GetDataFolder().toStdString(), nullptr,
                                                           std::move(options));
            engine->ThrowIfThreadExceptions();
            return engine;
        };
    }
    void cleanup()
    {
        f.reset();
        if (g_sink->Started() && !g_sink->HasSink(kStage))
            g_sink->LoadSink(kStage, QStringLiteral("Stage"));
    }

    void theChoiceMovesTheSoundAndIsStored();
    void aLostDeviceLeavesTheShowPlayingSilent();
    void aReturningDeviceResumesSound();

private:
    AudioManagerController* OpenFromMenu()
    {
        QObject* menu = f->Window()->property("menu").value<QObject*>();
        QObject* action = menu ? menu->findChild<QObject*>(QStringLiteral("audioManagerAction")) : nullptr;
        if (!action || !QMetaObject::invokeMethod(action, "trigger"))
            return nullptr;
        AudioManagerController* manager = f->controller->GetAudioManager();
        if (manager && !QTest::qWaitForWindowExposed(qobject_cast<QWindow*>(manager->GetQmlObject())))
            qWarning("The Audio Manager window was not shown");
        return manager;
    }

    // Plays on the stage sink and waits until the engine's stream is there and time runs.
    void PlayOnStage()
    {
        AudioInterface* engine = Engine(*f);
        // A sink loaded again is listed once Qt Multimedia has heard of it.
        QTRY_VERIFY_WITH_TIMEOUT(StageListed(), 5000);
        engine->SetOutputDeviceUid(kStage.toStdString());
        engine->Play();
        QTRY_VERIFY_WITH_TIMEOUT(engine->IsSoundActive(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(g_sink->StreamSinks(), QStringList{kStage}, 5000);
        const uint32_t start = engine->GetTickIndex();
        QTRY_VERIFY_WITH_TIMEOUT(engine->GetTickIndex() > start + 240, 5000);
    }

    std::unique_ptr<MainWindowFixture> f;
};

void TestAudioManagerPulse::theChoiceMovesTheSoundAndIsStored()
{
    f->Create();
    AudioManagerController* manager = OpenFromMenu();
    QVERIFY(manager);
    QObject* window = manager->GetQmlObject();
    const QStringList names = window->property("outputDeviceModel").toStringList();
    QCOMPARE(names, (QStringList{"(default)", "Null Output", "Stage"}));
    QCOMPARE(window->property("outputDeviceIndex").toInt(), 0);

    QQmlProperty::write(window, QStringLiteral("outputDeviceIndex"), int(names.indexOf("Stage")));
    QVERIFY(QMetaObject::invokeMethod(window, "okay"));
    QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 0);
    QCOMPARE(QString::fromStdString(Engine(*f)->GetOutputDeviceUid()), kStage);
    QSettings stored(QDir(f->dataFolder).filePath(QStringLiteral("general_settings.zarn")), QSettings::IniFormat);
    QCOMPARE(stored.value(QStringLiteral("defaultOutputDeviceString")).toString(), kStage);

    // The demo plays into the stage sink, and only there.
    Engine(*f)->Play();
    QTRY_COMPARE_WITH_TIMEOUT(g_sink->StreamSinks(), QStringList{kStage}, 5000);
    const uint32_t start = Engine(*f)->GetTickIndex();
    QTRY_VERIFY_WITH_TIMEOUT(Engine(*f)->GetTickIndex() > start + 480, 5000);
    QVERIFY2(Engine(*f)->GetSoundProblem().empty(), Engine(*f)->GetSoundProblem().c_str());

    // A second start applies the stored device, and the window shows it chosen.
    f->Destroy();
    QTRY_VERIFY_WITH_TIMEOUT(g_sink->StreamSinks().isEmpty(), 5000);
    f->Create();
    QCOMPARE(QString::fromStdString(Engine(*f)->GetOutputDeviceUid()), kStage);
    QTRY_COMPARE_WITH_TIMEOUT(g_sink->StreamSinks(), QStringList{kStage}, 5000);
    manager = OpenFromMenu();
    QVERIFY(manager);
    QCOMPARE(manager->GetQmlObject()->property("outputDeviceIndex").toInt(), int(names.indexOf("Stage")));
}

// Repeated: a loss must be handled the same way every time, and the process must stay sound.
void TestAudioManagerPulse::aLostDeviceLeavesTheShowPlayingSilent()
{
    f->Create();
    AudioInterface* engine = Engine(*f);
    double slowestMs = 0;
    for (int round = 0; round < 20; ++round) {
        PlayOnStage();
        QElapsedTimer sinceUnload;
        sinceUnload.start();
        QVERIFY(g_sink->UnloadSink(kStage));
        QTRY_VERIFY_WITH_TIMEOUT(!engine->IsSoundActive(), 1000);
        slowestMs = std::max(slowestMs, double(sinceUnload.elapsed()));
        QVERIFY2(QString::fromStdString(engine->GetSoundProblem()).startsWith(kLostStage),
                 engine->GetSoundProblem().c_str());
        // Nothing of ours went on playing on the other sink.
        QVERIFY2(!g_sink->StreamSinks().contains(kNull), qPrintable(g_sink->StreamSinks().join(" ")));
        QVERIFY(engine->GetIsPlaying());
        const uint32_t atLoss = engine->GetTickIndex();
        QTRY_VERIFY_WITH_TIMEOUT(engine->GetTickIndex() > atLoss + 480, 3000);
        QVERIFY(g_sink->StreamSinks().isEmpty());

        if (round == 0) {
            // The Audio Manager opened now says so in one line, and selects "(default)".
            AudioManagerController* manager = OpenFromMenu();
            QVERIFY(manager);
            auto* line = manager->GetQmlObject()->findChild<QQuickItem*>(QStringLiteral("soundProblemLine"));
            QVERIFY(line && line->isVisible());
            QVERIFY(line->property("text").toString().startsWith(kLostStage));
            QCOMPARE(manager->GetQmlObject()->property("outputDeviceIndex").toInt(), 0);
            manager->SetVisible(false);
        }
        engine->Stop();
        QVERIFY(g_sink->LoadSink(kStage, QStringLiteral("Stage")));
    }
    qInfo("a lost device was noticed at most %.0f ms after its sink began to unload", slowestMs);
}

void TestAudioManagerPulse::aReturningDeviceResumesSound()
{
    f->Create();
    AudioInterface* engine = Engine(*f);
    PlayOnStage();
    QVERIFY(g_sink->UnloadSink(kStage));
    QTRY_VERIFY_WITH_TIMEOUT(!engine->IsSoundActive(), 1000);
    QVERIFY(g_sink->LoadSink(kStage, QStringLiteral("Stage")));
    QTRY_VERIFY_WITH_TIMEOUT(engine->IsSoundActive(), 1500);
    QVERIFY2(engine->GetSoundProblem().empty(), engine->GetSoundProblem().c_str());
    QTRY_COMPARE_WITH_TIMEOUT(g_sink->StreamSinks(), QStringList{kStage}, 5000);
}

int main(int argc, char** argv)
{
    PulseNullSink sink;
    g_sink = &sink;
    QGuiApplication app(argc, argv);
    TestAudioManagerPulse test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_audio_manager_pulse.moc"

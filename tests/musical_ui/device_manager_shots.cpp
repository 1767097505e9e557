// The MIDI Manager (rows unassigned, assigned and learning; a machine without a MIDI system) and
// the Audio Manager (a device list; a lost device's line), rendered to PNG files for looking at
// them. Needs a GL display (run_under_xvfb.sh); not run by ctest.
#include "AppSettings.h"
#include "AudioManagerController.h"
#include "DeviceControlWin32.h"
#include "GalleryShot.h"
#include "InertEngine.h"
#include "MidiManagerController.h"
#include "QmlModuleLoader.h"
#include "ShowManager.h"

#include <QDir>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <iostream>
#include <set>

namespace {

class ShotEngine : public InertEngine
{
public:
    std::map<std::uint8_t, std::string> GetCommandNames() override
    {
        return {{1, "Play"},      {2, "Pause"},         {3, "Stop"},        {4, "Continue"},       {5, "Exit Vamp"},
                {6, "Next Song"}, {7, "Previous Song"}, {8, "Next Marker"}, {9, "Previous Marker"}};
    }
    std::map<std::uint8_t, MidiCommandRecord> GetLearnedCommands() override
    {
        return {{1, {0x90, 0, 60}}, {3, {0xB0, 15, 64}}, {6, {0xC0, 9, 12}}};
    }
    bool IsMidiCommandLearning(std::uint8_t id) override { return id == 2; }
    std::vector<int> GetAllowedCommandStatuses() override { return {0x90, 0xB0, 0xC0}; }
    std::vector<MidiEndPoint> GetMidiSources() override
    {
        std::vector<MidiEndPoint> list;
        for (const auto& s : sources)
            list.emplace_back(s);
        return list;
    }
    bool HasMidiSource() override { return !sources.empty(); }
    std::string GetMidiProblem() override { return sources.empty() ? "No MIDI system found" : ""; }
    std::string GetOutputDeviceUid() override { return "corvane_stage"; }
    double GetVolume() override { return 1.0; }
    std::string GetSoundProblem() override { return problem; }

    std::vector<std::string> sources{"Midi Through:Midi Through Port-0 14:0", "Launchpad Mini:MIDI 1 20:0"};
    std::string problem;
};

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QTemporaryDir dir;
    QQmlEngine qml;
    zarn::qt::QmlModuleLoader::PrepareEngine(qml);
    QQuickWindow main;
    main.resize(900, 700);
    main.show();
    auto engine = std::make_shared<ShotEngine>();
    auto showManager = std::make_shared<zarn::ShowManager>(engine);
    auto settings = std::make_shared<zarn::AppSettings>(
        std::make_unique<QSettings>(dir.filePath("general_settings.zarn"), QSettings::IniFormat));
    settings->currentMidiSourceName = QStringLiteral("Launchpad Mini:MIDI 1 20:0");
    zarn::audio::DeviceControlWin32::SetDevicesForTesting(std::vector<zarn::audio::AudioDevice>{
        {"Null Output", "corvane_null"}, {"Stage", "corvane_stage"}, {"Built-in Audio Analog Stereo", "alsa_output"}});
    bool ok = true;
    try {
        {
            zarn::qt::MidiManagerController manager(&qml, showManager, settings, &main);
            ok &= GalleryShot::ShowAndSave(qobject_cast<QQuickWindow*>(manager.GetQmlObject()), folder,
                        QStringLiteral("midi_manager.png"));
        }
        engine->sources.clear();
        {
            zarn::qt::MidiManagerController manager(&qml, showManager, settings, &main);
            ok &= GalleryShot::ShowAndSave(qobject_cast<QQuickWindow*>(manager.GetQmlObject()), folder,
                        QStringLiteral("midi_manager_no_midi.png"));
        }
        {
            zarn::qt::AudioManagerController manager(&qml, engine, &main);
            ok &= GalleryShot::ShowAndSave(qobject_cast<QQuickWindow*>(manager.GetQmlObject()), folder,
                        QStringLiteral("audio_manager.png"));
        }
        engine->problem = "Audio device lost: Stage. Sound is off until it returns or another device is chosen.";
        {
            zarn::qt::AudioManagerController manager(&qml, engine, &main);
            ok &= GalleryShot::ShowAndSave(qobject_cast<QQuickWindow*>(manager.GetQmlObject()), folder,
                        QStringLiteral("audio_manager_lost_device.png"));
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return ok ? 0 : 1;
}

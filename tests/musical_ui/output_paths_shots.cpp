// The output paths window, its form and the mixer page hosted with two sections of three
// tracks, rendered to PNG files for looking at them. Needs a GL display (run_under_xvfb.sh);
// not run by ctest.
#include "DeviceControlWin32.h"
#include "GalleryShot.h"
#include "MainWindowFixture.h"
#include "MixerHost.h"
#include "MusicalMainController.h"
#include "OutputPathsManagerController.h"
#include "QmlModuleLoader.h"
#include "zarn_core/Directories.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>

#include <iostream>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QQmlEngine qml;
    zarn::qt::QmlModuleLoader::PrepareEngine(qml);
    QQuickWindow main;
    main.resize(900, 700);
    main.show();

    QTemporaryDir show;
    directories.SetShowDirectory(show.path().toStdString());
    {
        QFile file(show.filePath(QStringLiteral("outputpathdevices.json")));
        file.open(QIODevice::WriteOnly);
        file.write(R"({"outputpaths":[{"id":"a","hwid":"usb"},{"id":"c","hwid":"gone"},{"id":"d","hwid":"null-2"}]})");
    }
    zarn::audio::DeviceControlWin32::SetDevicesForTesting(std::vector<zarn::audio::AudioDevice>{
        {"Built-in Audio Analog Stereo", "builtin"}, {"USB Audio Interface 2i2", "usb"},
        {"Null Output", "null-1"}, {"Null Output", "null-2"}});
    bool ok = true;
    try {
        const std::map<std::string, CL::OutputPath> paths = {
            {"a", CL::OutputPath("a", "Main", "")},
            {"b", CL::OutputPath("b", "Stage Left", "")},
            {"c", CL::OutputPath("c", "Orchestra Pit Monitor With A Very Long Name Indeed", "")},
            {"d", CL::OutputPath("d", "Booth", "")}};
        zarn::qt::OutputPathsManagerController manager(paths, &qml, &main);
        auto* window = qobject_cast<QQuickWindow*>(manager.GetQmlObject());
        window->setProperty("currentIndex", 1);
        window->show();
        // The highlight glides to the current row in 250 ms.
        QTest::qWait(400);
        ok &= GalleryShot::ShowAndSave(window, folder, QStringLiteral("output_paths.png"));
        window->setProperty("currentIndex", 3);
        QMetaObject::invokeMethod(window, "openEditPath");
        auto* tool = window->property("pathTool").value<QQuickWindow*>();
        ok &= GalleryShot::ShowAndSave(tool, folder, QStringLiteral("output_path_tool.png"));
        tool->close();
        window->hide();

        MixerHost host(2, 3);
        QQuickWindow mixerWindow;
        mixerWindow.setTitle(QStringLiteral("Mixer"));
        mixerWindow.resize(760, 520);
        mixerWindow.setColor(QColor(32, 32, 32));
        QQuickItem* view = MixerHost::LoadView(qml, mixerWindow);
        if (!view)
            return 1;
        host.Attach(view);
        view->setProperty("showTempoScale", true);
        view->setProperty("showTranspose", true);
        host.Sections()->UpdateShown(0, zarn::qt::MixerModel::IsMutedRole, true);
        host.Sections()->UpdateShown(1, zarn::qt::MixerModel::IsSoloRole, true);
        host.Tracks(0)->UpdateShown(1, zarn::qt::MixerTracksModel::IsMutedRole, true);
        host.Tracks(0)->UpdateShown(2, zarn::qt::MixerTracksModel::IsSoloRole, true);
        host.Tracks(1)->UpdateShown(2, zarn::qt::MixerTracksModel::VolumeScaledDbRole, 0.3);
        ok &= GalleryShot::ShowAndSave(&mixerWindow, folder, QStringLiteral("mixer.png"));
        mixerWindow.hide();
        main.hide();

        // On the demo show in the main window, as the operator opens it.
        zarn::audio::DeviceControlWin32::SetDevicesForTesting(std::vector<zarn::audio::AudioDevice>{
            {"Built-in Audio Analog Stereo", "builtin"}, {"Null Output", "null-1"}});
        MainWindowFixture f;
        f.Create();
        auto* mainWindow = qobject_cast<QQuickWindow*>(f.Window());
        ok &= GalleryShot::ShowAndSave(mainWindow, folder, QStringLiteral("main_window_no_mixer_tab.png"));
        QMetaObject::invokeMethod(f.Window(), "outputPathsOpened");
        auto* demoPaths = qobject_cast<QQuickWindow*>(f.controller->GetOutputPathsManager()->GetQmlObject());
        QTest::qWait(400);
        ok &= GalleryShot::ShowAndSave(demoPaths, folder, QStringLiteral("output_paths_demo.png"));
        demoPaths->hide();
        f.Destroy();
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    zarn::audio::DeviceControlWin32::SetDevicesForTesting(std::nullopt);
    return ok ? 0 : 1;
}

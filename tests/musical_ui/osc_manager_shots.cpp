// The OSC settings window, its destination window and the note under a refused port, rendered
// to PNG files for looking at them. Needs a GL display (run_under_xvfb.sh); not run by ctest.
#include "GalleryShot.h"
#include "OscFakeEngine.h"
#include "OscManagerController.h"
#include "QmlModuleLoader.h"

#include <QDir>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <iostream>

namespace {

class NetworksEngine : public OscFakeEngine
{
public:
    const std::vector<CL::NetworkPath>& GetNetworks() override { return networkList; }
    CL::NetworkPathVectorT networkList{CL::NetworkPath("NETWORK0", "Lighting desk", "10.0.0.5", 53000, 0),
                                       CL::NetworkPath("NETWORK1", "Sound desk", "192.168.1.20", 9000, 1)};
};

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QQmlEngine qml;
    zarn::qt::QmlModuleLoader::PrepareEngine(qml);
    QQuickWindow main;
    main.resize(800, 600);
    main.show();
    auto engine = std::make_shared<NetworksEngine>();
    try {
        zarn::qt::OscManagerController manager(&qml, zarn::osc::OscSettings(true, 55037), engine, &main);
        auto* window = qobject_cast<QQuickWindow*>(manager.GetQmlObject());
        window->findChild<QQuickItem*>(QStringLiteral("networkList"))->setProperty("currentIndex", 1);
        bool ok = GalleryShot::ShowAndSave(window, folder, QStringLiteral("osc_manager.png"));

        window->setProperty("oscListenPortString", QStringLiteral("70000"));
        QMetaObject::invokeMethod(window, "okay");
        ok &= GalleryShot::ShowAndSave(window, folder, QStringLiteral("osc_manager_port_note.png"));

        QMetaObject::invokeMethod(window, "openEditNetwork");
        auto* edit = window->property("networkEditWindow").value<QQuickWindow*>();
        ok &= GalleryShot::ShowAndSave(edit, folder, QStringLiteral("network_edit_window.png"));
        edit->setProperty("ipAddress", QStringLiteral("host.example"));
        edit->findChild<QQuickItem*>(QStringLiteral("portField"))->setProperty("text", QStringLiteral("abc"));
        QMetaObject::invokeMethod(edit, "accept");
        ok &= GalleryShot::ShowAndSave(edit, folder, QStringLiteral("network_edit_window_notes.png"));
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}

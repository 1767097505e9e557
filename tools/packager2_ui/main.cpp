// The show packager: the packager window over its controller, as an application of its own.
#include "QmlModuleLoader.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>
#include <memory>

Q_IMPORT_QML_PLUGIN(com_lanternhillstudios_zarn_uiPlugin)
Q_IMPORT_QML_PLUGIN(com_lanternhillstudios_packager2_uiPlugin)

int main(int argc, char* argv[])
{
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QGuiApplication app(argc, argv);
    // The window keeps its fields in the settings store named by these.
    QGuiApplication::setOrganizationName(QStringLiteral("Lantern Hill Studios"));
    QGuiApplication::setApplicationName(QStringLiteral("ZARN Show Packager"));

    QQmlEngine engine;
    zarn::qt::QmlModuleLoader::PrepareEngine(engine);
    QObject::connect(&engine, &QQmlEngine::quit, &app, &QGuiApplication::quit);
    QQmlComponent component(&engine);
    zarn::qt::QmlModuleLoader::LoadFromModule(component, zarn::qt::QmlModuleLoader::kZarnUiModule,
                                              QStringLiteral("PackagerWindow"));
    std::unique_ptr<QObject> window(component.create());
    if (!window) {
        std::fprintf(stderr, "packager_window: %s\n", qPrintable(component.errorString()));
        return 1;
    }
    return app.exec();
}

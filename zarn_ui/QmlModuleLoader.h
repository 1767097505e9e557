#pragma once

#include <QString>

class QQmlComponent;
class QQmlEngine;

namespace zarn::qt {

// Every QML engine the program (or a test) creates goes through here, so the modules
// compiled into the resources resolve the same way everywhere.
class QmlModuleLoader
{
public:
    // Qt 6.4 does not search the resource root of our modules on its own.
    static void PrepareEngine(QQmlEngine& engine);

    // Loads the type `typeName` of module `uri` into `component`, as
    // QQmlComponent::loadFromModule does on later Qt versions. A name the module does
    // not list leaves the component in its error state.
    static void LoadFromModule(QQmlComponent& component, const QString& uri, const QString& typeName);

    static const QString kZarnUiModule;
    static const QString kMusicalUiModule;
    static const QString kCorvane2UiModule;
};

} // namespace zarn::qt

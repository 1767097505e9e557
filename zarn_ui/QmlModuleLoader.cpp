#include "QmlModuleLoader.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QUrl>
#include <QtGlobal>

namespace zarn::qt {

const QString QmlModuleLoader::kZarnUiModule = QStringLiteral("com.lanternhillstudios.zarn_ui");
const QString QmlModuleLoader::kMusicalUiModule = QStringLiteral("com.lanternhillstudios.musical_ui");
const QString QmlModuleLoader::kCorvane2UiModule = QStringLiteral("com.lanternhillstudios.corvane2_ui");

void QmlModuleLoader::PrepareEngine(QQmlEngine& engine)
{
    const QString resourceRoot = QStringLiteral("qrc:/qt/qml");
    if (!engine.importPathList().contains(resourceRoot))
        engine.addImportPath(resourceRoot);
}

void QmlModuleLoader::LoadFromModule(QQmlComponent& component, const QString& uri, const QString& typeName)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    component.loadFromModule(uri, typeName);
#else
    const QString source = QStringLiteral("import %1\n%2 {}\n").arg(uri, typeName);
    component.setData(source.toUtf8(), QUrl());
#endif
}

} // namespace zarn::qt

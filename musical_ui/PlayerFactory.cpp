#include "PlayerFactory.h"

#include "ZarnPlayerOscCallback.h"

#include <QDir>
#include <QStandardPaths>

#include <filesystem>

namespace zarn {

PlayerFactory::~PlayerFactory() = default;

std::unique_ptr<QObject> PlayerFactory::CreateMixerController(
    QObject*, QQmlEngine*, std::shared_ptr<Interface> player, std::shared_ptr<AppSettings> settings)
{
    player.reset();
    settings.reset();
    return nullptr;
}

std::shared_ptr<ZarnPlayerOscCallback> PlayerFactory::CreateOscCallback(int defaultPort)
{
    return std::make_shared<ZarnPlayerOscCallback>(defaultPort);
}

QString PlayerFactory::GetVersionString() const
{
    return QStringLiteral("%1.%2.%3").arg(versionMajor).arg(versionMinor).arg(versionPatch);
}

QString PlayerFactory::GetVersionIdentifier() const
{
    return versionIdentifier;
}

QString PlayerFactory::GetDataFolder() const
{
    // The application's local data location is the generic one plus the application
    // name; going up one level and into the edition folder lands where the error log
    // route lands too.
    const QDir appData(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
    const QDir dataFolder(appData.filePath(QStringLiteral("../") + folderName));
    if (!dataFolder.exists())
        dataFolder.mkpath(QStringLiteral("."));
    return dataFolder.absolutePath();
}

std::string PlayerFactory::GetErrorLogFolder() const
{
    const std::filesystem::path folder =
        std::filesystem::path(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString())
        / folderName.toStdString();
    if (!std::filesystem::exists(folder))
        std::filesystem::create_directories(folder);
    return folder.string();
}

} // namespace zarn

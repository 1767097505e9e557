#include "Launcher.h"

#include <QDir>
#include <QQmlApplicationEngine>
#include <QStandardPaths>

#include <stdexcept>

namespace zarn::qt {

namespace {

const char* const kStartWindow = R"(import QtQuick
import QtQuick.Window
Window {
    required property string editionName
    required property string versionText
    visible: true
    width: 640
    height: 360
    title: editionName
    color: "#1e2024"
    Column {
        anchors.centerIn: parent
        spacing: 12
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: editionName
            color: "#f0f0f0"
            font.pixelSize: 40
            font.family: "Liberation Sans"
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Version " + versionText
            color: "#a0a4ab"
            font.pixelSize: 14
            font.family: "Liberation Sans"
        }
    }
}
)";

} // namespace

Launcher::Launcher(QQmlApplicationEngine* engine, std::unique_ptr<zarn::PlayerFactory> profile, QObject* parent)
    : QObject(parent), engine_(engine), profile_(std::move(profile))
{
    dataFolder_ = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                      .filePath(profile_->folderName);
    if (!QDir().mkpath(dataFolder_))
        throw std::runtime_error("Could not create the data folder \"" + dataFolder_.toStdString() + "\".");

    engine_->setInitialProperties({{QStringLiteral("editionName"), profile_->displayName},
                                   {QStringLiteral("versionText"), profile_->GetVersionString()}});
    engine_->loadData(QByteArray(kStartWindow), QUrl(QStringLiteral("qrc:/corvane/StartWindow.qml")));
    if (engine_->rootObjects().isEmpty())
        throw std::runtime_error("The start window could not be created.");
}

Launcher::~Launcher() = default;

const zarn::PlayerFactory& Launcher::GetProfile() const
{
    return *profile_;
}

QString Launcher::GetDataFolder() const
{
    return dataFolder_;
}

} // namespace zarn::qt

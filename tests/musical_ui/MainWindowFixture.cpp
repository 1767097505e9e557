#include "MainWindowFixture.h"

#include "FreeOscPort.h"

#include "OscSettings.h"
#include "QmlModuleLoader.h"
#include "zarn_core/EngineEventHub.h"
#include "zarn_core/ShowStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQmlApplicationEngine>
#include <QWindow>

#include <filesystem>
#include <stdexcept>
#include <thread>

MainWindowFixture::MainWindowFixture()
    : qml(std::make_unique<QQmlApplicationEngine>())
{
    zarn::qt::QmlModuleLoader::PrepareEngine(*qml);
    dataFolder = profile.GetDataFolder();
    showFolder = QDir(dataFolder).filePath(QStringLiteral("lanterns"));
    std::filesystem::copy(CORVANE_DEMO_SHOW, showFolder.toStdString(), std::filesystem::copy_options::recursive);
    cmn::ShowRecord record;
    record.id = "lanterns";
    record.folder = "lanterns";
    record.showName = "Lanterns";
    record.customerName = "Hall Theatre";
    cmn::ShowStore::Write(dataFolder.toStdString(), record.id, {record});
    oscPort = FreeUdpPort();
    WriteOscSettings(true, oscPort);
}

MainWindowFixture::~MainWindowFixture()
{
    Destroy();
    qml.reset();
    FlushDeletes();
}

TransportFakeEngine* MainWindowFixture::UseFakeEngine()
{
    auto engine = std::make_unique<TransportFakeEngine>();
    fake = engine.get();
    log = engine->log;
    auto pending = std::make_shared<std::unique_ptr<TransportFakeEngine>>(std::move(engine));
    profile.makeEngine = [pending](const QString&) -> std::unique_ptr<Interface> {
        if (!*pending)
            throw std::logic_error("UseFakeEngine makes one engine");
        return std::move(*pending);
    };
    return fake;
}

void MainWindowFixture::Create()
{
    controller = std::make_unique<zarn::qt::MusicalMainController>(qml.get(), &profile);
}

void MainWindowFixture::Destroy()
{
    controller.reset();
    fake = nullptr;
    FlushDeletes();
}

QObject* MainWindowFixture::Window() const
{
    return controller ? controller->GetQmlObject() : nullptr;
}

QVariant MainWindowFixture::WindowProperty(const char* name) const
{
    return Window()->property(name);
}

QVariant MainWindowFixture::ChildProperty(const char* alias, const char* name) const
{
    auto* child = Window()->property(alias).value<QObject*>();
    if (!child)
        throw std::runtime_error(std::string("the window has no ") + alias);
    return child->property(name);
}

void MainWindowFixture::WriteGeneralSettings(const QByteArray& ini) const
{
    QFile file(QDir(dataFolder).filePath(QStringLiteral("general_settings.zarn")));
    if (!file.open(QIODevice::WriteOnly) || file.write(ini) != ini.size())
        throw std::runtime_error("cannot write the general settings");
}

void MainWindowFixture::WriteOscSettings(bool enabled, int port) const
{
    const QString path = QDir(dataFolder).filePath(QStringLiteral("osc_settings.zarn"));
    std::string why;
    if (!zarn::osc::WriteOscSettings(zarn::osc::OscSettings(enabled, port), path.toStdString(), &why))
        throw std::runtime_error(why);
}

int MainWindowFixture::FreeUdpPort()
{
    return ::FreeUdpPort();
}

void MainWindowFixture::PointShowAt(const QString& base) const
{
    const QDir demoRoot(QStringLiteral(CORVANE_DEMO_SERVER_ROOT));
    QFile server(demoRoot.filePath(QStringLiteral("server.json")));
    QFile credential(demoRoot.filePath(QStringLiteral("show/credential.json")));
    QFile installed(QDir(showFolder).filePath(QStringLiteral("credential.json")));
    if (!server.open(QIODevice::ReadOnly) || !credential.open(QIODevice::ReadOnly)
        || !installed.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot install the demo server root's credential");
    const QByteArray credentialText = credential.readAll();
    if (installed.write(credentialText) != credentialText.size())
        throw std::runtime_error("cannot install the demo server root's credential");
    cmn::ShowRecord record;
    record.id = "lanterns";
    record.folder = "lanterns";
    record.showName = "Lanterns";
    record.customerName = "Hall Theatre";
    record.authHash =
        QJsonDocument::fromJson(server.readAll()).object().value(QStringLiteral("authHash")).toString().toStdString();
    record.apiBaseUrl = base.toStdString();
    cmn::ShowStore::Write(dataFolder.toStdString(), record.id, {record});
}

void MainWindowFixture::MakeChangeLogNewerMinor() const
{
    QFile file(QDir(showFolder).filePath(QStringLiteral("lanterns-1.0.logdata")));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("the demo show has no change log");
    QByteArray text = file.readAll();
    file.close();
    const QByteArray format("\"format\":\"1.0\"");
    if (!text.contains(format))
        throw std::runtime_error("the change log's format is not 1.0");
    text.replace(format, QByteArray("\"format\":\"1.9\""));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        throw std::runtime_error("cannot rewrite the change log");
}

void MainWindowFixture::PostFromThread(notify::EngineEvent kind, int value, const std::string& text)
{
    std::thread([&] { notify::EngineEventHub::Post(kind, value, text); }).join();
}

QList<QWindow*> MainWindowFixture::VisibleDialogs()
{
    QList<QWindow*> dialogs;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        // Message dialogs are the windows with an acknowledgement text.
        if (window->isVisible() && window->property("okCheckboxString").isValid())
            dialogs.append(window);
    }
    return dialogs;
}

void MainWindowFixture::FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

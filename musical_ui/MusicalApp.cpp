#include "MusicalApp.h"

#include "ErrorLogWriter.h"
#include "FatalError.h"
#include "GuardedGuiApplication.h"
#include "Launcher.h"
#include "QmlModuleLoader.h"

#include <QQmlApplicationEngine>
#include <QQuickStyle>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

#ifdef _WIN32
#include <windows.h>
#endif

static void InitImageResources()
{
    Q_INIT_RESOURCE(images);
}

namespace zarn::qt {

const char* const MusicalApp::kErrorLogFileName = "zarn_corvane_error_log.txt";

MusicalApp::MusicalApp(int argc, char** argv, std::unique_ptr<zarn::PlayerFactory> profile)
    : QObject(nullptr), argc_(argc)
{
    InitImageResources();
    if (FindConsoleOption(argc, argv) >= 0)
        OpenConsole();

    std::string errorLogFolder;
    std::string applicationName;
    QString versionText;
    try {
        versionText = profile->GetVersionString() + QStringLiteral(" - ") + profile->GetVersionIdentifier();
        errorLogFolder = profile->GetErrorLogFolder();
        applicationName = profile->displayName.toStdString();

        QQuickStyle::setStyle(QStringLiteral("Basic"));
        QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
        application_ = new GuardedGuiApplication(argc_, argv);

        engine_ = new QQmlApplicationEngine();
        QmlModuleLoader::PrepareEngine(*engine_);
        QObject::connect(engine_, &QQmlEngine::quit, engine_, &QCoreApplication::quit, Qt::DirectConnection);

        launcher_ = new Launcher(engine_, std::move(profile), nullptr);
        QGuiApplication::exec();
        FatalError::RethrowIfCaptured();
    } catch (const std::exception& e) {
        WriteErrorLog(e, errorLogFolder, applicationName, versionText.toStdString());
        exitCode_ = 1;
    }
}

MusicalApp::~MusicalApp()
{
    delete launcher_;
    delete engine_;
    delete application_;
}

int MusicalApp::ExitCode() const
{
    return exitCode_;
}

int MusicalApp::FindConsoleOption(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-c") == 0 || std::strcmp(argv[i], "--console") == 0)
            return i;
    }
    return -1;
}

void MusicalApp::OpenConsole()
{
#ifdef _WIN32
    AllocConsole();
    FILE* stream = nullptr;
    freopen_s(&stream, "CONOUT$", "w", stdout);
    freopen_s(&stream, "CONOUT$", "w", stderr);
#endif
    // Elsewhere standard output and error already reach the terminal that started us.
}

void MusicalApp::WriteErrorLog(const std::exception& e, const std::string& folder, const std::string& application,
                               const std::string& version)
{
    const std::filesystem::path path =
        folder.empty() ? std::filesystem::path(kErrorLogFileName) : std::filesystem::path(folder) / kErrorLogFileName;
    try {
        ErrorLogWriter::WriteFile(path, e, application, version);
    } catch (const std::exception& failure) {
        std::cerr << "The error log could not be written: " << failure.what() << std::endl;
    }
}

} // namespace zarn::qt

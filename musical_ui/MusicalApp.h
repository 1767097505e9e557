#pragma once

#include "PlayerFactory.h"

#include <QObject>

#include <memory>
#include <string>

class QGuiApplication;
class QQmlApplicationEngine;

namespace zarn::qt {

class Launcher;

// The one run of the program happens inside this constructor: it prepares Qt, hands the
// edition profile to the launcher, runs the event loop and, when an exception ends the
// run, writes the error log. ExitCode() tells main how the run ended.
class MusicalApp : public QObject
{
    Q_OBJECT

public:
    MusicalApp(int argc, char** argv, std::unique_ptr<zarn::PlayerFactory> profile);
    ~MusicalApp() override;

    int ExitCode() const;

    // Index of the first argument after the program name that is exactly "-c" or
    // "--console", or -1 when there is none.
    static int FindConsoleOption(int argc, char** argv);
    static const char* const kErrorLogFileName;

private:
    static void OpenConsole();
    void WriteErrorLog(const std::exception& e, const std::string& folder, const std::string& application,
                       const std::string& version);

    QGuiApplication* application_ = nullptr;
    QQmlApplicationEngine* engine_ = nullptr;
    Launcher* launcher_ = nullptr;
    int argc_;
    int exitCode_ = 0;
};

} // namespace zarn::qt

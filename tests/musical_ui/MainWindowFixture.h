#pragma once

#include "IsolatedDataHome.h"
#include "MusicalMainController.h"
#include "TestPlayerProfile.h"
#include "TransportFakeEngine.h"
#include "zarn_core/EngineEvent.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <string>

class QQmlApplicationEngine;
class QWindow;

// The main window as the launcher makes it: a fresh data folder with the demo show installed
// as "Lanterns" for "Hall Theatre", a QML engine, the test profile, and the controller made
// and destroyed on demand. The profile makes the real engine unless UseFakeEngine was called.
// The OSC server is stored on a port free at the start (`oscPort`), never on the default one,
// which the program itself or another test may be using.
class MainWindowFixture
{
public:
    MainWindowFixture();
    ~MainWindowFixture();

    // The next controller gets a fresh transport fake; `fake` points at it while it lives.
    TransportFakeEngine* UseFakeEngine();
    void Create();
    // Destroys the controller and runs the deferred deletions of its windows.
    void Destroy();

    QObject* Window() const;
    QVariant WindowProperty(const char* name) const;
    // A property of an object the window exposes through an alias ("timelineControl", ...).
    QVariant ChildProperty(const char* alias, const char* name) const;

    // general_settings.zarn in the data folder, as INI text.
    void WriteGeneralSettings(const QByteArray& ini) const;
    // osc_settings.zarn in the data folder.
    void WriteOscSettings(bool enabled, int port) const;
    // A UDP port nobody listens on at the time of the call.
    static int FreeUdpPort();
    // Installs the show as the demo server root's (its credential and authentication hash), its
    // store talking to `base`.
    void PointShowAt(const QString& base) const;
    // Marks the installed change log as written by a newer format minor (read-only here).
    void MakeChangeLogNewerMinor() const;

    // Posts as an engine thread does, from a thread of its own (joined before returning).
    static void PostFromThread(notify::EngineEvent kind, int value, const std::string& text);
    // Message dialog windows on screen.
    static QList<QWindow*> VisibleDialogs();
    static void FlushDeletes();

    IsolatedDataHome home;
    TestPlayerProfile profile;
    std::unique_ptr<QQmlApplicationEngine> qml;
    QString dataFolder;
    QString showFolder;
    int oscPort = 0;
    TransportFakeEngine* fake = nullptr;
    std::shared_ptr<TransportFakeEngine::Log> log;
    std::unique_ptr<zarn::qt::MusicalMainController> controller;
};

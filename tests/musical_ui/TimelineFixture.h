#pragma once

#include "EditModel.h"
#include "Interface.h"
#include "ShowManager.h"
#include "TimelineController.h"

#include <QList>
#include <QTemporaryDir>

#include <memory>
#include <string>

class AudioInterface;
class QQmlEngine;
class QQuickItem;
class QQuickWindow;

namespace zarn::player {
class ManualClock;
}

// The editing page's timeline as the main window will drive it: the harness window
// (fixtures/EditingPage.qml) with its timeline strip, a show manager and an edit model over
// an engine, and the timeline controller on the strip. The default engine is the real one
// on a copy of the demo show (manual clock, no sound, a fake MIDI input); a test that must
// see the engine's calls or failures hands in its own.
class TimelineFixture
{
public:
    TimelineFixture();
    explicit TimelineFixture(std::shared_ptr<Interface> engine, bool audioTailAsFade = true,
                             bool enableOsc = true);
    ~TimelineFixture();

    // Has the engine load the song and the controller follow, as the main window does on
    // the engine's song-loaded notice.
    void LoadSong(const std::string& number);
    QQuickItem* Row(const char* property) const;
    // The items the controller put into a row, in creation order.
    QList<QQuickItem*> RowItems(const char* property) const;
    // Runs the deferred deletions of released items and their QML.
    static void FlushDeletes();
    void DestroyController();

    QTemporaryDir dir;
    std::shared_ptr<zarn::player::ManualClock> clock;
    std::shared_ptr<Interface> engine;
    AudioInterface* audio = nullptr; // the real engine, when it is the one in use
    std::shared_ptr<zarn::ShowManager> showManager;
    std::shared_ptr<zarn::qt::EditModel> editModel;
    std::unique_ptr<QQmlEngine> qmlEngine;
    std::unique_ptr<QQuickWindow> window;
    QQuickItem* timeline = nullptr;
    std::unique_ptr<zarn::qt::TimelineController> controller;

private:
    void Build(bool audioTailAsFade, bool enableOsc);
};

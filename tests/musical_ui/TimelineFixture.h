#pragma once

#include "EditController.h"
#include "EditModel.h"
#include "EditToolController.h"
#include "EventToolSet.h"
#include "EventListController.h"
#include "MarkerToolController.h"
#include "Interface.h"
#include "MarkerListController.h"
#include "ShowManager.h"
#include "SongListController.h"
#include "TimelineController.h"
#include "TimelineEditController.h"

#include <QList>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

class AudioInterface;
class QQmlEngine;
class QQuickItem;
class QQuickWindow;

namespace zarn::player {
class ManualClock;
}

// The editing page as the main window will drive it: the harness window
// (fixtures/EditingPage.qml) with its timeline strip and edit panel, a show manager and an
// edit model over an engine, the timeline controller on the strip and the edit controller
// on the panel (which makes the song, marker and event list controllers and the edit bar's).
// The default engine is the real one on a copy of the demo show (manual clock, no sound, a
// fake MIDI input); a test that must see the engine's calls or failures hands in its own.
class TimelineFixture
{
public:
    TimelineFixture();
    explicit TimelineFixture(std::shared_ptr<Interface> engine, bool audioTailAsFade = true,
                             bool enableOsc = true);
    ~TimelineFixture();

    // Has the engine load the song and the controllers follow, as the main window does on
    // the engine's song-loaded notice: the timeline controller first, then the edit controller.
    void LoadSong(const std::string& number);
    QQuickItem* Row(const char* property) const;
    // The items the controller put into a row, in creation order.
    QList<QQuickItem*> RowItems(const char* property) const;
    // Runs the deferred deletions of released items and their QML.
    static void FlushDeletes();
    // Also destroys the edit controller, which refers to the timeline controller.
    void DestroyController();
    // The edit panel's part behind one of its aliases ("songListControl", "editBarControl"...).
    QQuickItem* PanelPart(const char* alias) const;

    // The edit tools as the main window holds them, from the same kind table
    // (EventToolKinds): at most one per kind letter, a new one replacing the old, each
    // released by its own closing signal.
    // The edit panel's tool button of a kind: the row's open steps on the window's ticks.
    zarn::qt::EditToolController* OpenCreateTool(char kind, int startTick, int endTick);
    zarn::qt::MarkerToolController* OpenMarkerTool(std::uint32_t tick);
    // The edit bar's Edit and a double click: the tool of the event's kind letter, opened on
    // the event, its OK refreshing the page. A null event or a kind without a tool gives null.
    zarn::qt::EditToolController* OpenEditTool(cmn::ZarnEvent* event);
    // The open tool of a kind; null once its window closed and it was released.
    zarn::qt::EditToolController* Tool(char kind) const;

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
    QQuickItem* editPanel = nullptr;
    std::unique_ptr<zarn::qt::EditController> editController;
    // The edit controller's children, for the tests; null once it is gone.
    zarn::qt::SongListController* songList = nullptr;
    zarn::qt::MarkerListController* markerList = nullptr;
    zarn::qt::EventListController* eventList = nullptr;
    zarn::qt::TimelineEditController* editBar = nullptr;

    zarn::qt::EventToolSet tools;

private:
    void Build(bool audioTailAsFade, bool enableOsc);
    zarn::qt::EditToolController* Open(char kind, const std::function<void(const zarn::qt::EventToolKind&,
                                                                             zarn::qt::EditToolController&)>& open,
                                       bool refresh);
    void DeleteTools();
};

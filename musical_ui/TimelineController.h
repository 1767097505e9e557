#pragma once

#include "BarsBeatsViewController.h"
#include "EditModel.h"
#include "EventInfoItem.h"
#include "Interface.h"
#include "MarkerInfoItem.h"
#include "QmlController.h"
#include "ShowManager.h"
#include "TimeLineCaesuraController.h"
#include "TimeLineGlyphController.h"
#include "TimeLineMarkerController.h"
#include "TimeRegionController.h"

#include <QMetaObject>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zarn::qt {

// The back end of the timeline strip (TimeLine.qml), which it wraps but does not own. It
// puts one item per change-log event, marker, key, tempo and meter change and OSC cue into
// the strip's rows, has the bar lines built, places the playhead and follows it, seeks on
// a click, and forwards the selection, double click and drag of items.
//
// Positions are units of 25 ticks; items get whole units, truncated.
//
// The view follows the playhead through a connection that SuspendAutoScroll cuts for a
// while around edits. Moves the operator asked for explicitly (a row chosen in the event
// list, a marker chosen while stopped) reach the view during a suspension too: the list
// click that chooses a row also starts one.
class TimelineController : public QmlController
{
    Q_OBJECT

public:
    TimelineController(QObject* timeline, QQmlEngine* engine, std::shared_ptr<Interface> player,
                       std::shared_ptr<zarn::ShowManager> showManager,
                       std::shared_ptr<EditModel> editModel, bool audioTailAsFade,
                       bool enableOsc);
    ~TimelineController() override;

    void SetPlayhead(int tick);
    // A failure of the engine or the index leaves the previous song's index and items and
    // is reported through `error`; it never escapes.
    void OnSongLoaded(const std::string& songNumber);
    void SelectEventItem(const EventInfoItem& row);
    void SelectMarkerItem(const MarkerInfoItem& row);
    // A second call while a suspension runs does nothing: it is neither restarted nor extended.
    void SuspendAutoScroll(int milliseconds);
    // The item controllers go with deleteLater: a drag that turns into an edit resets the
    // items while the dragged item's controller is still emitting.
    void ResetItems();
    void Refresh();

    // For the tests and the pictures.
    const std::vector<std::unique_ptr<TimeRegionController, void (*)(QObject*)>>& GetRegionItems() const { return regionItems; }
    const std::vector<std::unique_ptr<TimeLineCaesuraController, void (*)(QObject*)>>& GetCaesuraItems() const { return caesuraItems; }
    const std::vector<std::unique_ptr<TimeLineMarkerController, void (*)(QObject*)>>& GetMarkerItems() const { return markerItems; }
    const std::vector<std::unique_ptr<TimeLineMarkerController, void (*)(QObject*)>>& GetKeyItems() const { return keyItems; }
    const std::vector<std::unique_ptr<TimeLineMarkerController, void (*)(QObject*)>>& GetTempoItems() const { return tempoItems; }
    const std::vector<std::unique_ptr<TimeLineMarkerController, void (*)(QObject*)>>& GetMeterItems() const { return meterItems; }
    const std::vector<std::unique_ptr<TimeLineGlyphController, void (*)(QObject*)>>& GetGlyphItems() const { return glyphItems; }
    BarsBeatsViewController* GetBarsBeatsView() const { return barsBeatsView.get(); }
    double GetViewScale() const { return viewScale; }
    bool IsAutoScrollSuspended() const { return !viewStartConnection; }

signals:
    void SetViewStart_(int val);
    void EditSelectedSignal(const cmn::ZarnEvent*);
    void EditDoubleClickedSignal();
    void EditDraggedSignal(const cmn::ZarnEvent*, int, int, bool, bool);
    void timelineClicked();

public slots:
    void ViewScaleChanged_(double val, bool initializing);
    void TimelineClicked_(int pos);
    void onEditRegionSelected(const cmn::ZarnEvent* event);
    void onEditRegionDoubleClicked();
    void onEditRegionDragged(const cmn::ZarnEvent* event, int start, int end, bool adjustLeft,
                             bool adjustRight);

private:
    template <class T>
    using Owned = std::unique_ptr<T, void (*)(QObject*)>;

    void Connect_(bool audioTailAsFade);
    void Rebuild(bool initializing);
    void SetTimelineViewScale(double val);
    void SetBaseWidth(std::uint32_t ticks);
    int GetViewStartTick() const;
    int GetViewEndTick() const;
    void UpdateMarkerLabels();
    void OnMarkerListSelected(int tick, bool playing);
    void PlacePlayhead(int tick, bool explicitMove);
    // Scrolls even while the automatic scroll is suspended.
    void ScrollExplicitly(int val);
    void ConnectItem(ZarnEventController* item);
    void ReleaseItems();
    std::vector<ZarnEventController*> SelectableItems() const;

    std::shared_ptr<Interface> player;
    QObject* keyMarkersBar = nullptr;
    QObject* tempoMarkersBar = nullptr;
    QObject* meterMarkersBar = nullptr;
    QObject* markersBar = nullptr;
    QObject* editsBar = nullptr;
    QObject* effectBar = nullptr;
    QObject* barsRegion = nullptr;
    QObject* playheadItem = nullptr;
    double viewScale = 1.0;
    bool enableOsc = true;
    std::vector<Owned<TimeRegionController>> regionItems;
    std::vector<Owned<TimeLineCaesuraController>> caesuraItems;
    std::vector<Owned<TimeLineMarkerController>> markerItems;
    std::vector<Owned<TimeLineMarkerController>> keyItems;
    std::vector<Owned<TimeLineMarkerController>> tempoItems;
    std::vector<Owned<TimeLineMarkerController>> meterItems;
    std::vector<Owned<TimeLineGlyphController>> glyphItems;
    std::unique_ptr<BarsBeatsViewController> barsBeatsView;
    std::shared_ptr<zarn::ShowManager> showManager;
    std::shared_ptr<EditModel> editModel;
    QMetaObject::Connection viewStartConnection;
};

} // namespace zarn::qt

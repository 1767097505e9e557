#pragma once

#include "BarListModel.h"
#include "Interface.h"
#include "QmlController.h"
#include "zarn_core/BarsBeats.h"
#include "zarn_core/OscProperties.h"
#include "zarn_core/SfxProperties.h"
#include "zarn_core/ZarnEvent.h"

#include <QString>
#include <QVariant>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

class QQmlEngine;
class QUrl;

namespace zarn::qt {

class EditController;

// Base of the event tools: a modal window in which the operator picks an in (and for range
// events an out) position as bar and beat, plus the event's own values. The base loads and
// owns the window, feeds its pickers from a bar list model of the song current at
// construction, keeps the suggested event id up to date while an event is being made, and
// hands built or changed events to the edit controller.
//
// A tool is opened once, to create or to edit, and is released when its window closes; the
// opener calls ConnectToolSignals() after the open or edit slot.
class EditToolController : public QmlController
{
    Q_OBJECT

public:
    // `barsBeatsFlag` is handed to the engine's bars and beats query (false only for clicks).
    // The window is made a child (and transient) of `parent` and starts hidden.
    EditToolController(QQmlEngine* engine, const QUrl& url, EditController* editController,
                       std::shared_ptr<Interface>&& engineHandle, char kind, QObject* parent,
                       bool barsBeatsFlag);
    ~EditToolController() override;

    // Connects the window's requests and closing to the tool's slots.
    virtual void ConnectToolSignals() = 0;
    // Runs after every picker change; tools whose values depend on the position override it.
    virtual void UpdateToolValues();

    // Each hands its event to the edit controller; a failure the edit controller lets through
    // is written as a debug line and gives false.
    virtual bool AddEvent(const cmn::ZarnEvent& event);
    virtual bool EditStartEndValues(const cmn::ZarnEvent& event, const unsigned& start, const unsigned& end);
    virtual bool EditStringValue(const cmn::ZarnEvent& event, const std::string& value);
    virtual bool EditIntValue(const cmn::ZarnEvent& event, const int& value);
    virtual bool EditFloatValue(const cmn::ZarnEvent& event, const float& value);
    virtual bool EditSfxPropertyValues(const cmn::ZarnEvent& event, const CL::SfxProperties& properties);
    virtual bool EditOscPropertyValues(const cmn::ZarnEvent& event, const CL::OscProperties& properties);

    // The first row of the bar list model showing the position's bar; -1 when none does.
    int FindBarRow(const TL::BarsBeats& position) const;
    void SetBarPickers(const TL::BarsBeats& in, const TL::BarsBeats& out);
    void SetBeatPickers(const TL::BarsBeats& in, const TL::BarsBeats& out);
    // Signed: a transposition shows its negative half steps as such.
    void SetIntValue(int value);
    void SetStrValue(const std::string& text);
    // The in-shift slider's lower end: how far the earliest allowed tick lies into the beat
    // the pickers begin with.
    void SetInShiftMin(unsigned minStartTick);

    BarListModel* GetBarListModel() const { return barListModel_.get(); }
    // The tool's own copy of the event it edits; null while it creates one.
    const cmn::ZarnEvent* GetRememberedEvent() const { return rememberedEvent_.get(); }
    // The song the tool's pickers and edits belong to.
    const std::string& GetSongNumber() const { return songNumber_; }

signals:
    void valuesUpdated();

public slots:
    void onInBeatInputUpdateRequest(QVariant index);
    void onOutBeatInputUpdateRequest(QVariant index);
    void inBarBeatChanged_();

protected:
    // A new tool on a new window of `url`, of the other's kind, with its edit controller and no
    // parent: the form the tools' copy constructors take. The move form takes the other's
    // engine handle over.
    EditToolController(const EditToolController& other, const QUrl& url, bool barsBeatsFlag);
    EditToolController(EditToolController&& other, const QUrl& url, bool barsBeatsFlag);

    // The resource address of a tool window of this module's qml folder ("CutTool.qml").
    static QUrl ToolWindowUrl(const char* fileName);
    // Connects the bar and beat panel's requests for a bar's beats to the slots that load them
    // (the out side's too where `withOut`); gives the panel, null when the window has none.
    QObject* ConnectBeatListRequests(bool withOut);
    // Emits the tool's closing signal; what its receivers throw ends as a debug line.
    template <class Tool>
    void EmitClosing(void (Tool::*closing)())
    {
        try {
            emit (static_cast<Tool*>(this)->*closing)();
        } catch (const std::exception& e) {
            LogFailure("Error:", e);
        }
    }

    // Both pickers of each side placed at the positions (one position twice for point events).
    void SetPickers(const TL::BarsBeats& in, const TL::BarsBeats& out);
    // The tick of a picked bar and beat, as the bar list model gives it.
    std::uint32_t PickedTick(const QString& bar, int beat) const;
    // No event starts before the song's current start tick.
    std::uint32_t RaisedToStart(std::uint32_t tick) const;
    // The id the window shows: while creating, the one suggested for the picked position.
    std::string ShownEventId() const;
    // Keeps a copy: the object a tool is opened on may move or go while the window is open.
    void RememberEvent(const cmn::ZarnEvent& event);
    // False, with the edit controller's error shown, when the engine has moved to another
    // song since the tool was built: its ticks belong to the old song's bars.
    bool SongUnchanged();
    // A failure that no one else reports, as the edit operations' debug line.
    static void LogFailure(const char* what, const std::exception& e);
    QObject* FindInWindow(const char* name) const;

    // The steps the range and value tools share: open for create, the create request, the
    // change of the two positions (with the tool's value), and open for edit. The three hooks
    // below are where a tool's value differs.
    void OpenRangeForCreate(const TL::BarsBeats& start, const TL::BarsBeats& end);
    // Adds the event `make(start, end, eventId)` builds. Only the start is raised to the song's
    // start tick: an end before it is the editor's to refuse, and it says so.
    template <class MakeEvent>
    void CreateRange(const QString& startBar, int startBeat, const QString& endBar, int endBeat, MakeEvent&& make)
    {
        try {
            if (!SongUnchanged())
                return;
            const std::uint32_t start = RaisedToStart(PickedTick(startBar, startBeat));
            const std::uint32_t end = PickedTick(endBar, endBeat);
            AddEvent(make(start, end, ShownEventId()));
        } catch (const std::exception& e) {
            LogFailure("Error adding event:", e);
        }
    }
    void ChangeRange(const QVariant& startBar, const QVariant& startBeat, const QVariant& endBar,
                     const QVariant& endBeat);
    void ChangeRangeAndValue(const QString& startBar, int startBeat, const QString& endBar, int endBeat,
                             int value);
    void OpenRangeForEdit(const cmn::ZarnEvent* event);

    // The pickers' position of an edited event's tick.
    virtual TL::BarsBeats PositionOfTick(std::uint32_t tick);
    // Runs once the pickers show the range the window opens on: `edited` is the event opened
    // for edit, null for a new one. By default an edited event shows its integer value and a
    // new one the window's own.
    virtual void ShowOpeningValue(const cmn::ZarnEvent* edited);
    // The value part of ChangeRangeAndValue; the integer edit by default.
    virtual bool EditRangeValue(const cmn::ZarnEvent& event, int value);

    // The steps the caesura and OSC cue tools share around the shift slider, the ticks their
    // event lies after the picked in beat.
    // The slider for the picked beat: its upper end the engine's room after the beat (none
    // turns it off), its lower end and value the beat's floor. Nothing while no beat is picked
    // or the beat picker still shows the last bar's beats.
    void ShowShiftOfPickedBeat();
    // Opens for a new event at the position; `minStartTick` is the earliest tick the event
    // may take, which sets the slider's lower end in the beat the song starts inside.
    void OpenShiftForCreate(const TL::BarsBeats& position, std::uint32_t minStartTick);
    // The pickers on the beat at or before the event, the slider set for that beat; gives the
    // beat's tick.
    std::uint32_t PickBeatOf(const cmn::ZarnEvent& event);
    // The slider at the tick's distance after the beat.
    void ShowShiftAfterBeat(std::uint32_t beatTick, std::uint32_t tick);
    // A new event's tick: the picked beat, never before the beat the song starts inside, plus
    // the shift (the slider's lower end keeps it from landing before the start).
    std::uint32_t NewShiftedTick(const QString& bar, int beat, double shift) const;
    // A moved event's tick: the picked beat plus the shift, raised to the song's start tick.
    std::uint32_t MovedShiftedTick(const QString& bar, int beat, double shift) const;

    char kind_;
    std::shared_ptr<Interface> engineHandle_;
    std::shared_ptr<BarListModel> barListModel_;
    EditController* editController_ = nullptr;
    std::unique_ptr<cmn::ZarnEvent> rememberedEvent_;
    std::int32_t minStartTick_ = 0;
    std::string songNumber_;

private:
    // The change of a range's two positions, then of its value where one is given.
    void MoveRange(const QString& startBar, int startBeat, const QString& endBar, int endBeat, const int* value);
};

} // namespace zarn::qt

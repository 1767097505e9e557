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
    // Both pickers of each side placed at the positions (one position twice for point events).
    void SetPickers(const TL::BarsBeats& in, const TL::BarsBeats& out);
    // The tick of a picked bar and beat, as the bar list model gives it.
    std::uint32_t PickedTick(const QString& bar, int beat) const;
    // No event starts before the song's current start tick.
    std::uint32_t RaisedToStart(std::uint32_t tick) const;
    // Keeps a copy: the object a tool is opened on may move or go while the window is open.
    void RememberEvent(const cmn::ZarnEvent& event);
    // False, with the edit controller's error shown, when the engine has moved to another
    // song since the tool was built: its ticks belong to the old song's bars.
    bool SongUnchanged();
    // A failure that no one else reports, as the edit operations' debug line.
    static void LogFailure(const char* what, const std::exception& e);
    QObject* FindInWindow(const char* name) const;

    // The steps the range tools share: open for create, the change of the two positions (with
    // a count or other integer value), and open for edit of an event with an integer value.
    void OpenRangeForCreate(const TL::BarsBeats& start, const TL::BarsBeats& end);
    void ChangeRange(const QVariant& startBar, const QVariant& startBeat, const QVariant& endBar,
                     const QVariant& endBeat);
    void ChangeRangeAndValue(const QString& startBar, int startBeat, const QString& endBar, int endBeat,
                             int value);
    void OpenRangeForEdit(const cmn::ZarnEvent* event);

    char kind_;
    std::shared_ptr<Interface> engineHandle_;
    std::shared_ptr<BarListModel> barListModel_;
    EditController* editController_ = nullptr;
    std::unique_ptr<cmn::ZarnEvent> rememberedEvent_;
    std::int32_t minStartTick_ = 0;
    std::string songNumber_;
};

} // namespace zarn::qt

#pragma once

#include "QmlController.h"

#include <QString>

#include <memory>
#include <vector>

class Interface;
class QQmlEngine;
class StringValueListModel;

namespace zarn {
class ShowManager;
}

namespace zarn::qt {

// One engine MIDI command's row of the MIDI Manager (MidiManagerCommand.qml): its name, the
// status, channel and note pickers, "Learn" and the lamp. A complete pick by hand goes to the
// engine; Learn asks the engine to learn the next message; the manager hands the row the
// engine's learned and cancelled reports. The engine is always the show manager's current one,
// asked for at each call.
//
// Values: a status is the status byte with the channel bits zero (144 for a note-on), a
// channel 0-15 (the MIDI channel number minus 1), a note 0-127; -1 in any of them is "not set".
//
// The row's learned, learning, enabled and initializing states live in the item only: the
// controller writes them and never reads them back. Every write of the pickers from here is
// made with `initializing` on, so the pickers do not echo it back to the engine.
//
// GUI thread only. The slots let nothing out: an engine failure is reported through `error`.
class MidiManagerCommandController : public QmlController
{
    Q_OBJECT

public:
    static constexpr const char* kErrorTitle = "MIDI Manager Error";
    static constexpr const char* kNoShow = "No show is loaded.";

    // Throws std::runtime_error when the item cannot be loaded or there is no engine, and what
    // the engine throws.
    MidiManagerCommandController(QQmlEngine* engine, std::shared_ptr<zarn::ShowManager> showManager, int commandId,
                                 const QString& commandName, bool learned, bool learning, int midiStatus,
                                 int channel, int note, QObject* parent);
    ~MidiManagerCommandController() override;

    void SetCommandValues(int midiStatus, int channel, int note, bool learned, bool learning, bool enabled);
    void SetInitializing(bool initializing);
    // Empty pickers, not learned, not learning, enabled.
    void ClearCommand();

    int GetCommandId() const { return commandId_; }
    int GetMidiStatus() const { return midiStatus_; }
    int GetChannel() const { return channel_; }
    int GetNote() const { return note_; }
    StringValueListModel* GetMidiStatusModel() const { return midiStatusModel_.get(); }

    // The status picker's text for a status the engine allows: the status table's name, or
    // "Status " and the number for one the table lacks.
    static QString StatusName(int status);

public slots:
    void onMidiStatusChanged_(int status);
    void onNoteChanged_(int note);
    void onChannelChanged_(int channel);
    void onLearnClicked_();

private:
    std::shared_ptr<Interface> Engine() const;
    // The position of the status in the engine's allowed list; the list's length (no entry)
    // when it is not there, -1 included.
    int StatusIndexOf(int status) const;
    void ApplyMidiCommand();
    template <class Work>
    void Reporting(Work&& work);

    std::unique_ptr<StringValueListModel> midiStatusModel_;
    std::shared_ptr<zarn::ShowManager> showManager_;
    int commandId_ = 0;
    int channel_ = -1;
    int note_ = -1;
    int midiStatus_ = -1;
};

} // namespace zarn::qt

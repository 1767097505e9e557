#pragma once

#include "MidiManagerCommandController.h"
#include "QmlController.h"

#include <QString>

#include <memory>
#include <vector>

class Interface;
class QQmlEngine;

namespace zarn {
class AppSettings;
class ShowManager;
} // namespace zarn

namespace zarn::qt {

// The "MIDI Manager" window (MidiManager.qml): the MIDI input the engine listens to, whether
// it is connected, and one row (MidiManagerCommandController) per engine command. MIDI input,
// matching, learning and the stored assignments are the engine's; the window reads the engine
// and hands it the operator's choices. The one thing kept here is the chosen source's name, in
// the general settings ("currentMidiSourceName").
//
// The opener makes a new controller for every opening and relays the engine's learned and
// cancelled reports to MidiLearned and MidiUnlearned on the GUI thread. The source list and
// the lamp are what the engine said when the window was made. The engine is always the show
// manager's current one: after a show load the old window's show manager has none, and every
// call reports "No show is loaded.".
//
// GUI thread only. Its slots and its rows' slots let nothing out: a failure goes to `error`
// with the title "MIDI Manager Error". The constructor throws.
class MidiManagerController : public QmlController
{
    Q_OBJECT

public:
    static constexpr const char* kNoMidiInput = "No MIDI input found";

    MidiManagerController(QQmlEngine* engine, std::shared_ptr<zarn::ShowManager> showManager,
                          std::shared_ptr<zarn::AppSettings> settings, QObject* parent);
    ~MidiManagerController() override;

    const std::vector<std::unique_ptr<MidiManagerCommandController>>& GetCommandRows() const { return commandRows_; }
    // The row of a command id; null when the command has none.
    MidiManagerCommandController* FindRow(int commandId) const;

public slots:
    void MidiLearned(int commandId, int midiStatus, int channel, int note);
    void MidiUnlearned(int commandId);
    void onSourceSelected_(int index);

private:
    std::shared_ptr<Interface> Engine() const;
    void BuildRows(Interface& engine);
    void ShowSources(Interface& engine);
    template <class Work>
    void Reporting(Work&& work);

    std::shared_ptr<zarn::ShowManager> showManager_;
    std::shared_ptr<zarn::AppSettings> settings_;
    std::vector<std::unique_ptr<MidiManagerCommandController>> commandRows_;
};

} // namespace zarn::qt

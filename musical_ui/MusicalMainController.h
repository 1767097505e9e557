#pragma once

#include "DialogQueue.h"
#include "EngineEventDispatcher.h"
#include "EventInfoItem.h"
#include "EventToolSet.h"
#include "FadeCompletions.h"
#include "IntAliases.h"
#include "MarkerInfoItem.h"
#include "OscCueInbox.h"
#include "OscCueQueue.h"
#include "OscManagerController.h"
#include "OscServerControl.h"
#include "OscSettings.h"
#include "OutputPathMetaTypes.h"
#include "QmlController.h"
#include "StatusBannerWriter.h"
#include "ZarnPlayerOscCallback.h"
#include "zarn_core/NetworkPath.h"
#include "zarn_core/Osc.h"
#include "zarn_core/ZARNVersion.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>

class Interface;
class QQmlApplicationEngine;

namespace cmn {
class ShowStore;
class ZarnEvent;
} // namespace cmn

namespace zarn {
class AppSettings;
class PlayerFactory;
class ShowManager;
} // namespace zarn

namespace zarn::osc {
class OscServer;
}

namespace zarn::qt {

class AboutWindowController;
class AudioManagerController;
class MidiManagerController;
class ChangelogManagerController;
class DialogController;
class EditController;
class EditModel;
class ResponsiveMenuController;
class EditToolController;
class ScoreViewController;
class OutputPathsManagerController;
class TimelineController;

// The back end of the main window (MusicalMain.qml) and the hub of a running show. It loads
// the window, moves the engine's notifications onto it, loads the show (engine, show
// manager, edit model, timeline and edit panel controllers, title, album art), drives the
// transport and the fades, applies the general settings and shows the edition's notice. It
// owns every child controller and the one message dialog of the window.
//
// GUI thread only, except OnEngineEvent and EngineEventCallback, which the engine's threads
// call, and the fade completions, which run where the engine runs them.
class MusicalMainController : public QmlController
{
    Q_OBJECT

public:
    // Throws what the show load throws; the window and whatever was built go with it.
    MusicalMainController(QQmlApplicationEngine* engine, zarn::PlayerFactory* profile);
    ~MusicalMainController() override;

    void LoadShow_();
    void LoadAlbumArt();
    void CheckChangeLogReadOnly();
    // True when the show's edit model has edits that were not saved.
    bool HasUnsavedChanges() const;
    // Types: 0 error, 1 warning, 2 information.
    void ShowDialog(std::string message, std::string title, int type);
    void ConnectSignals();
    void ReloadCurrentSong();
    QString GetGeneralSettingsPath() const;

    // The observer's callback; `context` is the dispatcher it was registered with.
    static void EngineEventCallback(int id, int value, const char* text, void* context);
    // Any thread: the notification is handled later on the GUI thread.
    void OnEngineEvent(int id, int value, const char* text);
    void HandleEngineEvent(int id, int value, QString text);
    void SetContinueHighlight(bool highlight);
    void ShowMidiNotice();
    void ShowOscNotice();
    void ShowOscOutgoingNotice();

    // The OSC server on the current settings; a failure shows "OSC Server Error". Does
    // nothing in an edition without OSC.
    void RestartOscServer();
    void ConnectOscCallback();
    // The data folder, which also holds the settings files.
    QString GetSettingsFolder() const;
    QString GetOscSettingsPath() const;

    // For the tests.
    DialogController* GetCurrentDialog() const { return dialogs_.Current(); }
    std::size_t GetWaitingDialogCount() const { return dialogs_.Waiting(); }
    TimelineController* GetTimelineController() const { return timelineController_.get(); }
    EditController* GetEditController() const { return editController_.get(); }
    QObject* GetMixerController() const { return mixerController_.get(); }
    const std::shared_ptr<Interface>& GetEngine() const { return player_; }
    ResponsiveMenuController* GetMenuController() const { return menuController_.get(); }
    AboutWindowController* GetAboutWindowController() const { return aboutWindow_.get(); }
    ScoreViewController* GetScoreViewController() const { return scoreView_.get(); }

    // The open event tool of a kind letter; null when none is.
    EditToolController* GetEventTool(char kind) const { return tools_.Tool(kind); }
    EventToolSet& GetEventTools() { return tools_; }

    static constexpr const char* kClickToolNoticeKey = "ClickToolNotification";

    const OscCueQueue& GetOscCueQueue() const { return oscCues_; }
    const osc::OscSettings& GetOscSettings() const;
    osc::OscServer* GetOscServer() const;
    const std::shared_ptr<ZarnPlayerOscCallback>& GetOscCallback() const { return oscCallback_; }
    // The OSC settings window's controller; null until the menu first opens it, and after a show load.
    OscManagerController* GetOscManager() const { return oscManager_.get(); }
    // The MIDI and audio set-up windows' controllers; null until the menu first opens them.
    MidiManagerController* GetMidiManager() const { return midiManager_.get(); }
    AudioManagerController* GetAudioManager() const { return audioManager_.get(); }
    const std::shared_ptr<zarn::AppSettings>& GetGeneralSettings() const { return generalSettings_; }
    // The "Event Log Manager" while it is open; null before the menu opens it and once a log
    // was loaded from it or it closed.
    ChangelogManagerController* GetChangelogManager() const { return changelogManager_.get(); }
    // The output paths window's controller, made hidden by every show load.
    OutputPathsManagerController* GetOutputPathsManager() const { return outputPaths_.get(); }

signals:
    void PlayStarted();
    void Stopped();
    void Paused();
    void Fading();
    void JumpToBarResult(bool success);
    void FadeComplete(bool gotoNextSong);
    void MidiLearned(int commandId, int midiStatus, int channel, int note);
    void MidiUnlearned(int commandId);
    void SignalAttaccaUpdate();
    void SaveCompleted();
    void Closing();

public slots:
    void onInformation(std::string message, std::string title);
    void onError(std::string message, std::string title);

    void Play_();
    void Stop_();
    void ContinuePlay_();
    void PauseToggleSlot_();
    void PauseToggle_(bool fadeCompleted);
    void PauseToggle_();
    void Fade_(int fadeTimeMs);
    void FadeTo_(int fadeTimeMs, double targetVolumerPercent);
    void FadeToStop_(int fadeTimeMs);
    void ContinueFlow_();
    void NextSong_();
    void PrevSong_();
    void FadeComplete_(bool gotoNextSong);
    void JumpToBar_(QString barNum);
    void JumpToBarStartRequested();
    void SeekNextMarkerRequested_();
    void SeekPrevMarkerRequested_();
    void SeekNextBarRequested_();
    void SeekPrevBarRequested_();
    void ZoomInRequested_();
    void ZoomOutRequested_();

    // Saving and sharing the edits, and fetching the newest shared log. A failure is shown
    // and the run goes on: no SaveCompleted, the edit flags as they were.
    void onSaveButton();
    void onSaveAndUploadButton();
    void GetLatestLogClicked_();

    // Event tools (MusicalMainControllerTools.cpp). A button opens the kind's tool for a new
    // event at the window's ticks, an edit slot opens it on an existing event, a closing
    // slot lets it go. One tool per kind: a new one replaces the old. Kinds without a tool
    // yet open nothing.
    void onCaesuraButton(int tick);
    void onMarkerButton(int tick);
    void onOscButton(int startTick);
    void onClickButton(int startTick, int endTick);
    void onCutButton(int startTick, int endTick);
    void onRepeatButton(int startTick, int endTick);
    void onSkipButton(int startTick, int endTick);
    void onTempoButton(int startTick, int endTick);
    void onTransposeButton(int startTick, int endTick);
    void onVampButton(int startTick, int endTick);
    void onCaesuraEdit(cmn::ZarnEvent* zarnEvent);
    void onClickEdit(cmn::ZarnEvent* zarnEvent);
    void onCutEdit(cmn::ZarnEvent* zarnEvent);
    void onMarkerEdit(cmn::ZarnEvent* zarnEvent);
    void onOscEdit(cmn::ZarnEvent* zarnEvent);
    void onRepeatEdit(cmn::ZarnEvent* zarnEvent);
    void onSkipEdit(cmn::ZarnEvent* zarnEvent);
    void onTempoEdit(cmn::ZarnEvent* zarnEvent);
    void onTransposeEdit(cmn::ZarnEvent* zarnEvent);
    void onVampEdit(cmn::ZarnEvent* zarnEvent);
    void onCaesuraToolClosing();
    void onClickToolClosing();
    void onCutToolClosing();
    void onMarkerToolClosing();
    void onOscToolClosing();
    void onRepeatToolClosing();
    void onSkipToolClosing();
    void onTempoToolClosing();
    void onTransposeToolClosing();
    void onVampToolClosing();
    // The tool of the event's kind, opened on it; nothing for a null event or a kind
    // without a tool (the sound effects among them).
    void onEditButton(cmn::ZarnEvent* zarnEvent);
    void onEditDoubleClicked();
    void onEditValueUpdated();

    // The timeline and the two lists keep one selection.
    void onEventItemChanged(EventInfoItem item);
    void onMarkerItemChanged(MarkerInfoItem item);
    void onZarnEditSelectedExternally(const cmn::ZarnEvent* zarnEvent);
    void onZarnEditDragged(const cmn::ZarnEvent* zarnEvent, int start, int end, bool adjustLeft,
                           bool adjustRight);
    void onSelectAllRequested_();
    void onAttaccaStageChanged(std::string songNum, UInt8 state);

    // OSC: the settings window's OK, cues the engine holds back while the show does not
    // play, and the sending of those cues when it starts.
    void onOscSettingsUpdated_(zarn::osc::OscSettings newSettings, CL::NetworkPathVectorT& newNetworks);
    // A new OSC settings window on the current settings and destinations, replacing the one
    // before it; a window that cannot be made is shown as "OSC Manager Error".
    void ShowOscManager_();
    void onEnqueueOscCommand(CL::Osc osc, uint32_t delay);

    // MIDI and audio set-up (MusicalMainControllerDevices.cpp). Each opener makes a new window,
    // replacing the one before it; one that cannot be made is shown as "MIDI Manager Error" or
    // "Error Configuring Audio". The audio window's OK stops playback, hands the device and
    // volume to the engine and stores them; a failure is "Error Updating Audio Settings".
    void ShowMidiManager_();
    void ShowAudioManager_();
    void onAudioSettingsUpdated();
    // Output paths (MusicalMainControllerOutputPaths.cpp): the window made by the show load is
    // shown on the main window's outputPathsOpened(); a path made, changed or deleted there goes
    // to the engine and is an edit of the log that needs saving.
    void ShowOutputPaths_();
    void onAddOutputhPath(const CL::OutputPath& path);
    void onRemoveOutputhPath(const CL::OutputPath& path);
    void onClearOscQueue();
    void PlayQueuedOscEvents();

    // The past change logs (MusicalMainControllerChangelogs.cpp): the "Event Log Manager" opened
    // from the menu, a local or server log loaded from it, its closing. A failure is shown and
    // the run goes on, with the loaded log as it was.
    void ShowChangelogManager_();
    void ChangelogLocalSelected_(int index);
    void ChangelogServerSelected_(int index);
    void ChangelogManagerClosing_();

private:
    bool HasLoadedShow() const;
    void RefreshEditState();
    std::optional<cmn::ZARNVersion> GetNewestLocalLogVersion() const;
    QString GetNewestLocalLogFileName() const;

    void TearDownShow();
    void ApplyGeneralSettings();
    void ShowEditionNotices();
    // The about popup's and the menu's controllers, made once; the menu's relays.
    void CreateMenu();
    void ConnectMenu();
    // A slot's engine calls, guarded; nothing without an engine.
    template <class Work>
    void WithPlayer(Work&& work);
    // The same through the show manager's engine, as the menu's seeks reach it.
    template <class Work>
    void WithShowPlayer(Work&& work);
    void HandleSongLoaded(const QString& songNumber);
    // Runs a call into a child controller; what it throws is reported, never passed on.
    template <class Work>
    void ReportingChildFailure(Work&& work);
    void InvokeOnTimeline(const char* function);
    void SetWindowProperty(const char* name, const QVariant& value);
    // The timeline's and the edit panel's signals to the tool and selection slots.
    void ConnectEditRelays();
    // The window's tool buttons and the attacca states, once per call of ConnectSignals.
    void ConnectToolSignals(QObject* window);
    EventToolContext ToolContext() const;
    void OpenToolForCreate(char kind, int startTick, int endTick);
    void OpenToolForEdit(char kind, cmn::ZarnEvent* zarnEvent);
    void ShowClickToolNotice();
    void MakeOutputPathsManager();

    std::unique_ptr<OscServerControl> MakeOscServerControl();
    void MakeOscCallback();
    void ReleaseOscCallback();
    void SendHeldCuesIfPlaying();
    // Cuts the manager off from this controller and lets go of it once the event loop is back,
    // never inside its own signal; its window is hidden at once.
    void ReleaseChangelogManager();

    std::atomic<bool> ready_{false};
    zarn::PlayerFactory* profile_ = nullptr;
    DialogQueue dialogs_;
    StatusBannerWriter banner_;
    std::shared_ptr<Interface> player_;
    std::shared_ptr<zarn::ShowManager> showManager_;
    std::shared_ptr<cmn::ShowStore> showStore_;
    std::shared_ptr<EditModel> editModel_;
    // They wrap items of the window; the edit controller, whose signals reach the menu's,
    // goes before them.
    std::unique_ptr<AboutWindowController> aboutWindow_;
    std::unique_ptr<ResponsiveMenuController> menuController_;
    // The edit controller refers to the timeline controller: it is declared after it, so
    // it goes first.
    std::unique_ptr<TimelineController> timelineController_;
    std::unique_ptr<EditController> editController_;
    // The tools refer to the edit controller: they go before it.
    EventToolSet tools_;
    // Made by every show load over the window's score page.
    std::unique_ptr<ScoreViewController> scoreView_;
    std::unique_ptr<QObject> mixerController_;
    // Its window hangs from the main window and is held weakly: either may go first.
    std::shared_ptr<OutputPathsManagerController> outputPaths_;
    std::string showFolder_;
    std::string dataFolder_;
    std::shared_ptr<zarn::AppSettings> generalSettings_;
    QString showName_;
    // Texts of child failures already shown, so a failure repeated on every notification
    // does not bury the window under dialogs.
    std::set<std::string> reportedDisplayErrors_;
    // Also handed to the engine, which may hold it until it is shut down.
    std::shared_ptr<ZarnPlayerOscCallback> oscCallback_;
    // The callback and the engine hold each other once the show load has joined them: this
    // parts them when the controller goes, also when its constructor throws.
    struct OscCallbackRelease
    {
        std::shared_ptr<ZarnPlayerOscCallback>& callback;
        ~OscCallbackRelease()
        {
            if (callback)
                callback->ClearPlayer();
        }
    } oscCallbackRelease_{oscCallback_};
    OscCueQueue oscCues_;
    // Holds the engine: a show load lets it go with the rest of the show.
    std::unique_ptr<OscManagerController> oscManager_;
    // They live until they are opened again; the MIDI window reaches the engine only through
    // the show manager, which a show load empties.
    std::unique_ptr<MidiManagerController> midiManager_;
    std::unique_ptr<AudioManagerController> audioManager_;
    // Made for each opening of the "Event Log Manager", released by ReleaseChangelogManager.
    std::shared_ptr<ChangelogManagerController> changelogManager_;
    // Brings the callback's cues from the engine's threads to onEnqueueOscCommand.
    const std::unique_ptr<OscCueInbox> oscInbox_;
    OscCueInbox::Gate oscCueConnection_;
    // Its command handler calls this controller's slots: it goes before the other fields.
    const std::unique_ptr<OscServerControl> oscServer_;
    // Declared last, so that also a constructor that throws ends the fades' and the
    // engine's calls before any other field goes.
    FadeCompletions fades_;
    const std::unique_ptr<EngineEventDispatcher> events_;
};

} // namespace zarn::qt

#pragma once

#include "DialogQueue.h"
#include "EngineEventDispatcher.h"
#include "FadeCompletions.h"
#include "QmlController.h"
#include "StatusBannerWriter.h"
#include "zarn_core/ZARNVersion.h"

#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <set>
#include <string>

class Interface;
class QQmlApplicationEngine;

namespace cmn {
class ShowStore;
}

namespace zarn {
class AppSettings;
class PlayerFactory;
class ShowManager;
} // namespace zarn

namespace zarn::qt {

class AboutWindowController;
class DialogController;
class EditController;
class EditModel;
class ResponsiveMenuController;
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

    // For the tests.
    DialogController* GetCurrentDialog() const { return dialogs_.Current(); }
    std::size_t GetWaitingDialogCount() const { return dialogs_.Waiting(); }
    TimelineController* GetTimelineController() const { return timelineController_.get(); }
    EditController* GetEditController() const { return editController_.get(); }
    QObject* GetMixerController() const { return mixerController_.get(); }
    const std::shared_ptr<Interface>& GetEngine() const { return player_; }
    ResponsiveMenuController* GetMenuController() const { return menuController_.get(); }
    AboutWindowController* GetAboutWindowController() const { return aboutWindow_.get(); }

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
    std::unique_ptr<QObject> mixerController_;
    std::string showFolder_;
    std::string dataFolder_;
    std::shared_ptr<zarn::AppSettings> generalSettings_;
    QString showName_;
    // Texts of child failures already shown, so a failure repeated on every notification
    // does not bury the window under dialogs.
    std::set<std::string> reportedDisplayErrors_;
    // Declared last, so that also a constructor that throws ends the fades' and the
    // engine's calls before any other field goes.
    FadeCompletions fades_;
    const std::unique_ptr<EngineEventDispatcher> events_;
};

} // namespace zarn::qt

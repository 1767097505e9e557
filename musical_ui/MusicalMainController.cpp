#include "MusicalMainController.h"

#include "AudioManagerController.h"
#include "MidiManagerController.h"

#include "AboutWindowController.h"
#include "AppSettings.h"
#include "ChangelogManagerController.h"
#include "DialogController.h"
#include "EditController.h"
#include "EditModel.h"
#include "EditionNotices.h"
#include "FatalError.h"
#include "Interface.h"
#include "PlayerFactory.h"
#include "ResponsiveMenuController.h"
#include "ScoreViewController.h"
#include "ShowManager.h"
#include "TimelineController.h"
#include "zarn_core/MakeDirectoryIfNeeded.h"
#include "zarn_core/ShowStore.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QSettings>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <utility>

namespace zarn::qt {

namespace {

const QUrl kMainWindowUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/MusicalMain.qml"));

QVariantMap InitialWindowProperties(const zarn::PlayerFactory* profile)
{
    return {{QStringLiteral("showAlbumArtImage"), profile->showAlbumArt},
            {QStringLiteral("showFade"), profile->showFade}};
}

// The stored default volume, when it is one the engine can take. The general settings read
// an unreadable value as 0, which would silence the show.
std::optional<double> UsableVolume(const QVariant& stored, double loaded)
{
    if (!stored.isValid())
        return loaded; // none stored: the default
    bool isNumber = false;
    const double volume = stored.toString().toDouble(&isNumber);
    if (!isNumber || !std::isfinite(volume) || volume < 0.0)
        return std::nullopt;
    return volume;
}

QString StoredText(const QVariant& stored)
{
    // An INI value with a comma in it reads as a list.
    if (stored.typeId() == QMetaType::QStringList)
        return stored.toStringList().join(QLatin1Char(','));
    return stored.toString();
}

} // namespace

MusicalMainController::MusicalMainController(QQmlApplicationEngine* engine, zarn::PlayerFactory* profile)
    : QmlController(engine, kMainWindowUrl, nullptr, true, InitialWindowProperties(profile))
    , profile_(profile)
    , banner_(GetQmlObject())
    , oscInbox_(std::make_unique<OscCueInbox>(
          [this](const CL::Osc& osc, std::uint32_t delay) { onEnqueueOscCommand(osc, delay); }))
    , oscServer_(MakeOscServerControl())
    , fades_([this](bool gotoNextSong) { emit FadeComplete(gotoNextSong); })
    , events_(std::make_unique<EngineEventDispatcher>(
          [this](int id, int value, const QString& text) { HandleEngineEvent(id, value, text); }))
{
    // The performance notice comes first and stays until it is acknowledged: what the show
    // load and the settings raise before it waits behind it.
    if (profile_->showPerformanceNotice)
        dialogs_.Defer();

    // The engine's threads reach only the dispatcher, never this controller.
    notify::EventObserver& observer = *events_->Observer();
    observer.SetCallbackFunc(&MusicalMainController::EngineEventCallback, events_.get());
    observer.RegisterPageNum(12);
    observer.RegisterPlayhead(13);
    observer.RegisterPlaybackStarted(0);
    observer.RegisterPlaybackStopped(1);
    observer.RegisterPlaybackPaused(2);
    observer.RegisterPlaybackFading(3);
    observer.RegisterKey(5);
    observer.RegisterTempo(6);
    observer.RegisterMeter(7);
    observer.RegisterTransposition(8);
    observer.RegisterTempoScale(9);
    observer.RegisterVampOn(19);
    observer.RegisterVampOff(20);
    observer.RegisterBarBeat(10);
    observer.RegisterSongTitle(14);
    observer.RegisterSongLoaded(15);
    observer.RegisterStatusFlowControl(4);
    observer.RegisterMidiNotification(18);
    observer.RegisterLearnedMIDICommand(16);
    observer.RegisterMIDICommandCanceled(17);
    observer.RegisterStatusVolume(21);
    observer.RegisterMarker(11);

    SetWindowProperty("showMixer", profile_->showMixer);
    SetWindowProperty("showScore", profile_->showScore);
    LoadShow_();
    SetWindowProperty("cornerLogoSource", QUrl(profile_->cornerLogoUrl));
    CreateMenu();

    ready_.exchange(true);
    ConnectSignals();
    // The server starts once, here, on the stored settings: the show load left it out.
    oscServer_->ReadSettings(GetOscSettingsPath().toUtf8().toStdString());
    RestartOscServer();
    SetWindowProperty("oscEnable", profile_->enableOsc);
    ConnectOscCallback();
    ApplyGeneralSettings();
    ShowEditionNotices();
    dialogs_.Release();
}

MusicalMainController::~MusicalMainController()
{
    // Nothing on an engine thread may reach this controller from here on.
    events_->StopObserving();
    fades_.Revoke();
    oscServer_->Stop();
    // Its window's closing reaches nobody from here on.
    if (changelogManager_)
        disconnect(changelogManager_.get(), nullptr, this, nullptr);
    changelogManager_.reset();
    if (player_) {
        try {
            if (!player_->IsStopped())
                player_->Stop();
        } catch (const std::exception& e) {
            std::cerr << "Stopping the engine failed: " << e.what() << std::endl;
        }
    }
    // The callback and the engine hold each other: this lets both go.
    ReleaseOscCallback();
    // The fields go in reverse order of declaration: the edit controller before the
    // timeline controller it refers to, the current dialog last, then the window.
}

// --- show load ---

void MusicalMainController::LoadShow_()
{
    QObject* window = qmlObject_;
    if (!window)
        throw std::runtime_error("The main window could not be loaded.");

    oscServer_->Stop();
    if (showManager_)
        showManager_->Shutdown();
    SetWindowProperty("visible", true);

    const std::string dataFolder = profile_->GetDataFolder().toStdString();
    zarn::MakeDirectoryIfNeeded(dataFolder);
    showStore_ = std::make_shared<cmn::ShowStore>(dataFolder);
    const cmn::ShowRecord record = showStore_->CurrentShowRecord();
    dataFolder_ = dataFolder;
    showFolder_ = (std::filesystem::path(dataFolder) / record.folder).string();
    showName_ = QString::fromStdString(record.showName);

    TearDownShow();

    // The OSC settings stay as they are: a server the operator switched off stays off
    // whichever show is loaded.
    MakeOscCallback();
    player_ = std::shared_ptr<Interface>(
        profile_->CreateAudioInterface(QString::fromStdString(showFolder_), oscCallback_));
    showManager_ = std::make_shared<zarn::ShowManager>(player_);
    if (oscCallback_)
        oscCallback_->SetPlayer(player_);
    editModel_ = std::make_shared<EditModel>(showManager_, profile_->enableOsc);

    auto* timeline = window->property("timelineControl").value<QObject*>();
    auto* editPanel = qobject_cast<QQuickItem*>(window->property("editPanelControl").value<QObject*>());
    if (!timeline || !editPanel)
        throw std::runtime_error("The main window has no timeline or no edit panel.");
    timelineController_ = std::make_unique<TimelineController>(timeline, engine_, player_, showManager_,
                                                               editModel_, profile_->showAudioFadeRegion,
                                                               profile_->enableOsc);
    // A song whose bars cannot be shown is reported here; the previous song's timeline stays.
    connect(timelineController_.get(), &QmlController::error, this, &MusicalMainController::onError);
    // A click seeks: the cues held for the old position are no longer due.
    connect(timelineController_.get(), &TimelineController::timelineClicked, this,
            &MusicalMainController::onClearOscQueue);

    editController_ = std::make_unique<EditController>(engine_, showManager_, editModel_, player_, editPanel,
                                                       *timelineController_, profile_->enableOsc);
    connect(editController_.get(), &QmlController::information, this, &MusicalMainController::onInformation);
    connect(editController_.get(), &QmlController::error, this, &MusicalMainController::onError);
    ConnectEditRelays();
    MakeOutputPathsManager();

    // A score that cannot be read is reported and the show still loads.
    scoreView_ = std::make_unique<ScoreViewController>(window->property("scoreControl").value<QObject*>(),
                                                       player_, showStore_, engine_);
    connect(scoreView_.get(), &QmlController::error, this, &MusicalMainController::onError);
    scoreView_->LoadScorePages();

    SetWindowProperty("title", profile_->displayName + QStringLiteral(" - ") + showName_ + QStringLiteral(" - ")
                                   + QString::fromStdString(record.customerName));
    CheckChangeLogReadOnly();
    // While the controller is being made the server waits for the stored settings, read
    // after the show load; starting it here first could fail on a port they do not use.
    if (ready_.load())
        RestartOscServer();
    LoadAlbumArt();
    ConnectSignals();
}

void MusicalMainController::TearDownShow()
{
    // The tools hold the engine and the edit controller that are about to go.
    tools_.DeleteAll();
    oscManager_.reset();
    mixerController_.reset();
    outputPaths_.reset();
    if (editController_) {
        disconnect(this, nullptr, editController_.get(), nullptr);
        disconnect(editController_.get(), nullptr, this, nullptr);
        editController_.reset();
    }
    timelineController_.reset();
    scoreView_.reset();
    editModel_.reset();
    // A window that still holds the show manager (the MIDI Manager) finds no engine from here on.
    if (showManager_)
        showManager_->ReleasePlayer();
    showManager_.reset();
    ReleaseOscCallback();
    if (player_)
        player_->Shutdown();
    player_.reset();
}

void MusicalMainController::CheckChangeLogReadOnly()
{
    bool readOnly = false;
    try {
        const CL::Editor* editor = player_ ? player_->GetChangeLogEditor() : nullptr;
        readOnly = editor && editor->ChangelogIsReadOnly();
    } catch (...) {
        // Not knowing is no reason to stop the show: the editor reports a refused edit itself.
    }
    if (!readOnly)
        return;
    const std::string name = profile_->displayName.toStdString();
    onError("This show's data needs a newer version of " + name
                + ". You can still play the music, but the show cannot be edited until you upgrade " + name
                + " to its latest version.",
            "Upgrade to Edit");
}

void MusicalMainController::LoadAlbumArt()
{
    if (!profile_->showAlbumArt || !showStore_)
        return;
    const QString path = QString::fromStdString(showStore_->DataFolder().string()) + QLatin1Char('/')
                         + QDir(QString::fromStdString(showStore_->CurrentShowRecord().folder))
                               .filePath(QStringLiteral("AlbumArtwork.jpg"));
    if (QFileInfo::exists(path)) {
        SetWindowProperty("albumArtImageUrl", QUrl::fromLocalFile(path));
        return;
    }
    qDebug() << "Artwork file not found at:" << path;
    SetWindowProperty("albumArtImageUrl", QUrl());
    SetWindowProperty("showAlbumArtImage", false);
}

// --- construction steps after the show load ---

void MusicalMainController::ConnectSignals()
{
    QObject* window = qmlObject_;
    if (!ready_.load() || !window)
        return;
    const auto unique = Qt::UniqueConnection;
    connect(window, SIGNAL(play()), this, SLOT(Play_()), unique);
    connect(window, SIGNAL(stop()), this, SLOT(Stop_()), unique);
    connect(window, SIGNAL(pause()), this, SLOT(PauseToggle_()), unique);
    connect(window, SIGNAL(fade(int)), this, SLOT(Fade_(int)), unique);
    connect(window, SIGNAL(continueFlow()), this, SLOT(ContinueFlow_()), unique);
    connect(window, SIGNAL(nextSong()), this, SLOT(NextSong_()), unique);
    connect(window, SIGNAL(prevSong()), this, SLOT(PrevSong_()), unique);
    connect(window, SIGNAL(jumpToBar(QString)), this, SLOT(JumpToBar_(QString)), unique);
    connect(window, SIGNAL(changelogManagerOpened()), this, SLOT(ShowChangelogManager_()), unique);
    connect(window, SIGNAL(outputPathsOpened()), this, SLOT(ShowOutputPaths_()), unique);
    connect(this, SIGNAL(PlayStarted()), window, SIGNAL(playStarted()), unique);
    connect(this, SIGNAL(Stopped()), window, SIGNAL(stopped()), unique);
    connect(this, SIGNAL(Paused()), window, SIGNAL(paused()), unique);
    connect(this, SIGNAL(Fading()), window, SIGNAL(fading()), unique);
    connect(this, SIGNAL(JumpToBarResult(bool)), window, SIGNAL(jumpToBarResult(bool)), unique);
    // Emitted on the engine's thread by a fade completion: it arrives queued.
    connect(this, SIGNAL(FadeComplete(bool)), this, SLOT(FadeComplete_(bool)), unique);
    if (auto* editBar = window->findChild<QObject*>(QStringLiteral("editBar"))) {
        connect(editBar, SIGNAL(saveButton()), this, SLOT(onSaveButton()), unique);
        connect(editBar, SIGNAL(shareButton()), this, SLOT(onSaveAndUploadButton()), unique);
    }
    // The window refuses every close itself; the launcher decides what follows.
    connect(window, SIGNAL(closing(QQuickCloseEvent*)), this, SIGNAL(Closing()), unique);
    ConnectToolSignals(window);
    ConnectMenu();
}

QString MusicalMainController::GetGeneralSettingsPath() const
{
    return QDir(QString::fromStdString(dataFolder_)).filePath(QStringLiteral("general_settings.zarn"));
}

void MusicalMainController::ApplyGeneralSettings()
{
    try {
        const QString path = GetGeneralSettingsPath();
        auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
        const QVariant storedVolume = settings->value(QStringLiteral("defaultVolume"));
        generalSettings_ = std::make_shared<zarn::AppSettings>(std::move(settings));
        if (!QFileInfo::exists(path) || !player_)
            return;
        generalSettings_->Load();
        player_->SetOutputDeviceUid(generalSettings_->GetDefaultOutputDeviceString().toStdString());
        const std::optional<double> volume = UsableVolume(storedVolume, generalSettings_->GetDefaultVolume());
        if (!volume) {
            onError("The stored default volume \"" + StoredText(storedVolume).toStdString()
                        + "\" is not a number of 0 or more, so the volume was left as it was.",
                    "Error Setting Audio");
            return;
        }
        player_->SetVolume(*volume, 1);
    } catch (const std::exception& e) {
        onError(e.what(), "Error Setting Audio");
    }
}

void MusicalMainController::ShowEditionNotices()
{
    // With both, only the performance notice stays: it replaces the rehearsal notice.
    if (profile_->showRehearsalNotice) {
        dialogs_.ShowNow(
            [&] { return EditionNotices::Rehearsal(*profile_, qmlObject_.data(), engine_, generalSettings_); },
            false);
    }
    if (profile_->showPerformanceNotice) {
        dialogs_.ShowNow(
            [&] { return EditionNotices::Performance(*profile_, qmlObject_.data(), engine_, generalSettings_); },
            true);
    }
}

bool MusicalMainController::HasUnsavedChanges() const
{
    return editController_ && editModel_ && editModel_->needsSave;
}

void MusicalMainController::ReloadCurrentSong()
{
    if (!showManager_)
        return;
    if (const std::shared_ptr<Interface> player = showManager_->GetPlayer())
        player->LoadSong(showManager_->GetCurrentSongNumber());
}

// --- dialogs ---

void MusicalMainController::ShowDialog(std::string message, std::string title, int type)
{
    dialogs_.Show([this, message = std::move(message), title = std::move(title), type] {
        return std::make_unique<DialogController>(message, title, type, qmlObject_.data(), engine_);
    });
}

void MusicalMainController::onError(std::string message, std::string title)
{
    ShowDialog(std::move(message), std::move(title), DialogController::Error);
}

void MusicalMainController::onInformation(std::string message, std::string title)
{
    ShowDialog(std::move(message), std::move(title), DialogController::Information);
}

// --- engine notifications ---

void MusicalMainController::EngineEventCallback(int id, int value, const char* text, void* context)
{
    static_cast<EngineEventDispatcher*>(context)->Post(id, value, text);
}

void MusicalMainController::OnEngineEvent(int id, int value, const char* text)
{
    events_->Post(id, value, text);
}

template <class Work>
void MusicalMainController::ReportingChildFailure(Work&& work)
{
    try {
        std::forward<Work>(work)();
    } catch (const std::exception& e) {
        // Playback goes on; the same failure on every later notification is shown once.
        const std::string text = e.what();
        std::cerr << "Display Error: " << text << std::endl;
        if (reportedDisplayErrors_.insert(text).second)
            onError(text, "Display Error");
    }
}

void MusicalMainController::HandleEngineEvent(int id, int value, QString text)
{
    if (!qmlObject_)
        return;
    switch (id) {
    case 0:
        emit PlayStarted();
        SendHeldCuesIfPlaying();
        break;
    case 1:
        emit Stopped();
        break;
    case 2:
        emit Paused();
        break;
    case 3:
        emit Fading();
        break;
    case 12:
        if (scoreView_)
            scoreView_->SetCurrentPage(value);
        break;
    case 11:
        if (editController_)
            ReportingChildFailure([&] { editController_->OnMarkerPassed(value); });
        break;
    case 13:
        if (timelineController_)
            ReportingChildFailure([&] { timelineController_->SetPlayhead(value); });
        break;
    case 15:
        HandleSongLoaded(text);
        break;
    case 16:
        emit MidiLearned((value >> 16) & 0xFF, (value >> 8) & 0xF0, (value >> 8) & 0x0F, value & 0xFF);
        break;
    case 17:
        emit MidiUnlearned(value);
        break;
    case 18:
        ShowMidiNotice();
        break;
    case 19:
        SetContinueHighlight(true);
        break;
    case 20:
        SetContinueHighlight(false);
        break;
    default:
        // The banner's values; any other id is no notification at all.
        banner_.Write(id, value, text);
        break;
    }
}

void MusicalMainController::HandleSongLoaded(const QString& songNumber)
{
    const std::string song = songNumber.toStdString();
    if (timelineController_)
        ReportingChildFailure([&] { timelineController_->OnSongLoaded(song); });
    if (editController_)
        ReportingChildFailure([&] { editController_->OnSongLoaded(song); });
    if (!profile_->showMixer)
        return;
    if (auto* mixerItem = qmlObject_->property("mixerControl").value<QObject*>()) {
        ReportingChildFailure([&] {
            mixerController_ = profile_->CreateMixerController(mixerItem, engine_, player_, generalSettings_);
        });
    }
}

void MusicalMainController::SetContinueHighlight(bool highlight)
{
    banner_.SetContinueHighlight(highlight);
}

void MusicalMainController::ShowMidiNotice()
{
    banner_.Flash("highlightMidiNotice");
}

void MusicalMainController::ShowOscNotice()
{
    banner_.Flash("highlightOscNotice");
}

void MusicalMainController::ShowOscOutgoingNotice()
{
    banner_.Flash("highlightOscOutgoingNotice");
}

void MusicalMainController::SetWindowProperty(const char* name, const QVariant& value)
{
    if (qmlObject_)
        qmlObject_->setProperty(name, value);
}

// --- transport, fades, seeks and zoom ---
// Reached from the window's signals and queued calls: whatever they throw ends the run
// through the guard instead of unwinding into QML or the event loop. Without an engine they
// do nothing.

template <class Work>
void MusicalMainController::WithPlayer(Work&& work)
{
    FatalError::Guard([&] {
        if (player_)
            work(*player_);
    });
}

template <class Work>
void MusicalMainController::WithShowPlayer(Work&& work)
{
    FatalError::Guard([&] {
        if (const std::shared_ptr<Interface> player = showManager_ ? showManager_->GetPlayer() : nullptr)
            work(*player);
    });
}

void MusicalMainController::Play_()
{
    WithPlayer([this](Interface& player) {
        player.Play();
        PlayQueuedOscEvents();
    });
}

void MusicalMainController::Stop_()
{
    WithPlayer([](Interface& player) { player.Stop(); });
}

void MusicalMainController::ContinuePlay_()
{
    WithPlayer([this](Interface& player) {
        player.Continue();
        PlayQueuedOscEvents();
    });
}

void MusicalMainController::ContinueFlow_()
{
    WithPlayer([this](Interface& player) {
        player.FlowControlExit();
        PlayQueuedOscEvents();
    });
}

void MusicalMainController::PauseToggle_(bool fadeCompleted)
{
    // One control pauses a running or faded show and starts a paused or stopped one.
    WithPlayer([this, fadeCompleted](Interface& player) {
        if (!player.GetIsPaused() && (player.GetIsPlaying() || player.GetIsFaded())) {
            player.Pause(fadeCompleted);
        } else {
            player.Play();
            PlayQueuedOscEvents();
        }
    });
}

void MusicalMainController::PauseToggle_()
{
    PauseToggle_(false);
}

void MusicalMainController::PauseToggleSlot_()
{
    PauseToggle_(false);
}

void MusicalMainController::NextSong_()
{
    // The cues held at the old position are not due at the new one.
    onClearOscQueue();
    WithPlayer([](Interface& player) { player.NextSong(); });
}

void MusicalMainController::PrevSong_()
{
    onClearOscQueue();
    WithPlayer([](Interface& player) { player.PrevSong(); });
}

void MusicalMainController::Fade_(int fadeTimeMs)
{
    WithPlayer([&](Interface& player) {
        if (player.GetIsPlaying())
            player.Fade(fades_.FadeAndNext(), FadeCompletions::Seconds(fadeTimeMs));
    });
}

void MusicalMainController::FadeTo_(int fadeTimeMs, double targetVolumerPercent)
{
    WithPlayer([&](Interface& player) {
        player.FadeTo(fades_.FadeToLevel(), FadeCompletions::Seconds(fadeTimeMs),
                      static_cast<float>(targetVolumerPercent));
    });
}

void MusicalMainController::FadeToStop_(int fadeTimeMs)
{
    WithPlayer([&](Interface& player) {
        if (player.GetIsPlaying())
            player.Fade(fades_.FadeAndStop(player_), FadeCompletions::Seconds(fadeTimeMs));
    });
}

void MusicalMainController::FadeComplete_(bool gotoNextSong)
{
    WithPlayer([gotoNextSong](Interface& player) {
        if (player.GetIsFaded() && gotoNextSong)
            player.NextSong();
        player.CancelFade();
    });
}

void MusicalMainController::JumpToBar_(QString barNum)
{
    onClearOscQueue();
    // Without an engine the prompt gets no answer at all.
    WithPlayer([&](Interface& player) { emit JumpToBarResult(player.SeekToBar(barNum.toStdString())); });
}

void MusicalMainController::JumpToBarStartRequested()
{
    if (qmlObject_)
        QMetaObject::invokeMethod(qmlObject_, "startJumpToBar", Qt::AutoConnection);
}

void MusicalMainController::SeekNextMarkerRequested_()
{
    WithShowPlayer([](Interface& player) { player.SeekRight(); });
}

void MusicalMainController::SeekPrevMarkerRequested_()
{
    WithShowPlayer([](Interface& player) { player.SeekLeft(); });
}

void MusicalMainController::SeekNextBarRequested_()
{
    WithShowPlayer([](Interface& player) { player.SeekToNextMeasure(); });
}

void MusicalMainController::SeekPrevBarRequested_()
{
    WithShowPlayer([](Interface& player) { player.SeekToPreviousMeasure(); });
}

void MusicalMainController::ZoomInRequested_()
{
    InvokeOnTimeline("zoomin");
}

void MusicalMainController::ZoomOutRequested_()
{
    InvokeOnTimeline("zoomout");
}

void MusicalMainController::InvokeOnTimeline(const char* function)
{
    // Read afresh: the timeline item is the window's, not this controller's.
    if (!qmlObject_)
        return;
    if (auto* timeline = qmlObject_->property("timelineControl").value<QObject*>())
        QMetaObject::invokeMethod(timeline, function, Q_ARG(QVariant, QVariant(0.6)),
                                  Q_ARG(QVariant, QVariant(true)));
}

} // namespace zarn::qt

// The main window controller's OSC side: the cues held back until playback starts, the OSC
// server with its settings file, and the outgoing-OSC callback's wiring.

#include "MusicalMainController.h"

#include "EditController.h"
#include "FatalError.h"
#include "Interface.h"
#include "OscServer.h"
#include "PlayerFactory.h"
#include "ShowManager.h"
#include "ZarnOscCallbacks.h"
#include "ZarnPlayerOscCallback.h"

#include <QDir>

#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace zarn::qt {

namespace {

// The command handler's fade times are float milliseconds; the fade slots take whole ones,
// cut toward zero. A value no int can hold is pinned to the nearest one instead of being
// undefined, and one that is not a number at all is no time.
int TruncatedMilliseconds(float milliseconds)
{
    if (std::isnan(milliseconds))
        return 0;
    const double truncated = std::trunc(static_cast<double>(milliseconds));
    if (truncated <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (truncated >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(truncated);
}

} // namespace

std::unique_ptr<OscServerControl> MusicalMainController::MakeOscServerControl()
{
    return std::make_unique<OscServerControl>([this](ZarnOscCallbacks& handler) {
        // The handler lives on this thread, so these are direct calls made while it handles
        // a datagram.
        connect(&handler, &ZarnOscCallbacks::FadeRequested, this,
                [this](float fadeTime) { Fade_(TruncatedMilliseconds(fadeTime)); });
        connect(&handler, &ZarnOscCallbacks::FadeToRequested, this,
                [this](float fadeTime, float targetVolumePercent, bool) {
                    FadeTo_(TruncatedMilliseconds(fadeTime), static_cast<double>(targetVolumePercent));
                });
        connect(&handler, &ZarnOscCallbacks::Notification, this, &MusicalMainController::ShowOscNotice);
        connect(&handler, &ZarnOscCallbacks::RequestPlayQueudOscEvents, this,
                &MusicalMainController::PlayQueuedOscEvents);
    });
}

// --- settings and server ---

QString MusicalMainController::GetSettingsFolder() const
{
    // The data folder: the settings files lie beside the shows.
    return profile_->GetDataFolder();
}

QString MusicalMainController::GetOscSettingsPath() const
{
    return QDir(GetSettingsFolder()).filePath(QStringLiteral("osc_settings.zarn"));
}

const osc::OscSettings& MusicalMainController::GetOscSettings() const
{
    return oscServer_->settings;
}

osc::OscServer* MusicalMainController::GetOscServer() const
{
    return oscServer_->Server();
}

void MusicalMainController::RestartOscServer()
{
    if (!profile_->enableOsc)
        return;
    const std::optional<std::string> failure = oscServer_->Restart(player_, showName_.toStdString());
    if (failure)
        onError(*failure, "OSC Server Error");
}

void MusicalMainController::onOscSettingsUpdated_(zarn::osc::OscSettings newSettings,
                                                  CL::NetworkPathVectorT& newNetworks)
{
    FatalError::Guard([&] {
        const std::string title = "OSC Settings Failed to Save";
        try {
            const std::string path = GetOscSettingsPath().toUtf8().toStdString();
            std::string why;
            // The file keeps its old settings; the new ones still apply to this run.
            if (!osc::WriteOscSettings(newSettings, path, &why))
                onError(why.empty() ? "Cannot write the OSC settings file " + path + "." : why, title);
            // Through the engine: its threads read the destinations while cues go out.
            if (showManager_)
                showManager_->UpdateNetworks(newNetworks);
            if (editController_) {
                // Reloads the change log, which then counts as changed (to save and share),
                // and refreshes what shows it.
                editController_->RefreshAfterEdit({});
            }
        } catch (const std::exception& e) {
            onError(e.what(), title);
        }
        oscServer_->settings = newSettings;
        RestartOscServer();
    });
}

void MusicalMainController::ShowOscManager_()
{
    FatalError::Guard([&] {
        try {
            auto manager = std::make_unique<OscManagerController>(engine_, oscServer_->settings, player_, qmlObject_);
            // Direct: the destinations go by non-const reference, which a queued call cannot carry.
            connect(manager.get(), &OscManagerController::oscSettingsUpdated, this,
                    &MusicalMainController::onOscSettingsUpdated_, Qt::DirectConnection);
            connect(manager.get(), &QmlController::error, this, &MusicalMainController::onError);
            oscManager_ = std::move(manager);
            oscManager_->SetVisible(true);
        } catch (const std::exception& e) {
            onError(e.what(), "OSC Manager Error");
        }
    });
}

// --- held-back cues ---

void MusicalMainController::onEnqueueOscCommand(CL::Osc osc, uint32_t delay)
{
    FatalError::Guard([&] {
        if (oscCallback_)
            oscCues_.Hold(osc, delay, player_.get(), *oscCallback_);
    });
}

void MusicalMainController::PlayQueuedOscEvents()
{
    FatalError::Guard([&] { oscCues_.SendCurrentSong(player_.get(), oscCallback_.get()); });
}

void MusicalMainController::SendHeldCuesIfPlaying()
{
    // A start this controller did not make (a MIDI command, say) sends the held cues as the
    // transport button does. Only while the engine still plays: a stop since then has held
    // new cues that must wait for the next start.
    FatalError::Guard([&] {
        if (player_ && player_->GetIsPlaying())
            PlayQueuedOscEvents();
    });
}

void MusicalMainController::onClearOscQueue()
{
    oscCues_.Clear();
}

// --- outgoing-OSC callback ---

void MusicalMainController::MakeOscCallback()
{
    if (!profile_->enableOsc)
        return;
    oscCallback_ = profile_->CreateOscCallback(oscServer_->settings.oscListenPort);
    ConnectOscCallback();
}

void MusicalMainController::ReleaseOscCallback()
{
    if (!oscCallback_)
        return;
    oscCallback_->ClearPlayer();
    // The engine going down may still hand it a cue; that cue is not this show's any more.
    if (oscCueConnection_)
        oscCueConnection_->store(false);
    oscCueConnection_.reset();
    disconnect(oscCallback_.get(), nullptr, this, nullptr);
    oscCallback_.reset();
}

void MusicalMainController::ConnectOscCallback()
{
    if (!oscCallback_)
        return;
    // Both are emitted on the engine's and the sender's threads. The cue goes through the
    // inbox's lock rather than as the argument of a queued call; the notice carries nothing.
    if (!oscCueConnection_)
        oscCueConnection_ = oscInbox_->Connect(*oscCallback_);
    connect(oscCallback_.get(), &ZarnPlayerOscCallback::OutgoingNotification, this,
            &MusicalMainController::ShowOscOutgoingNotice, Qt::UniqueConnection);
}

} // namespace zarn::qt

// The main window controller's MIDI and audio set-up: the MIDI Manager and the Audio Manager,
// and the audio choice applied to the engine and stored in the general settings.

#include "MusicalMainController.h"

#include "AppSettings.h"
#include "AudioManagerController.h"
#include "FatalError.h"
#include "Interface.h"
#include "MidiManagerController.h"

#include <stdexcept>

namespace zarn::qt {

void MusicalMainController::ShowMidiManager_()
{
    FatalError::Guard([&] {
        try {
            // The saved source name is the file's: another run may have chosen one since.
            if (generalSettings_)
                generalSettings_->Load();
            auto manager = std::make_unique<MidiManagerController>(engine_, showManager_, generalSettings_, qmlObject_);
            connect(this, &MusicalMainController::MidiLearned, manager.get(), &MidiManagerController::MidiLearned);
            connect(this, &MusicalMainController::MidiUnlearned, manager.get(), &MidiManagerController::MidiUnlearned);
            connect(manager.get(), &QmlController::error, this, &MusicalMainController::onError);
            midiManager_ = std::move(manager);
            midiManager_->SetVisible(true);
        } catch (const std::exception& e) {
            onError(e.what(), MidiManagerCommandController::kErrorTitle);
        }
    });
}

void MusicalMainController::ShowAudioManager_()
{
    FatalError::Guard([&] {
        try {
            auto manager = std::make_unique<AudioManagerController>(engine_, player_, qmlObject_);
            connect(manager.get(), &QmlController::error, this, &MusicalMainController::onError);
            connect(manager.get(), &AudioManagerController::audioSettingsUpdated, this,
                    &MusicalMainController::onAudioSettingsUpdated);
            audioManager_ = std::move(manager);
            audioManager_->SetVisible(true);
        } catch (const std::exception& e) {
            onError(e.what(), AudioManagerController::kErrorTitle);
        }
    });
}

void MusicalMainController::onAudioSettingsUpdated()
{
    FatalError::Guard([&] {
        try {
            if (!audioManager_)
                return;
            if (!player_)
                throw std::runtime_error("No show is loaded.");
            const QString device = audioManager_->GetOutputDeviceUid();
            player_->Stop();
            player_->SetOutputDeviceUid(device.toStdString());
            const double volume = audioManager_->GetOutputVolume();
            player_->SetVolume(volume, 1);
            if (!generalSettings_)
                throw std::runtime_error("The general settings are not available.");
            generalSettings_->SetDefaultVolume(volume);
            generalSettings_->SetDefaultOutputDeviceString(device);
            if (!generalSettings_->Save())
                throw std::runtime_error("The audio settings could not be written to "
                                         + GetGeneralSettingsPath().toStdString() + ".");
        } catch (const std::exception& e) {
            onError(e.what(), "Error Updating Audio Settings");
        }
    });
}

} // namespace zarn::qt

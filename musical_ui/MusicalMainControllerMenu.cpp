// The main window controller's menu: the about popup's and the menu's controllers, and the
// menu's relays to this controller and to the edit controller.

#include "AboutWindowController.h"
#include "EditController.h"
#include "MusicalMainController.h"
#include "PlayerFactory.h"
#include "ResponsiveMenuController.h"

#include <QVariant>

namespace zarn::qt {

void MusicalMainController::CreateMenu()
{
    QObject* window = qmlObject_;
    if (!window)
        return;
    aboutWindow_ = std::make_unique<AboutWindowController>(
        window->property("aboutWindow").value<QObject*>(), engine_, profile_->GetVersionString(),
        profile_->aboutLogoUrl,
        QStringLiteral(":/qt/qml/com/lanternhillstudios/") + profile_->folderName
            + QStringLiteral("2_ui/resources/text/acknowledgements.txt"),
        profile_->GetVersionIdentifier());
    menuController_ = std::make_unique<ResponsiveMenuController>(
        profile_->showAudioManager, profile_->displayName, window->property("menu").value<QObject*>(), engine_,
        profile_->enableOsc);
}

void MusicalMainController::ConnectMenu()
{
    const auto unique = Qt::UniqueConnection;
    ResponsiveMenuController* menu = menuController_.get();
    if (!menu)
        return;
    if (EditController* edit = editController_.get()) {
        connect(edit, &EditController::UpdateUndoRedoState, menu, &ResponsiveMenuController::UpdateUndoRedoState,
                unique);
        connect(menu, &ResponsiveMenuController::UndoRequested, edit, &EditController::UndoRequested, unique);
        connect(menu, &ResponsiveMenuController::RedoRequested, edit, &EditController::RedoRequested, unique);
        connect(menu, &ResponsiveMenuController::DeleteRequested, edit, &EditController::DeleteRequested, unique);
    }
    connect(menu, &ResponsiveMenuController::StopRequested, this, &MusicalMainController::Stop_, unique);
    connect(menu, &ResponsiveMenuController::PlayPauseRequested, this, &MusicalMainController::PauseToggleSlot_,
            unique);
    connect(menu, &ResponsiveMenuController::ContinuePlayRequested, this, &MusicalMainController::ContinuePlay_,
            unique);
    // Receivers run in the order they were connected: whatever must follow a seek (dropping
    // the cues held back for the old position) is connected after these.
    connect(menu, &ResponsiveMenuController::JumpToBarStartRequested, this,
            &MusicalMainController::JumpToBarStartRequested, unique);
    connect(menu, &ResponsiveMenuController::SeekNextMarkerRequested, this,
            &MusicalMainController::SeekNextMarkerRequested_, unique);
    connect(menu, &ResponsiveMenuController::SeekPrevMarkerRequested, this,
            &MusicalMainController::SeekPrevMarkerRequested_, unique);
    connect(menu, &ResponsiveMenuController::SeekNextBarRequested, this,
            &MusicalMainController::SeekNextBarRequested_, unique);
    connect(menu, &ResponsiveMenuController::SeekPrevBarRequested, this,
            &MusicalMainController::SeekPrevBarRequested_, unique);
    // Cues held back for the old position are dropped once the seek has run.
    connect(menu, &ResponsiveMenuController::JumpToBarStartRequested, this, &MusicalMainController::onClearOscQueue,
            unique);
    connect(menu, &ResponsiveMenuController::SeekNextMarkerRequested, this, &MusicalMainController::onClearOscQueue,
            unique);
    connect(menu, &ResponsiveMenuController::SeekPrevMarkerRequested, this, &MusicalMainController::onClearOscQueue,
            unique);
    connect(menu, &ResponsiveMenuController::SeekNextBarRequested, this, &MusicalMainController::onClearOscQueue,
            unique);
    connect(menu, &ResponsiveMenuController::SeekPrevBarRequested, this, &MusicalMainController::onClearOscQueue,
            unique);
    connect(menu, &ResponsiveMenuController::ZoomInRequested, this, &MusicalMainController::ZoomInRequested_,
            unique);
    connect(menu, &ResponsiveMenuController::ZoomOutRequested, this, &MusicalMainController::ZoomOutRequested_,
            unique);
    if (profile_->enableOsc)
        connect(menu, &ResponsiveMenuController::oscManagerClicked, this, &MusicalMainController::ShowOscManager_,
                unique);
    connect(menu, &ResponsiveMenuController::midiCommandsClicked, this, &MusicalMainController::ShowMidiManager_,
            unique);
    connect(menu, &ResponsiveMenuController::audioManagerClicked, this, &MusicalMainController::ShowAudioManager_,
            unique);
    connect(menu, &ResponsiveMenuController::getLatestChangelogClicked, this,
            &MusicalMainController::GetLatestLogClicked_, unique);
    connect(menu, &ResponsiveMenuController::ViewPastLogsRequested, this,
            &MusicalMainController::ShowChangelogManager_, unique);
    connect(menu, &ResponsiveMenuController::saveRequested, this, &MusicalMainController::onSaveButton, unique);
    connect(menu, &ResponsiveMenuController::shareRequested, this, &MusicalMainController::onSaveAndUploadButton,
            unique);
    connect(menu, &ResponsiveMenuController::selectAllRequested, this, &MusicalMainController::onSelectAllRequested_,
            unique);
}

} // namespace zarn::qt

#include "ResponsiveMenuController.h"

#include <QMetaObject>
#include <QVariant>

#include <utility>

namespace zarn::qt {

ResponsiveMenuController::ResponsiveMenuController(bool showAudioManager, QString appName, QObject* menuItem,
                                                   QQmlEngine* engine, bool oscEnabled)
    : QmlController(menuItem, engine)
    , appName_(std::move(appName))
{
    if (!menuItem)
        return;
    menuItem->setProperty("showAudioManager", showAudioManager);
    menuItem->setProperty("oscEnabled", oscEnabled);
    menuItem->setProperty("appName", appName_);

    connect(menuItem, SIGNAL(aboutClicked()), this, SLOT(AboutClicked_()));
    connect(menuItem, SIGNAL(midiCommandsClicked()), this, SIGNAL(midiCommandsClicked()));
    connect(menuItem, SIGNAL(oscManagerClicked()), this, SIGNAL(oscManagerClicked()));
    connect(menuItem, SIGNAL(audioManagerClicked()), this, SIGNAL(audioManagerClicked()));
    connect(menuItem, SIGNAL(playPause()), this, SIGNAL(PlayPauseRequested()));
    connect(menuItem, SIGNAL(stop()), this, SIGNAL(StopRequested()));
    connect(menuItem, SIGNAL(continuePlay()), this, SIGNAL(ContinuePlayRequested()));
    connect(menuItem, SIGNAL(nextMarker()), this, SIGNAL(SeekNextMarkerRequested()));
    connect(menuItem, SIGNAL(previousMarker()), this, SIGNAL(SeekPrevMarkerRequested()));
    connect(menuItem, SIGNAL(nextBar()), this, SIGNAL(SeekNextBarRequested()));
    connect(menuItem, SIGNAL(previousBar()), this, SIGNAL(SeekPrevBarRequested()));
    connect(menuItem, SIGNAL(zoomIn()), this, SIGNAL(ZoomInRequested()));
    connect(menuItem, SIGNAL(zoomOut()), this, SIGNAL(ZoomOutRequested()));
    connect(menuItem, SIGNAL(deleteSelected()), this, SIGNAL(DeleteRequested()));
    connect(menuItem, SIGNAL(undo()), this, SIGNAL(UndoRequested()));
    connect(menuItem, SIGNAL(redo()), this, SIGNAL(RedoRequested()));
    connect(menuItem, SIGNAL(getLatestLogClicked()), this, SIGNAL(getLatestChangelogClicked()));
    connect(menuItem, SIGNAL(saveClicked()), this, SIGNAL(saveRequested()));
    connect(menuItem, SIGNAL(shareClicked()), this, SIGNAL(shareRequested()));
    connect(menuItem, SIGNAL(selectAll()), this, SIGNAL(selectAllRequested()));
}

ResponsiveMenuController::~ResponsiveMenuController() = default;

void ResponsiveMenuController::UpdateUndoRedoState(bool canUndo, bool canRedo, bool canSave, bool canShare)
{
    QObject* menu = qmlObject_;
    if (!menu)
        return;
    menu->setProperty("canUndo", canUndo);
    menu->setProperty("canRedo", canRedo);
    menu->setProperty("canSave", canSave);
    menu->setProperty("canShare", canShare);
}

void ResponsiveMenuController::AboutClicked_()
{
    QObject* menu = qmlObject_;
    if (!menu)
        return;
    if (auto* about = menu->property("aboutWindow").value<QObject*>())
        QMetaObject::invokeMethod(about, "open");
}

} // namespace zarn::qt

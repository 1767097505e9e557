#pragma once

#include "QmlController.h"

#include <QString>

class QQmlEngine;

namespace zarn::qt {

// Stands behind the main window's menu (ResponsiveMenu, which it wraps, not owns): relays the
// menu's entries and keys as its own signals, writes the undo, redo, save and share
// availability into the menu and opens the about popup.
//
// GUI thread only; every relay is direct, so a command's receivers run before the key press
// that triggered it returns, in the order they were connected.
class ResponsiveMenuController : public QmlController
{
    Q_OBJECT

public:
    ResponsiveMenuController(bool showAudioManager, QString appName, QObject* menuItem, QQmlEngine* engine,
                             bool oscEnabled);
    ~ResponsiveMenuController() override;

    const QString& GetAppName() const { return appName_; }

signals:
    void midiCommandsClicked();
    void oscManagerClicked();
    void audioManagerClicked();
    // The about entry opens the popup itself (AboutClicked_); this is never emitted.
    void aboutClicked();
    void UndoRequested();
    void RedoRequested();
    void DeleteRequested();
    void PlayPauseRequested();
    void StopRequested();
    void ContinuePlayRequested();
    // Fed only by a native menu bar, which this program does not attach; connected all the same.
    void JumpToBarStartRequested();
    void SeekNextMarkerRequested();
    void SeekPrevMarkerRequested();
    void SeekNextBarRequested();
    void SeekPrevBarRequested();
    void ZoomInRequested();
    void ZoomOutRequested();
    // As JumpToBarStartRequested.
    void ViewPastLogsRequested();
    void getLatestChangelogClicked();
    void shareRequested();
    void saveRequested();
    void selectAllRequested();

public slots:
    void UpdateUndoRedoState(bool canUndo, bool canRedo, bool canSave, bool canShare);
    void AboutClicked_();

private:
    QString appName_;
};

} // namespace zarn::qt

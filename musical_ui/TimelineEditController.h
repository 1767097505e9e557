#pragma once

#include "EditModel.h"
#include "QmlController.h"
#include "zarn_core/ZarnEvent.h"

class QQuickItem;

namespace zarn::qt {

// The back end of TimeLineEditorBar, which it wraps but does not own. It keeps the edit,
// delete, undo, redo, save and share buttons enabled as the edit state allows and passes
// the bar's edit, delete, undo and redo presses on as its own signals. The tool buttons
// and the saving itself are other controllers' business.
// GUI thread only.
class TimelineEditController : public QmlController
{
    Q_OBJECT

public:
    // `editModel` must outlive the controller.
    TimelineEditController(EditModel* editModel, QObject* editBar);
    ~TimelineEditController() override;

    // Each posts the flags it changes on the bus (a pointer to the new bool), then refreshes.
    void MarkChangeLogModified();
    void MarkChangeLogSaved();
    void MarkChangeLogSavedAndUploaded();
    // Without a show manager or change-log editor it leaves the buttons alone and emits
    // nothing.
    void RefreshButtonStates();
    void SetSaveEnabled(bool enabled);
    void UpdateEditDeleteButtons();

signals:
    void EditButtonSignal(cmn::ZarnEvent*);
    void UndoRedoStateUpdated(bool canUndo, bool canRedo, bool canSave, bool canShare);
    void DeleteRequested();
    void UndoRequested();
    void RedoRequested();

public slots:
    void OnEditButton_();
    // Both only disable Save: the main window saves on the same bar signals, and the next
    // RefreshButtonStates (after success or failure) sets Save from the needs-save flag.
    void OnSaveButton_();
    void OnSaveAndUploadButton_();

private:
    QQuickItem* Control(const char* aliasName) const;
    static void SetEnabled(QQuickItem* control, bool enabled);
    static void PostFlag(const char* name, bool value);

    EditModel* editModel_ = nullptr;
    QQuickItem* editButton_ = nullptr;
    QQuickItem* deleteButton_ = nullptr;
    QQuickItem* undoButton_ = nullptr;
    QQuickItem* redoButton_ = nullptr;
    QQuickItem* saveButton_ = nullptr;
    QQuickItem* shareButton_ = nullptr;
};

} // namespace zarn::qt

#include "TimelineEditController.h"

#include "TimelineMetaTypes.h"
#include "zarn_core/CallbackDispatcher.h"
#include "zarn_core/Editor.h"
#include "zarn_core/NotifyNames.h"

#include <QJSValue>
#include <QQuickItem>
#include <QVariant>

namespace zarn::qt {

TimelineEditController::TimelineEditController(EditModel* editModel, QObject* editBar)
    : QmlController(editBar, nullptr), editModel_(editModel)
{
    RegisterTimelineMetaTypes();

    editButton_ = Control("editButtonControl");
    deleteButton_ = Control("deleteButtonControl");
    undoButton_ = Control("undoButtonControl");
    redoButton_ = Control("redoButtonControl");
    saveButton_ = Control("saveControl");
    shareButton_ = Control("shareControl");

    UpdateEditDeleteButtons();

    if (!qmlObject_)
        return;
    connect(qmlObject_, SIGNAL(editButton()), this, SLOT(OnEditButton_()));
    connect(qmlObject_, SIGNAL(deleteButton()), this, SIGNAL(DeleteRequested()));
    connect(qmlObject_, SIGNAL(undoButton()), this, SIGNAL(UndoRequested()));
    connect(qmlObject_, SIGNAL(redoButton()), this, SIGNAL(RedoRequested()));
    connect(qmlObject_, SIGNAL(saveButton()), this, SLOT(OnSaveButton_()));
    connect(qmlObject_, SIGNAL(shareButton()), this, SLOT(OnSaveAndUploadButton_()));
}

TimelineEditController::~TimelineEditController()
{
    notify::callbackDispatcher.RemoveCallbacksForTarget(this);
}

QQuickItem* TimelineEditController::Control(const char* aliasName) const
{
    if (!qmlObject_)
        return nullptr;
    const QVariant value = qmlObject_->property(aliasName);
    if (value.canConvert<QJSValue>()) {
        if (QObject* object = value.value<QJSValue>().toQObject())
            return qobject_cast<QQuickItem*>(object);
    }
    return qobject_cast<QQuickItem*>(value.value<QObject*>());
}

void TimelineEditController::SetEnabled(QQuickItem* control, bool enabled)
{
    if (control)
        control->setProperty("enabled", enabled);
}

void TimelineEditController::PostFlag(const char* name, bool value)
{
    // The listeners run inside Notify, so a local outlives every use of the payload.
    bool payload = value;
    notify::callbackDispatcher.Notify(name, &payload);
}

void TimelineEditController::MarkChangeLogModified()
{
    editModel_->needsSave = true;
    PostFlag(notify::names::editModelChangeLogNeedsSave, true);
    editModel_->needsUpload = true;
    PostFlag(notify::names::editModelChangeLogNeedsUpload, true);
    RefreshButtonStates();
}

void TimelineEditController::MarkChangeLogSaved()
{
    // A local save leaves the log unshared: needs-upload keeps its value.
    editModel_->needsSave = false;
    PostFlag(notify::names::editModelChangeLogNeedsSave, false);
    RefreshButtonStates();
}

void TimelineEditController::MarkChangeLogSavedAndUploaded()
{
    editModel_->needsSave = false;
    PostFlag(notify::names::editModelChangeLogNeedsSave, false);
    editModel_->needsUpload = false;
    PostFlag(notify::names::editModelChangeLogNeedsUpload, false);
    RefreshButtonStates();
}

void TimelineEditController::RefreshButtonStates()
{
    if (!editModel_ || !editModel_->showManager)
        return;
    CL::Editor* editor = editModel_->showManager->GetEditor();
    if (!editor)
        return;

    const bool canRedo = editor->CanRedo();
    const bool canUndo = editor->CanUndo();
    const bool canSave = editModel_->needsSave;
    const bool canShare = editModel_->needsUpload;

    SetEnabled(redoButton_, canRedo);
    SetEnabled(undoButton_, canUndo);
    SetEnabled(saveButton_, canSave);
    SetEnabled(shareButton_, canShare);
    emit UndoRedoStateUpdated(canUndo, canRedo, canSave, canShare);
}

void TimelineEditController::SetSaveEnabled(bool enabled)
{
    SetEnabled(saveButton_, enabled);
}

void TimelineEditController::UpdateEditDeleteButtons()
{
    const bool selected = editModel_ && editModel_->selectedEvent;
    SetEnabled(editButton_, selected);
    SetEnabled(deleteButton_, selected);
}

void TimelineEditController::OnEditButton_()
{
    emit EditButtonSignal(editModel_ ? editModel_->selectedEvent : nullptr);
}

void TimelineEditController::OnSaveButton_()
{
    SetSaveEnabled(false);
}

void TimelineEditController::OnSaveAndUploadButton_()
{
    SetSaveEnabled(false);
}

} // namespace zarn::qt

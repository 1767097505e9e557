// How the run ends: a close of the main window with unsaved edits asks first.

#include "Launcher.h"

#include "MusicalMainController.h"

#include <QQmlApplicationEngine>
#include <QQuickItem>

namespace zarn::qt {

void Launcher::ClosingSaveQuery()
{
    if (!mainController_ || !mainController_->HasUnsavedChanges()) {
        CloseApp();
        return;
    }
    closingRequested_ = true;
    QObject* prompt = ShowSavePrompt(QStringLiteral("Save and Close"), QStringLiteral("Close Without Saving"));
    if (!prompt) {
        // Without a prompt nothing can be asked, and nothing unsaved may be lost.
        closingRequested_ = false;
        return;
    }
    connect(prompt, SIGNAL(accepted()), mainController_.get(), SLOT(onSaveButton()));
    // After the save, successful or not: a failed "Save and Close" leaves the window open,
    // and a later save must not end the run.
    connect(prompt, SIGNAL(accepted()), this, SLOT(NegateClose()));
    connect(prompt, SIGNAL(cancelled()), this, SLOT(CloseApp()));
    // Also the title-bar close and Escape: the prompt answers both as its "Cancel".
    connect(prompt, SIGNAL(negated()), this, SLOT(NegateClose()));
}

void Launcher::CloseAfterSave()
{
    if (closingRequested_)
        CloseApp();
}

void Launcher::NegateClose()
{
    closingRequested_ = false;
}

void Launcher::deleteSavePromptDialog()
{
    if (QObject* window = sender())
        window->deleteLater();
}

QObject* Launcher::ShowSavePrompt(const QString& acceptText, const QString& cancelText)
{
    auto* parentItem = qobject_cast<QQuickItem*>(parent());
    savePrompt_.reset();
    // A prompt answered with "Cancel" was only hidden.
    if (savePromptWindow_)
        savePromptWindow_->deleteLater();
    savePrompt_ = std::make_unique<InputDialogController>(
        "You have unsaved changes.  If you quit now, they will be lost forever.", "Unsaved Changes",
        DialogController::Warning, parentItem, engine_, nullptr, false);
    QObject* window = savePrompt_->GetQmlObject();
    savePromptWindow_ = window;
    if (!window)
        return nullptr;
    window->setProperty("confirmationPreamble", QStringLiteral("Unsaved Changes Detected:"));
    window->setProperty("acceptButtonText", acceptText);
    window->setProperty("cancelButtonText", cancelText);
    window->setProperty("negateButtonText", QStringLiteral("Cancel"));
    window->setProperty("showNegateButton", true);
    window->setProperty("showInputField", false);
    window->setProperty("visible", true);
    connect(window, SIGNAL(accepted()), this, SLOT(deleteSavePromptDialog()));
    connect(window, SIGNAL(cancelled()), this, SLOT(deleteSavePromptDialog()));
    return window;
}

} // namespace zarn::qt

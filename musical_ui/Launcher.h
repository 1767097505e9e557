#pragma once

#include "DialogController.h"
#include "InputDialogController.h"
#include "PlayerFactory.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QQmlApplicationEngine;

namespace cmn {
class ShowStore;
}
namespace zarn::networking {
struct DownloadPlan;
}

namespace zarn::qt {

class MusicalMainController;

// Decides what the operator sees first and how the run ends. It makes sure the data folder
// exists, asks the show's server which files the installed show lacks, fetches them, and
// then opens exactly one main window. The fetch runs before the window opens, without a
// window of its own for now; a failure there is reported on standard error and the show
// opens with what its folder holds.
//
// GUI thread only.
class Launcher : public QObject
{
    Q_OBJECT

public:
    Launcher(QQmlApplicationEngine* engine, std::unique_ptr<zarn::PlayerFactory> profile, QObject* parent);
    ~Launcher() override;

    const zarn::PlayerFactory& GetProfile() const;
    QString GetDataFolder() const;
    MusicalMainController* GetMainController() const { return mainController_.get(); }

public slots:
    // Creates the main window controller (replacing one there is) and shows the notice of
    // updated files on it.
    void LaunchCorvaneMainController();
    void CloseApp();
    // A request to close the main window: the run ends at once without unsaved edits;
    // otherwise the operator chooses between saving first, discarding and staying.
    void ClosingSaveQuery();
    // A save finished: the run ends when it was the prompt's "Save and Close".
    void CloseAfterSave();
    // The close request is over and the main window stays.
    void NegateClose();
    void deleteSavePromptDialog();

private:
    QObject* ShowSavePrompt(const QString& acceptText, const QString& cancelText);
    void FetchMissingFiles(zarn::networking::DownloadPlan& plan, const std::string& credential);
    void ShowErrorDialog(const std::string& message, const std::string& title);

    // Destroyed in the reverse order: the main window controller before the show store and
    // the profile it points to.
    QQmlApplicationEngine* engine_;
    std::unique_ptr<zarn::PlayerFactory> profile_;
    QString dataFolder_;
    std::shared_ptr<cmn::ShowStore> showStore_;
    QString updateNotice_;
    std::unique_ptr<InputDialogController> savePrompt_;
    // The prompt's window, which its controller leaves to its holder.
    QPointer<QObject> savePromptWindow_;
    // From the prompt until "Cancel", or until a "Save and Close" save has been tried.
    bool closingRequested_ = false;
    std::unique_ptr<DialogController> messageDialog_;
    std::unique_ptr<MusicalMainController> mainController_;
};

} // namespace zarn::qt

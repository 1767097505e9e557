#pragma once

#include "DialogController.h"
#include "InputDialogController.h"
#include "PlayerFactory.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <string>

class QQmlApplicationEngine;

namespace cmn {
class ShowStore;
}

namespace zarn::qt {

class MusicalMainController;
class ShowDownloaderController;

// Decides what the operator sees first and how the run ends. It makes sure the data folder
// exists and asks the show's server which files the installed show lacks. With nothing to
// fetch the main window opens at once; otherwise the "Downloading Show" window fetches them
// and the main window opens when it reports its end (done, cancelled, closed or failed and
// acknowledged), with a notice of what was updated or that the download did not finish.
// Exactly one main window opens per run.
//
// Qt's quit-on-last-window-closed is off for the whole run: between the download window and
// the main window no window may be up. The run ends through CloseApp, or when the operator
// closes "Loading Edits Failed", the only window of a show whose edits cannot be read.
//
// GUI thread only.
class Launcher : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* kIncompleteTitle = "Download Incomplete";
    static constexpr const char* kIncompleteText =
        "The show download did not finish. Missing files will be fetched at the next start.";

    // Throws what the data folder, the show store or the main window controller throw on the
    // way to a main window, except the change log's version error, which is shown.
    Launcher(QQmlApplicationEngine* engine, std::unique_ptr<zarn::PlayerFactory> profile, QObject* parent);
    ~Launcher() override;

    const zarn::PlayerFactory& GetProfile() const;
    QString GetDataFolder() const;
    MusicalMainController* GetMainController() const { return mainController_.get(); }
    ShowDownloaderController* GetDownloader() const { return downloader_.get(); }
    DialogController* GetMessageDialog() const { return messageDialog_.get(); }

public slots:
    // Closes the download window and opens the main window with the notice of the download,
    // once per run; later calls do nothing.
    void LaunchCorvaneMainController();
    void onShowDownloadComplete();
    void CancelDownload();
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
    void OpenMainWindow();
    void ShowErrorDialog(const std::string& message, const std::string& title);

    // Destroyed in the reverse order, but the destructor lets the main window controller go
    // first: it points to the profile.
    QQmlApplicationEngine* engine_;
    std::unique_ptr<zarn::PlayerFactory> profile_;
    QString dataFolder_;
    std::shared_ptr<cmn::ShowStore> showStore_;
    std::unique_ptr<ShowDownloaderController> downloader_;
    QString updateNotice_;
    std::unique_ptr<InputDialogController> savePrompt_;
    // The prompt's window, which its controller leaves to its holder.
    QPointer<QObject> savePromptWindow_;
    // From the prompt until "Cancel", or until a "Save and Close" save has been tried.
    bool closingRequested_ = false;
    std::unique_ptr<DialogController> messageDialog_;
    std::unique_ptr<MusicalMainController> mainController_;
    bool launched_ = false;
};

} // namespace zarn::qt

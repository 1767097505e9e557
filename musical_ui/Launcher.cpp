#include "Launcher.h"

#include "FatalError.h"
#include "MusicalMainController.h"
#include "ShowDownloaderController.h"
#include "ShowUpdateCheck.h"
#include "zarn_core/ChangeLogVersionError.h"
#include "zarn_core/MakeDirectoryIfNeeded.h"
#include "zarn_core/ShowStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QStandardPaths>

namespace zarn::qt {

Launcher::Launcher(QQmlApplicationEngine* engine, std::unique_ptr<zarn::PlayerFactory> profile, QObject* parent)
    : QObject(parent), engine_(engine), profile_(std::move(profile))
{
    // Closing the download's error dialog would otherwise end the run before the main
    // window opens.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    dataFolder_ = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QDir::separator() +
                  profile_->folderName;
    zarn::MakeDirectoryIfNeeded(dataFolder_.toStdString());

    showStore_ = std::make_shared<cmn::ShowStore>(dataFolder_.toStdString());
    const cmn::ShowRecord& record = showStore_->CurrentShowRecord();
    auto plan = FetchDownloadPlan(showStore_->ApiBaseUrl(), record.AuthenticationHash(), profile_->productNumber,
                                  showStore_->CurrentShowFolder().string());
    if (plan->empty()) {
        OpenMainWindow();
        return;
    }

    downloader_.reset();
    downloader_ = std::make_unique<ShowDownloaderController>(engine_, nullptr, profile_->productNumber);
    // The worker reports its end from its own thread; here it is deleted, which joins it.
    connect(downloader_.get(), &ShowDownloaderController::DownloadCompleteSignal, this,
            &Launcher::LaunchCorvaneMainController, Qt::QueuedConnection);
    connect(downloader_.get(), &ShowDownloaderController::Closing, this, &Launcher::LaunchCorvaneMainController);
    updateNotice_ = FilesUpdatedText(*plan);
    downloader_->Download(record, std::move(plan));
}

Launcher::~Launcher()
{
    // The main window controller holds a plain pointer to the profile.
    mainController_.reset();
    downloader_.reset();
    // Its controller never deletes the prompt's window.
    delete savePromptWindow_.data();
}

const zarn::PlayerFactory& Launcher::GetProfile() const
{
    return *profile_;
}

QString Launcher::GetDataFolder() const
{
    return dataFolder_;
}

void Launcher::LaunchCorvaneMainController()
{
    // Reached from the download's signals, after the constructor: what would end the run
    // goes to the start-up's error log, not through the event loop.
    FatalError::Guard([this] { OpenMainWindow(); });
}

void Launcher::onShowDownloadComplete()
{
    LaunchCorvaneMainController();
}

void Launcher::CancelDownload()
{
    downloader_.reset();
}

void Launcher::CloseApp()
{
    QCoreApplication::exit(0);
}

void Launcher::OpenMainWindow()
{
    // A completion still queued when the download window closed, or the acknowledgement of
    // an error after it, would otherwise replace the operator's window.
    if (launched_)
        return;
    launched_ = true;

    const bool downloaded = static_cast<bool>(downloader_);
    const bool complete = downloaded && downloader_->FetchedEveryFile();
    // Stops and joins a download that still runs: the show loads from files at rest.
    downloader_.reset();

    try {
        mainController_ = std::make_unique<MusicalMainController>(engine_, profile_.get());
    } catch (const CL::ChangeLogVersionError& e) {
        ShowErrorDialog(std::string("Loading show edits failed with the following error: ") + e.what() +
                            ". \n\nBecause the error is related to log versioning, you may be able to fix this "
                            "issue by downloading the latest version of the application from the ZARN website.",
                        "Loading Edits Failed");
        // The only window of the run: closing it ends the run.
        if (QObject* window = messageDialog_->GetQmlObject())
            connect(window, SIGNAL(closing(QQuickCloseEvent*)), this, SLOT(CloseApp()));
        return;
    }

    connect(mainController_.get(), &MusicalMainController::Closing, this, &Launcher::ClosingSaveQuery);
    connect(mainController_.get(), &MusicalMainController::SaveCompleted, this, &Launcher::CloseAfterSave);

    if (downloaded && !complete)
        mainController_->ShowDialog(kIncompleteText, kIncompleteTitle, DialogController::Warning);
    else if (!updateNotice_.isEmpty())
        mainController_->ShowDialog(updateNotice_.toStdString(), "Files Were Updated", DialogController::Information);
}

void Launcher::ShowErrorDialog(const std::string& message, const std::string& title)
{
    messageDialog_.reset();
    messageDialog_ = std::make_unique<DialogController>(message, title, DialogController::Error, nullptr, engine_);
}

} // namespace zarn::qt

#include "Launcher.h"

#include "MusicalMainController.h"
#include "PerformShowDownload.h"
#include "ShowUpdateCheck.h"
#include "zarn_core/ChangeLogVersionError.h"
#include "zarn_core/MakeDirectoryIfNeeded.h"
#include "zarn_core/ShowStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QQmlApplicationEngine>
#include <QStandardPaths>

#include <atomic>
#include <iostream>

namespace zarn::qt {

Launcher::Launcher(QQmlApplicationEngine* engine, std::unique_ptr<zarn::PlayerFactory> profile, QObject* parent)
    : QObject(parent), engine_(engine), profile_(std::move(profile))
{
    dataFolder_ = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QDir::separator() +
                  profile_->folderName;
    zarn::MakeDirectoryIfNeeded(dataFolder_.toStdString());

    showStore_ = std::make_shared<cmn::ShowStore>(dataFolder_.toStdString());
    const std::string credential = showStore_->CurrentShowRecord().AuthenticationHash();
    auto plan = FetchDownloadPlan(showStore_->ApiBaseUrl(), credential, profile_->productNumber,
                                  showStore_->CurrentShowFolder().string());
    if (!plan->empty()) {
        updateNotice_ = FilesUpdatedText(*plan);
        FetchMissingFiles(*plan, credential);
    }

    try {
        LaunchCorvaneMainController();
    } catch (const CL::ChangeLogVersionError& e) {
        ShowErrorDialog(std::string("Loading show edits failed with the following error: ") + e.what() +
                            ". \n\nBecause the error is related to log versioning, you may be able to fix this "
                            "issue by downloading the latest version of the application from the ZARN website.",
                        "Loading Edits Failed");
    }
}

Launcher::~Launcher()
{
    // The main window controller holds a plain pointer to the profile.
    mainController_.reset();
    // Its controller never deletes the prompt's window.
    delete savePromptWindow_.data();
}

void Launcher::FetchMissingFiles(zarn::networking::DownloadPlan& plan, const std::string& credential)
{
    std::atomic<bool> cancel{false};
    try {
        zarn_download::PerformShowDownload(credential, std::make_shared<zarn::networking::DownloadCallbacks>(), &cancel,
                                           std::string(), profile_->productNumber, &plan);
    } catch (const std::exception& e) {
        // Every file finished before the failure stays; the rest keep their old versions.
        std::cerr << e.what() << std::endl;
    }
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
    mainController_.reset();
    mainController_ = std::make_unique<MusicalMainController>(engine_, profile_.get());
    connect(mainController_.get(), &MusicalMainController::Closing, this, &Launcher::ClosingSaveQuery);
    connect(mainController_.get(), &MusicalMainController::SaveCompleted, this, &Launcher::CloseAfterSave);
    if (!updateNotice_.isEmpty())
        mainController_->ShowDialog(updateNotice_.toStdString(), "Files Were Updated", DialogController::Information);
}

void Launcher::CloseApp()
{
    QCoreApplication::exit(0);
}

void Launcher::ShowErrorDialog(const std::string& message, const std::string& title)
{
    messageDialog_.reset();
    messageDialog_ = std::make_unique<DialogController>(message, title, DialogController::Error, nullptr, engine_);
}

} // namespace zarn::qt

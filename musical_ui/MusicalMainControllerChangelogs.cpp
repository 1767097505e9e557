// The past change logs: the "Event Log Manager" opened from the menu, a local log or a shared
// version loaded from it, and its closing. Each action is synchronous on the GUI thread; a
// failure is shown where the action started and the run goes on.

#include "MusicalMainController.h"

#include "ChangelogManagerController.h"
#include "FatalError.h"
#include "ShowManager.h"

#include <QQmlApplicationEngine>

#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <system_error>

namespace zarn::qt {

namespace {

const char* const kManagerTitle = "Event Log Manager";
const char* const kListingFailed = "The past change logs cannot be listed: ";
const char* const kDownloadTitle = "Download Error";
const char* const kDownloadFailed = "Log failed to download. ";
const char* const kLoadTitle = "Loading Edits Failed";

} // namespace

void MusicalMainController::ShowChangelogManager_()
{
    FatalError::Guard([this] {
        ReleaseChangelogManager();
        try {
            auto* qml = qobject_cast<QQmlApplicationEngine*>(engine_);
            if (!qml || !qmlObject_)
                throw std::runtime_error("the main window is not loaded.");
            auto manager = std::make_shared<ChangelogManagerController>(qml, showStore_, qmlObject_.data());
            changelogManager_ = manager;
            connect(manager.get(), SIGNAL(ChangelogLocalSelected(int)), this, SLOT(ChangelogLocalSelected_(int)));
            connect(manager.get(), SIGNAL(ChangelogServerSelected(int)), this, SLOT(ChangelogServerSelected_(int)));
            connect(manager.get(), SIGNAL(Closing()), this, SLOT(ChangelogManagerClosing_()));
            manager->SetVisible(true);
            manager->Open();
        } catch (const std::exception& e) {
            ReleaseChangelogManager();
            onError(kListingFailed + std::string(e.what()), kManagerTitle);
        }
    });
}

void MusicalMainController::ChangelogLocalSelected_(int index)
{
    FatalError::Guard([this, index] {
        // Held here: a release further down must not end the manager while it is in use.
        const std::shared_ptr<ChangelogManagerController> manager = changelogManager_;
        if (!manager || !showManager_)
            return;
        // The row's own file: two files of one version need not be the same log.
        const std::filesystem::path file = manager->GetLocalList()->FilePath(index).toStdString();
        std::error_code error;
        if (file.empty() || !std::filesystem::is_regular_file(file, error))
            return; // gone since it was listed: the manager stays open
        try {
            showManager_->SetChangelogFilename(file.filename().string());
        } catch (const std::exception& e) {
            onError(e.what(), kLoadTitle);
            return;
        }
        try {
            ReloadCurrentSong();
        } catch (const std::exception& e) {
            onError(e.what(), kLoadTitle);
        }
        ReleaseChangelogManager();
        emit SignalAttaccaUpdate();
    });
}

void MusicalMainController::ChangelogServerSelected_(int index)
{
    FatalError::Guard([this, index] {
        const std::shared_ptr<ChangelogManagerController> manager = changelogManager_;
        if (!manager || !showManager_)
            return;
        const std::string version = manager->GetServerList()->VersionString(index).toStdString();
        if (version.empty())
            return;
        std::string fileName;
        try {
            fileName = manager->DownloadLogVersion(version);
            if (fileName.empty()) {
                std::cerr << "Server file does not exist." << std::endl;
                return;
            }
            showManager_->SetChangelogFilename(fileName);
        } catch (const std::exception& e) {
            // The log loaded before stays, in the engine and on disk, and so does the manager.
            std::string message = kDownloadFailed + std::string(e.what());
            try {
                manager->UndoFetch();
            } catch (const std::exception& undo) {
                message += "\n" + std::string(undo.what());
            }
            onError(message, kDownloadTitle);
            return;
        }
        manager->KeepFetched();
        // The log is loaded: whatever fails from here is shown, and the rest still runs.
        const auto reporting = [this](auto&& step) {
            try {
                step();
            } catch (const std::exception& e) {
                onError(kDownloadFailed + std::string(e.what()), kDownloadTitle);
            }
        };
        reporting([&] { manager->PruneOldLogs(std::filesystem::path(showFolder_) / fileName); });
        reporting([&] { manager->RefreshLocalList(); });
        reporting([&] { ReloadCurrentSong(); });
        ReleaseChangelogManager();
        emit SignalAttaccaUpdate();
    });
}

void MusicalMainController::ChangelogManagerClosing_()
{
    ReleaseChangelogManager();
}

void MusicalMainController::ReleaseChangelogManager()
{
    if (!changelogManager_)
        return;
    std::shared_ptr<ChangelogManagerController> released = std::move(changelogManager_);
    changelogManager_.reset();
    // A replaced manager's closing must not release its successor, and its destructor's
    // closing of the window must reach nobody.
    disconnect(released.get(), nullptr, this, nullptr);
    if (QObject* window = released->GetQmlObject())
        window->setProperty("visible", false);
    // Its signal may be on its way out right now: it goes once the event loop is back.
    QMetaObject::invokeMethod(this, [released]() mutable { released.reset(); }, Qt::QueuedConnection);
}

} // namespace zarn::qt

// Saving the show's edits as a new local version, sharing them as a new server version, and
// fetching the newest shared version. Each flow is synchronous on the GUI thread and reports
// through the window's one message dialog.

#include "MusicalMainController.h"

#include "ChangeLogVersions.h"
#include "EditController.h"
#include "FatalError.h"
#include "Interface.h"
#include "NetworkApiInterface.h"
#include "PlayerFactory.h"
#include "ShowManager.h"
#include "TimelineEditController.h"
#include "UploadChangelog.h"
#include "ZARNDownloader.h"
#include "zarn_core/ChangeLogName.h"
#include "zarn_core/ShowStore.h"

#include <filesystem>
#include <iostream>
#include <stdexcept>

namespace zarn::qt {

namespace {

const char* const kSaveCompleteText = "These changes are only saved locally and are NOT distributed to your cast. "
                                      "We always recommend sharing changes when possible.";
const char* const kShareCompleteText = "Your edits are now available in Halvard and Corvane.";

std::string VersionText(unsigned major, unsigned minor)
{
    return std::to_string(major) + "." + std::to_string(minor);
}

} // namespace

bool MusicalMainController::HasLoadedShow() const
{
    return player_ && showManager_ && showStore_ && editController_;
}

void MusicalMainController::RefreshEditState()
{
    // The edit bar turned Save off when it was pressed; the needs-save flag turns it back on.
    // A share that failed after its save has loaded a new log, which the label must name.
    if (!editController_)
        return;
    try {
        if (editController_->GetEditBarController())
            editController_->GetEditBarController()->RefreshButtonStates();
        editController_->UpdateLogVersionText();
    } catch (const std::exception& e) {
        std::cerr << "The edit panel could not be refreshed: " << e.what() << std::endl;
    }
}

std::optional<cmn::ZARNVersion> MusicalMainController::GetNewestLocalLogVersion() const
{
    return NewestLogVersion(FileNamesIn(showFolder_));
}

QString MusicalMainController::GetNewestLocalLogFileName() const
{
    return QString::fromStdString(NewestLogFileName(FileNamesIn(showFolder_)));
}

void MusicalMainController::onSaveButton()
{
    FatalError::Guard([this] {
        if (!HasLoadedShow())
            return;
        try {
            const cmn::ZARNVersion next = NextSaveVersion(GetNewestLocalLogVersion());
            player_->SaveChangelog(next.major, next.minor);
            if (const std::shared_ptr<Interface> player = showManager_->GetPlayer())
                player->LoadNewChangeLog();
            editController_->MarkChangeLogSaved();
        } catch (const std::exception& e) {
            // The run goes on with the edits unsaved and flagged as such.
            onError(e.what(), "Save Failed");
            RefreshEditState();
            return;
        }
        emit SaveCompleted();
        onInformation(kSaveCompleteText, "Save Complete");
    });
}

void MusicalMainController::onSaveAndUploadButton()
{
    FatalError::Guard([this] {
        if (!HasLoadedShow())
            return;
        try {
            const std::string credential = showStore_->CurrentShowRecord().AuthenticationHash();
            zarn::networking::NetworkApiInterface api(showStore_->ApiBaseUrl());
            api.SetCredential(credential, 0);
            const auto logs = api.GetAvailableLogs();
            if (!logs.data) {
                onError("Failed to get current log on server. Check internet connectivity?", "Server Error on Save");
                RefreshEditState();
                return;
            }
            const cmn::ZARNVersion next = NextShareVersion(*logs.data);
            player_->SaveChangelog(next.major, 0);
            if (const std::shared_ptr<Interface> player = showManager_->GetPlayer())
                player->LoadNewChangeLog();

            // Reading the version needs no pause: sharing must not stop the show.
            const CL::Editor* editor = showManager_->GetEditor();
            if (!editor)
                throw std::runtime_error("The saved log could not be read back.");
            const cmn::ZARNVersion saved = editor->GetVersion();
            const std::string fileName = player_->GetChangelogFilename();
            const bool uploaded = zarn::networking::UploadChangelog(player_->GetAccountData(), fileName, saved.major,
                                                                    saved.minor, credential, showFolder_,
                                                                    profile_->productNumber);
            if (!uploaded) {
                // The new major stays saved and loaded; both flags keep their values.
                onError("The edits failed to upload. Upload returned an error.", "Save and Share Failed");
                RefreshEditState();
                return;
            }
            editController_->MarkChangeLogSavedAndUploaded();
            SetFileModifiedToNow(QString::fromStdString(fileName));
            onInformation(kShareCompleteText, "Share Complete");
        } catch (const std::exception& e) {
            onError(e.what(), "Save and Share Failed");
            RefreshEditState();
        }
    });
}

void MusicalMainController::GetLatestLogClicked_()
{
    FatalError::Guard([this] {
        if (!HasLoadedShow())
            return;
        try {
            zarn::networking::NetworkApiInterface api(showStore_->ApiBaseUrl());
            api.SetCredential(showStore_->CurrentShowRecord().AuthenticationHash(), profile_->productNumber);
            const auto latest = api.GetLatestLog();
            if (!latest.data)
                throw std::runtime_error("Get Latest Log Version Failed. " + latest.message);
            const auto link = api.GetChangelogLinkByVersion(latest.data->major, latest.data->minor);
            if (!link.data)
                throw std::runtime_error("Latest Log Link Request Failed. " + link.message);

            // The server names the file; it must stay inside the show folder.
            CL::ChangeLogName::RequirePlainName(link.data->fileName);
            const std::filesystem::path destination = std::filesystem::path(showFolder_) / link.data->fileName;
            zarn::networking::ZARNDownloader().DownloadForShow(link.data->link, destination.string(),
                                                               link.data->extra, link.data->keyHex, showFolder_);
            onInformation("Log version " + VersionText(latest.data->major, latest.data->minor)
                              + " has been downloaded.",
                          "Download successful");

            // The newest local file, which need not be the one just fetched.
            showManager_->SetChangelogFilename(GetNewestLocalLogFileName().toStdString());
            ReloadCurrentSong();
            editController_->MarkChangeLogSaved();
            editController_->UpdateLogVersionText();
        } catch (const std::exception& e) {
            // Replaces "Download successful" when the failure came after the download.
            onError(std::string("Log failed to download. ") + e.what(), "Download Error");
            RefreshEditState();
        }
    });
}

} // namespace zarn::qt

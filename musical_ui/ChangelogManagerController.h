#pragma once

#include "ChangelogListModel.h"
#include "NetworkRecords.h"
#include "QmlController.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

class QQmlApplicationEngine;

namespace cmn {
class ShowStore;
}

namespace zarn::networking {
class NetworkApiInterface;
}

namespace zarn::qt {

// The "Event Log Manager" (ChangelogManagerWindow.qml): the change logs in the show folder
// beside the versions shared on the show server, for the operator to pick one. The manager
// lists and fetches; what a choice does is its owner's business, told by ChangelogLocalSelected
// and ChangelogServerSelected with the chosen row of GetLocalList() or GetServerList(). The
// owner makes a new manager for every opening and lets it go once a log is loaded or the
// window closes (Closing()); nothing is kept between openings.
//
// GUI thread only. The server requests and the download block it, each for at most
// kServerTimeout, so a silent server costs the window no more than that. Listing, pruning,
// the credential and the download throw what they meet (std::exception); the caller that
// started the action reports it.
class ChangelogManagerController : public QmlController
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kServerTimeout{5000};

    // Builds the window hidden, with `parent` (the main window) as its Qt and transient
    // parent. Throws std::runtime_error when the window cannot be loaded, and what the show
    // store throws for a store without a current show.
    ChangelogManagerController(QQmlApplicationEngine* engine, std::shared_ptr<cmn::ShowStore> showStore,
                               QObject* parent);
    ~ChangelogManagerController() override;

    // Both lists filled afresh, then the window shown.
    void Open();
    // The ".logdata" files directly in the show folder whose names carry a version, by
    // version; equal logs once. Sub-folders and other entries are passed over.
    void LoadLocalLogs();
    // The server's shared versions, by version; a failed request leaves the list empty.
    void LoadServerLogs();
    void RefreshLocalList();
    // Fetches a shared version into the show folder under the name the server gives it and
    // returns that name; "" when the server gives no link, or a name that is not a plain file
    // name of that very version (then nothing is written). Throws for a version text that is
    // not "major.minor" and when the download fails (the folder is then untouched). A local
    // file the fetch replaces is set aside until the caller knows whether the engine takes
    // the fetched one: `KeepFetched` then drops it, `UndoFetch` puts it back (or removes the
    // fetched file when it replaced nothing), so a refused version never costs a local log.
    std::string DownloadLogVersion(std::string versionText);
    void KeepFetched();
    // Throws std::filesystem::filesystem_error when the set-aside file cannot be put back; it
    // then stays beside the folder's logs under a hidden name.
    void UndoFetch();
    // Leaves one file per version text in the show folder: the one written last (full
    // precision; of equal times, the one listed first). `keep`, when given, survives whatever
    // its time, so the log the engine has just loaded is never removed. Files already gone
    // are no error.
    void PruneOldLogs(const std::filesystem::path& keep = {});

    ChangelogListModel* GetLocalList() const { return localList_.get(); }
    ChangelogListModel* GetServerList() const { return serverList_.get(); }

signals:
    void ChangelogLocalSelected(int index);
    void ChangelogServerSelected(int index);
    void Closing();

public slots:
    void LoadSelectedLocal_(int index);
    void LoadSelectedServer_(int index);
    // The shared versions with their dates (the four texts empty); empty when the request
    // fails, which is noted on standard output.
    zarn::networking::ChangelogFullInfoList GetAvailableLogs_();

private:
    void ApplyCredential();

    std::unique_ptr<ChangelogListModel> localList_;
    std::unique_ptr<ChangelogListModel> serverList_;
    std::shared_ptr<cmn::ShowStore> showStore_;
    std::filesystem::path showFolder_;
    std::filesystem::path credentialFile_;
    std::unique_ptr<zarn::networking::NetworkApiInterface> server_;
    // The last fetch not yet kept or undone, and the local file it replaced (empty: none).
    std::filesystem::path fetched_;
    std::filesystem::path setAside_;
};

} // namespace zarn::qt

#include "ChangelogManagerController.h"

#include "NetworkApiInterface.h"
#include "SplitString.h"
#include "ZARNDownloader.h"
#include "zarn_core/ChangeLogName.h"
#include "zarn_core/ShowStore.h"
#include "zarn_core/ZARNVersion.h"
#include "zarn_kit/PathSplit.h"

#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace zarn::qt {

namespace {

const QUrl kWindowUrl(
    QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/ChangelogManagerWindow.qml"));

constexpr std::string_view kLogExtension = ".logdata";

using Api = zarn::networking::NetworkApiInterface;

// A regular file whose path ends in the (lower-case) change-log extension. Folders named like
// a log, and what lies in sub-folders, are no logs of the show.
std::optional<std::string> LogFilePath(const std::filesystem::directory_entry& entry)
{
    std::error_code error;
    if (!entry.is_regular_file(error))
        return std::nullopt;
    std::string path = entry.path().string();
    if (path.size() < kLogExtension.size() || !path.ends_with(kLogExtension))
        return std::nullopt;
    return path;
}

// The server's own name for a fetched version, when it is one the show folder can take: a
// plain name that reads back as the version asked for. Anything else would write outside the
// folder, or be listed and loaded as another version.
bool UsableLinkName(const std::string& fileName, const cmn::ZARNVersion& asked)
{
    try {
        CL::ChangeLogName::RequirePlainName(fileName);
    } catch (const std::invalid_argument&) {
        return false;
    }
    const std::optional<cmn::ZARNVersion> named = CL::ChangeLogName::VersionOf(fileName);
    return named && *named == asked;
}

} // namespace

ChangelogManagerController::ChangelogManagerController(QQmlApplicationEngine* engine,
                                                       std::shared_ptr<cmn::ShowStore> showStore, QObject* parent)
    : QmlController(engine, kWindowUrl, parent, true, {})
    , showStore_(std::move(showStore))
{
    QObject* window = qmlObject_;
    if (!window)
        throw std::runtime_error("The Event Log Manager window could not be loaded from "
                                 + kWindowUrl.toString().toStdString() + ".");
    if (!showStore_)
        throw std::invalid_argument("No show is loaded.");
    showFolder_ = showStore_->CurrentShowFolder();
    credentialFile_ = showStore_->CredentialFilePath();
    server_ = std::make_unique<Api>(showStore_->ApiBaseUrl());
    server_->SetTimeout(kServerTimeout);
    localList_ = std::make_unique<ChangelogListModel>();
    serverList_ = std::make_unique<ChangelogListModel>();
    window->setProperty("localModel", QVariant::fromValue(localList_.get()));
    window->setProperty("serverModel", QVariant::fromValue(serverList_.get()));

    connect(window, SIGNAL(loadSelectedLocal(int)), this, SLOT(LoadSelectedLocal_(int)));
    connect(window, SIGNAL(loadSelectedServer(int)), this, SLOT(LoadSelectedServer_(int)));
    connect(window, SIGNAL(closing(QQuickCloseEvent*)), this, SIGNAL(Closing()));
}

ChangelogManagerController::~ChangelogManagerController()
{
    // The main window may have taken the window down already.
    if (QObject* window = qmlObject_) {
        // The window goes later (deleteLater): its panes must not read lists that are gone.
        window->setProperty("localModel", QVariant());
        window->setProperty("serverModel", QVariant());
        if (auto* quickWindow = qobject_cast<QQuickWindow*>(window))
            quickWindow->close();
    }
    serverList_.reset();
    localList_.reset();
}

void ChangelogManagerController::Open()
{
    LoadLocalLogs();
    LoadServerLogs();
    if (qmlObject_)
        qmlObject_->setProperty("visible", true);
}

void ChangelogManagerController::LoadLocalLogs()
{
    localList_->Clear();
    const std::string credentialFile = credentialFile_.string();
    for (const auto& entry : std::filesystem::directory_iterator(showFolder_)) {
        const std::optional<std::string> path = LogFilePath(entry);
        // A name without a version in 0..255 would be listed as 0.0 and load as something else.
        if (!path || !CL::ChangeLogName::VersionOf(*path))
            continue;
        localList_->Append(CL::ChangeLog(*path, credentialFile));
    }
    localList_->SortByVersion();
}

void ChangelogManagerController::LoadServerLogs()
{
    serverList_->Clear();
    for (const auto& entry : GetAvailableLogs_()) {
        CL::ChangeLog log;
        log.version = cmn::ZARNVersion(entry.major, entry.minor);
        // Before 1970 is no time a log was shared: listed as 0, not wrapped round to 2106.
        log.modified = static_cast<std::uint32_t>(std::max<std::int32_t>(entry.date, 0));
        serverList_->Append(log);
    }
    serverList_->SortByVersion();
}

void ChangelogManagerController::RefreshLocalList()
{
    LoadLocalLogs();
    localList_->NotifyAllRowsChanged();
}

void ChangelogManagerController::ApplyCredential()
{
    const cmn::ShowRecord& record = showStore_->GetShowRecord(showStore_->CurrentShowId());
    // The change-log requests go without the edition's product number.
    server_->SetCredential(record.AuthenticationHash(), 0);
}

zarn::networking::ChangelogFullInfoList ChangelogManagerController::GetAvailableLogs_()
{
    ApplyCredential();
    const Api::RequestResult<zarn::networking::ChangelogInfoList> result = server_->GetAvailableLogs();
    zarn::networking::ChangelogFullInfoList logs;
    if (result.status == Api::API_SUCCESS) {
        if (result.data) {
            for (const auto& entry : *result.data) {
                zarn::networking::ChangelogFullInfo info;
                info.major = entry.major;
                info.minor = entry.minor;
                info.date = entry.date;
                logs.push_back(std::move(info));
            }
        }
        return logs;
    }
    std::cout << "Networking Issue: ";
    if (result.status == Api::API_BAD_REQUEST || result.status == Api::API_UNAUTHORIZED)
        std::cout << Api::StatusName(result.status) << std::endl;
    else
        std::cout.flush();
    return logs;
}

std::string ChangelogManagerController::DownloadLogVersion(std::string versionText)
{
    ApplyCredential();
    cmn::ZARNVersion version;
    version.SetWithString(versionText);
    const auto link =
        server_->GetChangelogLinkByVersion(static_cast<std::uint8_t>(version.major), static_cast<std::uint8_t>(version.minor));
    if (link.status != Api::API_SUCCESS || !link.data || !UsableLinkName(link.data->fileName, version)) {
        std::cout << "Link was not successfully received." << std::endl;
        return {};
    }
    const zarn::networking::ChangelogFullInfo& info = *link.data;
    const std::filesystem::path destination = showStore_->CurrentShowFolder() / info.fileName;
    std::cout << info.link << std::endl;
    KeepFetched();
    // Copied rather than moved, so the show folder holds the version's file throughout; the
    // hidden name is not a log's, so no listing shows it.
    std::filesystem::path setAside;
    std::error_code error;
    if (std::filesystem::is_regular_file(destination, error)) {
        setAside = destination.parent_path() / ("." + info.fileName + ".before-fetch");
        std::filesystem::copy_file(destination, setAside, std::filesystem::copy_options::overwrite_existing);
    }
    zarn::networking::ZARNDownloader downloader;
    downloader.SetTimeout(kServerTimeout);
    try {
        downloader.DownloadForShow(info.link, destination.string(), info.extra, info.keyHex, showFolder_);
    } catch (...) {
        // The download writes in place only once complete, so the local file is still there.
        if (!setAside.empty())
            std::filesystem::remove(setAside, error);
        throw;
    }
    fetched_ = destination;
    setAside_ = setAside;
    return info.fileName;
}

void ChangelogManagerController::KeepFetched()
{
    std::error_code error;
    if (!setAside_.empty())
        std::filesystem::remove(setAside_, error);
    fetched_.clear();
    setAside_.clear();
}

void ChangelogManagerController::UndoFetch()
{
    const std::filesystem::path fetched = std::exchange(fetched_, {});
    const std::filesystem::path setAside = std::exchange(setAside_, {});
    if (fetched.empty())
        return;
    if (setAside.empty()) {
        std::error_code error;
        std::filesystem::remove(fetched, error);
        return;
    }
    std::filesystem::rename(setAside, fetched);
}

void ChangelogManagerController::PruneOldLogs(const std::filesystem::path& keep)
{
    struct Newest
    {
        std::filesystem::path path;
        std::filesystem::file_time_type written;
        bool kept = false;
    };
    const std::filesystem::path folder = showStore_->CurrentShowFolder();
    std::map<std::string, Newest> newest;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::optional<std::string> path = LogFilePath(entry);
        if (!path)
            continue;
        const std::vector<std::string> pieces = SplitString(*path, '-', -1);
        if (pieces.size() < 2)
            continue;
        // The text after the path's last dash up to the extension: the version for a dashed
        // name, and unique to the file when only the folder's path has a dash.
        const std::string key = kit::path::splitext(pieces.back()).first;
        Newest candidate{entry.path(), std::filesystem::last_write_time(entry.path()), false};
        if (!keep.empty()) {
            std::error_code error;
            candidate.kept = std::filesystem::equivalent(entry.path(), keep, error);
        }
        const auto found = newest.find(key);
        if (found == newest.end()) {
            newest.emplace(key, std::move(candidate));
            continue;
        }
        Newest& held = found->second;
        const bool candidateWins = !held.kept && (candidate.kept || candidate.written > held.written);
        if (candidateWins) {
            std::filesystem::remove(held.path);
            held = std::move(candidate);
        } else {
            std::filesystem::remove(candidate.path);
        }
    }
}

void ChangelogManagerController::LoadSelectedLocal_(int index)
{
    std::cout << "LoadSelectedLocal_(), index = " << index << std::endl;
    emit ChangelogLocalSelected(index);
}

void ChangelogManagerController::LoadSelectedServer_(int index)
{
    std::cout << "LoadSelectedServer_(), index = " << index << std::endl;
    emit ChangelogServerSelected(index);
}

} // namespace zarn::qt

#include "ShowUpdateCheck.h"

#include "NetworkApiInterface.h"

#include <iostream>
#include <stdexcept>

namespace zarn::qt {

std::unique_ptr<zarn::networking::DownloadPlan> FetchDownloadPlan(const std::string& apiBaseUrl,
                                                                  const std::string& credential,
                                                                  int productNumber,
                                                                  const std::string& showFolder,
                                                                  std::chrono::milliseconds timeout)
{
    using zarn::networking::NetworkApiInterface;
    NetworkApiInterface api(apiBaseUrl);
    api.SetCredential(credential, productNumber);
    api.SetTimeout(timeout);
    auto files = api.GetAllShowFiles();
    if (files.status != NetworkApiInterface::API_SUCCESS)
        std::cerr << FileListFailureLine(files.message) << std::flush;
    if (!files.data)
        return std::make_unique<zarn::networking::DownloadPlan>();
    try {
        return zarn::networking::ValidateDownloadPlan(zarn::networking::GetDownloadPlan(*files.data), showFolder);
    } catch (const std::invalid_argument& e) {
        // A list naming a file outside the show folder is as unusable as no list: the show
        // opens with what the folder holds.
        std::cerr << FileListFailureLine(e.what()) << std::flush;
        return std::make_unique<zarn::networking::DownloadPlan>();
    }
}

std::string FileListFailureLine(const std::string& message)
{
    return "Getting file list failed: " +
           (message.empty() ? std::string("No error message. Possible network failure.") : message);
}

QString FilesUpdatedText(const zarn::networking::DownloadPlan& plan)
{
    QString version;
    bool log = false;
    bool otherFiles = false;
    for (const auto& entry : plan) {
        if (entry.kind == "LOG") {
            log = true;
            version = QString::number(entry.major) + QLatin1Char('.') + QString::number(entry.minor);
        } else {
            otherFiles = true;
        }
    }
    const QString logText = QStringLiteral("The event log has been updated to version ") + version;
    const QString filesText = QStringLiteral("the show files have been repaired or updated to the latest version.");
    if (log && otherFiles)
        return logText + QStringLiteral(" and ") + filesText;
    if (log)
        return logText + QLatin1Char('.');
    if (otherFiles)
        return QStringLiteral("The show files have been repaired or updated to the latest version.");
    return {};
}

} // namespace zarn::qt

#pragma once

#include <chrono>
#include <string>

namespace zarn::networking {

// Sends a change-log file of the show folder (fileName bare or a path) to the server as
// version major.minor. accountData goes along (base64 on the wire). Sends to the base
// address a NetworkApiInterface of this process last set this credential on. True when the
// server stored it; false otherwise, with the reason on standard error.
bool UploadChangelog(const std::string& accountData, const std::string& fileName, int major, int minor,
                     const std::string& credential, const std::string& showFolder, int productNumber);

// The same with the base address given.
bool UploadChangelogTo(const std::string& apiBaseUrl, const std::string& accountData, const std::string& fileName,
                       int major, int minor, const std::string& credential, const std::string& showFolder,
                       int productNumber, std::string* errorMessage = nullptr,
                       std::chrono::milliseconds timeout = std::chrono::seconds(15));

} // namespace zarn::networking

#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace zarn::networking {

// What a show download reports, in this order: a status text, a status report, the
// progress of one file (bytes received, bytes of that file), the expected total of the
// whole download once at the start, and an error text. All come from the thread that runs
// the download, and only until PerformShowDownload returns. An unset member is skipped.
struct DownloadCallbacks {
    std::function<void(const std::string&)> status;
    std::function<void(const std::string&)> statusReport;
    std::function<void(const std::string& fileName, uint64_t received, uint64_t total)> progress;
    std::function<void(int32_t expectedTotal)> expectedTotal;
    std::function<void(const std::string&)> error;
};

} // namespace zarn::networking

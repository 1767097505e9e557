#pragma once

#include "DownloadCallbacks.h"
#include "DownloadException.h"
#include "DownloadPlan.h"
#include "NetworkRecords.h"

#include <atomic>
#include <memory>
#include <string>

namespace zarn_download {

// Fetches every file of a validated plan (ValidateDownloadPlan set the destinations) from
// the plan's server, on the calling thread. Each file streams to a temporary file beside
// its destination (zarn::AtomicFile), is checked against its size and SHA-256, and only then
// replaces the destination. Reports the expected total once (capped at INT32_MAX), then
// progress per chunk. The cancel flag is polled between chunks: on cancel the temporary
// file is removed and the function returns without reporting an error. Any failure
// (a write included) removes the temporary file, leaves the destination as it was and throws
// DownloadException("Download of <path> failed: <reason>"); files finished before stay.
// The fifth argument is unused and kept for the callers' shape. Returns the show's record.
zarn::networking::ShowRecord PerformShowDownload(const std::string& authHash,
                                                 std::shared_ptr<zarn::networking::DownloadCallbacks> callbacks,
                                                 std::atomic<bool>* cancel, std::string unused, int productNumber,
                                                 zarn::networking::DownloadPlan* plan);

} // namespace zarn_download

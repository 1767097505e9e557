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
// the plan's server, on the calling thread. Each file streams to "<destination>.part", is
// checked against its size and SHA-256, and only then renamed into place. Reports the
// expected total once (capped at INT32_MAX), then progress per chunk. The cancel flag is
// polled between chunks: on cancel the part file is removed and the function returns
// without reporting an error. Any failure removes the part file and throws
// DownloadException("Download of <path> failed: <reason>"); files finished before stay.
// The fifth argument is unused and kept for the callers' shape. Returns the show's record.
zarn::networking::ShowRecord PerformShowDownload(const std::string& authHash,
                                                 std::shared_ptr<zarn::networking::DownloadCallbacks> callbacks,
                                                 std::atomic<bool>* cancel, std::string unused, int productNumber,
                                                 zarn::networking::DownloadPlan* plan);

} // namespace zarn_download

#pragma once

#include "DownloadPlan.h"

#include <QString>

#include <chrono>
#include <memory>
#include <string>

namespace zarn::qt {

// A silent server delays the main window by this much at most.
inline constexpr std::chrono::milliseconds kShowCheckTimeout{5000};

// What the start-up asks the show server before the main window opens.
//
// The files of the installed show that the folder lacks or holds out of date, as a plan to
// fetch. A refused, silent or malformed answer writes "Getting file list failed: " and the
// reason (without a line break) to standard error and is otherwise not an error: the plan
// is built from whatever file list the answer holds, and is empty without one or when the
// list names a file outside the show folder.
std::unique_ptr<zarn::networking::DownloadPlan> FetchDownloadPlan(const std::string& apiBaseUrl,
                                                                  const std::string& credential,
                                                                  int productNumber,
                                                                  const std::string& showFolder,
                                                                  std::chrono::milliseconds timeout = kShowCheckTimeout);

// "Getting file list failed: " and the server's message, or a stand-in when it gave none.
std::string FileListFailureLine(const std::string& message);

// The operator's notice after a fetch of the plan's files: the change log's new version
// (the last "LOG" entry's), the other files, both, or empty for an empty plan.
QString FilesUpdatedText(const zarn::networking::DownloadPlan& plan);

} // namespace zarn::qt

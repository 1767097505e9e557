#pragma once

#include "NetworkRecords.h"

#include <memory>
#include <string>
#include <vector>

namespace zarn::networking {

// One file to fetch. kind is the server's ("LOG" for the change log, with its version);
// destination is the absolute local path, set by ValidateDownloadPlan.
struct DownloadPlanEntry {
    std::string kind;
    int major = 0;
    int minor = 0;
    std::string path;
    uint64_t size = 0;
    std::string sha256;
    std::string source;
    std::string destination;
};

// The files a show download fetches, with where they come from and the show they belong to.
struct DownloadPlan {
    std::vector<DownloadPlanEntry> entries;
    std::string baseUrl;
    std::string showFolder; // set by ValidateDownloadPlan
    ShowRecord record;

    bool empty() const { return entries.empty(); }
    std::size_t size() const { return entries.size(); }
    auto begin() { return entries.begin(); }
    auto end() { return entries.end(); }
    auto begin() const { return entries.begin(); }
    auto end() const { return entries.end(); }
};

// Every file of the list, in the server's order.
std::unique_ptr<DownloadPlan> GetDownloadPlan(const ShowFileList& files);

// Keeps the entries the show folder lacks: a file that is missing or differs in size or
// SHA-256, and a "LOG" whose version has no local change-log file. Fills in absolute
// destinations inside showFolder. Throws std::invalid_argument, before looking at any
// file, when an entry's path would leave the show folder.
std::unique_ptr<DownloadPlan> ValidateDownloadPlan(std::unique_ptr<DownloadPlan> plan, const std::string& showFolder);

} // namespace zarn::networking

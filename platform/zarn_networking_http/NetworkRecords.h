#pragma once

#include "zarn_core/ShowRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zarn::networking {

// The installed show's record (the core library's); the file list carries it and
// PerformShowDownload hands it back once the show's files are in place.
using ShowRecord = cmn::ShowRecord;

// One file of the show on the server. kind is "SHOW", "AUDIO", "SCORE", "ART" or "LOG";
// path is relative to the show folder; major and minor are set for "LOG" only. source is
// where the bytes are fetched, relative to the server's base address.
struct ShowFileEntry {
    std::string kind;
    std::string path;
    uint64_t size = 0;
    std::string sha256;
    int major = 0;
    int minor = 0;
    std::string source;
};

struct ShowFileList {
    ShowRecord record;
    std::vector<ShowFileEntry> files;
    std::string baseUrl; // the address the list came from
};

// A shared change log on the server: its version and date (seconds since 1970, UTC).
struct ChangelogInfo {
    uint8_t major = 0;
    uint8_t minor = 0;
    int32_t date = 0;
};
using ChangelogInfoList = std::vector<ChangelogInfo>;

// Where and how to fetch one shared change log. keyHex is hexadecimal text, empty for a log
// stored plain; extra is the SHA-256 of the bytes at the link; fileName is a bare name.
struct ChangelogFullInfo {
    uint8_t major = 0;
    uint8_t minor = 0;
    int32_t date = 0;
    std::string link;
    std::string keyHex;
    std::string extra;
    std::string fileName;
};
using ChangelogFullInfoList = std::vector<ChangelogFullInfo>;

} // namespace zarn::networking

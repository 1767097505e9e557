#pragma once

#include "ChangeLogData.h"
#include "ChangeLogRepairs.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace CL {

// Reads and writes change-log files (JSON, UTF-8):
//   {"format":"1.0","version":{"major":3,"minor":2},"modified":1666893600,
//    "networks":[{"id","name","ip","port","tcp"}],
//    "outputPaths":[{"id","name","deviceId","deviceName"}],
//    "songs":{"1":{"attacca":0,"events":[{"code","id","start","end",
//                                          "text"|"int"|"float"|"osc"|"sfx"}]}}}
// A newer format minor reads as read-only; a newer format major throws
// ChangeLogVersionError; anything malformed throws ChangeLogFormatError naming the place.
// Unknown members and event kinds are kept and written back.
class ChangeLogFile
{
public:
    static constexpr int kFormatMajor = 1;
    static constexpr int kFormatMinor = 0;
    static constexpr std::uintmax_t kMaxFileBytes = 64u * 1024u * 1024u;
    static constexpr int kMaxNesting = 64;

    // The click values allowed for a range of a song, for the load-time repair. Empty
    // function: the fixed set 1, 2, 3, 4, 6, 8, 12, 16, 24, 32.
    using ClickValuesFn =
        std::function<std::vector<int>(const std::string& song, std::uint32_t start, std::uint32_t end)>;

    struct LoadResult
    {
        ChangeLogData data;
        bool readOnly = false; // written by a newer format minor
        ChangeLogRepairs repairs;
    };

    static LoadResult Parse(std::string_view json, const ClickValuesFn& clickValues = {});
    // Also throws std::runtime_error when the file cannot be read.
    static LoadResult Load(const std::filesystem::path& file, const ClickValuesFn& clickValues = {});

    // Deterministic: the same data always gives the same bytes.
    static std::string Serialize(const ChangeLogData& data);
    // Atomic (write-then-rename); a failure throws std::runtime_error and leaves any
    // earlier file as it was.
    static void Save(const ChangeLogData& data, const std::filesystem::path& file);

    static std::vector<int> DefaultClickValues();
};

} // namespace CL

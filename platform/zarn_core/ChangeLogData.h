#pragma once

#include "NetworkPath.h"
#include "OutputPath.h"
#include "SongLog.h"
#include "ZARNVersion.h"

#include "zarn_kit/NumericStringCompare.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace CL {

// Everything a change-log file holds, in memory.
struct ChangeLogData
{
    using SongMap = std::map<std::string, SongLog, kit::NumericStringCompare>;

    std::string format = "1.0";            // file format "major.minor" as read
    cmn::ZARNVersion version;               // the log's own version
    std::uint32_t modified = 0;             // seconds since 1970, UTC
    NetworkPathVectorT networks;            // OSC destinations, display order
    std::vector<OutputPath> outputPaths;    // in file order
    // Ids of the show's own output paths that were deleted: the show's definition keeps
    // offering them, the log says they are gone. In file order, each once.
    std::vector<std::string> removedOutputPaths;
    SongMap songs;                          // by song number
    std::string unknownMembersJson;         // top-level members we do not know, as a JSON object
    // Unknown members of network and output-path entries, as JSON object texts, by the
    // entry's id: they follow the entry through edits that keep its id.
    std::map<std::string, std::string> networkUnknownMembersJson;
    std::map<std::string, std::string> outputPathUnknownMembersJson;

    bool operator==(const ChangeLogData&) const = default;
};

} // namespace CL

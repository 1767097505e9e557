#include "OutputPathDevices.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace zarn::player {

std::map<std::string, std::string> OutputPathDevices::Read(const std::string& showFolder, std::string* problem)
{
    std::map<std::string, std::string> devices;
    const std::filesystem::path path = std::filesystem::path(showFolder) / kFileName;
    const auto fail = [&](const std::string& why) {
        if (problem)
            *problem = "The output path devices in " + path.string() + " could not be read (" + why +
                       "); their paths play on the default device.";
        return devices;
    };
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return devices;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail("the file cannot be opened");
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    rapidjson::Document doc;
    doc.Parse(text.c_str(), text.size());
    if (doc.HasParseError())
        return fail(rapidjson::GetParseError_En(doc.GetParseError()));
    if (!doc.IsObject() || !doc.HasMember("outputpaths") || !doc["outputpaths"].IsArray())
        return fail("it holds no \"outputpaths\" list");
    bool skipped = false;
    for (const auto& entry : doc["outputpaths"].GetArray()) {
        if (!entry.IsObject() || !entry.HasMember("id") || !entry["id"].IsString() || !entry.HasMember("hwid") ||
            !entry["hwid"].IsString()) {
            skipped = true;
            continue;
        }
        // A later entry for the same path wins, as the window's own reader has it.
        devices[entry["id"].GetString()] = entry["hwid"].GetString();
    }
    if (skipped)
        fail("an entry without a text \"id\" and \"hwid\" was left out");
    return devices;
}

} // namespace zarn::player

#pragma once

#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace cmn {

// The small one-object JSON files of the data and show folders (shows.json,
// credential.json). Only for this library's own sources: it shows RapidJSON types.
class JsonObjectFile
{
public:
    using Writer = rapidjson::PrettyWriter<rapidjson::StringBuffer>;

    // Reads the file whole into `doc`. Throws std::runtime_error naming the file when it
    // cannot be read, is larger than maxBytes, is not valid UTF-8 JSON or not an object.
    static void Read(const std::filesystem::path& file, std::uintmax_t maxBytes, rapidjson::Document& doc);
    // A member's text; empty when it is absent. Throws std::runtime_error naming the file
    // and the member when it is there but not a text.
    static std::string OptionalString(const rapidjson::Value& object, const char* name,
                                      const std::filesystem::path& file);

    // Writes one object, whose members `members` adds, atomically. Throws std::runtime_error
    // naming the file when it cannot be written; the old file is then untouched.
    static void Write(const std::filesystem::path& file, const std::function<void(Writer&)>& members);
    static void WriteString(Writer& w, const char* key, const std::string& value);
};

} // namespace cmn

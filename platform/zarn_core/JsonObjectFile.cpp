#include "JsonObjectFile.h"

#include "AtomicFile.h"
#include "FileBytes.h"

#include <rapidjson/error/en.h>

#include <stdexcept>

namespace cmn {

void JsonObjectFile::Read(const std::filesystem::path& file, std::uintmax_t maxBytes, rapidjson::Document& doc)
{
    constexpr unsigned kParseFlags = rapidjson::kParseIterativeFlag | rapidjson::kParseValidateEncodingFlag;
    const std::string bytes = zarn::FileBytes::Read(file, maxBytes);
    doc.Parse<kParseFlags>(bytes.data(), bytes.size());
    if (doc.HasParseError())
        throw std::runtime_error("\"" + file.string() + "\" is not valid JSON: "
                                 + rapidjson::GetParseError_En(doc.GetParseError()) + " (at byte "
                                 + std::to_string(doc.GetErrorOffset()) + ")");
    if (!doc.IsObject())
        throw std::runtime_error("\"" + file.string() + "\" does not hold a JSON object");
}

std::string JsonObjectFile::OptionalString(const rapidjson::Value& object, const char* name,
                                           const std::filesystem::path& file)
{
    const auto it = object.FindMember(name);
    if (it == object.MemberEnd())
        return std::string();
    if (!it->value.IsString())
        throw std::runtime_error("\"" + file.string() + "\": \"" + name + "\" is not a text");
    return std::string(it->value.GetString(), it->value.GetStringLength());
}

void JsonObjectFile::Write(const std::filesystem::path& file, const std::function<void(Writer&)>& members)
{
    rapidjson::StringBuffer buffer;
    Writer w(buffer);
    w.SetIndent(' ', 2);
    w.StartObject();
    members(w);
    w.EndObject();
    std::string text(buffer.GetString(), buffer.GetSize());
    text += '\n';
    zarn::AtomicFile::Write(file, text);
}

void JsonObjectFile::WriteString(Writer& w, const char* key, const std::string& value)
{
    w.Key(key);
    w.String(value.data(), static_cast<rapidjson::SizeType>(value.size()));
}

} // namespace cmn

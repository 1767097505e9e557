#include "ShowRootPacker.h"

#include "HexText.h"
#include "ScorePacker.h"
#include "TwoFishCipher.h"
#include "zarn_core/ShowCredential.h"

#include "zarn_core/AtomicFile.h"

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace zarn::tools {
namespace {

namespace fs = std::filesystem;

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::vector<uint8_t> ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error("Cannot read " + file.string());
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Key(rapidjson::PrettyWriter<rapidjson::StringBuffer>& writer, const char* name, const std::string& value)
{
    writer.Key(name);
    writer.String(value.c_str(), static_cast<rapidjson::SizeType>(value.size()));
}

void Build(const ShowRootOptions& options, const fs::path& root)
{
    const fs::path show = root / "show";
    const fs::path logs = root / "changelogs";
    fs::create_directories(show);
    fs::create_directories(logs);

    auto credential = cmn::ShowCredential::TryReadFromFolder(options.showFolder).value_or(cmn::ShowCredential{});
    if (credential.scoreKey.empty() && (!options.pagesFolder.empty() || !options.encipheredLogs.empty())) {
        credential.scoreKey = zarn_sec::RandomBytes(32);
        credential.scoreIv = zarn_sec::RandomBytes(zarn_sec::kTwoFishBlockSize);
    }
    credential.showId = options.showId;
    credential.authHash = options.authHash;
    if (!options.accountData.empty()) {
        credential.accountData = options.accountData;
    }

    std::vector<uint8_t> logKey;
    if (!options.encipheredLogs.empty()) {
        logKey = zarn_sec::RandomBytes(32);
    }
    std::vector<std::string> storedEnciphered;
    for (const auto& item : fs::recursive_directory_iterator(options.showFolder)) {
        if (!item.is_regular_file()) {
            continue;
        }
        const fs::path relative = item.path().lexically_relative(options.showFolder);
        const std::string name = item.path().filename().string();
        if (name == cmn::ShowCredential::kFileName || name.front() == '.' || EndsWith(name, ".score")) {
            continue;
        }
        if (EndsWith(name, ".logdata")) {
            if (relative.has_parent_path()) {
                continue;
            }
            const bool encipher = std::find(options.encipheredLogs.begin(), options.encipheredLogs.end(), name)
                != options.encipheredLogs.end();
            if (encipher) {
                zarn_sec::EncipherToFile((logs / (name + ".enc")).string(), logKey, credential.scoreIv,
                                         ReadAll(item.path()));
                storedEnciphered.push_back(name);
            } else {
                fs::copy_file(item.path(), logs / name);
            }
            continue;
        }
        fs::create_directories((show / relative).parent_path());
        fs::copy_file(item.path(), show / relative);
    }
    for (const std::string& wanted : options.encipheredLogs) {
        if (std::find(storedEnciphered.begin(), storedEnciphered.end(), wanted) == storedEnciphered.end()) {
            throw std::runtime_error("No change log " + wanted + " in " + options.showFolder.string());
        }
    }
    for (const fs::path& extra : options.extraFiles) {
        if (!fs::is_regular_file(extra)) {
            throw std::runtime_error("No file " + extra.string());
        }
        fs::copy_file(extra, show / extra.filename(), fs::copy_options::overwrite_existing);
    }
    if (!options.sfxFolder.empty()) {
        // The sound effects replace any sfx/ the show folder brought along: one source of them.
        const fs::path sfx = show / "sfx";
        fs::remove_all(sfx);
        fs::create_directories(sfx);
        for (const auto& item : fs::recursive_directory_iterator(options.sfxFolder)) {
            const std::string name = item.path().filename().string();
            if (!item.is_regular_file() || name.front() == '.') {
                continue;
            }
            const fs::path relative = item.path().lexically_relative(options.sfxFolder);
            fs::create_directories((sfx / relative).parent_path());
            fs::copy_file(item.path(), sfx / relative);
        }
    }
    if (!options.pagesFolder.empty()) {
        ScorePacker::Pack(options.pagesFolder, show / (options.scoreName + ".score"), credential.scoreKey,
                          credential.scoreIv);
    }
    credential.WriteToFolder(show);

    rapidjson::StringBuffer buffer;
    rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    Key(writer, "authHash", options.authHash);
    writer.Key("record");
    writer.StartObject();
    Key(writer, "id", options.showId);
    Key(writer, "showName", options.showName);
    Key(writer, "customerName", options.customerName);
    writer.EndObject();
    Key(writer, "accountData", credential.accountData);
    if (!logKey.empty()) {
        Key(writer, "logKey", zarn_sec::ToHex(logKey));
    }
    writer.EndObject();
    zarn::AtomicFile::Write(root / "server.json", std::string(buffer.GetString(), buffer.GetSize()) + "\n");
}

} // namespace

void ShowRootPacker::Pack(const ShowRootOptions& options)
{
    std::error_code ec;
    if (!fs::is_directory(options.showFolder, ec)) {
        throw std::runtime_error("No show folder " + options.showFolder.string());
    }
    if (options.authHash.empty() || options.showId.empty()) {
        throw std::runtime_error("A server root needs a credential and a show id");
    }
    if (options.outputRoot.empty()) {
        throw std::runtime_error("No output folder given");
    }
    if (!options.sfxFolder.empty() && !fs::is_directory(options.sfxFolder, ec)) {
        throw std::runtime_error("No sound-effects folder " + options.sfxFolder.string());
    }
    const fs::path target = fs::absolute(options.outputRoot).lexically_normal();
    if (fs::exists(target, ec) && !options.replace) {
        throw std::runtime_error("The output folder " + target.string() + " exists already");
    }
    const fs::path building = target.parent_path() / (target.filename().string() + ".building");
    fs::remove_all(building, ec);
    try {
        Build(options, building);
    } catch (...) {
        fs::remove_all(building, ec);
        throw;
    }
    const fs::path old = target.parent_path() / (target.filename().string() + ".old");
    fs::remove_all(old, ec);
    if (fs::exists(target, ec)) {
        fs::rename(target, old);
    }
    fs::rename(building, target);
    fs::remove_all(old, ec);
}

} // namespace zarn::tools

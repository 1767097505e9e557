#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zarn::tools {

struct ShowRootOptions {
    std::filesystem::path showFolder;   // show.json, audio, art, change logs, optional credential.json
    std::filesystem::path pagesFolder;  // optional: PNG pages, packed as <scoreName>.score
    std::string scoreName = "score";
    std::filesystem::path outputRoot;
    std::string authHash;
    std::string showId;
    std::string showName;
    std::string customerName;
    std::string accountData;
    std::vector<std::filesystem::path> extraFiles; // copied into the show's top folder (album art)
    std::filesystem::path sfxFolder;    // optional: sound effects, copied into the show's sfx/ folder
    std::vector<std::string> encipheredLogs; // change-log names to store enciphered on the server
    bool replace = false;                   // replace an existing output root
};

// Makes a show server root from a show folder: server.json with the credential and the
// show's record, show/ with the show's files, its sound effects under sfx/, its
// credential.json and the packed score,
// changelogs/ with the show's change logs. Built beside the target and renamed into place,
// so a failure leaves no half-made root. Throws std::runtime_error with the reason.
class ShowRootPacker {
public:
    static void Pack(const ShowRootOptions& options);
};

} // namespace zarn::tools

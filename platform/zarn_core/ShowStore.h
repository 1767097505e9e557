#pragma once

#include "ShowCredential.h"
#include "ShowRecord.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace cmn {

// The installed shows, read from <data folder>/shows.json:
//   {"current":"spring_gala","apiBaseUrl":"http://127.0.0.1:PORT/api/v1",
//    "shows":[{"id","folder","showName","customerName","authHash","apiBaseUrl"}]}
// Read once at construction; a show load makes a new store.
class ShowStore
{
public:
    static constexpr const char* kFileName = "shows.json";
    static constexpr const char* kDefaultApiBaseUrl = "http://127.0.0.1:8080/api/v1";

    // Throws std::runtime_error: "No show is installed" when shows.json is missing or
    // lists no show; a message naming the file and the fault when it is malformed, names
    // an unknown current show, or a folder that would leave the data folder.
    explicit ShowStore(std::filesystem::path dataFolder);

    const std::filesystem::path& DataFolder() const { return dataFolder_; }
    const std::vector<ShowRecord>& Shows() const { return shows_; }
    const ShowRecord& CurrentShowRecord() const;
    const std::string& CurrentShowId() const;
    // Throws std::out_of_range naming the id when no show has it.
    const ShowRecord& GetShowRecord(const std::string& id) const;
    std::filesystem::path CurrentShowFolder() const; // data folder / record's folder
    // The current show's server base address: its record's, else the file's, else the default.
    std::string ApiBaseUrl() const;

    std::filesystem::path CredentialFilePath() const; // current show folder / credential.json
    // The current show's credential (ShowCredential reads it). A missing file gives an
    // empty credential; a malformed one throws std::runtime_error naming the file.
    ShowCredential GetCredential() const;
    // Key and IV of the score; both empty for a show without a score key (not an error).
    std::vector<std::uint8_t> GetScoreKey() const;
    std::vector<std::uint8_t> GetScoreIv() const;
    std::string GetAccountData() const;

    // Writes shows.json atomically (for installers, tools and tests).
    static void Write(const std::filesystem::path& dataFolder, const std::string& currentId,
                      const std::vector<ShowRecord>& shows, const std::string& apiBaseUrl = std::string());

private:
    std::filesystem::path dataFolder_;
    std::vector<ShowRecord> shows_;
    std::size_t current_ = 0;
    std::string apiBaseUrl_;
};

} // namespace cmn

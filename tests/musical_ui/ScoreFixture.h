#pragma once

#include <QTemporaryDir>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace cmn {
class ShowStore;
}

// A show installed in a temporary data folder, with a score key and IV of its own in its
// credential, for the score view's tests and benchmarks. It writes ".score" files as the
// packer lays them out: 16 random bytes, then the archive, enciphered with the show's key.
class ScoreShowFolder
{
public:
    struct Entry
    {
        enum Kind { File, Directory, Link };
        std::string name;
        std::vector<std::uint8_t> bytes;
        Kind kind = File;
    };

    ScoreShowFolder();
    ~ScoreShowFolder();

    // A new store on the data folder, as a show load makes one.
    std::shared_ptr<cmn::ShowStore> Store() const;
    std::filesystem::path Folder() const;

    // A tar archive of the entries, gzip-compressed or plain. Only regular files come from the
    // project's packer; directories and links are written here.
    static std::vector<std::uint8_t> Archive(const std::vector<Entry>& entries, bool gzip);
    // The 16 random bytes and `archive`, enciphered with the show's key (or `key`) as
    // Folder()/name. Returns the file's path.
    std::filesystem::path WriteScore(const std::string& name, const std::vector<std::uint8_t>& archive) const;
    std::filesystem::path WriteScoreWithKey(const std::string& name, const std::vector<std::uint8_t>& archive,
                                            const std::vector<std::uint8_t>& key) const;
    // `plain` enciphered as it is, without the 16 bytes before it.
    std::filesystem::path WriteEnciphered(const std::string& name, const std::vector<std::uint8_t>& plain) const;
    // The credential without score key and IV, as for a show that has no score.
    void ForgetScoreKey() const;

    std::vector<std::uint8_t> key;
    std::vector<std::uint8_t> iv;

private:
    QTemporaryDir dir_;
};

// A small PNG of one grey, different for every shade.
std::vector<std::uint8_t> TinyPng(int shade, int width = 8, int height = 12);
// The data URL the view gets for these bytes.
QString PngDataUrl(const std::vector<std::uint8_t>& bytes);

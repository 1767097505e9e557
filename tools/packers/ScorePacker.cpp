#include "ScorePacker.h"

#include "TwoFishCipher.h"
#include "TwoFishCipherStream.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace zarn::tools {
namespace {

struct ArchiveWriteDeleter {
    void operator()(archive* handle) const { archive_write_free(handle); }
};
struct ArchiveReadDeleter {
    void operator()(archive* handle) const { archive_read_free(handle); }
};
struct EntryDeleter {
    void operator()(archive_entry* entry) const { archive_entry_free(entry); }
};

la_ssize_t AppendToVector(archive*, void* clientData, const void* buffer, size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(clientData);
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    out->insert(out->end(), bytes, bytes + length);
    return static_cast<la_ssize_t>(length);
}

std::runtime_error ArchiveError(const std::string& what, archive* handle)
{
    const char* detail = archive_error_string(handle);
    return std::runtime_error(what + (detail ? std::string(": ") + detail : std::string()));
}

} // namespace

std::vector<uint8_t> ScorePacker::MakeArchive(const std::vector<ScorePage>& pages, bool compress)
{
    std::unique_ptr<archive, ArchiveWriteDeleter> handle(archive_write_new());
    std::vector<uint8_t> out;
    if (archive_write_set_format_pax_restricted(handle.get()) != ARCHIVE_OK
        || (compress && archive_write_add_filter_gzip(handle.get()) != ARCHIVE_OK)
        || archive_write_open(handle.get(), &out, nullptr, AppendToVector, nullptr) != ARCHIVE_OK) {
        throw ArchiveError("Cannot start the score archive", handle.get());
    }
    for (const ScorePage& page : pages) {
        std::unique_ptr<archive_entry, EntryDeleter> entry(archive_entry_new());
        archive_entry_set_pathname(entry.get(), page.name.c_str());
        archive_entry_set_size(entry.get(), static_cast<la_int64_t>(page.bytes.size()));
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0644);
        if (archive_write_header(handle.get(), entry.get()) != ARCHIVE_OK
            || archive_write_data(handle.get(), page.bytes.data(), page.bytes.size())
                   != static_cast<la_ssize_t>(page.bytes.size())) {
            throw ArchiveError("Cannot add " + page.name + " to the score archive", handle.get());
        }
    }
    if (archive_write_close(handle.get()) != ARCHIVE_OK) {
        throw ArchiveError("Cannot finish the score archive", handle.get());
    }
    return out;
}

std::vector<ScorePage> ScorePacker::ReadArchive(const std::vector<uint8_t>& bytes)
{
    std::unique_ptr<archive, ArchiveReadDeleter> handle(archive_read_new());
    if (archive_read_support_format_tar(handle.get()) != ARCHIVE_OK
        || archive_read_support_filter_all(handle.get()) != ARCHIVE_OK
        || archive_read_open_memory(handle.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) {
        throw ArchiveError("Cannot open the score archive", handle.get());
    }
    std::vector<ScorePage> pages;
    archive_entry* entry = nullptr;
    int result = ARCHIVE_OK;
    while ((result = archive_read_next_header(handle.get(), &entry)) == ARCHIVE_OK) {
        if (archive_entry_filetype(entry) != AE_IFREG) {
            continue;
        }
        ScorePage page;
        page.name = archive_entry_pathname(entry);
        char block[65536];
        la_ssize_t got = 0;
        while ((got = archive_read_data(handle.get(), block, sizeof block)) > 0) {
            page.bytes.insert(page.bytes.end(), block, block + got);
        }
        if (got < 0) {
            throw ArchiveError("Cannot read " + page.name + " from the score archive", handle.get());
        }
        pages.push_back(std::move(page));
    }
    if (result != ARCHIVE_EOF) {
        throw ArchiveError("The score archive is damaged", handle.get());
    }
    return pages;
}

void ScorePacker::Pack(const std::filesystem::path& pagesFolder, const std::filesystem::path& scoreFile,
                       const std::vector<uint8_t>& key, const std::vector<uint8_t>& iv, bool compress)
{
    std::error_code ec;
    if (!std::filesystem::is_directory(pagesFolder, ec)) {
        throw std::runtime_error("No pages folder " + pagesFolder.string());
    }
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::directory_iterator(pagesFolder)) {
        const std::string name = item.path().filename().string();
        if (item.is_regular_file() && name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0
            && name.front() != '.') {
            files.push_back(item.path());
        }
    }
    if (files.empty()) {
        throw std::runtime_error("No .png pages in " + pagesFolder.string());
    }
    std::sort(files.begin(), files.end());
    std::vector<ScorePage> pages;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            throw std::runtime_error("Cannot read page " + file.string());
        }
        pages.push_back({file.filename().string(),
                         std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())});
    }
    std::vector<uint8_t> plain = zarn_sec::RandomBytes(kPrefixBytes);
    const std::vector<uint8_t> archive = MakeArchive(pages, compress);
    plain.insert(plain.end(), archive.begin(), archive.end());
    zarn_sec::EncipherToFile(scoreFile.string(), key, iv, plain);
}

std::vector<ScorePage> ScorePacker::Unpack(const std::filesystem::path& scoreFile, const std::vector<uint8_t>& key,
                                           const std::vector<uint8_t>& iv)
{
    zarn_sec::TwoFishCipherStream stream(scoreFile.string(), key, iv);
    const std::string content = stream.GetStream().str();
    if (content.size() < kPrefixBytes) {
        throw std::runtime_error("The score file is too short: " + scoreFile.string());
    }
    return ReadArchive(std::vector<uint8_t>(content.begin() + kPrefixBytes, content.end()));
}

} // namespace zarn::tools

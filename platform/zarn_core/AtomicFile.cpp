#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <io.h>
#include <stdio.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zarn {
namespace {

namespace fs = std::filesystem;

// errno as words; read at once, before anything else can change it.
std::string LastError()
{
    const int error = errno;
    return error != 0 ? std::generic_category().message(error) : std::string("unknown error");
}

std::FILE* CreateNew(const fs::path& file)
{
    // "x": never truncate a file that happens to have the name we drew.
#ifdef _WIN32
    return ::_wfopen(file.c_str(), L"wbx");
#else
    return std::fopen(file.c_str(), "wbx");
#endif
}

bool SyncToDisk(std::FILE* file)
{
#ifdef _WIN32
    return ::_commit(::_fileno(file)) == 0;
#else
    return ::fsync(::fileno(file)) == 0;
#endif
}

// The rename is durable only once its folder is on the disk too. By then the new content is
// in place, so a failure here is nothing the caller could act on and is not reported.
void SyncFolder([[maybe_unused]] const fs::path& folder)
{
#ifndef _WIN32
    const int descriptor = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
#endif
}

} // namespace

AtomicFile::AtomicFile(const fs::path& target)
    : name_(target)
    , target_(target)
{
    // A link stays a link: the file it names gets the new content, as with any editor.
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::canonical(target, ec);
        if (!ec)
            target_ = std::move(resolved);
    }

    static thread_local std::mt19937_64 random{std::random_device{}()};
    std::string reason;
    for (int attempt = 0; attempt < 16 && !out_; ++attempt) {
        fs::path candidate = target_;
        candidate += std::string(kTemporaryMarker) + std::to_string(random() & 0xFFFFFFFFu);
        errno = 0;
        out_ = CreateNew(candidate);
        if (out_) {
            temp_ = std::move(candidate);
            break;
        }
        const bool taken = errno == EEXIST;
        reason = LastError();
        if (!taken)
            break;
    }
    if (!out_)
        throw AtomicFileError(name_, reason);
}

AtomicFile::~AtomicFile()
{
    Discard();
}

void AtomicFile::Append(std::string_view bytes)
{
    Append(bytes.data(), bytes.size());
}

void AtomicFile::Append(const void* data, std::size_t size)
{
    if (!out_)
        Fail(committed_ ? "it is already complete" : "it was discarded after a failure");
    if (size == 0)
        return;
    errno = 0;
    if (std::fwrite(data, 1, size, out_) != size)
        Fail(LastError());
}

void AtomicFile::Commit()
{
    if (!out_)
        Fail(committed_ ? "it is already complete" : "it was discarded after a failure");
    // A buffered write fails only here, when the bytes reach the file: each step is checked
    // before the old file is given up.
    errno = 0;
    if (std::fflush(out_) != 0)
        Fail(LastError());
    errno = 0;
    if (!SyncToDisk(out_))
        Fail(LastError());
    errno = 0;
    if (std::fclose(std::exchange(out_, nullptr)) != 0)
        Fail(LastError());

    std::error_code ec;
    const fs::file_status old = fs::status(target_, ec);
    if (!ec && fs::exists(old)) {
        fs::permissions(temp_, old.permissions(), fs::perm_options::replace, ec);
        if (ec)
            Fail(ec.message());
    }
    fs::rename(temp_, target_, ec);
    if (ec)
        Fail(ec.message());
    committed_ = true;
    temp_.clear();
    SyncFolder(target_.parent_path());
}

void AtomicFile::Discard() noexcept
{
    if (out_)
        std::fclose(std::exchange(out_, nullptr));
    if (!temp_.empty()) {
        std::error_code ignored;
        fs::remove(temp_, ignored);
        temp_.clear();
    }
}

void AtomicFile::Fail(const std::string& reason)
{
    Discard();
    throw AtomicFileError(name_, reason);
}

void AtomicFile::Write(const fs::path& file, std::string_view bytes)
{
    AtomicFile out(file);
    out.Append(bytes);
    out.Commit();
}

} // namespace zarn

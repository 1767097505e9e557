#pragma once

#include "AtomicFileError.h"

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace zarn {

// Replaces a file so that readers see the old content or the new, never a part of either,
// and so that a write that fails is never taken for one that worked.
//
// The bytes go to a temporary file beside the target (same folder, so the rename stays on
// one file system; its name holds kTemporaryMarker). Commit() flushes them, forces them to
// the disk, closes the file and only then renames it over the target. A full disk, a
// file-size limit, a missing or read-only folder: any failure of open, write, flush, sync,
// close or rename throws AtomicFileError (a std::runtime_error naming the file and the
// reason), removes the temporary file and leaves the target as it was, byte for byte (or
// absent). After a throw the object is spent: further Append and Commit throw too.
//
// An AtomicFile destroyed without a successful Commit() removes its temporary file, so an
// exception or an early return between the first Append and Commit leaves no trace.
// A target that exists keeps its permission bits; a symbolic link is followed and the file
// it names is replaced. One object is one writer: not for use from two threads at once.
//
//     zarn::AtomicFile file(target);
//     while (...) file.Append(chunk);
//     file.Commit();
class AtomicFile
{
public:
    // Creates the temporary file; throws AtomicFileError when it cannot.
    explicit AtomicFile(const std::filesystem::path& target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void Append(std::string_view bytes);
    void Append(const void* data, std::size_t size);
    void Commit();
    // Drops what was appended and removes the temporary file; the target stays. Does
    // nothing after Commit() or a failure.
    void Discard() noexcept;

    // The file as the caller named it.
    const std::filesystem::path& Target() const { return name_; }

    // The whole content in one call.
    static void Write(const std::filesystem::path& file, std::string_view bytes);

    static constexpr std::string_view kTemporaryMarker = ".tmp-";

private:
    [[noreturn]] void Fail(const std::string& reason);

    std::filesystem::path name_;
    std::filesystem::path target_; // name_ with a symbolic link resolved
    std::filesystem::path temp_;
    std::FILE* out_ = nullptr;
    bool committed_ = false;
};

} // namespace zarn

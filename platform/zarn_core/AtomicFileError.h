#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>

namespace zarn {

// A file that could not be written. what() reads "Could not write "<file>": <reason>"; callers
// that phrase their own message take Reason() alone.
class AtomicFileError : public std::runtime_error
{
public:
    AtomicFileError(const std::filesystem::path& file, std::string reason)
        : std::runtime_error("Could not write \"" + file.string() + "\": " + reason)
        , file_(file)
        , reason_(std::move(reason))
    {
    }

    const std::filesystem::path& File() const noexcept { return file_; }
    const std::string& Reason() const noexcept { return reason_; }

private:
    std::filesystem::path file_;
    std::string reason_;
};

} // namespace zarn

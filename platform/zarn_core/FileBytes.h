#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace zarn {

// Reads small files from outside whole, refusing any larger than the caller allows.
class FileBytes
{
public:
    // Throws std::runtime_error naming the file when it cannot be read or is larger than
    // maxBytes.
    static std::string Read(const std::filesystem::path& file, std::uintmax_t maxBytes);
};

} // namespace zarn

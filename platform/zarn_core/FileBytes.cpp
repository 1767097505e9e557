#include "FileBytes.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

namespace zarn {

std::string FileBytes::Read(const std::filesystem::path& file, std::uintmax_t maxBytes)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec)
        throw std::runtime_error("Could not read \"" + file.string() + "\": " + ec.message());
    if (size > maxBytes)
        throw std::runtime_error("\"" + file.string() + "\" is too large (" + std::to_string(size) + " bytes)");
    std::ifstream in(file, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(size)))
        throw std::runtime_error("Could not read \"" + file.string() + "\"");
    return bytes;
}

} // namespace zarn

#include "MakeDirectoryIfNeeded.h"

#include <filesystem>
#include <system_error>

namespace zarn {

void MakeDirectoryIfNeeded(const std::string& folder)
{
    const std::filesystem::path path(folder);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return;
    std::filesystem::create_directories(path, ec);
    if (ec || !std::filesystem::is_directory(path))
        throw std::filesystem::filesystem_error(
            "Could not create the folder", path,
            ec ? ec : std::make_error_code(std::errc::not_a_directory));
}

} // namespace zarn

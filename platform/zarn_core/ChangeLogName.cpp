#include "ChangeLogName.h"

#include "FileVersion.h"

#include <stdexcept>

namespace CL {

void ChangeLogName::RequirePlainName(const std::string& name)
{
    const bool bad = name.empty() || name == "." || name == ".."
        || name.find_first_of("/\\") != std::string::npos || name.find("..") != std::string::npos
        || name.find('\0') != std::string::npos;
    if (bad)
        throw std::invalid_argument("\"" + name + "\" is not a plain file name");
}

std::string ChangeLogName::Compose(const std::string& stem, unsigned major, unsigned minor)
{
    if (major > 255 || minor > 255)
        throw std::out_of_range("Version " + std::to_string(major) + "." + std::to_string(minor)
                                + " is out of range: each number must be 0 to 255");
    RequirePlainName(stem);
    std::string name = stem + "-" + std::to_string(major) + "." + std::to_string(minor) + kExtension;
    RequirePlainName(name);
    return name;
}

std::optional<cmn::ZARNVersion> ChangeLogName::VersionOf(const std::string& fileName)
{
    const auto slash = fileName.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const std::string extension = kExtension;
    if (name.size() < extension.size()
        || name.compare(name.size() - extension.size(), extension.size(), extension) != 0)
        return std::nullopt;
    const std::string base = name.substr(0, name.size() - extension.size());
    const auto dash = base.find_last_of('-');
    if (dash == std::string::npos)
        return std::nullopt;
    const std::string version = base.substr(dash + 1);
    // Each number is a byte, written in three digits at the most.
    const auto dot = version.find('.');
    if (dot == std::string::npos || dot > 3 || version.size() - dot - 1 > 3)
        return std::nullopt;
    unsigned major = 0;
    unsigned minor = 0;
    try {
        cmn::FileVersion::Parse(version, major, minor);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return cmn::ZARNVersion(static_cast<std::uint16_t>(major), static_cast<std::uint16_t>(minor));
}

} // namespace CL

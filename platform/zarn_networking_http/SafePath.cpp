#include "SafePath.h"

namespace zarn::networking {

bool IsSafeRelativePath(const std::string& path)
{
    if (path.empty() || path.size() > 1024 || path.front() == '/') {
        return false;
    }
    for (unsigned char c : path) {
        if (c < 0x20 || c == 0x7F || c == '\\' || c == ':') {
            return false;
        }
    }
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string segment = path.substr(start, end - start);
        if (segment.empty() || segment == "." || segment == "..") {
            return false;
        }
        start = end + 1;
    }
    return true;
}

bool IsSafeFileName(const std::string& name)
{
    return IsSafeRelativePath(name) && name.find('/') == std::string::npos;
}

bool IsInsideFolder(const std::filesystem::path& folder, const std::filesystem::path& path)
{
    const auto base = std::filesystem::absolute(folder).lexically_normal();
    const auto target = std::filesystem::absolute(path).lexically_normal();
    const auto relative = target.lexically_relative(base);
    if (relative.empty() || relative == ".") {
        return false;
    }
    const auto first = *relative.begin();
    return first != ".." && first != ".";
}

} // namespace zarn::networking

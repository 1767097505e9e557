#include "PathSplit.h"

namespace kit::path {
namespace {

std::string::size_type LastSeparator(const std::string& path)
{
#ifdef _WIN32
    return path.find_last_of("/\\");
#else
    return path.find_last_of('/');
#endif
}

} // namespace

std::pair<std::string, std::string> split(const std::string& path)
{
    const auto sep = LastSeparator(path);
    if (sep == std::string::npos)
        return {std::string(), path};
    std::string head = path.substr(0, sep);
    // Keep a lone root ("/name" splits into "/" and "name"), trim doubled separators.
    const auto headEnd = head.find_last_not_of(
#ifdef _WIN32
        "/\\"
#else
        "/"
#endif
    );
    if (headEnd == std::string::npos)
        head = path.substr(0, sep + 1);
    else
        head.resize(headEnd + 1);
    return {head, path.substr(sep + 1)};
}

std::pair<std::string, std::string> splitext(const std::string& path)
{
    const auto sep = LastSeparator(path);
    const std::string::size_type nameStart = sep == std::string::npos ? 0 : sep + 1;
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart)
        return {path, std::string()};
    // A name made of leading dots and text (".hidden") has no extension.
    auto firstNonDot = path.find_first_not_of('.', nameStart);
    if (firstNonDot == std::string::npos || dot < firstNonDot)
        return {path, std::string()};
    return {path.substr(0, dot), path.substr(dot)};
}

} // namespace kit::path

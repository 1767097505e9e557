#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zarn {
namespace {

std::string Reason(int error)
{
    return std::generic_category().message(error);
}

bool FlushToDisk(std::FILE* file)
{
    if (std::fflush(file) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return ::fsync(::fileno(file)) == 0;
#endif
}

} // namespace

void AtomicFile::Write(const std::filesystem::path& file, std::string_view bytes)
{
    static thread_local std::mt19937_64 random{std::random_device{}()};
    std::filesystem::path temp = file;
    temp += ".tmp-" + std::to_string(random() & 0xFFFFFFFFu);

    std::FILE* out = std::fopen(temp.string().c_str(), "wb");
    if (!out)
        throw std::runtime_error("Could not write \"" + file.string() + "\": " + Reason(errno));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    const int writeError = errno;
    const bool flushed = written && FlushToDisk(out);
    const int flushError = errno;
    const bool closed = std::fclose(out) == 0;
    if (!written || !flushed || !closed) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        throw std::runtime_error("Could not write \"" + file.string()
                                 + "\": " + Reason(!written ? writeError : flushError));
    }
    std::error_code ec;
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        throw std::runtime_error("Could not write \"" + file.string() + "\": " + ec.message());
    }
}

} // namespace zarn

#pragma once

#include <filesystem>
#include <string_view>

namespace zarn {

// Writes files so that readers see the old content or the new, never a part: the bytes
// go to a temporary file beside the target, are flushed to disk, then renamed over it.
class AtomicFile
{
public:
    // Throws std::runtime_error naming the file and the reason; the target is untouched.
    static void Write(const std::filesystem::path& file, std::string_view bytes);
};

} // namespace zarn

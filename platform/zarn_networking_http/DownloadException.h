#pragma once

#include <stdexcept>
#include <string>

namespace zarn_download {

// A show download failed; what() is a sentence for the user, naming the file and the reason.
class DownloadException : public std::runtime_error {
public:
    explicit DownloadException(const std::string& message);
};

} // namespace zarn_download

#include "DownloadException.h"

namespace zarn_download {

DownloadException::DownloadException(const std::string& message)
    : std::runtime_error(message)
{
}

} // namespace zarn_download

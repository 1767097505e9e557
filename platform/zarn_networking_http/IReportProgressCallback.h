#pragma once

#include <cstdint>
#include <string>

namespace zarn::networking {

// Implemented by whoever shows a download's progress.
class IReportProgressCallback {
public:
    virtual ~IReportProgressCallback() = default;
    virtual void ReportStatus(const std::string& text) = 0;
    virtual void ReportProgress(std::string fileName, uint64_t received, uint64_t total) = 0;
};

} // namespace zarn::networking

#pragma once

#include "ZARNVersion.h"

#include <cstdint>
#include <string>

namespace CL {

// A change log as the change-log lists see it: its version and modification time. Built
// from a local file (version from the file name, modification time from the file's
// top-level "modified" member, else its write time), or empty for a server entry that the
// caller fills. The file is read only up to that member, so a long log costs what a short
// one does, and damage after it goes unnoticed here (loading the log reports it). Never
// throws for a bad file: it is listed with what could be read.
class ChangeLog
{
public:
    ChangeLog() = default;
    ChangeLog(const std::string& path, const std::string& credentialFilePath);

    cmn::ZARNVersion version;
    std::uint32_t modified = 0; // seconds since 1970, UTC

    const std::string& Path() const { return path_; }
    const std::string& CredentialFilePath() const { return credentialFilePath_; }
    // False when the file's name, or its content up to the time stamp, could not be read;
    // Problem() says why.
    bool IsReadable() const { return problem_.empty(); }
    const std::string& Problem() const { return problem_; }

private:
    std::string path_;
    std::string credentialFilePath_;
    std::string problem_;
};

// Same log: same version and same modification time.
bool operator==(const ChangeLog& a, const ChangeLog& b);

} // namespace CL

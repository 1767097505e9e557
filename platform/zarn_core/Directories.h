#pragma once

#include <mutex>
#include <string>

// Folders the engine and the program share. The engine sets the show directory when it
// is built; readers on any thread get a copy.
class Directories
{
public:
    std::string GetShowDirectory() const;
    void SetShowDirectory(std::string folder);

private:
    mutable std::mutex mutex_;
    std::string showDirectory_;
};

// The process-wide folders.
extern Directories directories;

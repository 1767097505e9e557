#include "Directories.h"

#include <utility>

Directories directories;

std::string Directories::GetShowDirectory() const
{
    std::lock_guard lock(mutex_);
    return showDirectory_;
}

void Directories::SetShowDirectory(std::string folder)
{
    std::lock_guard lock(mutex_);
    showDirectory_ = std::move(folder);
}

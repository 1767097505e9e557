#pragma once

#include <string>

namespace CL {

// The sound effect a sound-effect event refers to.
class SfxProperties
{
public:
    SfxProperties() = default;
    explicit SfxProperties(std::string name);

    const std::string& name() const { return name_; }
    void name(std::string name) { name_ = std::move(name); }

    bool empty() const { return name_.empty(); }
    bool operator==(const SfxProperties&) const = default;

private:
    std::string name_;
};

} // namespace CL

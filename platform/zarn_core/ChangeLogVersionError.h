#pragma once

#include <stdexcept>
#include <string>

namespace CL {

// A change log this application cannot read (a newer format major).
class ChangeLogVersionError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace CL

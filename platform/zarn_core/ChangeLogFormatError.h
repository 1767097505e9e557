#pragma once

#include <stdexcept>
#include <string>

namespace CL {

// A change-log file that is not a well-formed change log; what() names the place.
class ChangeLogFormatError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace CL

#pragma once

#include <stdexcept>
#include <string>

namespace CL {

// An edit the change-log editor refused; what() says why in words for the user.
class EditorError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace CL

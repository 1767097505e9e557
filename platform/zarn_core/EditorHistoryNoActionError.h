#pragma once

#include <stdexcept>
#include <string>

namespace CL {

// GetEditedCodes with nothing to report: the caller refreshes every kind.
class EditorHistoryNoActionError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace CL

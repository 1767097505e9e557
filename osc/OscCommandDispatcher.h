#pragma once

#include "OscCommandParts.h"
#include "OscMessage.h"
#include "OscProcInterface.h"

#include <memory>

namespace zarn::osc {

// Reads each message's address as a command and calls the handler's operation for it,
// with the command's arguments, defaults and decibel conversions. Owns the handler.
class OscCommandDispatcher
{
public:
    explicit OscCommandDispatcher(std::unique_ptr<OscProcInterface> handler);
    OscCommandDispatcher(const OscCommandDispatcher&) = delete;
    OscCommandDispatcher& operator=(const OscCommandDispatcher&) = delete;
    ~OscCommandDispatcher();

    // Never throws: every failure, the handler's own included, goes to its OnError.
    void Dispatch(const OscMessage& message) noexcept;

    OscProcInterface* handler() const { return handler_.get(); }

private:
    void dispatchOrThrow(const OscMessage& message);
    void dispatchSfx(const OscCommandParts& parts, const OscMessage& message);
    void reportError(const std::string& detail) noexcept;

    std::unique_ptr<OscProcInterface> handler_;
};

} // namespace zarn::osc

#pragma once

#include "OscParam.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace zarn::osc {

// One received or built OSC message: the address bytes exactly as they came and the
// arguments in order.
struct OscMessage
{
    std::string address;
    std::vector<std::unique_ptr<OscParam>> arguments;
};

// Turns a one-line text command ("/addr arg1 "quoted arg" 2.5") into the bytes of one
// OSC message. Integers become int32, other numbers float32, everything else a string.
// An empty command gives an empty array. Never fails.
QByteArray EncodeOscMessage(const QString& command);

// Reads one OSC message from a datagram. `used` receives the bytes taken by the
// address, the type tags and the arguments; anything after them is ignored.
// Throws std::runtime_error for a malformed datagram, a bundle or an argument type
// other than int32, float32 and string.
OscMessage ParseOscMessage(const char* data, std::size_t size, std::size_t& used);

} // namespace zarn::osc

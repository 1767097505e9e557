#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarn_sec {

// Lower-case hexadecimal text of bytes.
std::string ToHex(const std::vector<uint8_t>& bytes);

// Bytes of a hexadecimal text (either case). Throws std::invalid_argument for an odd
// length or a character that is not a hex digit.
std::vector<uint8_t> FromHex(const std::string& text);

} // namespace zarn_sec

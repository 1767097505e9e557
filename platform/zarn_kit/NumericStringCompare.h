#pragma once

#include <string>
#include <string_view>

namespace kit {

// Orders song numbers the way people read them: runs of digits compare by their value
// (2 before 10), other characters by byte, a shorter run of chunks first (5 before 5A,
// 5A before 6). Texts that only differ in leading zeros ("01" and "1") are still told
// apart by a final plain comparison, so the order is total and safe as a map comparator.
struct NumericStringCompare
{
    using is_transparent = void;

    bool operator()(std::string_view left, std::string_view right) const noexcept;

    // Negative, zero or positive, like strcmp, under the same order.
    static int Compare(std::string_view left, std::string_view right) noexcept;
};

} // namespace kit

#include "NumericStringCompare.h"

namespace kit {
namespace {

bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

// Compares two digit runs by value without converting them, so runs of any length work.
int CompareDigitRuns(std::string_view a, std::string_view b) noexcept
{
    auto stripZeros = [](std::string_view s) {
        std::size_t i = 0;
        while (i + 1 < s.size() && s[i] == '0')
            ++i;
        return s.substr(i);
    };
    a = stripZeros(a);
    b = stripZeros(b);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace

int NumericStringCompare::Compare(std::string_view left, std::string_view right) noexcept
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < left.size() && j < right.size()) {
        const bool leftDigit = IsDigit(left[i]);
        const bool rightDigit = IsDigit(right[j]);
        if (leftDigit && rightDigit) {
            std::size_t iEnd = i;
            while (iEnd < left.size() && IsDigit(left[iEnd]))
                ++iEnd;
            std::size_t jEnd = j;
            while (jEnd < right.size() && IsDigit(right[jEnd]))
                ++jEnd;
            const int c = CompareDigitRuns(left.substr(i, iEnd - i), right.substr(j, jEnd - j));
            if (c != 0)
                return c;
            i = iEnd;
            j = jEnd;
            continue;
        }
        if (leftDigit != rightDigit)
            return leftDigit ? -1 : 1; // numbers before letters at the same place
        const auto a = static_cast<unsigned char>(left[i]);
        const auto b = static_cast<unsigned char>(right[j]);
        if (a != b)
            return a < b ? -1 : 1;
        ++i;
        ++j;
    }
    const bool leftDone = i >= left.size();
    const bool rightDone = j >= right.size();
    if (leftDone != rightDone)
        return leftDone ? -1 : 1;
    // Same value chunk by chunk ("01" and "1"): fall back to bytes so distinct texts
    // never compare equivalent.
    const int c = left.compare(right);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool NumericStringCompare::operator()(std::string_view left, std::string_view right) const noexcept
{
    return Compare(left, right) < 0;
}

} // namespace kit

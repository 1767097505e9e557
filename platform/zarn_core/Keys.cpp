#include "Keys.h"

#include <array>

namespace TL {

std::string Keys::keyNameFromSig(int sf, int mi)
{
    // Index sf + 7: from seven flats to seven sharps.
    static constexpr std::array<const char*, 15> majorNames = {
        "Cb", "Gb", "Db", "Ab", "Eb", "Bb", "F", "C", "G", "D", "A", "E", "B", "F#", "C#"};
    static constexpr std::array<const char*, 15> minorNames = {
        "Ab", "Eb", "Bb", "F", "C", "G", "D", "A", "E", "B", "F#", "C#", "G#", "D#", "A#"};
    if (sf < -7 || sf > 7 || (mi != 0 && mi != 1))
        return std::string();
    const auto index = static_cast<std::size_t>(sf + 7);
    return mi == 0 ? std::string(majorNames[index]) : std::string(minorNames[index]) + "m";
}

} // namespace TL

#pragma once

#include <functional>
#include <string>
#include <vector>

namespace CL {

// The limits events must keep, shared by the editor and the file reader.
class EventRules
{
public:
    static constexpr int kMaxVampCount = 500;   // 0 = until released
    static constexpr int kMinRepeatCount = 1;
    static constexpr int kMaxRepeatCount = 500;
    static constexpr int kMaxTransposeHalfSteps = 6;
    static constexpr double kMinTempoScale = 0.5;
    static constexpr double kMaxTempoScale = 2.0;
    static constexpr std::size_t kMaxEventIdLength = 64;

    // Event ids appear in OSC addresses: [A-Za-z0-9._-], at most kMaxEventIdLength. The
    // empty id is valid (such events are matched by content).
    static bool IsValidEventId(const std::string& id);
    // Replaces every other character by '_' and cuts to the maximum length.
    static std::string SanitizeEventId(const std::string& id);
    static bool IsIdCharacter(char c);

    // Whole note / v for every v: 1, 2, 3, 4, 6, 8, 12, 16, 24, 32.
    static std::vector<int> DefaultClickValues();
    // The allowed value nearest to `value` (the smaller one on a tie); `value` itself when
    // `allowed` is empty.
    static int NearestAllowed(int value, const std::vector<int>& allowed);

    // `base` when it is free, else base-2, base-3, ... (the base cut so the result stays
    // within the id length).
    static std::string WithFreeSuffix(const std::string& base, const std::function<bool(const std::string&)>& taken);

    // Which value a kind carries: a marker's text; the count, half steps, click value or
    // third value of the integer kinds; a tempo scale's factor; a cue's OSC message; a
    // sound effect.
    static bool CarriesText(char code);
    static bool CarriesInt(char code);
    static bool CarriesReal(char code);
    static bool CarriesOsc(char code);
    static bool CarriesSfx(char code);

    // The display name for messages ("Skip" for the fermata kind).
    static std::string KindName(char code);
};

} // namespace CL

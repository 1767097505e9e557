#include "EventRules.h"

#include "EditNames.h"
#include "ZarnEventCode.h"

#include <cstdlib>

namespace CL {

bool EventRules::IsIdCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_'
        || c == '-';
}

bool EventRules::IsValidEventId(const std::string& id)
{
    if (id.size() > kMaxEventIdLength)
        return false;
    for (char c : id) {
        if (!IsIdCharacter(c))
            return false;
    }
    return true;
}

std::string EventRules::SanitizeEventId(const std::string& id)
{
    std::string clean = id.substr(0, kMaxEventIdLength);
    for (char& c : clean) {
        if (!IsIdCharacter(c))
            c = '_';
    }
    return clean;
}

std::vector<int> EventRules::DefaultClickValues()
{
    return {1, 2, 3, 4, 6, 8, 12, 16, 24, 32};
}

int EventRules::NearestAllowed(int value, const std::vector<int>& allowed)
{
    if (allowed.empty())
        return value;
    int best = allowed.front();
    long long bestDistance = std::llabs(static_cast<long long>(value) - best);
    for (int candidate : allowed) {
        const long long distance = std::llabs(static_cast<long long>(value) - candidate);
        if (distance < bestDistance || (distance == bestDistance && candidate < best)) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

std::string EventRules::WithFreeSuffix(const std::string& base, const std::function<bool(const std::string&)>& taken)
{
    if (!taken(base) && base.size() <= kMaxEventIdLength)
        return base;
    const std::string stem = base.substr(0, kMaxEventIdLength - 6);
    for (unsigned n = 2;; ++n) {
        std::string candidate = stem + "-" + std::to_string(n);
        if (!taken(candidate))
            return candidate;
    }
}

bool EventRules::CarriesText(char code)
{
    return code == codes::Marker;
}

bool EventRules::CarriesInt(char code)
{
    return code == codes::Caesura || (codes::IsPairedEventCode(code) && code != codes::TempoScale);
}

bool EventRules::CarriesReal(char code)
{
    return code == codes::TempoScale;
}

bool EventRules::CarriesOsc(char code)
{
    return code == codes::Osc;
}

bool EventRules::CarriesSfx(char code)
{
    return code == codes::Sfx || code == codes::AmbientSfx;
}

std::string EventRules::KindName(char code)
{
    const auto it = codes::editNameByZarnEventCode.find(static_cast<unsigned char>(code));
    if (it == codes::editNameByZarnEventCode.end())
        return std::string("event of kind '") + code + "'";
    if (it->second == "Fermata")
        return "Skip";
    return it->second;
}

} // namespace CL

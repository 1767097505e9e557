#pragma once

#include <QMetaType>

#include <string>

namespace zarn::osc {

// Whether the OSC server runs and the UDP port it listens on.
struct OscSettings
{
    OscSettings() = default;
    OscSettings(bool enabled, int listenPort) : oscEnabled(enabled), oscListenPort(listenPort) {}

    bool oscEnabled = true;
    int oscListenPort = 55037;

    friend bool operator==(const OscSettings&, const OscSettings&) = default;
};

// Fills `settings` from the JSON file at `path` when it holds version "1.0"; anything
// else leaves `settings` as it was. A file that cannot be opened gives a Qt warning.
// Never throws.
void ReadOscSettings(OscSettings& settings, const std::string& path);

// Writes `settings` atomically to `path` (creating its folder). Returns false when the
// file could not be written; the old file is then kept and `errorMessage`, when given,
// says why. Never throws.
bool WriteOscSettings(const OscSettings& settings, const std::string& path, std::string* errorMessage = nullptr);

} // namespace zarn::osc

Q_DECLARE_METATYPE(zarn::osc::OscSettings)

#pragma once

#include <filesystem>

// Every window that loads a show starts the OSC server on the stored settings, and tests run
// side by side: without settings of its own each one would fight for the default port and
// meet "Unable to bind" instead of what it checks.

// A UDP port nobody listens on at the time of the call.
int FreeUdpPort();

// Writes osc_settings.zarn in the data folder (made if missing): the server on, on a free
// port, which it returns.
int UseFreeOscPort(const std::filesystem::path& dataFolder);

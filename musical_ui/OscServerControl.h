#pragma once

#include "OscSettings.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class Interface;

namespace zarn {
class ZarnOscCallbacks;
}

namespace zarn::osc {
class OscServer;
}

namespace zarn::qt {

// The OSC server through which show-control systems drive playback, and the settings it
// runs on. Every restart replaces the server together with its command handler, so the
// handler's connections are made once per server and go with it.
//
// GUI thread only: the server's socket and its handler live there.
class OscServerControl
{
public:
    // Connects a new command handler to whoever acts on its requests.
    using WireHandler = std::function<void(ZarnOscCallbacks& handler)>;

    explicit OscServerControl(WireHandler wire);
    ~OscServerControl();
    OscServerControl(const OscServerControl&) = delete;
    OscServerControl& operator=(const OscServerControl&) = delete;

    // Whether the server runs and the port it listens on.
    osc::OscSettings settings;

    // Fills the settings from the file at `path` when there is one; without it they stay.
    void ReadSettings(const std::string& path);

    // Deletes the server and its handler. Never throws.
    void Stop();

    // Deletes the server, then, when the settings enable it, starts a new one on the listen
    // port with a new handler for `engine` and `showName`, and points the engine's OSC
    // processing at that port; when they disable it, turns the engine's OSC processing off.
    // Returns the failure's text when that went wrong (a port another program holds, or one
    // outside 1-65535): there is then no server, and the engine's OSC processing is as it was.
    std::optional<std::string> Restart(const std::shared_ptr<Interface>& engine, const std::string& showName);

    // Null while no server runs.
    osc::OscServer* Server() const { return server_.get(); }

private:
    WireHandler wire_;
    std::unique_ptr<osc::OscServer> server_;
};

} // namespace zarn::qt

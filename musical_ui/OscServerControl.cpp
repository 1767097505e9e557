#include "OscServerControl.h"

#include "Interface.h"
#include "OscServer.h"
#include "ZarnOscCallbacks.h"

#include <QFileInfo>
#include <QString>

#include <cstdint>
#include <exception>
#include <utility>

namespace zarn::qt {

OscServerControl::OscServerControl(WireHandler wire)
    : wire_(std::move(wire))
{
}

OscServerControl::~OscServerControl() = default;

void OscServerControl::ReadSettings(const std::string& path)
{
    // A missing file is a first start, not a failure: the reader would warn about it.
    if (QFileInfo::exists(QString::fromStdString(path)))
        osc::ReadOscSettings(settings, path);
}

void OscServerControl::Stop()
{
    server_.reset();
}

std::optional<std::string> OscServerControl::Restart(const std::shared_ptr<Interface>& engine,
                                                     const std::string& showName)
{
    server_.reset();
    try {
        if (!settings.oscEnabled) {
            if (engine)
                engine->DoOscProcessing(false);
            return std::nullopt;
        }
        auto handler = std::make_unique<ZarnOscCallbacks>(engine, showName);
        if (wire_)
            wire_(*handler);
        // The port goes over as it is: the server refuses one outside 1-65535 rather than
        // listening on whatever a 16-bit cut would make of it.
        server_ = std::make_unique<osc::OscServer>(settings.oscListenPort, std::move(handler));
        if (engine) {
            engine->SetOscControlDefaultPort(static_cast<std::uint16_t>(settings.oscListenPort));
            engine->DoOscProcessing(true);
        }
        return std::nullopt;
    } catch (const std::exception& e) {
        server_.reset();
        return std::string(e.what());
    }
}

} // namespace zarn::qt

#include "OscCommandDispatcher.h"

#include "OscCommandParts.h"

#include <cmath>
#include <iostream>
#include <stdexcept>

namespace zarn::osc {

namespace {

const char* const kDispatchContext = "Unable to process OSC command";

// A NaN or infinite level or time from a datagram would reach the engine's gain and
// fade ramps; such a command is refused instead.
float finiteOrThrow(float value)
{
    if (!std::isfinite(value))
        throw std::runtime_error("OSC argument is not a finite number.");
    return value;
}

double gainFromDecibels(double level)
{
    const double gain = std::pow(10.0, level / 20.0);
    if (!std::isfinite(static_cast<float>(gain)))
        throw std::runtime_error("OSC level is out of range.");
    return gain;
}

bool isNumber(const OscParam& param)
{
    return param.type == kOscTypeInt32 || param.type == kOscTypeFloat32;
}

} // namespace

OscCommandDispatcher::OscCommandDispatcher(std::unique_ptr<OscProcInterface> handler)
    : handler_(std::move(handler))
{
}

OscCommandDispatcher::~OscCommandDispatcher() = default;

void OscCommandDispatcher::Dispatch(const OscMessage& message) noexcept
{
    if (!handler_)
        return;
    try {
        dispatchOrThrow(message);
    } catch (const std::exception& e) {
        reportError(e.what());
    } catch (...) {
        reportError("Unknown error.");
    }
}

void OscCommandDispatcher::reportError(const std::string& detail) noexcept
{
    try {
        handler_->OnError(detail, kDispatchContext);
    } catch (...) {
        // The handler's error report itself failed; the server must go on regardless.
        std::cerr << kDispatchContext << ": " << detail << std::endl;
    }
}

void OscCommandDispatcher::dispatchSfx(const OscCommandParts& parts, const OscMessage& message)
{
    const auto& args = message.arguments;
    if (args.empty()) {
        if (parts.action == "play") {
            handler_->OnSfxPlay(parts.show, parts.id);
        } else if (parts.action == "stop") {
            if (parts.id == "*")
                handler_->OnSfxStopAll(parts.show);
            else
                handler_->OnSfxStop(parts.show, parts.id);
        }
        return;
    }
    if (parts.action != "fadeto")
        return;
    if (args.size() < 2)
        throw std::runtime_error("OSC sound-effect fadeto needs a level in dB and a time in seconds.");
    const float level = std::trunc(finiteOrThrow(args[0]->toFloat32()));
    const double gain = gainFromDecibels(level);
    const float milliseconds = finiteOrThrow(args[1]->toFloat32()) * 1000.0f;
    handler_->OnSfxFadeTo(parts.show, parts.id, gain, finiteOrThrow(milliseconds));
}

void OscCommandDispatcher::dispatchOrThrow(const OscMessage& message)
{
    handler_->OnMessage(message);
    const OscCommandParts parts = ParseCommandAddress(message.address);

    if (parts.isSfx) {
        dispatchSfx(parts, message);
        return;
    }
    if (parts.isEvent) {
        if (parts.action == "advance" || parts.action == "go")
            handler_->OnEventAdvance(parts.show, parts.song, parts.id);
        else
            throw std::runtime_error("Unknown command for OSC event command.");
        return;
    }

    const auto& args = message.arguments;
    const std::string& action = parts.action;
    if (action == "advance" || action == "go") {
        handler_->OnAdvance(parts.show, parts.song);
    } else if (action == "fadeout") {
        float seconds = 0.25f;
        if (!args.empty() && isNumber(*args[0]))
            seconds = finiteOrThrow(args[0]->toFloat32());
        handler_->OnFadeOut(parts.show, parts.song, seconds);
    } else if (action == "fadeto") {
        float gain = 0.5f;
        float seconds = 0.25f;
        if (args.size() == 2) {
            const float level = std::trunc(finiteOrThrow(args[0]->toFloat32()));
            gain = static_cast<float>(gainFromDecibels(level));
            seconds = finiteOrThrow(args[1]->toFloat32());
        }
        handler_->OnFadeTo(parts.show, parts.song, seconds, gain, false);
    } else if (action == "stop") {
        handler_->OnStop(parts.show, parts.song);
        OscCommandParts stopAll;
        stopAll.id = "*";
        stopAll.action = "stop";
        stopAll.isSfx = true;
        dispatchSfx(stopAll, OscMessage{"/zarn/sfx/*/stop", {}});
    } else if (action == "play") {
        handler_->OnPlay(parts.show, parts.song);
    } else if (action == "pause") {
        handler_->OnPause(parts.show, parts.song);
    } else if (action == "volume") {
        double gain = 1.0;
        if (!args.empty() && isNumber(*args[0]))
            gain = gainFromDecibels(finiteOrThrow(args[0]->toFloat32()));
        handler_->OnVolume(static_cast<float>(gain));
    }
}

} // namespace zarn::osc

#include "RtMidiInputBackend.h"

#include <rtmidi/RtMidi.h>

#ifndef _WIN32
#include <alsa/asoundlib.h>
#include <unistd.h>
#endif

namespace zarn::midi {

namespace {

#ifndef _WIN32
// ALSA prints its own complaints to stderr; a machine without MIDI is not an error.
void SilentAlsaErrors(const char*, int, const char*, int, const char*, ...) {}
#endif

void SilentRtMidiErrors(RtMidiError::Type, const std::string&, void*) {}

} // namespace

RtMidiInputBackend::RtMidiInputBackend()
{
#ifndef _WIN32
    snd_lib_error_set_handler(&SilentAlsaErrors);
    if (access("/dev/snd/seq", R_OK | W_OK) != 0)
        return;
    const RtMidi::Api api = RtMidi::LINUX_ALSA; // never JACK: without a server it crashes
#else
    const RtMidi::Api api = RtMidi::WINDOWS_MM;
#endif
    try {
        input_ = std::make_unique<RtMidiIn>(api, "Corvane");
        input_->setErrorCallback(&SilentRtMidiErrors, nullptr);
        input_->ignoreTypes(true, true, true);
    } catch (const RtMidiError&) {
        input_.reset();
    }
}

RtMidiInputBackend::~RtMidiInputBackend()
{
    Close();
}

std::vector<std::string> RtMidiInputBackend::SourceNames()
{
    std::vector<std::string> names;
    if (!input_)
        return names;
    try {
        const unsigned count = input_->getPortCount();
        for (unsigned i = 0; i < count; ++i)
            names.push_back(input_->getPortName(i));
    } catch (const RtMidiError&) {
        names.clear();
    }
    return names;
}

bool RtMidiInputBackend::Open(unsigned index, MessageHandler handler)
{
    if (!input_)
        return false;
    Close();
    try {
        if (index >= input_->getPortCount())
            return false;
        {
            std::lock_guard lock(handlerMutex_);
            handler_ = std::move(handler);
        }
        input_->setCallback(&RtMidiInputBackend::OnMessage, this);
        input_->openPort(index, "Corvane input");
        return input_->isPortOpen();
    } catch (const RtMidiError&) {
        Close();
        return false;
    }
}

void RtMidiInputBackend::Close()
{
    if (!input_)
        return;
    try {
        if (input_->isPortOpen())
            input_->closePort();
        input_->cancelCallback();
    } catch (const RtMidiError&) {
    }
    std::lock_guard lock(handlerMutex_);
    handler_ = nullptr;
}

std::string RtMidiInputBackend::Problem() const
{
    return input_ ? std::string() : std::string(kNoMidiSystem);
}

void RtMidiInputBackend::OnMessage(double, std::vector<unsigned char>* message, void* self)
{
    auto* backend = static_cast<RtMidiInputBackend*>(self);
    if (!message)
        return;
    MessageHandler handler;
    {
        std::lock_guard lock(backend->handlerMutex_);
        handler = backend->handler_;
    }
    if (handler)
        handler(std::vector<uint8_t>(message->begin(), message->end()));
}

} // namespace zarn::midi

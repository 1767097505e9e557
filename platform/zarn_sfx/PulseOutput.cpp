#include "PulseOutput.h"

#include "PulseClient.h"

#include <algorithm>

namespace zarn::audio {

namespace {
constexpr size_t kFrameBytes = sizeof(float) * AudioOutput::kChannels;
} // namespace

PulseOutput::PulseOutput(std::string deviceId, int sampleRate, double targetBufferSeconds)
    : deviceId_(std::move(deviceId))
    , sampleRate_(std::clamp(sampleRate, 8000, 192000))
    , targetBufferSeconds_(std::clamp(targetBufferSeconds, 0.002, 0.5))
    , spare_(static_cast<size_t>(kMaxBlockFrames) * kChannels)
{
}

PulseOutput::~PulseOutput()
{
    Stop();
}

bool PulseOutput::Fail(const std::string& problem)
{
    problem_ = problem;
    TearDown();
    return false;
}

bool PulseOutput::Start()
{
    if (client_ && !Lost())
        return true;
    TearDown();
    problem_.clear();
    notice_.clear();
    stopping_.store(false);
    streamReady_ = false;
    bufferSeconds_ = 0.0;
    ResetLost();
    client_ = std::make_unique<pulse::Client>("Corvane");
    client_->SetFailureHandler([this] {
        if (streamReady_ && !stopping_.load())
            ReportLost("Audio device lost: " + deviceName_);
    });
    std::string reason;
    if (!client_->Connect(reason))
        return Fail("PulseAudio cannot be reached: " + reason);

    pulse::Client::Lock lock(*client_);
    std::optional<pulse::SinkInfo> sink;
    if (!deviceId_.empty()) {
        sink = client_->SinkByName(deviceId_);
        if (!sink)
            notice_ = "Audio device not found: " + deviceId_ + "; playing on the default device";
    }
    if (!sink) {
        if (const auto name = client_->DefaultSinkName())
            sink = client_->SinkByName(*name);
    }
    if (!sink)
        return Fail("There is no audio device to play on");
    sinkName_ = sink->name;
    deviceName_ = sink->description.empty() ? sink->name : sink->description;
    if (!notice_.empty())
        notice_ += " (" + deviceName_ + ")";

    const pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(sampleRate_), static_cast<uint8_t>(kChannels)};
    pa_channel_map map;
    pa_channel_map_init_stereo(&map);
    stream_ = pa_stream_new(client_->Context(), "Corvane", &sampleFormat, &map);
    if (!stream_)
        return Fail("The audio device " + deviceName_ + " cannot open a stream: " + client_->LastError());
    pa_stream_set_state_callback(stream_, &PulseOutput::OnState, this);
    pa_stream_set_write_callback(stream_, &PulseOutput::OnWrite, this);
    pa_stream_set_underflow_callback(stream_, &PulseOutput::OnUnderflow, this);

    pa_buffer_attr attr;
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(static_cast<pa_usec_t>(targetBufferSeconds_ * 1e6), &sampleFormat));
    attr.prebuf = static_cast<uint32_t>(-1);
    attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(-1);
    // A stream that may not move fails when its sink goes, which is how the loss is seen;
    // moving on silently to another sink would play the show where nobody listens.
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE
                                                      | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_INTERPOLATE_TIMING);
    if (pa_stream_connect_playback(stream_, sinkName_.c_str(), &attr, flags, nullptr, nullptr) < 0)
        return Fail("The audio device " + deviceName_ + " cannot play: " + client_->LastError());
    const bool settled = client_->WaitFor([this] { return pa_stream_get_state(stream_) != PA_STREAM_CREATING; });
    if (!settled)
        return Fail("The audio device " + deviceName_ + " does not answer");
    if (pa_stream_get_state(stream_) != PA_STREAM_READY)
        return Fail("The audio device " + deviceName_ + " cannot play: " + client_->LastError());

    streamReady_ = true;
    if (const pa_buffer_attr* granted = pa_stream_get_buffer_attr(stream_))
        bufferSeconds_ = static_cast<double>(pa_bytes_to_usec(granted->tlength, &sampleFormat)) / 1e6;
    // Until the first timing update the buffer alone stands for the latency.
    if (latencySeconds_.load() <= 0.0)
        latencySeconds_.store(bufferSeconds_);
    return true;
}

void PulseOutput::TearDown()
{
    if (!client_)
        return;
    stopping_.store(true);
    if (stream_) {
        pulse::Client::Lock lock(*client_);
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }
    client_->Shutdown();
    client_.reset();
}

void PulseOutput::Stop()
{
    TearDown();
}

void PulseOutput::OnWrite(pa_stream* stream, size_t bytes, void* data)
{
    auto* self = static_cast<PulseOutput*>(data);
    pulse::Client::InLoop inLoop;
    // What is queued ahead of this write, so what the renderer reads in the callback is the
    // delay of the very block it renders.
    pa_usec_t latency = 0;
    int negative = 0;
    double ahead = -1.0;
    if (pa_stream_get_latency(stream, &latency, &negative) == 0)
        ahead = negative ? 0.0 : static_cast<double>(latency) / 1e6;
    while (bytes >= kFrameBytes) {
        size_t size = std::min(bytes, kFrameBytes * kMaxBlockFrames);
        void* buffer = nullptr;
        if (pa_stream_begin_write(stream, &buffer, &size) < 0 || !buffer || size < kFrameBytes) {
            if (buffer)
                pa_stream_cancel_write(stream);
            buffer = self->spare_.data();
            size = std::min(bytes, kFrameBytes * kMaxBlockFrames);
        }
        const int frames = static_cast<int>(std::min(size, kFrameBytes * kMaxBlockFrames) / kFrameBytes);
        if (ahead >= 0.0) {
            self->latencySeconds_.store(ahead, std::memory_order_relaxed);
            ahead += static_cast<double>(frames) / self->sampleRate_;
        }
        self->RenderBlock(static_cast<float*>(buffer), frames);
        if (pa_stream_write(stream, buffer, static_cast<size_t>(frames) * kFrameBytes, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
        bytes -= static_cast<size_t>(frames) * kFrameBytes;
    }
}

void PulseOutput::OnState(pa_stream* stream, void* data)
{
    auto* self = static_cast<PulseOutput*>(data);
    pulse::Client::InLoop inLoop;
    const pa_stream_state_t state = pa_stream_get_state(stream);
    // Only a stream that was playing can be lost; one that never became ready is a Start()
    // failure, reported there.
    if ((state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) && self->streamReady_ && !self->stopping_.load())
        self->ReportLost("Audio device lost: " + self->deviceName_);
    self->client_->Signal();
}

void PulseOutput::OnUnderflow(pa_stream*, void* data)
{
    auto* self = static_cast<PulseOutput*>(data);
    pulse::Client::InLoop inLoop;
    self->underruns_.fetch_add(1, std::memory_order_relaxed);
}

} // namespace zarn::audio

#include "PulseProbe.h"

#include <cmath>
#include <thread>

using zarn::audio::pulse::Client;

namespace {

// Polls with a deadline: for the probe's own waits on what the server does.
bool PollFor(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = PulseProbe::Clock::now() + timeout;
    while (!done()) {
        if (PulseProbe::Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

constexpr size_t kMaxRecordedFloats = 48000 * 2 * 30;

} // namespace

PulseProbe::PulseProbe()
    : client_("Corvane test probe")
{
    connected_ = client_.Connect(problem_);
}

PulseProbe::~PulseProbe()
{
    if (record_) {
        Client::Lock lock(client_);
        pa_stream_set_read_callback(record_, nullptr, nullptr);
        pa_stream_disconnect(record_);
        pa_stream_unref(record_);
        record_ = nullptr;
    }
    client_.Shutdown();
}

uint32_t PulseProbe::LoadNullSink(const std::string& name, const std::string& description, int rate)
{
    struct Query
    {
        const Client* client;
        uint32_t index = PA_INVALID_INDEX;
    } query{&client_};
    const std::string args = "sink_name=" + name + " rate=" + std::to_string(rate)
                             + " sink_properties='device.description=\"" + description + "\"'";
    Client::Lock lock(client_);
    const auto onLoaded = [](pa_context*, uint32_t index, void* data) {
        auto* q = static_cast<Query*>(data);
        Client::InLoop inLoop;
        q->index = index;
        q->client->Signal();
    };
    client_.Await(pa_context_load_module(client_.Context(), "module-null-sink", args.c_str(), onLoaded, &query));
    return query.index;
}

bool PulseProbe::Unload(uint32_t module)
{
    struct Query
    {
        const Client* client;
        bool ok = false;
    } query{&client_};
    const auto onDone = [](pa_context*, int success, void* data) {
        auto* q = static_cast<Query*>(data);
        Client::InLoop inLoop;
        q->ok = success != 0;
        q->client->Signal();
    };
    Client::Lock lock(client_);
    client_.Await(pa_context_unload_module(client_.Context(), module, onDone, &query));
    return query.ok;
}

bool PulseProbe::SetDefaultSink(const std::string& name)
{
    struct Query
    {
        const Client* client;
        bool ok = false;
    } query{&client_};
    const auto onDone = [](pa_context*, int success, void* data) {
        auto* q = static_cast<Query*>(data);
        Client::InLoop inLoop;
        q->ok = success != 0;
        q->client->Signal();
    };
    Client::Lock lock(client_);
    client_.Await(pa_context_set_default_sink(client_.Context(), name.c_str(), onDone, &query));
    return query.ok;
}

int PulseProbe::SinkInputsOn(const std::string& sink)
{
    Client::Lock lock(client_);
    const auto info = client_.SinkByName(sink);
    if (!info)
        return -1;
    struct Query
    {
        const Client* client;
        uint32_t sink;
        int count = 0;
    } query{&client_, info->index};
    const auto onInput = [](pa_context*, const pa_sink_input_info* input, int eol, void* data) {
        auto* q = static_cast<Query*>(data);
        Client::InLoop inLoop;
        if (eol == 0 && input && input->sink == q->sink)
            ++q->count;
        if (eol != 0)
            q->client->Signal();
    };
    if (!client_.Await(pa_context_get_sink_input_info_list(client_.Context(), onInput, &query)))
        return -1;
    return query.count;
}

bool PulseProbe::Record(const std::string& source, int rate)
{
    Client::Lock lock(client_);
    if (record_)
        return false;
    const pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(rate), 2};
    record_ = pa_stream_new(client_.Context(), "Corvane test monitor", &sampleFormat, nullptr);
    if (!record_)
        return false;
    recordRate_ = rate;
    pa_stream_set_read_callback(record_, &PulseProbe::OnRead, this);
    pa_stream_set_state_callback(record_, [](pa_stream*, void* c) {
        const auto* client = static_cast<const Client*>(c);
        Client::InLoop inLoop;
        client->Signal();
    }, &client_);
    pa_buffer_attr attr;
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(5000, &sampleFormat)); // a read every 5 ms
    attr.tlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
    if (pa_stream_connect_record(record_, source.c_str(), &attr, PA_STREAM_ADJUST_LATENCY) < 0)
        return false;
    client_.WaitFor([this] { return pa_stream_get_state(record_) != PA_STREAM_CREATING; });
    return pa_stream_get_state(record_) == PA_STREAM_READY;
}

void PulseProbe::OnRead(pa_stream* stream, size_t, void* data)
{
    auto* self = static_cast<PulseProbe*>(data);
    Client::InLoop inLoop;
    const void* bytes = nullptr;
    size_t size = 0;
    while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &bytes, &size) == 0 && size > 0) {
        const Clock::time_point arrived = Clock::now();
        if (bytes) {
            const auto* samples = static_cast<const float*>(bytes);
            const size_t frames = size / (2 * sizeof(float));
            std::lock_guard lock(self->mutex_);
            if (self->recorded_.size() + frames * 2 <= kMaxRecordedFloats)
                self->recorded_.insert(self->recorded_.end(), samples, samples + frames * 2);
            for (size_t i = 0; i < frames; ++i) {
                const bool loud = std::fabs(samples[2 * i]) > self->threshold_ || std::fabs(samples[2 * i + 1]) > self->threshold_;
                self->quietFrames_ = loud ? 0 : self->quietFrames_ + 1;
                if (loud && self->armed_ && !self->onset_) {
                    // The chunk's last frame has just arrived; this one was played that much earlier.
                    const double before = static_cast<double>(frames - 1 - i) / self->recordRate_;
                    self->onset_ = arrived - std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(before));
                }
            }
        }
        pa_stream_drop(stream);
    }
}

std::vector<float> PulseProbe::Take()
{
    std::lock_guard lock(mutex_);
    std::vector<float> out;
    out.swap(recorded_);
    return out;
}

void PulseProbe::ArmOnset(float threshold)
{
    std::lock_guard lock(mutex_);
    threshold_ = threshold;
    armed_ = true;
    onset_.reset();
}

std::optional<PulseProbe::Clock::time_point> PulseProbe::Onset() const
{
    std::lock_guard lock(mutex_);
    return onset_;
}

int64_t PulseProbe::QuietFramesAtEnd() const
{
    std::lock_guard lock(mutex_);
    return quietFrames_;
}

std::optional<std::chrono::duration<double>> PulseProbe::MeasureOnset(const std::function<void(bool)>& setLoud)
{
    using namespace std::chrono_literals;
    setLoud(false);
    const int64_t quiet = recordRate_ / 20; // 50 ms
    if (!PollFor([&] { return QuietFramesAtEnd() >= quiet; }, 2000ms))
        return std::nullopt;
    ArmOnset(threshold_);
    const Clock::time_point switched = Clock::now();
    setLoud(true);
    if (!PollFor([&] { return Onset().has_value(); }, 2000ms))
        return std::nullopt;
    return *Onset() - switched;
}

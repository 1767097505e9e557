#include "PulseClient.h"

#include <pulse/rtclock.h>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace zarn::audio::pulse {

namespace {

SinkInfo ToSinkInfo(const pa_sink_info& info)
{
    return {info.index, info.name ? info.name : "", info.description ? info.description : "",
            static_cast<int>(info.sample_spec.rate)};
}

struct SinkQuery
{
    const Client* client;
    std::vector<SinkInfo> sinks;
    bool failed = false;
};

void OnSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* data)
{
    auto* query = static_cast<SinkQuery*>(data);
    Client::InLoop inLoop;
    if (eol < 0)
        query->failed = true;
    else if (eol == 0 && info)
        query->sinks.push_back(ToSinkInfo(*info));
    if (eol != 0)
        query->client->Signal();
}

} // namespace

Client::Lock::Lock(const Client& client)
    : client_(client)
{
    pa_threaded_mainloop_lock(client_.loop_);
    client_.Acquired();
}

Client::Lock::~Lock()
{
    client_.Releasing();
    pa_threaded_mainloop_unlock(client_.loop_);
}

#if defined(__SANITIZE_THREAD__)
namespace {
char g_loopToken;
} // namespace

void Client::Acquired()
{
    __tsan_acquire(&g_loopToken);
}

void Client::Releasing()
{
    __tsan_release(&g_loopToken);
}
#else
void Client::Acquired() {}
void Client::Releasing() {}
#endif

Client::Client(std::string applicationName)
    : applicationName_(std::move(applicationName))
    , loop_(pa_threaded_mainloop_new())
{
}

Client::~Client()
{
    Shutdown();
    if (loop_)
        pa_threaded_mainloop_free(loop_);
}

std::string Client::LastError() const
{
    return context_ ? pa_strerror(pa_context_errno(context_)) : "no connection";
}

void Client::Signal() const
{
    pa_threaded_mainloop_signal(loop_, 0);
}

void Client::OnContextState(pa_context* context, void* data)
{
    auto* self = static_cast<Client*>(data);
    InLoop inLoop;
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        self->ready_ = true;
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        if (self->ready_ && self->onFailure_)
            self->onFailure_();
        self->ready_ = false;
        break;
    default:
        break;
    }
    self->Signal();
}

bool Client::Connect(std::string& problem)
{
    if (!loop_) {
        problem = "the PulseAudio main loop cannot be created";
        return false;
    }
    if (context_) {
        problem = "already connected";
        return false;
    }
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), applicationName_.c_str());
    if (!context_) {
        problem = "the PulseAudio context cannot be created";
        return false;
    }
    pa_context_set_state_callback(context_, &Client::OnContextState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        problem = LastError();
        return false;
    }
    if (pa_threaded_mainloop_start(loop_) < 0) {
        problem = "the PulseAudio main loop cannot start";
        return false;
    }
    running_ = true;
    Lock lock(*this);
    const auto settled = [this] {
        const pa_context_state_t state = pa_context_get_state(context_);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    };
    if (!WaitFor(settled)) {
        problem = "the PulseAudio server does not answer";
        return false;
    }
    if (pa_context_get_state(context_) != PA_CONTEXT_READY) {
        problem = LastError();
        return false;
    }
    return true;
}

void Client::Shutdown()
{
    if (!loop_)
        return;
    if (context_) {
        Lock lock(*this);
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    if (running_) {
        pa_threaded_mainloop_stop(loop_);
        running_ = false;
        // The loop thread has ended: whatever its callbacks did happened before this.
        Acquired();
    }
}

bool Client::WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    if (done())
        return true;
    struct Timer
    {
        const Client* client;
        bool fired = false;
    } timer{this};
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
    pa_time_event* event = pa_context_rttime_new(
        context_, pa_rtclock_now() + static_cast<pa_usec_t>(timeout.count()) * PA_USEC_PER_MSEC,
        [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* data) {
            auto* t = static_cast<Timer*>(data);
            InLoop inLoop;
            t->fired = true;
            t->client->Signal();
        },
        &timer);
    if (!event)
        return done();
    while (!done() && !timer.fired) {
        Releasing();
        pa_threaded_mainloop_wait(loop_);
        Acquired();
    }
    api->time_free(event);
    return done();
}

bool Client::Await(pa_operation* op, std::chrono::milliseconds timeout)
{
    if (!op)
        return false;
    const bool finished = WaitFor([op] { return pa_operation_get_state(op) != PA_OPERATION_RUNNING; }, timeout);
    if (!finished)
        pa_operation_cancel(op);
    const bool done = pa_operation_get_state(op) == PA_OPERATION_DONE;
    pa_operation_unref(op);
    return done;
}

std::optional<std::vector<SinkInfo>> Client::Sinks()
{
    SinkQuery query{this, {}};
    if (!Await(pa_context_get_sink_info_list(context_, &OnSinkInfo, &query)) || query.failed)
        return std::nullopt;
    return std::move(query.sinks);
}

std::optional<SinkInfo> Client::SinkByName(const std::string& name)
{
    SinkQuery query{this, {}};
    if (!Await(pa_context_get_sink_info_by_name(context_, name.c_str(), &OnSinkInfo, &query)) || query.failed
        || query.sinks.empty())
        return std::nullopt;
    return query.sinks.front();
}

std::optional<std::string> Client::DefaultSinkName()
{
    struct Query
    {
        const Client* client;
        std::optional<std::string> name;
    } query{this, std::nullopt};
    const auto onInfo = [](pa_context*, const pa_server_info* info, void* data) {
        auto* q = static_cast<Query*>(data);
        InLoop inLoop;
        if (info && info->default_sink_name)
            q->name = info->default_sink_name;
        q->client->Signal();
    };
    if (!Await(pa_context_get_server_info(context_, onInfo, &query)))
        return std::nullopt;
    return query.name;
}

} // namespace zarn::audio::pulse

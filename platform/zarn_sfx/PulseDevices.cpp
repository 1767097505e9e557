#include "PulseDevices.h"

#include "PulseClient.h"

namespace zarn::audio {

namespace {

AudioDevice ToDevice(const pulse::SinkInfo& sink)
{
    return {sink.description.empty() ? sink.name : sink.description, sink.name};
}

AudioDevice ToDevice(const pa_sink_info& info)
{
    const std::string name = info.name ? info.name : "";
    const std::string description = info.description ? info.description : "";
    return {description.empty() ? name : description, name};
}

} // namespace

PulseDevices::PulseDevices(Listener listener)
    : listener_(std::move(listener))
    , client_(std::make_unique<pulse::Client>("Corvane devices"))
{
    std::string reason;
    if (!client_->Connect(reason)) {
        problem_ = "PulseAudio cannot be reached: " + reason;
        client_->Shutdown();
        return;
    }
    connected_ = true;
    if (!listener_)
        return;
    pulse::Client::Lock lock(*client_);
    pa_context_set_subscribe_callback(
        client_->Context(),
        [](pa_context*, pa_subscription_event_type_t type, uint32_t index, void* self) {
            static_cast<PulseDevices*>(self)->OnEvent(type, index);
        },
        this);
    // Subscribed before listing, so a sink that comes in between is not missed; one listed
    // and announced both is reported once.
    const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER);
    const auto onSubscribed = [](pa_context*, int, void* c) {
        const auto* client = static_cast<const pulse::Client*>(c);
        pulse::Client::InLoop inLoop;
        client->Signal();
    };
    if (!client_->Await(pa_context_subscribe(client_->Context(), mask, onSubscribed, client_.get()))) {
        problem_ = "PulseAudio does not report its devices: " + client_->LastError();
        return;
    }
    if (const auto sinks = client_->Sinks())
        for (const pulse::SinkInfo& sink : *sinks)
            known_[sink.index] = ToDevice(sink);
    defaultSink_ = client_->DefaultSinkName().value_or("");
}

PulseDevices::~PulseDevices()
{
    client_->Shutdown();
}

void PulseDevices::Report(Change change, const AudioDevice& device) const
{
    if (listener_)
        listener_(change, device);
}

void PulseDevices::OnEvent(int type, uint32_t index)
{
    pulse::Client::InLoop inLoop;
    const int facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const int kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    pa_context* context = client_->Context();
    if (facility == PA_SUBSCRIPTION_EVENT_SINK && kind == PA_SUBSCRIPTION_EVENT_NEW) {
        auto onInfo = [](pa_context*, const pa_sink_info* info, int eol, void* data) {
            auto* self = static_cast<PulseDevices*>(data);
            pulse::Client::InLoop inLoop;
            if (eol != 0 || !info || self->known_.count(info->index))
                return;
            const AudioDevice device = ToDevice(*info);
            self->known_[info->index] = device;
            self->Report(Change::Added, device);
        };
        if (pa_operation* op = pa_context_get_sink_info_by_index(context, index, onInfo, this))
            pa_operation_unref(op);
    } else if (facility == PA_SUBSCRIPTION_EVENT_SINK && kind == PA_SUBSCRIPTION_EVENT_REMOVE) {
        const auto it = known_.find(index);
        if (it == known_.end())
            return;
        const AudioDevice device = it->second;
        known_.erase(it);
        Report(Change::Removed, device);
    } else if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
        auto onInfo = [](pa_context*, const pa_server_info* info, void* data) {
            auto* self = static_cast<PulseDevices*>(data);
            pulse::Client::InLoop inLoop;
            const std::string name = info && info->default_sink_name ? info->default_sink_name : "";
            if (!info || name == self->defaultSink_)
                return;
            self->defaultSink_ = name;
            AudioDevice device{name, name};
            for (const auto& [i, known] : self->known_)
                if (known.uid == name)
                    device = known;
            self->Report(Change::DefaultChanged, device);
        };
        if (pa_operation* op = pa_context_get_server_info(context, onInfo, this))
            pa_operation_unref(op);
    }
}

std::vector<AudioDevice> PulseDevices::Sinks() const
{
    std::vector<AudioDevice> devices;
    if (!connected_)
        return devices;
    pulse::Client::Lock lock(*client_);
    if (const auto sinks = client_->Sinks())
        for (const pulse::SinkInfo& sink : *sinks)
            devices.push_back(ToDevice(sink));
    return devices;
}

AudioDevice PulseDevices::DefaultSink() const
{
    if (!connected_)
        return {};
    pulse::Client::Lock lock(*client_);
    const auto name = client_->DefaultSinkName();
    if (!name || name->empty())
        return {};
    if (const auto sink = client_->SinkByName(*name))
        return ToDevice(*sink);
    return {*name, *name};
}

} // namespace zarn::audio

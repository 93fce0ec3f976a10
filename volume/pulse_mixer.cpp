#include "volume/pulse_mixer.h"

#include <cstring>

#include "volume/volume_scale.h"

namespace {

constexpr const char* kUnchosen = "@DEFAULT_SINK@";

// The mixer never waits on operations it starts, so it drops its reference at once.
void Forget(pa_operation* operation) {
    if (operation) pa_operation_unref(operation);
}

}  // namespace

std::unique_ptr<PulseMixer> PulseMixer::Open(MessageTarget* notify,
                                             std::chrono::milliseconds time_allowed) {
    auto mixer = std::make_unique<PulseMixer>(Key{}, notify);
    if (!mixer->Connect(time_allowed)) return nullptr;
    return mixer;
}

PulseMixer::~PulseMixer() {
    Close();
}

int32_t PulseMixer::Maximum() const {
    return kVolumeControlMax;
}

bool PulseMixer::Connect(std::chrono::milliseconds time_allowed) {
    // A server that accepts the connection but never answers must not hold up start-up.
    const auto deadline = std::chrono::steady_clock::now() + time_allowed;
    connection_ = std::make_unique<pulse::Connection>("Vyn Player",
                                                      [this](bool ready) { OnConnection(ready); });
    // Never start a server of our own: no server means no mixer.
    if (!connection_->connect(time_allowed)) return false;
    pulse::Connection::Lock lock(*connection_);
    Subscribe();
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    connection_->waitFor([this] { return set_up_ != SetUpState::kWaiting; },
                         std::max(left, std::chrono::milliseconds(1)));
    return set_up_ == SetUpState::kReady;
}

void PulseMixer::FinishSetUp(SetUpState state) {
    if (set_up_ != SetUpState::kWaiting) return;
    set_up_ = state;
    connection_->signal();
}

void PulseMixer::Subscribe() {
    pa_context* context = connection_->context();
    pa_context_set_subscribe_callback(context, &PulseMixer::OnEvent, this);
    Forget(pa_context_subscribe(context,
                                static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                                    PA_SUBSCRIPTION_MASK_SERVER),
                                nullptr, nullptr));
    RequestDefaultSink();
}

void PulseMixer::OnConnection(bool ready) {
    if (ready) {
        // A new server: its default sink, its volume, its events.
        sink_name_.clear();
        Subscribe();
        return;
    }
    // Until the server is back the bar keeps the last volume and clicks do nothing.
    ForgetSink();
    writes_in_flight_ = 0;
    own_write_settled_ = false;
    FinishSetUp(SetUpState::kFailed);
}

void PulseMixer::RequestDefaultSink() {
    Forget(pa_context_get_server_info(connection_->context(), &PulseMixer::OnServerInfo, this));
}

void PulseMixer::OnServerInfo(pa_context* context, const pa_server_info* info, void* self_) {
    auto* self = static_cast<PulseMixer*>(self_);
    // pipewire-pulse names no sink but this placeholder until its session manager has chosen
    // the default one (just after the server starts); it tells us with a server event then.
    if (info && info->default_sink_name && std::strcmp(info->default_sink_name, kUnchosen) == 0) {
        self->ForgetSink();
        return;
    }
    if (!info || !info->default_sink_name || !*info->default_sink_name) {
        // No output at all for now: the bar keeps its value until one appears.
        self->ForgetSink();
        self->FinishSetUp(SetUpState::kFailed);
        return;
    }
    if (self->connected_ && self->sink_name_ == info->default_sink_name) return;
    self->sink_name_ = info->default_sink_name;
    Forget(pa_context_get_sink_info_by_name(context, self->sink_name_.c_str(),
                                            &PulseMixer::OnSinkInfo, self));
}

void PulseMixer::OnEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index,
                         void* self_) {
    auto* self = static_cast<PulseMixer*>(self_);
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
        self->RequestDefaultSink();  // the default output may have moved to another sink
    } else if (facility != PA_SUBSCRIPTION_EVENT_SINK) {
        return;
    } else if (kind == PA_SUBSCRIPTION_EVENT_CHANGE && index == self->sink_index_) {
        Forget(pa_context_get_sink_info_by_index(context, index, &PulseMixer::OnSinkInfo, self));
    } else if (kind == PA_SUBSCRIPTION_EVENT_REMOVE && index == self->sink_index_) {
        // A sink that comes back (a reloaded module, a device plugged in again) comes back
        // under a new index, maybe with the same name: look it up afresh.
        self->ForgetSink();
        self->RequestDefaultSink();
    } else if (kind == PA_SUBSCRIPTION_EVENT_NEW && !self->connected_) {
        self->RequestDefaultSink();
    }
}

void PulseMixer::ForgetSink() {
    connected_ = false;
    sink_index_ = PA_INVALID_INDEX;
    sink_channels_ = 0;
}

void PulseMixer::OnSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* self_) {
    auto* self = static_cast<PulseMixer*>(self_);
    if (eol < 0) {  // the default sink vanished before we asked
        self->FinishSetUp(SetUpState::kFailed);
        return;
    }
    if (!info) return;  // the end-of-list call after the one sink
    // A late answer about a sink that is no longer the default one.
    if (self->sink_name_ != info->name) return;
    const bool reconnected = !self->connected_ && self->set_up_ == SetUpState::kReady;
    self->sink_index_ = info->index;
    self->sink_channels_ = info->volume.channels;
    self->connected_ = true;
    // While our own writes are in flight the server still reports older values; taking
    // them would move the bar back under a user who clicks quickly.
    if (self->writes_in_flight_ > 0) return;
    const uint32_t volume = VolumeFromPulse(pa_cvolume_max(&info->volume));
    const bool changed = volume != self->cached_volume_.exchange(volume);
    if (self->set_up_ == SetUpState::kWaiting) {
        self->FinishSetUp(SetUpState::kReady);
        return;
    }
    if (!changed && !self->own_write_settled_ && !reconnected) return;
    self->own_write_settled_ = false;
    if (self->notify_) self->notify_->post(self->notify_, VYN_MM_MIXM_CONTROL_CHANGE, 0, 0);
}

void PulseMixer::WriteVolume(uint32_t value) {
    if (!connection_) return;
    pulse::Connection::Lock lock(*connection_);
    if (!connection_->ready() || !connected_ || sink_channels_ == 0) return;
    pa_cvolume volume;
    pa_cvolume_set(&volume, sink_channels_, PulseFromVolume(value));  // all channels as one
    pa_operation* operation = pa_context_set_sink_volume_by_index(
        connection_->context(), sink_index_, &volume, &PulseMixer::OnWriteDone, this);
    if (!operation) return;
    pa_operation_unref(operation);
    ++writes_in_flight_;
    cached_volume_ = std::min(value, kVolumeControlMax);
}

void PulseMixer::OnWriteDone(pa_context* context, int success, void* self_) {
    auto* self = static_cast<PulseMixer*>(self_);
    if (self->writes_in_flight_ > 0) --self->writes_in_flight_;
    if (success) {
        self->own_write_settled_ = true;
    } else if (self->writes_in_flight_ == 0 && self->sink_index_ != PA_INVALID_INDEX) {
        // The value cached at the write is not what the server has: read it back.
        Forget(pa_context_get_sink_info_by_index(context, self->sink_index_,
                                                 &PulseMixer::OnSinkInfo, self));
    }
}

void PulseMixer::Close() {
    connection_.reset();  // joins the loop thread: no callback runs after this
    connected_ = false;
}

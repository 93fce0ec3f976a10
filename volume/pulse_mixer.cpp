#include "volume/pulse_mixer.h"

#include <pulse/error.h>
#include <pulse/rtclock.h>
#include <pulse/timeval.h>

#include "volume/volume_scale.h"

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
    loop_.reset(pa_threaded_mainloop_new());
    if (!loop_) return false;
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_.get());
    context_.reset(pa_context_new(api, "Vyn Player"));
    if (!context_) return false;
    pa_context_set_state_callback(context_.get(), &PulseMixer::OnContextState, this);
    // Never start a server of our own: no server means no mixer.
    if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return false;
    if (pa_threaded_mainloop_start(loop_.get()) < 0) return false;

    MainloopLock lock(loop_.get());
    // A server that accepts the connection but never answers must not hold up start-up.
    const pa_usec_t deadline = pa_rtclock_now() + time_allowed.count() * PA_USEC_PER_MSEC;
    pa_time_event* time_up =
        pa_context_rttime_new(context_.get(), deadline, &PulseMixer::OnTimeUp, this);
    while (set_up_ == SetUpState::kWaiting) pa_threaded_mainloop_wait(loop_.get());
    if (time_up) api->time_free(time_up);
    return set_up_ == SetUpState::kReady;
}

void PulseMixer::FinishSetUp(SetUpState state) {
    if (set_up_ != SetUpState::kWaiting) return;
    set_up_ = state;
    pa_threaded_mainloop_signal(loop_.get(), 0);
}

void PulseMixer::OnTimeUp(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
    static_cast<PulseMixer*>(self)->FinishSetUp(SetUpState::kFailed);
}

void PulseMixer::OnContextState(pa_context* context, void* self_) {
    auto* self = static_cast<PulseMixer*>(self_);
    switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            pa_context_set_subscribe_callback(context, &PulseMixer::OnEvent, self);
            Forget(pa_context_subscribe(
                context,
                static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                    PA_SUBSCRIPTION_MASK_SERVER),
                nullptr, nullptr));
            self->RequestDefaultSink();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            // A server that goes away later leaves the last volume in place; writes stop.
            self->FinishSetUp(SetUpState::kFailed);
            break;
        default:
            break;
    }
}

void PulseMixer::RequestDefaultSink() {
    Forget(pa_context_get_server_info(context_.get(), &PulseMixer::OnServerInfo, this));
}

void PulseMixer::OnServerInfo(pa_context* context, const pa_server_info* info, void* self_) {
    auto* self = static_cast<PulseMixer*>(self_);
    if (!info || !info->default_sink_name || !*info->default_sink_name) {
        self->FinishSetUp(SetUpState::kFailed);
        return;
    }
    if (self->set_up_ == SetUpState::kReady && self->sink_name_ == info->default_sink_name) return;
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
    } else if (facility == PA_SUBSCRIPTION_EVENT_SINK && kind == PA_SUBSCRIPTION_EVENT_CHANGE &&
               index == self->sink_index_) {
        Forget(pa_context_get_sink_info_by_index(context, index, &PulseMixer::OnSinkInfo, self));
    }
}

void PulseMixer::OnSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* self_) {
    auto* self = static_cast<PulseMixer*>(self_);
    if (eol < 0) {  // the default sink vanished before we asked
        self->FinishSetUp(SetUpState::kFailed);
        return;
    }
    if (!info) return;  // the end-of-list call after the one sink
    self->sink_index_ = info->index;
    self->sink_channels_ = info->volume.channels;
    // While our own writes are in flight the server still reports older values; taking
    // them would move the bar back under a user who clicks quickly.
    if (self->writes_in_flight_ > 0) return;
    const uint32_t volume = VolumeFromPulse(pa_cvolume_max(&info->volume));
    const bool changed = volume != self->cached_volume_.exchange(volume);
    if (self->set_up_ == SetUpState::kWaiting) {
        self->FinishSetUp(SetUpState::kReady);
        return;
    }
    if (!changed && !self->own_write_settled_) return;
    self->own_write_settled_ = false;
    if (self->notify_) self->notify_->post(self->notify_, VYN_MM_MIXM_CONTROL_CHANGE, 0, 0);
}

void PulseMixer::WriteVolume(uint32_t value) {
    if (!loop_) return;
    MainloopLock lock(loop_.get());
    if (pa_context_get_state(context_.get()) != PA_CONTEXT_READY || sink_channels_ == 0) return;
    pa_cvolume volume;
    pa_cvolume_set(&volume, sink_channels_, PulseFromVolume(value));  // all channels as one
    pa_operation* operation = pa_context_set_sink_volume_by_index(
        context_.get(), sink_index_, &volume, &PulseMixer::OnWriteDone, this);
    if (!operation) return;
    pa_operation_unref(operation);
    ++writes_in_flight_;
    cached_volume_ = std::min(value, kVolumeControlMax);
}

void PulseMixer::OnWriteDone(pa_context* context, int success, void* self_) {
    auto* self = static_cast<PulseMixer*>(self_);
    --self->writes_in_flight_;
    if (success) {
        self->own_write_settled_ = true;
    } else if (self->writes_in_flight_ == 0) {
        // The value cached at the write is not what the server has: read it back.
        Forget(pa_context_get_sink_info_by_index(context, self->sink_index_,
                                                 &PulseMixer::OnSinkInfo, self));
    }
}

void PulseMixer::Close() {
    if (!loop_) return;
    pa_threaded_mainloop_stop(loop_.get());  // no callback runs after this
    context_.reset();
    loop_.reset();
}

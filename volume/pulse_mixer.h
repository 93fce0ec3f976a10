// The master volume of the sound server's default output (the PulseAudio default sink).
// libpulse runs on its own thread: the volume is cached there, so reads never wait, writes
// are sent without waiting for the reply, and changes made by anyone are posted to the
// main window as VYN_MM_MIXM_CONTROL_CHANGE. Nothing polls: an idle connection never wakes.
// A server that goes away is reconnected by the connection; once it is back (or a default
// sink appears again) its volume is read and posted like any other change, and followed.
#pragma once

#include <pulse/introspect.h>
#include <pulse/subscribe.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "platform/message_target.h"
#include "pulse/connection.h"
#include "volume/master_mixer.h"

class PulseMixer final : public MasterMixer {
  public:
    // Null when no sound server or no default output answers within the time allowed.
    static std::unique_ptr<PulseMixer> Open(
        MessageTarget* notify,
        std::chrono::milliseconds time_allowed = std::chrono::milliseconds(2000));
    // Only Open() makes one.
    struct Key {
      private:
        friend class PulseMixer;
        Key() = default;
    };
    PulseMixer(Key, MessageTarget* notify) : notify_(notify) {}
    ~PulseMixer() override;

    int32_t Minimum() const override { return 0; }
    int32_t Maximum() const override;
    uint32_t ReadVolume() override { return cached_volume_.load(); }
    bool Connected() const override { return connected_.load(); }
    void WriteVolume(uint32_t value) override;
    void Close() override;

  private:
    enum class SetUpState { kWaiting, kReady, kFailed };

    bool Connect(std::chrono::milliseconds time_allowed);

    // Callbacks on the loop thread, with its lock held.
    void OnConnection(bool ready);
    void Subscribe();
    static void OnEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index,
                        void* self);
    static void OnServerInfo(pa_context* context, const pa_server_info* info, void* self);
    static void OnSinkInfo(pa_context* context, const pa_sink_info* info, int eol, void* self);
    static void OnWriteDone(pa_context* context, int success, void* self);
    void FinishSetUp(SetUpState state);
    // No sink to show or write until the default one is known (again).
    void ForgetSink();
    void RequestDefaultSink();

    MessageTarget* const notify_;
    std::unique_ptr<pulse::Connection> connection_;

    // Owned by the loop thread (or by whoever holds its lock).
    SetUpState set_up_ = SetUpState::kWaiting;
    std::string sink_name_;
    uint32_t sink_index_ = PA_INVALID_INDEX;
    uint8_t sink_channels_ = 0;
    int writes_in_flight_ = 0;
    bool own_write_settled_ = false;

    std::atomic<uint32_t> cached_volume_{0};
    std::atomic<bool> connected_{false};  // a sink is known on a live server
};

// Listens to the null sink's monitor and notes when sound first arrives there: the far end
// of "press play, hear music".
#pragma once

#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <optional>

class SinkProbe {
  public:
    using Clock = std::chrono::steady_clock;

    // Connects to the server of PULSE_SERVER and records "out.monitor" in small fragments.
    SinkProbe();
    ~SinkProbe();
    SinkProbe(const SinkProbe&) = delete;
    SinkProbe& operator=(const SinkProbe&) = delete;

    // Forget what was heard; from now on the first fragment with sound is noted.
    void Arm();
    // When sound was first heard after Arm(), waiting up to `timeout` for it.
    std::optional<Clock::time_point> WaitForSound(std::chrono::milliseconds timeout);

  private:
    static void OnContextState(pa_context* context, void* self);
    static void OnStreamState(pa_stream* stream, void* self);
    static void OnRead(pa_stream* stream, size_t bytes, void* self);

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    std::atomic<bool> armed_{false};
    std::atomic<Clock::rep> heardAt_{0};
};

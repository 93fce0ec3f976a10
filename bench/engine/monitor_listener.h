// Listens to the null sink's monitor in 5 ms fragments and notes when each arrived and how
// loud it was: the far end of every timing the engine benchmarks measure.
#pragma once

#include <pulse/pulseaudio.h>

#include <chrono>
#include <mutex>
#include <vector>

class MonitorListener {
  public:
    using Clock = std::chrono::steady_clock;
    struct Fragment {
        Clock::time_point arrived;
        float peak;  // 0..1
    };

    // Connects to PULSE_SERVER and records "out.monitor"; throws std::runtime_error.
    MonitorListener();
    ~MonitorListener();
    MonitorListener(const MonitorListener&) = delete;
    MonitorListener& operator=(const MonitorListener&) = delete;

    void clear();
    std::vector<Fragment> fragments() const;

  private:
    static void OnRead(pa_stream* stream, size_t bytes, void* self);
    static void OnState(void* self);

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<Fragment> fragments_;
};

// Listens to the null sink's monitor in 5 ms fragments and notes when each arrived, where it
// lies in the recording and where sound starts and ends in it: the far end of every timing
// the engine benchmarks measure.
#pragma once

#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

class MonitorListener {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kRate = 44100;
    struct Fragment {
        Clock::time_point arrived;
        std::int64_t frame;  // of its first sample in the recording
        int frames;
        int firstLoud = -1, lastLoud = -1;  // frames within it above the threshold, or -1
    };
    enum class Latency {
        kLow,   // asks the sink for 5 ms blocks, as a running device renders
        kNone,  // asks for nothing: the sink runs at the latency the players ask for
    };

    // Connects to PULSE_SERVER and records "out.monitor"; a sample louder than `threshold`
    // (0..1) counts as sound. Throws std::runtime_error.
    MonitorListener(Latency latency, float threshold);
    ~MonitorListener();
    MonitorListener(const MonitorListener&) = delete;
    MonitorListener& operator=(const MonitorListener&) = delete;

    void clear();
    std::vector<Fragment> fragments() const;
    // Keep the left channel's samples from the next clear() on, for a look at the waveform.
    void keepSamples() { keepSamples_ = true; }
    // The frame of the first sample kept, and the samples.
    std::pair<std::int64_t, std::vector<std::int16_t>> samples() const;

    // When `frame` of the recording was audible. The null sink renders a block when the last
    // one has played and delivers it at once, so a block's first frame arrives a scheduling
    // delay after it became audible; the median over the blocks of the second around `frame`
    // fixes the sample clock. (The sink also renders a block out of turn when a stream
    // starts or stops, ahead of its time: the median leaves those out.)
    static Clock::time_point AudibleAt(const std::vector<Fragment>& recorded, std::int64_t frame);

  private:
    static void OnRead(pa_stream* stream, size_t bytes, void* self);
    static void OnState(void* self);

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    const int threshold_;
    mutable std::mutex mutex_;
    std::int64_t frames_ = 0;
    std::vector<Fragment> fragments_;
    std::atomic<bool> keepSamples_{false};
    std::int64_t samplesFrom_ = 0;
    std::vector<std::int16_t> samples_;
};

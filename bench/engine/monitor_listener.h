// Listens to the null sink's monitor in 5 ms fragments and notes when each was heard, where
// it lies in the recording and where sound starts and ends in it: the far end of every timing
// the engine benchmarks measure. On PipeWire it records through PipeWire itself, which times
// each buffer by the graph's clock (PipeWireMonitor); on PulseAudio, as a client of it.
#pragma once

#include <pulse/pulseaudio.h>

#include "bench/engine/pipewire_monitor.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

class MonitorListener {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kRate = 44100;
    struct Fragment {
        // On PulseAudio when it arrived, a scheduling delay after it became audible (see
        // AudibleAt); on PipeWire when it became audible.
        Clock::time_point arrived;
        std::int64_t frame;  // of its first sample in the recording
        int frames;
        int firstLoud = -1, lastLoud = -1;  // frames within it above the threshold, or -1
    };
    enum class Latency {
        kLow,   // asks the sink for 5 ms blocks, as a running device renders
        kNone,  // asks for nothing: the sink runs at the latency the players ask for
    };

    // Records the monitor of the sink "out" of PipeWire or else of PULSE_SERVER; a sample
    // louder than `threshold` (0..1) counts as sound. Throws std::runtime_error.
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
    void connectPulse(Latency latency);
    void append(Clock::time_point arrived, const std::int16_t* samples, int frames);
    static void OnRead(pa_stream* stream, size_t bytes, void* self);
    static void OnState(void* self);

    std::unique_ptr<PipeWireMonitor> pipeWire_;
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

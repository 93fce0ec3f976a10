// Records the monitor of PipeWire's sink "out" through PipeWire itself, and times each buffer
// by the graph's clock: when the sink took it in, which is when a sink with no device of its
// own plays it. Recorded through pipewire-pulse, the same samples arrive a graph cycle later
// than that (the monitor carries what the sink took in the cycle before) and then wait for
// pipewire-pulse to pass them on, so their arrival would put every sound some 5-10 ms late.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

struct pw_thread_loop;
struct pw_stream;
struct spa_io_position;

class PipeWireMonitor {
  public:
    using Clock = std::chrono::steady_clock;
    // Called on PipeWire's loop thread with each buffer of interleaved 16-bit stereo and
    // when its first frame was audible.
    using Sink = std::function<void(Clock::time_point audible, const std::int16_t*, int frames)>;

    // Null when no PipeWire daemon answers (the sound server is PulseAudio). `quantum`, in
    // frames of the graph, is the latency the recording asks the graph for; 0 asks nothing.
    // Throws std::runtime_error when PipeWire answers but the monitor can't be recorded.
    static std::unique_ptr<PipeWireMonitor> Connect(int rate, int quantum, Sink sink);
    ~PipeWireMonitor();
    PipeWireMonitor(const PipeWireMonitor&) = delete;
    PipeWireMonitor& operator=(const PipeWireMonitor&) = delete;

  private:
    PipeWireMonitor(int rate, Sink sink);
    static void OnProcess(void* self);
    static void OnIoChanged(void* self, std::uint32_t id, void* area, std::uint32_t size);

    const int rate_;
    const Sink sink_;
    pw_thread_loop* loop_ = nullptr;
    pw_stream* stream_ = nullptr;
    spa_io_position* position_ = nullptr;  // the graph's clock, written by PipeWire
};

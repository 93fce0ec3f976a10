#include "bench/playback/sink_probe.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace {
// Well above dither or rounding noise, well below any tone the benchmark plays.
constexpr int kSoundLevel = 300;
constexpr uint32_t kFragmentBytes = 88 * 4;  // 2 ms of 44.1 kHz stereo 16-bit

class LoopLock {
  public:
    explicit LoopLock(pa_threaded_mainloop* loop) : loop_(loop) {
        pa_threaded_mainloop_lock(loop_);
    }
    ~LoopLock() { pa_threaded_mainloop_unlock(loop_); }

  private:
    pa_threaded_mainloop* loop_;
};
}  // namespace

SinkProbe::SinkProbe() {
    loop_ = pa_threaded_mainloop_new();
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "vyn-bench-sink-probe");
    pa_context_set_state_callback(context_, &SinkProbe::OnContextState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
        pa_threaded_mainloop_start(loop_) < 0)
        throw std::runtime_error("no sound server");
    LoopLock lock(loop_);
    while (pa_context_get_state(context_) != PA_CONTEXT_READY) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)))
            throw std::runtime_error("the sound server refused the connection");
        pa_threaded_mainloop_wait(loop_);
    }
    const pa_sample_spec spec{PA_SAMPLE_S16LE, 44100, 2};
    stream_ = pa_stream_new(context_, "sink probe", &spec, nullptr);
    pa_stream_set_state_callback(stream_, &SinkProbe::OnStreamState, this);
    pa_stream_set_read_callback(stream_, &SinkProbe::OnRead, this);
    const pa_buffer_attr attributes{static_cast<uint32_t>(-1), 0, 0, 0, kFragmentBytes};
    pa_stream_connect_record(stream_, "out.monitor", &attributes, PA_STREAM_ADJUST_LATENCY);
    while (pa_stream_get_state(stream_) != PA_STREAM_READY) {
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)))
            throw std::runtime_error("can't record out.monitor");
        pa_threaded_mainloop_wait(loop_);
    }
}

SinkProbe::~SinkProbe() {
    pa_threaded_mainloop_stop(loop_);
    if (stream_ != nullptr) {
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
    }
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    pa_threaded_mainloop_free(loop_);
}

void SinkProbe::Arm() {
    heardAt_ = 0;
    armed_ = true;
}

std::optional<SinkProbe::Clock::time_point> SinkProbe::WaitForSound(
    std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (heardAt_ == 0) {
        if (Clock::now() > deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return Clock::time_point(Clock::duration(heardAt_.load()));
}

void SinkProbe::OnContextState(pa_context*, void* self) {
    pa_threaded_mainloop_signal(static_cast<SinkProbe*>(self)->loop_, 0);
}

void SinkProbe::OnStreamState(pa_stream*, void* self) {
    pa_threaded_mainloop_signal(static_cast<SinkProbe*>(self)->loop_, 0);
}

void SinkProbe::OnRead(pa_stream* stream, size_t, void* self) {
    auto* probe = static_cast<SinkProbe*>(self);
    const void* data = nullptr;
    size_t bytes = 0;
    if (pa_stream_peek(stream, &data, &bytes) < 0) return;
    if (data != nullptr && probe->armed_ && probe->heardAt_ == 0) {
        const auto* samples = static_cast<const int16_t*>(data);
        for (size_t i = 0; i < bytes / 2; ++i) {
            if (std::abs(samples[i]) > kSoundLevel) {
                probe->heardAt_ = Clock::now().time_since_epoch().count();
                probe->armed_ = false;
                break;
            }
        }
    }
    if (bytes > 0) pa_stream_drop(stream);
}

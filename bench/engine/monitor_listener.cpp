#include "bench/engine/monitor_listener.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

MonitorListener::MonitorListener(Latency latency, float threshold)
    : threshold_(static_cast<int>(threshold * 32768)) {
    // 256 frames of the graph's 48 kHz: the 5 ms blocks a PulseAudio sink is asked for.
    pipeWire_ =
        PipeWireMonitor::Connect(kRate, latency == Latency::kLow ? 256 : 0,
                                 [this](Clock::time_point audible, const std::int16_t* samples,
                                        int frames) { append(audible, samples, frames); });
    if (!pipeWire_) connectPulse(latency);
}

void MonitorListener::connectPulse(Latency latency) {
    loop_ = pa_threaded_mainloop_new();
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "engine bench monitor");
    pa_context_set_state_callback(
        context_, [](pa_context*, void* self) { OnState(self); }, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        throw std::runtime_error("no sound server");
    pa_threaded_mainloop_lock(loop_);
    pa_threaded_mainloop_start(loop_);
    while (pa_context_get_state(context_) != PA_CONTEXT_READY) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) {
            pa_threaded_mainloop_unlock(loop_);
            throw std::runtime_error("no sound server");
        }
        pa_threaded_mainloop_wait(loop_);
    }
    const pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 2};
    stream_ = pa_stream_new(context_, "monitor", &spec, nullptr);
    pa_stream_set_read_callback(stream_, OnRead, this);
    pa_stream_set_state_callback(
        stream_, [](pa_stream*, void* self) { OnState(self); }, this);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.fragsize = static_cast<std::uint32_t>(pa_usec_to_bytes(5000, &spec));
    // Without PA_STREAM_ADJUST_LATENCY a record stream leaves the source's latency alone.
    pa_stream_connect_record(
        stream_, "out.monitor", &attr,
        latency == Latency::kLow ? PA_STREAM_ADJUST_LATENCY : PA_STREAM_NOFLAGS);
    while (pa_stream_get_state(stream_) != PA_STREAM_READY) {
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream_))) {
            pa_threaded_mainloop_unlock(loop_);
            throw std::runtime_error("can't record out.monitor");
        }
        pa_threaded_mainloop_wait(loop_);
    }
    pa_threaded_mainloop_unlock(loop_);
}

MonitorListener::~MonitorListener() {
    pipeWire_.reset();
    if (!loop_) return;
    pa_threaded_mainloop_lock(loop_);
    if (stream_) {
        pa_stream_set_read_callback(stream_, nullptr, nullptr);
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
    }
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_threaded_mainloop_unlock(loop_);
    pa_threaded_mainloop_stop(loop_);
    pa_context_unref(context_);
    pa_threaded_mainloop_free(loop_);
}

void MonitorListener::OnState(void* self) {
    pa_threaded_mainloop_signal(static_cast<MonitorListener*>(self)->loop_, 0);
}

void MonitorListener::OnRead(pa_stream* stream, size_t, void* self) {
    auto* me = static_cast<MonitorListener*>(self);
    const void* data = nullptr;
    size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0) {
        if (bytes == 0) break;
        me->append(Clock::now(), static_cast<const std::int16_t*>(data),
                   static_cast<int>(bytes / 4));
        pa_stream_drop(stream);
    }
}

// `samples` null: a hole in the recording, heard as silence.
void MonitorListener::append(Clock::time_point arrived, const std::int16_t* samples, int frames) {
    Fragment f{arrived, 0, frames};
    if (samples)
        for (int i = 0; i < frames; ++i)
            if (std::max(std::abs(int(samples[2 * i])), std::abs(int(samples[2 * i + 1]))) >
                threshold_) {
                if (f.firstLoud < 0) f.firstLoud = i;
                f.lastLoud = i;
            }
    std::lock_guard<std::mutex> lock(mutex_);
    f.frame = frames_;
    frames_ += frames;
    fragments_.push_back(f);
    if (keepSamples_)
        for (int i = 0; i < frames; ++i) samples_.push_back(samples ? samples[2 * i] : 0);
}

void MonitorListener::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    fragments_.clear();
    samples_.clear();
    samplesFrom_ = frames_;
}

std::pair<std::int64_t, std::vector<std::int16_t>> MonitorListener::samples() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return {samplesFrom_, samples_};
}

MonitorListener::Clock::time_point MonitorListener::AudibleAt(const std::vector<Fragment>& recorded,
                                                              std::int64_t frame) {
    const auto toClock = [](std::int64_t frames) {
        return std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(double(frames) / kRate));
    };
    std::vector<Clock::time_point> zeros;                // when frame 0 was audible, by each block
    for (std::size_t i = 1; i < recorded.size(); ++i) {  // the first kept may lie inside one
        const Fragment& f = recorded[i];
        const bool blockStart = f.arrived - recorded[i - 1].arrived > std::chrono::milliseconds(1);
        if (blockStart && std::abs(f.frame - frame) <= kRate)
            zeros.push_back(f.arrived - toClock(f.frame));
    }
    if (zeros.empty()) throw std::runtime_error("nothing recorded around that frame");
    std::nth_element(zeros.begin(), zeros.begin() + zeros.size() / 2, zeros.end());
    return zeros[zeros.size() / 2] + toClock(frame);
}

std::vector<MonitorListener::Fragment> MonitorListener::fragments() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return fragments_;
}

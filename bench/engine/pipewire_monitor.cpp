#include "bench/engine/pipewire_monitor.h"

#include <pipewire/pipewire.h>
#include <spa/node/io.h>
#include <spa/param/audio/format-utils.h>

#include <stdexcept>
#include <string>

namespace {

// Whether a PipeWire daemon answers on this session's socket.
bool PipeWireAnswers() {
    pw_init(nullptr, nullptr);
    pw_main_loop* loop = pw_main_loop_new(nullptr);
    pw_context* context = pw_context_new(pw_main_loop_get_loop(loop), nullptr, 0);
    pw_core* core = context ? pw_context_connect(context, nullptr, 0) : nullptr;
    if (core) pw_core_disconnect(core);
    if (context) pw_context_destroy(context);
    pw_main_loop_destroy(loop);
    return core != nullptr;
}

}  // namespace

std::unique_ptr<PipeWireMonitor> PipeWireMonitor::Connect(int rate, int quantum, Sink sink) {
    if (!PipeWireAnswers()) return nullptr;
    std::unique_ptr<PipeWireMonitor> me(new PipeWireMonitor(rate, std::move(sink)));
    me->loop_ = pw_thread_loop_new("bench monitor", nullptr);
    pw_properties* props =
        pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Capture",
                          PW_KEY_TARGET_OBJECT, "out", PW_KEY_STREAM_CAPTURE_SINK, "true", nullptr);
    if (quantum > 0)
        pw_properties_set(props, PW_KEY_NODE_LATENCY, (std::to_string(quantum) + "/48000").c_str());
    static pw_stream_events events = [] {
        pw_stream_events e{};
        e.version = PW_VERSION_STREAM_EVENTS;
        e.process = OnProcess;
        e.io_changed = OnIoChanged;
        return e;
    }();
    pw_thread_loop_lock(me->loop_);
    me->stream_ = pw_stream_new_simple(pw_thread_loop_get_loop(me->loop_), "bench monitor", props,
                                       &events, me.get());
    std::uint8_t podBuffer[512];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(podBuffer, sizeof podBuffer);
    spa_audio_info_raw info{};
    info.format = SPA_AUDIO_FORMAT_S16;
    info.rate = static_cast<std::uint32_t>(rate);
    info.channels = 2;
    info.position[0] = SPA_AUDIO_CHANNEL_FL;
    info.position[1] = SPA_AUDIO_CHANNEL_FR;
    const spa_pod* format = spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &info);
    // The buffers are timed in the cycle that delivers them: process runs on the graph's thread.
    const int connected = pw_stream_connect(
        me->stream_, PW_DIRECTION_INPUT, PW_ID_ANY,
        static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS |
                                     PW_STREAM_FLAG_RT_PROCESS),
        &format, 1);
    pw_thread_loop_unlock(me->loop_);
    if (connected < 0) throw std::runtime_error("can't record the monitor of out");
    pw_thread_loop_start(me->loop_);
    return me;
}

PipeWireMonitor::PipeWireMonitor(int rate, Sink sink) : rate_(rate), sink_(std::move(sink)) {}

PipeWireMonitor::~PipeWireMonitor() {
    if (loop_) pw_thread_loop_stop(loop_);
    if (stream_) pw_stream_destroy(stream_);
    if (loop_) pw_thread_loop_destroy(loop_);
}

void PipeWireMonitor::OnIoChanged(void* self, std::uint32_t id, void* area, std::uint32_t) {
    if (id == SPA_IO_Position)
        static_cast<PipeWireMonitor*>(self)->position_ = static_cast<spa_io_position*>(area);
}

void PipeWireMonitor::OnProcess(void* self) {
    auto* me = static_cast<PipeWireMonitor*>(self);
    pw_buffer* buffer = pw_stream_dequeue_buffer(me->stream_);
    if (!buffer) return;
    const spa_data& data = buffer->buffer->datas[0];
    pw_time time{};
    pw_stream_get_time_n(me->stream_, &time, sizeof time);
    const spa_io_position* position = me->position_;
    if (data.data && data.chunk && position && position->clock.rate.denom > 0) {
        // The monitor delivers in this cycle what the sink took in at the start of the last
        // one; the converter to our rate holds `buffered` frames of it back.
        const std::int64_t cycleNs = static_cast<std::int64_t>(position->clock.duration) *
                                     1000000000 * position->clock.rate.num /
                                     position->clock.rate.denom;
        const std::int64_t audibleNs =
            static_cast<std::int64_t>(position->clock.nsec) - cycleNs -
            static_cast<std::int64_t>(time.buffered) * 1000000000 / me->rate_;
        const auto* samples =
            static_cast<const std::int16_t*>(data.data) + data.chunk->offset / sizeof(std::int16_t);
        me->sink_(Clock::time_point(std::chrono::nanoseconds(audibleNs)), samples,
                  static_cast<int>(data.chunk->size / 4));
    }
    pw_stream_queue_buffer(me->stream_, buffer);
}

#include "engine/playback_stream.h"

#include <algorithm>

#include "engine/engine_error.h"

namespace engine {
namespace {

// A 500 ms buffer refilled in 250 ms steps: about 4 short wake-ups a second. Pause and
// seek don't wait for it to run out (cork and a fresh stream), so a bigger buffer costs
// no responsiveness.
constexpr std::uint32_t kBufferMs = 500;
constexpr std::uint32_t kRefillMs = 250;
constexpr unsigned kConnectTimeoutMs = 3000;

pa_sample_spec SpecOf(AudioFormat format) {
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16NE;
    spec.rate = format.rate;
    spec.channels = static_cast<std::uint8_t>(format.channels);
    return spec;
}

}  // namespace

bool PlaybackStream::CanPlay(AudioFormat format) {
    if (format.channels == 0 || format.channels > PA_CHANNELS_MAX || format.rate == 0 ||
        format.rate > PA_RATE_MAX)
        return false;
    const pa_sample_spec spec = SpecOf(format);
    return pa_sample_spec_valid(&spec) != 0;
}

PlaybackStream::PlaybackStream(PulseConnection& connection, AudioFormat format, Source& source)
    : connection_(connection), format_(format), source_(source) {
    if (!CanPlay(format)) Fail(BASS_ERROR_FORMAT);
    const pa_sample_spec spec = SpecOf(format);
    pa_channel_map map;
    pa_channel_map_init_extend(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT);
    stream_ = pa_stream_new(connection.context(), "Vyn Player", &spec, &map);
    if (!stream_)
        Fail(pa_context_get_state(connection.context()) == PA_CONTEXT_READY ? BASS_ERROR_FORMAT
                                                                            : BASS_ERROR_DRIVER);
    pa_stream_set_state_callback(stream_, OnState, this);
    pa_stream_set_write_callback(stream_, OnWrite, this);

    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kBufferMs * 1000, &spec));
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = static_cast<std::uint32_t>(pa_usec_to_bytes(kRefillMs * 1000, &spec));
    attr.fragsize = static_cast<std::uint32_t>(-1);
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
    bool ready = pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) >= 0;
    ready = ready && connection.waitFor(
                         [this] {
                             const pa_stream_state_t s = pa_stream_get_state(stream_);
                             return s == PA_STREAM_READY || !PA_STREAM_IS_GOOD(s);
                         },
                         kConnectTimeoutMs);
    if (!ready || pa_stream_get_state(stream_) != PA_STREAM_READY) {
        const bool serverUp = pa_context_get_state(connection.context()) == PA_CONTEXT_READY;
        release();
        Fail(serverUp ? BASS_ERROR_FORMAT : BASS_ERROR_DRIVER);
    }
}

PlaybackStream::~PlaybackStream() {
    release();
}

void PlaybackStream::release() {
    if (drain_) {
        pa_operation_cancel(drain_);
        pa_operation_unref(drain_);
        drain_ = nullptr;
    }
    if (stream_) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }
}

void PlaybackStream::setCorked(bool corked) {
    if (pa_operation* op = pa_stream_cork(stream_, corked ? 1 : 0, nullptr, nullptr))
        pa_operation_unref(op);
}

std::uint64_t PlaybackStream::audibleFrames() const {
    pa_usec_t usec = 0;
    if (pa_stream_get_time(stream_, &usec) < 0) return 0;
    const std::uint64_t frames = usec * format_.rate / 1000000;
    return frames < written_ ? frames : written_;
}

void PlaybackStream::OnWrite(pa_stream*, std::size_t bytes, void* self) {
    static_cast<PlaybackStream*>(self)->write(bytes);
}

void PlaybackStream::write(std::size_t bytes) {
    const std::size_t frameBytes = format_.bytesPerFrame();
    while (!sourceEnded_ && bytes >= frameBytes) {
        void* data = nullptr;
        std::size_t chunk = bytes;
        if (pa_stream_begin_write(stream_, &data, &chunk) < 0 || !data) return;
        const std::size_t want = std::min(chunk, bytes) / frameBytes;
        if (want == 0) {
            pa_stream_cancel_write(stream_);
            return;
        }
        const std::size_t got = source_.fill(static_cast<std::int16_t*>(data), want);
        if (got > 0) {
            pa_stream_write(stream_, data, got * frameBytes, nullptr, 0, PA_SEEK_RELATIVE);
            written_ += got;
        } else {
            pa_stream_cancel_write(stream_);
        }
        if (got < want) sourceEnded_ = true;
        bytes -= want * frameBytes;
    }
    if (sourceEnded_ && !drainRequested_) {
        drainRequested_ = true;
        drain_ = pa_stream_drain(stream_, OnDrained, this);
    }
}

void PlaybackStream::OnState(pa_stream* s, void* self) {
    auto* me = static_cast<PlaybackStream*>(self);
    me->connection_.signal();
    const pa_stream_state_t state = pa_stream_get_state(s);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) me->source_.failed();
}

void PlaybackStream::OnDrained(pa_stream*, int success, void* self) {
    auto* me = static_cast<PlaybackStream*>(self);
    if (me->drain_) {
        pa_operation_unref(me->drain_);
        me->drain_ = nullptr;
    }
    if (success) me->source_.drained();
}

}  // namespace engine

#include "engine/playback_stream.h"

#include <algorithm>
#include <optional>

#include "engine/engine_error.h"

namespace engine {
namespace {

// Without PA_STREAM_ADJUST_LATENCY the server sets the sink's latency to
// tlength - 2 * minreq and asks for more each time minreq bytes have room. A long buffer
// with a refill step just under half of it therefore gives a sink latency of tens of
// milliseconds (pause and the first sound stay quick, the sink is not driven at its
// minimum) while the server asks for data about once a second. A sink that cannot rewind
// renders once per latency, each render a wake-up of the server: 50 ms keeps that at 20 a
// second, and a pause there is still silent within 50 ms.
constexpr std::uint32_t kSinkLatencyMs = 50;
constexpr std::uint32_t kRefillMs = 1000;
// The server holds at most 4 MiB per stream; formats with many channels get a shorter
// refill step so that the buffer fits.
constexpr std::uint64_t kServerBufferBytes = 4u << 20;
// Playback starts (and restarts after an underrun) once this much is buffered.
constexpr std::uint32_t kPrebufMs = 100;
constexpr auto kConnectTimeout = std::chrono::milliseconds(3000);
// The shortest wait between two looks at an ended source's last frames.
constexpr auto kEndCheckStep = std::chrono::milliseconds(10);
// How long a stream is kept after its last frame was heard by the figures: the sink's latency
// and then some, so that its last block is not cut.
constexpr auto kPlayedOutGrace = std::chrono::milliseconds(100);

pa_sample_spec SpecOf(AudioFormat format) {
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16NE;
    spec.rate = format.rate;
    spec.channels = static_cast<std::uint8_t>(format.channels);
    return spec;
}

}  // namespace

BufferPlan PlanBuffer(AudioFormat format) {
    const std::uint64_t frameBytes = format.bytesPerFrame();
    const auto bytesOf = [&](std::uint64_t ms) { return ms * format.rate / 1000 * frameBytes; };
    const std::uint64_t latency = bytesOf(kSinkLatencyMs);
    std::uint64_t minreq = bytesOf(kRefillMs);
    if (latency + 2 * minreq > kServerBufferBytes)
        minreq = (kServerBufferBytes - latency) / 2 / frameBytes * frameBytes;
    const std::uint64_t tlength = latency + 2 * minreq;
    BufferPlan plan{};
    plan.tlengthBytes = static_cast<std::uint32_t>(tlength);
    plan.minreqBytes = static_cast<std::uint32_t>(minreq);
    plan.prebufBytes = static_cast<std::uint32_t>(std::min(bytesOf(kPrebufMs), tlength));
    plan.sinkLatencyMs = kSinkLatencyMs;
    plan.unheardFrames = static_cast<std::size_t>((tlength + latency) / frameBytes);
    plan.refillFrames = static_cast<std::size_t>(minreq / frameBytes);
    return plan;
}

bool PlaybackStream::CanPlay(AudioFormat format) {
    if (format.channels == 0 || format.channels > PA_CHANNELS_MAX || format.rate == 0 ||
        format.rate > PA_RATE_MAX)
        return false;
    const pa_sample_spec spec = SpecOf(format);
    return pa_sample_spec_valid(&spec) != 0;
}

PlaybackStream::PlaybackStream(pulse::Connection& connection, AudioFormat format, Source& source,
                               bool wait)
    : connection_(connection), format_(format), source_(&source) {
    if (!CanPlay(format)) Fail(BASS_ERROR_FORMAT);
    if (!connection.ready()) Fail(BASS_ERROR_DRIVER);
    const pa_sample_spec spec = SpecOf(format);
    pa_channel_map map;
    pa_channel_map_init_extend(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT);
    stream_ = pa_stream_new(connection.context(), "Vyn Player", &spec, &map);
    if (!stream_) Fail(BASS_ERROR_FORMAT);
    pa_stream_set_state_callback(stream_, OnState, this);
    pa_stream_set_write_callback(stream_, OnWrite, this);

    const BufferPlan plan = PlanBuffer(format);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = plan.tlengthBytes;
    attr.prebuf = plan.prebufBytes;
    attr.minreq = plan.minreqBytes;
    attr.fragsize = static_cast<std::uint32_t>(-1);
    // Timing updates are ours (scheduleTimingUpdate): none while corked; and so is the
    // interpolation between them (heardByTiming).
    pa_stream_set_underflow_callback(stream_, OnRunChange, this);
    pa_stream_set_started_callback(stream_, OnRunChange, this);
    bool ok = pa_stream_connect_playback(stream_, nullptr, &attr, PA_STREAM_NOFLAGS, nullptr,
                                         nullptr) >= 0;
    if (ok && wait) {
        ok = connection.waitFor(
            [this] {
                const pa_stream_state_t s = pa_stream_get_state(stream_);
                return s == PA_STREAM_READY || !PA_STREAM_IS_GOOD(s);
            },
            kConnectTimeout);
        ok = ok && pa_stream_get_state(stream_) == PA_STREAM_READY;
    }
    if (!ok) {
        const bool serverUp = connection.ready();
        release();
        Fail(serverUp ? BASS_ERROR_FORMAT : BASS_ERROR_DRIVER);
    }
    lastAudibleAt_ = Clock::now();
}

PlaybackStream::~PlaybackStream() {
    release();
}

void PlaybackStream::release() {
    timingTimer_.cancel();
    endTimer_.cancel();
    if (stream_) {
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
        pa_stream_set_started_callback(stream_, nullptr, nullptr);
        if (pa_stream_get_state(stream_) == PA_STREAM_CREATING) {
            // libpulse can't disconnect a stream the server has not confirmed yet: the server
            // would keep it for as long as the connection lives (a seek bar dragged across a
            // slow server leaves hundreds, and a sink takes 256 at most). It is let go once
            // it is made; the reference is the callback's now.
            pa_stream_set_state_callback(stream_, DisconnectOnceMade, nullptr);
        } else {
            pa_stream_set_state_callback(stream_, nullptr, nullptr);
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
        }
        stream_ = nullptr;
    }
}

void PlaybackStream::DisconnectOnceMade(pa_stream* s, void*) {
    const pa_stream_state_t state = pa_stream_get_state(s);
    if (state == PA_STREAM_READY) {
        pa_stream_disconnect(s);  // on to TERMINATED, back here
    } else if (!PA_STREAM_IS_GOOD(state)) {
        // Also where a connection that closes takes every stream it had.
        pa_stream_set_state_callback(s, nullptr, nullptr);
        pa_stream_unref(s);
    }
}

bool PlaybackStream::ready() const {
    return stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY;
}

void PlaybackStream::setCorked(bool corked) {
    if (!ready()) return;
    audibleFrames();  // the figure a failure while corked carries on from
    corked_ = corked;
    if (pa_operation* op = pa_stream_cork(stream_, corked ? 1 : 0, nullptr, nullptr))
        pa_operation_unref(op);
    clock_.hurry();
    scheduleTimingUpdate();
    checkEnd();
}

std::uint64_t PlaybackStream::audibleFrames() {
    const Clock::time_point now = Clock::now();
    if (ready()) {
        if (const std::optional<std::uint64_t> heard = heardByTiming())
            lastAudible_ = std::max(lastAudible_, std::min(*heard, written_));
    } else if (!corked_ && written_ > lastAudible_) {
        // The server is gone: it played on from the last figure until it went.
        lastAudible_ = std::min<std::uint64_t>(
            lastAudible_ + static_cast<std::uint64_t>(clock_.framesIn(now - lastAudibleAt_)),
            written_);
    }
    lastAudibleAt_ = now;
    return lastAudible_;
}

// PulseAudio's own stream clock clamps "read minus what the sink holds" at zero before it
// interpolates, so at a sink that has rendered seconds ahead (an idle null sink) it starts
// running at once and stays ahead until the sink has caught up. The signed figure is the
// true one: negative until the sink has played out what it held before this stream.
std::optional<std::uint64_t> PlaybackStream::heardByTiming() {
    if (!noteFigure()) return std::nullopt;
    const std::optional<std::int64_t> heard = clock_.heardAt(Clock::now(), corked_);
    if (!heard) return std::nullopt;
    return static_cast<std::uint64_t>(std::max<std::int64_t>(*heard, 0));
}

// Hands the server's latest figure to the clock, once; false while there is none to trust.
bool PlaybackStream::noteFigure() {
    const pa_timing_info* info = pa_stream_get_timing_info(stream_);
    // A cork leaves the read index stale until an update asked for after it arrives.
    if (!info || info->read_index_corrupt || info->read_index < 0) return false;
    if (info->timestamp.tv_sec == figureStamp_.tv_sec &&
        info->timestamp.tv_usec == figureStamp_.tv_usec)
        return true;
    figureStamp_ = info->timestamp;
    const std::int64_t read = info->read_index / static_cast<std::int64_t>(format_.bytesPerFrame());
    const std::int64_t sinkFrames =
        clock_.framesIn(std::chrono::microseconds(static_cast<std::int64_t>(info->sink_usec)));
    // Its age on the wall clock, as the server dated it, is believed up to the longest carry
    // (the wall clock may have stepped).
    const auto age = std::chrono::microseconds(
        std::clamp<std::int64_t>(static_cast<std::int64_t>(pa_timeval_age(&info->timestamp)), 0,
                                 std::chrono::microseconds(AudibleClock::kMaxCarry).count()));
    clock_.add({read - sinkFrames, read, Clock::now() - age, info->playing != 0});
    return true;
}

void PlaybackStream::scheduleTimingUpdate() {
    timingTimer_.cancel();
    if (corked_ || !ready()) return;
    timingTimer_.start(connection_, clock_.nextFigureIn());
}

void PlaybackStream::updateTiming() {
    if (!ready()) return;
    noteFigure();  // the last update's, before the next replaces it
    if (pa_operation* op = pa_stream_update_timing_info(stream_, nullptr, nullptr))
        pa_operation_unref(op);
    scheduleTimingUpdate();
}

// An underrun stops the stream's clock and the restart after it starts it again: fresh
// figures at once, so that the position neither runs on over the gap nor lags behind it.
void PlaybackStream::OnRunChange(pa_stream* s, void*) {
    if (pa_operation* op = pa_stream_update_timing_info(s, nullptr, nullptr))
        pa_operation_unref(op);
}

void PlaybackStream::OnWrite(pa_stream*, std::size_t bytes, void* self) {
    static_cast<PlaybackStream*>(self)->write(bytes);
}

void PlaybackStream::push() {
    if (!ready() || sourceEnded_) return;
    const std::size_t wanted = pa_stream_writable_size(stream_);
    if (wanted != static_cast<std::size_t>(-1)) write(wanted);
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
        bool ended = false;
        const std::size_t got = source_->take(static_cast<std::int16_t*>(data), want, ended);
        if (got > 0) {
            pa_stream_write(stream_, data, got * frameBytes, nullptr, 0, PA_SEEK_RELATIVE);
            written_ += got;
        } else {
            pa_stream_cancel_write(stream_);
        }
        if (ended) sourceEnded_ = true;
        if (got < want) break;  // the rest is pushed when the decoder has it
        bytes -= got * frameBytes;
    }
    if (sourceEnded_ && !endingTold_ && !endTimer_.pending()) {
        // A source shorter than the prebuffer would otherwise never start.
        if (pa_operation* op = pa_stream_trigger(stream_, nullptr, nullptr)) pa_operation_unref(op);
        checkEnd();
    }
}

std::uint64_t PlaybackStream::adopt(Source& source) {
    source_ = &source;
    sourceEnded_ = false;
    endingTold_ = false;
    heardOut_ = false;
    endTimer_.cancel();
    return written_;
}

std::uint64_t PlaybackStream::unheardFrames() {
    return written_ - audibleFrames();
}

// Watches an ended source's last frames being heard, by the stream's own timing: a timer
// for when the margin is reached, then one for the last frame. Nothing runs while corked.
void PlaybackStream::checkEnd() {
    endTimer_.cancel();
    if (!sourceEnded_ || corked_ || !ready()) return;
    const std::uint64_t left = unheardFrames();
    const std::uint64_t margin = std::uint64_t{format_.rate} * kEndMarginMs / 1000;
    if (!endingTold_ && left <= margin) {
        endingTold_ = true;
        source_->ending(written_);
    }
    const std::uint64_t drainAt = std::uint64_t{format_.rate} * kDrainLeftMs / 1000;
    if (endingTold_ && !drainAsked_ && left <= drainAt) {
        drainAsked_ = true;
        if (pa_operation* op = pa_stream_drain(stream_, nullptr, nullptr)) pa_operation_unref(op);
    }
    if (endingTold_ && left == 0) {
        // The timing figures say it has been heard; the sink may still be rendering it.
        if (heardOut_) {
            source_->playedOut();  // last: the source may let go of this stream
            return;
        }
        heardOut_ = true;
        endTimer_.start(connection_, kPlayedOutGrace);
        return;
    }
    const std::uint64_t wait = !endingTold_ ? left - margin : drainAsked_ ? left : left - drainAt;
    const auto ms = std::chrono::milliseconds(wait * 1000 / format_.rate + 1);
    endTimer_.start(connection_, std::max(ms, kEndCheckStep));
}

void PlaybackStream::OnState(pa_stream* s, void* self) {
    auto* me = static_cast<PlaybackStream*>(self);
    me->connection_.signal();
    const pa_stream_state_t state = pa_stream_get_state(s);
    if (state == PA_STREAM_READY) {
        me->made_ = true;
        me->clock_.hurry();
        me->scheduleTimingUpdate();
    } else if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
        me->source_->failed();  // last: the source may let go of this stream
    }
}

}  // namespace engine

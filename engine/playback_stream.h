// One PulseAudio playback stream: one play session of a channel, from a start or seek
// point until it is stopped. Seeking replaces the stream, which drops every stale sample
// the server still buffers. All methods are called with the connection's lock held.
//
// The end of a track: once the source has handed over its last frame, the stream tells the
// source when what is left to be heard has fallen to kEndMarginMs (ending), and again when
// the last frame has been heard (playedOut). Between the two a following track of the same
// format may take the stream over (adopt) and append to it, so that its first sample follows
// the last one of the track before without a gap. A stream nobody has taken over by the time
// kDrainLeftMs are left is drained: PipeWire holds back the last part of a quantum until it
// is told that nothing follows. Nothing waits for the drain to complete (the end is judged
// by the timing figures), and a draining stream is taken over no more.
#pragma once

#include <pulse/pulseaudio.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/audible_clock.h"
#include "engine/decoder.h"
#include "pulse/connection.h"
#include "pulse/one_shot_timer.h"

namespace engine {

// What the stream asks of the server: the buffer and the refill step, from which the
// server derives the latency of the sink (see playback_stream.cpp).
struct BufferPlan {
    std::uint32_t tlengthBytes;
    std::uint32_t minreqBytes;
    std::uint32_t prebufBytes;
    std::uint32_t sinkLatencyMs;  // what the server will set the sink to for this stream
    // Frames the stream may hold unheard at most: in the server's buffer and in the sink.
    std::size_t unheardFrames;
    std::size_t refillFrames;
};
BufferPlan PlanBuffer(AudioFormat format);

class PlaybackStream {
  public:
    // What feeds the stream; called on the main loop thread with the lock held.
    class Source {
      public:
        virtual ~Source() = default;
        // Copies up to `frames` frames; `ended` when the source ends after them. Fewer
        // without `ended` means the rest is not decoded yet (see PlaybackStream::push).
        virtual std::size_t take(std::int16_t* out, std::size_t frames, bool& ended) = 0;
        // The source has ended and at most kEndMarginMs of it are still to be heard.
        // `written`: the stream's frames so far (the source may not hold the stream yet).
        virtual void ending(std::uint64_t written) = 0;
        // The last frame written has been heard.
        virtual void playedOut() = 0;
        // The server dropped the stream.
        virtual void failed() = 0;
    };

    // What is left to be heard of an ended source when it is told so: room for the player
    // to open the next track and hand over its first frames before the server runs dry.
    static constexpr std::uint32_t kEndMarginMs = 250;
    static constexpr std::uint32_t kDrainLeftMs = 100;

    // Connects a running stream. With `wait`, waits until the server accepted it and
    // throws EngineError 6 for a format the server can't take, 3 when the server is gone;
    // without (on the main loop thread), a refusal comes as Source::failed.
    PlaybackStream(pulse::Connection& connection, AudioFormat format, Source& source, bool wait);
    ~PlaybackStream();
    PlaybackStream(const PlaybackStream&) = delete;
    PlaybackStream& operator=(const PlaybackStream&) = delete;

    bool ready() const;
    // Whether the server ever made it (a refusal comes before that).
    bool made() const { return made_; }
    // Ready, and not drained: another track may still follow in it.
    bool adoptable() const { return ready() && !drainAsked_; }
    AudioFormat format() const { return format_; }
    void setCorked(bool corked);
    // Frames of this stream that have become audible so far. Once the stream failed, the
    // last known figure carried on by the time since (the server played on until it went).
    std::uint64_t audibleFrames();
    // The source has more of what the server asked for.
    void push();
    // A new source carries on where the ended one stopped, with nothing in between; returns
    // the stream frame its first frame will have.
    std::uint64_t adopt(Source& source);
    // Another owner takes over an ended source's stream as it is.
    void setSource(Source& source) { source_ = &source; }
    // Frames written and not yet heard.
    std::uint64_t unheardFrames();

    // False when the server can't play this format at all.
    static bool CanPlay(AudioFormat format);

  private:
    using Clock = std::chrono::steady_clock;
    static void OnWrite(pa_stream* s, std::size_t bytes, void* self);
    static void OnState(pa_stream* s, void* self);
    static void DisconnectOnceMade(pa_stream* s, void*);
    static void OnRunChange(pa_stream* s, void* self);
    std::optional<std::uint64_t> heardByTiming();
    bool noteFigure();
    void write(std::size_t bytes);
    void scheduleTimingUpdate();
    void updateTiming();
    void checkEnd();
    void release();

    pulse::Connection& connection_;
    AudioFormat format_;
    Source* source_;
    pa_stream* stream_ = nullptr;
    pulse::OneShotTimer timingTimer_{[this] { updateTiming(); }};
    pulse::OneShotTimer endTimer_{[this] { checkEnd(); }};
    std::uint64_t written_ = 0;
    bool sourceEnded_ = false;
    bool endingTold_ = false;
    bool heardOut_ = false;
    bool drainAsked_ = false;
    bool made_ = false;
    bool corked_ = false;
    AudibleClock clock_{format_.rate,
                        static_cast<std::uint32_t>(Clock::now().time_since_epoch().count())};
    timeval figureStamp_{};  // of the last figure the clock took
    // The last audible figure, and when it was taken; it never goes back.
    std::uint64_t lastAudible_ = 0;
    Clock::time_point lastAudibleAt_{};
};

}  // namespace engine

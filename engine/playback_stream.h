// One PulseAudio playback stream: one play session of a channel, from a start or seek
// point until it is stopped. Seeking replaces the stream, which drops every stale sample
// the server still buffers. All methods are called with the connection's lock held.
#pragma once

#include <pulse/pulseaudio.h>

#include <cstddef>
#include <cstdint>

#include "engine/decoder.h"
#include "engine/pulse_connection.h"

namespace engine {

class PlaybackStream {
  public:
    // What feeds the stream; called on the main loop thread with the lock held.
    class Source {
      public:
        virtual ~Source() = default;
        // Fills up to `frames` frames; fewer means the source has ended.
        virtual std::size_t fill(std::int16_t* out, std::size_t frames) = 0;
        // The last sample written has been played.
        virtual void drained() = 0;
        // The server dropped the stream.
        virtual void failed() = 0;
    };

    // Connects a running stream and waits until the server accepted it. Throws
    // EngineError 6 for a format the server can't take, 3 when the server is gone.
    PlaybackStream(PulseConnection& connection, AudioFormat format, Source& source);
    ~PlaybackStream();
    PlaybackStream(const PlaybackStream&) = delete;
    PlaybackStream& operator=(const PlaybackStream&) = delete;

    void setCorked(bool corked);
    // Frames of this stream that have become audible so far.
    std::uint64_t audibleFrames() const;
    std::uint64_t writtenFrames() const { return written_; }

    // False when the server can't play this format at all.
    static bool CanPlay(AudioFormat format);

  private:
    static void OnWrite(pa_stream* s, std::size_t bytes, void* self);
    static void OnState(pa_stream* s, void* self);
    static void OnDrained(pa_stream* s, int success, void* self);
    void write(std::size_t bytes);
    void release();

    PulseConnection& connection_;
    AudioFormat format_;
    Source& source_;
    pa_stream* stream_ = nullptr;
    pa_operation* drain_ = nullptr;
    std::uint64_t written_ = 0;
    bool sourceEnded_ = false;
    bool drainRequested_ = false;  // once: the drain is what tells the end
};

}  // namespace engine

// A channel: one opened stream or piece of module music, its play state, its output
// stream and its end syncs. Every method runs with the connection's lock held.
//
// States: stopped (opened, never started or moved while stopped), playing, paused, ended
// (the last sample has been played). Positions are audible positions in frames of the
// channel's own format.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "engine/decoder.h"
#include "engine/module_decoder.h"
#include "engine/playback_stream.h"
#include "engine/stream_tags.h"
#include "platform/message_target.h"

namespace engine {

class Channel final : private PlaybackStream::Source {
  public:
    enum class Kind { kStream, kMusic };

    Channel(std::uint32_t handle, std::unique_ptr<Decoder> decoder, StreamTags tags,
            PulseConnection& connection, MessageTarget* target);
    Channel(std::uint32_t handle, std::unique_ptr<ModuleDecoder> module,
            PulseConnection& connection, MessageTarget* target);
    ~Channel() override;

    Kind kind() const { return module_ ? Kind::kMusic : Kind::kStream; }
    AudioFormat format() const { return format_; }
    std::uint64_t lengthBytes() const { return decoder_->lengthFrames() * format_.bytesPerFrame(); }
    const StreamTags& tags() const { return tags_; }
    const ModuleDecoder* module() const { return module_; }

    // Starts playing from the current position; a paused channel resumes, an ended one
    // starts again from the beginning, a playing one carries on.
    void play();
    // EngineError 24 unless playing.
    void pause();
    // EngineError 16 unless paused.
    void resume();

    std::uint64_t positionBytes() const { return audibleFrame() * format_.bytesPerFrame(); }
    // Module music: the audible order (low 16 bits) and row (high 16 bits).
    std::uint32_t musicPosition() const;
    // EngineError 7 past the end. Playback, if it runs, continues from there; a paused
    // channel stays paused there.
    void seekBytes(std::uint64_t bytes);
    // Module music: moves to the start of an order; EngineError 7 if there is none.
    void seekOrder(std::uint32_t order);

    // The end sync: `message` is posted to the target with the channel handle as wparam
    // once the last sample has been played. Never while paused, never after free.
    void addEndSync(std::uint32_t sync, std::uint32_t message);
    bool removeSync(std::uint32_t sync);

  private:
    enum class State { kStopped, kPlaying, kPaused, kEnded };

    std::size_t fill(std::int16_t* out, std::size_t frames) override;
    void drained() override;
    void failed() override;

    std::uint64_t audibleFrame() const;
    void startOutput();
    void moveTo(std::uint64_t frame);
    void postEnd();

    std::uint32_t handle_;
    std::unique_ptr<Decoder> decoder_;
    ModuleDecoder* module_ = nullptr;  // decoder_ when this is module music
    AudioFormat format_;
    StreamTags tags_;
    PulseConnection& connection_;
    MessageTarget* target_;

    State state_ = State::kStopped;
    std::unique_ptr<PlaybackStream> output_;
    std::uint64_t startFrame_ = 0;   // where the current output stream started
    std::uint64_t decoded_ = 0;      // frames decoded since startFrame_
    std::uint64_t pausedAt_ = 0;     // audible frame when paused
    bool endedWhilePaused_ = false;  // the last sample played just as the channel was paused
    bool reseek_ = false;            // the decoder is not at startFrame_
    // Module music: which order/row starts at which frame, for the audible position.
    std::deque<std::pair<std::uint64_t, std::uint32_t>> musicMarks_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> syncs_;  // (sync, message)
};

}  // namespace engine

// A channel: one opened stream or piece of module music, its play state, its output
// stream, its decoder thread and its end syncs. Every method runs with the connection's
// lock held.
//
// States: stopped (opened, never started, moved while stopped, or given up on while the
// sound server stayed away), playing, paused, ended (the last sample has been handed to the
// output and at most PlaybackStream::kEndMarginMs of it are still to be heard).
// A playing channel without an output stream waits for the sound server to come back.
// Positions are audible positions in frames of the channel's own format.
//
// The end message means: this track has nothing more to give, and its last moments are
// playing now. A channel started from its beginning right after it, in the same format,
// carries on in the same output stream (see OutputTail), so an album plays without gaps.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "engine/decode_ahead.h"
#include "engine/decoder.h"
#include "engine/module_decoder.h"
#include "engine/output_tail.h"
#include "engine/playback_stream.h"
#include "engine/stream_tags.h"
#include "platform/message_target.h"
#include "pulse/connection.h"
#include "pulse/one_shot_timer.h"

namespace engine {

class Channel final : private PlaybackStream::Source {
  public:
    enum class Kind { kStream, kMusic };

    // `tail`: where an ended channel's output may be found by the next one to start.
    Channel(std::uint32_t handle, std::unique_ptr<Decoder> decoder, StreamTags tags,
            pulse::Connection& connection, OutputTail& tail, MessageTarget* target);
    Channel(std::uint32_t handle, std::unique_ptr<ModuleDecoder> module,
            pulse::Connection& connection, OutputTail& tail, MessageTarget* target);
    // Call detach() first, with the lock held; the destructor then waits for the decoder
    // thread (or leaves it behind in a stalled read), and so must run without the lock, which
    // that thread may be waiting for: it aborts when called with the lock held.
    ~Channel() override;

    Kind kind() const { return module_ ? Kind::kMusic : Kind::kStream; }
    AudioFormat format() const { return format_; }
    std::uint64_t lengthBytes() const { return length_ * format_.bytesPerFrame(); }
    const StreamTags& tags() const { return tags_; }
    const ModuleDecoder* module() const { return module_; }

    // Starts playing from the current position; a paused channel resumes, an ended one
    // starts again from the beginning, a playing one carries on. EngineError 3 when that
    // needs the sound server and it is away.
    void play();
    // EngineError 24 unless playing.
    void pause();
    // EngineError 16 unless paused; 3 while the sound server is away.
    void resume();

    std::uint64_t positionBytes() { return audibleFrame() * format_.bytesPerFrame(); }
    // Module music: the audible order (low 16 bits) and row (high 16 bits).
    std::uint32_t musicPosition();
    // EngineError 7 past the end. Playback, if it runs, continues from there; a paused
    // channel stays paused there.
    void seekBytes(std::uint64_t bytes);
    // Module music: moves to the start of an order; EngineError 7 if there is none.
    void seekOrder(std::uint32_t order);

    // The end sync: `message` is posted to the target with the channel handle as wparam
    // once the channel has ended (see above). Never while paused, never after free.
    void addEndSync(std::uint32_t sync, std::uint32_t message);
    bool removeSync(std::uint32_t sync);

    // The sound server went away: keep the place last heard and wait for it.
    void serverLost();
    // It is back: a playing channel plays on from where it was heard last.
    void serverBack();
    // It stayed away too long: a playing channel stops there, without an end message.
    void giveUp();

    // Drops the output and tells the decoder thread to end.
    void detach();
    // An ended channel's output, still playing its last moments; null when there is none.
    std::unique_ptr<PlaybackStream> takeEndedOutput();

  private:
    enum class State { kStopped, kPlaying, kPaused, kEnded };

    std::size_t take(std::int16_t* out, std::size_t frames, bool& ended) override;
    void ending(std::uint64_t written) override;
    void playedOut() override;
    void failed() override;

    std::uint64_t audibleFrame();
    // Frames of this channel heard from the current output.
    std::uint64_t heardFromOutput();
    void startOutput(bool wait);
    void moveTo(std::uint64_t frame, std::optional<std::uint32_t> order);
    void postEnd();
    void pushWanted();

    std::uint32_t handle_;
    ModuleDecoder* module_ = nullptr;  // the decoder when this is module music
    AudioFormat format_;
    std::uint64_t length_;
    StreamTags tags_;
    pulse::Connection& connection_;
    // A stream refused before it was made, tried again after a while; and how often so far.
    pulse::OneShotTimer retry_{[this] { serverBack(); }};
    int refusals_ = 0;
    OutputTail& tail_;
    MessageTarget* target_;
    BufferPlan plan_;
    std::unique_ptr<DecodeAhead> ahead_;

    State state_ = State::kStopped;
    std::unique_ptr<PlaybackStream> output_;
    std::uint64_t outputBase_ = 0;  // the output's frame where this channel's audio begins
    std::uint64_t startFrame_ = 0;  // the channel's frame there
    std::uint64_t pausedAt_ = 0;    // audible frame when paused
    std::uint64_t endedAt_ = 0;     // the frame the last sample was at
    std::vector<std::pair<std::uint32_t, std::uint32_t>> syncs_;  // (sync, message)
};

}  // namespace engine

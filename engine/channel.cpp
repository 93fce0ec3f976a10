#include "engine/channel.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "engine/engine_error.h"

namespace engine {
namespace {

// Decoded audio kept ahead of the output beyond what the server holds unheard.
constexpr std::uint32_t kAheadMs = 500;
// A stream refused before it was made is tried again this often, this long apart, before the
// track ends there.
constexpr int kRefusalsTried = 10;
constexpr auto kRefusalRetry = std::chrono::milliseconds(200);

std::unique_ptr<DecodeAhead> MakeAhead(std::unique_ptr<Decoder> decoder, ModuleDecoder* module,
                                       const BufferPlan& plan, std::function<void()> wanted) {
    const AudioFormat f = decoder->format();
    // Room for everything the output may hold unheard, a refill step, and some ahead. The
    // decoder wakes once a refill step has been heard: about once a second, and a refill
    // then still finds a step and the margin decoded.
    const std::size_t ring =
        plan.unheardFrames + plan.refillFrames + std::size_t{f.rate} * kAheadMs / 1000;
    return std::make_unique<DecodeAhead>(std::move(decoder), module, ring, plan.refillFrames,
                                         std::move(wanted));
}

}  // namespace

Channel::Channel(std::uint32_t handle, std::unique_ptr<Decoder> decoder, StreamTags tags,
                 pulse::Connection& connection, OutputTail& tail, MessageTarget* target)
    : handle_(handle),
      format_(decoder->format()),
      length_(decoder->lengthFrames()),
      tags_(std::move(tags)),
      connection_(connection),
      tail_(tail),
      target_(target),
      plan_(PlanBuffer(format_)) {
    ahead_ = MakeAhead(std::move(decoder), nullptr, plan_, [this] { pushWanted(); });
}

Channel::Channel(std::uint32_t handle, std::unique_ptr<ModuleDecoder> module,
                 pulse::Connection& connection, OutputTail& tail, MessageTarget* target)
    : handle_(handle),
      module_(module.get()),
      format_(module->format()),
      length_(module->lengthFrames()),
      connection_(connection),
      tail_(tail),
      target_(target),
      plan_(PlanBuffer(format_)) {
    ahead_ = MakeAhead(std::move(module), module_, plan_, [this] { pushWanted(); });
}

Channel::~Channel() {
    // The decoder thread may be waiting for the lock in pushWanted: waiting for it to end
    // while holding that lock would never return.
    if (connection_.heldByThisThread()) {
        std::fputs("engine: a channel was destroyed with the output lock held\n", stderr);
        std::abort();
    }
    ahead_->stop();
    ahead_->finish(std::chrono::milliseconds(100));
}

void Channel::detach() {
    retry_.cancel();
    output_.reset();
    ahead_->stop();
}

std::unique_ptr<PlaybackStream> Channel::takeEndedOutput() {
    if (state_ != State::kEnded) return nullptr;
    return std::move(output_);
}

// On the decoder thread: audio the output waited for has arrived.
void Channel::pushWanted() {
    pulse::Connection::Lock lock(connection_);
    if (ahead_->stopping()) return;  // being freed: `this` may not be used any more
    if (output_) output_->push();
}

void Channel::play() {
    refusals_ = 0;
    switch (state_) {
        case State::kPlaying:
            return;
        case State::kPaused:
            resume();
            return;
        case State::kEnded:
            if (!connection_.ready()) Fail(BASS_ERROR_DRIVER);
            moveTo(0, std::nullopt);
            break;
        case State::kStopped:
            if (!connection_.ready()) Fail(BASS_ERROR_DRIVER);
            break;
    }
    startOutput(true);
}

void Channel::startOutput(bool wait) {
    output_.reset();
    state_ = State::kPlaying;
    // The ring may still hold what comes from startFrame_ on (a new server, a resume).
    if (!ahead_->rewindTo(startFrame_)) ahead_->restartAt(startFrame_);
    ahead_->setActive(true);
    try {
        // A track started from its beginning carries on in the stream the one before left
        // playing; anything else waits for that stream to be heard out, never overlapping it.
        if (startFrame_ == 0) output_ = tail_.takeFor(format_);
        if (output_) {
            outputBase_ = output_->adopt(*this);
        } else {
            tail_.playOut();
            outputBase_ = 0;
            output_ = std::make_unique<PlaybackStream>(connection_, format_,
                                                       static_cast<Source&>(*this), wait);
        }
        // The decoder may have offered audio while the stream was being made.
        output_->push();
    } catch (...) {
        state_ = State::kStopped;
        ahead_->setActive(false);
        throw;
    }
}

void Channel::pause() {
    if (state_ != State::kPlaying) Fail(BASS_ERROR_NOPLAY);
    pausedAt_ = audibleFrame();
    if (output_ && output_->ready()) {
        output_->setCorked(true);
    } else {
        // Nothing is heard yet, or the server is away: a resume starts a new stream there.
        output_.reset();
        startFrame_ = pausedAt_;
    }
    state_ = State::kPaused;
}

void Channel::resume() {
    if (state_ != State::kPaused) Fail(BASS_ERROR_NOPAUSE);
    if (!output_) {
        if (!connection_.ready()) Fail(BASS_ERROR_DRIVER);
        startFrame_ = pausedAt_;
        // Paused while its stream was still being made: the format was taken already, so the
        // caller does not wait for the server (it may be slow to answer); a refusal comes as
        // failed().
        startOutput(false);
        return;
    }
    state_ = State::kPlaying;
    output_->setCorked(false);
}

std::uint64_t Channel::audibleFrame() {
    switch (state_) {
        case State::kPaused:
            return pausedAt_;
        case State::kStopped:
            return startFrame_;
        case State::kEnded:
            return endedAt_;
        case State::kPlaying:
            break;
    }
    if (!output_) return startFrame_;  // waiting for the server: standing still
    const std::uint64_t frame = startFrame_ + heardFromOutput();
    ahead_->release(frame);
    return frame;
}

std::uint64_t Channel::heardFromOutput() {
    const std::uint64_t heard = output_->audibleFrames();
    return heard > outputBase_ ? heard - outputBase_ : 0;
}

std::uint32_t Channel::musicPosition() {
    return ahead_->orderRowAt(audibleFrame());
}

void Channel::seekBytes(std::uint64_t bytes) {
    const std::uint64_t frame = bytes / format_.bytesPerFrame();
    if (frame > length_) Fail(BASS_ERROR_POSITION);
    moveTo(frame, std::nullopt);
}

void Channel::seekOrder(std::uint32_t order) {
    // A refused order leaves playback untouched.
    if (!module_ || order >= module_->orderCount()) Fail(BASS_ERROR_POSITION);
    const auto frame = ahead_->seekOrderNow(order);
    if (!frame) Fail(BASS_ERROR_POSITION);
    moveTo(std::min(*frame, length_), order);
}

// Carries the play state over to `frame`; the decoder goes there on its own thread.
void Channel::moveTo(std::uint64_t frame, std::optional<std::uint32_t> order) {
    // A stream the server has not made yet holds nothing of the old place: it plays from the
    // new one, so that a seek bar dragged across a slow server makes one stream, not dozens.
    const bool keepOutput = state_ == State::kPlaying && output_ && !output_->made();
    if (!keepOutput) output_.reset();
    startFrame_ = frame;
    // seekOrderNow has already restarted the decoder at the order.
    if (!order) ahead_->restartAt(frame);
    switch (state_) {
        case State::kPlaying:
            // The caller does not wait for the server: a refusal comes as failed().
            if (!keepOutput && connection_.ready()) startOutput(false);
            break;
        case State::kPaused:
            pausedAt_ = frame;
            break;
        case State::kEnded:
        case State::kStopped:
            state_ = State::kStopped;
            break;
    }
}

void Channel::addEndSync(std::uint32_t sync, std::uint32_t message) {
    syncs_.emplace_back(sync, message);
}

bool Channel::removeSync(std::uint32_t sync) {
    auto it = std::find_if(syncs_.begin(), syncs_.end(),
                           [sync](const auto& s) { return s.first == sync; });
    if (it == syncs_.end()) return false;
    syncs_.erase(it);
    return true;
}

std::size_t Channel::take(std::int16_t* out, std::size_t frames, bool& ended) {
    // What the server has played can go from the ring.
    if (output_) ahead_->release(startFrame_ + heardFromOutput());
    return ahead_->take(out, frames, ended);
}

void Channel::ending(std::uint64_t written) {
    if (state_ != State::kPlaying) return;
    endedAt_ = startFrame_ + (written - outputBase_);
    postEnd();
}

void Channel::playedOut() {
    if (state_ == State::kEnded) output_.reset();  // the stream's last step: see its callback
}

void Channel::postEnd() {
    state_ = State::kEnded;
    ahead_->setActive(false);
    if (!target_ || !target_->post) return;
    for (const auto& [sync, message] : syncs_) target_->post(target_, message, handle_, 0);
}

void Channel::serverLost() {
    refusals_ = 0;
    if (!output_) return;
    if (state_ == State::kPlaying) startFrame_ += heardFromOutput();
    if (state_ == State::kPaused) startFrame_ = pausedAt_;
    output_.reset();
}

void Channel::serverBack() {
    if (state_ != State::kPlaying || output_) return;
    try {
        startOutput(false);
    } catch (const EngineError&) {
        state_ = State::kPlaying;  // try again at the next return
    } catch (...) {
        // Out of memory or threads: stop where it was heard, as when the server stays away.
        state_ = State::kStopped;
        ahead_->setActive(false);
        output_.reset();
    }
}

void Channel::giveUp() {
    if (state_ != State::kPlaying || output_) return;
    state_ = State::kStopped;
    ahead_->setActive(false);
}

void Channel::failed() {
    // The server dropped this one stream while the connection lives on (it was killed, or
    // refused): a playing track ends where it was heard, with its end message, so that the
    // player carries on instead of waiting for an end that would never come. A paused one
    // starts a new stream there when it resumes. Called from the stream's own callback, so
    // the stream is let go last. A stream still being made reports its refusal itself.
    if (!output_) return;
    if (state_ == State::kPlaying && !output_->made() && refusals_ < kRefusalsTried &&
        !retry_.pending()) {
        // Refused before it was made: a server just back may not have its sinks yet
        // (PipeWire answers before they are there again). Standing still, it is tried again.
        ++refusals_;
        retry_.start(connection_, kRefusalRetry);
        output_.reset();
        return;
    }
    if (state_ == State::kPlaying) {
        endedAt_ = audibleFrame();
        postEnd();
    } else if (state_ == State::kPaused) {
        startFrame_ = pausedAt_;
    }
    output_.reset();
}

}  // namespace engine

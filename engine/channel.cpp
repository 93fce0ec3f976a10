#include "engine/channel.h"

#include <algorithm>

#include "engine/engine_error.h"

namespace engine {
namespace {

// Module music notes its order and row at least this often while decoding.
constexpr std::size_t kMarkFrames = 512;
// How far behind the decoder music marks are kept: more than any output buffer holds.
constexpr std::uint64_t kMarkSeconds = 10;

}  // namespace

Channel::Channel(std::uint32_t handle, std::unique_ptr<Decoder> decoder, StreamTags tags,
                 PulseConnection& connection, MessageTarget* target)
    : handle_(handle),
      decoder_(std::move(decoder)),
      format_(decoder_->format()),
      tags_(std::move(tags)),
      connection_(connection),
      target_(target) {}

Channel::Channel(std::uint32_t handle, std::unique_ptr<ModuleDecoder> module,
                 PulseConnection& connection, MessageTarget* target)
    : handle_(handle),
      module_(module.get()),
      format_(module->format()),
      connection_(connection),
      target_(target) {
    decoder_ = std::move(module);
    musicMarks_.emplace_back(0, module_->orderAndRow());
}

Channel::~Channel() {
    output_.reset();
}

void Channel::play() {
    switch (state_) {
        case State::kPlaying:
            return;
        case State::kPaused:
            resume();
            return;
        case State::kEnded:
            if (!decoder_->seek(0)) Fail(BASS_ERROR_POSITION);
            moveTo(0);
            break;
        case State::kStopped:
            break;
    }
    startOutput();
}

void Channel::startOutput() {
    output_.reset();
    if (reseek_ && !decoder_->seek(startFrame_)) Fail(BASS_ERROR_POSITION);
    reseek_ = false;
    decoded_ = 0;
    endedWhilePaused_ = false;
    state_ = State::kPlaying;
    try {
        output_ =
            std::make_unique<PlaybackStream>(connection_, format_, static_cast<Source&>(*this));
    } catch (...) {
        state_ = State::kStopped;
        decoded_ = 0;
        reseek_ = true;  // the output may have pulled audio before it failed
        throw;
    }
}

void Channel::pause() {
    if (state_ != State::kPlaying) Fail(BASS_ERROR_NOPLAY);
    pausedAt_ = audibleFrame();
    if (output_) output_->setCorked(true);
    state_ = State::kPaused;
}

void Channel::resume() {
    if (state_ != State::kPaused) Fail(BASS_ERROR_NOPAUSE);
    if (!output_) {
        startOutput();
        return;
    }
    state_ = State::kPlaying;
    output_->setCorked(false);
    if (endedWhilePaused_) {
        endedWhilePaused_ = false;
        postEnd();
    }
}

std::uint64_t Channel::audibleFrame() const {
    switch (state_) {
        case State::kPaused:
            return pausedAt_;
        case State::kStopped:
            return startFrame_;
        case State::kEnded:
            return startFrame_ + decoded_;
        case State::kPlaying:
            break;
    }
    return startFrame_ + (output_ ? output_->audibleFrames() : 0);
}

std::uint32_t Channel::musicPosition() const {
    const std::uint64_t frame = audibleFrame();
    auto after =
        std::upper_bound(musicMarks_.begin(), musicMarks_.end(), frame,
                         [](std::uint64_t f, const std::pair<std::uint64_t, std::uint32_t>& m) {
                             return f < m.first;
                         });
    if (after == musicMarks_.begin()) return musicMarks_.empty() ? 0 : after->second;
    return std::prev(after)->second;
}

void Channel::seekBytes(std::uint64_t bytes) {
    const std::uint64_t frame = bytes / format_.bytesPerFrame();
    if (frame > decoder_->lengthFrames()) Fail(BASS_ERROR_POSITION);
    if (!decoder_->seek(frame)) {
        // Where the decoder stands now is unknown: stop, and find the old place at the next play.
        output_.reset();
        state_ = State::kStopped;
        reseek_ = true;
        Fail(BASS_ERROR_POSITION);
    }
    moveTo(frame);
}

void Channel::seekOrder(std::uint32_t order) {
    // A refused order leaves playback untouched.
    std::uint64_t frame = 0;
    if (!module_ || !module_->seekOrder(order, frame)) Fail(BASS_ERROR_POSITION);
    moveTo(frame);
}

// The decoder already stands at `frame`; carries the play state over to there.
void Channel::moveTo(std::uint64_t frame) {
    output_.reset();
    reseek_ = false;
    startFrame_ = frame;
    decoded_ = 0;
    if (module_) {
        musicMarks_.clear();
        musicMarks_.emplace_back(frame, module_->orderAndRow());
    }
    switch (state_) {
        case State::kPlaying:
            startOutput();
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

std::size_t Channel::fill(std::int16_t* out, std::size_t frames) {
    const std::uint64_t length = decoder_->lengthFrames();
    const std::uint64_t at = startFrame_ + decoded_;
    const std::uint64_t left = at < length ? length - at : 0;
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(frames, left));
    std::size_t got = 0;
    while (got < want) {
        std::size_t step = want - got;
        if (module_) {
            step = std::min(step, kMarkFrames);
            const std::uint32_t mark = module_->orderAndRow();
            if (musicMarks_.empty() || musicMarks_.back().second != mark)
                musicMarks_.emplace_back(startFrame_ + decoded_ + got, mark);
        }
        const std::size_t n = decoder_->read(out + got * format_.channels, step);
        got += n;
        if (n < step) break;
    }
    decoded_ += got;
    if (module_) {
        const std::uint64_t keep = kMarkSeconds * format_.rate;
        const std::uint64_t now = startFrame_ + decoded_;
        while (musicMarks_.size() > 1 && musicMarks_[1].first + keep < now) musicMarks_.pop_front();
    }
    return got;
}

void Channel::drained() {
    if (state_ == State::kPaused) {
        endedWhilePaused_ = true;
        return;
    }
    if (state_ != State::kPlaying) return;
    postEnd();
}

void Channel::postEnd() {
    state_ = State::kEnded;
    if (!target_ || !target_->post) return;
    for (const auto& [sync, message] : syncs_) target_->post(target_, message, handle_, 0);
}

void Channel::failed() {
    // The server dropped the stream: stop where it was; the next play starts a new one.
    if (state_ != State::kPlaying && state_ != State::kPaused) return;
    const std::uint64_t frame = audibleFrame();
    state_ = State::kStopped;
    startFrame_ = frame;
    decoded_ = 0;
    reseek_ = true;
}

}  // namespace engine

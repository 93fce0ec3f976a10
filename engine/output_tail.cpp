#include "engine/output_tail.h"

#include <algorithm>

namespace engine {
namespace {

// Beyond what the timing figures say is left: the server's own latency and a late update.
constexpr auto kPlayOutSlack = std::chrono::milliseconds(500);
constexpr auto kLongestPlayOut = std::chrono::milliseconds(3000);

}  // namespace

void OutputTail::keep(std::unique_ptr<PlaybackStream> stream) {
    stream_ = std::move(stream);
    if (!stream_) return;
    format_ = stream_->format();
    // The stream goes on watching its last frames being heard, now on our behalf.
    stream_->setSource(*this);
}

std::unique_ptr<PlaybackStream> OutputTail::takeFor(AudioFormat format) {
    if (!stream_ || !stream_->adoptable() || format.rate != format_.rate ||
        format.channels != format_.channels)
        return nullptr;
    return std::move(stream_);
}

void OutputTail::playOut() {
    if (!stream_) return;
    if (!stream_->ready() || connection_.onLoopThread()) {
        stream_.reset();
        return;
    }
    const auto left = std::chrono::milliseconds(stream_->unheardFrames() * 1000 / format_.rate);
    connection_.waitFor([this] { return stream_ == nullptr; },
                        std::min(left + kPlayOutSlack, kLongestPlayOut));
    stream_.reset();
}

std::size_t OutputTail::take(std::int16_t*, std::size_t, bool& ended) {
    ended = true;
    return 0;
}

// From the stream's own callbacks, as their last step.
void OutputTail::playedOut() {
    stream_.reset();
    connection_.signal();
}

void OutputTail::failed() {
    stream_.reset();
    connection_.signal();
}

}  // namespace engine

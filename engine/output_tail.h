// The output stream a finished track leaves behind: its last moments still playing after the
// channel was freed. The next track to start takes the stream over when it has the same
// format, so that nothing is inserted or dropped between the two; otherwise it waits until
// the tail has been heard, so that the two never overlap. Called with the connection's lock
// held.
#pragma once

#include <chrono>
#include <memory>

#include "engine/playback_stream.h"
#include "pulse/connection.h"

namespace engine {

class OutputTail final : private PlaybackStream::Source {
  public:
    explicit OutputTail(pulse::Connection& connection) : connection_(connection) {}
    ~OutputTail() override = default;
    OutputTail(const OutputTail&) = delete;
    OutputTail& operator=(const OutputTail&) = delete;

    // Keeps an ended channel's stream until its last frame has been heard.
    void keep(std::unique_ptr<PlaybackStream> stream);
    // The kept stream, when a track of `format` can carry on in it.
    std::unique_ptr<PlaybackStream> takeFor(AudioFormat format);
    // Not on the loop thread: waits until the kept stream has been heard, at most as long as
    // it has left to play plus some slack; then lets it go.
    void playOut();
    // Cuts it.
    void drop() { stream_.reset(); }

  private:
    std::size_t take(std::int16_t*, std::size_t, bool& ended) override;
    void ending(std::uint64_t) override {}
    void playedOut() override;
    void failed() override;

    pulse::Connection& connection_;
    std::unique_ptr<PlaybackStream> stream_;
    AudioFormat format_;
};

}  // namespace engine

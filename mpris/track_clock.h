// Track times in microseconds over the open channel. A stream's bytes convert by its own
// byte rate; module music has only orders to stand on, so its orders are spread evenly over
// its length, as the seek bar spreads them over its width.
#pragma once

#include <cstdint>

#include "playback/lightbass.h"

class TrackClock {
  public:
    explicit TrackClock(lightBASS& bass) : bass_(bass) {}

    // 0 without a channel or when the engine can't tell.
    std::int64_t LengthMicroseconds() const;
    // The audible position; 0 without a channel.
    std::int64_t PositionMicroseconds() const;
    // The engine position nearest to `microseconds` (clamped to the track): bytes of a stream,
    // an order of module music.
    std::uint64_t EnginePosition(std::int64_t microseconds) const;

  private:
    struct Extent {
        std::uint64_t range = 0;  // bytes, or orders
        std::uint64_t bytes = 0;
        double seconds = 0;
    };
    Extent Measure() const;

    lightBASS& bass_;
};

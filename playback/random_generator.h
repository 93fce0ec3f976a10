// The generator behind random play: a 32-bit linear congruential state, s = s * 134775813 + 1,
// whose upper product bits pick an index. Seeded once at start-up from the clock, so that
// every run plays in its own order.
#pragma once

#include <cstdint>

class RandomGenerator {
  public:
    explicit RandomGenerator(std::uint32_t seed) : state_(seed) {}
    static RandomGenerator SeededFromClock();

    void Seed(std::uint32_t seed) { state_ = seed; }
    std::uint32_t State() const { return state_; }

    // An index in 0..n-1 (0 when n is 0).
    std::uint32_t Below(std::uint32_t n) {
        state_ = state_ * 134775813u + 1u;
        return static_cast<std::uint32_t>((std::uint64_t{state_} * n) >> 32);
    }

  private:
    std::uint32_t state_;
};

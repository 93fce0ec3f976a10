#include "playback/random_generator.h"

#include <chrono>

RandomGenerator RandomGenerator::SeededFromClock() {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count() ^
                       std::chrono::system_clock::now().time_since_epoch().count();
    const auto wide = static_cast<std::uint64_t>(ticks);
    return RandomGenerator(static_cast<std::uint32_t>(wide ^ (wide >> 32)));
}

#include "playback/play_time.h"

#include <cmath>
#include <cstdint>

std::string FormatPlayTime(double seconds) {
    // Beyond this no label is wide enough anyway, and the conversion below stays defined.
    constexpr double kLongest = 1e15;
    std::uint64_t n = 0;
    if (std::isfinite(seconds) && seconds > 0)
        n = static_cast<std::uint64_t>(std::nearbyint(std::fmin(seconds, kLongest)));

    std::string text;
    if (n / 3600 != 0) text = std::to_string(n / 3600) + ":";
    if (n / 600 != 0) text += static_cast<char>('0' + (n / 600) % 6);
    text += static_cast<char>('0' + (n / 60) % 10);
    text += ':';
    text += static_cast<char>('0' + (n / 10) % 6);
    text += static_cast<char>('0' + n % 10);
    return text;
}

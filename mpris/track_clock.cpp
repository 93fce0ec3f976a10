#include "mpris/track_clock.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kMicro = 1e6;
constexpr std::uint64_t kOrderMask = 0xFFFF;

std::int64_t ToMicroseconds(double seconds) {
    return seconds > 0 ? static_cast<std::int64_t>(std::llround(seconds * kMicro)) : 0;
}
}  // namespace

TrackClock::Extent TrackClock::Measure() const {
    Extent extent;
    if (bass_.Channel() == 0) return extent;
    std::int64_t bytes = 0;
    try {
        extent.range = static_cast<std::uint64_t>(bass_.GetChannelLength(bytes));
    } catch (const EBASSError&) {
        return {};
    }
    extent.bytes = static_cast<std::uint64_t>(bytes);
    extent.seconds = bass_.Api().ChannelBytes2Seconds(bass_.Channel(), extent.bytes);
    if (!(extent.seconds > 0)) return {};
    return extent;
}

std::int64_t TrackClock::LengthMicroseconds() const {
    return ToMicroseconds(Measure().seconds);
}

std::int64_t TrackClock::PositionMicroseconds() const {
    const std::uint32_t channel = bass_.Channel();
    if (channel == 0) return 0;
    const std::uint64_t position = bass_.Api().ChannelGetPosition(channel);
    if (position == ~std::uint64_t{0}) return 0;
    if (bass_.ChannelIsStream())
        return ToMicroseconds(bass_.Api().ChannelBytes2Seconds(channel, position));
    const Extent extent = Measure();
    if (extent.range == 0) return 0;
    const auto order = static_cast<double>(position & kOrderMask);
    return ToMicroseconds(extent.seconds * order / static_cast<double>(extent.range));
}

std::uint64_t TrackClock::EnginePosition(std::int64_t microseconds) const {
    const Extent extent = Measure();
    if (extent.range == 0) return 0;
    const double fraction =
        std::clamp(static_cast<double>(microseconds) / kMicro / extent.seconds, 0.0, 1.0);
    if (bass_.ChannelIsStream())
        return static_cast<std::uint64_t>(fraction * static_cast<double>(extent.bytes));
    const auto order = static_cast<std::uint64_t>(std::llround(fraction * extent.range));
    return std::min(order, extent.range - 1);
}

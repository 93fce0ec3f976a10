#include "engine/audible_clock.h"

#include <algorithm>

namespace engine {

void AudibleClock::add(const Figure& figure) {
    latest_ = count_ == 0 ? 0 : (latest_ + 1) % figures_.size();
    figures_[latest_] = figure;
    count_ = std::min(count_ + 1, figures_.size());
}

std::chrono::milliseconds AudibleClock::nextFigureIn() {
    ++asked_;
    if (interval_ < kFillInterval) {
        const std::chrono::milliseconds now = interval_;
        interval_ *= 2;
        return now;
    }
    const std::chrono::milliseconds base =
        asked_ < figures_.size() ? kFillInterval : kSteadyInterval;
    return base +
           std::chrono::milliseconds(static_cast<int>(random_() % kSpreadMs) - kSpreadMs / 2);
}

std::int64_t AudibleClock::framesIn(Clock::duration d) const {
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(d).count();
    return std::max<std::int64_t>(us, 0) * rate_ / 1000000;
}

std::optional<std::int64_t> AudibleClock::heardAt(Clock::time_point now, bool paused) const {
    if (count_ == 0) return std::nullopt;
    const Figure& latest = figures_[latest_];
    std::int64_t heard =
        latest.heard + framesIn(std::min<Clock::duration>(now - latest.at, kMaxCarry));
    for (std::size_t i = 0; i < count_; ++i)
        heard = std::min(heard, figures_[i].heard + framesIn(now - figures_[i].at));
    if (paused || !latest.running) heard = std::min(heard, latest.read);
    return heard;
}

}  // namespace engine

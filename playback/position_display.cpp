#include "playback/position_display.h"

#include <algorithm>
#include <limits>

#include "playback/play_time.h"

namespace {
constexpr std::int64_t kBarLimit = std::numeric_limits<int>::max();
constexpr std::uint64_t kOrderMask = 0xFFFF;
}  // namespace

PositionDisplay::PositionDisplay(PlayerView& view, const lightBASS& bass, TitleSource title)
    : view_(view), bass_(bass), title_(std::move(title)) {}

void PositionDisplay::SetRange(std::int64_t range) {
    range = std::max<std::int64_t>(range, 0);
    unitsPerStep_ = 1;
    while (range / unitsPerStep_ > kBarLimit) unitsPerStep_ *= 2;
    view_.SetSeekMaximum(static_cast<int>(range / unitsPerStep_));
}

void PositionDisplay::Restart() {
    seekDragging_ = false;
    shownElapsed_ = "0:00";
    view_.SetSeekPosition(0);
    view_.SetElapsedText(shownElapsed_);
}

void PositionDisplay::TimePosTimerProc() {
    const std::uint32_t channel = bass_.Channel();
    if (channel == 0) return;
    const BassEntryPoints& api = bass_.Api();
    std::uint64_t position = api.ChannelGetPosition(channel);
    // Ten ticks a second, but the time changes once a second and the thumb a unit at a time:
    // the controls are told only what changed.
    if (bass_.ChannelIsStream()) {
        std::string elapsed = FormatPlayTime(api.ChannelBytes2Seconds(channel, position));
        if (elapsed != shownElapsed_) {
            shownElapsed_ = std::move(elapsed);
            view_.SetElapsedText(shownElapsed_);
        }
    } else {
        position &= kOrderMask;
    }
    if (!seekDragging_) {
        const auto step = static_cast<std::uint64_t>(unitsPerStep_);
        const int seek = static_cast<int>(std::min<std::uint64_t>(position / step, kBarLimit));
        // Asking the bar itself also puts back a thumb moved by hand (a drag, a click).
        if (seek != view_.SeekPosition()) view_.SetSeekPosition(seek);
    }
    view_.RefreshTrayTip(title_());
}

void PositionDisplay::ProgrBarScroll(int code, int& position) {
    const std::uint32_t channel = bass_.Channel();
    if (channel == 0) return;
    seekDragging_ = code == scTrack;
    if (bass_.ChannelPaused() || code != scEndScroll) return;
    const std::int64_t target = std::max(position, 0) * unitsPerStep_;
    SeekTo(static_cast<std::uint64_t>(target));
}

bool PositionDisplay::SeekTo(std::uint64_t position) {
    const std::uint32_t channel = bass_.Channel();
    if (channel == 0 || bass_.ChannelPaused()) return false;
    if (bass_.Api().ChannelSetPosition(channel, position) == 0) return false;
    if (seekListener_) seekListener_();
    return true;
}

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
    view_.SetSeekPosition(0);
    view_.SetElapsedText("0:00");
}

void PositionDisplay::TimePosTimerProc() {
    const std::uint32_t channel = bass_.Channel();
    if (channel == 0) return;
    const BassEntryPoints& api = bass_.Api();
    std::uint64_t position = api.ChannelGetPosition(channel);
    if (bass_.ChannelIsStream())
        view_.SetElapsedText(FormatPlayTime(api.ChannelBytes2Seconds(channel, position)));
    else
        position &= kOrderMask;
    if (!seekDragging_) {
        const auto step = static_cast<std::uint64_t>(unitsPerStep_);
        view_.SetSeekPosition(
            static_cast<int>(std::min<std::uint64_t>(position / step, kBarLimit)));
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

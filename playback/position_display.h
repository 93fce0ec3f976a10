// The elapsed time, the seek bar's thumb and the tray tip while a track plays, and seeking
// by the seek bar.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "playback/lightbass.h"
#include "playback/player_view.h"

// The seek bar's scroll codes, those of the platform's scroll messages.
enum ScrollCode : int {
    scLineUp = 0,
    scLineDown = 1,
    scPageUp = 2,
    scPageDown = 3,
    scPosition = 4,
    scTrack = 5,
    scTop = 6,
    scBottom = 7,
    scEndScroll = 8,
};

class PositionDisplay {
  public:
    using TitleSource = std::function<std::string()>;

    PositionDisplay(PlayerView& view, const lightBASS& bass, TitleSource title);

    // The seek range of a new track: bytes for a stream, orders for module music. A range
    // beyond the bar's 32 bits is shown in units of a power of two of bytes, which keeps
    // every seek on a whole sample frame.
    void SetRange(std::int64_t range);
    // A track starts: no drag in progress, the thumb at 0 and the elapsed time "0:00".
    void Restart();

    // The 100 ms tick: elapsed time (streams), the thumb unless it is being dragged, tray tip.
    void TimePosTimerProc();
    // One step of a scroll action on the seek bar; a drag seeks once, when it ends.
    void ProgrBarScroll(int code, int& position);

    // Moves the open channel to `position` (bytes of a stream, an order of module music);
    // nothing happens without a channel or while it is paused. True when the engine moved.
    bool SeekTo(std::uint64_t position);
    // Told after every seek that moved the channel.
    void SetSeekListener(std::function<void()> listener) { seekListener_ = std::move(listener); }

    bool SeekDragging() const { return seekDragging_; }
    // Engine units per seek bar unit: 1 unless the range had to be scaled.
    std::int64_t UnitsPerStep() const { return unitsPerStep_; }

  private:
    PlayerView& view_;
    const lightBASS& bass_;
    TitleSource title_;
    bool seekDragging_ = false;
    std::int64_t unitsPerStep_ = 1;
    // What the tick last gave the view as the elapsed time.
    std::string shownElapsed_ = "0:00";
    std::function<void()> seekListener_;
};

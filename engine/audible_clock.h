// Where a stream's listener is, from the sound server's timing figures. Each figure is an
// upper bound on what had been heard when it was dated: PulseAudio's are exact, but PipeWire
// moves a stream's read index a whole graph cycle at a time, when the cycle takes the samples
// it is about to play, and dates the figure by its reply. A figure taken late in a cycle is
// nearly exact, one taken early leads by up to a cycle (43 ms at the quantum a lone player
// gets). Carried on at the stream's rate, the lowest of the recent figures is the closest, if
// some fell near the end of a cycle: figures are asked for at random points of it. Older ones
// are let go, as the sink's clock drifts from ours.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>

namespace engine {

class AudibleClock {
  public:
    using Clock = std::chrono::steady_clock;
    struct Figure {
        std::int64_t heard;  // frames; negative while the sink plays what it held before
        std::int64_t read;   // frames the server has taken
        Clock::time_point at;
        bool running;  // the server plays the stream on from here
    };
    // A figure is carried on by at most this long (a missed update, a server that hangs).
    static constexpr std::chrono::seconds kMaxCarry{3};

    AudibleClock(unsigned rate, std::uint32_t seed) : rate_(rate), random_(seed) {}
    void add(const Figure& figure);
    // When to ask for the next figure: soon after a start, four times a second until the
    // figures kept are all new, then about once a second.
    std::chrono::milliseconds nextFigureIn();
    // The stream starts or resumes: figures come often again.
    void hurry() {
        interval_ = kFirstInterval;
        asked_ = 0;
    }
    // Frames heard by `now`, or nullopt before the first figure. `paused`: the stream no
    // longer runs, so the sink plays out what it took and nothing more.
    std::optional<std::int64_t> heardAt(Clock::time_point now, bool paused) const;
    // Frames played at the stream's rate in `d` (none for a negative one).
    std::int64_t framesIn(Clock::duration d) const;

  private:
    static constexpr std::chrono::milliseconds kFirstInterval{20};
    static constexpr std::chrono::milliseconds kFillInterval{250};
    static constexpr std::chrono::milliseconds kSteadyInterval{1000};
    // Wider than the longest cycle (2048 frames at 44.1 kHz): with a fixed interval the
    // figures fall at a few points of a cycle over and over.
    static constexpr int kSpreadMs = 64;

    const unsigned rate_;
    std::minstd_rand random_;
    std::chrono::milliseconds interval_ = kFirstInterval;
    std::size_t asked_ = 0;  // since the last hurry
    std::array<Figure, 16> figures_{};
    std::size_t count_ = 0;
    std::size_t latest_ = 0;
};

}  // namespace engine

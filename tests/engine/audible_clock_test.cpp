// The position's clock against simulated servers: PulseAudio's exact figures, PipeWire's read
// index that moves a graph cycle at a time, a sink clock that drifts from ours, a server that
// stops answering.
#include "engine/audible_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using engine::AudibleClock;
using Clock = AudibleClock::Clock;
using std::chrono::microseconds;
using std::chrono::milliseconds;
constexpr unsigned kRate = 44100;

struct Server {
    std::string name;
    double cycleFrames;                       // what the read index moves at once (1: continuously)
    double ppm;                               // how much faster the sink's clock runs than ours
    int medianErrorFrames, worstErrorFrames;  // allowed
};

class AudibleClockTest : public testing::TestWithParam<Server> {
  protected:
    // What has been heard after `us` of play, and the figure a server replying then gives.
    double heardAt(std::int64_t us) const {
        return double(us) * kRate / 1e6 * (1 + GetParam().ppm / 1e6) - kSinkFrames;
    }
    AudibleClock::Figure figureAt(std::int64_t us) const {
        const double taken = heardAt(us) + kSinkFrames;
        const double cycle = GetParam().cycleFrames;
        // The server counts a cycle's frames as read as soon as the cycle takes them.
        const auto read =
            static_cast<std::int64_t>(cycle > 1 ? (int(taken / cycle) + 1) * cycle : taken);
        return {read - kSinkFrames, read, start + microseconds(us), true};
    }
    static constexpr int kSinkFrames = 32;
    const Clock::time_point start = Clock::now();
};

TEST_P(AudibleClockTest, StaysWithinAFewFramesOfWhatIsHeardOverAMinute) {
    AudibleClock clock(kRate, 1);
    std::int64_t next = 7000;  // figures when the clock asks for them
    std::vector<int> errors;
    for (std::int64_t us = 0; us < 60000000; us += 1000) {
        if (us == next) {
            clock.add(figureAt(us));
            next += std::chrono::duration_cast<microseconds>(clock.nextFigureIn()).count();
        }
        if (us < 18000000) continue;  // until it holds all the figures it keeps
        const auto heard = clock.heardAt(start + microseconds(us), false);
        ASSERT_TRUE(heard);
        errors.push_back(std::abs(int(*heard - heardAt(us))));
    }
    std::sort(errors.begin(), errors.end());
    EXPECT_LE(errors[errors.size() / 2], GetParam().medianErrorFrames);
    EXPECT_LE(errors.back(), GetParam().worstErrorFrames);
}

// A quarter of a cycle mostly and half of one at worst, where the latest figure alone leads
// by half a cycle on average and a whole one at worst; figures older than sixteen updates no
// longer count, so a sink 100 ppm off is followed to within 1.7 ms.
INSTANTIATE_TEST_SUITE_P(Servers, AudibleClockTest,
                         testing::Values(Server{"PulseAudio", 1, 0, 2, 2},
                                         Server{"PipeWireAttached", 235.2, 0, 59, 118},
                                         Server{"PipeWireAlone", 1881.6, 0, 470, 940},
                                         Server{"SinkFast", 1, 100, 75, 75},
                                         Server{"SinkSlow", 1, -100, 75, 75}),
                         [](const auto& info) { return info.param.name; });

TEST(AudibleClock, StopsAtWhatWasTakenWhenPausedAndAfterAServerFallsSilent) {
    AudibleClock clock(kRate, 1);
    const Clock::time_point t0 = Clock::now();
    EXPECT_FALSE(clock.heardAt(t0, false));
    clock.add({-100, 900, t0, true});
    EXPECT_EQ(*clock.heardAt(t0 + milliseconds(10), false), -100 + 441);
    EXPECT_EQ(*clock.heardAt(t0 + milliseconds(100), true), 900);
    EXPECT_EQ(*clock.heardAt(t0 + std::chrono::seconds(10), false), -100 + 3 * std::int64_t{kRate});
    clock.add({1000, 1200, t0 + milliseconds(50), false});  // the server stopped it there
    EXPECT_EQ(*clock.heardAt(t0 + milliseconds(100), false), 1200);
}

}  // namespace

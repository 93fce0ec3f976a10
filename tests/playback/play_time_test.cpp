// Play times and the random generator's sequence.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "playback/play_time.h"
#include "playback/random_generator.h"

namespace {

TEST(FormatPlayTime, RoundsHalvesToEvenAndGrowsHoursWithoutLimit) {
    const std::pair<double, const char*> table[] = {
        {0, "0:00"},     {0.5, "0:00"},     {1.5, "0:02"},       {59.4, "0:59"},
        {59.5, "1:00"},  {60.5, "1:00"},    {599, "9:59"},       {600, "10:00"},
        {3599, "59:59"}, {3605, "1:00:05"}, {36000, "10:00:00"}, {3600 * 125 + 61, "125:01:01"},
    };
    for (const auto& [seconds, text] : table) EXPECT_EQ(FormatPlayTime(seconds), text) << seconds;
}

TEST(FormatPlayTime, OddValuesShowAsZero) {
    EXPECT_EQ(FormatPlayTime(-3), "0:00");
    EXPECT_EQ(FormatPlayTime(std::nan("")), "0:00");
    EXPECT_EQ(FormatPlayTime(-std::numeric_limits<double>::infinity()), "0:00");
    EXPECT_FALSE(FormatPlayTime(std::numeric_limits<double>::infinity()).empty());
}

TEST(RandomGenerator, SequenceFromZero) {
    RandomGenerator random(0);
    EXPECT_EQ(random.Below(10), 0u);
    EXPECT_EQ(random.Below(10), 0u);
    EXPECT_EQ(random.Below(10), 8u);

    RandomGenerator small(0);
    small.Below(31);
    EXPECT_EQ(small.Below(31), 0u) << "with 31 entries the second pick is 0 as well";
    EXPECT_EQ(RandomGenerator(12345).Below(0), 0u);
}

TEST(RandomGenerator, ClockSeedsDiffer) {
    // Two start-ups a moment apart must not share an order.
    const auto first = RandomGenerator::SeededFromClock().State();
    std::uint32_t other = first;
    for (int i = 0; i < 100 && other == first; ++i)
        other = RandomGenerator::SeededFromClock().State();
    EXPECT_NE(first, other);
}

}  // namespace

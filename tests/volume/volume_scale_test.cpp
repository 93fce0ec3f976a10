#include "volume/volume_scale.h"

#include <gtest/gtest.h>

TEST(VolumeScale, EveryControlValueSurvivesTheTripThroughPulseAudio) {
    for (uint32_t value = 0; value <= kVolumeControlMax; ++value)
        ASSERT_EQ(VolumeFromPulse(PulseFromVolume(value)), value) << value;
}

TEST(VolumeScale, EndsMeetAndAmplificationReadsAsFull) {
    EXPECT_EQ(PulseFromVolume(0), PA_VOLUME_MUTED);
    EXPECT_EQ(PulseFromVolume(kVolumeControlMax), PA_VOLUME_NORM);
    EXPECT_EQ(PulseFromVolume(70000), PA_VOLUME_NORM);
    EXPECT_EQ(VolumeFromPulse(PA_VOLUME_NORM * 3 / 2), kVolumeControlMax);
    EXPECT_EQ(VolumeFromPulse(PA_VOLUME_MAX), kVolumeControlMax);
    EXPECT_EQ(VolumeFromPulse(PA_VOLUME_NORM / 2), 32768u);  // pactl's 50%
}

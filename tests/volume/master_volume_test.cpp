// The buttons' steps, clamping and the mute threshold, over an in-memory bar and mixer so
// that ranges a sound server never reports (narrower than 50, above 4000 at the bottom) are
// reachable too.
#include "volume/master_volume.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class TestBar final : public VolumeBar {
  public:
    int32_t Minimum() const override { return minimum; }
    int32_t Maximum() const override { return maximum; }
    int32_t Position() const override { return position; }
    void SetMinimum(int32_t value) override { minimum = value; }
    void SetMaximum(int32_t value) override { maximum = value; }
    void SetPosition(int32_t value) override { position = value; }

    // The bar's design values, kept when no mixer is found.
    int32_t minimum = 0, maximum = 100, position = 0;
};

struct MixerLog {
    std::vector<uint32_t> writes;
    bool closed = false;
};

class TestMixer final : public MasterMixer {
  public:
    TestMixer(int32_t minimum, int32_t maximum, uint32_t value, MixerLog& log)
        : minimum_(minimum), maximum_(maximum), value_(value), log_(log) {}
    int32_t Minimum() const override { return minimum_; }
    int32_t Maximum() const override { return maximum_; }
    uint32_t ReadVolume() override { return value_; }
    void WriteVolume(uint32_t value) override {
        value_ = value;
        log_.writes.push_back(value);
    }
    void Close() override { log_.closed = true; }

  private:
    int32_t minimum_, maximum_;
    uint32_t value_;
    MixerLog& log_;
};

class MasterVolumeTest : public testing::Test {
  protected:
    void SetUpMixer(int32_t minimum, int32_t maximum, uint32_t value) {
        ASSERT_TRUE(volume.SetUp(std::make_unique<TestMixer>(minimum, maximum, value, log)));
    }
    TestBar bar;
    MixerLog log;
    MasterVolume volume{bar};
};

TEST_F(MasterVolumeTest, SetUpGivesTheBarTheControlsRangeAndValue) {
    SetUpMixer(0, 65535, 30000);
    EXPECT_TRUE(volume.MixerAvailable());
    EXPECT_EQ(bar.minimum, 0);
    EXPECT_EQ(bar.maximum, 65535);
    EXPECT_EQ(bar.position, 30000);
    EXPECT_TRUE(log.writes.empty());
}

TEST_F(MasterVolumeTest, FullRangeStepsBy1310AndClampsAtTheTop) {
    SetUpMixer(0, 65535, 65000);
    volume.cmdMaxVolumeClick();
    EXPECT_EQ(bar.position, 65535);
    volume.cmdMaxVolumeClick();  // at the maximum: stays and writes it again
    EXPECT_EQ(bar.position, 65535);
    EXPECT_EQ(log.writes, (std::vector<uint32_t>{65535, 65535}));

    bar.position = 30000;
    volume.cmdMinVolumeClick();
    EXPECT_EQ(bar.position, 30000 - 1310);
    EXPECT_EQ(log.writes.back(), 30000u - 1310);
}

TEST_F(MasterVolumeTest, QuietBelowTheThresholdIsWrittenAsSilenceWhileTheBarKeepsItsPosition) {
    SetUpMixer(0, 65535, 5000);
    volume.cmdMinVolumeClick();
    EXPECT_EQ(bar.position, 3690);
    EXPECT_EQ(log.writes.back(), 0u);
    EXPECT_EQ(volume.ReadMasterVolume(), 0u);
    EXPECT_EQ(bar.position, 3690);  // reading alone does not move the bar

    volume.MixerControlChange(false);  // the change notification brings the mixer's value
    EXPECT_EQ(bar.position, 0);
    volume.cmdMinVolumeClick();  // at the minimum, 0 is at most 4000: silence again
    EXPECT_EQ(bar.position, 0);
    EXPECT_EQ(log.writes.back(), 0u);
}

TEST_F(MasterVolumeTest, ThresholdIsAbsoluteAndInclusive) {
    SetUpMixer(0, 65535, 0);
    bar.position = 4000;
    volume.WriteMasterVolume();
    bar.position = 4001;
    volume.WriteMasterVolume();
    EXPECT_EQ(log.writes, (std::vector<uint32_t>{0, 4001}));
}

TEST_F(MasterVolumeTest, RangeNarrowerThanFiftyStepsByZeroAndRewritesThePosition) {
    SetUpMixer(5000, 5049, 5020);
    volume.cmdMaxVolumeClick();
    volume.cmdMinVolumeClick();
    EXPECT_EQ(bar.position, 5020);
    EXPECT_EQ(log.writes, (std::vector<uint32_t>{5020, 5020}));
}

TEST_F(MasterVolumeTest, SmallMaximumIsWrittenAsSilenceAtTheTop) {
    SetUpMixer(0, 4000, 3990);
    volume.cmdMaxVolumeClick();  // step 80
    EXPECT_EQ(bar.position, 4000);
    EXPECT_EQ(log.writes.back(), 0u);
}

TEST_F(MasterVolumeTest, MinimumAboveTheThresholdIsWrittenAsItIs) {
    SetUpMixer(10000, 60000, 10500);
    volume.cmdMinVolumeClick();  // step 1000, clamped to the minimum
    EXPECT_EQ(bar.position, 10000);
    EXPECT_EQ(log.writes.back(), 10000u);
}

TEST_F(MasterVolumeTest, WidestRangeNeitherOverflowsTheStepNorTheSum) {
    SetUpMixer(INT32_MIN, INT32_MAX, 0);
    bar.position = INT32_MAX - 10;
    volume.cmdMaxVolumeClick();
    EXPECT_EQ(bar.position, INT32_MAX);
    bar.position = INT32_MIN + 10;
    volume.cmdMinVolumeClick();
    EXPECT_EQ(bar.position, INT32_MIN);
}

TEST_F(MasterVolumeTest, MinimisedWindowDropsTheChange) {
    SetUpMixer(0, 65535, 20000);
    bar.position = 1234;
    volume.MixerControlChange(true);
    EXPECT_EQ(bar.position, 1234);
    volume.MixerControlChange(false);
    EXPECT_EQ(bar.position, 20000);
}

TEST_F(MasterVolumeTest, WithoutAMixerEverythingIsInertAndTheBarKeepsItsDesignValues) {
    EXPECT_FALSE(volume.SetUp(std::unique_ptr<MasterMixer>()));
    EXPECT_FALSE(volume.MixerAvailable());
    volume.cmdMaxVolumeClick();
    volume.cmdMinVolumeClick();
    volume.WriteMasterVolume();
    volume.MixerControlChange(false);
    volume.Close();
    EXPECT_EQ(bar.minimum, 0);
    EXPECT_EQ(bar.maximum, 100);
    EXPECT_EQ(bar.position, 0);
}

TEST_F(MasterVolumeTest, CloseReleasesTheMixerOnceAndLeavesTheControlsInert) {
    SetUpMixer(0, 65535, 20000);
    volume.Close();
    EXPECT_TRUE(log.closed);
    volume.cmdMaxVolumeClick();
    EXPECT_TRUE(log.writes.empty());
    EXPECT_EQ(bar.position, 20000);
}

}  // namespace

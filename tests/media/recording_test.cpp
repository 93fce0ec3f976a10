#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include "tests/media/process.h"
#include "tests/media/recording.h"
#include "tests/media/scratch_dir.h"
#include "tests/media/wav.h"

namespace media {
namespace {

// True while a process with this id exists, zombies included.
bool ProcessExists(int pid) {
    return kill(pid, 0) == 0 || errno != ESRCH;
}

class SinkRecorderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (auto missing = SoundServerMissing()) GTEST_SKIP() << *missing;
        ASSERT_TRUE(SoundServerConfigured()) << "CI=true needs the sound server (PULSE_SERVER)";
    }
};

TEST_F(SinkRecorderTest, RecordsWhatIsPlayedWithItsToneAndTiming) {
    ScratchDir dir("recorder");
    const MediaFile tone = WriteWav(
        dir / "tone.wav",
        {.sampleRate = 44100, .channels = 2, .seconds = 0.6, .toneHz = 660, .amplitude = 0.5});
    SinkRecorder recorder(dir / "rec.wav");
    ASSERT_TRUE(recorder.WaitUntilRecording());
    RunProgramOrThrow(
        {"pacat", "-d", "out", "--file-format=wav", "--latency-msec=20", tone.path.string()});
    const Pcm recorded = recorder.Stop();

    EXPECT_EQ(recorded.sampleRate, 44100);
    EXPECT_EQ(recorded.channels, 2);
    const auto spans = FindSound(recorded);
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_NEAR(spans[0].end - spans[0].start, 0.6, 0.05);
    EXPECT_NEAR(DominantFrequency(recorded, spans[0].start + 0.1, 0.3), 660, 2);
    EXPECT_FALSE(ProcessExists(recorder.pid()));
}

TEST_F(SinkRecorderTest, DestructorLeavesNoProcessBehind) {
    ScratchDir dir("recorder-gone");
    int pid = 0;
    {
        SinkRecorder recorder(dir / "rec.wav");
        pid = recorder.pid();
        ASSERT_TRUE(recorder.WaitUntilRecording());
        EXPECT_TRUE(ProcessExists(pid));
    }
    EXPECT_FALSE(ProcessExists(pid));
}

TEST_F(SinkRecorderTest, UnknownSourceGivesAClearErrorAndNoZombie) {
    ScratchDir dir("recorder-bad");
    SinkRecorder recorder(dir / "rec.wav", "no-such-source.monitor");
    EXPECT_FALSE(recorder.WaitUntilRecording(3.0));
    EXPECT_THROW(recorder.Stop(), std::runtime_error);
    EXPECT_FALSE(ProcessExists(recorder.pid()));
}

}  // namespace
}  // namespace media

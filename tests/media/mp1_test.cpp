#include <gtest/gtest.h>

#include "tests/media/analysis.h"
#include "tests/media/mp1.h"
#include "tests/media/reference_decoders.h"
#include "tests/media/scratch_dir.h"

namespace media {
namespace {

TEST(Mp1Writer, Mpg123DecodesEveryFrameWithTheSubbandTone) {
    ScratchDir dir("mp1");
    for (int subband : {0, 1, 5}) {
        const MediaFile file = WriteMp1(dir / "t.mp1", {.seconds = 0.5, .subband = subband});
        EXPECT_EQ(file.frames, 63 * 384);  // 0.5 s is 62.5 frames, rounded up
        EXPECT_EQ(std::filesystem::file_size(file.path), 63u * 384);
        const Pcm decoded = DecodeWithMpg123(file.path);
        EXPECT_EQ(decoded.sampleRate, 48000);
        EXPECT_EQ(decoded.channels, 1);
        EXPECT_EQ(decoded.frames(), file.frames);
        EXPECT_NEAR(DominantFrequency(decoded, 0.1, 0.3), file.toneHz, 1) << subband;
        EXPECT_NEAR(ToneAmplitude(decoded, file.toneHz, 0.1, 0.3), 0.5, 0.1) << subband;
    }
}

TEST(Mp1Writer, TagsGoAroundTheFrames) {
    ScratchDir dir("mp1tags");
    const Bytes before = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0};
    const Bytes after(128, 'x');
    const Bytes bytes = Mp1Bytes({.seconds = 0.008, .leadingTag = before, .trailingTag = after});
    ASSERT_EQ(bytes.size(), before.size() + 384 + after.size());
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 10), before);
    EXPECT_EQ(Bytes(bytes.begin() + 10, bytes.begin() + 14), (Bytes{0xFF, 0xFF, 0xC4, 0xC0}));
}

TEST(Mp1Writer, RejectsASubbandOutsideTheThirtyTwo) {
    EXPECT_THROW(Mp1Bytes({.subband = 32}), std::invalid_argument);
    EXPECT_THROW(Mp1Bytes({.subband = -1}), std::invalid_argument);
    EXPECT_THROW(Mp1Bytes({.seconds = 0}), std::invalid_argument);
}

}  // namespace
}  // namespace media

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/media/analysis.h"
#include "tests/media/reference_decoders.h"
#include "tests/media/scratch_dir.h"
#include "tests/media/wav.h"

namespace media {
namespace {

struct WavCase {
    SampleFormat format;
    int sampleRate;
    int channels;
};

class WavWriterTest : public ::testing::TestWithParam<WavCase> {};

TEST_P(WavWriterTest, LibsndfileReadsTheStatedFormatLengthAndTone) {
    const WavCase c = GetParam();
    ScratchDir dir("wav");
    const ToneSpec tone{.sampleRate = c.sampleRate,
                        .channels = c.channels,
                        .seconds = 0.5,
                        .toneHz = 1000,
                        .amplitude = 0.5};
    const MediaFile file = WriteWav(dir / "t.wav", tone, c.format);
    EXPECT_EQ(file.frames, c.sampleRate / 2);
    EXPECT_DOUBLE_EQ(file.seconds, 0.5);

    const Pcm decoded = DecodeWithSndfile(file.path);
    EXPECT_EQ(decoded.sampleRate, c.sampleRate);
    EXPECT_EQ(decoded.channels, c.channels);
    EXPECT_EQ(decoded.frames(), file.frames);
    EXPECT_NEAR(DominantFrequency(decoded, 0, 0.5), 1000, 1);
    EXPECT_NEAR(ToneAmplitude(decoded, 1000, 0, 0.5), 0.5, 0.02);
    // The sine starts at zero and every channel carries it.
    EXPECT_NEAR(decoded.samples[0], 0, 0.01);
    const double expected = 0.5 * std::sin(2 * std::numbers::pi * 1000 * 10 / c.sampleRate);
    EXPECT_NEAR(decoded.samples[10 * c.channels + c.channels - 1], expected, 0.01);

    // Our own reader agrees with libsndfile sample for sample.
    const Pcm ours = ReadWav(file.path);
    ASSERT_EQ(ours.samples.size(), decoded.samples.size());
    for (std::size_t i = 0; i < ours.samples.size(); i += 97) {
        ASSERT_NEAR(ours.samples[i], decoded.samples[i], 1.0 / 128) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, WavWriterTest,
                         ::testing::Values(WavCase{SampleFormat::kUnsigned8, 22050, 1},
                                           WavCase{SampleFormat::kSigned16, 44100, 2},
                                           WavCase{SampleFormat::kSigned16, 48000, 1},
                                           WavCase{SampleFormat::kSigned24, 48000, 2},
                                           WavCase{SampleFormat::kSigned32, 22050, 2},
                                           WavCase{SampleFormat::kFloat32, 44100, 2}));

TEST(WavWriter, OddDataSizeIsPaddedToAWholeChunk) {
    // 8-bit mono with an odd frame count: the RIFF size must still cover the pad byte.
    const Bytes bytes = WavBytes({.sampleRate = 8000, .channels = 1, .seconds = 0.000375},
                                 SampleFormat::kUnsigned8);
    ASSERT_EQ(bytes.size(), 44u + 3 + 1);
    const std::uint32_t riffSize = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | bytes[7] << 24;
    EXPECT_EQ(riffSize + 8, bytes.size());
    EXPECT_EQ(ParseWav(bytes).frames(), 3);
}

TEST(WavWriter, ManyChannelsKeepTheirLayout) {
    // Hundreds of channels are valid WAV that an output may still refuse to play.
    const Bytes bytes = WavBytes({.sampleRate = 8000, .channels = 300, .seconds = 0.01});
    const Pcm pcm = ParseWav(bytes);
    EXPECT_EQ(pcm.channels, 300);
    EXPECT_EQ(pcm.frames(), 80);
}

TEST(WavReader, TakesAnUnfinishedRecordingUpToTheFileEnd) {
    // A recorder killed before it finalised leaves data sizes of 0 or 0xFFFFFFFF.
    Bytes bytes = WavBytes({.sampleRate = 8000, .channels = 2, .seconds = 0.01});
    for (std::uint32_t stated : {0u, 0xFFFFFFFFu}) {
        for (int i = 0; i < 4; ++i) bytes[40 + i] = (stated >> (8 * i)) & 0xFF;
        EXPECT_EQ(ParseWav(bytes).frames(), 80);
    }
}

TEST(WavReader, RejectsWhatIsNotPcmWav) {
    EXPECT_THROW(ParseWav({}), std::runtime_error);
    Bytes bytes = WavBytes({.sampleRate = 8000, .channels = 1, .seconds = 0.01});
    bytes[20] = 2;  // ADPCM
    EXPECT_THROW(ParseWav(bytes), std::runtime_error);
    bytes.resize(36);  // no data chunk
    EXPECT_THROW(ParseWav(bytes), std::runtime_error);
}

}  // namespace
}  // namespace media

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/media/analysis.h"

namespace media {
namespace {

// Mono at 8 kHz: pieces of silence or sine, in order.
struct Piece {
    double seconds;
    double hz;
    double amplitude;
};
Pcm Signal(std::initializer_list<Piece> pieces, int channels = 1) {
    Pcm pcm{8000, channels, {}};
    double phase = 0;
    for (const Piece& piece : pieces) {
        for (long i = 0; i < std::lround(piece.seconds * 8000); ++i) {
            phase += 2 * std::numbers::pi * piece.hz / 8000;
            for (int c = 0; c < channels; ++c) {
                pcm.samples.push_back(static_cast<float>(piece.amplitude * std::sin(phase)));
            }
        }
    }
    return pcm;
}

TEST(DominantFrequency, FindsAToneBetweenBinsToAFractionOfAHertz) {
    for (double hz : {50.0, 440.0, 1234.5, 3900.0}) {
        const Pcm pcm = Signal({{0.5, hz, 0.3}});
        EXPECT_NEAR(DominantFrequency(pcm, 0, 0.5), hz, 0.2) << hz;
        EXPECT_NEAR(ToneAmplitude(pcm, hz, 0, 0.5), 0.3, 0.01) << hz;
    }
}

TEST(DominantFrequency, PicksTheStrongerToneAndLooksOnlyAtItsStretch) {
    Pcm pcm = Signal({{0.5, 300, 0.1}, {0.5, 2000, 0.4}});
    const Pcm quiet = Signal({{1.0, 1000, 0.2}});
    for (std::size_t i = 0; i < 4000; ++i) pcm.samples[i] += quiet.samples[i];
    EXPECT_NEAR(DominantFrequency(pcm, 0, 0.5), 1000, 0.5);
    EXPECT_NEAR(DominantFrequency(pcm, 0.5, 0.5), 2000, 0.5);
    EXPECT_NEAR(DominantFrequency(pcm, 0, 0.5, 100, 600), 300, 0.5);
    EXPECT_LT(ToneAmplitude(pcm, 2000, 0, 0.45), 0.01);
}

TEST(DominantFrequency, SilenceAndEmptyStretchesGiveZero) {
    const Pcm silence = Signal({{0.5, 0, 0}});
    EXPECT_EQ(DominantFrequency(silence, 0, 0.5), 0);
    EXPECT_EQ(DominantFrequency(silence, 2, 0.5), 0);  // past the end
    EXPECT_EQ(DominantFrequency(Pcm{}, 0, 1), 0);
}

TEST(FindSound, ReportsEachStretchWithItsTimesInTenMillisecondSteps) {
    const Pcm pcm =
        Signal({{0.25, 0, 0}, {0.5, 500, 0.2}, {0.3, 0, 0}, {0.1, 700, 0.05}, {0.2, 0, 0}}, 2);
    const auto spans = FindSound(pcm);
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_NEAR(spans[0].start, 0.25, 0.011);
    EXPECT_NEAR(spans[0].end, 0.75, 0.011);
    EXPECT_NEAR(spans[1].start, 1.05, 0.011);
    EXPECT_NEAR(spans[1].end, 1.15, 0.011);
    EXPECT_NEAR(*SoundStart(pcm), 0.25, 0.011);
    EXPECT_NEAR(*SoundEnd(pcm), 1.15, 0.011);
    // Above the quieter tone's level only the first stretch counts.
    EXPECT_EQ(FindSound(pcm, 0.05).size(), 1u);
}

TEST(FindSound, BridgesShortGapsAndFindsNothingInSilence) {
    const Pcm pcm = Signal({{0.2, 500, 0.2}, {0.03, 0, 0}, {0.2, 500, 0.2}});
    EXPECT_EQ(FindSound(pcm).size(), 1u);
    EXPECT_EQ(FindSound(pcm, 0.01, 0.0).size(), 2u);
    const Pcm silence = Signal({{0.5, 0, 0}});
    EXPECT_TRUE(FindSound(silence).empty());
    EXPECT_FALSE(SoundStart(silence).has_value());
    EXPECT_FALSE(SoundEnd(silence).has_value());
}

TEST(Rms, OfASineIsItsAmplitudeOverRootTwo) {
    const Pcm pcm = Signal({{0.5, 0, 0}, {0.5, 400, 0.5}}, 2);
    EXPECT_NEAR(Rms(pcm, 0.5, 0.5), 0.5 / std::sqrt(2.0), 0.005);
    EXPECT_EQ(Rms(pcm, 0, 0.5), 0);
}

}  // namespace
}  // namespace media

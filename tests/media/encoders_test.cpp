#include <gtest/gtest.h>

#include <algorithm>

#include "tests/media/analysis.h"
#include "tests/media/encoders.h"
#include "tests/media/id3.h"
#include "tests/media/reference_decoders.h"
#include "tests/media/scratch_dir.h"

namespace media {
namespace {

bool StartsWith(const Bytes& data, const Bytes& prefix) {
    return data.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), data.begin());
}

bool EndsWith(const Bytes& data, const Bytes& suffix) {
    return data.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), data.end() - suffix.size());
}

TEST(Mp3Writer, GaplessDecodeGivesTheToneAtItsExactLength) {
    ScratchDir dir("mp3");
    for (const ToneSpec& tone :
         {ToneSpec{.sampleRate = 44100, .channels = 2, .seconds = 1.0},
          ToneSpec{.sampleRate = 22050, .channels = 1, .seconds = 0.5, .toneHz = 1000}}) {
        const MediaFile file = WriteMp3(dir / "t.mp3", tone, {.bitrateKbps = 64});
        const Pcm decoded = DecodeWithMpg123(file.path);
        EXPECT_EQ(decoded.sampleRate, tone.sampleRate);
        EXPECT_EQ(decoded.channels, tone.channels);
        EXPECT_EQ(decoded.frames(), file.frames);
        EXPECT_NEAR(DominantFrequency(decoded, 0.1, 0.3), tone.toneHz, 2);
    }
}

TEST(Mp3Writer, TagsOfOursSurroundTheFramesAndDecodingIgnoresThem) {
    ScratchDir dir("mp3tags");
    const ToneSpec tone{.seconds = 0.5};
    const Bytes v2 = Id3v2Tag({.version = 3,
                               .frames = {TextFrame("TPE1", "Artist"), TextFrame("TIT2", "Title")},
                               .padding = 100});
    const Bytes v1 = Id3v1Tag({.title = "Title", .artist = "Artist"});
    const MediaFile file =
        WriteMp3(dir / "t.mp3", tone, {.bitrateKbps = 96, .leadingTag = v2, .trailingTag = v1});
    const Bytes bytes = ReadFileBytes(file.path);
    EXPECT_TRUE(StartsWith(bytes, v2));
    EXPECT_TRUE(EndsWith(bytes, v1));
    // The MPEG data begins right after the tag: a frame sync.
    ASSERT_GT(bytes.size(), v2.size() + 2);
    EXPECT_EQ(bytes[v2.size()], 0xFF);
    EXPECT_EQ(bytes[v2.size() + 1] & 0xE0, 0xE0);

    const Pcm decoded = DecodeWithMpg123(file.path);
    EXPECT_EQ(decoded.frames(), file.frames);
    EXPECT_NEAR(DominantFrequency(decoded, 0.1, 0.3), 440, 2);
}

TEST(Mp2Writer, Mpg123DecodesLayerTwoWithTheTone) {
    ScratchDir dir("mp2");
    for (const ToneSpec& tone : {ToneSpec{.sampleRate = 48000, .channels = 2, .seconds = 0.5},
                                 ToneSpec{.sampleRate = 22050, .channels = 1, .seconds = 0.5}}) {
        const MediaFile file = WriteMp2(dir / "t.mp2", tone, {.bitrateKbps = 64});
        const Pcm decoded = DecodeWithMpg123(file.path);
        EXPECT_EQ(decoded.sampleRate, tone.sampleRate);
        EXPECT_EQ(decoded.channels, tone.channels);
        // Whole 1152-sample frames, encoder delay included, no gapless trimming.
        EXPECT_GE(decoded.frames(), file.frames);
        EXPECT_LE(decoded.frames(), file.frames + 3 * 1152);
        EXPECT_NEAR(DominantFrequency(decoded, 0.1, 0.3), 440, 2);
        const Bytes bytes = ReadFileBytes(file.path);
        EXPECT_EQ((bytes.at(1) >> 1) & 3, 2) << "layer bits of the first header say Layer II";
    }
}

TEST(OggWriter, VorbisfileGivesExactLengthToneAndTheCommentsInOrder) {
    ScratchDir dir("ogg");
    const ToneSpec tone{.sampleRate = 48000, .channels = 1, .seconds = 0.75, .toneHz = 880};
    const MediaFile file =
        WriteOgg(dir / "t.ogg", tone,
                 {.comments = {{"ARTIST", "Артист"}, {"TITLE", "a=b"}, {"ARTIST", "Second"}}});
    std::vector<std::string> comments;
    const Pcm decoded = DecodeWithVorbisfile(file.path, &comments);
    EXPECT_EQ(decoded.sampleRate, 48000);
    EXPECT_EQ(decoded.channels, 1);
    EXPECT_EQ(decoded.frames(), file.frames);
    EXPECT_NEAR(DominantFrequency(decoded, 0.1, 0.5), 880, 2);
    EXPECT_EQ(comments, (std::vector<std::string>{"ARTIST=Артист", "TITLE=a=b", "ARTIST=Second"}));
}

TEST(OggWriter, WithoutCommentsHasNone) {
    ScratchDir dir("ogg-bare");
    std::vector<std::string> comments;
    DecodeWithVorbisfile(WriteOgg(dir / "t.ogg", {.seconds = 0.2}).path, &comments);
    EXPECT_TRUE(comments.empty());
}

TEST(OggWriter, ExactCommentsAreWrittenAsGivenAndTheAudioStaysIntact) {
    ScratchDir dir("ogg-exact");
    const std::string huge = "COMMENT=" + std::string(70000, 'x');  // spans several pages
    for (const std::vector<std::string>& entries :
         {std::vector<std::string>{"artist=A", "noequals", "=x", "", "TITLE=T"},
          std::vector<std::string>{}, std::vector<std::string>{huge, "TITLE=T"}}) {
        const ToneSpec tone{.sampleRate = 44100, .channels = 2, .seconds = 0.5};
        const MediaFile file = WriteOgg(dir / "t.ogg", tone, {.exactComments = entries});
        std::vector<std::string> comments;
        const Pcm decoded = DecodeWithVorbisfile(file.path, &comments);
        EXPECT_EQ(comments, entries);
        EXPECT_EQ(decoded.frames(), file.frames);
        EXPECT_NEAR(DominantFrequency(decoded, 0.1, 0.3), 440, 2);
    }
}

TEST(Encoders, AFailingEncoderReportsItsCommandAndLeavesNoSourceBehind) {
    ScratchDir dir("fail");
    try {
        WriteMp2(dir / "t.mp2", {.seconds = 0.1}, {.bitrateKbps = 7});  // no such bitrate
        ADD_FAILURE() << "twolame accepted 7 kbit/s";
    } catch (const std::runtime_error& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("twolame ")) << e.what();
        EXPECT_NE(std::string(e.what()).find("bitrate"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "t.mp2.source.wav"));
    EXPECT_THROW(WriteOgg(dir / "no-such-dir" / "t.ogg", {.seconds = 0.1}), std::runtime_error);
}

}  // namespace
}  // namespace media

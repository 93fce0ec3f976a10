// What the open calls accept and refuse by content: MPEG is only taken for a plausible
// stream, so garbage that happens to hold a frame header is refused, while a genuine file
// of a single frame opens.
#include <gtest/gtest.h>

#include "tests/engine/engine_fixture.h"
#include "tests/media/media.h"

namespace {

using namespace media;
using EngineOpen = EngineTest;

TEST_F(EngineOpen, ASingleMpegFrameOpensWithItsExactLength) {
    const MediaFile mp1 = WriteMp1(dir_ / "one.mp1", {.seconds = 0.001});
    ASSERT_EQ(mp1.frames, kMp1FrameSamples);
    const HSTREAM s = bass().StreamCreateFile(0, mp1.path.c_str(), 0, 0, 0);
    ASSERT_NE(s, 0u) << "code " << bass().ErrorGetCode();
    EXPECT_EQ(bass().StreamGetLength(s), QWORD(kMp1FrameSamples * 2));
}

TEST_F(EngineOpen, GarbageAroundAStrayFrameHeaderIsRefused) {
    Bytes bytes = ReadFileBytes(WriteRandomBytes(dir_ / "noise", 200000, 3));
    // A valid MPEG-1 Layer III header in the middle of noise.
    const Bytes header = {0xFF, 0xFB, 0x90, 0x64};
    std::copy(header.begin(), header.end(), bytes.begin() + 1000);
    // An ID3v2 tag in front does not make the rest MPEG audio either.
    Bytes tagged = Id3v2Tag({.frames = {TextFrame("TIT2", "Title")}});
    tagged.insert(tagged.end(), bytes.begin(), bytes.end());
    for (const Bytes& content : {bytes, tagged}) {
        WriteFileBytes(dir_ / "noise.mp3", content);
        EXPECT_EQ(bass().StreamCreateFile(0, (dir_ / "noise.mp3").c_str(), 0, 0, 0), 0u);
        EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_FILEFORM);
    }
}

TEST_F(EngineOpen, AHugeFileOfGarbageIsRefused) {
    const auto path = WriteRandomBytes(dir_ / "huge.mp3", 64u << 20, 5);
    EXPECT_EQ(bass().StreamCreateFile(0, path.c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_FILEFORM);
    EXPECT_EQ(bass().MusicLoad(0, path.c_str(), 0, 0, 0x2800), 0u);
    EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_FILEFORM);
}

TEST_F(EngineOpen, AnMp3WithJunkAfterItsTagStillOpens) {
    // Some taggers leave padding after the tag that its size does not count.
    const MediaFile mp3 = WriteMp3(dir_ / "a.mp3", {.seconds = 0.5});
    Bytes junk = Id3v2Tag({.frames = {TextFrame("TIT2", "Title")}});
    junk.resize(junk.size() + 700, 0);
    WrapFile(mp3.path, junk, {});
    const HSTREAM s = bass().StreamCreateFile(0, mp3.path.c_str(), 0, 0, 0);
    ASSERT_NE(s, 0u) << "code " << bass().ErrorGetCode();
    EXPECT_NEAR(bass().ChannelBytes2Seconds(s, bass().StreamGetLength(s)), 0.5, 0.03);
}

}  // namespace

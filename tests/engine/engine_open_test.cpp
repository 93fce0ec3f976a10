// What the open calls accept and refuse by content: MPEG is only taken for a plausible
// stream, so garbage that happens to hold a frame header is refused, while genuine files
// that are odd (a single frame, stacked tags, free format, stray bytes at the end) open
// and play.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "tests/engine/engine_fixture.h"
#include "tests/engine/sink_lock.h"
#include "tests/media/media.h"

namespace {

using namespace media;
using EngineOpen = EngineTest;

struct OddMpeg {
    std::string name;
    std::function<MediaFile(const std::filesystem::path& dir)> write;
    std::optional<Bytes> firstTag;  // what BASS_StreamGetTags(kind 1) gives back
    long long slackFrames;          // decoded length above the source (encoder delay)
};

const Bytes kNewTag = Id3v2Tag({.frames = {TextFrame("TIT2", "New Title")}});
const Bytes kOldTagWithCover =
    Id3v2Tag({.version = 4, .frames = {TextFrame("TIT2", "Old Title"), CoverArtFrame(100000)}});

const std::vector<OddMpeg> kOddMpegs = {
    {"StackedTagsWithABigCover",
     [](const auto& dir) {
         Bytes tags = kNewTag;
         tags.insert(tags.end(), kOldTagWithCover.begin(), kOldTagWithCover.end());
         return WriteMp3(dir / "stacked.mp3", {.seconds = 0.6}, {.leadingTag = tags});
     },
     kNewTag, 1152},
    {"FreeFormatAt200Kbps",
     [](const auto& dir) {
         return WriteMp3(dir / "free.mp3", {.seconds = 0.6},
                         {.bitrateKbps = 200, .freeFormat = true});
     },
     std::nullopt, 1152},
    {"OneLayerTwoFrameAndAStrayByte",
     [](const auto& dir) {
         return WriteMp2(dir / "one.mp2", {.sampleRate = 48000, .seconds = 0.1},
                         {.bitrateKbps = 192, .trailingTag = {0x55}, .keepFrames = 1});
     },
     std::nullopt, 0},
    {"ThreeLayerTwoFramesAndSomeJunk",
     [](const auto& dir) {
         return WriteMp2(dir / "three.mp2", {.sampleRate = 48000, .seconds = 0.1},
                         {.bitrateKbps = 192, .trailingTag = Bytes(300, 0x2A), .keepFrames = 3});
     },
     std::nullopt, 0},
};

TEST_F(EngineOpen, OddButGenuineMpegFilesOpenAndPlayToTheirEnd) {
    SinkLock sink;
    for (std::size_t played = 0; played < kOddMpegs.size(); ++played) {
        const OddMpeg& odd = kOddMpegs[played];
        SCOPED_TRACE(odd.name);
        const MediaFile file = odd.write(dir_.path());
        const HSTREAM s = bass().StreamCreateFile(0, file.path.c_str(), 0, 0, 0);
        ASSERT_NE(s, 0u) << "code " << bass().ErrorGetCode();
        const QWORD bytes = bass().StreamGetLength(s);
        const long long frames = static_cast<long long>(bytes / (2 * file.channels));
        EXPECT_GE(frames, file.frames);
        EXPECT_LE(frames, file.frames + odd.slackFrames);
        const char* tag = bass().StreamGetTags(s, BASS_TAG_ID3V2);
        if (odd.firstTag) {
            ASSERT_NE(tag, nullptr);
            EXPECT_EQ(Bytes(tag, tag + odd.firstTag->size()), *odd.firstTag);
        } else {
            EXPECT_EQ(tag, nullptr);
        }

        ASSERT_NE(bass().ChannelSetSync(s, BASS_SYNC_END_MESSAGE, 0, 0x400, 0), 0u);
        SinkRecorder recorder(dir_ / "rec.wav");
        ASSERT_TRUE(recorder.WaitUntilRecording());
        ASSERT_TRUE(bass().StreamPlay(s, 0, 0)) << "code " << bass().ErrorGetCode();
        const double seconds = bass().ChannelBytes2Seconds(s, bytes);
        ASSERT_TRUE(
            messages_.waitFor(played + 1, std::chrono::milliseconds(int(seconds * 1000) + 3000)))
            << "played to the end";
        EXPECT_EQ(bass().ChannelGetPosition(s), bytes);
        const Pcm pcm = recorder.Stop();
        if (seconds > 0.3) {
            const auto heard = FindSound(pcm, 0.02, 0.1);
            ASSERT_EQ(heard.size(), 1u);
            EXPECT_NEAR(DominantFrequency(pcm, heard[0].start + 0.05, 0.2), file.toneHz, 5);
        }
        EXPECT_TRUE(bass().StreamFree(s));
    }
}

// The first page of an Ogg file: header, segment table and body.
Bytes FirstOggPage(const Bytes& ogg) {
    std::size_t size = 27 + ogg.at(26);
    for (std::size_t i = 0; i < ogg.at(26); ++i) size += ogg.at(27 + i);
    return Bytes(ogg.begin(), ogg.begin() + static_cast<std::ptrdiff_t>(size));
}

TEST_F(EngineOpen, OggPlaysEveryLinkUpToOneWhoseHeadersAreBrokenAndATagInFrontIsSkipped) {
    const ToneSpec first{.seconds = 1.0}, second{.seconds = 0.5, .toneHz = 660};
    const Bytes next = ReadFileBytes(WriteOgg(dir_ / "next.ogg", second, {.serial = 2}).path);
    // Some taggers put an ID3v2 tag in front of any file: ten bytes of header, ten of frame.
    Bytes tag = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20, 'T', 'I', 'T', '2', 0, 0, 0, 10, 0, 0, 0};
    tag.resize(30, 'x');
    struct Chain {
        const char* name;
        Bytes before, after;
        double seconds;
    };
    for (const Chain& chain :
         {Chain{"two whole links", {}, next, 1.5},
          Chain{"a link that ends after its first page", {}, FirstOggPage(next), 1.0},
          Chain{"an ID3v2 tag before the first page", tag, next, 1.5}}) {
        SCOPED_TRACE(chain.name);
        const MediaFile file = WriteOgg(dir_ / "chain.ogg", first);
        WrapFile(file.path, chain.before, chain.after);
        const HSTREAM s = bass().StreamCreateFile(0, file.path.c_str(), 0, 0, 0);
        ASSERT_NE(s, 0u) << "code " << bass().ErrorGetCode();
        EXPECT_DOUBLE_EQ(bass().ChannelBytes2Seconds(s, bass().StreamGetLength(s)), chain.seconds);
        EXPECT_TRUE(bass().StreamFree(s));
    }
}

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
    // Nor a header right at the start, or free-format headers, which state no frame size.
    Bytes headed = bytes;
    std::copy(header.begin(), header.end(), headed.begin());
    Bytes freeFormat = bytes;
    for (std::size_t at : {0, 1000, 1500, 2100}) {
        const Bytes free = {0xFF, 0xFB, 0x00, 0x64};
        std::copy(free.begin(), free.end(), freeFormat.begin() + at);
    }
    for (const Bytes& content : {bytes, tagged, headed, freeFormat}) {
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

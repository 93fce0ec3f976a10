// The raw tag blocks of BASS_StreamGetTags, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "tests/engine/engine_fixture.h"
#include "tests/media/media.h"

namespace {

using namespace media;

const ToneSpec kTone{.seconds = 0.3};

class EngineTags : public EngineTest {
  protected:
    HSTREAM open(const MediaFile& file) {
        const HSTREAM stream = bass().StreamCreateFile(0, file.path.c_str(), 0, 0, 0);
        EXPECT_NE(stream, 0u) << "code " << bass().ErrorGetCode();
        return stream;
    }
    static std::string Str(const Bytes& b) { return std::string(b.begin(), b.end()); }
};

TEST_F(EngineTags, Mp3HandsOutBothId3BlocksWhole) {
    const Bytes v1 = Id3v1Tag({.title = "Title", .artist = "Artist", .genre = 17});
    const Bytes v2 = Id3v2Tag({.version = 3,
                               .frames = {TextFrame("TPE1", "Artist"), TextFrame("TIT2", "Title")},
                               .padding = 100});
    const HSTREAM s = open(WriteMp3(dir_ / "a.mp3", kTone, {.leadingTag = v2, .trailingTag = v1}));
    const char* id3v1 = bass().StreamGetTags(s, 0);
    ASSERT_NE(id3v1, nullptr);
    EXPECT_EQ(std::string(id3v1, 128), Str(v1));
    const char* id3v2 = bass().StreamGetTags(s, 1);
    ASSERT_NE(id3v2, nullptr);
    EXPECT_EQ(std::string(id3v2, v2.size()), Str(v2));
    EXPECT_EQ(bass().StreamGetTags(s, 2), nullptr);
    EXPECT_EQ(bass().StreamGetTags(s, 3), nullptr);
}

TEST_F(EngineTags, Id3v24FooterBelongsToTheBlock) {
    const Bytes v2 = Id3v2Tag({.version = 4,
                               .frames = {TextFrame("TIT2", "Заголовок", 3)},
                               .extendedHeader = true,
                               .footer = true});
    const HSTREAM s = open(WriteMp3(dir_ / "a.mp3", kTone, {.leadingTag = v2}));
    const char* id3v2 = bass().StreamGetTags(s, 1);
    ASSERT_NE(id3v2, nullptr);
    EXPECT_EQ(std::string(id3v2, v2.size()), Str(v2));
    EXPECT_EQ(std::string(id3v2 + v2.size() - 10, 3), "3DI");
    EXPECT_EQ(bass().StreamGetTags(s, 0), nullptr) << "no ID3v1 block";
}

TEST_F(EngineTags, Mp3WithoutTagsHasNone) {
    const HSTREAM s = open(WriteMp3(dir_ / "a.mp3", kTone));
    EXPECT_EQ(bass().StreamGetTags(s, 0), nullptr);
    EXPECT_EQ(bass().StreamGetTags(s, 1), nullptr);
}

TEST_F(EngineTags, OggFlacAndOpusHandOutTheirCommentsAsAList) {
    const std::vector<std::pair<std::string, std::string>> comments = {{"ARTIST", "Исполнитель"},
                                                                       {"TITLE", "Title"}};
    const ToneSpec tone48{.sampleRate = 48000, .seconds = 0.3};
    for (const MediaFile& file : {WriteOgg(dir_ / "a.ogg", kTone, {.comments = comments}),
                                  WriteFlac(dir_ / "a.flac", kTone, {.comments = comments}),
                                  WriteOpus(dir_ / "a.opus", tone48, {.comments = comments})}) {
        SCOPED_TRACE(file.path.filename().string());
        const HSTREAM s = open(file);
        const char* list = bass().StreamGetTags(s, 2);
        ASSERT_NE(list, nullptr);
        std::vector<std::string> texts;
        for (const char* p = list; *p; p += std::strlen(p) + 1) texts.emplace_back(p);
        // Encoders may add entries of their own (opusenc's ENCODER= comes first).
        const auto artist = std::ranges::find(texts, "ARTIST=Исполнитель");
        ASSERT_NE(artist, texts.end());
        ASSERT_NE(artist + 1, texts.end());
        EXPECT_EQ(artist[1], "TITLE=Title");
        EXPECT_EQ(bass().StreamGetTags(s, 0), nullptr);
        EXPECT_EQ(bass().StreamGetTags(s, 1), nullptr);
    }
}

// An empty list is just the closing empty text, not null; odd entries pass unchanged.
TEST_F(EngineTags, OggCommentListsAreHandedOutAsStored) {
    const MediaFile ogg = WriteOgg(dir_ / "a.ogg", kTone);
    ReplaceVorbisComments(ogg.path, {});
    const HSTREAM empty = open(ogg);
    const char* none = bass().StreamGetTags(empty, 2);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none[0], '\0');

    ReplaceVorbisComments(ogg.path, {"no equals sign", "TITLE="});
    const HSTREAM odd = open(ogg);
    const char* list = bass().StreamGetTags(odd, 2);
    ASSERT_NE(list, nullptr);
    EXPECT_STREQ(list, "no equals sign");
    list += std::strlen(list) + 1;
    EXPECT_STREQ(list, "TITLE=");
    list += std::strlen(list) + 1;
    EXPECT_EQ(list[0], '\0');
    EXPECT_NE(bass().StreamGetTags(empty, 2), nullptr) << "each stream keeps its own block";
}

TEST_F(EngineTags, WavHasNoTags) {
    const HSTREAM s = open(WriteWav(dir_ / "a.wav", kTone));
    for (DWORD kind : {0u, 1u, 2u}) {
        EXPECT_EQ(bass().StreamGetTags(s, kind), nullptr);
        EXPECT_EQ(bass().ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    }
}

}  // namespace

#include "trackinfo/track_tags.h"

#include <gtest/gtest.h>

#include "engine/bass.h"
#include "tests/trackinfo/memory_track_source.h"
#include "tests/trackinfo/tag_blocks.h"

using namespace tagblocks;

namespace {
const char* Chars(const Block& block) {
    return reinterpret_cast<const char*>(block.data());
}
}  // namespace

TEST(TagBlocks, ExtentsComeFromEachBlocksOwnLayout) {
    EXPECT_TRUE(Id3v1Block(nullptr).empty());
    EXPECT_TRUE(Id3v2Block(nullptr).empty());
    EXPECT_TRUE(VorbisCommentBlock(nullptr).empty());

    const Block v1 = Id3v1("Song", "Band");
    EXPECT_EQ(Id3v1Block(Chars(v1)).size(), 128u);

    // Header and stated size; a version-4 footer after them is not part of the block.
    const Block v2 = Cat({Id3v2Tag(4, 0x10, Cat({TextFrame(4, "TIT2", "x"), Zeros(200)})),
                          Text("3DI"),
                          {4, 0, 0x10},
                          Syncsafe(216)});
    EXPECT_EQ(Id3v2Block(Chars(v2)).size(), v2.size() - 10);

    const Block comments = VorbisComments({"A=1", "TITLE=xyz"});
    EXPECT_EQ(VorbisCommentBlock(Chars(comments)).size(), comments.size());
    const Block none = VorbisComments({});
    EXPECT_EQ(VorbisCommentBlock(Chars(none)).size(), 1u);
}

TEST(TrackTags, ReadersAskTheirOwnKindAndGiveNothingWithoutIt) {
    MemoryTrackSource source;
    EXPECT_EQ(ReadId3v1Title(source), "");
    EXPECT_EQ(ReadId3v2Title(source), "");
    EXPECT_EQ(ReadVorbisTitle(source), "");
    EXPECT_EQ(ReadModuleTitle(source), "");

    source.SetTags(BASS_TAG_ID3, Id3v1("One", ""));
    source.SetTags(BASS_TAG_ID3V2, Id3v2Tag(3, 0, TextFrame(3, "TIT2", "Two")));
    source.SetTags(BASS_TAG_OGG, VorbisComments({"TITLE=Three"}));
    source.SetMusicName(" \tFour \x01");
    EXPECT_EQ(ReadId3v1Title(source), "One");
    EXPECT_EQ(ReadId3v2Title(source), "Two");
    EXPECT_EQ(ReadVorbisTitle(source), "Three");
    EXPECT_EQ(ReadModuleTitle(source), "Four");
}

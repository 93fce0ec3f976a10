#include "trackinfo/vorbis_comment_reader.h"

#include <gtest/gtest.h>

#include "tests/trackinfo/tag_blocks.h"

using namespace tagblocks;

TEST(ReadVorbisTitle, KeysMatchUpperCasedAndTheLastValueWins) {
    EXPECT_EQ(ReadVorbisTitle(VorbisComments({"artist=A", "TITLE=T"})), "A - T");
    EXPECT_EQ(ReadVorbisTitle(VorbisComments({"ARTIST=A", "ARTIST=B"})), "B");
    EXPECT_EQ(ReadVorbisTitle(VorbisComments({"Title=x=y"})), "x=y");
    EXPECT_EQ(ReadVorbisTitle(VorbisComments({"ARTISTS=A", "ARTIST =B", "TITLE=T"})), "T");
    EXPECT_EQ(ReadVorbisTitle(VorbisComments({"T\xC3\x8DTLE=x", "TITLE= \xC3\xA9t\xC3\xA9 "})),
              "\xC3\xA9t\xC3\xA9");
}

TEST(ReadVorbisTitle, ValuesAreTrimmedOnlyAfterTheScan) {
    // A later value of blanks replaces the artist and trims to nothing.
    EXPECT_EQ(ReadVorbisTitle(VorbisComments({"ARTIST=A", "ARTIST=   ", "TITLE=T"})), "T");
    // A value with nothing after '=' is ignored: the earlier one stays.
    EXPECT_EQ(ReadVorbisTitle(VorbisComments({"TITLE=T", "TITLE=", "ARTIST=A"})), "A - T");
}

TEST(ReadVorbisTitle, EntriesWithoutKeyOrEqualsEndTheScan) {
    EXPECT_EQ(ReadVorbisTitle(VorbisComments({"TITLE=T", "junk", "ARTIST=A"})), "T");
    EXPECT_EQ(ReadVorbisTitle(VorbisComments({"ARTIST=A", "=T", "TITLE=T"})), "A");
    EXPECT_EQ(ReadVorbisTitle(VorbisComments({})), "");
    // The empty text ends the list even when more texts follow it.
    EXPECT_EQ(ReadVorbisTitle(Cat({VorbisComments({"TITLE=T"}), Text("ARTIST=A"), {0}})), "T");
}

TEST(ReadVorbisTitle, BlocksWithoutTheirEndStopAtTheBlockEnd) {
    for (const HostileBlock& b : HostileVorbisBlocks()) {
        const std::vector<std::uint8_t> exact(b.bytes);  // exactly sized for ASan
        EXPECT_EQ(ReadVorbisTitle(exact), b.title) << b.name;
    }
}

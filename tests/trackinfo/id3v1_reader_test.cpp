#include "trackinfo/id3v1_reader.h"

#include <gtest/gtest.h>

#include "tests/trackinfo/tag_blocks.h"

using namespace tagblocks;

TEST(ReadId3v1Title, CutsFieldsAtNulAndTrims) {
    EXPECT_EQ(ReadId3v1Title(Id3v1("Song", "")), "Song");
    EXPECT_EQ(ReadId3v1Title(Id3v1("Y", "   ")), "Y");
    EXPECT_EQ(ReadId3v1Title(Id3v1("", "Band")), "Band");
    EXPECT_EQ(ReadId3v1Title(Id3v1("Song", "Band")), "Band - Song");
    EXPECT_EQ(ReadId3v1Title(Id3v1("                              ", "  ")), "");
    EXPECT_EQ(ReadId3v1Title(Id3v1(std::string_view("Ab\0cd", 5), "")), "Ab");
}

TEST(ReadId3v1Title, FullWidthFieldsAreTakenWholeAndDoNotRunIntoTheNext) {
    const std::string title30 = "T23456789012345678901234567890";
    const std::string artist30 = "A23456789012345678901234567890";
    Block block = Id3v1(title30, artist30);
    std::fill(block.begin() + 63, block.end(), 'z');  // album, year, comment, genre
    EXPECT_EQ(ReadId3v1Title(block), artist30 + " - " + title30);
}

TEST(ReadId3v1Title, BlocksShorterThanTheirFieldsStopAtTheirEnd) {
    for (const HostileBlock& b : HostileId3v1Blocks()) {
        const std::vector<std::uint8_t> exact(b.bytes);  // exactly sized for ASan
        EXPECT_EQ(ReadId3v1Title(exact), b.title) << b.name;
    }
}

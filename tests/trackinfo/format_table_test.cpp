#include "trackinfo/format_table.h"

#include <gtest/gtest.h>

TEST(ClassifyFile, ExtensionsAfterTheLastDotOfTheFileName) {
    EXPECT_EQ(ClassifyFile("/home/u/Music/song.Mp3"), 1);
    EXPECT_EQ(ClassifyFile("track.it"), 7);
    EXPECT_EQ(ClassifyFile("/x/.xm"), 8);
    EXPECT_EQ(ClassifyFile("a.UMX"), 12);
    EXPECT_EQ(ClassifyFile("/m/01 Intro.Flac"), format::Flac);
    EXPECT_EQ(ClassifyFile("a.opus"), format::Opus);
    EXPECT_EQ(ClassifyFile("a.fla"), 0);
    EXPECT_EQ(ClassifyFile("song.mp3.bak"), 0);
    EXPECT_EQ(ClassifyFile("song.mpeg"), 0);
    EXPECT_EQ(ClassifyFile("/dir.mp3/readme"), 0);
    EXPECT_EQ(ClassifyFile("a path without any dot"), 0);
    EXPECT_EQ(ClassifyFile("song.mp3 "), 0);
    EXPECT_EQ(ClassifyFile(""), 0);
}

TEST(ClassifyFile, OnlyAsciiLettersAreUpperCased) {
    // 0xE9 must not be folded to 0xC9 or anything else by a locale.
    EXPECT_EQ(ClassifyFile("song.mp\xE9"), 0);
    EXPECT_TRUE(EqualsUpperCased("mO3", "MO3"));
    EXPECT_FALSE(EqualsUpperCased("\xE9", "\xC9"));
}

TEST(FormatTable, TheOriginalTwelveKeepTheirCodesAndTheNewOnesFollow) {
    for (size_t i = 0; i < kFormatTable.size(); ++i) EXPECT_EQ(kFormatTable[i].code, i + 1);
    EXPECT_EQ(format::Umx, 12);
    EXPECT_EQ(format::Flac, 13);
    EXPECT_EQ(format::Opus, 14);
    for (FormatCode code = 1; code <= 14; ++code)
        EXPECT_EQ(IsStreamFormat(code), code <= 5 || code >= 13) << int(code);
    EXPECT_FALSE(IsStreamFormat(0));
    EXPECT_FALSE(IsStreamFormat(15));
}

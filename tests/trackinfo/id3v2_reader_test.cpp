#include "trackinfo/id3v2_reader.h"

#include <gtest/gtest.h>

#include "tests/trackinfo/tag_blocks.h"

using namespace tagblocks;

namespace {
std::uint32_t Syncsafe4(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    const std::uint8_t bytes[4] = {b0, b1, b2, b3};
    return SyncsafeToInt(bytes);
}

// Frame data with the given format flags: [group byte] encoding byte, text.
Block FlaggedText(std::uint8_t version, std::string_view id, std::string_view text,
                  std::uint8_t formatFlags, bool grouped = false) {
    Block data = grouped ? Block{0x7E, 0} : Block{0};
    const Block bytes = Text(text);
    data.insert(data.end(), bytes.begin(), bytes.end());
    return Frame(version, id, data, formatFlags);
}
}  // namespace

TEST(Id3v2Integers, SyncsafeDropsTheTopBitOfTheLastThreeBytesOnly) {
    EXPECT_EQ(Syncsafe4(0x00, 0x00, 0x02, 0x01), 257u);
    EXPECT_EQ(Syncsafe4(0x00, 0x00, 0x01, 0x7F), 255u);
    EXPECT_EQ(Syncsafe4(0x00, 0x80, 0x00, 0x00), 0u);
    EXPECT_EQ(Syncsafe4(0x80, 0x00, 0x00, 0x00), 1u << 28);
    EXPECT_EQ(Syncsafe4(0xFF, 0xFF, 0xFF, 0xFF), (1u << 29) - 1);
    const std::uint8_t big[4] = {0xFF, 0x00, 0x01, 0x80};
    EXPECT_EQ(BigEndianToInt(big), 0xFF000180u);
}

TEST(ReadId3v2Title, WorkedExampleOfAVersion3Tag) {
    const Block block = Cat({Text("ID3"),
                             {0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1E},
                             Text("TIT2"),
                             {0, 0, 0, 5, 0, 0, 0},
                             Text("Song"),
                             Zeros(15)});
    ASSERT_EQ(block.size(), 40u);
    EXPECT_EQ(ReadId3v2Title(block), "Song");
}

TEST(ReadId3v2Title, ArtistAndTitleFromBothVersions) {
    for (std::uint8_t v : {3, 4}) {
        const Block tag =
            Id3v2Tag(v, 0,
                     Cat({TextFrame(v, "TPE1", "Band"), TextFrame(v, "TALB", "Album"),
                          TextFrame(v, "TIT2", std::string_view(" Song\0B-side", 12)), Zeros(30)}));
        EXPECT_EQ(ReadId3v2Title(tag), "Band - Song") << int(v);
        EXPECT_EQ(ReadId3v2Title(Id3v2Tag(v, 0, TextFrame(v, "TPE1", "Band"))), "Band");
    }
}

TEST(ReadId3v2Title, TextIsCutAtItsFirstNul) {
    const std::string_view values("One\0Two\0", 8);
    EXPECT_EQ(ReadId3v2Title(Id3v2Tag(3, 0, TextFrame(3, "TIT2", values))), "One");
}

TEST(ReadId3v2Title, OnlyEncodingZeroFramesWithTextAreTaken) {
    EXPECT_EQ(ReadId3v2Title(Id3v2Tag(3, 0, TextFrame(3, "TIT2", "Song", 1))), "");
    EXPECT_EQ(ReadId3v2Title(Id3v2Tag(4, 0, TextFrame(4, "TIT2", "Song", 3))), "");
    // Size 1: the encoding byte alone.
    EXPECT_EQ(ReadId3v2Title(Id3v2Tag(3, 0, Cat({TextFrame(3, "TIT2", ""), Zeros(10)}))), "");
    EXPECT_EQ(ReadId3v2Title(Id3v2Tag(3, 0, TextFrame(3, "tit2", "Song"))), "");
}

TEST(ReadId3v2Title, TheLaterFrameWinsEvenWhenItTrimsToEmpty) {
    EXPECT_EQ(ReadId3v2Title(Id3v2Tag(
                  3, 0, Cat({TextFrame(3, "TIT2", "First"), TextFrame(3, "TIT2", "Second")}))),
              "Second");
    EXPECT_EQ(
        ReadId3v2Title(Id3v2Tag(4, 0,
                                Cat({TextFrame(4, "TPE1", "Band"), TextFrame(4, "TIT2", "First"),
                                     TextFrame(4, "TIT2", "   ")}))),
        "Band");
}

TEST(ReadId3v2Title, GroupedFramesHaveTheirEncodingByteAfterTheGroupByte) {
    EXPECT_EQ(ReadId3v2Title(Id3v2Tag(3, 0, FlaggedText(3, "TIT2", "Song", 0x20, true))), "Song");
    EXPECT_EQ(ReadId3v2Title(Id3v2Tag(4, 0, FlaggedText(4, "TIT2", "Song", 0x40, true))), "Song");
    // Version 3's grouping bit means nothing in version 4: the group byte is then read as the
    // encoding byte and rejects the frame.
    EXPECT_EQ(ReadId3v2Title(Id3v2Tag(4, 0, FlaggedText(4, "TIT2", "Song", 0x20, true))), "");
}

TEST(ReadId3v2Title, CompressedEncryptedAndUnsynchronisedFramesAreSkippedAndTheWalkGoesOn) {
    for (std::uint8_t flags : {0x80, 0x40}) {
        const Block tag = Id3v2Tag(
            3, 0, Cat({FlaggedText(3, "TIT2", "Packed", flags), TextFrame(3, "TPE1", "Band")}));
        EXPECT_EQ(ReadId3v2Title(tag), "Band") << int(flags);
    }
    for (std::uint8_t flags : {0x08, 0x04, 0x02, 0x01}) {
        const Block tag = Id3v2Tag(
            4, 0, Cat({FlaggedText(4, "TIT2", "Packed", flags), TextFrame(4, "TPE1", "Band")}));
        EXPECT_EQ(ReadId3v2Title(tag), "Band") << int(flags);
    }
    // Status flags and version 4's high format bits do not matter.
    Block kept = Id3v2Tag(4, 0, FlaggedText(4, "TIT2", "Song", 0x80 | 0x20 | 0x10));
    kept[18] = 0xFF;
    EXPECT_EQ(ReadId3v2Title(kept), "Song");
}

TEST(ReadId3v2Title, UnsynchronisedVersion3AndOtherVersionsGiveNothing) {
    const Block frames = TextFrame(3, "TIT2", "Song");
    EXPECT_EQ(ReadId3v2Title(Id3v2Tag(3, 0x80, frames)), "");
    EXPECT_EQ(ReadId3v2Title(Id3v2Tag(2, 0, frames)), "");
    EXPECT_EQ(ReadId3v2Title(Id3v2Tag(5, 0, frames)), "");
    // Version 4 marks unsynchronisation per frame; the tag flag alone does not stop the walk.
    EXPECT_EQ(ReadId3v2Title(Id3v2Tag(4, 0x80, TextFrame(4, "TIT2", "Song"))), "Song");
}

TEST(ReadId3v2Title, ExtendedHeadersOfBothVersionsAreSkipped) {
    // Version 3: the size field counts the six bytes after itself; first frame at 20.
    const Block v3 = Id3v2Tag(3, 0x40, Cat({BigEndian(6), Zeros(6), TextFrame(3, "TIT2", "A")}));
    ASSERT_EQ(v3[20], 'T');
    EXPECT_EQ(ReadId3v2Title(v3), "A");
    // Version 4: the syncsafe size counts the whole extended header; first frame at 16.
    const Block v4 = Id3v2Tag(4, 0x40, Cat({Syncsafe(6), Zeros(2), TextFrame(4, "TIT2", "B")}));
    ASSERT_EQ(v4[16], 'T');
    EXPECT_EQ(ReadId3v2Title(v4), "B");
}

TEST(ReadId3v2Title, PaddingAndFooterAreNeverTakenAsFrames) {
    const Block footer = Cat({Text("3DI"), {4, 0, 0x10}, Syncsafe(40)});
    const Block padded = Id3v2Tag(4, 0x10, Cat({TextFrame(4, "TIT2", "Song"), Zeros(25)}));
    EXPECT_EQ(ReadId3v2Title(Cat({padded, footer})), "Song");
    // A frame that reaches into the footer runs past the tag: the footer is not part of it.
    const Block intoFooter = Cat({Text("TIT2"), Syncsafe(15), {0, 0, 0}, Text("Song")});
    EXPECT_EQ(ReadId3v2Title(Cat({Id3v2Tag(4, 0x10, intoFooter), footer})), "");
}

TEST(ReadId3v2Title, AFrameRunningPastTheTagEndIsNotTakenAndEndsTheWalk) {
    Block frame = TextFrame(3, "TIT2", "Song");
    const Block tag = Id3v2Tag(3, 0, Cat({frame, TextFrame(3, "TPE1", "Band")}));
    Block oversized = tag;
    oversized[17] = 0x7F;  // TIT2 now claims far more than the tag holds
    EXPECT_EQ(ReadId3v2Title(oversized), "");
    // The frame that ends exactly at the tag's end is taken.
    EXPECT_EQ(ReadId3v2Title(Id3v2Tag(3, 0, frame)), "Song");
    // Bytes beyond the stated size are not part of the tag.
    Block shortStated = Id3v2Tag(3, 0, frame);
    shortStated[9] -= 1;
    EXPECT_EQ(ReadId3v2Title(shortStated), "");
}

TEST(ReadId3v2Title, HostileSizesStopTheWalkInsideTheBlock) {
    for (const HostileBlock& b : HostileId3v2Blocks()) {
        const std::vector<std::uint8_t> exact(b.bytes);  // exactly sized for ASan
        EXPECT_EQ(ReadId3v2Title(exact), b.title) << b.name;
    }
}

#include <gtest/gtest.h>

#include "tests/media/id3.h"

namespace media {
namespace {

Bytes Text(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(Id3v1Tag, FieldsSitAtTheirOffsetsCutOrNulPadded) {
    const Bytes tag = Id3v1Tag({.title = "Song",
                                .artist = std::string(35, 'A'),
                                .album = "Album",
                                .year = "19999",
                                .comment = "c",
                                .genre = 17});
    ASSERT_EQ(tag.size(), 128u);
    EXPECT_EQ(Bytes(tag.begin(), tag.begin() + 3), Text("TAG"));
    EXPECT_EQ(Bytes(tag.begin() + 3, tag.begin() + 33), Concat({Text("Song"), Bytes(26, 0)}));
    EXPECT_EQ(Bytes(tag.begin() + 33, tag.begin() + 63), Bytes(30, 'A'));  // cut, no NUL
    EXPECT_EQ(Bytes(tag.begin() + 63, tag.begin() + 69), Concat({Text("Album"), Bytes(1, 0)}));
    EXPECT_EQ(Bytes(tag.begin() + 93, tag.begin() + 97), Text("1999"));
    EXPECT_EQ(tag[97], 'c');
    EXPECT_EQ(tag[98], 0);
    EXPECT_EQ(tag[127], 17);
}

TEST(Id3v2Tag, Version3SingleFrameMatchesTheReferenceBytes) {
    // ID3, version 3, flags 0, size 30; TIT2 of size 5: encoding 0 and "Song"; 15 zero bytes.
    const Bytes expected = Concat({{0x49, 0x44, 0x33, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1E},
                                   {0x54, 0x49, 0x54, 0x32, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00},
                                   {0x00, 0x53, 0x6F, 0x6E, 0x67},
                                   Bytes(15, 0)});
    EXPECT_EQ(Id3v2Tag({.version = 3, .frames = {TextFrame("TIT2", "Song")}, .padding = 15}),
              expected);
}

TEST(Id3v2Tag, SizesAreSyncsafeInTheHeaderAndInVersion4Frames) {
    EXPECT_EQ(Syncsafe(257), (Bytes{0, 0, 2, 1}));
    EXPECT_EQ(Syncsafe(255), (Bytes{0, 0, 1, 0x7F}));
    EXPECT_EQ(Syncsafe(1u << 28), (Bytes{0x80, 0, 0, 0}));
    EXPECT_THROW(Syncsafe(1u << 29), std::invalid_argument);

    const std::string text(199, 'x');  // frame size 200: 0x000000C8, syncsafe 00 00 01 48
    const Bytes v4 = Id3v2Tag({.version = 4, .frames = {TextFrame("TPE1", text)}});
    EXPECT_EQ(Bytes(v4.begin() + 6, v4.begin() + 10), Syncsafe(210));
    EXPECT_EQ(Bytes(v4.begin() + 14, v4.begin() + 18), (Bytes{0, 0, 1, 0x48}));
    const Bytes v3 = Id3v2Tag({.version = 3, .frames = {TextFrame("TPE1", text)}});
    EXPECT_EQ(Bytes(v3.begin() + 14, v3.begin() + 18), (Bytes{0, 0, 0, 0xC8}));
}

TEST(Id3v2Tag, ExtendedHeadersPutTheFirstFrameWhereReadersLook) {
    const Bytes v3 =
        Id3v2Tag({.version = 3, .frames = {TextFrame("TIT2", "T")}, .extendedHeader = true});
    EXPECT_EQ(v3[5], 0x40);
    EXPECT_EQ(Bytes(v3.begin() + 10, v3.begin() + 14), (Bytes{0, 0, 0, 6}));
    EXPECT_EQ(Bytes(v3.begin() + 20, v3.begin() + 24), Text("TIT2"));  // 10 + 4 + 6

    const Bytes v4 =
        Id3v2Tag({.version = 4, .frames = {TextFrame("TIT2", "T")}, .extendedHeader = true});
    EXPECT_EQ(v4[5], 0x40);
    EXPECT_EQ(Bytes(v4.begin() + 10, v4.begin() + 14), Syncsafe(6));
    EXPECT_EQ(Bytes(v4.begin() + 16, v4.begin() + 20), Text("TIT2"));
}

TEST(Id3v2Tag, Version4FooterFollowsTheStatedSize) {
    const Bytes tag =
        Id3v2Tag({.version = 4, .frames = {TextFrame("TIT2", "T")}, .padding = 3, .footer = true});
    const std::size_t stated = 10 + 2 + 3;
    ASSERT_EQ(tag.size(), 10 + stated + 10);
    EXPECT_EQ(tag[5], 0x10);
    EXPECT_EQ(Bytes(tag.begin() + 6, tag.begin() + 10), Syncsafe(stated));
    EXPECT_EQ(Bytes(tag.end() - 10, tag.end() - 7), Text("3DI"));
    EXPECT_EQ(Bytes(tag.end() - 7, tag.end()), Bytes(tag.begin() + 3, tag.begin() + 10));
}

TEST(Id3v2Tag, GroupingSetsTheVersionsBitAndPrecedesTheEncodingByte) {
    Id3v2Frame frame = TextFrame("TIT2", "T");
    frame.group = 0x99;
    const Bytes v3 = Id3v2Tag({.version = 3, .frames = {frame}});
    EXPECT_EQ(v3[10 + 7], 3);  // group byte + encoding + "T"
    EXPECT_EQ(v3[10 + 9], 0x20);
    EXPECT_EQ(Bytes(v3.begin() + 20, v3.end()), (Bytes{0x99, 0, 'T'}));
    const Bytes v4 = Id3v2Tag({.version = 4, .frames = {frame}});
    EXPECT_EQ(v4[10 + 9], 0x40);
}

TEST(Id3v2Tag, BrokenSizesAndFlagsAreWrittenAsGiven) {
    Id3v2Frame frame = TextFrame("TIT2", "T", 1);
    frame.statedSize = 1000;
    frame.formatFlags = 0x80;
    const Bytes tag =
        Id3v2Tag({.version = 2, .frames = {frame}, .extraFlags = 0x80, .statedSize = 5});
    EXPECT_EQ(tag[3], 2);
    EXPECT_EQ(tag[5], 0x80);
    EXPECT_EQ(Bytes(tag.begin() + 6, tag.begin() + 10), Syncsafe(5));
    EXPECT_EQ(Bytes(tag.begin() + 14, tag.begin() + 18), (Bytes{0, 0, 0x03, 0xE8}));
    EXPECT_EQ(tag[19], 0x80);
    EXPECT_EQ(tag[20], 1);
    EXPECT_EQ(tag.size(), 22u);
}

}  // namespace
}  // namespace media

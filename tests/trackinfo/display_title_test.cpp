#include "trackinfo/display_title.h"

#include <gtest/gtest.h>

#include "engine/bass.h"
#include "tests/trackinfo/memory_track_source.h"
#include "tests/trackinfo/tag_blocks.h"

using namespace tagblocks;

TEST(TitleFromFileName, CutsTheExtensionOfTheCodeFromTheFileName) {
    const FormatCode mp3 = 1;
    EXPECT_EQ(TitleFromFileName(mp3, "/x/song.mp3"), "song");
    EXPECT_EQ(TitleFromFileName(mp3, "/x/a.mp3"), "a");
    EXPECT_EQ(TitleFromFileName(mp3, "/x/song.tar.mp3"), "song.tar");
    EXPECT_EQ(TitleFromFileName(mp3, "/x/.mp3"), ".mp3");
    EXPECT_EQ(TitleFromFileName(mp3, "/x/.hidden.mp3"), ".hidden");
    EXPECT_EQ(TitleFromFileName(mp3, "/x/  song.mp3"), "  song");
    EXPECT_EQ(TitleFromFileName(mp3, "/x/song.mp3  "), "song");
    EXPECT_EQ(TitleFromFileName(mp3, "C:/music/song.mp3"), "song");
    EXPECT_EQ(TitleFromFileName(mp3, "C:\\x\\song.mp3"), "C:\\x\\song");  // '\' is a character
    EXPECT_EQ(TitleFromFileName(mp3, "/x/song.ogg"), "song.ogg");
    EXPECT_EQ(TitleFromFileName(mp3, "/x/song."), "song.");
    EXPECT_EQ(TitleFromFileName(mp3, "/x/song"), "song");
    EXPECT_EQ(TitleFromFileName(mp3, "/x/s"), "s");
    EXPECT_EQ(TitleFromFileName(mp3, "song.MP3"), "song");
    EXPECT_EQ(TitleFromFileName(mp3, "/x/"), "");
    EXPECT_EQ(TitleFromFileName(mp3, "/x/   "), "   ");
    EXPECT_EQ(TitleFromFileName(5, "/d/a/b.c/take.two.WAV"), "take.two");
    EXPECT_EQ(TitleFromFileName(7, "/m/tune.it"), "tune");
    EXPECT_EQ(TitleFromFileName(format::Flac, "/m/01 Intro.FLAC"), "01 Intro");
    EXPECT_EQ(TitleFromFileName(format::Opus, "/m/01 Intro.opus"), "01 Intro");
    EXPECT_EQ(TitleFromFileName(format::Opus, "/m/01 Intro.ogg"), "01 Intro.ogg");
    // No table entry: the whole file name.
    EXPECT_EQ(TitleFromFileName(0, "/x/song.mp3"), "song.mp3");
    EXPECT_EQ(TitleFromFileName(15, "/x/song.mp3"), "song.mp3");
}

class GetSongTitleTest : public ::testing::Test {
  protected:
    std::string Title(FormatCode code, int track = 0) {
        return GetSongTitle(code, track, entries, source);
    }
    std::vector<std::string> entries{"/home/u/Music/Song.mp3"};
    MemoryTrackSource source;
};

TEST_F(GetSongTitleTest, Id3v2FirstThenId3v1ThenTheFileName) {
    EXPECT_EQ(Title(1), "Song");
    source.SetTags(BASS_TAG_ID3, Id3v1("Y", "   "));
    EXPECT_EQ(Title(1), "Y");
    // A tag without usable frames leaves the title to ID3v1.
    source.SetTags(BASS_TAG_ID3V2, Id3v2Tag(3, 0, TextFrame(3, "TIT2", "Song", 1)));
    EXPECT_EQ(Title(2), "Y");
    source.SetTags(BASS_TAG_ID3V2, Id3v2Tag(2, 0, TextFrame(3, "TIT2", "Song")));
    EXPECT_EQ(Title(3), "Y");
    // ID3v2 with a title only (or an artist only) wins over a full ID3v1 tag.
    source.SetTags(BASS_TAG_ID3, Id3v1("Y", "X"));
    source.SetTags(BASS_TAG_ID3V2, Id3v2Tag(3, 0, TextFrame(3, "TIT2", "Song")));
    EXPECT_EQ(Title(1), "Song");
    source.SetTags(BASS_TAG_ID3V2, Id3v2Tag(4, 0, TextFrame(4, "TPE1", "Band")));
    EXPECT_EQ(Title(1), "Band");
    source.SetTags(
        BASS_TAG_ID3V2,
        Id3v2Tag(4, 0, Cat({TextFrame(4, "TPE1", "Band"), TextFrame(4, "TIT2", "Song")})));
    EXPECT_EQ(Title(1), "Band - Song");
}

TEST_F(GetSongTitleTest, EachFormatAsksOnlyItsOwnSource) {
    source.SetTags(BASS_TAG_ID3, Id3v1("Id3", ""));
    source.SetTags(BASS_TAG_OGG, VorbisComments({"TITLE=Ogg"}));
    source.SetMusicName("  Space Tune  ");
    entries = {"/m/01 Intro.mp3", "/m/x.ogg", "/d/a/b.c/take.two.WAV", "/m/tune.xm"};
    EXPECT_EQ(GetSongTitle(1, 0, entries, source), "Id3");
    EXPECT_EQ(GetSongTitle(4, 1, entries, source), "Ogg");
    EXPECT_EQ(GetSongTitle(format::Flac, 1, entries, source), "Ogg");
    EXPECT_EQ(GetSongTitle(format::Opus, 1, entries, source), "Ogg");
    EXPECT_EQ(GetSongTitle(5, 2, entries, source), "take.two");
    for (FormatCode module = 6; module <= 12; ++module)
        EXPECT_EQ(GetSongTitle(module, 3, entries, source), "Space Tune") << int(module);
    source.SetMusicName("   ");
    EXPECT_EQ(GetSongTitle(8, 3, entries, source), "tune");
    EXPECT_EQ(GetSongTitle(4, 0, {"/m/01 Intro.mp3"}, MemoryTrackSource()), "01 Intro.mp3");
    EXPECT_EQ(GetSongTitle(1, 0, {"/m/01 Intro.mp3"}, MemoryTrackSource()), "01 Intro");
    EXPECT_EQ(GetSongTitle(format::Flac, 0, {"/m/01 Intro.flac"}, MemoryTrackSource()), "01 Intro");
}

TEST_F(GetSongTitleTest, NoCurrentTrackGivesTheProductName) {
    source.SetTags(BASS_TAG_ID3V2, Id3v2Tag(3, 0, TextFrame(3, "TIT2", "Song")));
    EXPECT_EQ(Title(0), "Vyn Player");
    EXPECT_EQ(Title(1, -1), "Vyn Player");
    // The entry was removed while it played: tags still name it, else the product name.
    EXPECT_EQ(Title(1, 5), "Song");
    EXPECT_EQ(GetSongTitle(1, 5, entries, MemoryTrackSource()), "Vyn Player");
    EXPECT_EQ(GetSongTitle(5, 1, {}, MemoryTrackSource()), "Vyn Player");
}

TEST_F(GetSongTitleTest, EveryCallReadsTheTagsAfresh) {
    source.SetTags(BASS_TAG_ID3V2, Id3v2Tag(3, 0, TextFrame(3, "TIT2", "First")));
    EXPECT_EQ(Title(1), "First");
    source.SetTags(BASS_TAG_ID3V2, Id3v2Tag(3, 0, TextFrame(3, "TIT2", "Second")));
    EXPECT_EQ(Title(1), "Second");
}

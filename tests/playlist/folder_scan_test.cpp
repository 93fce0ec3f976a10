#include "playlist/folder_scan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "platform/folder_search.h"
#include "playlist/entry_path.h"
#include "playlist/natural_order.h"
#include "tests/playlist/temp_folder.h"

using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAre;

TEST(Wildcard, MatchesLikeTheDesktopsFileSearch) {
    EXPECT_TRUE(MatchesWildcard("song.mp3", "*.MP3"));
    EXPECT_TRUE(MatchesWildcard("SONG.Mp3", "*.mp3"));
    EXPECT_TRUE(MatchesWildcard(".mp3", "*.MP3"));
    EXPECT_TRUE(MatchesWildcard("a.b.mp3", "*.MP3"));
    EXPECT_TRUE(MatchesWildcard("a.mp3.mp3", "*.MP3"));
    EXPECT_FALSE(MatchesWildcard("song.mp3x", "*.MP3"));
    EXPECT_FALSE(MatchesWildcard("song.mp", "*.MP3"));
    EXPECT_FALSE(MatchesWildcard("songmp3", "*.MP3"));
    EXPECT_TRUE(MatchesWildcard("x.it", "*.IT"));
    EXPECT_FALSE(MatchesWildcard("x.bit", "*.IT"));
    EXPECT_TRUE(MatchesWildcard("ab", "a?"));
    EXPECT_FALSE(MatchesWildcard("a", "a?"));
    EXPECT_TRUE(MatchesWildcard("", "*"));
    EXPECT_TRUE(MatchesWildcard("abcabd", "*a*d"));
    // Case folding is for ASCII letters only: other bytes match only themselves.
    EXPECT_FALSE(MatchesWildcard("\xE0.mp3", "\xC0.MP3"));
    EXPECT_TRUE(MatchesWildcard("\xC0\xFF.mp3", "*.MP3"));
}

TEST(FolderEntries, PatternsAreTheFormatTablesExtensionsWithMp1LastOfTheOriginalTwelve) {
    EXPECT_THAT(kFolderScanPatterns,
                ElementsAre("*.MP3", "*.MP2", "*.OGG", "*.WAV", "*.MO3", "*.IT", "*.XM", "*.S3M",
                            "*.MTM", "*.MOD", "*.UMX", "*.MP1", "*.FLAC", "*.OPUS"));
}

TEST(FolderEntries, FirstPatternWithAMatchDecidesInNameOrder) {
    const std::vector<std::string> names = {"b.mp3", "x.ogg", "a.MP3", "c.wav"};
    EXPECT_THAT(EntriesFromFolderNames("/m/", names), ElementsAre("/m/a.MP3", "/m/b.mp3"));
    EXPECT_THAT(EntriesFromFolderNames("/m/", {"z.umx", "y.mod", "x.mp1"}),
                ElementsAre("/m/y.mod"));
    EXPECT_THAT(EntriesFromFolderNames("/m/", {"1.mp1", "notes.txt", "2.MP1"}),
                ElementsAre("/m/1.mp1", "/m/2.MP1"));
    EXPECT_THAT(EntriesFromFolderNames("/m/", {"cover.jpg", "notes.txt"}), IsEmpty());
    // An album of FLAC or Opus files; any of the original twelve beside them wins.
    EXPECT_THAT(EntriesFromFolderNames("/m/", {"2.flac", "cover.jpg", "1.FLAC", "x.opus"}),
                ElementsAre("/m/1.FLAC", "/m/2.flac"));
    EXPECT_THAT(EntriesFromFolderNames("/m/", {"b.opus", "a.opus"}),
                ElementsAre("/m/a.opus", "/m/b.opus"));
    EXPECT_THAT(EntriesFromFolderNames("/m/", {"a.flac", "z.mp1"}), ElementsAre("/m/z.mp1"));
}

TEST(NaturalOrder, CaseIgnoredAndDigitRunsByValue) {
    // Each list is in the expected order; it is sorted from its reverse and a rotation.
    const std::vector<std::vector<std::string>> orders = {
        {"track1", "track2", "Track10", "track10b", "TRACK11"},
        {"01 - a", "2 - b", "03 - c", "10 - d", "011 - e", "100"},
        {"a", "A1", "a2", "a02x", "a10", "B", "b1"},
        {"0", "00", "000", "01", "1", "x0", "x00"},  // equal values: by bytes
        {"A", "a", "ab", "aB1", "Ab2"},
        {"9", "10", "99999999999999999999", "100000000000000000000"},  // past 64 bits
        {"\xD0\xB0\xD0\xB1", "\xD0\x91\xD0\xB2"},  // Cyrillic "аб", "Бв" in UTF-8
        {"", " ", "-", "1", "a"},
    };
    for (const auto& order : orders) {
        std::vector<std::string> names(order.rbegin(), order.rend());
        SortNaturally(names);
        EXPECT_EQ(names, order);
        names = order;
        std::rotate(names.begin(), names.begin() + names.size() / 2, names.end());
        SortNaturally(names);
        EXPECT_EQ(names, order);
    }
}

TEST(FolderEntries, RootFolderGivesOneSlash) {
    EXPECT_THAT(EntriesFromFolderNames("/", {"a.ogg"}), ElementsAre("/a.ogg"));
    EXPECT_EQ(JoinFolderAndName("/", "a.ogg"), "/a.ogg");
    EXPECT_EQ(JoinFolderAndName("/m", "a.ogg"), "/m/a.ogg");
    EXPECT_EQ(JoinFolderAndName("/m/", "a.ogg"), "/m/a.ogg");
    EXPECT_EQ(JoinFolderAndName("", "a.ogg"), "a.ogg");
}

TEST(EntryPath, FolderOfKeepsTheRootsSlash) {
    EXPECT_EQ(FolderOf("/m/a.ogg"), "/m");
    EXPECT_EQ(FolderOf("/a.ogg"), "/");
    EXPECT_EQ(FolderOf("/m/sub/"), "/m/sub");
    EXPECT_EQ(FolderOf("a.ogg"), "");
}

class ScanFolderOnDisk : public testing::Test {
  protected:
    TempFolder folder;
    std::string Slashed() const { return folder.path() + "/"; }
    void Touch(const std::string& name) { WriteBytes(folder / name, ""); }
};

TEST_F(ScanFolderOnDisk, Mp3WinsOverOgg) {
    Touch("one.mp3");
    Touch("two.MP3");
    Touch("three.ogg");
    EXPECT_THAT(ScanFolder(Slashed()),
                UnorderedElementsAre(folder / "one.mp3", folder / "two.MP3"));
}

// Whatever order the files were made in (and the file system lists them in), they come in
// the order a file manager shows them.
TEST_F(ScanFolderOnDisk, ComesInNaturalNameOrder) {
    std::vector<std::string> album;
    for (int track = 1; track <= 12; ++track)
        album.push_back((track < 10 ? "0" : "") + std::to_string(track) + " - Track.mp3");
    album.insert(album.end(), {"track1.mp3", "track2.MP3", "Track10.mp3", "track10b.mp3"});
    std::vector<std::string> made = album;
    std::mt19937 shuffle(11);
    std::shuffle(made.begin(), made.end(), shuffle);
    for (const std::string& name : made) Touch(name);
    Touch("00.ogg");  // another pattern: not taken, not in the way
    std::vector<std::string> expected;
    for (const std::string& name : album) expected.push_back(folder / name);
    EXPECT_EQ(ScanFolder(Slashed()), expected);
}

TEST_F(ScanFolderOnDisk, Mp1OnlyWhenNothingElseMatches) {
    Touch("x.mp1");
    Touch("y.MP1");
    EXPECT_THAT(ScanFolder(Slashed()), UnorderedElementsAre(folder / "x.mp1", folder / "y.MP1"));
    Touch("z.umx");
    EXPECT_THAT(ScanFolder(Slashed()), ElementsAre(folder / "z.umx"));
}

TEST_F(ScanFolderOnDisk, SubFolderNamedLikeMusicIsTakenButNotEntered) {
    std::filesystem::create_directories(folder / "album.mp3/inner");
    WriteBytes(folder / "album.mp3/inner.mp3", "");
    Touch("song.wav");
    EXPECT_THAT(ScanFolder(Slashed()), ElementsAre(folder / "album.mp3"));
}

TEST_F(ScanFolderOnDisk, HiddenAndOddNamesAreKeptAsBytes) {
    Touch(".hidden.ogg");
    Touch(" blank .ogg ");  // ends in a blank: no match
    Touch(" blank.ogg");
    Touch("\xC0\xEF\xF0.ogg");
    EXPECT_THAT(ScanFolder(Slashed()),
                UnorderedElementsAre(folder / ".hidden.ogg", folder / " blank.ogg",
                                     folder / "\xC0\xEF\xF0.ogg"));
}

TEST_F(ScanFolderOnDisk, EmptyOrMissingFolderGivesNothing) {
    EXPECT_THAT(ScanFolder(Slashed()), IsEmpty());
    EXPECT_THAT(ScanFolder(folder / "missing/"), IsEmpty());
}

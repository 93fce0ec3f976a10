// Paths handed over by the command line, a drop or OpenUri: each kind adds what its menu
// command would, in the order given, and what can't be added is named.
#include "playlist/path_intake.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/playlist/temp_folder.h"

using testing::ElementsAre;
using testing::IsEmpty;

class PathIntakeTest : public testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(folder /
                                            "album/sub.mp3");  // a folder named like a file
        std::filesystem::create_directories(folder / "empty");
        for (const char* name : {"album/b.mp3", "album/a.mp3", "album/c.ogg", "one.OGG",
                                 "notes.txt", "two.flac", "three.Opus"})
            WriteBytes(folder / name, "x");
        WriteBytes(folder / "list.m3u8", "#EXTM3U\nalbum/c.ogg\n/abs/else.mp3\n");
    }
    TempFolder folder;
};

TEST_F(PathIntakeTest, EachKindInTheOrderGiven) {
    const PathIntake intake =
        EntriesFromPaths({"one.OGG", folder / "list.m3u8", "./album/../album/", "",
                          folder / "empty", "two.flac", "three.Opus"},
                         folder.path());
    EXPECT_THAT(intake.entries,
                ElementsAre(folder / "one.OGG", folder / "album/c.ogg", "/abs/else.mp3",
                            // the folder's MP3s as "Добавить папку" takes them, sub-folder too
                            testing::_, testing::_, testing::_, folder / "two.flac",
                            folder / "three.Opus"));
    std::vector<std::string> scanned(intake.entries.begin() + 3, intake.entries.begin() + 6);
    std::sort(scanned.begin(), scanned.end());
    EXPECT_THAT(scanned, ElementsAre(folder / "album/a.mp3", folder / "album/b.mp3",
                                     folder / "album/sub.mp3"));
    EXPECT_THAT(intake.rejected, IsEmpty());
}

TEST_F(PathIntakeTest, MissingAndUnknownPathsAreNamedAndTheRestIsKept) {
    const PathIntake intake = EntriesFromPaths(
        {"gone.mp3", folder / "notes.txt", "album/a.mp3", "/nowhere/x.xspf"}, folder.path() + "/");
    EXPECT_THAT(intake.entries, ElementsAre(folder / "album/a.mp3"));
    EXPECT_THAT(intake.rejected,
                ElementsAre(folder / "gone.mp3", folder / "notes.txt", "/nowhere/x.xspf"));
    const std::string text = RejectedPathsText(intake.rejected);
    EXPECT_NE(text.find("\n" + folder / "gone.mp3" + "\n"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("\n/nowhere/x.xspf")) << text;
}

#include "playlist/playlist_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/exceptions.h"
#include "tests/playlist/temp_folder.h"

using testing::ElementsAre;
using testing::IsEmpty;
using testing::StartsWith;
using namespace std::string_literals;

TEST(PlaylistFormat, ExtensionIsComparedExactlyFromTheLastDot) {
    EXPECT_EQ(PlaylistFormatOf("/music/list.vyn"), PlaylistFormat::Native);
    EXPECT_EQ(PlaylistFormatOf("/music/list.m3u"), PlaylistFormat::M3u);
    EXPECT_EQ(PlaylistFormatOf("/music/list.m3u.vyn"), PlaylistFormat::Native);
    EXPECT_EQ(PlaylistFormatOf("/music/list.VYN"), PlaylistFormat::Unknown);
    EXPECT_EQ(PlaylistFormatOf("/music/list.M3U"), PlaylistFormat::Unknown);
    EXPECT_EQ(PlaylistFormatOf("/music/list.m3u8"), PlaylistFormat::M3u8);
    EXPECT_EQ(PlaylistFormatOf("/music/list.pls"), PlaylistFormat::Pls);
    EXPECT_EQ(PlaylistFormatOf("/music/list.xspf"), PlaylistFormat::Xspf);
    EXPECT_EQ(PlaylistFormatOf("/music/list.PLS"), PlaylistFormat::Unknown);
    EXPECT_EQ(PlaylistFormatOf("/music/list.vyn "), PlaylistFormat::Unknown);
    // A dot in a folder name is no extension of the file.
    EXPECT_EQ(PlaylistFormatOf("/music.vyn/list"), PlaylistFormat::Unknown);
    EXPECT_EQ(PlaylistFormatOf("/music/.vyn"), PlaylistFormat::Native);
    EXPECT_EQ(PlaylistFormatOf("list"), PlaylistFormat::Unknown);
}

TEST(PlaylistLines, EveryLineEndEndsALine) {
    const auto expected = ElementsAre("a", "b", "c");
    EXPECT_THAT(SplitPlaylistLines("a\r\nb\r\nc\r\n"), expected);
    EXPECT_THAT(SplitPlaylistLines("a\nb\nc\n"), expected);
    EXPECT_THAT(SplitPlaylistLines("a\rb\rc\r"), expected);
    EXPECT_THAT(SplitPlaylistLines("a\r\nb\rc\n"), expected);
}

TEST(PlaylistLines, LastLineWithoutLineEndCountsAndFinalLineEndAddsNothing) {
    EXPECT_THAT(SplitPlaylistLines("a\r\nb"), ElementsAre("a", "b"));
    EXPECT_THAT(SplitPlaylistLines("a\r\nb\r\n"), ElementsAre("a", "b"));
    EXPECT_THAT(SplitPlaylistLines("only"), ElementsAre("only"));
    EXPECT_THAT(SplitPlaylistLines(""), IsEmpty());
    EXPECT_THAT(SplitPlaylistLines("\r\n"), ElementsAre(""));
}

TEST(PlaylistLines, EmptyLinesInsideBecomeEmptyEntries) {
    EXPECT_THAT(SplitPlaylistLines("a\r\n\r\nb"), ElementsAre("a", "", "b"));
    // LF then CR is two line ends, not one.
    EXPECT_THAT(SplitPlaylistLines("a\n\rb"), ElementsAre("a", "", "b"));
    EXPECT_THAT(SplitPlaylistLines("a\r\r\nb"), ElementsAre("a", "", "b"));
    EXPECT_THAT(SplitPlaylistLines("\n\na"), ElementsAre("", "", "a"));
}

TEST(PlaylistLines, NulEndsTheText) {
    EXPECT_THAT(SplitPlaylistLines("a\r\nb\0c\r\nd"s), ElementsAre("a", "b"));
    EXPECT_THAT(SplitPlaylistLines("\0a\r\n"s), IsEmpty());
}

TEST(PlaylistLines, LinesAreTakenWholeAndUntrimmed) {
    const std::string longLine(100000, 'x');
    EXPECT_THAT(SplitPlaylistLines(" a \r\n\tb\t\r\n" + longLine),
                ElementsAre(" a ", "\tb\t", longLine));
    EXPECT_THAT(ParseNativePlaylist("#not a comment\r\nrelative/path.mp3\r\n"),
                ElementsAre("#not a comment", "relative/path.mp3"));
}

TEST(M3uList, CommentsAndBlankLinesAreSkipped) {
    EXPECT_THAT(ParseM3uPlaylist("#EXTM3U\r\n#EXTINF:123,Artist - Title\r\nsong.mp3\r\n\r\n"
                                 "  \r\n\t\r\nother.ogg",
                                 "/music"),
                ElementsAre("/music/song.mp3", "/music/other.ogg"));
}

TEST(M3uList, AbsolutePathsStayRelativeOnesGetTheListsFolder) {
    EXPECT_THAT(ParseM3uPlaylist("/elsewhere/a.mp3\nsub/b.mp3\n../c.mp3\n", "/music"),
                ElementsAre("/elsewhere/a.mp3", "/music/sub/b.mp3", "/music/../c.mp3"));
    EXPECT_THAT(ParseM3uPlaylist("a.mp3\n/b.mp3\n", "/"), ElementsAre("/a.mp3", "/b.mp3"));
}

TEST(M3uList, ByteOrderMarkDoesNotHideTheHeader) {
    EXPECT_THAT(ParseM3uPlaylist("\xEF\xBB\xBF#EXTM3U\nsong.mp3\n", "/m"),
                ElementsAre("/m/song.mp3"));
}

TEST(M3uList, EntryBytesAreKept) {
    EXPECT_THAT(ParseM3uPlaylist("\xC0\xEF\xF0.mp3\n song .mp3\n", "/m"),
                ElementsAre("/m/\xC0\xEF\xF0.mp3", "/m/ song .mp3"));
}

TEST(NativeText, EveryEntryIsFollowedByCrLf) {
    EXPECT_EQ(NativePlaylistText({"/a/1.mp3", "", "/b/2.ogg"}), "/a/1.mp3\r\n\r\n/b/2.ogg\r\n");
    EXPECT_EQ(NativePlaylistText({}), "");
}

class PlaylistFileIO : public testing::Test {
  protected:
    TempFolder folder;
};

TEST_F(PlaylistFileIO, ReadsByExtension) {
    WriteBytes(folder / "list.vyn", "#a\r\n\r\nb\n");
    WriteBytes(folder / "list.m3u", "#a\r\n\r\nb\n");
    WriteBytes(folder / "list.VYN", "a\r\n");
    EXPECT_THAT(ReadPlaylistFile(folder / "list.vyn"), ElementsAre("#a", "", "b"));
    EXPECT_THAT(ReadPlaylistFile(folder / "list.m3u"), ElementsAre(folder / "b"));
    EXPECT_THAT(ReadPlaylistFile(folder / "list.VYN"), IsEmpty());
    // An unknown extension is not even opened.
    EXPECT_THAT(ReadPlaylistFile(folder / "missing.txt"), IsEmpty());
}

TEST_F(PlaylistFileIO, UnreadableFileNamesItsFullPath) {
    const std::string missing = folder / "missing.vyn";
    try {
        ReadPlaylistFile(missing);
        FAIL() << "no error";
    } catch (const EFileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open file \"" + missing + "\". No such file or directory");
    }
    std::filesystem::create_directory(folder / "folder.vyn");
    EXPECT_THROW(ReadPlaylistFile(folder / "folder.vyn"), EFileError);
}

TEST_F(PlaylistFileIO, PipeIsRefusedInsteadOfWaitedOn) {
    ASSERT_EQ(mkfifo((folder / "pipe.vyn").c_str(), 0600), 0);
    EXPECT_THROW(ReadPlaylistFile(folder / "pipe.vyn"), EFileError);
}

TEST_F(PlaylistFileIO, WritesTheNativeFormByteForByte) {
    WritePlaylistFile(folder / "three.vyn", {"/m/a.mp3", "/m/b.ogg", "/m/c.wav"});
    EXPECT_EQ(ReadBytes(folder / "three.vyn"), "/m/a.mp3\r\n/m/b.ogg\r\n/m/c.wav\r\n");
    WritePlaylistFile(folder / "empty.vyn", {});
    EXPECT_TRUE(std::filesystem::exists(folder / "empty.vyn"));
    EXPECT_EQ(std::filesystem::file_size(folder / "empty.vyn"), 0u);
}

TEST_F(PlaylistFileIO, ReplacingKeepsPermissionsAndLeavesNoTemporaryFile) {
    const std::string path = folder / "list.vyn";
    WriteBytes(path, "old\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    WritePlaylistFile(path, {"new"});
    EXPECT_EQ(ReadBytes(path), "new\r\n");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST_F(PlaylistFileIO, SymbolicLinkStaysAndItsTargetIsReplaced) {
    WriteBytes(folder / "real.vyn", "old\r\n");
    std::filesystem::create_symlink("real.vyn", folder / "link.vyn");
    WritePlaylistFile(folder / "link.vyn", {"new"});
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.vyn"));
    EXPECT_EQ(ReadBytes(folder / "real.vyn"), "new\r\n");
}

TEST_F(PlaylistFileIO, FailedSaveLeavesTheOldFileAndSaysWhy) {
    // A folder of the target's name can't be replaced by a file.
    std::filesystem::create_directory(folder / "taken.vyn");
    WriteBytes(folder / "taken.vyn/inside", "keep");
    try {
        WritePlaylistFile(folder / "taken.vyn", {"x"});
        FAIL() << "no error";
    } catch (const EFileError& error) {
        EXPECT_THAT(error.what(),
                    StartsWith("Cannot create file \"" + folder / "taken.vyn" + "\". "));
    }
    EXPECT_EQ(ReadBytes(folder / "taken.vyn/inside"), "keep");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);

    // A parent that is a regular file: nothing can be created below it.
    WriteBytes(folder / "plain", "keep");
    EXPECT_THROW(WritePlaylistFile(folder / "plain/list.vyn", {"x"}), EFileError);
    EXPECT_EQ(ReadBytes(folder / "plain"), "keep");
}

TEST(PlaylistFileSave, UnwritableFileSystemLeavesTheOldFile) {
    // /proc refuses new files even to root; the file there stays what it was.
    const std::string before = ReadBytes("/proc/self/comm");
    EXPECT_THROW(WritePlaylistFile("/proc/self/comm", {"x"}), EFileError);
    EXPECT_EQ(ReadBytes("/proc/self/comm"), before);
    EXPECT_THROW(WritePlaylistFile("/proc/new.vyn", {"x"}), EFileError);
}

#include "playlist/playlist_file.h"

#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>

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
    // A line break in a name can't be one line: such an entry is left out.
    EXPECT_EQ(NativePlaylistText({"a", "b\nc", "d\r", "e"}), "a\r\ne\r\n");
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

namespace {
constexpr uid_t kRoot = 0;
constexpr uid_t kNobody = 65534;
constexpr char kCannotDrop[] = "<cannot become that user>";
const std::vector<std::string> kNewEntries(20, "/m/new.mp3");
const std::string kNew = NativePlaylistText(kNewEntries);
const std::string kOld = "old\r\n";
const std::string kRefused = "Cannot create file \"list.vyn\". Permission denied";

struct FileState {
    std::string bytes;
    ino_t inode = 0;
    nlink_t links = 0;
    mode_t mode = 0;
    uid_t owner = 0;
};

FileState StateOf(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return {};
    return {ReadBytes(path), info.st_ino, info.st_nlink, info.st_mode & 07777, info.st_uid};
}

long NamesIn(const std::string& folder) {
    return std::distance(std::filesystem::directory_iterator(folder), {});
}

// Saves kNewEntries as "list.vyn" in a child process that works from inside the folder (so
// a user with no way through the folders above still reaches it), runs as the given user
// and may write no file past sizeLimit bytes. Gives "" when it worked, else the error text.
std::string SaveInChild(const std::string& folder, uid_t user, rlim_t sizeLimit) {
    int ends[2];
    if (pipe(ends) != 0) return "<no pipe>";
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        std::string report;
        signal(SIGXFSZ, SIG_IGN);  // an over-long write fails with EFBIG instead
        const rlimit size{sizeLimit, sizeLimit};
        if (chdir(folder.c_str()) != 0 || setrlimit(RLIMIT_FSIZE, &size) != 0)
            report = "<no folder>";
        else if (setgroups(0, nullptr) != 0 || setresgid(user, user, user) != 0 ||
                 setresuid(user, user, user) != 0)
            report = kCannotDrop;
        else
            try {
                WritePlaylistFile("list.vyn", kNewEntries);
            } catch (const std::exception& error) {
                report = error.what();
            }
        [[maybe_unused]] const ssize_t sent = write(ends[1], report.data(), report.size());
        _exit(0);
    }
    close(ends[1]);
    std::string report;
    char chunk[512];
    for (ssize_t got; (got = read(ends[0], chunk, sizeof chunk)) > 0;) report.append(chunk, got);
    close(ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return report;
}

void OldFile(const std::string& path, uid_t owner, mode_t mode) {
    WriteBytes(path, kOld);
    ASSERT_EQ(chown(path.c_str(), owner, owner), 0);
    ASSERT_EQ(chmod(path.c_str(), mode), 0);
}

struct SaveCase {
    const char* what;
    uid_t folderOwner;  // the folder is 0755: only its owner may add files
    std::function<void(const std::string& folder)> lay;
    uid_t user;                         // who saves "list.vyn"
    const char* lands;                  // the file the bytes must reach
    std::string error;                  // empty: saved
    std::optional<std::string> leaves;  // what that file then holds; none: a failed in-place write
    bool inPlace;                       // the old file stays (else a new one takes its place)
    rlim_t sizeLimit = RLIM_INFINITY;
};
}  // namespace

TEST_F(PlaylistFileIO, SaveKeepsLinksOwnerAndModeAndRefusesWhatTheUserMayNotWrite) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to lay out files of two users";
    const auto file = [](uid_t owner, mode_t mode) {
        return [=](const std::string& dir) { OldFile(dir + "/list.vyn", owner, mode); };
    };
    const auto linkTo = [](const char* target) {
        return [=](const std::string& dir) {
            OldFile(dir + "/real.vyn", kRoot, 0604);
            std::filesystem::create_symlink(target, dir + "/list.vyn");
        };
    };
    const auto hardLinked = [](const std::string& dir) {
        OldFile(dir + "/list.vyn", kRoot, 0640);
        std::filesystem::create_hard_link(dir + "/list.vyn", dir + "/twin.vyn");
    };
    const SaveCase cases[] = {
        {"lone file: replaced, mode kept", kRoot, file(kRoot, 0640), kRoot, "list.vyn", "", kNew,
         false},
        {"new file", kRoot, [](auto&) {}, kRoot, "list.vyn", "", kNew, false},
        {"symbolic link stays", kRoot, linkTo("real.vyn"), kRoot, "real.vyn", "", kNew, false},
        {"dangling link creates its target", kRoot,
         [](auto& dir) { std::filesystem::create_symlink("made.vyn", dir + "/list.vyn"); }, kRoot,
         "made.vyn", "", kNew, false},
        {"chain of links, one absolute", kRoot,
         [&](auto& dir) {
             linkTo("hop.vyn")(dir);
             std::filesystem::create_symlink(dir + "/real.vyn", dir + "/hop.vyn");
         },
         kRoot, "real.vyn", "", kNew, false},
        {"hard links stay linked", kRoot, hardLinked, kRoot, "twin.vyn", "", kNew, true},
        {"closed folder, writable file: in place", kRoot, file(kNobody, 0644), kNobody, "list.vyn",
         "", kNew, true},
        {"read-only file refused", kNobody, file(kNobody, 0444), kNobody, "list.vyn", kRefused,
         kOld, true},
        {"read-only file in a closed folder refused", kRoot, file(kNobody, 0444), kNobody,
         "list.vyn", kRefused, kOld, true},
        {"another owner's file: in place, owner kept", kNobody, file(kRoot, 0666), kNobody,
         "list.vyn", "", kNew, true},
        {"own lone file in an open folder: replaced", kNobody, file(kNobody, 0640), kNobody,
         "list.vyn", "", kNew, false},
        {"new file in a closed folder refused", kRoot, [](auto&) {}, kNobody, "list.vyn", kRefused,
         "", false},
        {"write fails part way: lone file left whole", kRoot, file(kRoot, 0644), kRoot, "list.vyn",
         "Cannot create file \"list.vyn\". File too large", kOld, true, 4},
        {"write fails part way in place: reported", kRoot, hardLinked, kRoot, "twin.vyn",
         "Cannot create file \"list.vyn\". File too large", std::nullopt, true, 4},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = folder / "case";
        std::filesystem::remove_all(dir);
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        ASSERT_EQ(chown(dir.c_str(), c.folderOwner, c.folderOwner), 0);
        c.lay(dir);
        const FileState before = StateOf(dir + "/" + c.lands);
        const bool wasLink = std::filesystem::is_symlink(dir + "/list.vyn");
        const long names = NamesIn(dir);

        const std::string report = SaveInChild(dir, c.user, c.sizeLimit);
        if (report == kCannotDrop) GTEST_SKIP() << "cannot run as user " << c.user;
        EXPECT_EQ(report, c.error);
        const FileState after = StateOf(dir + "/" + c.lands);
        if (c.leaves) {
            EXPECT_EQ(after.bytes, *c.leaves);
        }
        if (before.inode != 0) {
            EXPECT_EQ(after.inode == before.inode, c.inPlace);
            EXPECT_EQ(after.mode, before.mode);
            EXPECT_EQ(after.owner, before.owner);
            EXPECT_EQ(after.links, before.links);
        }
        EXPECT_EQ(std::filesystem::is_symlink(dir + "/list.vyn"), wasLink);
        // No temporary file is left; a new file is the only new name.
        EXPECT_EQ(NamesIn(dir), names + (before.inode == 0 && after.inode != 0 ? 1 : 0));
    }
}

TEST_F(PlaylistFileIO, EntriesWithLineBreaksAreLeftOutAndNamed) {
    const std::string path = folder / "list.vyn";
    const auto errorOfSaving = [&](const std::vector<std::string>& entries) -> std::string {
        try {
            WritePlaylistFile(path, entries);
        } catch (const EFileError& error) {
            return error.what();
        }
        return "no error";
    };
    EXPECT_EQ(errorOfSaving({"/m/a.mp3", "/m/b\nc.mp3", "", "/m/d\r.mp3", "/m/\r\ne.mp3", "/f"}),
              "Cannot save these entries to \"" + path +
                  "\", their names hold a line break:\n\"/m/b\\nc.mp3\"\n\"/m/d\\r.mp3\"\n"
                  "\"/m/\\r\\ne.mp3\"");
    EXPECT_THAT(ReadPlaylistFile(path), ElementsAre("/m/a.mp3", "", "/f"));

    // Past ten names, only how many more.
    std::vector<std::string> many(12, "x\ny");
    many.push_back("kept");
    const std::string error = errorOfSaving(many);
    EXPECT_THAT(error, testing::EndsWith("\n\"x\\ny\"\nand 2 more"));
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 11);
    EXPECT_THAT(ReadPlaylistFile(path), ElementsAre("kept"));
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

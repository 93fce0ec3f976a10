#include "playlist/playlist_editor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/exceptions.h"
#include "playlist/playlist_model.h"
#include "playlist/playlist_playback.h"
#include "tests/playlist/temp_folder.h"
#include "tests/support/scripted_dialogs.h"

using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAre;

namespace {
// Stands in for the playback controller: keeps its state and records what it was asked.
// PlayCurrent reads the playlist as the real one does, so a stale index fails the same way.
class RecordingPlayback : public PlaylistPlayback {
  public:
    explicit RecordingPlayback(const PlaylistModel& playlist) : playlist_(playlist) {}

    int current = -1;
    bool channelOpen = false;
    std::vector<std::string> calls;

    int CurrentTrack() const override { return current; }
    void SetCurrentTrack(int index) override { current = index; }
    bool HasOpenChannel() const override { return channelOpen; }
    void FreeAllBASS() override {
        calls.push_back("FreeAllBASS");
        channelOpen = false;
    }
    void PlayCurrent() override {
        if (playlist_.Count() == 0) return;
        if (current == -1) current = 0;
        calls.push_back("PlayCurrent " + playlist_.At(current));
        channelOpen = true;
    }

  private:
    const PlaylistModel& playlist_;
};

class EditorTest : public testing::Test {
  protected:
    PlaylistModel playlist;
    ScriptedDialogs dialogs;
    RecordingPlayback playback{playlist};
    PlaylistEditor editor{playlist, dialogs, playback, nullptr};
    TempFolder folder;

    void Fill(std::initializer_list<const char*> entries) {
        for (const char* entry : entries) playlist.Append(std::string(entry));
    }
    const FileDialogOptions& LastDialogOptions() const { return dialogs.asked.back().options; }
};
}  // namespace

TEST_F(EditorTest, AddFilesAppendsInDialogOrderAndRemembersTheFolder) {
    Fill({"/old.mp3"});
    dialogs.openAnswers.push_back(std::vector<std::string>{"/m/b.ogg", "/m/a.mp3", "/m/c.xm"});
    editor.AddFileClick();
    EXPECT_THAT(playlist.Entries(), ElementsAre("/old.mp3", "/m/b.ogg", "/m/a.mp3", "/m/c.xm"));

    const FileDialogOptions& options = LastDialogOptions();
    EXPECT_EQ(dialogs.asked.back().caption, "Open music(s)");
    EXPECT_EQ(options.filter,
              "Все известные файлы|*.mp3;*.mp2;*.mp1;*.ogg;*.wav;*.mo3;*.it;*.xm;*.s3m;*.mtm;"
              "*.mod;*.umx;*.flac;*.opus|MP3|*.mp3|MP2|*.mp2|MP1|*.mp1|OGG|*.ogg|WAV|*.wav|MO3|"
              "*.mo3|IT|*.it|XM|*.xm|S3M|*.s3m|MTM|*.mtm|MOD|*.mod|UMX|*.umx|FLAC|*.flac|OPUS|"
              "*.opus");
    EXPECT_EQ(options.defaultSuffix, "OGG");
    EXPECT_TRUE(options.multiSelect);
    EXPECT_TRUE(options.mustExist);
    EXPECT_EQ(options.directory, "");

    dialogs.openAnswers.push_back(std::nullopt);
    editor.AddFileClick();
    EXPECT_EQ(LastDialogOptions().directory, "/m");
    EXPECT_EQ(playlist.Count(), 4);

    // A cancel leaves the remembered folder; a file in the root folder remembers "/".
    dialogs.openAnswers.push_back(std::vector<std::string>{"/top.wav"});
    editor.AddFileClick();
    dialogs.openAnswers.push_back(std::nullopt);
    editor.AddFileClick();
    EXPECT_EQ(LastDialogOptions().directory, "/");
}

TEST_F(EditorTest, AddFilesTakesAnyNumberOfFiles) {
    std::vector<std::string> many;
    for (int i = 0; i < 3000; ++i)
        many.push_back("/a/rather/long/folder/name/for/music/track number " + std::to_string(i) +
                       ".mp3");
    dialogs.openAnswers.push_back(many);
    editor.AddFileClick();
    EXPECT_EQ(playlist.Entries(), many);
}

TEST_F(EditorTest, AddFolderScansTheChosenFolder) {
    WriteBytes(folder / "a.mp3", "");
    WriteBytes(folder / "b.MP3", "");
    WriteBytes(folder / "c.ogg", "");
    Fill({"/old.mp3"});
    dialogs.folderAnswers.push_back(folder.path() + "/");
    editor.AddDirClick();
    EXPECT_EQ(dialogs.asked.back().caption, "Выберите папку с файлами");
    EXPECT_EQ(editor.LastFolder(), folder.path() + "/");
    EXPECT_THAT(playlist.Entries(),
                UnorderedElementsAre("/old.mp3", folder / "a.mp3", folder / "b.MP3"));
    EXPECT_EQ(playlist.At(0), "/old.mp3");
}

TEST_F(EditorTest, AddFolderCancelledOrEmptyAddsNothing) {
    Fill({"/old.mp3"});
    dialogs.folderAnswers.push_back(folder.path() + "/");
    editor.AddDirClick();
    EXPECT_THAT(playlist.Entries(), ElementsAre("/old.mp3"));
    EXPECT_EQ(editor.LastFolder(), folder.path() + "/");

    dialogs.folderAnswers.push_back(std::nullopt);
    editor.AddDirClick();
    EXPECT_EQ(editor.LastFolder(), "");
    EXPECT_THAT(playlist.Entries(), ElementsAre("/old.mp3"));
}

TEST_F(EditorTest, LoadAppendsWhatTheFileHolds) {
    WriteBytes(folder / "list.vyn", "/m/a.mp3\r\n\r\n/m/b.ogg");
    Fill({"/old.mp3"});
    dialogs.openAnswers.push_back(std::vector<std::string>{folder / "list.vyn"});
    editor.Button1Click();
    EXPECT_EQ(LastDialogOptions().filter,
              "Плейлист Vyn Player|*.vyn|Плейлист m3u|*.m3u|"
              "Плейлист m3u8|*.m3u8|Плейлист pls|*.pls|Плейлист xspf|*.xspf");
    EXPECT_FALSE(LastDialogOptions().mustExist);
    EXPECT_FALSE(LastDialogOptions().multiSelect);
    EXPECT_EQ(LastDialogOptions().title, "");

    dialogs.openAnswers.push_back(std::vector<std::string>{folder / "list.vyn"});
    editor.Button1Click();
    EXPECT_EQ(LastDialogOptions().directory, folder.path());
    EXPECT_THAT(playlist.Entries(),
                ElementsAre("/old.mp3", "/m/a.mp3", "", "/m/b.ogg", "/m/a.mp3", "", "/m/b.ogg"));
}

TEST_F(EditorTest, LoadReadsM3uRelativeToItsFolder) {
    WriteBytes(folder / "list.m3u", "#EXTM3U\n#EXTINF:1,x\nsong.mp3\n\n/abs/other.ogg\n");
    dialogs.openAnswers.push_back(std::vector<std::string>{folder / "list.m3u"});
    editor.Button1Click();
    EXPECT_THAT(playlist.Entries(), ElementsAre(folder / "song.mp3", "/abs/other.ogg"));
}

TEST_F(EditorTest, LoadIgnoresOtherExtensionsAndCancel) {
    WriteBytes(folder / "LIST.VYN", "/m/a.mp3\r\n");
    dialogs.openAnswers.push_back(std::vector<std::string>{folder / "LIST.VYN"});
    editor.Button1Click();
    dialogs.openAnswers.push_back(std::nullopt);
    editor.Button1Click();
    EXPECT_THAT(playlist.Entries(), IsEmpty());
}

TEST_F(EditorTest, LoadOfAMissingFileReportsItsPathAndAddsNothing) {
    Fill({"/old.mp3"});
    const std::string missing = folder / "missing.vyn";
    dialogs.openAnswers.push_back(std::vector<std::string>{missing});
    try {
        editor.Button1Click();
        FAIL() << "no error";
    } catch (const EFileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open file \"" + missing + "\". No such file or directory");
    }
    EXPECT_THAT(playlist.Entries(), ElementsAre("/old.mp3"));
}

TEST_F(EditorTest, SaveNamesTheFileByTheRules) {
    Fill({"/m/a.mp3", "/m/b.ogg", "/m/c.wav"});
    const std::string native = "/m/a.mp3\r\n/m/b.ogg\r\n/m/c.wav\r\n";

    dialogs.saveAnswers.push_back(folder / "plain");
    editor.Button2Click();
    EXPECT_EQ(LastDialogOptions().filter, "Плейлист Vyn Player|*.vyn");
    EXPECT_EQ(LastDialogOptions().defaultSuffix, "");
    EXPECT_EQ(ReadBytes(folder / "plain.vyn"), native);
    EXPECT_FALSE(std::filesystem::exists(folder / "plain"));

    dialogs.saveAnswers.push_back(folder / "named.vyn");
    editor.Button2Click();
    EXPECT_EQ(ReadBytes(folder / "named.vyn"), native);
    EXPECT_FALSE(std::filesystem::exists(folder / "named.vyn.vyn"));

    // An existing file keeps its name, whatever its extension.
    WriteBytes(folder / "existing.txt", "old content that is longer than the new one..........");
    dialogs.saveAnswers.push_back(folder / "existing.txt");
    editor.Button2Click();
    EXPECT_EQ(ReadBytes(folder / "existing.txt"), native);
    EXPECT_FALSE(std::filesystem::exists(folder / "existing.txt.vyn"));

    // A folder of the chosen name is not a file: the name gets ".vyn".
    std::filesystem::create_directory(folder / "dir");
    dialogs.saveAnswers.push_back(folder / "dir");
    editor.Button2Click();
    EXPECT_EQ(ReadBytes(folder / "dir.vyn"), native);
    EXPECT_EQ(LastDialogOptions().directory, folder.path());

    dialogs.saveAnswers.push_back(std::nullopt);
    editor.Button2Click();
    EXPECT_EQ(playlist.Count(), 3);
}

TEST_F(EditorTest, SaveOfAnEmptyPlaylistWritesZeroBytes) {
    dialogs.saveAnswers.push_back(folder / "empty");
    editor.Button2Click();
    ASSERT_TRUE(std::filesystem::exists(folder / "empty.vyn"));
    EXPECT_EQ(std::filesystem::file_size(folder / "empty.vyn"), 0u);
}

TEST_F(EditorTest, FailedSaveReportsAndKeepsWhatWasThere) {
    Fill({"/m/a.mp3"});
    WriteBytes(folder / "file", "keep");
    dialogs.saveAnswers.push_back(folder / "file/list");
    try {
        editor.Button2Click();
        FAIL() << "no error";
    } catch (const EFileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot create file \"" + folder / "file/list.vyn" + "\". Not a directory");
    }
    EXPECT_EQ(ReadBytes(folder / "file"), "keep");
    EXPECT_THAT(playlist.Entries(), ElementsAre("/m/a.mp3"));
}

TEST_F(EditorTest, OddFileNamesSurviveAddSaveAndLoad) {
    const std::vector<std::string> names = {"\xC0\xEF\xF0\xE5\xEB\xFC.mp3", " leading.mp3",
                                            "trailing.mp3 x.mp3", "\xFF.MP3"};
    std::filesystem::create_directory(folder / "music");
    for (const std::string& name : names) WriteBytes(folder / "music/" + name, "");
    WriteBytes(folder / "music/trailing blank.mp3 ", "");  // no match: ends in a blank

    dialogs.folderAnswers.push_back(folder / "music/");
    editor.AddDirClick();
    ASSERT_EQ(playlist.Count(), 4);
    const std::vector<std::string> added = playlist.Entries();
    playlist.Append(std::vector<std::string>{" /blank at both ends.ogg ", "", "relative.mp3",
                                             "/m/#hash.mp3", "/m/юникод.mp3"});

    dialogs.saveAnswers.push_back(folder / "odd");
    editor.Button2Click();
    const std::vector<std::string> saved = playlist.Entries();
    editor.N11Click();
    dialogs.openAnswers.push_back(std::vector<std::string>{folder / "odd.vyn"});
    editor.Button1Click();
    EXPECT_EQ(playlist.Entries(), saved);
    for (const std::string& entry : added) EXPECT_TRUE(std::filesystem::exists(entry)) << entry;
    // Only what the row shows is text: the Windows-1251 name reads "Апрель".
    int shownRussian = 0;
    for (int row = 0; row < playlist.Count(); ++row) {
        if (!playlist.At(row).ends_with(names[0])) continue;
        ++shownRussian;
        EXPECT_EQ(playlist.data(playlist.index(row)).toString(),
                  QString::fromStdString(folder / "music/Апрель.mp3"));
    }
    EXPECT_EQ(shownRussian, 1);
}

// Removing: the index follows the entries, and only removing the current track touches playback.
TEST_F(EditorTest, RemoveWithNothingPlaying) {
    Fill({"a", "b", "c"});
    playback.current = 1;
    editor.N12Click(0);
    EXPECT_THAT(playlist.Entries(), ElementsAre("b", "c"));
    EXPECT_EQ(playback.current, 0);  // still "b"
    editor.N12Click(1);
    EXPECT_THAT(playlist.Entries(), ElementsAre("b"));
    EXPECT_EQ(playback.current, 0);
    EXPECT_THAT(playback.calls, IsEmpty());
}

TEST_F(EditorTest, RemoveCurrentWithNothingPlayingKeepsAValidIndex) {
    Fill({"a", "b", "c"});
    playback.current = 1;
    editor.N12Click(1);
    EXPECT_EQ(playback.current, 1);  // "c" took its place
    editor.N12Click(1);
    EXPECT_EQ(playback.current, 0);  // the last one went: the one before
    editor.N12Click(0);
    EXPECT_EQ(playback.current, -1);
    EXPECT_THAT(playlist.Entries(), IsEmpty());
    EXPECT_THAT(playback.calls, IsEmpty());
}

TEST_F(EditorTest, RemoveOtherEntriesWhilePlayingNeverInterrupts) {
    Fill({"a", "b", "c", "d"});
    playback.current = 2;
    playback.channelOpen = true;
    editor.N12Click(0);  // above
    EXPECT_EQ(playback.current, 1);
    EXPECT_EQ(playlist.At(playback.current), "c");
    editor.N12Click(2);  // below
    EXPECT_EQ(playlist.At(playback.current), "c");
    EXPECT_THAT(playlist.Entries(), ElementsAre("b", "c"));
    EXPECT_TRUE(playback.channelOpen);
    EXPECT_THAT(playback.calls, IsEmpty());
}

TEST_F(EditorTest, RemoveThePlayingEntryStartsTheNextOne) {
    Fill({"a", "b", "c"});
    playback.current = 1;
    playback.channelOpen = true;
    editor.N12Click(1);
    EXPECT_THAT(playback.calls, ElementsAre("FreeAllBASS", "PlayCurrent c"));
    EXPECT_EQ(playback.current, 1);
    EXPECT_THAT(playlist.Entries(), ElementsAre("a", "c"));
}

TEST_F(EditorTest, RemoveThePlayingLastEntryStops) {
    Fill({"a", "b"});
    playback.current = 1;
    playback.channelOpen = true;
    editor.N12Click(1);
    EXPECT_THAT(playback.calls, ElementsAre("FreeAllBASS"));
    EXPECT_FALSE(playback.channelOpen);
    EXPECT_EQ(playback.current, 0);

    playback.calls.clear();
    playback.channelOpen = true;
    editor.N12Click(0);  // the only entry
    EXPECT_THAT(playback.calls, ElementsAre("FreeAllBASS"));
    EXPECT_EQ(playback.current, -1);
    EXPECT_THAT(playlist.Entries(), IsEmpty());
}

TEST_F(EditorTest, RemoveWithoutSelectionDoesNothing) {
    Fill({"a"});
    playback.current = 0;
    playback.channelOpen = true;
    editor.N12Click(-1);
    editor.N12Click(1);
    EXPECT_THAT(playlist.Entries(), ElementsAre("a"));
    EXPECT_THAT(playback.calls, IsEmpty());
    editor.N12Click(0);
    ASSERT_THAT(playlist.Entries(), IsEmpty());
    EXPECT_NO_THROW(editor.N12Click(-1));
    EXPECT_NO_THROW(editor.N12Click(0));
    EXPECT_THAT(playback.calls, ElementsAre("FreeAllBASS"));
}

TEST_F(EditorTest, ClearStopsAndForgetsTheCurrentTrack) {
    Fill({"a", "b"});
    playback.current = 1;
    playback.channelOpen = true;
    editor.N11Click();
    EXPECT_THAT(playlist.Entries(), IsEmpty());
    EXPECT_EQ(playback.current, -1);
    EXPECT_THAT(playback.calls, ElementsAre("FreeAllBASS"));

    playback.calls.clear();
    editor.N11Click();  // already empty and stopped
    EXPECT_EQ(playback.current, -1);
    EXPECT_THAT(playback.calls, ElementsAre("FreeAllBASS"));
}

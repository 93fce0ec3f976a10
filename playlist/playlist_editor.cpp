#include "playlist/playlist_editor.h"

#include <sys/stat.h>

#include "platform/dialogs.h"
#include "playlist/entry_path.h"
#include "playlist/folder_scan.h"
#include "playlist/music_filter.h"
#include "playlist/playlist_file.h"
#include "playlist/playlist_model.h"
#include "playlist/playlist_playback.h"

namespace {
// The first two pairs are the program's own; the kinds read since follow them.
constexpr char kLoadFilter[] =
    "Плейлист Vyn Player|*.vyn|Плейлист m3u|*.m3u|"
    "Плейлист m3u8|*.m3u8|Плейлист pls|*.pls|Плейлист xspf|*.xspf";
constexpr char kSaveFilter[] = "Плейлист Vyn Player|*.vyn";
constexpr char kNativeExtension[] = ".vyn";

bool IsExistingFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// An existing file keeps its name whatever it ends in; a new name gets ".vyn" unless it
// already ends in it.
std::string SaveTargetFor(const std::string& chosen) {
    if (IsExistingFile(chosen) || chosen.ends_with(kNativeExtension)) return chosen;
    return chosen + kNativeExtension;
}
}  // namespace

PlaylistEditor::PlaylistEditor(PlaylistModel& playlist, Dialogs& dialogs,
                               PlaylistPlayback& playback, QWidget* dialogParent)
    : playlist_(playlist), dialogs_(dialogs), playback_(playback), dialogParent_(dialogParent) {}

void PlaylistEditor::AddFileClick() {
    FileDialogOptions options;
    options.title = "Open music(s)";
    options.filter = MusicFileFilter();
    options.defaultSuffix = "OGG";
    options.directory = musicDialogFolder_;
    options.multiSelect = true;
    options.mustExist = true;
    auto chosen = dialogs_.OpenFiles(dialogParent_, options);
    if (!chosen || chosen->empty()) return;
    musicDialogFolder_ = FolderOf(chosen->front());
    playlist_.Append(std::move(*chosen));
}

void PlaylistEditor::AddDirClick() {
    lastFolder_ = dialogs_.BrowseFolder(dialogParent_, "Выберите папку с файлами").value_or("");
    if (lastFolder_.empty()) return;
    if (lastFolder_.back() != '/') lastFolder_ += '/';
    playlist_.Append(ScanFolder(lastFolder_));
}

void PlaylistEditor::N12Click(int selectedRow) {
    if (selectedRow < 0 || selectedRow >= playlist_.Count()) return;
    const int current = playback_.CurrentTrack();
    if (selectedRow != current) {
        // Another entry goes: whatever plays goes on, and the current index follows its entry.
        playlist_.RemoveAt(selectedRow);
        if (selectedRow < current) playback_.SetCurrentTrack(current - 1);
        return;
    }
    const bool wasPlaying = playback_.HasOpenChannel();
    if (wasPlaying) playback_.FreeAllBASS();
    playlist_.RemoveAt(selectedRow);
    // The entry that moved up into the removed one's place becomes current; after the last
    // entry, the one before it.
    const bool entryTookItsPlace = selectedRow < playlist_.Count();
    playback_.SetCurrentTrack(entryTookItsPlace ? selectedRow : playlist_.Count() - 1);
    if (wasPlaying && entryTookItsPlace) playback_.PlayCurrent();
}

void PlaylistEditor::N11Click() {
    playback_.FreeAllBASS();
    playlist_.Clear();
    playback_.SetCurrentTrack(-1);
}

void PlaylistEditor::Button1Click() {
    FileDialogOptions options;
    options.filter = kLoadFilter;
    options.directory = loadDialogFolder_;
    const auto chosen = dialogs_.OpenFiles(dialogParent_, options);
    if (!chosen || chosen->empty()) return;
    const std::string& path = chosen->front();
    loadDialogFolder_ = FolderOf(path);
    playlist_.Append(ReadPlaylistFile(path));
}

void PlaylistEditor::Button2Click() {
    FileDialogOptions options;
    options.filter = kSaveFilter;
    options.directory = saveDialogFolder_;
    const auto chosen = dialogs_.SaveFile(dialogParent_, options);
    if (!chosen || chosen->empty()) return;
    saveDialogFolder_ = FolderOf(*chosen);
    WritePlaylistFile(SaveTargetFor(*chosen), playlist_.Entries());
}

// The playlist's editing commands behind the main window's menus and buttons: add files,
// add a folder, remove the selected entry, clear, load a playlist file, save the playlist.
// The window binds its controls to these handlers; file errors leave them as EFileError.
#pragma once

#include <string>

class Dialogs;
class PlaylistModel;
class PlaylistPlayback;
class QWidget;

class PlaylistEditor {
  public:
    PlaylistEditor(PlaylistModel& playlist, Dialogs& dialogs, PlaylistPlayback& playback,
                   QWidget* dialogParent);

    // Adds the files chosen in the "Open music(s)" dialog, in the dialog's order.
    void AddFileClick();
    // Adds the music files of the folder chosen in the folder browser.
    void AddDirClick();
    // Removes the entry at selectedRow (-1: no selection, nothing happens). The current
    // track keeps playing unless it is the entry removed; then the entry taking its place
    // starts, or playback stops when there is none.
    void N12Click(int selectedRow);
    // Stops playback and empties the playlist.
    void N11Click();
    // Appends the entries of a ".vyn" or ".m3u" file; other extensions are ignored.
    void Button1Click();
    // Saves the playlist as a ".vyn" file.
    void Button2Click();

    // The folder chosen by the last AddDirClick, ending in '/'; empty after a cancel.
    const std::string& LastFolder() const { return lastFolder_; }

  private:
    PlaylistModel& playlist_;
    Dialogs& dialogs_;
    PlaylistPlayback& playback_;
    QWidget* dialogParent_;

    std::string lastFolder_;
    // Each dialog opens where it was last used, as one long-lived dialog object would.
    std::string musicDialogFolder_;
    std::string loadDialogFolder_;
    std::string saveDialogFolder_;
};
